#pragma once
// The bytes of a scan file, in and out: a path or "-" for standard input or output, with
// gzip (zlib) and zstd (libzstd) compression. Output goes to a file beside the target and
// is renamed over it only when complete, so a failed write never leaves half a file under
// the target's name; a target that is not a regular file (a device, a pipe) is written in
// place. Input is read without seeking, so pipes work; compression is told by content.
//
// A delta is a zstd file that copies from an earlier full one, its base: a skippable frame
// naming the base (a file in the delta's own folder) and its plain size, then one frame
// compressed against the base's plain bytes. Reading one reads its base whole into memory
// first; a base is never a delta itself, so no read needs more than two files.

#include <QString>
#include <memory>
#include <string_view>

namespace dovrane::platform {

enum class Compression { None, Gzip, Zstd };

// The largest base a delta is written against. Reading a delta holds the base and a window
// as long as the new export in memory at once: 512 MiB (about four million entries) keeps
// that near 1 GiB, where a full file streams through a few megabytes.
inline constexpr quint64 kMaxDeltaBaseBytes = quint64{512} << 20;

// Compression of an export to `path`: by its name's ending (.gz, .zst); "-" is never
// compressed.
Compression CompressionForPath(const QString& path);

class ScanOutput {
public:
    virtual ~ScanOutput() = default;
    // Opens `path` ("-": standard output); null with `error` set when it cannot be created.
    static std::unique_ptr<ScanOutput> open(const QString& path, QString& error);
    // Opens `path` for a delta against the full zstd file `basePath` in the same folder; null
    // with `error` set when the base cannot be read or is larger than kMaxDeltaBaseBytes.
    static std::unique_ptr<ScanOutput> openDelta(const QString& path, const QString& basePath,
                                                 QString& error);

    // Buffers and writes; false from the first failure on (error() says what it was).
    virtual bool write(std::string_view bytes) = 0;
    // Flushes, syncs and puts the file in place. False with error() set when any of it
    // failed: the target then is as it was before. Without a finish, nothing is put there.
    virtual bool finish() = 0;
    QString error() const { return m_error; }
    // The bytes given to write() so far, before compression.
    quint64 plainBytes() const { return m_plainBytes; }

protected:
    QString m_error;
    quint64 m_plainBytes = 0;
};

class ScanInput {
public:
    virtual ~ScanInput() = default;
    // Opens `path` ("-": standard input); null with `error` set when it cannot be read. A
    // delta reads as the plain bytes it was written from; a missing or corrupt base fails the
    // first read, naming the base.
    static std::unique_ptr<ScanInput> open(const QString& path, QString& error);

    // Up to `size` plain (decompressed) bytes; 0 at the end, -1 on failure (error()).
    virtual qint64 read(char* buffer, size_t size) = 0;
    QString error() const { return m_error; }

protected:
    QString m_error;
};

}  // namespace dovrane::platform
