#include "platform/history_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "platform/unique_fd.h"

namespace dovrane::platform {
namespace {

constexpr char kPartialPrefix[] = ".partial-";
constexpr char kSuffix[] = ".json.zst";
constexpr char kIndexName[] = "history.sqlite";
constexpr int kIndexVersion = 2;

constexpr char kColumns[] =
    "id INTEGER PRIMARY KEY, device_root TEXT NOT NULL, host TEXT NOT NULL, "
    "time INTEGER NOT NULL, total_bytes INTEGER NOT NULL, entries INTEGER NOT NULL, "
    "file_name TEXT NOT NULL UNIQUE, format_version INTEGER NOT NULL, "
    "digest BLOB, file_bytes INTEGER NOT NULL";
constexpr char kDeltaColumns[][64] = {"base_id INTEGER", "plain_bytes INTEGER NOT NULL DEFAULT 0",
                                      "listed INTEGER NOT NULL DEFAULT 1"};
// What version 1 had, for the programs that know only that.
constexpr char kOldView[] =
    "CREATE VIEW snapshots AS SELECT id, device_root, host, time, total_bytes, entries, "
    "file_name, format_version, digest, file_bytes FROM snapshot_files "
    "WHERE base_id IS NULL AND listed";
// Rows out of the list that no listed delta needs.
constexpr char kUnneeded[] =
    " FROM snapshot_files WHERE NOT listed AND (base_id IS NOT NULL OR id NOT IN "
    "(SELECT base_id FROM snapshot_files WHERE listed AND base_id IS NOT NULL))";

QString SqliteError(sqlite3* db, const QString& what) {
    return QStringLiteral("history index: %1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(db)));
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

Statement Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    return Statement(s);
}

void BindText(sqlite3_stmt* s, int column, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(s, column, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

QString ColumnText(sqlite3_stmt* s, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, column)),
                             sqlite3_column_bytes(s, column));
}

// Syncs a file or folder so that a rename after it never names lost data.
bool Sync(const QString& path, bool folder) {
    const Fd fd(::open(QFile::encodeName(path).constData(),
                       (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC));
    return fd.ok() && ::fsync(fd.get()) == 0;
}

}  // namespace

QString HostName() {
    return QSysInfo::machineHostName();
}

QString HistoryStore::DefaultFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/dovrane-storage-analyzer/history");
}

HistoryStore::HistoryStore(QString folder) : m_folder(std::move(folder)) {}

HistoryStore::~HistoryStore() {
    sqlite3_close_v2(m_db);
}

bool HistoryStore::exec(const char* sql, QString* error) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    if (error)
        *error = SqliteError(m_db, QString::fromUtf8(sql).section(u' ', 0, 1));
    return false;
}

bool HistoryStore::open(QString* error) {
    if (!QDir().mkpath(m_folder)) {
        *error = QStringLiteral("cannot make the history folder %1").arg(m_folder);
        return false;
    }
    const QByteArray path = QFile::encodeName(m_folder + u'/' + QLatin1String(kIndexName));
    if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        *error = SqliteError(m_db, QStringLiteral("cannot open"));
        return false;
    }
    // Another program may be adding a snapshot: wait for it rather than fail.
    sqlite3_busy_timeout(m_db, 30000);
    return indexVersion() == kIndexVersion || upgrade(error);
}

int HistoryStore::indexVersion() {
    const Statement s = Prepare(m_db, "PRAGMA user_version");
    return s && sqlite3_step(s.get()) == SQLITE_ROW ? sqlite3_column_int(s.get(), 0) : -1;
}

bool HistoryStore::upgrade(QString* error) {
    // Under the write lock, looked at again: another program may have done it meanwhile.
    if (!exec("BEGIN IMMEDIATE", error))
        return false;
    const int version = indexVersion();
    QByteArray sql;
    if (version > kIndexVersion || version < 0) {
        *error =
            version < 0
                ? SqliteError(m_db, QStringLiteral("cannot read"))
                : QStringLiteral("history index: version %1, newer than this program").arg(version);
        exec("ROLLBACK", nullptr);
        return false;
    }
    if (version < kIndexVersion) {
        bool old = false;
        if (const Statement s = Prepare(
                m_db,
                "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'snapshots'"))
            old = sqlite3_step(s.get()) == SQLITE_ROW && sqlite3_column_int(s.get(), 0) > 0;
        if (old) {
            sql = "ALTER TABLE snapshots RENAME TO snapshot_files;";
            for (const char* column : kDeltaColumns)
                sql += QByteArray("ALTER TABLE snapshot_files ADD COLUMN ") + column + ';';
        } else {
            sql = QByteArray("CREATE TABLE snapshot_files (") + kColumns;
            for (const char* column : kDeltaColumns)
                sql += QByteArray(", ") + column;
            sql += ");";
        }
        sql += QByteArray(kOldView) +
               "; PRAGMA user_version = " + QByteArray::number(kIndexVersion) + ';';
    }
    if (!exec(sql.constData(), error)) {
        exec("ROLLBACK", nullptr);
        return false;
    }
    return exec("COMMIT", error);
}

