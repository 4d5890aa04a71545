#pragma once
// The object store: the SQLite databases of the user's applications, found below a few
// host folders. Listing never writes, locks or waits: databases are read through
// descriptors it opened itself; deleting re-checks the file's identity and refuses a
// database another process holds or has open.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/find_data.h"

namespace dovrane::platform {

// Where a listed database was met, for a delete to reach it again one folder at a time.
struct DatabaseLocation {
    QByteArray storeFolder;  // the object-store folder as it was given
    FileId storeId;          // that folder when listed
    QByteArray relative;     // host bytes below it, '/' between parts
    FileId folderId;         // the folder holding the database when listed
};

struct DatabaseInfo {
    QString name;         // the path relative to its object-store folder, '/' between parts
    QByteArray hostPath;  // host bytes, absolute or as the folder was given; for showing only
    QString devicePath;   // below the device root; empty when the file lies outside it
    quint64 size = 0;     // with its -wal, -shm and -journal: what a delete frees
    FileTime modified = 0;
    std::optional<quint64> records;  // empty: locked, corrupt, encrypted or unreadable
    FileId oid;
    DatabaseLocation location;
};

// Folders deeper than this below an object-store folder are not searched.
inline constexpr int kMaxObjectStoreDepth = 128;

struct DatabaseListing {
    std::vector<DatabaseInfo> databases;
    bool depthLimited = false;  // some folder lay deeper than kMaxObjectStoreDepth
};

// $XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_CACHE_HOME (or their defaults under $HOME),
// ~/.mozilla and ~/.thunderbird.
QStringList DefaultObjectStoreFolders();

// The folders the program was told to use (--object-store), or the default ones when it
// was told none. Set once at start-up, before any window reads it.
void SetObjectStoreFolders(const QStringList& folders);
QStringList ObjectStoreFolders();

// Every regular file below `folders` that begins with the SQLite header, folder by folder
// in the given order, each in enumeration order and depth first; a file reached twice
// (nested folders, hard links) is listed where it was first met. Links are never
// followed, unreadable folders add nothing, nothing that is not a regular file is ever
// read, and nothing is written or locked. The records are what a new reader would see, the
// committed frames of a -wal included. `deviceRoot` is the host folder of the device.
DatabaseListing FindDatabases(const QStringList& folders, const QString& deviceRoot);

// The records of the database at `hostPath` as FindDatabases counts them.
std::optional<quint64> CountDatabaseRecords(const QByteArray& hostPath);

// Whether another process has the database or one of its companions open, or holds a lock
// on the database or on its -shm file (asked without taking or waiting for any lock).
bool IsDatabaseHeld(const QByteArray& hostPath);

enum class DeleteDatabaseResult { Deleted, Held, Changed, Failed };
struct DatabaseDeletion {
    DeleteDatabaseResult result = DeleteDatabaseResult::Failed;
    int error = 0;  // the host's errno when it failed; ESTALE when it changed
};

// Removes the database if `oid` still names it where it was listed and nobody holds it,
// then its -wal, -shm and -journal companions; every step through the descriptor of its
// folder, reached from the store folder without following a link.
DatabaseDeletion DeleteDatabase(const DatabaseLocation& where, const FileId& oid);

// The 16 bytes every SQLite database begins with.
inline constexpr char kSqliteHeader[] = "SQLite format 3";  // with its NUL: 16 bytes

}  // namespace dovrane::platform
