#include "engine/growth.h"

#include <algorithm>
#include <map>
#include <queue>
#include <string>

#include "engine/folder_tree.h"
#include "engine/orders.h"
#include "engine/text.h"
#include "engine/walk.h"
#include "platform/name_codec.h"

namespace dovrane::engine {
namespace {

// "In Folder" as a counted name, its length first: one text for every folder's files.
constexpr char kInFolderCounted[] = "\x0b\"In Folder\"";
constexpr quint32 kNoFolder = 0xFFFFFFFF;  // a level with no "then"

// A file and its size as the sums count it, or a sub-folder: most of an index is these, so
// they take 12 bytes, not 16. A folder is told by a size's high half no file has.
class IndexEntry {
public:
    static IndexEntry File(quint32 name, quint64 size) {
        // No file system and no scan file holds a file of 2^63 bytes or more; a made-up
        // size from 2^64 - 2^32 up is kept as the largest below.
        size = std::min(size, (quint64{kFolderMark} << 32) - 1);
        return {name, static_cast<quint32>(size), static_cast<quint32>(size >> 32)};
    }
    static IndexEntry Folder(quint32 name, quint32 index) { return {name, index, kFolderMark}; }
    IndexEntry() = default;

    quint32 name() const { return m_name; }  // counted, in the index's pool
    bool isFolder() const { return m_high == kFolderMark; }
    quint32 folder() const { return m_low; }  // of a folder's entry
    quint64 size() const { return isFolder() ? 0 : quint64{m_high} << 32 | m_low; }

private:
    static constexpr quint32 kFolderMark = 0xFFFFFFFF;
    IndexEntry(quint32 name, quint32 low, quint32 high) : m_name(name), m_low(low), m_high(high) {}
    quint32 m_name = 0;
    quint32 m_low = 0;
    quint32 m_high = 0;
};

// A comparison of ten million entries holds ten million of the one and two million of the other.
static_assert(sizeof(IndexEntry) == 12 && sizeof(GrowthNode) <= 56);

struct IndexFolder {
    quint64 total = 0;
    quint64 filesSize = 0;   // directly here
    quint32 firstEntry = 0;  // where the folder's run of entries starts in the index
    quint32 entryCount = 0;
    quint32 fileCount = 0;  // here and below: no more than the index's entries
};

// Equal changes by name as every list orders names, then by the bytes themselves.
bool NameBefore(std::string_view a, std::string_view b) {
    const int c = CompareHostNamesNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

std::string_view TypeKey(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view("Generic") : name.substr(dot + 1);
}

}  // namespace

struct ScanIndex::Data {
    NamePool names;
    std::vector<IndexFolder> folders;
    // Runs in blocks that never move: a vector grown to millions of entries would hold
    // its old and new buffers at once, half again the index at its peak. A run never
    // crosses from one allocation into another, and its place counts blocks of kBlock
    // entries whatever their allocation, so that a folder finds its run from 4 bytes.
    static constexpr size_t kBlock = 64 * 1024;
    std::vector<std::unique_ptr<IndexEntry[]>> allocations;
    std::vector<IndexEntry*> blocks;  // a long run's allocation gives several in a row
    size_t used = 0;                  // places taken, with those skipped at a block's end
    size_t count = 0;

    // The place of a new run of `n` entries.
    quint32 newRun(size_t n) {
        const size_t end = blocks.size() * kBlock;
        if (used + n > end) {
            used = end;
            const size_t room = (n + kBlock - 1) / kBlock * kBlock;
            allocations.push_back(std::make_unique<IndexEntry[]>(room));
            for (size_t at = 0; at < room; at += kBlock)
                blocks.push_back(allocations.back().get() + at);
        }
        const auto place = static_cast<quint32>(used);
        used += n;
        count += n;
        return place;
    }
    IndexEntry* at(size_t place) const { return blocks[place / kBlock] + place % kBlock; }
    // Over the whole index, for a table of entries seen: skipped places included.
    size_t ordinal(quint32 folder, const IndexEntry* e) const {
        return folders[folder].firstEntry + static_cast<size_t>(e - at(folders[folder].firstEntry));
    }

