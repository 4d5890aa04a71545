#include "engine/parallel_walk.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/device.h"
#include "platform/name_codec.h"
#include "platform/pacing.h"

namespace dovrane::engine {
namespace {

using platform::FindData;

// Listed entries read ahead of the sink, at most; beyond it workers wait. Readers that
// stop often leave a core idle while the sink catches up, and a cold disk answers some
// folders far more slowly than others: readers that may run ahead meanwhile keep it busy.
// The more the sink has taken, the further they may go, yet the listings in flight stay
// small beside what the sink keeps: a thirty-second of it, from 5 MB to 20 MB. Less than
// 5 MB to begin with left a core idle on /usr whenever the sink worked through a folder of
// a few thousand entries while the other reader had already filled the read-ahead.
constexpr qint64 kReadAheadLeast = 1 << 16;
constexpr qint64 kReadAheadMost = 1 << 18;
constexpr qint64 kReadAheadShare = 32;
// Each thread counts the entries it adds to or takes from the read-ahead by itself and
// settles with the shared count once this many have gathered: a count that every thread
// changes for every folder moves its cache line between the cores each time. The bound is
// loose by at most this much a thread.
constexpr qint64 kSettleEvery = 512;
// A reader that has made the disk read within this time keeps the extra readers awake.
constexpr std::chrono::milliseconds kDiskWindow{100};
// While the cache answers, one folder in this many is checked for disk reads.
constexpr unsigned kDiskCheckEvery = 16;

// One folder of the walk. Made by whoever read its parent, together with its siblings in
// one array the parent owns; read by a worker or by the caller; emptied by the caller once
// the sink has left it, and freed with its siblings once the sink leaves the parent. The
// parent holds it until then, so the queue and the readers may point at it plainly.
struct Node {
    enum State : int { Waiting, Claimed, Ready };

    // First, as far as the node allows from what the queue reads at its end: the reader
    // writes the listing with every entry, and every reader that takes a folder passes over
    // those being read. Not a cache line of its own: an over-aligned array costs an
    // allocation as slow as reading a small folder.
    platform::Listing listing;
    Node* parent = nullptr;
    std::string_view name;  // in the parent's listing, which outlives this node's reading
    std::unique_ptr<platform::Folder> folder;
    // One per folder entry, in order: one allocation for all of them, where a node each
    // cost more than reading a small folder.
    std::unique_ptr<Node[]> subfolders;
    size_t folderCount = 0;
    std::atomic<int> state{Waiting};
    // Neighbours among the folders still to read, which are kept in walk order; valid while
    // `pending` is set (guarded by the walker's mutex).
    Node* previousPending = nullptr;
    Node* nextPending = nullptr;
    bool pending = false;
    // The folder stays open while its sub-folders still have to be opened from it.
    std::atomic<int> holds{0};

    ~Node() {
        // Unwound without recursion: a tree may be deeper than the stack.
        if (!subfolders)
            return;
        std::vector<std::pair<std::unique_ptr<Node[]>, size_t>> rest;
        rest.emplace_back(std::move(subfolders), folderCount);
        while (!rest.empty()) {
            auto [nodes, count] = std::move(rest.back());
            rest.pop_back();
            for (size_t i = 0; nodes && i < count; ++i)
                rest.emplace_back(std::move(nodes[i].subfolders), nodes[i].folderCount);
        }
    }
};

// The folders not yet read or being read, in walk order, linked through the nodes: no
// allocation per folder. Guarded by the walker's mutex.
class PendingList {
public:
    Node* first() const { return m_first; }
    // Before `at`; at the end when `at` is null.
    void insert(Node* at, Node* node) {
        node->nextPending = at;
        node->previousPending = at ? at->previousPending : m_last;
        (node->previousPending ? node->previousPending->nextPending : m_first) = node;
        (at ? at->previousPending : m_last) = node;
        node->pending = true;
    }
    void erase(Node* node) {
        (node->previousPending ? node->previousPending->nextPending : m_first) = node->nextPending;
        (node->nextPending ? node->nextPending->previousPending : m_last) = node->previousPending;
        node->pending = false;
    }

private:
    Node* m_first = nullptr;
    Node* m_last = nullptr;
};

// Listings the sink is done with, for readers to fill again: they keep their room, so that
// reading a folder seldom allocates; only modest ones, and not many entries in all. Each
// thread keeps a few of its own and trades them with the pool a batch at a time: a lock
// that both threads take for every folder moves its cache line between the cores each time.
class ListingPool {
public:
    using Spares = std::vector<platform::Listing>;

