#include "engine/parallel_walk.h"

#include <algorithm>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/device.h"
#include "platform/name_codec.h"

namespace dovrane::engine {
namespace {

using platform::FindData;

// Listed entries read ahead of the sink, at most; beyond it workers wait. The more the
// sink has taken, the further readers may go: a cold disk answers some folders far more
// slowly than others, and readers that may run ahead meanwhile keep it busy. Yet the
// listings in flight stay small beside what the sink keeps: a thirty-second of it, from
// about 0.3 MB to 5 MB of listings.
constexpr qint64 kReadAheadLeast = 1 << 12;
constexpr qint64 kReadAheadMost = 1 << 16;
constexpr qint64 kReadAheadShare = 32;
// Up to this many readers, the caller reads too while it waits.
constexpr int kHelpingReaders = 2;

// One folder of the walk. Made by whoever read its parent; read by a worker or by the
// caller; emptied by the caller once the sink has left it. Shared with the work queue,
// which may still name a folder the caller read itself.
struct Node {
    enum State : int { Waiting, Claimed, Ready };

    Node* parent = nullptr;
    std::string_view name;  // in the parent's listing, which outlives this node's reading
    std::unique_ptr<platform::Folder> folder;
    platform::Listing listing;
    std::vector<std::shared_ptr<Node>> subfolders;  // one per folder entry, in order
    std::atomic<int> state{Waiting};
    // Its place among the folders still to read, which are kept in walk order; valid while
    // `pending` is set (guarded by the walker's mutex).
    std::list<std::shared_ptr<Node>>::iterator place;
    bool pending = false;
    // The folder stays open while its sub-folders still have to be opened from it.
    std::atomic<int> holds{0};

    ~Node() {
        // Unwound without recursion: a tree may be deeper than the stack.
        std::vector<std::shared_ptr<Node>> rest = std::move(subfolders);
        while (!rest.empty()) {
            std::shared_ptr<Node> n = std::move(rest.back());
            rest.pop_back();
            if (n && n.use_count() == 1)
                for (auto& c : n->subfolders)
                    rest.push_back(std::move(c));
        }
    }
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
        for (std::thread& t : m_workers)
            t.join();
    }

    bool run() {
        m_root = std::make_shared<Node>();
        const int workers = std::max(1, m_control.threads);
        for (int i = 0; i < workers; ++i)
            m_workers.emplace_back([this] { work(); });
        return arrive(m_root.get()) && ReplayWalk(*this, m_sink, m_control, m_links);
    }

    // The frames ReplayWalk walks.
    bool empty() const { return m_stack.empty(); }
    const platform::Listing& listing() const { return m_stack.back().node->listing; }
    size_t& cursor() { return m_stack.back().next; }
    bool descend(std::string_view) {
        Level& level = m_stack.back();
        return arrive(level.node->subfolders[level.nextFolder++].get());
    }
    void ascend() {
        Node* node = m_stack.back().node;
        const size_t slot = m_stack.size() >= 2 ? m_stack[m_stack.size() - 2].nextFolder - 1 : 0;
        m_stack.pop_back();
        free(node, slot);
    }

private:
    struct Level {
        Node* node;
        size_t next = 0;
        size_t nextFolder = 0;
    };

    bool arrive(Node* node) {
        if (!Arrive(m_control, [this] { return pathOf(m_stack); }))
            return false;
        if (claim(node))
            produce(node);  // nobody got to it yet
        else
            waitReady(node);
        m_stack.push_back({node});
        return true;
    }

