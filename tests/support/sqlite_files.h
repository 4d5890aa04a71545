#pragma once
// SQLite databases for tests: made with SQL, and held open by another process, as an
// application holding a database while the analyzer looks at it.

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <string>

namespace dovrane::test {

// Runs `sql` on a database at `path`, created when missing.
inline bool MakeDatabase(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// A child process that opens the database, runs `sql` (a transaction it leaves open) and
// holds it until this object goes.
class HeldDatabase {
public:
    HeldDatabase(const std::string& path, const char* sql) {
        int ready[2], go[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(go) == 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(go[1]);  // else the parent's close would never end the read below
            sqlite3* db = nullptr;
            const bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                            sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
            const char state = ok ? 'y' : 'n';
            [[maybe_unused]] auto w = ::write(ready[1], &state, 1);
            char c;
            [[maybe_unused]] auto r = ::read(go[0], &c, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(go[0]);
        m_go = go[1];
        char state = 0;
        QVERIFY(::read(ready[0], &state, 1) == 1);
        ::close(ready[0]);
        m_ok = state == 'y';
    }
    ~HeldDatabase() {
        if (m_pid > 0) {
            ::close(m_go);  // the child's read returns and it ends, letting go of its locks
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    HeldDatabase(const HeldDatabase&) = delete;
    HeldDatabase& operator=(const HeldDatabase&) = delete;
    bool ok() const { return m_ok; }

private:
    pid_t m_pid = -1;
    int m_go = -1;
    bool m_ok = false;
};

}  // namespace dovrane::test
