#include "platform/scan_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <vector>

namespace dovrane::platform {
namespace {

constexpr size_t kChunk = 256 * 1024;

// A delta's header: a zstd skippable frame (magic and length, 8 bytes), then the tag, the
// base's plain size (64 bits, little-endian) and the base's file name.
constexpr quint32 kSkippableMagic = 0x184D2A50;  // to ..5F: frames every zstd reader skips
constexpr quint32 kDeltaMagic = kSkippableMagic + 0xD;
constexpr char kDeltaTag[] = "DVDELTA1";
constexpr size_t kTagBytes = sizeof kDeltaTag - 1;
constexpr size_t kDeltaFixed = kTagBytes + 8;  // before the base's name
constexpr size_t kMaxBaseName = 255;

// The window a delta is written with: its base and as much again after it, so that any of
// the new bytes may copy from anywhere in the base. Both sides compute it from the base's
// size; at kMaxDeltaBaseBytes it is 2^30, within zstd's limit on any host.
int DeltaWindowLog(quint64 baseBytes) {
    int log = 21;  // zstd's own window at level 3
    while ((quint64{1} << log) < 2 * baseBytes)
        ++log;
    return log;
}

void PutLittleEndian(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>(value >> (8 * i)));
}

quint64 LittleEndian(const char* at, int bytes) {
    quint64 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(at[i]);
    return value;
}

QString LoadBase(const QString& folder, const QString& name, qint64 expected,
                 std::vector<char>& plain);

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
    // `temp` empty: written in place. Else `temp` and `name` are in the folder `dirFd`.
    FileOutput(int fd, QByteArray target, int dirFd, QByteArray temp, QByteArray name,
               Compression compression)
        : m_fd(fd),
          m_dirFd(dirFd),
          m_target(std::move(target)),
          m_temp(std::move(temp)),
          m_name(std::move(name)),
          m_compression(compression) {
        m_buffer.reserve(kChunk);
        if (compression == Compression::Gzip) {
            // 15 + 16: a gzip header and trailer around the deflate stream.
            m_ok = deflateInit2(&m_zlib, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        } else if (compression == Compression::Zstd) {
            m_zstd = ZSTD_createCStream();
            // With a checksum, a base changed under its deltas fails their read.
            m_ok = m_zstd && !ZSTD_isError(ZSTD_initCStream(m_zstd, 3)) &&
                   !ZSTD_isError(ZSTD_CCtx_setParameter(m_zstd, ZSTD_c_checksumFlag, 1));
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
            ::unlinkat(m_dirFd, m_temp.constData(), 0);
        CloseOwned(m_dirFd);
    }

    // Makes this zstd output a delta against `base`, the plain bytes of the file `baseName`:
    // long-distance matching over a window that holds the base, as zstd's --patch-from.
    bool startDelta(std::vector<char> base, const QByteArray& baseName) {
        m_prefix = std::move(base);
        QByteArray header;
        PutLittleEndian(header, kDeltaMagic, 4);
        PutLittleEndian(header, kDeltaFixed + static_cast<quint64>(baseName.size()), 4);
        header.append(kDeltaTag, kTagBytes);
        PutLittleEndian(header, m_prefix.size(), 8);
        header.append(baseName);
        if (!m_ok || !put(header.constData(), static_cast<size_t>(header.size())))
            return false;
        const int windowLog = DeltaWindowLog(m_prefix.size());
        if (ZSTD_isError(ZSTD_CCtx_setParameter(m_zstd, ZSTD_c_enableLongDistanceMatching, 1)) ||
            ZSTD_isError(ZSTD_CCtx_setParameter(m_zstd, ZSTD_c_windowLog, windowLog)) ||
            ZSTD_isError(ZSTD_CCtx_refPrefix(m_zstd, m_prefix.data(), m_prefix.size()))) {
            m_error = QStringLiteral("cannot start the compression");
            m_ok = false;
        }
        return m_ok;
    }

    bool write(std::string_view bytes) override {
        if (!m_ok)
            return false;
        m_plainBytes += bytes.size();
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
            // Through the folder opened at the start: a folder renamed or swapped for a link
            // meanwhile takes nothing of it elsewhere.
            if (::renameat(m_dirFd, m_temp.constData(), m_dirFd, m_name.constData()) != 0)
                return fail(errno);
            ::fsync(m_dirFd);
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
    int m_dirFd;
    QByteArray m_target, m_temp, m_name;
    Compression m_compression;
    bool m_ok = true;
    bool m_finished = false;
    std::vector<char> m_buffer;
    std::vector<char> m_prefix;  // a delta's base, referenced by m_zstd until the end
    z_stream m_zlib{};
    ZSTD_CStream* m_zstd = nullptr;
};

class FileInput final : public ScanInput {
public:
    // `folder`: where a delta's base is looked for. `fullOnly`: a delta is refused (a base).
    FileInput(int fd, QString name, QString folder, bool fullOnly = false)
        : m_fd(fd), m_name(std::move(name)), m_folder(std::move(folder)), m_fullOnly(fullOnly) {}
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

    // What failed, without the file's name.
    QString reason() const { return m_reason; }

private:
    qint64 fail(const QString& why) {
        m_reason = why;
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
    // Reads until the buffer holds `need` bytes or the input ends; false on failure.
    bool fill(size_t need) {
        while (m_end < need) {
            const qint64 n = readRaw(m_raw.data() + m_end, m_raw.size() - m_end);
            if (n < 0)
                return false;
            if (n == 0)
                break;
            m_end += static_cast<size_t>(n);
        }
        return true;
    }
    // Reads the first bytes and tells the compression by their magic number.
    bool start() {
        m_started = true;
        m_raw.resize(kChunk);
        if (!fill(4))
            return false;
        const size_t have = m_end;
        const auto* b = reinterpret_cast<const unsigned char*>(m_raw.data());
        const quint32 magic = have >= 4 ? static_cast<quint32>(LittleEndian(m_raw.data(), 4)) : 0;
        const bool skippable = (magic & 0xFFFFFFF0) == kSkippableMagic;
        if (skippable) {
            if (!fill(8 + kDeltaFixed))
                return false;
            if (magic == kDeltaMagic && m_end >= 8 + kDeltaFixed &&
                std::memcmp(m_raw.data() + 8, kDeltaTag, kTagBytes) == 0)
                return startDelta();
        }
        if (have >= 2 && b[0] == 0x1f && b[1] == 0x8b) {
            m_kind = Compression::Gzip;
            // 15 + 32: a gzip or zlib header, told apart by zlib itself.
            if (inflateInit2(&m_zlib, 15 + 32) != Z_OK)
                return fail(QStringLiteral("cannot start gzip decompression")) >= 0;
        } else if (magic == ZSTD_MAGICNUMBER || skippable) {
            // Another program's skippable frame first: zstd itself passes over it.
            m_kind = Compression::Zstd;
            m_zstd = ZSTD_createDStream();
            if (!m_zstd || ZSTD_isError(ZSTD_initDStream(m_zstd)))
                return fail(QStringLiteral("cannot start zstd decompression")) >= 0;
        }
        return true;
    }
    // Reads the header and the base, and readies the frame that copies from it.
    bool startDelta() {
        const size_t size = LittleEndian(m_raw.data() + 4, 4);
        if (m_fullOnly)
            return fail(QStringLiteral("a delta, where a full snapshot belongs")) >= 0;
        const QString corrupt = QStringLiteral("corrupt delta header");
        if (size <= kDeltaFixed || size > kDeltaFixed + kMaxBaseName)
            return fail(corrupt) >= 0;
        if (!fill(8 + size))
            return false;
        if (m_end < 8 + size)
            return fail(QStringLiteral("truncated zstd data")) >= 0;
        const quint64 baseBytes = LittleEndian(m_raw.data() + 8 + kTagBytes, 8);
        const QString name = QFile::decodeName(
            QByteArray(m_raw.data() + 8 + kDeltaFixed, static_cast<qsizetype>(size - kDeltaFixed)));
        // Only a file beside the delta: a header never leads elsewhere.
        if (baseBytes > kMaxDeltaBaseBytes || name.contains(u'/') || name == u"." || name == u"..")
            return fail(corrupt) >= 0;
        m_pos = 8 + size;
        m_kind = Compression::Zstd;
        m_inMember = true;  // a frame must follow
        if (const QString why = LoadBase(m_folder, name, static_cast<qint64>(baseBytes), m_prefix);
            !why.isEmpty())
            return fail(why) >= 0;
        m_zstd = ZSTD_createDStream();
        if (!m_zstd ||
            ZSTD_isError(
                ZSTD_DCtx_setParameter(m_zstd, ZSTD_d_windowLogMax, DeltaWindowLog(baseBytes))) ||
            ZSTD_isError(ZSTD_DCtx_refPrefix(m_zstd, m_prefix.data(), m_prefix.size())))
            return fail(QStringLiteral("cannot start zstd decompression")) >= 0;
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
    QString m_name, m_folder, m_reason;
    bool m_fullOnly;
    bool m_started = false, m_failed = false, m_inMember = false;
    Compression m_kind = Compression::None;
    std::vector<char> m_raw;
    std::vector<char> m_prefix;  // a delta's base, referenced by m_zstd until the end
    size_t m_pos = 0, m_end = 0;
    z_stream m_zlib{};
    ZSTD_DStream* m_zstd = nullptr;
};

// Reads the full file `name` in `folder` whole into `plain`: `expected` bytes when not
// negative, at most kMaxDeltaBaseBytes. Empty, or why not, naming the base.
QString LoadBase(const QString& folder, const QString& name, qint64 expected,
                 std::vector<char>& plain) {
    const QString path = folder + u'/' + name;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? QStringLiteral("base snapshot %1 is missing").arg(name)
                               : QStringLiteral("base snapshot %1: %2").arg(name, ErrnoText(errno));
    FileInput base(fd, path, folder, true);
    const size_t limit = expected >= 0 ? static_cast<size_t>(expected) : kMaxDeltaBaseBytes;
    // One byte beyond the limit tells a longer file.
    plain.resize(expected >= 0 ? limit + 1 : std::min(limit + 1, 4 * kChunk));
    size_t have = 0;
    for (qint64 n = 1; n > 0 && have <= limit; have += static_cast<size_t>(n)) {
        if (have == plain.size())
            plain.resize(std::min(2 * plain.size(), limit + 1));
        n = base.read(plain.data() + have, plain.size() - have);
        if (n < 0)
            return QStringLiteral("base snapshot %1 is corrupt (%2)").arg(name, base.reason());
    }
    if (have > limit)
        return expected >= 0
                   ? QStringLiteral("base snapshot %1 is corrupt (longer than written)").arg(name)
                   : QStringLiteral("base snapshot %1 is too large for a delta").arg(name);
    if (expected >= 0 && have != limit)
        return QStringLiteral("base snapshot %1 is corrupt (shorter than written)").arg(name);
    plain.resize(have);
    return {};
}

// A file written beside `path` and renamed over it at the end, or in place when `path` is
// not a regular file.
std::unique_ptr<FileOutput> OpenFile(const QString& path, Compression compression, QString& error) {
    const QByteArray target = QFile::encodeName(path);
    struct stat st {};
    if (::stat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // A device or a pipe cannot be replaced by a rename: written where it is.
        const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            error = QStringLiteral("cannot write %1: %2").arg(path, ErrnoText(errno));
            return nullptr;
        }
        return std::make_unique<FileOutput>(fd, target, -1, QByteArray(), QByteArray(),
                                            compression);
    }
    // Beside the target, so that the rename stays on its file system. O_EXCL and the
    // process's umask, as for the target itself.
    const QFileInfo info(path);
    const int dirFd = ::open(QFile::encodeName(info.absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const QByteArray name = QFile::encodeName(info.fileName());
    for (int attempt = 0; dirFd >= 0; ++attempt) {
        const QByteArray temp =
            "." + name + QStringLiteral(".%1-%2.part").arg(::getpid()).arg(attempt).toLatin1();
        const int fd =
            ::openat(dirFd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::make_unique<FileOutput>(fd, target, dirFd, temp, name, compression);
        if (errno != EEXIST || attempt > 100)
            break;
    }
    error = QStringLiteral("cannot write %1: %2").arg(path, ErrnoText(errno));
    CloseOwned(dirFd);
    return nullptr;
}

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
        return std::make_unique<FileOutput>(STDOUT_FILENO, QByteArrayLiteral("standard output"), -1,
                                            QByteArray(), QByteArray(), Compression::None);
    }
    return OpenFile(path, CompressionForPath(path), error);
}

std::unique_ptr<ScanOutput> ScanOutput::openDelta(const QString& path, const QString& basePath,
                                                  QString& error) {
    const QFileInfo base(basePath);
    if (path == u"-" || base.absolutePath() != QFileInfo(path).absolutePath()) {
        error =
            QStringLiteral("cannot write %1: a delta lies beside its base %2").arg(path, basePath);
        return nullptr;
    }
    std::vector<char> plain;
    if (const QString why = LoadBase(base.absolutePath(), base.fileName(), -1, plain);
        !why.isEmpty()) {
        error = why;
        return nullptr;
    }
    auto out = OpenFile(path, Compression::Zstd, error);
    if (out && !out->startDelta(std::move(plain), QFile::encodeName(base.fileName()))) {
        error = out->error();
        return nullptr;
    }
    return out;
}

std::unique_ptr<ScanInput> ScanInput::open(const QString& path, QString& error) {
    if (path == u"-")
        return std::make_unique<FileInput>(STDIN_FILENO, QStringLiteral("standard input"),
                                           QDir::currentPath());
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
    return std::make_unique<FileInput>(fd, path, QFileInfo(path).absolutePath());
}

}  // namespace dovrane::platform