    // An empty listing, with room when one is kept.
    void take(Spares& mine, platform::Listing& out) {
        if (mine.empty()) {
            std::lock_guard lock(m_mutex);
            for (size_t i = 0; i < kBatch && !m_free.empty(); ++i) {
                m_entries -= m_free.back().entries.capacity();
                mine.push_back(std::move(m_free.back()));
                m_free.pop_back();
            }
        }
        if (mine.empty())
            return;
        out = std::move(mine.back());
        mine.pop_back();
    }
    // Takes the listing: one not kept is freed at once, not with its node.
    void giveBack(Spares& mine, platform::Listing listing) {
        const size_t room = listing.entries.capacity();
        if (room == 0 || room > kLargest)
            return;
        listing.clear();
        listing.going = nullptr;
        if (room > kSpareLargest) {
            std::lock_guard lock(m_mutex);
            keep(std::move(listing));
            return;
        }
        mine.push_back(std::move(listing));
        if (mine.size() < 2 * kBatch)
            return;
        std::lock_guard lock(m_mutex);
        for (size_t i = 0; i < kBatch; ++i) {
            keep(std::move(mine.back()));
            mine.pop_back();
        }
    }

private:
    static constexpr size_t kLargest = 4096;  // entries of one listing
    // Of all kept, about 100 KB. Eight times as many saved a tenth of the walk's own
    // instructions on 18,000 small folders, but its page faults cost as much as that saved,
    // and it held a megabyte more.
    static constexpr size_t kAllEntries = 1 << 11;
    static constexpr size_t kMost = 1024;
    static constexpr size_t kBatch = 8;
    static constexpr size_t kSpareLargest = 64;  // entries of one listing a thread keeps

    // Under m_mutex; what the pool has no room for is freed.
    void keep(platform::Listing&& listing) {
        const size_t room = listing.entries.capacity();
        if (m_free.size() < kMost && m_entries + room <= kAllEntries) {
            m_free.push_back(std::move(listing));
            m_entries += room;
        }
    }

    std::mutex m_mutex;
    Spares m_free;
    size_t m_entries = 0;
};

class ParallelWalker {
public:
    ParallelWalker(platform::Device& device, QStringView startPath, WalkSink& sink,
                   const WalkControl& control)
        : m_device(device), m_startPath(startPath), m_sink(sink), m_control(control) {}

    ~ParallelWalker() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_wakeExtra.notify_all();
        for (std::thread& t : m_workers)
            t.join();
    }

    bool run() {
        m_root = std::make_unique<Node>();
        const int workers = std::max(1, m_control.threads);
        // While the page cache answers, the readers need the cores: one thread a core, the
        // caller's included, which reads whenever it waits for a folder. A cold disk answers
        // faster the more requests it has at once, so the other readers only read while the
        // disk is being read.
        m_cachedReaders =
            std::min<int>(workers, std::max(2u, std::thread::hardware_concurrency()) - 1);
        {
            std::lock_guard lock(m_mutex);
            m_extraReaders = workers - m_cachedReaders;
            for (int i = 0; i < m_cachedReaders; ++i)
                m_workers.emplace_back([this] { work(m_wake); });
        }
        if (m_control.progress)
            m_control.progress->readersStarted.store(true);
        return arrive(m_root.get()) && ReplayWalk(*this, m_sink, m_control, m_links);
    }

    // The frames ReplayWalk walks.
    bool empty() const { return m_stack.empty(); }
    const platform::Listing& listing() const { return m_stack.back().node->listing; }
    size_t& cursor() { return m_stack.back().next; }
    bool descend(std::string_view) {
        Level& level = m_stack.back();
        return arrive(&level.node->subfolders[level.nextFolder++]);
    }
    void ascend() {
        Node* node = m_stack.back().node;
        m_stack.pop_back();
        free(node);
    }

private:
    struct Level {
        Node* node;
        size_t next = 0;
        size_t nextFolder = 0;
    };

