#include "platform/content_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QByteArray>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/device_path.h"
#include "platform/host_device.h"
#include "platform/host_stat.h"
#include "platform/name_codec.h"

namespace dovrane::platform {
namespace {

class HostStream final : public ContentStream {
public:
    explicit HostStream(int fd) : m_fd(fd) {}
    ~HostStream() override { ::close(m_fd); }
    HostStream(const HostStream&) = delete;
    HostStream& operator=(const HostStream&) = delete;

    qint64 read(std::span<char> buffer) override {
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
            if (n >= 0 || errno != EINTR)
                return n;
        }
    }

    bool skip(qint64 bytes) override { return ::lseek(m_fd, bytes, SEEK_CUR) >= 0; }

private:
    int m_fd;
};

// Opens each file one name at a time below descriptors of its folders, never by a whole
// path: no depth is too deep for the host's path limit, and a folder swapped for a link
// part way down is not followed. The folders of the last file stay open, since the next
// file mostly shares them.
class HostReader final : public ContentReader {
public:
    explicit HostReader(const std::string& root)
        : m_rootPath(root),
          m_root(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)),
          m_blocksBefore(BlocksReadByThisThread()) {}
    ~HostReader() override {
        closeFrom(0);
        if (m_root >= 0)
            ::close(m_root);
    }
    HostReader(const HostReader&) = delete;
    HostReader& operator=(const HostReader&) = delete;

    std::unique_ptr<ContentStream> open(const QString& devicePath, const FileId& id) override {
        const QStringList parts = SplitDevicePath(devicePath);
        if (parts.isEmpty() || m_root < 0)
            return nullptr;
        std::vector<std::string> names;
        names.reserve(static_cast<size_t>(parts.size()));
        for (const QString& part : parts) {
            auto name = EncodeDeviceName(part);
            if (!name)
                return nullptr;
            names.push_back(std::move(*name));
        }
        ++m_opened;
        const int folder = descend(names);
        if (folder < 0)
            return nullptr;
        const int fd = ::openat(folder, names.back().c_str(),
                                O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return nullptr;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            static_cast<quint64>(st.st_dev) != id.volume ||
            static_cast<quint64>(st.st_ino) != id.inode) {
            ::close(fd);
            return nullptr;
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return std::make_unique<HostStream>(fd);
    }

    std::unique_ptr<ContentReader> another() override {
        if (m_root < 0)
            return nullptr;
        return std::make_unique<HostReader>(m_rootPath);
    }

    bool secondMustProve() const override {
        struct stat st {};
        if (m_root < 0 || ::fstat(m_root, &st) != 0)
            return true;
        const bool fromCache = m_opened > 0 && BlocksReadByThisThread() == m_blocksBefore;
        return !fromCache && Rotates(st.st_dev);
    }

private:
    struct Open {
        std::string name;
        int fd;
    };

    // The folder holding the last of `names`, keeping the folders shared with the last
    // file; -1 when one of them cannot be opened.
    int descend(const std::vector<std::string>& names) {
        const size_t depth = names.size() - 1;
        size_t same = 0;
        while (same < m_open.size() && same < depth && m_open[same].name == names[same])
            ++same;
        closeFrom(same);
        for (size_t i = same; i < depth; ++i) {
            const int parent = i == 0 ? m_root : m_open[i - 1].fd;
            const int fd =
                ::openat(parent, names[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                return -1;
            m_open.push_back({names[i], fd});
        }
        return depth == 0 ? m_root : m_open[depth - 1].fd;
    }

    void closeFrom(size_t depth) {
        while (m_open.size() > depth) {
            ::close(m_open.back().fd);
            m_open.pop_back();
        }
    }

    // Whether the block device behind `dev` says it rotates: the flag sits on the whole
    // disk, one level above a partition. A file system on no block device does not.
    static bool Rotates(dev_t dev) {
        const std::string block =
            "/sys/dev/block/" + std::to_string(major(dev)) + ':' + std::to_string(minor(dev));
        for (const char* flag : {"/queue/rotational", "/../queue/rotational"}) {
            const int fd = ::open((block + flag).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0)
                continue;
            char c = 0;
            const bool rotates = ::read(fd, &c, 1) == 1 && c == '1';
            ::close(fd);
            return rotates;
        }
        return false;
    }

    std::string m_rootPath;
    int m_root;
    quint64 m_blocksBefore;  // the disk reads of the thread that made the reader
    quint64 m_opened = 0;
    std::vector<Open> m_open;
};

class BytesStream final : public ContentStream {
public:
    explicit BytesStream(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    qint64 read(std::span<char> buffer) override {
        const qint64 n =
            std::min<qint64>(static_cast<qint64>(buffer.size()), m_bytes.size() - m_at);
        std::copy_n(m_bytes.constData() + m_at, n, buffer.data());
        m_at += n;
        return n;
    }

    bool skip(qint64 bytes) override {
        m_at = std::min<qint64>(m_at + bytes, m_bytes.size());
        return true;
    }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

// Any other device: the whole content through the device's own look-up, for devices that
// hold their files in memory.
class DeviceReader final : public ContentReader {
public:
    explicit DeviceReader(Device& device) : m_device(device) {}

    std::unique_ptr<ContentStream> open(const QString& devicePath, const FileId& id) override {
        const auto found = m_device.findFile(devicePath);
        if (!found || found->isFolder() || found->id != id)
            return nullptr;
        auto bytes = m_device.readFileStart(devicePath, static_cast<qint64>(found->size));
        if (!bytes)
            return nullptr;
        return std::make_unique<BytesStream>(std::move(*bytes));
    }

private:
    Device& m_device;
};

}  // namespace

std::unique_ptr<ContentReader> MakeHostContentReader(const QString& rootHostPath) {
    std::string root = rootHostPath.toLocal8Bit().toStdString();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return std::make_unique<HostReader>(root.empty() ? std::string("/") : root);
}

std::unique_ptr<ContentReader> MakeContentReader(Device& device) {
    if (const auto* host = dynamic_cast<HostDevice*>(&device))
        return MakeHostContentReader(host->rootHostPath());
    return std::make_unique<DeviceReader>(device);
}

}  // namespace dovrane::platform