QString HistoryStore::pathOf(const SnapshotRecord& record) const {
    return m_folder + u'/' + record.fileName;
}

std::vector<SnapshotRecord> HistoryStore::list(const QString& deviceRoot, QStringList* notes,
                                               bool withBases) {
    std::vector<SnapshotRecord> all, out, gone;
    const Statement s = Prepare(
        m_db,
        "SELECT id, device_root, host, time, total_bytes, entries, file_name, format_version, "
        "digest, file_bytes, base_id, plain_bytes, listed FROM snapshot_files "
        "WHERE ?1 = '' OR device_root = ?1 ORDER BY time DESC, id DESC");
    if (!s)
        return out;
    BindText(s.get(), 1, deviceRoot);
    std::map<qint64, QString> present;  // id: file name
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
        SnapshotRecord r;
        r.id = sqlite3_column_int64(s.get(), 0);
        r.deviceRoot = ColumnText(s.get(), 1);
        r.host = ColumnText(s.get(), 2);
        r.time = sqlite3_column_int64(s.get(), 3);
        r.totalBytes = static_cast<quint64>(sqlite3_column_int64(s.get(), 4));
        r.entries = static_cast<quint64>(sqlite3_column_int64(s.get(), 5));
        r.fileName = ColumnText(s.get(), 6);
        r.formatVersion = sqlite3_column_int(s.get(), 7);
        r.digest = QByteArray(static_cast<const char*>(sqlite3_column_blob(s.get(), 8)),
                              sqlite3_column_bytes(s.get(), 8));
        r.fileBytes = static_cast<quint64>(sqlite3_column_int64(s.get(), 9));
        r.baseId = sqlite3_column_int64(s.get(), 10);
        r.plainBytes = static_cast<quint64>(sqlite3_column_int64(s.get(), 11));
        r.listed = sqlite3_column_int(s.get(), 12) != 0;
        if (QFile::exists(pathOf(r)))
            present.emplace(r.id, r.fileName);
        else if (notes)
            notes->append(QStringLiteral("history: snapshot %1 is gone; dropped from the index")
                              .arg(r.fileName));
        all.push_back(std::move(r));
    }
    for (SnapshotRecord& r : all) {
        const bool whole = present.contains(r.id) && (r.baseId == 0 || present.contains(r.baseId));
        if (!whole && present.contains(r.id) && notes)
            notes->append(
                QStringLiteral("history: snapshot %1 lost its base; dropped from the index")
                    .arg(r.fileName));
        if (!whole)
            gone.push_back(std::move(r));
        else if (r.listed || withBases)
            out.push_back(std::move(r));
    }
    if (!gone.empty())
        remove(gone, nullptr);
    return out;
}

QString HistoryStore::partialPath() const {
    return QStringLiteral("%1/%2%3-%4-%5%6")
        .arg(m_folder, QLatin1String(kPartialPrefix))
        .arg(QDateTime::currentSecsSinceEpoch())
        .arg(::getpid())
        .arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0'))
        .arg(QLatin1String(kSuffix));
}

