#include "platform/test_device.h"

#include <stdexcept>

#include "platform/device_path.h"
#include "platform/name_codec.h"

namespace dovrane::platform {

class TestDevice::TestFolder final : public Folder {
public:
    explicit TestFolder(int index) : node(index) {}
    int node;
};

TestDevice::TestDevice() {
    Node root;
    root.name = QStringLiteral("\\");
    root.data.attributes = kAttributeDirectory;
    root.data.id = FileId{1, m_nextInode++};
    m_nodes.push_back(root);
}

int TestDevice::childNamed(int folder, QStringView name) const {
    for (const int c : m_nodes[static_cast<size_t>(folder)].children)
        if (m_nodes[static_cast<size_t>(c)].name == name)
            return c;
    return -1;
}

int TestDevice::find(QStringView path) const {
    int node = 0;
    for (const QString& part : SplitDevicePath(path)) {
        node = childNamed(node, part);
        if (node < 0)
            return -1;
    }
    return node;
}

int TestDevice::findOrCreate(QStringView path, bool folder) {
    const QStringList parts = SplitDevicePath(path);
    if (parts.isEmpty())
        throw std::invalid_argument("test device: no name in path");
    int node = 0;
    QString prefix;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        prefix += u'\\' + parts[i];
        // A new file is always a new entry; folders are found again through the cache, so
        // that trees of a million files build in seconds.
        int child = -1;
        if (!last || folder)
            child = m_folderCache.value(prefix, -1);
        if (child < 0 && (!last || folder))
            child = childNamed(node, parts[i]);
        if (child < 0 || (last && !folder)) {
            auto host = EncodeDeviceName(parts[i]);
            if (!host)
                throw std::invalid_argument("test device: name cannot exist on a host");
            Node n;
            n.name = parts[i];
            n.hostName = *host;
            n.data.id = FileId{1, m_nextInode++};
            if (!last || folder)
                n.data.attributes = kAttributeDirectory;
            if (n.name.startsWith(u'.'))
                n.data.attributes |= kAttributeHidden;
            if (last && !folder)
                n.data.attributes |= kAttributeArchive;
            child = static_cast<int>(m_nodes.size());
            m_nodes.push_back(std::move(n));
            m_nodes[static_cast<size_t>(node)].children.push_back(child);
        }
        if (!last || folder)
            m_folderCache.insert(prefix, child);
        node = child;
    }
    return node;
}

TestDevice& TestDevice::addFolder(QStringView path, quint32 extraAttributes) {
    m_nodes[static_cast<size_t>(findOrCreate(path, true))].data.attributes |= extraAttributes;
    return *this;
}

TestDevice& TestDevice::addFile(QStringView path, quint64 size, quint32 extraAttributes) {
    FindData& d = m_nodes[static_cast<size_t>(findOrCreate(path, false))].data;
    d.size = size;
    d.attributes |= extraAttributes;
    return *this;
}

TestDevice& TestDevice::addHardLink(QStringView existing, QStringView path) {
    const int from = find(existing);
    if (from < 0)
        throw std::invalid_argument("test device: no such file to link");
    const FindData original = m_nodes[static_cast<size_t>(from)].data;
    const quint32 links = original.links + 1;
    for (Node& n : m_nodes)
        if (n.data.id == original.id)
            n.data.links = links;
    Node& link = m_nodes[static_cast<size_t>(findOrCreate(path, false))];
    link.data = original;
    link.data.links = links;
    return *this;
}

TestDevice& TestDevice::failToOpen(QStringView folderPath) {
    findOrCreate(folderPath, true);
    m_nodes[static_cast<size_t>(find(folderPath))].failsToOpen = true;
    return *this;
}

TestDevice& TestDevice::notEntered(QStringView folderPath, FolderState why) {
    failToOpen(folderPath);
    m_nodes[static_cast<size_t>(find(folderPath))].refusal = why;
    return *this;
}