    // What each reading thread keeps for itself: no cache line shared per folder.
    struct Reader {
        qint64 unsettled = 0;  // its read-ahead, not yet in m_readAhead
        unsigned reads = 0;
        ListingPool::Spares spares;
    };

    bool arrive(Node* node) {
        if (!Arrive(m_control, [this] { return pathOf(m_stack); }))
            return false;
        if (claim(node))
            produce(node, m_sinkReader);  // nobody got to it yet
        else
            waitReady(node);
        m_stack.push_back({node});
        return true;
    }

    // Opens and reads one folder and offers its sub-folders to the workers. Its entries join
    // the reading thread's `unsettled` read-ahead. With `takeNext`, returns the next folder
    // for this reader, claimed under the same lock (null when there is none).
    Node* produce(Node* node, Reader& me, bool takeNext = false) {
        if (m_control.stopped()) {
            // Nobody will take what it would read: answered as empty, at once.
            if (node->parent)
                release(node->parent);
            skip(node);
            return nullptr;
        }
        const bool check = diskBound() || me.reads++ % kDiskCheckEvery == 0;
        // Only what opening and reading this folder made the disk read: a page of the program
        // itself read back after the system evicted it, as it does from idle caches, is no
        // sign of a cold tree, and a dozen readers woken for it only got in the way.
        const quint64 blocksBefore = check ? m_device.blocksReadByThisThread() : 0;
        m_listings.take(me.spares, node->listing);
        if (!node->parent) {
            node->folder = m_device.openFolder(m_startPath);
        } else {
            node->folder = m_device.openChild(*node->parent->folder, node->name);
            if (!node->folder)
                node->listing.state = m_device.whyNotOpened(*node->parent->folder, node->name);
            release(node->parent);
        }
        node->listing.going = m_control.scanning;
        if (node->folder)
            m_device.read(
                *node->folder, node->listing,
                m_control.details ? platform::ReadDetail::Export : platform::ReadDetail::ForWalk);
        else if (!node->parent)
            node->listing.state = platform::FolderState::Unreadable;
        if (check && m_device.blocksReadByThisThread() != blocksBefore)
            diskRead();
        me.unsettled += static_cast<qint64>(node->listing.entries.size());
        size_t folders = 0;
        for (const FindData& e : node->listing.entries)
            folders += e.isFolder();
        node->holds.store(static_cast<int>(folders) + 1);
        if (folders > 0)
            node->subfolders = std::make_unique<Node[]>(folders);
        node->folderCount = folders;
        size_t next = 0;
        for (const FindData& e : node->listing.entries) {
            if (!e.isFolder())
                continue;
            Node& child = node->subfolders[next++];
            child.parent = node;
            child.name = node->listing.nameOf(e);
        }
        int idle = 0;
        bool extras = false;
        Node* following = nullptr;
        {
            // The sub-folders take the folder's place in the walk order: readers always take
            // the first folder the sink will need, so that many readers never run far ahead
            // into one branch while the sink waits for a folder nobody is reading.
            std::lock_guard lock(m_mutex);
            Node* const at = node->pending ? node->nextPending : nullptr;
            if (node->pending)
                m_pending.erase(node);
            for (size_t i = 0; i < folders; ++i)
                m_pending.insert(at, &node->subfolders[i]);
            m_waiting += static_cast<qint64>(folders);
            // Small folders cost less to read than to queue and wait for: a reader goes on
            // with the next folder at once, one lock a folder rather than two.
            if (takeNext)
                following = takeFirst();
            idle = m_idle;
            extras = m_idleExtra > 0 && diskBound();
        }
        const int fresh = static_cast<int>(folders) - (following ? 1 : 0);
        if (fresh > 0) {
            // Waking costs a system call: only for workers that sleep, and no more of them
            // than there is new work.
            for (int i = 0; i < std::min(idle, fresh); ++i)
                m_wake.notify_one();
            if (extras)
                m_wakeExtra.notify_all();
        }
        release(node);  // its own hold
        ready(node);
        return following;
    }

