#pragma once
// Real folders for tests, built with *at() calls so that names and depths a path string
// could not carry (backslashes, invalid UTF-8, beyond PATH_MAX) are possible.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <string>

namespace dovrane::test {

// A file of `size` bytes; sparse, so 5 GiB costs nothing.
inline void MakeFile(const std::string& path, off_t size = 0) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY2(fd >= 0 && (size == 0 || ::ftruncate(fd, size) == 0), path.c_str());
    ::close(fd);
}

// Makes `levels` nested folders `name` below the open folder `fd`, which it closes, and returns
// the deepest one open (-1 when one could not be made): deeper than PATH_MAX if need be.
inline int Descend(int fd, const std::string& name, int levels) {
    for (int i = 0; i < levels && fd >= 0; ++i) {
        const int next = ::mkdirat(fd, name.c_str(), 0755) == 0
                             ? ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY)
                             : -1;
        ::close(fd);
        fd = next;
    }
    return fd;
}

// The names in `folder`, hidden ones too, sorted.
inline QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A short path to `name` in the open folder `fd`, however deep that folder lies.
inline std::string InFolder(int fd, const std::string& name) {
    return "/proc/self/fd/" + std::to_string(fd) + '/' + name;
}

class TempTree {
public:
    TempTree() { QVERIFY(m_dir.isValid()); }
    // QTemporaryDir gives up on paths longer than PATH_MAX: the tree is taken down by
    // descriptor first, read-only folders included.
    ~TempTree() {
        if (const int fd = openFolder(); fd >= 0)
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
    void file(const std::string& relative, off_t size = 0) const { MakeFile(host(relative), size); }
    QStringList entries(const std::string& relative = {}) const {
        return Entries(QString::fromStdString(host(relative)));
    }
    int openFolder(const std::string& relative = {}) const {
        return ::open(host(relative).c_str(), O_RDONLY | O_DIRECTORY);
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