    std::string_view nameOf(quint32 offset) const { return names.counted(offset); }
    std::span<const IndexEntry> entriesOf(const IndexFolder& f) const {
        if (f.entryCount == 0)
            return {};
        return {at(f.firstEntry), f.entryCount};
    }
    const IndexEntry* find(quint32 folder, std::string_view name) const {
        const auto range = entriesOf(folders[folder]);
        const auto it = std::lower_bound(
            range.begin(), range.end(), name,
            [this](const IndexEntry& e, std::string_view n) { return nameOf(e.name()) < n; });
        return it != range.end() && nameOf(it->name()) == name ? &*it : nullptr;
    }
};

namespace {

// Keeps each folder's entries in one run, sorted by name bytes, written when the walk
// leaves the folder: a folder's run follows those of its sub-folders.
class IndexSink final : public WalkSink {
public:
    explicit IndexSink(ScanIndex::Data& data) : m_data(data) {
        m_data.folders.emplace_back();
        open(0);
    }

    void enterFolder(std::string_view hostName, const platform::FindData&) override {
        const quint32 name = m_data.names.addCounted(hostName);
        const auto index = static_cast<quint32>(m_data.folders.size());
        m_data.folders.emplace_back();
        m_open[m_depth - 1].entries.push_back(IndexEntry::Folder(name, index));
        open(index);
    }
    void file(std::string_view hostName, const platform::FindData& entry, bool counted) override {
        m_open[m_depth - 1].entries.push_back(
            IndexEntry::File(m_data.names.addCounted(hostName), counted ? entry.size : 0));
    }
    void leaveFolder() override {
        Open& o = m_open[--m_depth];
        StableSort(o.entries.begin(), o.entries.end(),
                   [this](const IndexEntry& a, const IndexEntry& b) {
                       return m_data.nameOf(a.name()) < m_data.nameOf(b.name());
                   });
        IndexFolder& folder = m_data.folders[o.folder];
        folder.entryCount = static_cast<quint32>(o.entries.size());
        if (!o.entries.empty()) {
            folder.firstEntry = m_data.newRun(o.entries.size());
            std::copy(o.entries.begin(), o.entries.end(), m_data.at(folder.firstEntry));
        }
        for (const IndexEntry& e : o.entries) {
            if (!e.isFolder()) {
                folder.filesSize += e.size();
                ++folder.fileCount;
            } else {
                folder.total += m_data.folders[e.folder()].total;
                folder.fileCount += m_data.folders[e.folder()].fileCount;
            }
        }
        folder.total += folder.filesSize;
    }

private:
    struct Open {
        quint32 folder = 0;
        std::vector<IndexEntry> entries;
    };
    void open(quint32 folder) {
        if (m_depth == m_open.size())
            m_open.emplace_back();
        m_open[m_depth].folder = folder;
        m_open[m_depth].entries.clear();
        ++m_depth;
    }

    ScanIndex::Data& m_data;
    std::vector<Open> m_open;
    size_t m_depth = 0;
};

}  // namespace

ScanIndex::ScanIndex() = default;
ScanIndex::~ScanIndex() = default;
ScanIndex::ScanIndex(ScanIndex&&) noexcept = default;
ScanIndex& ScanIndex::operator=(ScanIndex&&) noexcept = default;

ScanFeed DeviceFeed(platform::Device& device, const WalkControl& control) {
    return [&device, control](WalkSink& sink) { return WalkTree(device, u"\\", sink, control); };
}

bool ScanIndex::build(const ScanFeed& feed) {
    m_data = std::make_unique<Data>();
    IndexSink sink(*m_data);
    if (feed(sink))
        return true;
    m_data.reset();
    return false;
}

quint64 ScanIndex::totalSize() const {
    return m_data ? m_data->folders.front().total : 0;
}

size_t ScanIndex::entryCount() const {
    return m_data ? m_data->count : 0;
}

GrowthNode::Kind GrowthNode::kind() const {
    if (!parent)
        return Kind::Root;
    return m_name == kInFolderCounted ? Kind::InFolder : Kind::Folder;
}

QString GrowthNode::name() const {
    // "In Folder" is kept as its own text's bytes, which decode to it.
    return parent ? platform::DecodeHostName(hostName()) : QStringLiteral("\\");
}

Growth::Growth() {
    m_nodes.emplace_back();
}

GrowthNode* Growth::newNode(GrowthNode* parent, std::string_view hostName, GrowthNode::Kind kind) {
    GrowthNode& node = m_nodes.emplace_back();
    node.parent = parent;
    node.m_name = kind == GrowthNode::Kind::InFolder ? kInFolderCounted
                                                     : m_names.data(m_names.addCounted(hostName));
    return &node;
}

void Growth::setChildren(GrowthNode* node, std::vector<const GrowthNode*>& children) {
    StableSort(children.begin(), children.end(), [](const GrowthNode* a, const GrowthNode* b) {
        if (a->change() != b->change())
            return a->change() > b->change();
        return NameBefore(a->hostName(), b->hostName());
    });
    node->firstChild = static_cast<quint32>(m_links.size());
    node->childCount = static_cast<quint32>(children.size());
    m_links.insert(m_links.end(), children.begin(), children.end());
}

QString Growth::DevicePath(const GrowthNode* node) {
    if (node->kind() == GrowthNode::Kind::InFolder)
        node = node->parent;
    QString path;
    for (; node && node->kind() != GrowthNode::Kind::Root; node = node->parent)
        path.prepend(u'\\' + node->name());
    return path.isEmpty() ? QStringLiteral("\\") : path;
}

// The later scan's walk, matched entry by entry against the earlier scan's index.
class GrowthBuilder final : public WalkSink {
public:
    GrowthBuilder(const ScanIndex::Data& then, const GrowthRequest& request, Growth& out)
        : m_then(then), m_request(request), m_out(out), m_matched(then.used) {
        for (const QString& part : request.path.split(u'\\', Qt::SkipEmptyParts))
            if (!part.trimmed().isEmpty())
                m_path.append(FoldCase(part.trimmed()));
        GrowthNode* root = &m_out.m_nodes.front();
        const bool wholeDevice = m_path.isEmpty();
        if (wholeDevice)
            m_out.m_pathNode = root;
        open(root, 0, {true, wholeDevice, false});
    }

