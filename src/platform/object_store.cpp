#include "platform/object_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "platform/entry_removal.h"
#include "platform/name_codec.h"
#include "platform/sqlite_fd_vfs.h"
#include "platform/unique_fd.h"

namespace dovrane::platform {
namespace {

// SQLite's lock bytes in the database file, at 1 GiB.
constexpr off_t kPendingByte = 0x40000000;
constexpr off_t kSharedFirst = kPendingByte + 2;
constexpr off_t kSharedSize = 510;
constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal"};

FileTime ToFileTime(const struct timespec& t) {
    return static_cast<FileTime>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileId IdOf(const struct stat& st) {
    return {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

// A regular file of `dirFd` opened for reading, never through a link and never waiting:
// a pipe or device under a database's name is not opened past the check. -1 otherwise.
int OpenRegularAt(int dirFd, const std::string& name, struct stat* st = nullptr) {
    const int fd =
        ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat own {};
    struct stat& got = st ? *st : own;
    if (fd >= 0 && (::fstat(fd, &got) != 0 || !S_ISREG(got.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Which region of an open database file another process has locked against `type`.
bool LockedAgainst(int fd, short type, off_t start, off_t length) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    return ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

// A writer of a rollback-journal database between its pending and exclusive locks is
// changing pages in place: a read now could meet half a change, so it is not counted.
bool WriterMidChange(int fd) {
    return LockedAgainst(fd, F_RDLCK, kPendingByte, 1) ||
           LockedAgainst(fd, F_RDLCK, kSharedFirst, kSharedSize);
}

// Any lock at all, on any byte: someone has the file in use.
bool AnyLock(int fd) {
    return LockedAgainst(fd, F_WRLCK, 0, 0);
}

bool BeginsWithHeader(int fd) {
    char head[sizeof kSqliteHeader];
    return ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
           std::memcmp(head, kSqliteHeader, sizeof head) == 0;
}

// Byte 18 of the header is 2 for a database in write-ahead-log mode.
bool InWalMode(int fd) {
    unsigned char version = 0;
    return ::pread(fd, &version, 1, 18) == 1 && version == 2;
}

struct FileIdHash {
    size_t operator()(const FileId& id) const {
        return std::hash<quint64>()(id.inode ^ (id.volume << 40));
    }
};

QByteArray QuoteIdentifier(const QByteArray& name) {
    QByteArray quoted = name;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, DbCloser>;
struct StmtFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

Statement Prepare(sqlite3* db, const QByteArray& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return Statement(stmt);
}

// The rows of every user table, read in one transaction of `db`.
std::optional<quint64> CountRows(sqlite3* raw) {
    sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    if (sqlite3_exec(raw, "PRAGMA query_only=1; BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return std::nullopt;
    std::vector<QByteArray> tables;
    {
        const Statement schema =
            Prepare(raw,
                    "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name NOT LIKE "
                    "'sqlite\\_%' ESCAPE '\\' AND coalesce(sql, '') NOT LIKE 'CREATE VIRTUAL%'");
        if (!schema)
            return std::nullopt;
        int step;
        while ((step = sqlite3_step(schema.get())) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(schema.get(), 0)),
                                sqlite3_column_bytes(schema.get(), 0));
        if (step != SQLITE_DONE)
            return std::nullopt;
    }
    quint64 total = 0;
    for (const QByteArray& table : tables) {
        const Statement count = Prepare(raw, "SELECT count(*) FROM main." + QuoteIdentifier(table));
        if (!count || sqlite3_step(count.get()) != SQLITE_ROW)
            return std::nullopt;
        total += static_cast<quint64>(sqlite3_column_int64(count.get(), 0));
    }
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    return total;
}

// The records of the database `name` of `dirFd` while it is `id`: read through descriptors
// opened here, with its -wal's committed frames, without a lock or a byte written.
std::optional<quint64> CountRecordsAt(int dirFd, const std::string& name, const FileId& id) {
    struct stat st {};
    const Fd db(OpenRegularAt(dirFd, name, &st));
    if (!db.ok() || IdOf(st) != id || WriterMidChange(db.get()))
        return std::nullopt;
    const Fd wal(OpenRegularAt(dirFd, name + "-wal"));
    const Fd journal(OpenRegularAt(dirFd, name + "-journal"));
    const int walFd = wal.ok() ? wal.get() : InWalMode(db.get()) ? kEmptyWal : kNoWal;
    const Connection connection(OpenDatabaseOnFds(db.get(), walFd, journal.get()));
    return connection ? CountRows(connection.get()) : std::nullopt;
}

// The bytes of the database's companions beside it, each a regular file of its own.
quint64 CompanionBytes(int dirFd, const std::string& name) {
    quint64 bytes = 0;
    for (const char* companion : kCompanions)
        if (const auto st = StatEntryAt(dirFd, name + companion); st && S_ISREG(st->st_mode))
            bytes += static_cast<quint64>(st->st_size);
    return bytes;
}

// The device path of a host folder, with a trailing '\', or nothing outside the device.
std::optional<QString> DevicePrefix(const QString& folder, const QString& deviceRoot) {
    const QString root = QDir::cleanPath(QFileInfo(deviceRoot).absoluteFilePath());
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QString rest;
    if (root == u"/")
        rest = path.mid(1);
    else if (path == root)
        rest.clear();
    else if (path.startsWith(root + u'/'))
        rest = path.mid(root.size() + 1);
    else
        return std::nullopt;
    QString device = QStringLiteral("\\");
    for (const QString& part : rest.split(u'/', Qt::SkipEmptyParts))
        device += DecodeHostName(part.toLocal8Bit().toStdString()) + u'\\';
    return device;
}

// One open folder of the walk; the shared name buffers are cut back to these lengths when
// the walk leaves it.
struct Level {
    DIR* dir;
    qsizetype hostLength;
    qsizetype nameLength;
    FileId id;
};

// Walks one object-store folder without recursion: one open folder per level, and one
// path buffer for the whole walk rather than a prefix per level.
struct StoreWalk {
    DatabaseListing& out;
    std::unordered_set<FileId, FileIdHash>& seen;  // a file reached twice is listed once
    QByteArray storeFolder;
    FileId storeId;
    std::optional<QString> devicePrefix;  // with a trailing '\'; empty outside the device
    QByteArray relative;                  // host bytes below the store folder, '/'-ended
    QString name;                         // the same, decoded

    void run(int rootFd) {
        std::vector<Level> levels;
        enter(levels, rootFd, storeId);
        while (!levels.empty()) {
            Level& level = levels.back();
            const dirent* d = ::readdir(level.dir);
            if (!d) {
                ::closedir(level.dir);
                relative.truncate(level.hostLength);
                name.truncate(level.nameLength);
                levels.pop_back();
                continue;
            }
            const char* entry = d->d_name;
            if (entry[0] == '.' && (entry[1] == 0 || (entry[1] == '.' && entry[2] == 0)))
                continue;
            const int dirFd = ::dirfd(level.dir);
            const auto st = StatEntryAt(dirFd, entry);
            if (!st)
                continue;  // vanished since the listing
            if (S_ISDIR(st->st_mode)) {
                if (levels.size() > static_cast<size_t>(kMaxObjectStoreDepth)) {
                    out.depthLimited = true;
                    continue;
                }
                const int child = ::openat(
                    dirFd, entry, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
                if (child < 0)
                    continue;
                const qsizetype hostLength = relative.size(), nameLength = name.size();
                relative += entry;
                relative += '/';
                name += DecodeHostName(entry);
                name += u'/';
                if (!enter(levels, child, IdOf(*st), hostLength, nameLength)) {
                    relative.truncate(hostLength);
                    name.truncate(nameLength);
                }
            } else if (S_ISREG(st->st_mode) &&
                       st->st_size >= static_cast<off_t>(sizeof kSqliteHeader)) {
                consider(dirFd, entry, *st, level.id);
            }
        }
    }

    bool enter(std::vector<Level>& levels, int fd, const FileId& id, qsizetype hostLength = 0,
               qsizetype nameLength = 0) {
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return false;
        }
        levels.push_back({dir, hostLength, nameLength, id});
        return true;
    }

    void consider(int dirFd, const std::string& entry, const struct stat& st,
                  const FileId& folderId) {
        struct stat opened {};
        {
            const Fd fd(OpenRegularAt(dirFd, entry, &opened));
            if (!fd.ok() || IdOf(opened) != IdOf(st) || !BeginsWithHeader(fd.get()))
                return;
        }
        if (!seen.insert(IdOf(st)).second)
            return;
        DatabaseInfo db;
        db.name = name + DecodeHostName(entry);
        db.hostPath = storeFolder + (storeFolder.endsWith('/') ? "" : "/") + relative +
                      QByteArray::fromStdString(entry);
        if (devicePrefix) {
            QString below = db.name;
            db.devicePath = *devicePrefix + below.replace(u'/', u'\\');
        }
        db.size = static_cast<quint64>(opened.st_size) + CompanionBytes(dirFd, entry);
        db.modified = ToFileTime(opened.st_mtim);
        db.oid = IdOf(opened);
        db.records = CountRecordsAt(dirFd, entry, db.oid);
        db.location = {storeFolder, storeId, relative + QByteArray::fromStdString(entry), folderId};
        out.databases.push_back(std::move(db));
    }
};

// The folder holding `hostPath` and the file's name in it, for the calls given a path.
int OpenParentByPath(const QByteArray& hostPath, std::string& name) {
    const qsizetype slash = hostPath.lastIndexOf('/');
    name = hostPath.mid(slash + 1).toStdString();
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? "/" : hostPath.left(slash);
    return ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
}

// Whether any other process has one of `ids` open: each /proc/PID/fd entry is stat'ed
// through the link, which names the open file's device and inode without opening it.
bool OpenByAnotherProcess(const std::vector<FileId>& ids) {
    const int procFd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* proc = procFd >= 0 ? ::fdopendir(procFd) : nullptr;
    if (!proc) {
        if (procFd >= 0)
            ::close(procFd);
        return false;
    }
    const std::string self = std::to_string(::getpid());
    bool found = false;
    while (const dirent* p = found ? nullptr : ::readdir(proc)) {
        if (p->d_name[0] < '1' || p->d_name[0] > '9' || self == p->d_name)
            continue;
        const int fdsFd = ::openat(procFd, (std::string(p->d_name) + "/fd").c_str(),
                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* fds = fdsFd >= 0 ? ::fdopendir(fdsFd) : nullptr;
        if (!fds) {
            if (fdsFd >= 0)
                ::close(fdsFd);
            continue;
        }
        while (const dirent* f = found ? nullptr : ::readdir(fds)) {
            struct stat st {};
            if (f->d_name[0] != '.' && ::fstatat(fdsFd, f->d_name, &st, 0) == 0)
                found = std::find(ids.begin(), ids.end(), IdOf(st)) != ids.end();
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return found;
}

// Held: locked by another process (the database, any byte; its -shm), or open in one.
bool HeldAt(int dirFd, const std::string& name) {
    std::vector<FileId> ids;
    bool locked = false;
    {
        struct stat st {};
        const Fd db(OpenRegularAt(dirFd, name, &st));
        const Fd shm(OpenRegularAt(dirFd, name + "-shm"));
        locked = (db.ok() && AnyLock(db.get())) || (shm.ok() && AnyLock(shm.get()));
        if (db.ok())
            ids.push_back(IdOf(st));
    }
    for (const char* companion : kCompanions)
        if (const auto st = StatEntryAt(dirFd, name + companion); st && S_ISREG(st->st_mode))
            ids.push_back(IdOf(*st));
    return locked || OpenByAnotherProcess(ids);
}

}  // namespace

QStringList DefaultObjectStoreFolders() {
    const QString home = QDir::homePath();
    const auto xdg = [&home](const char* variable, const char* fallback) {
        const QString value = qEnvironmentVariable(variable);
        // XDG base directories must be absolute; a relative value is ignored.
        return value.startsWith(u'/') ? value : home + u'/' + QLatin1String(fallback);
    };
    return {xdg("XDG_CONFIG_HOME", ".config"), xdg("XDG_DATA_HOME", ".local/share"),
            xdg("XDG_CACHE_HOME", ".cache"), home + QStringLiteral("/.mozilla"),
            home + QStringLiteral("/.thunderbird")};
}

namespace {
QStringList& ConfiguredFolders() {
    static QStringList folders;
    return folders;
}
}  // namespace

void SetObjectStoreFolders(const QStringList& folders) {
    ConfiguredFolders() = folders;
}

QStringList ObjectStoreFolders() {
    return ConfiguredFolders().isEmpty() ? DefaultObjectStoreFolders() : ConfiguredFolders();
}

DatabaseListing FindDatabases(const QStringList& folders, const QString& deviceRoot) {
    DatabaseListing out;
    // Folders may nest (XDG_DATA_HOME inside XDG_CONFIG_HOME, say) or share hard links.
    std::unordered_set<FileId, FileIdHash> seen;
    for (const QString& folder : folders) {
        const QByteArray host = folder.toLocal8Bit();
        const int fd = ::open(host.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0) {
            if (fd >= 0)
                ::close(fd);
            continue;
        }
        StoreWalk walk{out, seen, host, IdOf(st), DevicePrefix(folder, deviceRoot), {}, {}};
        walk.run(fd);
    }
    return out;
}

std::optional<quint64> CountDatabaseRecords(const QByteArray& hostPath) {
    std::string name;
    const Fd dir(OpenParentByPath(hostPath, name));
    const auto st = dir.ok() ? StatEntryAt(dir.get(), name) : std::nullopt;
    return st ? CountRecordsAt(dir.get(), name, IdOf(*st)) : std::nullopt;
}

bool IsDatabaseHeld(const QByteArray& hostPath) {
    std::string name;
    const Fd dir(OpenParentByPath(hostPath, name));
    return dir.ok() && HeldAt(dir.get(), name);
}

DatabaseDeletion DeleteDatabase(const DatabaseLocation& where, const FileId& oid) {
    const auto changed = [](int error) {
        return DatabaseDeletion{DeleteDatabaseResult::Changed, error};
    };
    int fd = ::open(where.storeFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || IdOf(st) != where.storeId) {
        const int error = fd < 0 ? errno : ESTALE;
        if (fd >= 0)
            ::close(fd);
        return changed(error);
    }
    // Down to the database's folder, never through a link, so that a folder swapped for a
    // link to elsewhere stops the walk inside the store.
    QList<QByteArray> parts = where.relative.split('/');
    const std::string name = parts.takeLast().toStdString();
    for (const QByteArray& part : parts) {
        const int next =
            part.isEmpty() ? -1
                           : ::openat(fd, part.constData(),
                                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        const int error = part.isEmpty() ? ENOENT : errno;
        ::close(fd);
        fd = next;
        if (fd < 0)
            return changed(error);
    }
    const Fd dir(fd);
    if (::fstat(dir.get(), &st) != 0 || IdOf(st) != where.folderId)
        return changed(ESTALE);
    const EntryId id{oid.volume, oid.inode, S_IFREG};
    const auto entry = StatEntryAt(dir.get(), name);
    if (!entry || !id.matches(*entry))
        return changed(entry ? ESTALE : errno);
    if (HeldAt(dir.get(), name))
        return {DeleteDatabaseResult::Held, EBUSY};
    if (const int error = RemoveEntryAt(dir.get(), name, id); error != 0)
        return {error == ESTALE ? DeleteDatabaseResult::Changed : DeleteDatabaseResult::Failed,
                error};
    for (const char* companion : kCompanions) {
        // Only a file of its own: a folder or anything else of that name stays.
        const std::string other = name + companion;
        if (const auto cs = StatEntryAt(dir.get(), other);
            cs && (S_ISREG(cs->st_mode) || S_ISLNK(cs->st_mode)))
            RemoveEntryAt(dir.get(), other,
                          {static_cast<quint64>(cs->st_dev), static_cast<quint64>(cs->st_ino),
                           static_cast<mode_t>(cs->st_mode & S_IFMT)});
    }
    return {DeleteDatabaseResult::Deleted, 0};
}

}  // namespace dovrane::platform