TestDevice& TestDevice::stopReadingAfter(QStringView folderPath, int count) {
    const int node = find(folderPath);
    if (node < 0)
        throw std::invalid_argument("test device: no such folder");
    m_nodes[static_cast<size_t>(node)].readLimit = count;
    return *this;
}

TestDevice& TestDevice::setMemory(std::optional<MemoryFigures> figures) {
    m_memory = figures;
    return *this;
}

TestDevice& TestDevice::setDiskSpace(QStringView devicePath, std::optional<DiskSpace> space) {
    int node = find(devicePath);
    if (node < 0)
        node = findOrCreate(devicePath, true);
    m_volumes[node] = space;
    return *this;
}

TestDevice& TestDevice::remove(QStringView path) {
    const int node = find(path);
    if (node <= 0)
        throw std::invalid_argument("test device: no such entry");
    for (Node& n : m_nodes)
        std::erase(n.children, node);
    m_folderCache.clear();
    return *this;
}

std::optional<DiskSpace> TestDevice::diskFreeSpace(QStringView devicePath) {
    // The nearest existing folder on the path decides, as on the host.
    int node = 0;
    std::optional<DiskSpace> space;
    if (const auto it = m_volumes.find(0); it != m_volumes.end())
        space = it->second;
    for (const QString& part : SplitDevicePath(devicePath)) {
        node = childNamed(node, part);
        if (node < 0 || !m_nodes[static_cast<size_t>(node)].data.isFolder())
            break;
        if (const auto it = m_volumes.find(node); it != m_volumes.end())
            space = it->second;
    }
    return space;
}

std::unique_ptr<Folder> TestDevice::openFolder(QStringView devicePath) {
    const int node = find(devicePath);
    if (node < 0)
        return nullptr;
    const Node& n = m_nodes[static_cast<size_t>(node)];
    if (!n.data.isFolder() || n.failsToOpen)
        return nullptr;
    ++m_openCount;
    return std::make_unique<TestFolder>(node);
}

std::unique_ptr<Folder> TestDevice::openChild(Folder& parent, std::string_view hostName) {
    const Node& p = m_nodes[static_cast<size_t>(static_cast<TestFolder&>(parent).node)];
    for (const int c : p.children) {
        const Node& n = m_nodes[static_cast<size_t>(c)];
        if (n.hostName != hostName)
            continue;
        if (!n.data.isFolder() || n.failsToOpen)
            return nullptr;
        ++m_openCount;
        return std::make_unique<TestFolder>(c);
    }
    return nullptr;
}

FolderState TestDevice::whyNotOpened(Folder& parent, std::string_view hostName) {
    const Node& p = m_nodes[static_cast<size_t>(static_cast<TestFolder&>(parent).node)];
    for (const int c : p.children)
        if (m_nodes[static_cast<size_t>(c)].hostName == hostName)
            return m_nodes[static_cast<size_t>(c)].refusal;
    return FolderState::Unreadable;
}

namespace {
thread_local quint64 t_blocksRead = 0;
}  // namespace

TestDevice& TestDevice::setCold(bool cold) {
    m_cold = cold;
    return *this;
}

quint64 TestDevice::blocksReadByThisThread() const {
    return t_blocksRead;
}

void TestDevice::read(Folder& folder, Listing& out, ReadDetail detail) {
    if (m_cold)
        ++t_blocksRead;
    const Node& n = m_nodes[static_cast<size_t>(static_cast<TestFolder&>(folder).node)];
    int left = n.readLimit;
    for (const int c : n.children) {
        if (left-- == 0) {
            out.state = FolderState::Unreadable;
            break;
        }
        if (detail == ReadDetail::Export)
            out.details.push_back({(m_nodes[static_cast<size_t>(c)].data.size + 511) / 512, 0});
        const Node& child = m_nodes[static_cast<size_t>(c)];
        FindData& e = out.add(child.hostName);
        const quint32 offset = e.nameOffset, length = e.nameLength;
        e = child.data;
        e.nameOffset = offset;
        e.nameLength = length;
    }
}

}  // namespace dovrane::platform
