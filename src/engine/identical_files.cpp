#include "engine/identical_files.h"

#include <xxhash.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <map>
#include <memory>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "platform/content_reader.h"

namespace dovrane::engine {
namespace {

struct Hash {
    quint64 low = 0, high = 0;
    friend auto operator<=>(const Hash&, const Hash&) = default;
};

Hash ToHash(const XXH128_hash_t& h) {
    return {h.low64, h.high64};
}

// A pass worth less than this (in bytes read, an open counted as kOpenCost) is read on one
// thread: starting another costs more than it saves.
constexpr quint64 kSecondThreadFrom = 1 << 23;
// Where a second reader must prove itself, this share of the pass is read on one thread
// and the next as much on two.
constexpr quint64 kProbeShare = 8;

struct Candidate {
    quint32 record;
    quint32 order;  // position among the files met, for stable group orders
    Hash head, rest;
    bool readable = true;  // false once a read failed: the file takes no part
};

struct StateFree {
    void operator()(XXH3_state_t* s) const { XXH3_freeState(s); }
};

class Hasher {
public:
    Hasher(const std::atomic<bool>* scanning, ContentProgress* progress)
        : m_scanning(scanning), m_progress(progress), m_buffer(new char[kBufferSize]) {}

    bool stopped() const { return m_scanning && !m_scanning->load(std::memory_order_relaxed); }

