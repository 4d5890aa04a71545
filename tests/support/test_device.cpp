#include "support/test_device.h"

#include <stdexcept>

#include "platform/device_path.h"
#include "platform/name_codec.h"

namespace dovrane::platform {

class TestDevice::TestFolder final : public Folder {
public:
    explicit TestFolder(int index) : node(index) {}
    int node;
};

const TestDevice::Node& TestDevice::at(Folder& folder) const {
    return at(static_cast<TestFolder&>(folder).node);
}

TestDevice::Node& TestDevice::existing(QStringView path, bool rootToo) {
    const int node = find(path);
    if (node < 0 || (node == 0 && !rootToo))
        throw std::invalid_argument("test device: no such entry");
    return at(node);
}

TestDevice::TestDevice() {
    Node root;
    root.name = QStringLiteral("\\");
    root.data.attributes = kAttributeDirectory;
    root.data.id = FileId{1, m_nextInode++};
    m_nodes.push_back(root);
}

int TestDevice::childNamed(int folder, QStringView name) const {
    for (const int c : at(folder).children)
        if (at(c).name == name)
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
        const bool asFolder = i + 1 < parts.size() || folder;
        prefix += u'\\' + parts[i];
        // A new file is always a new entry; folders are found again through the cache, so
        // that trees of a million files build in seconds.
        int child = asFolder ? m_folderCache.value(prefix, -1) : -1;
        if (child < 0 && asFolder)
            child = childNamed(node, parts[i]);
        if (child < 0) {
            auto host = EncodeDeviceName(parts[i]);
            if (!host)
                throw std::invalid_argument("test device: name cannot exist on a host");
            Node n;
            n.name = parts[i];
            n.hostName = *host;
            n.data.id = FileId{1, m_nextInode++};
            n.data.attributes = asFolder ? kAttributeDirectory : kAttributeArchive;
            if (n.name.startsWith(u'.'))
                n.data.attributes |= kAttributeHidden;
            child = static_cast<int>(m_nodes.size());
            m_nodes.push_back(std::move(n));
            at(node).children.push_back(child);
        }
        if (asFolder)
            m_folderCache.insert(prefix, child);
        node = child;
    }
    return node;
}

TestDevice& TestDevice::addFolder(QStringView path, quint32 extraAttributes) {
    at(findOrCreate(path, true)).data.attributes |= extraAttributes;
    return *this;
}

TestDevice& TestDevice::addFile(QStringView path, quint64 size, quint32 extraAttributes) {
    FindData& d = at(findOrCreate(path, false)).data;
    d.size = size;
    d.attributes |= extraAttributes;
    return *this;
}

TestDevice& TestDevice::addHardLink(QStringView from, QStringView path) {
    const FindData original = existing(from).data;
    const quint32 links = original.links + 1;
    for (Node& n : m_nodes)
        if (n.data.id == original.id)
            n.data.links = links;
    Node& link = at(findOrCreate(path, false));
    link.data = original;
    link.data.links = links;
    return *this;
}

TestDevice& TestDevice::failToOpen(QStringView folderPath) {
    at(findOrCreate(folderPath, true)).failsToOpen = true;
    return *this;
}

TestDevice& TestDevice::notEntered(QStringView folderPath, FolderState why) {
    failToOpen(folderPath).existing(folderPath, true).refusal = why;
    return *this;
}

TestDevice& TestDevice::stopReadingAfter(QStringView folderPath, int count) {
    existing(folderPath, true).readLimit = count;
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
        if (node < 0 || !at(node).data.isFolder())
            break;
        if (const auto it = m_volumes.find(node); it != m_volumes.end())
            space = it->second;
    }
    return space;
}

std::unique_ptr<Folder> TestDevice::enter(int node) {
    if (node < 0 || !at(node).data.isFolder() || at(node).failsToOpen)
        return nullptr;
    ++m_openCount;
    return std::make_unique<TestFolder>(node);
}

int TestDevice::hostChild(Folder& parent, std::string_view hostName) const {
    for (const int c : at(parent).children)
        if (at(c).hostName == hostName)
            return c;
    return -1;
}

std::unique_ptr<Folder> TestDevice::openFolder(QStringView devicePath) {
    return enter(find(devicePath));
}

std::unique_ptr<Folder> TestDevice::openChild(Folder& parent, std::string_view hostName) {
    return enter(hostChild(parent, hostName));
}

FolderState TestDevice::whyNotOpened(Folder& parent, std::string_view hostName) {
    const int child = hostChild(parent, hostName);
    return child < 0 ? FolderState::Unreadable : at(child).refusal;
}

namespace {
thread_local quint64 t_blocksRead = 0;
}  // namespace

TestDevice& TestDevice::setCold(bool cold) {
    m_cold = cold;
    return *this;
}

void TestDevice::readElsewhere() {
    ++t_blocksRead;
}

size_t TestDevice::readingThreads() const {
    std::lock_guard lock(m_readersMutex);
    return m_readers.size();
}

quint64 TestDevice::blocksReadByThisThread() const {
    return t_blocksRead;
}

void TestDevice::read(Folder& folder, Listing& out, ReadDetail detail) {
    {
        std::lock_guard lock(m_readersMutex);
        m_readers.insert(std::this_thread::get_id());
    }
    if (m_cold)
        ++t_blocksRead;
    int left = at(folder).readLimit;
    for (const int c : at(folder).children) {
        if (left-- == 0) {
            out.state = FolderState::Unreadable;
            break;
        }
        const Node& child = at(c);
        if (detail == ReadDetail::Export)
            out.details.push_back({(child.data.size + 511) / 512, 0});
        FindData& e = out.add(child.hostName);
        const quint32 offset = e.nameOffset, length = e.nameLength;
        e = child.data;
        e.nameOffset = offset;
        e.nameLength = length;
    }
}

}  // namespace dovrane::platform
