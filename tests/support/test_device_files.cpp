// The test device's side of the list operations: find data of one entry, file contents,
// and removals that check identity exactly like the host's.

#include "support/test_device.h"

namespace dovrane::platform {

std::optional<FileDetails> TestDevice::findFile(QStringView devicePath) {
    const int node = find(devicePath);
    if (node < 0)
        return std::nullopt;
    FileDetails details;
    static_cast<FindData&>(details) = at(node).data;
    return details;
}

std::optional<QByteArray> TestDevice::readFileStart(QStringView devicePath, qint64 maxBytes) {
    const int node = find(devicePath);
    if (node <= 0 || at(node).data.isFolder())
        return std::nullopt;
    return at(node).content.left(maxBytes);
}

RemoveResult TestDevice::removeFile(QStringView devicePath, const FileIdentity& expected,
                                    RemoveMode mode) {
    const int node = find(devicePath);
    if (node <= 0)
        return RemoveResult::Failed;
    const Node& n = at(node);
    const bool regular = n.data.attributes & kAttributeArchive;
    if (n.data.isFolder() || n.failsToRemove || n.data.id != expected.id ||
        regular != expected.regular)
        return RemoveResult::Failed;
    if (mode == RemoveMode::Trash && m_noTrash)
        return RemoveResult::NoTrash;
    remove(devicePath);
    m_removed.append(mode == RemoveMode::Trash ? devicePath.toString() + QStringLiteral(" (trash)")
                                               : devicePath.toString());
    return RemoveResult::Removed;
}

TestDevice& TestDevice::setContent(QStringView path, const QByteArray& content) {
    existing(path).content = content;
    return *this;
}

TestDevice& TestDevice::failToRemove(QStringView path) {
    existing(path).failsToRemove = true;
    return *this;
}

TestDevice& TestDevice::setNoTrash(bool noTrash) {
    m_noTrash = noTrash;
    return *this;
}

}  // namespace dovrane::platform
