#pragma once
// The bytes of a scan file, in and out: a path or "-" for standard input or output, with
// gzip (zlib) and zstd (libzstd) compression. Output goes to a file beside the target and
// is renamed over it only when complete, so a failed write never leaves half a file under
// the target's name; a target that is not a regular file (a device, a pipe) is written in
// place. Input is read without seeking, so pipes work; compression is told by content.

#include <QString>
#include <memory>
#include <string_view>

namespace dovrane::platform {

enum class Compression { None, Gzip, Zstd };

// Compression of an export to `path`: by its name's ending (.gz, .zst); "-" is never
// compressed.
Compression CompressionForPath(const QString& path);

class ScanOutput {
public:
    virtual ~ScanOutput() = default;
    // Opens `path` ("-": standard output); null with `error` set when it cannot be created.
    static std::unique_ptr<ScanOutput> open(const QString& path, QString& error);

    // Buffers and writes; false from the first failure on (error() says what it was).
    virtual bool write(std::string_view bytes) = 0;
    // Flushes, syncs and puts the file in place. False with error() set when any of it
    // failed: the target then is as it was before. Without a finish, nothing is put there.
    virtual bool finish() = 0;
    QString error() const { return m_error; }

protected:
    QString m_error;
};

class ScanInput {
public:
    virtual ~ScanInput() = default;
    // Opens `path` ("-": standard input); null with `error` set when it cannot be read.
    static std::unique_ptr<ScanInput> open(const QString& path, QString& error);

    // Up to `size` plain (decompressed) bytes; 0 at the end, -1 on failure (error()).
    virtual qint64 read(char* buffer, size_t size) = 0;
    QString error() const { return m_error; }

protected:
    QString m_error;
};

}  // namespace dovrane::platform
