#include "platform/content_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/device_path.h"
#include "platform/host_device.h"
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

class HostReader final : public ContentReader {
public:
    explicit HostReader(std::string root) : m_root(std::move(root)) {}

    std::unique_ptr<ContentStream> open(const QString& devicePath, const FileId& id) override {
        std::string path = m_root;
        for (const QString& part : SplitDevicePath(devicePath)) {
            const auto name = EncodeDeviceName(part);
            if (!name)
                return nullptr;
            path += '/';
            path += *name;
        }
        // O_NOFOLLOW guards the last step; the identity check below guards the others.
        const int fd =
            ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
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

private:
    std::string m_root;
};

}  // namespace

std::unique_ptr<ContentReader> MakeHostContentReader(const QString& rootHostPath) {
    std::string root = rootHostPath.toLocal8Bit().toStdString();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (root == "/")
        root.clear();
    return std::make_unique<HostReader>(std::move(root));
}

}  // namespace dovrane::platform

namespace dovrane::platform {

std::unique_ptr<ContentReader> MakeContentReader(Device& device) {
    if (const auto* host = dynamic_cast<HostDevice*>(&device))
        return MakeHostContentReader(host->rootHostPath());
    return nullptr;
}

}  // namespace dovrane::platform