    // Once the state says ready the sink may take the node and free it: nothing of the node
    // is touched after that store.
    void ready(Node* node) {
        node->state.store(Node::Ready);
        if (m_awaited.load() == node) {
            std::lock_guard lock(m_readyMutex);
            m_ready.notify_one();
        }
    }

    // A stopped walk still answers for a folder it took: as empty, so that a caller that
    // came to it just before the stop does not wait for ever.
    void skip(Node* node) {
        {
            std::lock_guard lock(m_mutex);
            if (node->pending)
                m_pending.erase(node);
        }
        ready(node);
    }

    // Sleeps until a worker has read the node. No spinning: on a machine with as many
    // walk threads as cores, a spinning caller takes the time the worker needs.
    void waitReady(Node* node) {
        // Rather than sleep, read folders that are waiting in the queue meanwhile; but not
        // while the disk is what is waited for: a folder read for someone else would then
        // hold the sink up long after its own folder is ready.
        while (!diskBound() && node->state.load() != Node::Ready && !m_control.stopped()) {
            Node* other = takeQueued();
            if (!other)
                break;
            produce(other, m_sinkReader);
        }
        std::unique_lock lock(m_readyMutex);
        m_awaited.store(node);
        m_ready.wait(lock, [node] { return node->state.load() == Node::Ready; });
        m_awaited.store(nullptr);
    }

    static void release(Node* node) {
        if (node->holds.fetch_sub(1) == 1)
            node->folder.reset();
    }

    // Takes a folder for reading; false when someone else has.
    // No lock: the state decides who reads, and only the reader changes `pending` from
    // here on; fewer folders waiting never needs a wake.
    bool claim(Node* node) {
        int expected = Node::Waiting;
        if (!node->state.compare_exchange_strong(expected, Node::Claimed))
            return false;
        if (node->pending)  // the start folder never was
            m_waiting.fetch_sub(1);
        return true;
    }

    // Under m_mutex: the first folder in walk order nobody reads yet, claimed; null when
    // there is none or the read-ahead is full. Folders being read stay in their place until
    // their sub-folders take it: few, at most one a reader.
    Node* takeFirst() {
        if (m_waiting == 0 || m_readAhead.load() >= m_readAheadLimit.load())
            return nullptr;
        for (Node* node = m_pending.first(); node; node = node->nextPending) {
            // Those ahead are mostly being read: a plain look passes them by, where a
            // compare-and-swap writes to each one, and with many readers on a cold disk
            // those writes, made under the lock, made the lock the queue.
            if (node->state.load(std::memory_order_relaxed) != Node::Waiting)
                continue;
            int expected = Node::Waiting;
            if (node->state.compare_exchange_strong(expected, Node::Claimed)) {
                --m_waiting;
                return node;
            }
        }
        return nullptr;
    }

    Node* takeQueued() {
        std::lock_guard lock(m_mutex);
        return takeFirst();
    }

    // Whether some reader made the disk read lately. A walk the cache answers never reads
    // the clock for it.
    bool diskBound() const {
        const qint64 at = m_diskReadAt.load(std::memory_order_relaxed);
        return at != kNever && Now() - at < kDiskWindow.count();
    }
    void diskRead() {
        const qint64 now = Now();
        const qint64 before = m_diskReadAt.exchange(now, std::memory_order_relaxed);
        if (before == kNever || now - before >= kDiskWindow.count()) {
            std::lock_guard lock(m_mutex);
            // Started when the disk is first read: a walk the cache answers never pays for
            // threads that would only sleep.
            try {
                for (; m_extraReaders > 0 && !m_done; --m_extraReaders)
                    m_workers.emplace_back([this] { work(m_wakeExtra); });
            } catch (const std::system_error&) {
                m_extraReaders = 0;  // the host has no more threads: those started read
            }
            m_wakeExtra.notify_all();
        }
    }
    static qint64 Now() { return platform::CoarseMilliseconds(); }

