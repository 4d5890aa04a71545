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

#include "platform/name_codec.h"
#include "platform/unique_fd.h"

namespace dovrane::platform {
namespace {

FileTime ToFileTime(const struct timespec& t) {
    return static_cast<FileTime>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool BeginsWithHeader(int dirFd, const char* name) {
    const Fd fd(::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.ok())
        return false;
    char head[sizeof kSqliteHeader];
    return ::pread(fd.get(), head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
           std::memcmp(head, kSqliteHeader, sizeof head) == 0;
}

struct FileIdHash {
    size_t operator()(const FileId& id) const {
        return std::hash<quint64>()(id.inode ^ (id.volume << 40));
    }
};

struct Walker {
    std::vector<DatabaseInfo>& out;
    std::unordered_set<FileId, FileIdHash>& seen;  // a file reached twice is listed once
    QByteArray hostPrefix;  // host path of the folder being read, with a trailing '/'
    QString namePrefix;     // relative to the object-store folder, with a trailing '/'
    QString devicePrefix;   // device path of the folder, with a trailing '\'; empty outside
    bool insideDevice = false;

    void walk(int dirFd) {
        DIR* dir = ::fdopendir(dirFd);
        if (!dir) {
            ::close(dirFd);
            return;
        }
        while (const dirent* d = ::readdir(dir)) {
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            struct stat st {};
            if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;  // vanished since the listing
            const QString deviceName = DecodeHostName(name);
            if (S_ISDIR(st.st_mode)) {
                const int child =
                    ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (child < 0)
                    continue;
                Walker sub{out,
                           seen,
                           hostPrefix + name + '/',
                           namePrefix + deviceName + u'/',
                           insideDevice ? devicePrefix + deviceName + u'\\' : QString(),
                           insideDevice};
                sub.walk(child);
            } else if (S_ISREG(st.st_mode) &&
                       st.st_size >= static_cast<off_t>(sizeof kSqliteHeader) &&
                       BeginsWithHeader(::dirfd(dir), name)) {
                const FileId id{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
                if (!seen.insert(id).second)
                    continue;
                DatabaseInfo db;
                db.name = namePrefix + deviceName;
                db.hostPath = hostPrefix + name;
                if (insideDevice)
                    db.devicePath = devicePrefix + deviceName;
                db.size = static_cast<quint64>(st.st_size);
                db.modified = ToFileTime(st.st_mtim);
                db.oid = id;
                out.push_back(std::move(db));
            }
        }
        ::closedir(dir);
    }
};

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

bool LockedByOthers(const QByteArray& hostPath) {
    const Fd fd(::open(hostPath.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (!fd.ok())
        return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // every byte, to the end and beyond: the lock bytes lie at 1 GiB
    return ::fcntl(fd.get(), F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

bool Exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// Byte 18 of the header is 2 for a database in write-ahead-log mode.
bool InWalMode(const QByteArray& path) {
    const Fd fd(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    unsigned char version = 0;
    return fd.ok() && ::pread(fd.get(), &version, 1, 18) == 1 && version == 2;
}

// A URI that names the file whatever bytes its path holds.
QByteArray FileUri(const QByteArray& hostPath, bool immutable) {
    QByteArray uri = "file:" + hostPath.toPercentEncoding("/");
    uri += immutable ? "?mode=ro&immutable=1" : "?mode=ro";
    return uri;
}

QByteArray QuoteIdentifier(const QByteArray& name) {
    QByteArray quoted = name;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
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

std::vector<DatabaseInfo> FindDatabases(const QStringList& folders, const QString& deviceRoot) {
    std::vector<DatabaseInfo> out;
    // Folders may nest (XDG_DATA_HOME inside XDG_CONFIG_HOME, say) or share hard links.
    std::unordered_set<FileId, FileIdHash> seen;
    for (const QString& folder : folders) {
        const int fd = ::open(folder.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        const auto device = DevicePrefix(folder, deviceRoot);
        QByteArray host = folder.toLocal8Bit();
        if (!host.endsWith('/'))
            host += '/';
        Walker walker{out, seen, host, QString(), device.value_or(QString()), device.has_value()};
        walker.walk(fd);
    }
    return out;
}

bool IsDatabaseHeld(const QByteArray& hostPath) {
    return LockedByOthers(hostPath) || LockedByOthers(hostPath + "-shm");
}

std::optional<quint64> CountDatabaseRecords(const QByteArray& hostPath) {
    const QByteArray& path = hostPath;
    // Unheld, it is read as it lies, with no locks and no shared memory: nothing can be
    // created beside it. Held, the holder's -shm already exists and is only read.
    const bool held = IsDatabaseHeld(hostPath);
    if (held && InWalMode(path) && (!Exists(path + "-wal") || !Exists(path + "-shm")))
        return std::nullopt;  // its reader would make the missing companion
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(
        FileUri(path, !held).constData(), &raw,
        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX,
        nullptr);
    const std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (rc != SQLITE_OK)
        return std::nullopt;
    sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_busy_timeout(raw, 0);  // a writer holding it means no count, never a wait
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

DeleteDatabaseResult DeleteDatabase(const QByteArray& hostPath, const FileId& oid) {
    const QByteArray& path = hostPath;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<quint64>(st.st_dev) != oid.volume ||
        static_cast<quint64>(st.st_ino) != oid.inode)
        return DeleteDatabaseResult::Changed;
    if (IsDatabaseHeld(hostPath))
        return DeleteDatabaseResult::Held;
    if (::unlink(path.constData()) != 0)
        return DeleteDatabaseResult::Failed;
    for (const char* companion : {"-wal", "-shm", "-journal"}) {
        const QByteArray other = path + companion;
        struct stat cs {};
        // Only a file of its own: a folder or anything else of that name stays.
        if (::lstat(other.constData(), &cs) == 0 && (S_ISREG(cs.st_mode) || S_ISLNK(cs.st_mode)))
            ::unlink(other.constData());
    }
    return DeleteDatabaseResult::Deleted;
}

}  // namespace dovrane::platform
