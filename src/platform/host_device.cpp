#include "platform/host_device.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/device_path.h"
#include "platform/host_stat.h"
#include "platform/name_codec.h"
#include "platform/unique_fd.h"

namespace dovrane::platform {
namespace {

constexpr std::array kPseudoTypes{"proc",    "sysfs",       "devtmpfs", "devpts",     "cgroup",
                                  "cgroup2", "debugfs",     "tracefs",  "securityfs", "pstore",
                                  "bpf",     "configfs",    "fusectl",  "mqueue",     "hugetlbfs",
                                  "autofs",  "binfmt_misc", "efivarfs", "tmpfs",      "ramfs",
                                  "nsfs",    "rpc_pipefs"};
constexpr std::array kNetworkTypes{"nfs", "nfs4", "cifs",      "smb3",       "smbfs",      "afs",
                                   "9p",  "ceph", "glusterfs", "fuse.sshfs", "fuse.rclone"};

// What statfs says of the file systems the tables above and FillsEveryCall name, for hosts
// without a mount table.
struct Magic {
    unsigned long magic;
    const char* type;
};
constexpr std::array kMagics{
    Magic{0x9fa0, "proc"},         Magic{0x62656572, "sysfs"},
    Magic{0x1cd1, "devpts"},       Magic{0x27e0eb, "cgroup"},
    Magic{0x63677270, "cgroup2"},  Magic{0x64626720, "debugfs"},
    Magic{0x74726163, "tracefs"},  Magic{0x73636673, "securityfs"},
    Magic{0x6165676c, "pstore"},   Magic{0xcafe4a11, "bpf"},
    Magic{0x62656570, "configfs"}, Magic{0x65735543, "fusectl"},
    Magic{0x19800202, "mqueue"},   Magic{0x958458f6, "hugetlbfs"},
    Magic{0x0187, "autofs"},       Magic{0x42494e4d, "binfmt_misc"},
    Magic{0xde5e81e4, "efivarfs"}, Magic{0x01021994, "tmpfs"},
    Magic{0x858458f6, "ramfs"},    Magic{0x6e736673, "nsfs"},
    Magic{0x6969, "nfs"},          Magic{0xff534d42, "cifs"},
    Magic{0xfe534d42, "smb3"},     Magic{0x517b, "smbfs"},
    Magic{0x5346414f, "afs"},      Magic{0x01021997, "9p"},
    Magic{0x00c36400, "ceph"},     Magic{0xef53, "ext4"},  // ext2 and ext3 alike
};

std::string TypeFromMagic(int fd) {
    struct statfs fs {};
    if (fd < 0 || ::fstatfs(fd, &fs) != 0)
        return {};
    for (const Magic& m : kMagics)
        if (static_cast<unsigned long>(fs.f_type) == m.magic)
            return m.type;
    return {};
}

template <size_t N>
bool Contains(const std::array<const char*, N>& list, const std::string& type) {
    for (const char* t : list)
        if (type == t)
            return true;
    return false;
}

// File systems whose listing fills each read call until either the buffer or the folder runs
// out: there, a call that leaves room for the longest record has returned the folder's last
// one, and the call that would only return nothing is saved. On the bench tree that was one
// system call in fourteen, and 2% of the walk. Others (network and stacked file systems
// among them) may return less before the end, so they are read until a call returns nothing.
bool FillsEveryCall(std::string_view type) {
    return type == "ext4" || type == "ext3" || type == "ext2" || type == "tmpfs";
}
// A record of a 255-byte name: its fixed part, the name and its zero, padded to 8 bytes.
constexpr size_t kLongestRecord = (offsetof(struct dirent64, d_name) + 256 + 7) / 8 * 8;

int OpenDirAt(int dirFd, const char* name) {
    return ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Room for `more` elements, doubling as a vector would: large folders take many read calls.
template <typename Container>
void ReserveMore(Container& c, size_t more) {
    if (c.capacity() < c.size() + more)
        c.reserve(std::max(c.size() + more, 2 * c.capacity()));
}

// A folder as the kernel tells it apart; `mount` is 0 where statx does not say.
struct FolderIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    quint64 mount = 0;
};

std::optional<FolderIdentity> IdentityOf(int fd) {
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_INO | STATX_MNT_ID, &sx) != 0)
        return std::nullopt;
    return FolderIdentity{makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino,
                          (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0};
}

// Descriptors scale with walk depth; take all the process may have.
void RaiseDescriptorLimit() {
    rlimit lim{};
    if (::getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
        lim.rlim_cur = lim.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &lim);
    }
}

