#include "platform/trash.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <QList>
#include <cerrno>
#include <optional>

#include "platform/unique_fd.h"

namespace dovrane::platform {
namespace {

constexpr int kMaxLevelsUp = 4096;      // a mount's top is never further away than this
constexpr int kMaxNameAttempts = 1000;  // "name", "name.2", ... before the trash is called full

// Where an open folder (or one of its entries) lies: renameat works only within one mount.
struct Place {
    quint64 device = 0;
    quint64 inode = 0;
    quint64 mount = 0;  // 0 where the kernel does not tell
    bool sameMount(const Place& other) const {
        return device == other.device && (mount == 0 || other.mount == 0 || mount == other.mount);
    }
};

std::optional<Place> PlaceOf(int fd) {
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_MNT_ID, &sx) != 0)
        return std::nullopt;
    return Place{makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino,
                 (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0};
}

// The folder `name` of `parent`, made mode 0700 when missing; never through a link.
int OpenOrMakeFolder(int parent, const char* name) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const int fd = ::openat(parent, name, kFlags);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST)
        return -1;
    return ::openat(parent, name, kFlags);
}

QByteArray AbsoluteEnv(const char* variable) {
    const QByteArray value = qgetenv(variable);
    return value.startsWith('/') ? value : QByteArray();
}

// $XDG_DATA_HOME/Trash, or ~/.local/share/Trash; relative settings count as unset, as the
// base-directory rules say, so a trash is never sought below the current folder.
QByteArray HomeTrashPath() {
    QByteArray data = AbsoluteEnv("XDG_DATA_HOME");
    if (data.isEmpty()) {
        QByteArray home = AbsoluteEnv("HOME");
        if (home.isEmpty())
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir[0] == '/')
                home = pw->pw_dir;
        if (home.isEmpty())
            return {};
        data = home + "/.local/share";
    }
    return data + "/Trash";
}

// The home trash when it lies on the mount of `file`, made with its missing parents (mode
// 0700); -1 with EXDEV when the home trash is elsewhere. The user's own folders above it
// may be links; what is made is never entered through one.
int OpenHomeTrash(const Place& file, int& error) {
    const QByteArray path = HomeTrashPath();
    if (path.isEmpty()) {
        error = ENOENT;
        return -1;
    }
    const QList<QByteArray> parts = path.split('/');
    int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    qsizetype i = 0;
    for (; fd >= 0 && i < parts.size(); ++i) {
        if (parts[i].isEmpty() || parts[i] == ".")
            continue;
        const int next = ::openat(fd, parts[i].constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (next < 0 && errno == ENOENT)
            break;
        ::close(fd);
        fd = next;
    }
    if (fd < 0) {
        error = errno;
        return -1;
    }
    // A missing folder is made on the mount of the nearest existing one.
    const auto place = PlaceOf(fd);
    if (!place || !place->sameMount(file)) {
        ::close(fd);
        error = EXDEV;
        return -1;
    }
    for (; fd >= 0 && i < parts.size(); ++i) {
        if (parts[i].isEmpty() || parts[i] == "." || parts[i] == "..")
            continue;
        const int next = OpenOrMakeFolder(fd, parts[i].constData());
        ::close(fd);
        fd = next;
    }
    if (fd < 0)
        error = errno;
    return fd;
}

// Whether `fd` is a folder this user owns: a trash another user made is not ours.
bool OwnedFolder(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// $topdir/.Trash/$uid when .Trash is a real sticky folder, else $topdir/.Trash-$uid, where
// $topdir is the top of the mount holding `dirFd`.
int OpenMountTrash(int dirFd, const Place& file, int& error) {
    int topFd = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    for (int level = 0; topFd >= 0 && level < kMaxLevelsUp; ++level) {
        const int up = ::openat(topFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const auto here = PlaceOf(topFd);
        const auto above = up >= 0 ? PlaceOf(up) : std::nullopt;
        if (!here || !above || !above->sameMount(file) || above->inode == here->inode) {
            if (up >= 0)
                ::close(up);
            break;
        }
        ::close(topFd);
        topFd = up;
    }
    const Fd top(topFd);
    if (!top.ok()) {
        error = errno;
        return -1;
    }
    const QByteArray uid = QByteArray::number(::getuid());
    const Fd shared(::openat(top.get(), ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (shared.ok() && ::fstat(shared.get(), &st) == 0 && (st.st_mode & S_ISVTX)) {
        const int own = OpenOrMakeFolder(shared.get(), uid.constData());
        if (own >= 0 && OwnedFolder(own))
            return own;
        if (own >= 0)
            ::close(own);
    }
    const int own = OpenOrMakeFolder(top.get(), (".Trash-" + uid).constData());
    if (own >= 0 && OwnedFolder(own))
        return own;
    error = own >= 0 ? EPERM : errno;
    if (own >= 0)
        ::close(own);
    return -1;
}

QByteArray DeletionDate() {
    const time_t now = ::time(nullptr);
    struct tm local {};
    char text[32] = {};
    if (::localtime_r(&now, &local))
        ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

RemoveResult NoTrash(int error) {
    return {RemoveStatus::NoTrash, error};
}

}  // namespace

RemoveResult MoveToTrashAt(int dirFd, const std::string& name, const EntryId& expected,
                           const QByteArray& hostPath) {
    const auto entry = StatEntryAt(dirFd, name);
    if (!entry)
        return {RemoveStatus::Failed, errno};
    if (!expected.matches(*entry))
        return {RemoveStatus::Failed, ESTALE};
    const auto place = PlaceOf(dirFd);
    if (!place)
        return {RemoveStatus::Failed, errno};
    int error = 0;
    int trashFd = OpenHomeTrash(*place, error);
    if (trashFd < 0 && error == EXDEV)
        trashFd = OpenMountTrash(dirFd, *place, error);
    const Fd trash(trashFd);
    if (!trash.ok())
        return NoTrash(error);
    const Fd files(OpenOrMakeFolder(trash.get(), "files"));
    const Fd info(OpenOrMakeFolder(trash.get(), "info"));
    const auto filesPlace = files.ok() ? PlaceOf(files.get()) : std::nullopt;
    if (!files.ok() || !info.ok())
        return NoTrash(errno);
    if (!filesPlace || !filesPlace->sameMount(*place))
        return NoTrash(EXDEV);

    // The record first, made exclusively: its name reserves the name in files/.
    const QByteArray record = "[Trash Info]\nPath=" + hostPath.toPercentEncoding("/") +
                              "\nDeletionDate=" + DeletionDate() + "\n";
    std::string trashName, infoName;
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        trashName = attempt == 1 ? name : name + "." + std::to_string(attempt);
        infoName = trashName + ".trashinfo";
        const Fd out(::openat(info.get(), infoName.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!out.ok() && errno == EEXIST)
            continue;
        if (!out.ok())
            return NoTrash(errno);
        if (StatEntryAt(files.get(), trashName)) {  // a file left without its record
            ::unlinkat(info.get(), infoName.c_str(), 0);
            continue;
        }
        if (!WriteAll(out.get(), record)) {
            const int why = errno;
            ::unlinkat(info.get(), infoName.c_str(), 0);
            return NoTrash(why);
        }
        error = RemoveEntryAt(dirFd, name, expected, files.get(), trashName);
        if (error == 0)
            return RemoveResult::Removed;
        ::unlinkat(info.get(), infoName.c_str(), 0);
        return error == EXDEV ? NoTrash(error) : RemoveResult{RemoveStatus::Failed, error};
    }
    return NoTrash(EEXIST);
}

}  // namespace dovrane::platform
