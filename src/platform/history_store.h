#pragma once
// The snapshot history on disk: scan files in one folder and an SQLite index naming them.
// A snapshot is written under a partial name, synced and renamed before one index
// transaction names it, so another program doing the same at once, a full disk or a crash
// at any point leave an index that names only whole files. Partial and unnamed files left
// by a crash are removed once they are a day old; an index entry whose file was removed by
// hand is dropped the next time the history is listed, and with it the deltas written
// against it.
//
// A delta (platform/scan_file.h) names its base in the index. A full snapshot taken out of
// the list while deltas need it stays, unlisted, as their base, and goes with the last of
// them; its file counts against the history's size all along. The index (version 2) keeps
// its rows in `snapshot_files`; `snapshots`, the table of version 1, is a view of the
// listed full snapshots, so an older program lists and reads those and no delta, and its
// attempts to add or remove a snapshot fail (a view cannot be written), leaving the
// history as it was.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct sqlite3;

namespace dovrane::platform {

struct SnapshotRecord {
    qint64 id = 0;
    QString deviceRoot;  // the host folder that was scanned
    QString host;        // the machine's name
    qint64 time = 0;     // the scan's start, seconds since 1970-01-01 UTC
    quint64 totalBytes = 0;
    quint64 entries = 0;
    QString fileName;  // in the history folder
    int formatVersion = 1;
    QByteArray digest;  // equal for two scans with the same totals and folder sizes
    quint64 fileBytes = 0;
    qint64 baseId = 0;       // a delta: the full snapshot it is written against; 0: full
    quint64 plainBytes = 0;  // the export before compression; 0 when not known
    bool listed = true;      // false: kept only as the base of listed deltas
};

class HistoryStore {
public:
    // $XDG_STATE_HOME/dovrane-storage-analyzer/history, ~/.local/state/... when unset.
    static QString DefaultFolder();

    explicit HistoryStore(QString folder = DefaultFolder());
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Creates the folder and the index when missing, and brings an index of version 1 to
    // this one. False with a one-line reason.
    bool open(QString* error);
    const QString& folder() const { return m_folder; }
    QString pathOf(const SnapshotRecord& record) const;

    // Snapshots of `deviceRoot` (all when empty), newest first; `withBases`: also the unlisted
    // bases. Entries whose file is gone, and deltas whose base is, are dropped from the
    // index, each with a line in `notes`.
    std::vector<SnapshotRecord> list(const QString& deviceRoot, QStringList* notes,
                                     bool withBases = false);

    // A path in the history folder that no other program uses, for a snapshot to be
    // written; never listed until committed.
    QString partialPath() const;
    // Makes the written file at `partialPath` a snapshot: synced, renamed to its own name,
    // then named in the index. The record's id, file name and size are filled in. A delta
    // whose base left the index meanwhile is not kept.
    std::optional<SnapshotRecord> commit(const QString& partialPath, SnapshotRecord record,
                                         QString* error);
    // Removes a partial file that will not be committed.
    void abandon(const QString& partialPath);
    // Takes snapshots out of the list in one transaction, then removes the files no longer
    // named: a full snapshot that listed deltas need stays as their base.
    bool remove(const std::vector<SnapshotRecord>& records, QString* error);
    // Partial and unindexed files at least `minAgeSeconds` old.
    void removeStrays(qint64 minAgeSeconds);
    // The size of the file system holding the history; 0 when unknown.
    quint64 fileSystemBytes() const;

private:
    bool exec(const char* sql, QString* error);
    int indexVersion();
    bool upgrade(QString* error);
    QString m_folder;
    sqlite3* m_db = nullptr;
};

// This machine's name, as the index records it.
QString HostName();

}  // namespace dovrane::platform
