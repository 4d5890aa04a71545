#pragma once
// What grew between two scans of one device: every folder met in either scan, with its size
// then and now and the files added and removed below it; the largest new and grown files
// below one folder; the same figures by file type. The result owns its names and never
// points into the scans it came from.
//
// Files match by device path alone: a rename is a removal plus an addition, and a file that
// became a folder (or the reverse) is one removed and one added. Sizes are what the sums
// count: a file's later hard links (in walk order) add 0 bytes, then as now.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "engine/name_pool.h"
#include "engine/walk_sink.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

class ScanIndex;

// Plays one whole scan into a sink in a walk's order: a device walked, or a scan file read as
// it streams (StreamScanFile). False when it did not get to the end.
using ScanFeed = std::function<bool(WalkSink& sink)>;
// The walk of the whole of `device`.
ScanFeed DeviceFeed(platform::Device& device, const WalkControl& control);

struct GrowthNode {
    enum class Kind : quint8 { Folder, Root, InFolder };

    GrowthNode* parent = nullptr;
    quint64 thenSize = 0;      // every counted file here and below, in the earlier scan
    quint64 nowSize = 0;       // the same in the later scan
    quint64 newFiles = 0;      // files here and below that the earlier scan did not have
    quint64 removedFiles = 0;  // files here and below that the later scan no longer has
    quint32 firstChild = 0;    // into Growth's child links
    quint32 childCount = 0;

    // The root has no parent; "In Folder" is its one shared name. Not kept apart: a
    // comparison has two nodes a folder, and every byte of them counts.
    Kind kind() const;
    // The host bytes of the name (none for the root).
    std::string_view hostName() const { return NamePool::Counted(m_name); }
    // "\" for the root, "\"In Folder\"" for the files directly in the parent.
    QString name() const;
    bool grew() const { return nowSize > thenSize; }
    // |now - then|: exact over the whole 64-bit range, where a signed difference is not.
    quint64 change() const { return grew() ? nowSize - thenSize : thenSize - nowSize; }

private:
    friend class Growth;
    const char* m_name = "";  // counted (NamePool::Counted), in the growth's pool
};

// One file below the compared folder that is new or larger than before.
struct GrowthFile {
    QString name;
    const GrowthNode* folder = nullptr;
    quint64 thenSize = 0;  // 0 for a new file
    quint64 nowSize = 0;
};

// The files of one type below the compared folder.
struct GrowthType {
    QString name;  // as FileTypeOf gives it
    quint64 thenSize = 0;
    quint64 nowSize = 0;
    quint64 newFiles = 0;
    quint64 removedFiles = 0;
    bool grew() const { return nowSize > thenSize; }
    quint64 change() const { return grew() ? nowSize - thenSize : thenSize - nowSize; }
};

struct GrowthRequest {
    QString path = QStringLiteral("\\");  // where files and types are gathered (a device path)
    size_t fileRows = 20;                 // how many of the largest new and grown files
    bool byType = false;                  // also gather the figures by file type
};

class Growth {
public:
    Growth();
    Growth(const Growth&) = delete;
    Growth& operator=(const Growth&) = delete;

    const GrowthNode* root() const { return &m_nodes.front(); }
    // The folder of the request's path, in either scan; null when neither had it.
    const GrowthNode* pathNode() const { return m_pathNode; }
    // Largest change first; equal changes by name without regard to case, then by the
    // name's bytes, so that the order never depends on how either scan listed its folders.
    std::span<const GrowthNode* const> children(const GrowthNode* node) const {
        return {m_links.data() + node->firstChild, node->childCount};
    }
    // Most bytes added first; equal growth in the later scan's walk order.
    const std::vector<GrowthFile>& files() const { return m_files; }
    // Ordered as children(); empty unless asked for.
    const std::vector<GrowthType>& types() const { return m_types; }
    size_t nodeCount() const { return m_nodes.size(); }

    // "\a\b" for a folder (the root is "\"); the folder's own path for "In Folder".
    static QString DevicePath(const GrowthNode* node);

private:
    friend class GrowthBuilder;
    GrowthNode* newNode(GrowthNode* parent, std::string_view hostName, GrowthNode::Kind kind);
    void setChildren(GrowthNode* node, std::vector<const GrowthNode*>& children);

    std::deque<GrowthNode> m_nodes;
    NamePool m_names;
    std::vector<const GrowthNode*> m_links;
    const GrowthNode* m_pathNode = nullptr;
    std::vector<GrowthFile> m_files;
    std::vector<GrowthType> m_types;
};

// Every folder and file of one scan, kept to be compared with a later one: names once in a
// pool, each folder's entries sorted by name for look-ups, 12 bytes an entry besides.
class ScanIndex {
public:
    ScanIndex();
    ~ScanIndex();
    ScanIndex(ScanIndex&&) noexcept;
    ScanIndex& operator=(ScanIndex&&) noexcept;

    // Indexes the scan `feed` plays. False when it did not end: the index is then unusable.
    bool build(const ScanFeed& feed);
    bool build(platform::Device& device, const WalkControl& control) {
        return build(DeviceFeed(device, control));
    }
    quint64 totalSize() const;
    size_t entryCount() const;

    struct Data;  // defined where it is read

private:
    friend class GrowthBuilder;
    friend bool CompareWithIndex(const ScanIndex& then, const ScanFeed& now,
                                 const GrowthRequest& request, Growth& out);
    std::unique_ptr<Data> m_data;
};

// Plays `now` and compares it with `then`, into `out` (a fresh one). False when `now` did
// not end.
bool CompareWithIndex(const ScanIndex& then, const ScanFeed& now, const GrowthRequest& request,
                      Growth& out);

// Both scans played here: the earlier first, kept as an index, then the later against it.
bool CompareScans(const ScanFeed& then, const ScanFeed& now, const GrowthRequest& request,
                  Growth& out);

// "+1.2 GB", "-300 KB", or the size text of 0 when nothing changed.
QString ChangeText(quint64 thenSize, quint64 nowSize);
template <typename Row>
QString ChangeText(const Row& row) {
    return ChangeText(row.thenSize, row.nowSize);
}

// A growth pie: the entries that grew, sized by the bytes they added, and what the entries
// that shrank gave back. Row: a GrowthNode (the entries of one folder) or a GrowthType.
template <typename Row>
struct GrowthPie {
    std::vector<const Row*> grown;  // most bytes added first, ties as children()
    std::vector<quint64> added;     // of each in `grown`
    quint64 addedTotal = 0;
    quint64 other = 0;  // added by the entries folded into "Other" (beyond n - 1 of them)
    quint64 freed = 0;  // given back by the entries that shrank
};
using GrowthSlices = GrowthPie<GrowthNode>;
// The entries of `node`.
GrowthSlices GrowthSlicesOf(const Growth& growth, const GrowthNode* node, int numberOfSlices);
// The file types (the growth must have been asked for them).
GrowthPie<GrowthType> GrowthTypeSlicesOf(const Growth& growth, int numberOfSlices);

// The header of a growth view of `node`: `since` ("Since 29/11/2026") alone for the root,
// else followed by the folder spaced as every header spaces it ("Since 29/11/2026 \docs").
QString GrowthHeader(const QString& since, const GrowthNode* node);

}  // namespace dovrane::engine
