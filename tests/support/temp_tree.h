#pragma once
// Real folders for tests, built with *at() calls so that names and depths a path string
// could not carry (backslashes, invalid UTF-8, beyond PATH_MAX) are possible.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QtTest>
#include <string>

namespace dovrane::test {

class TempTree {
public:
    TempTree() { QVERIFY(m_dir.isValid()); }
    QString root() const { return m_dir.path(); }
    std::string host(const std::string& relative) const {
        return m_dir.path().toStdString() + "/" + relative;
    }
    void folder(const std::string& relative) const {
        QVERIFY2(::mkdir(host(relative).c_str(), 0755) == 0, relative.c_str());
    }
    // A file of `size` bytes; sparse, so 5 GiB costs nothing.
    void file(const std::string& relative, off_t size = 0) const {
        const int fd = ::open(host(relative).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        QVERIFY2(fd >= 0, relative.c_str());
        if (size > 0)
            QVERIFY(::ftruncate(fd, size) == 0);
        ::close(fd);
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace dovrane::test