std::optional<SnapshotRecord> HistoryStore::commit(const QString& partialPath,
                                                   SnapshotRecord record, QString* error) {
    const QString partialName = partialPath.section(u'/', -1);
    record.fileName =
        QDateTime::fromSecsSinceEpoch(record.time, Qt::UTC)
            .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z-'")) +
        partialName.mid(static_cast<qsizetype>(sizeof kPartialPrefix - 1)).section(u'-', 1);
    const QString finalPath = pathOf(record);
    record.fileBytes = static_cast<quint64>(QFileInfo(partialPath).size());
    if (!Sync(partialPath, false) ||
        ::rename(QFile::encodeName(partialPath).constData(),
                 QFile::encodeName(finalPath).constData()) != 0 ||
        !Sync(m_folder, true)) {
        *error = QStringLiteral("cannot keep the snapshot %1: %2")
                     .arg(finalPath, QString::fromLocal8Bit(std::strerror(errno)));
        abandon(partialPath);
        return std::nullopt;
    }
    // One statement: the base's row is there when the delta's is added, or it is not added.
    const Statement s = Prepare(
        m_db,
        "INSERT INTO snapshot_files (device_root, host, time, total_bytes, entries, file_name, "
        "format_version, digest, file_bytes, base_id, plain_bytes) "
        "SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11 WHERE ?10 IS NULL OR EXISTS "
        "(SELECT 1 FROM snapshot_files WHERE id = ?10 AND base_id IS NULL)");
    bool ok = false;
    if (s) {
        BindText(s.get(), 1, record.deviceRoot);
        BindText(s.get(), 2, record.host);
        sqlite3_bind_int64(s.get(), 3, record.time);
        sqlite3_bind_int64(s.get(), 4, static_cast<sqlite3_int64>(record.totalBytes));
        sqlite3_bind_int64(s.get(), 5, static_cast<sqlite3_int64>(record.entries));
        BindText(s.get(), 6, record.fileName);
        sqlite3_bind_int(s.get(), 7, record.formatVersion);
        sqlite3_bind_blob(s.get(), 8, record.digest.constData(),
                          static_cast<int>(record.digest.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(s.get(), 9, static_cast<sqlite3_int64>(record.fileBytes));
        if (record.baseId != 0)
            sqlite3_bind_int64(s.get(), 10, record.baseId);
        sqlite3_bind_int64(s.get(), 11, static_cast<sqlite3_int64>(record.plainBytes));
        ok = sqlite3_step(s.get()) == SQLITE_DONE;
    }
    if (!ok || sqlite3_changes(m_db) == 0) {
        *error = ok ? QStringLiteral("cannot keep the snapshot %1: its base left the history")
                          .arg(finalPath)
                    : SqliteError(m_db, QStringLiteral("cannot add %1").arg(record.fileName));
        QFile::remove(finalPath);
        return std::nullopt;
    }
    record.id = sqlite3_last_insert_rowid(m_db);
    return record;
}

void HistoryStore::abandon(const QString& partialPath) {
    QFile::remove(partialPath);
}

bool HistoryStore::remove(const std::vector<SnapshotRecord>& records, QString* error) {
    if (records.empty())
        return true;
    if (!exec("BEGIN IMMEDIATE", error))
        return false;
    const Statement s = Prepare(m_db, "UPDATE snapshot_files SET listed = 0 WHERE id = ?1");
    bool ok = s != nullptr;
    for (const SnapshotRecord& r : records) {
        if (!ok)
            break;
        sqlite3_bind_int64(s.get(), 1, r.id);
        ok = sqlite3_step(s.get()) == SQLITE_DONE;
        sqlite3_reset(s.get());
    }
    // Decided in the same transaction as the unlisting: a delta another program adds
    // meanwhile either finds its base still named or is refused.
    QStringList files;
    if (ok) {
        const QByteArray select = QByteArray("SELECT file_name") + kUnneeded;
        const Statement unneeded = Prepare(m_db, select.constData());
        int rc = SQLITE_ERROR;
        while (unneeded && (rc = sqlite3_step(unneeded.get())) == SQLITE_ROW)
            files.append(ColumnText(unneeded.get(), 0));
        ok = rc == SQLITE_DONE && exec((QByteArray("DELETE") + kUnneeded).constData(), nullptr);
    }
    if (!ok) {
        exec("ROLLBACK", nullptr);
        if (error)
            *error = SqliteError(m_db, QStringLiteral("cannot remove snapshots"));
        return false;
    }
    if (!exec("COMMIT", error))
        return false;
    // Only once the index no longer names them: a reader never meets a missing file it
    // was told of, unless someone removed it by hand.
    for (const QString& file : files)
        QFile::remove(m_folder + u'/' + file);
    return true;
}

void HistoryStore::removeStrays(qint64 minAgeSeconds) {
    std::set<QString> named;
    const Statement s = Prepare(m_db, "SELECT file_name FROM snapshot_files");
    while (s && sqlite3_step(s.get()) == SQLITE_ROW)
        named.insert(ColumnText(s.get(), 0));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QDir dir(m_folder);
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
        // A file a program has just renamed is not indexed yet: only old ones are strays.
        if (named.contains(f.fileName()) || f.fileName().startsWith(QLatin1String(kIndexName)) ||
            now - f.lastModified().toSecsSinceEpoch() < minAgeSeconds)
            continue;
        QFile::remove(f.filePath());
    }
}

quint64 HistoryStore::fileSystemBytes() const {
    struct statvfs vfs {};
    if (::statvfs(QFile::encodeName(m_folder).constData(), &vfs) != 0)
        return 0;
    return static_cast<quint64>(vfs.f_blocks) * vfs.f_frsize;
}

}  // namespace dovrane::platform