    void enterFolder(std::string_view hostName, const platform::FindData&) override {
        Level& parent = m_levels[m_depth - 1];
        GrowthNode* node = m_out.newNode(parent.node, hostName, GrowthNode::Kind::Folder);
        quint32 then = kNoFolder;
        if (const IndexEntry* e = lookUp(parent.then, hostName); e && e->isFolder()) {
            m_matched[m_then.ordinal(parent.then, e)] = true;
            then = e->folder();
        }
        const Scope scope = childScope(parent.scope, m_depth, hostName, node);
        open(node, then, scope);
    }

    void file(std::string_view hostName, const platform::FindData& entry, bool counted) override {
        Level& level = m_levels[m_depth - 1];
        const quint64 now = counted ? entry.size : 0;
        level.nowFiles += now;
        quint64 then = 0;
        bool isNew = true;
        if (const IndexEntry* e = lookUp(level.then, hostName); e && !e->isFolder()) {
            m_matched[m_then.ordinal(level.then, e)] = true;
            then = e->size();
            isNew = false;
        }
        level.newFiles += isNew;
        if (!level.scope.inside)
            return;
        if (now > then)
            offerFile(hostName, level.node, then, now);
        if (m_request.byType) {
            TypeSums& sums = typeOf(hostName);
            sums.then += then;
            sums.now += now;
            sums.added += isNew;
        }
    }

    void leaveFolder() override {
        Level& level = m_levels[m_depth - 1];
        GrowthNode* node = level.node;
        quint64 thenFiles = 0, removedHere = 0;
        if (level.then != kNoFolder) {
            const IndexFolder& folder = m_then.folders[level.then];
            thenFiles = folder.filesSize;
            node->thenSize = folder.total;
            for (const IndexEntry& e : m_then.entriesOf(folder)) {
                if (m_matched[m_then.ordinal(level.then, &e)])
                    continue;
                if (!e.isFolder()) {
                    ++removedHere;
                    removedFile(level.scope, e);
                } else {
                    addRemovedFolder(level, e);
                }
            }
        }
        node->nowSize = level.nowFiles;
        node->newFiles = level.newFiles;
        node->removedFiles = removedHere;
        for (const GrowthNode* child : level.children) {
            node->nowSize += child->nowSize;
            node->newFiles += child->newFiles;
            node->removedFiles += child->removedFiles;
        }
        finishNode(node, level.children, {thenFiles, level.nowFiles, level.newFiles, removedHere});
        --m_depth;
        if (m_depth > 0)
            m_levels[m_depth - 1].children.push_back(node);
    }

