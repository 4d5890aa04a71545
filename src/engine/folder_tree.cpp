#include "engine/folder_tree.h"

#include <algorithm>

#include "engine/orders.h"
#include "engine/sub_folders.h"
#include "platform/device.h"
#include "platform/name_codec.h"

namespace dovrane::engine {
namespace {

constexpr std::string_view kInFolderBytes = "\"In Folder\"";

}  // namespace

QString FolderNode::name() const {
    switch (kind) {
        case Kind::Root:
            return QStringLiteral("\\");
        case Kind::InFolder:
            return kInFolderName;
        case Kind::Folder:
            break;
    }
    return platform::DecodeHostName({nameBytes, nameLength});
}

FolderTree::FolderTree() {
    FolderNode& root = m_nodes.emplace_back();
    root.kind = FolderNode::Kind::Root;
}

FolderNode* FolderTree::newNode(FolderNode* parent, std::string_view hostName,
                                FolderNode::Kind kind) {
    FolderNode& node = m_nodes.emplace_back();
    node.kind = kind;
    node.parent = parent;
    // The files entry keeps its text as bytes too (plain ASCII, so the same either way):
    // the name order then compares bytes alike for every child.
    const std::string_view bytes = kind == FolderNode::Kind::InFolder ? kInFolderBytes : hostName;
    if (kind != FolderNode::Kind::Root) {
        node.nameBytes = m_names.data(m_names.add(bytes));
        node.nameLength = static_cast<quint16>(bytes.size());
    }
    return &node;
}

void FolderTree::setChildren(FolderNode* node, const std::vector<FolderNode*>& children) {
    const size_t need = 3 * children.size();
    node->count = static_cast<quint32>(children.size());
    if (need == 0)
        return;
    if (m_blockUsed + need > m_blockSize) {
        m_blockSize = std::max<size_t>(need, 64 * 1024);
        m_blocks.push_back(std::make_unique<FolderNode*[]>(m_blockSize));
        m_blockUsed = 0;
    }
    FolderNode** lists = m_blocks.back().get() + m_blockUsed;
    m_blockUsed += need;
    node->lists = lists;
    std::copy(children.begin(), children.end(), lists);
    // Sorted in place: a walk sorts the children of every folder it leaves.
    FolderNode** bySize = lists + children.size();
    std::copy(children.begin(), children.end(), bySize);
    StableSort(bySize, bySize + children.size(), [](const FolderNode* a, const FolderNode* b) {
        return a->totalSize > b->totalSize;
    });
    ReverseStableSort(
        children.begin(), children.end(), lists + 2 * children.size(),
        [](FolderNode* child) { return child; },
        [](const FolderNode* a, const FolderNode* b) {
            return CompareHostNamesNoCase({a->nameBytes, a->nameLength},
                                          {b->nameBytes, b->nameLength}) < 0;
        });
}

namespace {

// Builds the tree from the walk: one open node per folder being walked; a node is
// finished (totals, "In Folder", orders, "Other") when the walk leaves it.
class FolderScanSink final : public WalkSink {
public:
    FolderScanSink(FolderTree& tree, int numberOfSlices) : m_tree(tree), m_slices(numberOfSlices) {
        open(tree.root());
    }

    void enterFolder(std::string_view hostName, const platform::FindData&) override {
        FolderNode* node = m_tree.newNode(current().node, hostName, FolderNode::Kind::Folder);
        current().children.push_back(node);
        open(node);
    }

    void file(std::string_view, const platform::FindData& entry, bool counted) override {
        if (counted)
            current().node->filesSize += entry.size;
    }

    void folderState(platform::FolderState state) override {
        current().node->readError = state == platform::FolderState::Unreadable;
    }

    void leaveFolder() override {
        Open& open = current();
        FolderNode* node = open.node;
        node->totalSize = node->filesSize;
        for (const FolderNode* child : open.children)
            node->totalSize += child->totalSize;
        if (node->filesSize != 0) {
            FolderNode* files = m_tree.newNode(node, {}, FolderNode::Kind::InFolder);
            files->totalSize = node->filesSize;
            open.children.push_back(files);
        }
        m_tree.setChildren(node, open.children);
        ComputeOther(node, m_slices);
        --m_depth;
    }

private:
    struct Open {
        FolderNode* node;
        std::vector<FolderNode*> children;
    };
    // Levels are kept when left, so that their child lists keep their room for the next
    // folder at that depth.
    void open(FolderNode* node) {
        if (m_depth == m_open.size())
            m_open.emplace_back();
        m_open[m_depth].node = node;
        m_open[m_depth].children.clear();
        ++m_depth;
    }
    Open& current() { return m_open[m_depth - 1]; }

    FolderTree& m_tree;
    int m_slices;
    std::vector<Open> m_open;
    size_t m_depth = 0;
};

}  // namespace

bool ScanFolder(platform::Device& device, FolderTree& tree, int numberOfSlices,
                const WalkControl& control) {
    FolderScanSink sink(tree, numberOfSlices);
    return WalkTree(device, u"\\", sink, control);
}

QString BuildFolderPath(const FolderNode* node) {
    QString path = node->name();
    for (const FolderNode* a = node->parent; a; a = a->parent)
        path = (a->parent ? a->name() + u'\\' : QStringLiteral("\\")) + path;
    return path == u"\\" ? kRootDisplayPath : path;
}

FolderNode* FindChildByName(const FolderNode* node, QStringView name) {
    const auto& children = node->children();
    const auto pick = PickByName(children.size(), name, [&](size_t i) -> std::optional<QString> {
        if (children[i]->kind != FolderNode::Kind::Folder)
            return std::nullopt;
        return children[i]->name();
    });
    return pick ? children[*pick] : nullptr;
}

FolderNode* FindFolderByPath(FolderNode* node, QStringView path) {
    for (const QStringView component : path.split(u'\\', Qt::SkipEmptyParts)) {
        if (!node)
            break;
        FolderNode* child = FindChildByName(node, component);
        if (child || !BlankComponent(component))
            node = child;
    }
    return node;
}

void ComputeOther(FolderNode* node, int numberOfSlices) {
    node->otherSize = OtherTotal(node->childrenBySize(), numberOfSlices,
                                 [](const FolderNode* child) { return child->totalSize; });
}

void RecomputeOtherTree(FolderNode* node, int numberOfSlices) {
    // Iterative: depth is the device's, not the stack's.
    std::vector<FolderNode*> todo{node};
    while (!todo.empty()) {
        FolderNode* n = todo.back();
        todo.pop_back();
        ComputeOther(n, numberOfSlices);
        for (FolderNode* child : n->childrenBySize())
            todo.push_back(child);
    }
}

}  // namespace dovrane::engine
