#pragma once
// Real folders for tests, built with *at() calls so that names and depths a path string
// could not carry (backslashes, invalid UTF-8, beyond PATH_MAX) are possible.

#include <dirent.h>
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
    // QTemporaryDir gives up on paths longer than PATH_MAX: the tree is taken down by
    // descriptor first, read-only folders included.
    ~TempTree() {
        const int fd = ::open(m_dir.path().toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0)
            RemoveContents(fd);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
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
    // Empties the folder `fd` and closes it.
    static void RemoveContents(int fd) {
        ::fchmod(fd, 0755);
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return;
        }
        while (const dirent* d = ::readdir(dir)) {
            const std::string name = d->d_name;
            if (name == "." || name == "..")
                continue;
            if (d->d_type == DT_DIR) {
                const int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
                if (sub >= 0)
                    RemoveContents(sub);
                ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
            } else {
                ::unlinkat(fd, name.c_str(), 0);
            }
        }
        ::closedir(dir);
    }

    QTemporaryDir m_dir;
};

}  // namespace dovrane::test
