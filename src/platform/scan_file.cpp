#include "platform/scan_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <vector>

namespace dovrane::platform {
namespace {

constexpr size_t kChunk = 256 * 1024;

// Standard streams stay open for whoever else writes to them.
void CloseOwned(int fd) {
    if (fd > STDERR_FILENO)
        ::close(fd);
}

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Every byte of `data` to `fd`, through interrupted and short writes; 0 or an errno.
int WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

class FileOutput final : public ScanOutput {
public:
    FileOutput(int fd, QByteArray target, QByteArray temp, Compression compression)
        : m_fd(fd),
          m_target(std::move(target)),
          m_temp(std::move(temp)),
          m_compression(compression) {
        m_buffer.reserve(kChunk);
        if (compression == Compression::Gzip) {
            // 15 + 16: a gzip header and trailer around the deflate stream.
            m_ok = deflateInit2(&m_zlib, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        } else if (compression == Compression::Zstd) {
            m_zstd = ZSTD_createCStream();
            m_ok = m_zstd && !ZSTD_isError(ZSTD_initCStream(m_zstd, 3));
        }
        if (!m_ok)
            m_error = QStringLiteral("cannot start the compression");
    }

    ~FileOutput() override {
        if (m_compression == Compression::Gzip)
            deflateEnd(&m_zlib);
        ZSTD_freeCStream(m_zstd);
        CloseOwned(m_fd);
        // Never finished: the target keeps what it had.
        if (!m_finished && !m_temp.isEmpty())
            ::unlink(m_temp.constData());
    }

    bool write(std::string_view bytes) override {
        if (!m_ok)
            return false;
        switch (m_compression) {
            case Compression::None:
                if (m_buffer.size() + bytes.size() > kChunk && !flushBuffer())
                    return false;
                if (bytes.size() >= kChunk)
                    return put(bytes.data(), bytes.size());
                m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
                return true;
            case Compression::Gzip:
                return deflateSome(bytes, Z_NO_FLUSH);
            case Compression::Zstd:
                return compressSome(bytes, ZSTD_e_continue);
        }
        return false;
    }

    bool finish() override {
        if (!m_ok)
            return false;
        const bool flushed = m_compression == Compression::Gzip   ? deflateSome({}, Z_FINISH)
                             : m_compression == Compression::Zstd ? compressSome({}, ZSTD_e_end)
                                                                  : true;
        if (!flushed || !flushBuffer())
            return false;
        if (!m_temp.isEmpty()) {
            // On disk before the name points at it: a crash leaves the old file or the new.
            if (::fsync(m_fd) != 0)
                return fail(errno);
            const int fd = m_fd;
            m_fd = -1;
            if (::close(fd) != 0)
                return fail(errno);
            if (::rename(m_temp.constData(), m_target.constData()) != 0)
                return fail(errno);
        }
        m_finished = true;
        return true;
    }

private:
    bool fail(int error) {
        if (m_ok)
            m_error = QStringLiteral("cannot write %1: %2")
                          .arg(QFile::decodeName(m_target), ErrnoText(error));
        m_ok = false;
        return false;
    }
    bool put(const char* data, size_t size) {
        const int error = WriteAll(m_fd, data, size);
        return error == 0 || fail(error);
    }
    bool flushBuffer() {
        const bool ok = put(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return ok;
    }
    bool deflateSome(std::string_view in, int flush) {
        m_zlib.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        m_zlib.avail_in = static_cast<uInt>(in.size());
        char out[64 * 1024];
        int rc = Z_OK;
        do {
            m_zlib.next_out = reinterpret_cast<Bytef*>(out);
            m_zlib.avail_out = sizeof out;
            rc = deflate(&m_zlib, flush);
            if (rc == Z_STREAM_ERROR)
                return fail(EIO);
            if (!put(out, sizeof out - m_zlib.avail_out))
                return false;
        } while (m_zlib.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
        return true;
    }
    bool compressSome(std::string_view in, ZSTD_EndDirective mode) {
        ZSTD_inBuffer input{in.data(), in.size(), 0};
        char out[64 * 1024];
        for (;;) {
            ZSTD_outBuffer output{out, sizeof out, 0};
            const size_t left = ZSTD_compressStream2(m_zstd, &output, &input, mode);
            if (ZSTD_isError(left))
                return fail(EIO);
            if (!put(out, output.pos))
                return false;
            const bool done = mode == ZSTD_e_end ? left == 0 : input.pos == input.size;
            if (done)
                return true;
        }
    }

    int m_fd;
    QByteArray m_target, m_temp;  // no temp: written in place
    Compression m_compression;
    bool m_ok = true;
    bool m_finished = false;
    std::vector<char> m_buffer;
    z_stream m_zlib{};
    ZSTD_CStream* m_zstd = nullptr;
};

class FileInput final : public ScanInput {
public:
    FileInput(int fd, QString name) : m_fd(fd), m_name(std::move(name)) {}
    ~FileInput() override {
        if (m_kind == Compression::Gzip)
            inflateEnd(&m_zlib);
        ZSTD_freeDStream(m_zstd);
        CloseOwned(m_fd);
    }

    qint64 read(char* buffer, size_t size) override {
        if (m_failed)
            return -1;
        if (!m_started && !start())
            return -1;
        switch (m_kind) {
            case Compression::None: {
                if (m_pos < m_end) {
                    const size_t n = std::min(size, m_end - m_pos);
                    std::memcpy(buffer, m_raw.data() + m_pos, n);
                    m_pos += n;
                    return static_cast<qint64>(n);
                }
                return readRaw(buffer, size);
            }
            case Compression::Gzip:
                return inflateSome(buffer, size);
            case Compression::Zstd:
                return decompressSome(buffer, size);
        }
        return -1;
    }

private:
    qint64 fail(const QString& why) {
        m_error = QStringLiteral("%1: %2").arg(m_name, why);
        m_failed = true;
        return -1;
    }
    qint64 readRaw(char* buffer, size_t size) {
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, size);
            if (n >= 0)
                return n;
            if (errno != EINTR)
                return fail(ErrnoText(errno));
        }
    }
    // Refills the compressed bytes; false at the end or on failure.
    bool refill() {
        const qint64 n = readRaw(m_raw.data(), m_raw.size());
        m_pos = 0;
        m_end = n > 0 ? static_cast<size_t>(n) : 0;
        return n > 0;
    }
    // Reads the first bytes and tells the compression by their magic number.
    bool start() {
        m_started = true;
        m_raw.resize(kChunk);
        size_t have = 0;
        while (have < 4) {
            const qint64 n = readRaw(m_raw.data() + have, m_raw.size() - have);
            if (n < 0)
                return false;
            if (n == 0)
                break;
            have += static_cast<size_t>(n);
        }
        m_end = have;
        const auto* b = reinterpret_cast<const unsigned char*>(m_raw.data());
        if (have >= 2 && b[0] == 0x1f && b[1] == 0x8b) {
            m_kind = Compression::Gzip;
            // 15 + 32: a gzip or zlib header, told apart by zlib itself.
            if (inflateInit2(&m_zlib, 15 + 32) != Z_OK)
                return fail(QStringLiteral("cannot start gzip decompression")) >= 0;
        } else if (have >= 4 && b[0] == 0x28 && b[1] == 0xb5 && b[2] == 0x2f && b[3] == 0xfd) {
            m_kind = Compression::Zstd;
            m_zstd = ZSTD_createDStream();
            if (!m_zstd || ZSTD_isError(ZSTD_initDStream(m_zstd)))
                return fail(QStringLiteral("cannot start zstd decompression")) >= 0;
        }
        return true;
    }
    qint64 inflateSome(char* buffer, size_t size) {
        m_zlib.next_out = reinterpret_cast<Bytef*>(buffer);
        m_zlib.avail_out = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
        while (m_zlib.avail_out == size) {
            if (m_pos == m_end && !refill())
                return m_failed ? -1
                                : (m_inMember ? fail(QStringLiteral("truncated gzip data")) : 0);
            m_zlib.next_in = reinterpret_cast<Bytef*>(m_raw.data() + m_pos);
            m_zlib.avail_in = static_cast<uInt>(m_end - m_pos);
            m_inMember = true;
            const int rc = inflate(&m_zlib, Z_NO_FLUSH);
            m_pos = m_end - m_zlib.avail_in;
            if (rc == Z_STREAM_END) {
                // Concatenated members are one stream, as gzip reads them.
                m_inMember = false;
                inflateReset(&m_zlib);
            } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
                return fail(QStringLiteral("corrupt gzip data"));
            }
        }
        return static_cast<qint64>(size - m_zlib.avail_out);
    }
    qint64 decompressSome(char* buffer, size_t size) {
        ZSTD_outBuffer output{buffer, size, 0};
        while (output.pos == 0) {
            if (m_pos == m_end && !refill())
                return m_failed ? -1
                                : (m_inMember ? fail(QStringLiteral("truncated zstd data")) : 0);
            ZSTD_inBuffer input{m_raw.data() + m_pos, m_end - m_pos, 0};
            const size_t rc = ZSTD_decompressStream(m_zstd, &output, &input);
            m_pos += input.pos;
            if (ZSTD_isError(rc))
                return fail(QStringLiteral("corrupt zstd data"));
            m_inMember = rc != 0;
        }
        return static_cast<qint64>(output.pos);
    }

