#pragma once
// SQLite reading a database through descriptors the caller opened and checked, never by
// name: a read-only file layer whose locks are no-ops and whose shared memory is private
// heap, so that a reader writes nothing, locks nothing and waits for nobody, and a name
// swapped for a pipe meanwhile is never opened. The caller keeps the descriptors open
// for as long as the connection lives.

struct sqlite3;

namespace dovrane::platform {

inline constexpr int kNoWal = -2;     // no -wal: the database file alone
inline constexpr int kEmptyWal = -1;  // a WAL database whose -wal is missing or empty

// A read-only connection on the database `dbFd` with its -wal `walFd` (or kNoWal,
// kEmptyWal) and its rollback journal `journalFd` (-1: none); null when SQLite cannot open
// it. A hot journal makes every read fail, as a reader that may not roll it back must:
// the pages it saved are not all back in place. Close it with sqlite3_close_v2.
sqlite3* OpenDatabaseOnFds(int dbFd, int walFd, int journalFd);

}  // namespace dovrane::platform