    // Opens and reads one folder and offers its sub-folders to the workers.
    void produce(Node* node) {
        if (!node->parent) {
            node->folder = m_device.openFolder(m_startPath);
        } else {
            node->folder = m_device.openChild(*node->parent->folder, node->name);
            release(node->parent);
        }
        if (node->folder)
            m_device.read(*node->folder, node->listing, platform::ReadDetail::ForWalk);
        m_readAhead.fetch_add(static_cast<qint64>(node->listing.entries.size()));
        size_t folders = 0;
        for (const FindData& e : node->listing.entries)
            folders += e.isFolder();
        node->holds.store(static_cast<int>(folders) + 1);
        node->subfolders.reserve(folders);
        for (const FindData& e : node->listing.entries) {
            if (!e.isFolder())
                continue;
            auto child = std::make_shared<Node>();
            child->parent = node;
            child->name = node->listing.nameOf(e);
            node->subfolders.push_back(std::move(child));
        }
        int idle = 0;
        {
            // The sub-folders take the folder's place in the walk order: readers always take
            // the first folder the sink will need, so that many readers never run far ahead
            // into one branch while the sink waits for a folder nobody is reading.
            std::lock_guard lock(m_mutex);
            const auto at = node->pending ? node->place : m_pending.end();
            for (const auto& child : node->subfolders) {
                child->place = m_pending.insert(at, child);
                child->pending = true;
            }
            m_waiting += static_cast<qint64>(folders);
            if (node->pending)
                m_pending.erase(node->place);
            node->pending = false;
            idle = m_idle;
        }
        if (folders > 0) {
            // Waking costs a system call: only for workers that sleep, and no more of them
            // than there is new work.
            for (int i = 0; i < std::min<int>(idle, static_cast<int>(folders)); ++i)
                m_wake.notify_one();
        }
        release(node);  // its own hold
        ready(node);
    }

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
                m_pending.erase(node->place);
            node->pending = false;
        }
        ready(node);
    }

    // Sleeps until a worker has read the node. No spinning: on a machine with as many
    // walk threads as cores, a spinning caller takes the time the worker needs.
    void waitReady(Node* node) {
        // Rather than sleep, read folders that are waiting in the queue meanwhile; but only
        // with few readers: with many, the disk is what is waited for, and a folder read
        // for someone else would hold the sink up long after its own folder is ready.
        while (m_control.threads <= kHelpingReaders && node->state.load() != Node::Ready) {
            std::shared_ptr<Node> other = takeQueued();
            if (!other)
                break;
            produce(other.get());
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
    bool claim(Node* node) {
        std::lock_guard lock(m_mutex);
        int expected = Node::Waiting;
        if (!node->state.compare_exchange_strong(expected, Node::Claimed))
            return false;
        if (node->pending)  // the start folder never was
            --m_waiting;
        return true;
    }

    // Under m_mutex: the first folder in walk order nobody reads yet, claimed; null when
    // there is none or the read-ahead is full. Folders being read stay in their place until
    // their sub-folders take it: few, at most one a reader.
    std::shared_ptr<Node> takeFirst() {
        if (m_waiting == 0 || m_readAhead.load() >= m_readAheadLimit.load())
            return nullptr;
        for (const auto& node : m_pending) {
            int expected = Node::Waiting;
            if (node->state.compare_exchange_strong(expected, Node::Claimed)) {
                --m_waiting;
                return node;
            }
        }
        return nullptr;
    }

    std::shared_ptr<Node> takeQueued() {
        std::lock_guard lock(m_mutex);
        return takeFirst();
    }

    void work() {
        for (;;) {
            std::shared_ptr<Node> node;
            {
                std::unique_lock lock(m_mutex);
                ++m_idle;
                m_wake.wait(lock, [this] {
                    return m_done ||
                           (m_waiting > 0 && m_readAhead.load() < m_readAheadLimit.load());
                });
                --m_idle;
                if (m_done)
                    return;
                node = takeFirst();
            }
            if (!node)
                continue;
            if (m_control.stopped())
                skip(node.get());
            else
                produce(node.get());
        }
    }

    // The sink is done with the node: its listing goes, and so does its slot in the parent.
    void free(Node* node, size_t slot) {
        const qint64 entries = static_cast<qint64>(node->listing.entries.size());
        node->listing = {};
        m_fed += entries;
        const qint64 limitBefore = m_readAheadLimit.load();
        const qint64 limit = std::clamp(m_fed / kReadAheadShare, kReadAheadLeast, kReadAheadMost);
        m_readAheadLimit.store(limit);
        const qint64 before = m_readAhead.fetch_sub(entries);
        if (before >= limitBefore && before - entries < limit) {
            std::lock_guard lock(m_mutex);  // no worker misses the wake between test and wait
            m_wake.notify_all();
        }
        if (node->parent)
            node->parent->subfolders[slot].reset();
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
    std::shared_ptr<Node> m_root;
    std::vector<Level> m_stack;
    std::atomic<qint64> m_readAhead{0};
    std::atomic<qint64> m_readAheadLimit{kReadAheadLeast};
    qint64 m_fed = 0;  // entries of the folders the sink has left
    FirstLinks m_links;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::list<std::shared_ptr<Node>> m_pending;  // not yet read or being read, in walk order
    qint64 m_waiting = 0;                        // of those, the ones nobody reads yet
    bool m_done = false;
    int m_idle = 0;  // workers asleep on m_wake
    std::vector<std::thread> m_workers;
    std::mutex m_readyMutex;
    std::condition_variable m_ready;
    std::atomic<Node*> m_awaited{nullptr};
};

}  // namespace

bool WalkTreeParallel(platform::Device& device, QStringView startPath, WalkSink& sink,
                      const WalkControl& control) {
    return ParallelWalker(device, startPath, sink, control).run();
}

}  // namespace dovrane::engine
