#include "platform/sqlite_fd_vfs.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dovrane::platform {
namespace {

constexpr char kVfsName[] = "dovrane-fd";
constexpr char kNamePrefix[] = "/dovrane-fd/";

struct FdFile {
    sqlite3_file base;
    int fd;          // -1: an empty file
    void** regions;  // the private shared memory of a database file
    int regionCount;
};

FdFile* Of(sqlite3_file* file) {
    return reinterpret_cast<FdFile*>(file);
}

int Close(sqlite3_file* file) {
    FdFile* f = Of(file);
    for (int i = 0; i < f->regionCount; ++i)
        std::free(f->regions[i]);
    std::free(f->regions);
    f->regions = nullptr;
    f->regionCount = 0;
    return SQLITE_OK;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    auto* bytes = static_cast<char*>(buffer);
    int got = 0;
    while (Of(file)->fd >= 0 && got < amount) {
        const ssize_t n = ::pread(Of(file)->fd, bytes + got, static_cast<size_t>(amount - got),
                                  static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return SQLITE_IOERR_READ;
        if (n == 0)
            break;
        got += static_cast<int>(n);
    }
    if (got == amount)
        return SQLITE_OK;
    std::memset(bytes + got, 0, static_cast<size_t>(amount - got));
    return SQLITE_IOERR_SHORT_READ;
}

int Write(sqlite3_file*, const void*, int, sqlite3_int64) {
    return SQLITE_READONLY;
}

int Truncate(sqlite3_file*, sqlite3_int64) {
    return SQLITE_READONLY;
}

int Sync(sqlite3_file*, int) {
    return SQLITE_OK;
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    struct stat st {};
    if (Of(file)->fd >= 0 && ::fstat(Of(file)->fd, &st) != 0)
        return SQLITE_IOERR_FSTAT;
    *size = Of(file)->fd >= 0 ? static_cast<sqlite3_int64>(st.st_size) : 0;
    return SQLITE_OK;
}

// Locks are the file's holders' business: this reader takes none.
int Lock(sqlite3_file*, int) {
    return SQLITE_OK;
}

int CheckReservedLock(sqlite3_file*, int* reserved) {
    *reserved = 0;
    return SQLITE_OK;
}

int FileControl(sqlite3_file*, int, void*) {
    return SQLITE_NOTFOUND;
}

int SectorSize(sqlite3_file*) {
    return 4096;
}

int DeviceCharacteristics(sqlite3_file*) {
    return 0;
}

// The wal-index in heap memory: a WAL is read by recovering it into this private index,
// never by mapping the holder's -shm.
int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
    FdFile* f = Of(file);
    *out = nullptr;
    if (region >= f->regionCount) {
        if (!extend)
            return SQLITE_OK;
        void* grown = std::realloc(f->regions, sizeof(void*) * static_cast<size_t>(region + 1));
        if (!grown)
            return SQLITE_NOMEM;
        f->regions = static_cast<void**>(grown);
        for (; f->regionCount <= region; ++f->regionCount) {
            f->regions[f->regionCount] = std::calloc(1, static_cast<size_t>(size));
            if (!f->regions[f->regionCount])
                return SQLITE_NOMEM;
        }
    }
    *out = f->regions[region];
    return SQLITE_OK;
}

int ShmLock(sqlite3_file*, int, int, int) {
    return SQLITE_OK;
}

void ShmBarrier(sqlite3_file*) {
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

int ShmUnmap(sqlite3_file* file, int) {
    return Close(file);
}

const sqlite3_io_methods kMethods = {2,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Lock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     nullptr,
                                     nullptr};

// The descriptors a connection's name carries: "/dovrane-fd/DB/WAL/JOURNAL", with "-wal"
// or "-journal" after it for those files.
struct Names {
    int db = -1;
    int wal = kNoWal;
    int journal = -1;
};

bool ParseName(const char* name, Names& fds) {
    return name && std::sscanf(name, "/dovrane-fd/%d/%d/%d", &fds.db, &fds.wal, &fds.journal) == 3;
}

bool EndsWith(const char* name, const char* tail) {
    const size_t n = std::strlen(name), t = std::strlen(tail);
    return n >= t && std::strcmp(name + n - t, tail) == 0;
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    FdFile* f = Of(file);
    std::memset(f, 0, sizeof *f);
    Names fds;
    if (!ParseName(name, fds))
        return SQLITE_CANTOPEN;
    if (flags & SQLITE_OPEN_MAIN_DB)
        f->fd = fds.db;
    else if ((flags & SQLITE_OPEN_WAL) && fds.wal != kNoWal)
        f->fd = fds.wal;  // kEmptyWal reads as an empty file
    else if ((flags & SQLITE_OPEN_MAIN_JOURNAL) && fds.journal >= 0)
        f->fd = fds.journal;  // read only to see that it is hot
    else
        return SQLITE_CANTOPEN;  // nothing is ever made
    f->base.pMethods = &kMethods;
    if (outFlags)
        *outFlags = SQLITE_OPEN_READONLY;
    return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char*, int) {
    return SQLITE_IOERR_DELETE;
}

int Access(sqlite3_vfs*, const char* name, int, int* exists) {
    Names fds;
    *exists = ParseName(name, fds) && ((EndsWith(name, "-wal") && fds.wal != kNoWal) ||
                                       (EndsWith(name, "-journal") && fds.journal >= 0));
    return SQLITE_OK;
}

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    if (static_cast<int>(std::strlen(name)) >= size)
        return SQLITE_CANTOPEN;
    std::strcpy(out, name);
    return SQLITE_OK;
}

sqlite3_vfs* Host() {
    static sqlite3_vfs* const host = sqlite3_vfs_find(nullptr);
    return host;
}

int Randomness(sqlite3_vfs*, int size, char* out) {
    return Host()->xRandomness(Host(), size, out);
}

int Sleep(sqlite3_vfs*, int microseconds) {
    return Host()->xSleep(Host(), microseconds);
}

int CurrentTime(sqlite3_vfs*, double* now) {
    return Host()->xCurrentTime(Host(), now);
}

int LastError(sqlite3_vfs*, int size, char* out) {
    return Host()->xGetLastError ? Host()->xGetLastError(Host(), size, out) : 0;
}

int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    return Host()->xCurrentTimeInt64(Host(), now);
}

sqlite3_vfs* Registered() {
    static sqlite3_vfs vfs = {2,       sizeof(FdFile), 512,       nullptr,          kVfsName,
                              nullptr, Open,           Delete,    Access,           FullPathname,
                              nullptr, nullptr,        nullptr,   nullptr,          Randomness,
                              Sleep,   CurrentTime,    LastError, CurrentTimeInt64, nullptr,
                              nullptr, nullptr};
    static const bool registered = Host() && sqlite3_vfs_register(&vfs, 0) == SQLITE_OK;
    return registered ? &vfs : nullptr;
}

}  // namespace

sqlite3* OpenDatabaseOnFds(int dbFd, int walFd, int journalFd) {
    if (!Registered())
        return nullptr;
    char name[64];
    std::snprintf(name, sizeof name, "%s%d/%d/%d", kNamePrefix, dbFd, walFd, journalFd);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(name, &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, kVfsName) !=
        SQLITE_OK) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    return db;
}

}  // namespace dovrane::platform