    // A reader sleeps on `wake`: m_wake for those that always read, m_wakeExtra for those
    // that read only while the disk is waited for.
    void work(std::condition_variable& wake) {
        const bool extra = &wake == &m_wakeExtra;
        int& idle = extra ? m_idleExtra : m_idle;
        Reader me;
        for (;;) {
            Node* node = nullptr;
            {
                std::unique_lock lock(m_mutex);
                ++idle;
                wake.wait(lock, [this, extra] {
                    return m_done ||
                           (m_waiting > 0 && m_readAhead.load() < m_readAheadLimit.load() &&
                            (!extra || diskBound()));
                });
                --idle;
                if (m_done)
                    return;
                node = takeFirst();
            }
            // An extra reader goes on only while the disk is what the walk waits for.
            while (node) {
                node = produce(node, me, !extra || diskBound());
                if (me.unsettled >= kSettleEvery) {
                    m_readAhead.fetch_add(me.unsettled);
                    me.unsettled = 0;
                }
            }
        }
    }

    // The sink is done with the node and all below it: its sub-folders are freed, its
    // listing goes back to the pool, and its entries leave the read-ahead.
    void free(Node* node) {
        const qint64 entries = static_cast<qint64>(node->listing.entries.size());
        m_fed += entries;
        m_sinkReader.unsettled -= entries;
        if (m_sinkReader.unsettled <= -kSettleEvery || m_sinkReader.unsettled >= kSettleEvery)
            settle();
        node->subfolders.reset();
        node->folder.reset();
        m_listings.giveBack(m_sinkReader.spares, std::move(node->listing));
    }

    // The sink's share of the read-ahead into the shared count, and a limit that follows what
    // it has taken; workers that waited for room are woken once there is some.
    void settle() {
        const qint64 limitBefore = m_readAheadLimit.load();
        const qint64 limit = std::clamp(m_fed / kReadAheadShare, kReadAheadLeast, kReadAheadMost);
        if (limit != limitBefore)
            m_readAheadLimit.store(limit);
        const qint64 before = m_readAhead.fetch_add(m_sinkReader.unsettled);
        const qint64 after = before + m_sinkReader.unsettled;
        m_sinkReader.unsettled = 0;
        if (before >= limitBefore && after < limit) {
            std::lock_guard lock(m_mutex);  // no worker misses the wake between test and wait
            m_wake.notify_all();
            // Extra readers read only while the disk is waited for; woken otherwise, they
            // would only go back to sleep (diskRead wakes them when it begins).
            if (diskBound())
                m_wakeExtra.notify_all();
        }
    }

    QString pathOf(const std::vector<Level>& stack) const {
        QString path = m_startPath.toString();
        if (path == u"\\")
            path.clear();
        for (const Level& level : stack) {
            const FindData& e = level.node->listing.entries[level.next - 1];
            path.append(u'\\');
            platform::AppendDecodedHostName(path, level.node->listing.nameOf(e));
        }
        return path;
    }

    platform::Device& m_device;
    QStringView m_startPath;
    WalkSink& m_sink;
    const WalkControl& m_control;
    std::unique_ptr<Node> m_root;
    std::vector<Level> m_stack;
    std::atomic<qint64> m_readAhead{0};
    std::atomic<qint64> m_readAheadLimit{kReadAheadLeast};
    qint64 m_fed = 0;     // entries of the folders the sink has left
    Reader m_sinkReader;  // the caller's thread, which feeds the sink
    FirstLinks m_links;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    PendingList m_pending;
    std::atomic<qint64> m_waiting{0};  // of those, the ones nobody reads yet
    bool m_done = false;
    int m_idle = 0;       // workers asleep on m_wake
    int m_idleExtra = 0;  // and on m_wakeExtra
    std::condition_variable m_wakeExtra;
    int m_cachedReaders = 1;
    int m_extraReaders = 0;  // not started yet (guarded by m_mutex)
    // When a reader last made the disk read, in steady milliseconds.
    static constexpr qint64 kNever = std::numeric_limits<qint64>::min();
    std::atomic<qint64> m_diskReadAt{kNever};
    std::vector<std::thread> m_workers;  // added to under m_mutex until m_done
    std::mutex m_readyMutex;
    std::condition_variable m_ready;
    std::atomic<Node*> m_awaited{nullptr};
    ListingPool m_listings;
};

}  // namespace

bool WalkTreeParallel(platform::Device& device, QStringView startPath, WalkSink& sink,
                      const WalkControl& control) {
    return ParallelWalker(device, startPath, sink, control).run();
}

}  // namespace dovrane::engine
