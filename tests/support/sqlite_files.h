#pragma once
// Files for the search and database tests: plain bytes, SQLite databases made with SQL, and a
// database held by another process, as an application holding it while the analyzer looks.

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <string>

namespace dovrane::test {

inline void WriteBytes(const std::string& path, const QByteArray& bytes) {
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Runs `sql` on the database at `path`, created when missing, and leaves it open when `keep`.
inline bool MakeDatabase(const std::string& path, const char* sql, bool keep = false) {
    sqlite3* db = nullptr;
    const bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!keep)
        sqlite3_close(db);
    return ok;
}

// A child process that runs `sql` (a transaction it leaves open) and holds the database until
// this object goes: its death lets go of the locks.
class HeldDatabase {
public:
    HeldDatabase(const std::string& path, const char* sql) {
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        if ((m_pid = ::fork()) == 0) {
            const char state = MakeDatabase(path, sql, true) ? 'y' : 'n';
            [[maybe_unused]] auto w = ::write(ready[1], &state, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);  // else a child that died early would leave the read below waiting
        char state = 0;
        m_ok = ::read(ready[0], &state, 1) == 1 && state == 'y';
        ::close(ready[0]);
    }
    ~HeldDatabase() {
        if (m_pid > 0 && ::kill(m_pid, SIGKILL) == 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    bool ok() const { return m_ok; }

private:
    pid_t m_pid = -1;
    bool m_ok = false;
};

}  // namespace dovrane::test
