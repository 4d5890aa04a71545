#pragma once
// The folder tree of one scan: a node per folder with the bytes of the files directly in
// it and of everything below, its children in enumeration order, by size and by name, the
// "In Folder" entry for its own files, and the part folded into "Other".
//
// The tree owns every node, name and child array; nodes never move, so pointers into a
// tree stay valid until the tree is destroyed (which is all DeleteFolderTree ever did).

#include <QString>
#include <deque>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "engine/name_pool.h"
#include "engine/slice_rules.h"
#include "engine/walk.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

struct FolderNode {
    enum class Kind : quint8 { Folder, Root, InFolder };

    const char* nameBytes = nullptr;  // host bytes, in the tree's pool
    quint16 nameLength = 0;
    Kind kind = Kind::Folder;
    bool readError = false;        // could not be read (whole): counted as empty, or as far as read
    quint32 count = 0;             // entries of each of the three child arrays
    FolderNode** lists = nullptr;  // children, then childrenBySize, then childrenByName
    FolderNode* parent = nullptr;  // null for the root
    quint64 totalSize = 0;         // every file here and below; hard links once
    quint64 filesSize = 0;         // the files directly here
    quint64 otherSize = 0;         // children folded into "Other"; 0: no "Other" slice

    // "\" for the root, "\"In Folder\"" for the files entry, else the device name.
    QString name() const;
    bool isInFolder() const { return kind == Kind::InFolder; }
    std::span<FolderNode* const> children() const { return {lists, count}; }
    std::span<FolderNode* const> childrenBySize() const { return {lists + count, count}; }
    std::span<FolderNode* const> childrenByName() const { return {lists + 2 * count, count}; }

    quint32 totalSizeHigh() const { return static_cast<quint32>(totalSize >> 32); }
    quint32 totalSizeLow() const { return static_cast<quint32>(totalSize); }
    quint32 filesSizeHigh() const { return static_cast<quint32>(filesSize >> 32); }
    quint32 filesSizeLow() const { return static_cast<quint32>(filesSize); }
    quint32 otherSizeHigh() const { return static_cast<quint32>(otherSize >> 32); }
    quint32 otherSizeLow() const { return static_cast<quint32>(otherSize); }
};

class FolderTree {
public:
    FolderTree();  // a lone root named "\"
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    FolderNode* root() { return &m_nodes.front(); }
    const FolderNode* root() const { return &m_nodes.front(); }
    size_t nodeCount() const { return m_nodes.size(); }

    // For building: a node under `parent` (not yet in its arrays), and arrays for a node.
    FolderNode* newNode(FolderNode* parent, std::string_view hostName, FolderNode::Kind kind);
    void setChildren(FolderNode* node, const std::vector<FolderNode*>& children);

private:
    std::deque<FolderNode> m_nodes;
    NamePool m_names;
    std::vector<std::unique_ptr<FolderNode*[]>> m_blocks;
    size_t m_blockUsed = 0, m_blockSize = 0;
};

// Walks the whole device into `tree` (a fresh one) with `numberOfSlices` for "Other".
// Returns false when stopped; the tree then has no totals for the part not finished.
bool ScanFolder(platform::Device& device, FolderTree& tree, int numberOfSlices,
                const WalkControl& control);

// "\Pocket PC" for the root, else "\" + each name from below the root down.
QString BuildFolderPath(const FolderNode* node);

// The real sub-folder `name` picks (PickByName): spelled so, else equal without regard to
// case.
FolderNode* FindChildByName(const FolderNode* node, QStringView name);

// "" and "\" give `node`; "\a\b" its descendant; null when a component matches nothing.
// Blanks are part of the names, and dropped only where that matches nothing.
FolderNode* FindFolderByPath(FolderNode* node, QStringView path);

void ComputeOther(FolderNode* node, int numberOfSlices);
void RecomputeOtherTree(FolderNode* node, int numberOfSlices);

}  // namespace dovrane::engine