    void finish() {
        std::vector<Candidate> best;
        best.reserve(m_best.size());
        for (; !m_best.empty(); m_best.pop())
            best.push_back(m_best.top());
        std::sort(best.begin(), best.end(), Better());
        for (const Candidate& c : best)
            m_out.m_files.push_back(
                {platform::DecodeHostName(c.name), c.folder, c.thenSize, c.nowSize});
        for (const auto& [key, sums] : m_types)
            m_out.m_types.push_back(
                {platform::DecodeHostName(key), sums.then, sums.now, sums.added, sums.removed});
        std::stable_sort(m_out.m_types.begin(), m_out.m_types.end(),
                         [](const GrowthType& a, const GrowthType& b) {
                             if (a.change() != b.change())
                                 return a.change() > b.change();
                             const int c = CompareNoCase(a.name, b.name);
                             return c != 0 ? c < 0 : a.name < b.name;
                         });
    }

private:
    // Where a folder lies with respect to the request's path.
    struct Scope {
        bool onPath = false;   // the path or one of its ancestors
        bool inside = false;   // the path or below it: its files are gathered
        bool claimed = false;  // one child already matched the path's next part
    };
    struct Level {
        GrowthNode* node = nullptr;
        quint32 then = kNoFolder;  // the earlier scan's folder; none when new
        Scope scope;
        quint64 nowFiles = 0, newFiles = 0;
        std::vector<const GrowthNode*> children;
    };
    struct FilesEntry {
        quint64 thenSize, nowSize, added, removed;
    };
    struct TypeSums {
        quint64 then = 0, now = 0, added = 0, removed = 0;
    };
    struct Candidate {
        quint64 growth = 0;
        quint64 order = 0;  // walk order, for ties
        std::string name;
        const GrowthNode* folder = nullptr;
        quint64 thenSize = 0, nowSize = 0;
    };
    struct Better {
        bool operator()(const Candidate& a, const Candidate& b) const {
            return a.growth != b.growth ? a.growth > b.growth : a.order < b.order;
        }
    };

    const IndexEntry* lookUp(quint32 thenFolder, std::string_view name) const {
        return thenFolder == kNoFolder ? nullptr : m_then.find(thenFolder, name);
    }

    // The first child (in the order met) whose folded name is the path's next part lies
    // on the path, as a look-up by path finds it.
    Scope childScope(Scope& parent, size_t depth, std::string_view hostName,
                     const GrowthNode* node) {
        Scope scope{false, parent.inside, false};
        if (parent.onPath && !parent.claimed && depth <= static_cast<size_t>(m_path.size()) &&
            FoldCase(platform::DecodeHostName(hostName)) == m_path[depth - 1]) {
            parent.claimed = true;
            scope.onPath = true;
            if (depth == static_cast<size_t>(m_path.size())) {
                scope.inside = true;
                m_out.m_pathNode = node;
            }
        }
        return scope;
    }

    void open(GrowthNode* node, quint32 then, Scope scope) {
        if (m_depth == m_levels.size())
            m_levels.emplace_back();
        Level& level = m_levels[m_depth++];
        level.node = node;
        level.then = then;
        level.scope = scope;
        level.nowFiles = level.newFiles = 0;
        level.children.clear();
    }

    // "In Folder" when the folder's own files weigh anything or came or went, then the order.
    void finishNode(GrowthNode* node, std::vector<const GrowthNode*>& children,
                    const FilesEntry& files) {
        if (files.thenSize || files.nowSize || files.added || files.removed) {
            GrowthNode* entry = m_out.newNode(node, {}, GrowthNode::Kind::InFolder);
            entry->thenSize = files.thenSize;
            entry->nowSize = files.nowSize;
            entry->newFiles = files.added;
            entry->removedFiles = files.removed;
            children.push_back(entry);
        }
        m_out.setChildren(node, children);
    }

    void removedFile(const Scope& scope, const IndexEntry& e) {
        if (!scope.inside || !m_request.byType)
            return;
        TypeSums& sums = typeOf(m_then.nameOf(e.name()));
        sums.then += e.size();
        ++sums.removed;
    }