    int m_fd;
    QString m_name;
    bool m_started = false, m_failed = false, m_inMember = false;
    Compression m_kind = Compression::None;
    std::vector<char> m_raw;
    size_t m_pos = 0, m_end = 0;
    z_stream m_zlib{};
    ZSTD_DStream* m_zstd = nullptr;
};

}  // namespace

Compression CompressionForPath(const QString& path) {
    if (path.endsWith(QStringLiteral(".gz")))
        return Compression::Gzip;
    if (path.endsWith(QStringLiteral(".zst")))
        return Compression::Zstd;
    return Compression::None;
}

std::unique_ptr<ScanOutput> ScanOutput::open(const QString& path, QString& error) {
    if (path == u"-") {
        // A reader that goes away must give a failed write, not end the process unheard.
        ::signal(SIGPIPE, SIG_IGN);
        return std::make_unique<FileOutput>(STDOUT_FILENO, QByteArrayLiteral("standard output"),
                                            QByteArray(), Compression::None);
    }
    const QByteArray target = QFile::encodeName(path);
    struct stat st {};
    if (::stat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // A device or a pipe cannot be replaced by a rename: written where it is.
        const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            error = QStringLiteral("cannot write %1: %2").arg(path, ErrnoText(errno));
            return nullptr;
        }
        return std::make_unique<FileOutput>(fd, target, QByteArray(), CompressionForPath(path));
    }
    // Beside the target, so that the rename stays on its file system. O_EXCL and the
    // process's umask, as for the target itself.
    const QFileInfo info(path);
    for (int attempt = 0;; ++attempt) {
        const QByteArray temp = QFile::encodeName(
            info.absolutePath() +
            QStringLiteral("/.%1.%2-%3.part").arg(info.fileName()).arg(::getpid()).arg(attempt));
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::make_unique<FileOutput>(fd, target, temp, CompressionForPath(path));
        if (errno != EEXIST || attempt > 100) {
            error = QStringLiteral("cannot write %1: %2").arg(path, ErrnoText(errno));
            return nullptr;
        }
    }
}

std::unique_ptr<ScanInput> ScanInput::open(const QString& path, QString& error) {
    if (path == u"-")
        return std::make_unique<FileInput>(STDIN_FILENO, QStringLiteral("standard input"));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = QStringLiteral("%1: %2").arg(path, ErrnoText(errno));
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = QStringLiteral("%1: %2").arg(path, ErrnoText(EISDIR));
        return nullptr;
    }
    return std::make_unique<FileInput>(fd, path);
}

}  // namespace dovrane::platform
