#pragma once
// The object store: the SQLite databases of the user's applications, found below a few
// host folders. Listing never writes to a database, its journal or its shared memory;
// deleting re-checks the file's identity and refuses a database another process holds.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/find_data.h"

namespace dovrane::platform {

struct DatabaseInfo {
    QString name;         // the path relative to its object-store folder, '/' between parts
    QByteArray hostPath;  // host bytes, absolute or as the folder was given
    QString devicePath;   // below the device root; empty when the file lies outside it
    quint64 size = 0;
    FileTime modified = 0;
    std::optional<quint64> records;  // empty: locked, corrupt, encrypted or unreadable
    FileId oid;
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
// followed, unreadable folders add nothing. `deviceRoot` is the host folder of the device.
std::vector<DatabaseInfo> FindDatabases(const QStringList& folders, const QString& deviceRoot);

// The rows of every table of the database (the engine's own sqlite_ tables and virtual
// tables aside), counted through a read-only connection; empty when it cannot be counted.
std::optional<quint64> CountDatabaseRecords(const QByteArray& hostPath);

// Whether another process holds a lock on the database or on its -shm file (asked
// without taking or waiting for any lock).
bool IsDatabaseHeld(const QByteArray& hostPath);

enum class DeleteDatabaseResult { Deleted, Held, Changed, Failed };

// Removes the database if `oid` still names it and nobody holds it, then its -wal, -shm
// and -journal companions.
DeleteDatabaseResult DeleteDatabase(const QByteArray& hostPath, const FileId& oid);

// The 16 bytes every SQLite database begins with.
inline constexpr char kSqliteHeader[] = "SQLite format 3";  // with its NUL: 16 bytes

}  // namespace dovrane::platform