    // Hashes up to `limit` bytes (-1: to the end) of the stream. False on a read error or
    // when the file ends short of `expected`.
    bool hash(platform::ContentStream& stream, qint64 limit, qint64 expected, Hash& out) {
        const std::unique_ptr<XXH3_state_t, StateFree> state(XXH3_createState());
        XXH3_128bits_reset(state.get());
        qint64 total = 0;
        while (limit < 0 || total < limit) {
            if (stopped())
                return false;
            const qint64 want =
                limit < 0 ? kBufferSize : std::min<qint64>(kBufferSize, limit - total);
            const qint64 n =
                stream.read(std::span<char>(m_buffer.get(), static_cast<size_t>(want)));
            if (n < 0)
                return false;
            if (n == 0)
                break;
            XXH3_128bits_update(state.get(), m_buffer.get(), static_cast<size_t>(n));
            total += n;
            if (m_progress)
                m_progress->bytesRead.fetch_add(static_cast<quint64>(n), std::memory_order_relaxed);
        }
        out = ToHash(XXH3_128bits_digest(state.get()));
        return total == expected;
    }

private:
    static constexpr qint64 kBufferSize = 1 << 20;
    const std::atomic<bool>* m_scanning;
    ContentProgress* m_progress;
    // Left uninitialised: small files touch a page or two of it, not the whole megabyte.
    std::unique_ptr<char[]> m_buffer;
};

// Splits `group` by `key`, keeping only the parts of two or more, in first-met order.
template <typename Key>
std::vector<std::vector<Candidate>> SplitBy(const std::vector<Candidate>& group, Key key) {
    std::map<Hash, size_t> index;
    std::vector<std::vector<Candidate>> parts;
    for (const Candidate& c : group) {
        const auto [it, added] = index.try_emplace(key(c), parts.size());
        if (added)
            parts.emplace_back();
        parts[it->second].push_back(c);
    }
    std::erase_if(parts, [](const auto& p) { return p.size() < 2; });
    return parts;
}

}  // namespace

std::optional<IdenticalResult> FindIdenticalFiles(const FileList& list,
                                                  const std::vector<quint32>& files,
                                                  platform::ContentReader& reader,
                                                  const std::atomic<bool>* scanning,
                                                  ContentProgress* progress) {
    // By size, each file once however many links it has, in the order met.
    std::map<quint64, std::vector<Candidate>> bySize;
    std::unordered_set<platform::FileId, decltype([](const platform::FileId& id) {
                           return std::hash<quint64>()(id.inode * 31 + id.volume);
                       })>
        seen;
    quint32 order = 0;
    for (const quint32 i : files) {
        const FileRecord& r = list[i];
        ++order;
        if (!r.regular() || r.size == 0)
            continue;
        if (!seen.insert({list.volume(r), r.inode}).second)
            continue;
        bySize[r.size].push_back({i, order, {}, {}, true});
    }
    std::vector<std::pair<quint64, std::vector<Candidate>>> sizes;
    quint64 toRead = 0;
    for (auto& [size, group] : bySize)
        if (group.size() > 1) {
            toRead += size * group.size();
            sizes.emplace_back(size, std::move(group));
        }
    bySize.clear();
    if (progress)
        progress->bytesToRead.store(toRead, std::memory_order_relaxed);

    Hasher hasher(scanning, progress);
    IdenticalResult result;
    const auto open = [&list](const Candidate& c, platform::ContentReader& from) {
        const FileRecord& r = list[c.record];
        return from.open(list.fullPath(r), {list.volume(r), r.inode});
    };
    // Every read goes in the order the walk met the files, across sizes: neighbours on the
    // disk are read one after the other, and the reader keeps their folders open.
    const auto inWalkOrder = [](std::vector<Candidate*>& candidates) {
        std::sort(candidates.begin(), candidates.end(),
                  [](const Candidate* a, const Candidate* b) { return a->order < b->order; });
    };
    // Reads the pass with `readOne`, on a second thread too when the reader offers a second
    // reader and the pass is worth a thread: the cache answers as fast as a core copies and
    // hashes, and a disk that does not rotate answers two requests at once. A disk that says
    // it rotates may answer two at once all the same (virtual disks mostly say so, whatever
    // lies below them), or lose the time to seeking: there a part of the pass is read on one
    // thread and as much again on two, and the second stays only if the two were faster by
    // a tenth. Each thread takes one run of the walk order, so each still reads neighbours
    // one after the other.
    const auto readPass = [&](const std::vector<Candidate*>& pass, auto costOf, auto readOne) {
        // The end of the run from `from` that costs at least `want`, and its cost.
        const auto runOf = [&](size_t from, quint64 want) {
            quint64 cost = 0;
            size_t to = from;
            while (to < pass.size() && cost < want)
                cost += costOf(*pass[to++]);
            return std::pair{to, cost};
        };
        const quint64 total = runOf(0, std::numeric_limits<quint64>::max()).second;
        std::unique_ptr<platform::ContentReader> second;
        if (total >= kSecondThreadFrom && std::thread::hardware_concurrency() > 1)
            second = reader.another();
        // [from, to), of `cost`, in two runs of about equal cost when `two`, the later on a
        // thread of `second`'s.
        const auto readRun = [&](size_t from, size_t to, quint64 cost, bool two) {
            size_t split = to;
            std::thread other;
            if (two) {
                split = runOf(from, cost / 2).first;
                try {
                    other = std::thread([&, split, to] {
                        Hasher own(scanning, progress);
                        for (size_t i = split; i < to && !own.stopped(); ++i)
                            readOne(*pass[i], *second, own);
                    });
                } catch (const std::system_error&) {
                    split = to;  // no thread to be had: this one reads it all
                }
            }
            for (size_t i = from; i < split && !hasher.stopped(); ++i)
                readOne(*pass[i], reader, hasher);
            if (other.joinable())
                other.join();
        };
        bool two = second != nullptr;
        size_t from = 0;
        quint64 rest = total;
        if (two && reader.secondMustProve()) {
            using Clock = std::chrono::steady_clock;
            const auto [alone, aloneCost] = runOf(0, total / kProbeShare);
            const auto [both, bothCost] = runOf(alone, total / kProbeShare);
            const Clock::time_point began = Clock::now();
            readRun(0, alone, aloneCost, false);
            const Clock::time_point between = Clock::now();
            readRun(alone, both, bothCost, true);
            const double oneTook = static_cast<double>((between - began).count());
            const double twoTook = static_cast<double>((Clock::now() - between).count());
            // Cost over time compared without a division: two stay at 1.1 times one's rate.
            two = static_cast<double>(bothCost) * oneTook * 10 >
                  static_cast<double>(aloneCost) * twoTook * 11;
            from = both;
            rest = total - aloneCost - bothCost;
        }
        readRun(from, pass.size(), rest, two);
    };
    // An open costs about as much as reading this many bytes from the cache.
    constexpr quint64 kOpenCost = 1 << 16;
    std::vector<Candidate*> pass;
    for (auto& [size, group] : sizes)
        for (Candidate& c : group)
            pass.push_back(&c);
    inWalkOrder(pass);
    readPass(
        pass, [](const Candidate&) { return kOpenCost; },
        [&](Candidate& c, platform::ContentReader& from, Hasher& h) {
            const qint64 head =
                std::min(static_cast<qint64>(list[c.record].size), kPartialHashBytes);
            const auto stream = open(c, from);
            c.readable = stream && h.hash(*stream, head, head, c.head);
        });
    if (hasher.stopped())
        return std::nullopt;
    // The rest of those whose head another of their size shares; files are opened again,
    // past their head: no descriptor is held across the pass, and no byte is read twice.
    pass.clear();
    std::vector<std::vector<std::vector<Candidate>>> heads;  // per size: parts of one head
    for (auto& [size, group] : sizes) {
        std::erase_if(group, [](const Candidate& c) { return !c.readable; });
        heads.push_back(SplitBy(group, [](const Candidate& c) { return c.head; }));
        if (static_cast<qint64>(size) > kPartialHashBytes)
            for (auto& part : heads.back())
                for (Candidate& c : part)
                    pass.push_back(&c);
    }
    inWalkOrder(pass);
    readPass(
        pass, [&list](const Candidate& c) { return list[c.record].size + kOpenCost; },
        [&](Candidate& c, platform::ContentReader& from, Hasher& h) {
            const qint64 bytes = static_cast<qint64>(list[c.record].size);
            const auto stream = open(c, from);
            c.readable = stream && stream->skip(kPartialHashBytes) &&
                         h.hash(*stream, -1, bytes - kPartialHashBytes, c.rest);
        });
    if (hasher.stopped())
        return std::nullopt;
    std::vector<std::pair<quint32, IdenticalGroup>> found;  // first member's order, group
    for (size_t s = 0; s < sizes.size(); ++s) {
        for (auto& part : heads[s]) {
            std::erase_if(part, [](const Candidate& c) { return !c.readable; });
            for (auto& same : SplitBy(part, [](const Candidate& c) { return c.rest; })) {
                IdenticalGroup g{sizes[s].first, {}};
                for (const Candidate& c : same)
                    g.files.push_back(c.record);
                found.emplace_back(same.front().order, std::move(g));
            }
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.second.wastedBytes() != b.second.wastedBytes())
            return a.second.wastedBytes() > b.second.wastedBytes();
        return a.first < b.first;
    });
    for (auto& [first, g] : found) {
        result.wastedBytes += g.wastedBytes();
        result.groups.push_back(std::move(g));
    }
    return result;
}

}  // namespace dovrane::engine
