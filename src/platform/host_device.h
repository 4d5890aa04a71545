#pragma once
// The host tree below a device root, read through folder descriptors (openat, getdents64,
// statx) so that neither depth nor PATH_MAX limits a walk. Symbolic links are entries of
// their own and never followed; pseudo file systems, and network ones unless asked for,
// are not entered, nor is a folder that is its own ancestor through a bind mount.

#include <sys/types.h>

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/device.h"

namespace dovrane::platform {

struct HostDeviceOptions {
    bool enterNetworkFileSystems = false;
    // Bytes each getdents64 call may fill; small values exercise the refill path.
    size_t readBufferBytes = 128 * 1024;
    // The mount table. Without it every folder opened is stat'ed to find mount points and
    // file systems are told apart by their statfs magic.
    QString mountInfoPath = QStringLiteral("/proc/self/mountinfo");
};

class HostDevice final : public Device {
public:
    // `rootHostPath` is the host folder that is the device's "\". Check ok() afterwards.
    explicit HostDevice(const QString& rootHostPath, HostDeviceOptions options = {});
    ~HostDevice() override;
    HostDevice(const HostDevice&) = delete;
    HostDevice& operator=(const HostDevice&) = delete;

    // False when the root is not a readable folder; errorText() then says why.
    bool ok() const { return m_rootFd >= 0; }
    QString errorText() const { return m_error; }
    const QString& rootHostPath() const { return m_rootHostPath; }

    std::unique_ptr<Folder> openFolder(QStringView devicePath) override;
    std::unique_ptr<Folder> openChild(Folder& parent, std::string_view hostName) override;
    FolderState whyNotOpened(Folder& parent, std::string_view hostName) override;
    void read(Folder& folder, Listing& out, ReadDetail detail = ReadDetail::Full) override;
    quint64 blocksReadByThisThread() const override;
    void park(Folder& folder) override;
    std::optional<MemoryFigures> globalMemoryStatus() override;
    std::optional<DiskSpace> diskFreeSpace(QStringView devicePath) override;
    // File operations of the lists, in file_delete.cpp.
    std::optional<FileDetails> findFile(QStringView devicePath) override;
    std::optional<QByteArray> readFileStart(QStringView devicePath, qint64 maxBytes) override;
    RemoveResult removeFile(QStringView devicePath, const FileIdentity& expected,
                            RemoveMode mode) override;
    QString hostPath(QStringView devicePath) const override;

    enum class MountKind { Ordinary, Pseudo, Network };
    // How the file system with this device number is treated; unknown numbers are ordinary.
    MountKind mountKind(dev_t dev) const;

private:
    class HostFolder;
    // The mount points below the device root, as a tree of names: a walk learns that a
    // sub-folder is a mount point by its name, without a stat call per folder.
    struct MountNode {
        std::unordered_map<std::string, std::unique_ptr<MountNode>> children;
        bool mountPoint = false;
        dev_t dev = 0;
        const MountNode* child(std::string_view name) const {
            const auto it = children.find(std::string(name));
            return it == children.end() ? nullptr : it->second.get();
        }
    };
    bool ensureOpen(HostFolder& folder) const;
    // True when the folder open at `fd` is also one of its ancestors below the device root,
    // as a bind mount of a folder inside itself makes it: a walk would go round for ever.
    bool insideItself(int fd) const;
    bool mayEnter(dev_t dev, dev_t parentDev, int fd) const;
    MountKind kindOf(dev_t dev, int fd) const;
    // The file system type of `dev` from the mount table, else from what statfs says of `fd`.
    std::string typeOf(dev_t dev, int fd) const;
    // Whether the open folder's file system fills every listing call it can: then a call
    // with room to spare was the folder's last. A folder on its parent's volume is as the
    // parent.
    bool fillsEveryCall(const HostFolder& folder, const HostFolder* parent) const;
    void loadMounts();
    // The folder holding the entry at `devicePath`, opened from the root one component at
    // a time without following a link, and the entry's host name; -1 when unreachable.
    int openParentOf(QStringView devicePath, std::string& hostName) const;
    // The host path's bytes; empty when a name cannot exist on the host.
    QByteArray HostPathBytes(QStringView devicePath) const;

    QString m_rootHostPath;
    QString m_error;
    HostDeviceOptions m_options;
    int m_rootFd = -1;
    dev_t m_rootDev = 0;
    ino_t m_rootIno = 0;
    std::unordered_map<dev_t, std::string> m_mountTypes;
    MountNode m_mounts;
    bool m_haveMounts = false;  // else every folder opened is stat'ed to find mount points
};

}  // namespace dovrane::platform