// The length of a getdents64 record's name, found without scanning it: the kernel pads each
// record to a multiple of 8 bytes after the name's terminating zero, so that zero lies in
// the record's last 8 bytes, or among the first 8 of the name when the record is the
// shortest. strlen on every name was a sixth of a listing's instructions outside the kernel.
// `d` must be followed by at least 8 readable bytes past its name's start.
size_t NameLength(const struct dirent64* d) {
    constexpr size_t kNameAt = offsetof(struct dirent64, d_name);
    const size_t room = d->d_reclen - kNameAt;  // the name, its zero and the padding
    const size_t from = room > 8 ? room - 8 : 0;
    quint64 word;
    std::memcpy(&word, d->d_name + from, sizeof word);
    // The lowest byte that is zero sets the lowest flag; bytes above it may set false ones.
    const quint64 zeros = (word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull;
    return from + static_cast<size_t>(std::countr_zero(zeros)) / 8;
}

// A reading thread's getdents64 buffer, freed when the thread ends.
struct ReadBuffer {
    size_t capacity = 0;
    std::unique_ptr<char[]> bytes;
};

// Not a thread_local with a destructor: registering one takes the loader's lock, and a walk's
// reader that came to its first folder while the window's libraries loaded waited until all
// of them had, a core idle for as long. A key's destructor needs no such lock.
ReadBuffer& ReadBufferOfThisThread() {
    static const std::optional<pthread_key_t> key = []() -> std::optional<pthread_key_t> {
        pthread_key_t made{};
        if (::pthread_key_create(
                &made, [](void* buffer) { delete static_cast<ReadBuffer*>(buffer); }) != 0)
            return std::nullopt;
        return made;
    }();
    if (!key) {
        // Out of keys, which no process of ours comes near: the lock's wait is the lesser harm.
        thread_local ReadBuffer own;
        return own;
    }
    auto* buffer = static_cast<ReadBuffer*>(::pthread_getspecific(*key));
    if (!buffer) {
        buffer = new ReadBuffer;
        ::pthread_setspecific(*key, buffer);
    }
    return *buffer;
}

// Undoes the octal escapes (\040 for a blank) of /proc/self/mountinfo.
std::string Unescape(const QByteArray& field) {
    std::string out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            out.push_back(static_cast<char>(((field[i + 1] - '0') << 6) |
                                            ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

}  // namespace

// A folder is reached from its parent by name, so it can be closed while the walk is deep
// and opened again later. `base` null means relative to the device root.
class HostDevice::HostFolder final : public Folder {
public:
    // `namesFromBase`: each component followed by a zero byte; empty for `base` itself.
    HostFolder(const HostFolder* baseFolder, std::string namesFromBase)
        : base(baseFolder), names(std::move(namesFromBase)) {}
    ~HostFolder() override { close(); }
    void close() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    const HostFolder* base;
    // Components from base to this folder, each ended by a zero byte: a folder opened
    // from its parent holds one short name and no allocation.
    std::string names;
    int fd = -1;
    bool vanished = false;
    bool readBefore = false;
    bool isRoot = false;
    bool statOnOpen = true;       // false: the mount table already told its volume
    bool fillsEveryCall = false;  // its file system's; set once it is open
    dev_t dev = 0;
    ino_t ino = 0;
    quint64 mount = 0;                  // known only where every folder is stat'ed on opening
    const MountNode* mounts = nullptr;  // mount points at or below this folder, if any
};

HostDevice::HostDevice(const QString& rootHostPath, HostDeviceOptions options)
    : m_rootHostPath(rootHostPath), m_options(options) {
    RaiseDescriptorLimit();
    const QByteArray path = QFile::encodeName(rootHostPath);
    m_rootFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_rootFd < 0) {
        m_error = QStringLiteral("%1: %2").arg(rootHostPath,
                                               QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    struct stat st {};
    ::fstat(m_rootFd, &st);
    m_rootDev = st.st_dev;
    m_rootIno = st.st_ino;
    loadMounts();
}

HostDevice::~HostDevice() {
    if (m_rootFd >= 0)
        ::close(m_rootFd);
}

void HostDevice::loadMounts() {
    QFile file(m_options.mountInfoPath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const std::string root =
        QFile::encodeName(QFileInfo(m_rootHostPath).canonicalFilePath()).toStdString();
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size())
            continue;
        const QList<QByteArray> mm = fields[2].split(':');
        if (mm.size() != 2)
            continue;
        const dev_t dev = makedev(mm[0].toUInt(), mm[1].toUInt());
        m_mountTypes[dev] = Unescape(fields[dash + 1]);
        // Mount points below the root, later lines stacking on earlier ones.
        const std::string point = Unescape(fields[4]);
        std::string_view relative;
        if (root == "/" && point.size() > 1)
            relative = std::string_view(point).substr(1);
        else if (point.size() > root.size() + 1 && point.compare(0, root.size(), root) == 0 &&
                 point[root.size()] == '/')
            relative = std::string_view(point).substr(root.size() + 1);
        else
            continue;
        MountNode* node = &m_mounts;
        for (const QByteArray& name :
             QByteArray::fromRawData(relative.data(), static_cast<qsizetype>(relative.size()))
                 .split('/')) {
            auto& next = node->children[name.toStdString()];
            if (!next)
                next = std::make_unique<MountNode>();
            node = next.get();
        }
        node->mountPoint = true;
        node->dev = dev;
    }
    m_haveMounts = true;
}

HostDevice::MountKind HostDevice::mountKind(dev_t dev) const {
    return kindOf(dev, -1);
}

std::string HostDevice::typeOf(dev_t dev, int fd) const {
    const auto it = m_mountTypes.find(dev);
    return it != m_mountTypes.end() ? it->second : TypeFromMagic(fd);
}

bool HostDevice::fillsEveryCall(const HostFolder& folder, const HostFolder* parent) const {
    if (parent && folder.dev == parent->dev)
        return parent->fillsEveryCall;
    return FillsEveryCall(typeOf(folder.dev, folder.fd));
}

HostDevice::MountKind HostDevice::kindOf(dev_t dev, int fd) const {
    const std::string type = typeOf(dev, fd);
    if (Contains(kPseudoTypes, type))
        return MountKind::Pseudo;
    if (Contains(kNetworkTypes, type))
        return MountKind::Network;
    return MountKind::Ordinary;
}

bool HostDevice::mayEnter(dev_t dev, dev_t parentDev, int fd) const {
    if (dev == parentDev)
        return true;
    switch (kindOf(dev, fd)) {
        case MountKind::Pseudo:
            return false;
        case MountKind::Network:
            return m_options.enterNetworkFileSystems;
        case MountKind::Ordinary:
            return true;
    }
    return true;
}

bool HostDevice::ensureOpen(HostFolder& folder) const {
    if (folder.fd >= 0)
        return true;
    if (folder.vanished)
        return false;
    int baseFd = m_rootFd;
    if (folder.base) {
        if (!ensureOpen(const_cast<HostFolder&>(*folder.base)))
            return false;
        baseFd = folder.base->fd;
    }
    const char* name = folder.names.c_str();
    const char* const end = name + folder.names.size();
    int fd = OpenDirAt(baseFd, name == end ? "." : name);
    for (name += std::strlen(name) + 1; name < end && fd >= 0; name += std::strlen(name) + 1) {
        const int next = OpenDirAt(fd, name);
        ::close(fd);
        fd = next;
    }
    if (fd >= 0 && !folder.statOnOpen) {
        folder.fd = fd;
        return true;
    }
    const auto id = fd >= 0 ? IdentityOf(fd) : std::nullopt;
    if (!id || (folder.ino != 0 && (id->dev != folder.dev || id->ino != folder.ino))) {
        // Gone, or replaced by another folder since it was first opened.
        if (fd >= 0)
            ::close(fd);
        folder.vanished = true;
        return false;
    }
    folder.fd = fd;
    folder.dev = id->dev;
    folder.ino = id->ino;
    folder.mount = id->mount;
    return true;
}

bool HostDevice::insideItself(int fd) const {
    // Each step up is a folder that holds the last one, up to the device root. A mount of
    // a folder inside itself shows as the same device and inode met twice on the way.
    std::vector<std::pair<dev_t, ino_t>> seen;
    auto at = IdentityOf(fd);
    if (at && at->dev == m_rootDev && at->ino == m_rootIno)
        return true;  // never asked of the root itself: this is the root met again
    int from = fd;
    while (at) {
        seen.emplace_back(at->dev, at->ino);
        if (at->dev == m_rootDev && at->ino == m_rootIno)
            break;
        const int up = ::openat(from, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (from != fd)
            ::close(from);
        from = up;
        const auto next = up >= 0 ? IdentityOf(up) : std::nullopt;
        // The top of the host tree is its own parent: the root was left behind (the folder
        // was moved out meanwhile), and nothing above it is an ancestor on the device.
        if (next && next->dev == at->dev && next->ino == at->ino && next->mount == at->mount)
            break;
        at = next;
    }
    if (from != fd && from >= 0)
        ::close(from);
    std::sort(seen.begin(), seen.end());
    return std::adjacent_find(seen.begin(), seen.end()) != seen.end();
}

std::unique_ptr<Folder> HostDevice::openFolder(QStringView devicePath) {
    if (!ok())
        return nullptr;
    std::vector<std::string> names;
    for (const QString& part : SplitDevicePath(devicePath)) {
        auto encoded = EncodeDeviceName(part);
        if (!encoded)
            return nullptr;
        names.push_back(std::move(*encoded));
    }
    const MountNode* mounts = &m_mounts;
    bool crossesMount = !m_haveMounts;  // without the table any folder may be a mount point
    std::string joined;
    for (const std::string& name : names) {
        mounts = mounts ? mounts->child(name) : nullptr;
        crossesMount = crossesMount || (mounts && mounts->mountPoint);
        joined.append(name).push_back('\0');
    }
    auto folder = std::make_unique<HostFolder>(nullptr, std::move(joined));
    folder->isRoot = folder->names.empty();
    folder->mounts = m_haveMounts ? mounts : nullptr;
    if (!ensureOpen(*folder))
        return nullptr;
    // A path into a file system the walk would not enter names no folder of the device,
    // nor does a path that passes through a folder mounted inside itself.
    if (!folder->isRoot && !mayEnter(folder->dev, m_rootDev, folder->fd))
        return nullptr;
    if (crossesMount && !folder->isRoot && insideItself(folder->fd))
        return nullptr;
    folder->fillsEveryCall = fillsEveryCall(*folder, nullptr);
    return folder;
}

std::unique_ptr<Folder> HostDevice::openChild(Folder& parentFolder, std::string_view hostName) {
    auto& parent = static_cast<HostFolder&>(parentFolder);
    if (!ensureOpen(parent))
        return nullptr;
    std::string name(hostName);
    name.push_back('\0');
    auto child = std::make_unique<HostFolder>(&parent, std::move(name));
    if (m_haveMounts) {
        // The mount table knows every mount point: the folder is on its parent's volume
        // unless the table says otherwise, and no stat call is needed to tell.
        child->mounts = parent.mounts ? parent.mounts->child(hostName) : nullptr;
        const bool mountPoint = child->mounts && child->mounts->mountPoint;
        child->dev = mountPoint ? child->mounts->dev : parent.dev;
        if (mountPoint && !mayEnter(child->dev, parent.dev, -1))
            return nullptr;
        child->statOnOpen = false;
        if (!ensureOpen(*child) || (mountPoint && insideItself(child->fd)))
            return nullptr;
        child->fillsEveryCall = fillsEveryCall(*child, &parent);
        return child;
    }
    if (!ensureOpen(*child))
        return nullptr;
    if (!mayEnter(child->dev, parent.dev, child->fd))
        return nullptr;
    // Only a mount point can lead back up; statx tells one by its mount id, or by its
    // device where the kernel gives no mount id.
    const bool mountPoint = child->mount != parent.mount || child->dev != parent.dev;
    if (mountPoint && insideItself(child->fd))
        return nullptr;
    child->fillsEveryCall = fillsEveryCall(*child, &parent);
    return child;
}

FolderState HostDevice::whyNotOpened(Folder& parentFolder, std::string_view hostName) {
    auto& parent = static_cast<HostFolder&>(parentFolder);
    if (!ensureOpen(parent))
        return FolderState::Unreadable;
    // A path descriptor needs no permission to read the folder: it tells a mount point the
    // walk skips from a folder it may not read.
    const std::string name(hostName);
    const Fd fd(::openat(parent.fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0)
        return FolderState::Unreadable;
    // Refused as its own ancestor: as du does, a loop is not an error of the disk.
    if (insideItself(fd.get()))
        return FolderState::Loop;
    if (st.st_dev == parent.dev)
        return FolderState::Unreadable;
    switch (kindOf(st.st_dev, fd.get())) {
        case MountKind::Pseudo:
            return FolderState::Pseudo;
        case MountKind::Network:
            return m_options.enterNetworkFileSystems ? FolderState::Unreadable
                                                     : FolderState::Network;
        case MountKind::Ordinary:
            break;
    }
    return FolderState::Unreadable;
}

void HostDevice::park(Folder& folderIn) {
    auto& folder = static_cast<HostFolder&>(folderIn);
    // Reopened by name later: know what it is now, so that a folder renamed over it in the
    // meantime is not taken for it.
    struct stat st {};
    if (folder.fd >= 0 && folder.ino == 0 && ::fstat(folder.fd, &st) == 0) {
        folder.dev = st.st_dev;
        folder.ino = st.st_ino;
    }
    folder.statOnOpen = true;
    folder.close();
}

void HostDevice::read(Folder& folderIn, Listing& out, ReadDetail detail) {
    auto& folder = static_cast<HostFolder&>(folderIn);
    if (!ensureOpen(folder)) {
        out.state = FolderState::Unreadable;
        return;
    }
    // A second read of the same descriptor starts over.
    if (folder.readBefore)
        ::lseek(folder.fd, 0, SEEK_SET);
    folder.readBefore = true;
    // The root is always read in full: its cards are told apart by their volume.
    const bool exporting = detail == ReadDetail::Export;
    const bool statFolders = detail == ReadDetail::Full || exporting || folder.isRoot;
    const unsigned mask = exporting ? kStatxForEntry | STATX_BLOCKS | STATX_MTIME : kStatxForEntry;
    // One buffer per thread, never cleared: it only ever holds what getdents64 wrote. It
    // must hold at least one entry of the longest name.
    const size_t bufferSize = std::max<size_t>(m_options.readBufferBytes, 512);
    ReadBuffer& buffer = ReadBufferOfThisThread();
    if (buffer.capacity < bufferSize) {
        // 8 more bytes than getdents64 is offered: NameLength may look past the last record.
        buffer.bytes.reset(new char[bufferSize + 8]);
        buffer.capacity = bufferSize;
    }
    // Checked every few hundred entries: a stat each costs microseconds, a huge folder
    // hundreds of milliseconds.
    const auto stopped = [&out] {
        return out.going && !out.going->load(std::memory_order_relaxed);
    };
    unsigned sinceCheck = 0;
    quint32 volumeMajor = 0;
    quint32 volumeMinor = 0;
    dev_t volume = makedev(0, 0);
    for (;;) {
        if (stopped())
            break;
        const long n = ::syscall(SYS_getdents64, folder.fd, buffer.bytes.get(), bufferSize);
        if (n <= 0) {
            // The end, or a folder that failed part way: what was read stays.
            if (n < 0)
                out.state = FolderState::Unreadable;
            break;
        }
        // Past the last record NameLength may read 3 bytes it never uses: known ones all
        // the same.
        std::memset(buffer.bytes.get() + n, 0, 8);
        // No record is shorter than 24 bytes, and its name is shorter than the record: room
        // for the most this buffer can hold, so a listing grows at most once per read call.
        ReserveMore(out.entries, static_cast<size_t>(n) / 24);
        ReserveMore(out.names, static_cast<size_t>(n));
        for (long pos = 0; pos < n;) {
            if (++sinceCheck % 256 == 0 && stopped())
                return;
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer.bytes.get() + pos);
            pos += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            if (detail == ReadDetail::FoldersOnly && d->d_type != DT_DIR && d->d_type != DT_UNKNOWN)
                continue;
            const std::string_view nameView(name, NameLength(d));
            if (d->d_type == DT_DIR && !statFolders) {
                FindData& e = out.add(nameView);
                e.attributes = kAttributeDirectory | (name[0] == '.' ? kAttributeHidden : 0u);
                e.id.inode = d->d_ino;
                continue;
            }
            // Not cleared: a successful statx writes the whole record, and clearing its 256
            // bytes for every entry took a sixth of this loop's time outside the kernel.
            struct statx sx;
            if (::statx(folder.fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &sx) != 0)
                continue;  // vanished between listing and stat
            // Entries of a folder lie on its volume but for mount points: the device number
            // is made once, not for every entry.
            if (sx.stx_dev_major != volumeMajor || sx.stx_dev_minor != volumeMinor) {
                volumeMajor = sx.stx_dev_major;
                volumeMinor = sx.stx_dev_minor;
                volume = makedev(volumeMajor, volumeMinor);
            }
            FindData& e = out.add(nameView);
            FillFromStatx(e, sx, nameView, volume);
            if (exporting)
                out.details.push_back(
                    {sx.stx_blocks, sx.stx_mtime.tv_sec * 1'000'000'000LL + sx.stx_mtime.tv_nsec});
            if (e.isFolder()) {
                e.links = 1;
                // A card: another block-device file system mounted right under the root.
                const auto dev = static_cast<dev_t>(e.id.volume);
                if (folder.isRoot && dev != folder.dev && major(dev) != 0 &&
                    kindOf(dev, -1) == MountKind::Ordinary)
                    e.attributes |= kAttributeTemporary;
            }
        }
        if (folder.fillsEveryCall && static_cast<size_t>(n) + kLongestRecord <= bufferSize)
            break;
    }
}

quint64 HostDevice::blocksReadByThisThread() const {
    return BlocksReadByThisThread();
}

std::optional<MemoryFigures> HostDevice::globalMemoryStatus() {
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<quint64> total, available;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 2)
            continue;
        bool ok = false;
        const quint64 kib = f[1].toULongLong(&ok);
        if (!ok)
            continue;
        if (f[0] == "MemTotal:")
            total = kib * 1024;
        if (f[0] == "MemAvailable:")
            available = kib * 1024;
    }
    if (!total || !available)
        return std::nullopt;
    return MemoryFigures{*total, *available};
}

std::optional<DiskSpace> HostDevice::diskFreeSpace(QStringView devicePath) {
    if (!ok())
        return std::nullopt;
    // Down the path as far as it exists: "\My Documents" answers for the root's volume.
    int fd = OpenDirAt(m_rootFd, ".");
    for (const QString& part : SplitDevicePath(devicePath)) {
        const auto name = EncodeDeviceName(part);
        if (!name || fd < 0)
            break;
        const int next = OpenDirAt(fd, name->c_str());
        if (next < 0)
            break;
        ::close(fd);
        fd = next;
    }
    if (fd < 0)
        return std::nullopt;
    struct statvfs vfs {};
    const int rc = ::fstatvfs(fd, &vfs);
    ::close(fd);
    if (rc != 0)
        return std::nullopt;
    return DiskSpace{static_cast<quint64>(vfs.f_blocks) * vfs.f_frsize,
                     static_cast<quint64>(vfs.f_bfree) * vfs.f_frsize};
}

}  // namespace dovrane::platform
