// The host's side of the list operations. Every call reaches the file from the device
// root one folder at a time (openat with O_NOFOLLOW), so no link on the way is followed,
// and a removal re-checks device, inode and type on the folder's descriptor just before
// it acts, on the entry renamed to a name only this process knows: a file replaced since
// the scan, or a folder or link put in its place, stays.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>

#include "platform/device_path.h"
#include "platform/entry_removal.h"
#include "platform/host_device.h"
#include "platform/host_stat.h"
#include "platform/name_codec.h"
#include "platform/trash.h"
#include "platform/unique_fd.h"

namespace dovrane::platform {
namespace {

FileTime ToFileTime(const struct statx_timestamp& t) {
    return static_cast<FileTime>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

int HostDevice::openParentOf(QStringView devicePath, std::string& hostName) const {
    if (!ok())
        return -1;
    const QStringList parts = SplitDevicePath(devicePath);
    if (parts.isEmpty())
        return -1;
    int fd = ::fcntl(m_rootFd, F_DUPFD_CLOEXEC, 0);
    for (qsizetype i = 0; i < parts.size() && fd >= 0; ++i) {
        const auto encoded = EncodeDeviceName(parts[i]);
        if (!encoded) {
            ::close(fd);
            return -1;
        }
        if (i + 1 == parts.size()) {
            hostName = *encoded;
            return fd;
        }
        const int next =
            ::openat(fd, encoded->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return -1;
}

std::optional<FileDetails> HostDevice::findFile(QStringView devicePath) {
    std::string name;
    // The root has no parent to open: it is asked on its own descriptor, so that an export
    // knows the root's volume and files in the root share one with the files below.
    const bool root = ok() && SplitDevicePath(devicePath).isEmpty();
    const Fd dir(root ? ::fcntl(m_rootFd, F_DUPFD_CLOEXEC, 0) : openParentOf(devicePath, name));
    struct statx sx {};
    if (dir.get() < 0 ||
        ::statx(dir.get(), name.c_str(),
                (root ? AT_EMPTY_PATH : AT_SYMLINK_NOFOLLOW) | AT_NO_AUTOMOUNT,
                kStatxForEntry | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME, &sx) != 0)
        return std::nullopt;
    FileDetails e;
    FillFromStatx(e, sx, name);
    e.lastAccessTime = ToFileTime(sx.stx_atime);
    e.lastWriteTime = ToFileTime(sx.stx_mtime);
    e.creationTime = ToFileTime(CreationStamp(sx));
    return e;
}

std::optional<QByteArray> HostDevice::readFileStart(QStringView devicePath, qint64 maxBytes) {
    std::string name;
    const Fd dir(openParentOf(devicePath, name));
    if (dir.get() < 0)
        return std::nullopt;
    // Non-blocking, so a pipe named like a shortcut never hangs the list.
    const Fd file(
        ::openat(dir.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(maxBytes), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n =
            ::read(file.get(), bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

RemoveResult HostDevice::removeFile(QStringView devicePath, const FileIdentity& expected,
                                    RemoveMode mode) {
    std::string name;
    errno = 0;
    const Fd dir(openParentOf(devicePath, name));
    if (dir.get() < 0)
        return {RemoveStatus::Failed, errno != 0 ? errno : ENOENT};
    const EntryId id{expected.id.volume, expected.id.inode,
                     static_cast<mode_t>(expected.regular ? S_IFREG : S_IFLNK)};
    if (mode == RemoveMode::Delete) {
        const int error = RemoveEntryAt(dir.get(), name, id);
        return error == 0 ? RemoveResult::Removed : RemoveResult{RemoveStatus::Failed, error};
    }
    // The record keeps an absolute path; the bytes are only written, never resolved.
    QByteArray recorded = HostPathBytes(devicePath);
    if (!recorded.startsWith('/'))
        recorded.prepend(QFile::encodeName(QDir::currentPath()) + '/');
    return MoveToTrashAt(dir.get(), name, id, recorded);
}

QString HostDevice::hostPath(QStringView devicePath) const {
    const QByteArray bytes = HostPathBytes(devicePath);
    return bytes.isEmpty() ? QString() : QFile::decodeName(bytes);
}

QByteArray HostDevice::HostPathBytes(QStringView devicePath) const {
    QByteArray path = QFile::encodeName(m_rootHostPath);
    for (const QString& part : SplitDevicePath(devicePath)) {
        const auto encoded = EncodeDeviceName(part);
        if (!encoded)
            return {};
        if (!path.endsWith('/'))
            path.append('/');
        path.append(encoded->data(), static_cast<qsizetype>(encoded->size()));
    }
    return path;
}

}  // namespace dovrane::platform