    // A folder only the earlier scan had, with everything below it: nodes whose sizes
    // are all "then". Walked with a stack of its own: depth is the device's.
    void addRemovedFolder(Level& level, const IndexEntry& top) {
        struct Frame {
            GrowthNode* node;
            quint32 folder;
            Scope scope;
            quint32 next = 0;
            quint64 files = 0;
            std::vector<const GrowthNode*> children;
        };
        std::vector<Frame> frames;
        const auto push = [&](GrowthNode* parent, Scope& parentScope, const IndexEntry& e) {
            const std::string_view name = m_then.nameOf(e.name());
            GrowthNode* node = m_out.newNode(parent, name, GrowthNode::Kind::Folder);
            const size_t depth = m_depth + frames.size();
            frames.push_back(
                {node, e.folder(), childScope(parentScope, depth, name, node), 0, 0, {}});
        };
        push(level.node, level.scope, top);
        while (!frames.empty()) {
            Frame& f = frames.back();
            const IndexFolder& folder = m_then.folders[f.folder];
            if (f.next < folder.entryCount) {
                const IndexEntry& e = m_then.entriesOf(folder)[f.next++];
                if (!e.isFolder()) {
                    ++f.files;
                    removedFile(f.scope, e);
                } else {
                    push(f.node, f.scope, e);
                }
                continue;
            }
            f.node->thenSize = folder.total;
            f.node->removedFiles = folder.fileCount;
            finishNode(f.node, f.children, {folder.filesSize, 0, 0, f.files});
            const GrowthNode* done = f.node;
            frames.pop_back();
            (frames.empty() ? level.children : frames.back().children).push_back(done);
        }
    }

    void offerFile(std::string_view name, const GrowthNode* folder, quint64 then, quint64 now) {
        const quint64 order = m_fileOrder++;
        if (m_request.fileRows == 0)
            return;
        const quint64 growth = now - then;
        if (m_best.size() == m_request.fileRows) {
            const Candidate& worst = m_best.top();
            if (growth <= worst.growth)
                return;  // equal growth: the one met first stays
            m_best.pop();
        }
        m_best.push({growth, order, std::string(name), folder, then, now});
    }

    TypeSums& typeOf(std::string_view name) {
        const std::string_view key = TypeKey(name);
        const auto it = m_types.find(key);
        return it != m_types.end() ? it->second : m_types[std::string(key)];
    }

    const ScanIndex::Data& m_then;
    const GrowthRequest& m_request;
    Growth& m_out;
    std::vector<bool> m_matched;  // per index entry: the later scan has it too
    QStringList m_path;           // folded parts
    std::vector<Level> m_levels;  // kept when left, so their vectors keep their room
    size_t m_depth = 0;
    quint64 m_fileOrder = 0;
    std::priority_queue<Candidate, std::vector<Candidate>, Better> m_best;  // worst on top
    std::map<std::string, TypeSums, std::less<>> m_types;
};

bool CompareWithIndex(const ScanIndex& then, const ScanFeed& now, const GrowthRequest& request,
                      Growth& out) {
    if (!then.m_data)
        return false;
    GrowthBuilder builder(*then.m_data, request, out);
    if (!now(builder))
        return false;
    builder.finish();
    return true;
}

bool CompareScans(const ScanFeed& then, const ScanFeed& now, const GrowthRequest& request,
                  Growth& out) {
    ScanIndex index;
    return index.build(then) && CompareWithIndex(index, now, request, out);
}

QString ChangeText(quint64 thenSize, quint64 nowSize) {
    if (thenSize == nowSize)
        return SizeText(0);
    return nowSize > thenSize ? u'+' + SizeText(nowSize - thenSize)
                              : u'-' + SizeText(thenSize - nowSize);
}

namespace {

const GrowthNode* RowOf(const GrowthNode* node) {
    return node;
}
const GrowthType* RowOf(const GrowthType& type) {
    return &type;
}

// `rows` come ordered by absolute change, so the grown keep their order by bytes added.
template <typename Row, typename Rows>
GrowthPie<Row> SliceGrowth(const Rows& rows, int numberOfSlices) {
    GrowthPie<Row> out;
    for (const auto& each : rows) {
        const Row* row = RowOf(each);
        if (row->grew()) {
            out.grown.push_back(row);
            out.added.push_back(row->change());
            out.addedTotal += row->change();
        } else {
            out.freed += row->change();
        }
    }
    const size_t limit = static_cast<size_t>(SliceLimit(numberOfSlices));
    if (out.grown.size() > limit)
        for (size_t i = limit - 1; i < out.added.size(); ++i)
            out.other += out.added[i];
    return out;
}

}  // namespace

GrowthSlices GrowthSlicesOf(const Growth& growth, const GrowthNode* node, int numberOfSlices) {
    return SliceGrowth<GrowthNode>(growth.children(node), numberOfSlices);
}

GrowthPie<GrowthType> GrowthTypeSlicesOf(const Growth& growth, int numberOfSlices) {
    return SliceGrowth<GrowthType>(growth.types(), numberOfSlices);
}

QString GrowthHeader(const QString& since, const GrowthNode* node) {
    return node->parent ? since + SpacePath(Growth::DevicePath(node)) : since;
}

}  // namespace dovrane::engine
