#pragma once
// Reading what files hold, for the identical-content search: a file is named by its
// device path and read from start to end in one pass. A reader serves one thread at a time.

#include <QString>
#include <memory>
#include <span>

#include "platform/find_data.h"

namespace dovrane::platform {

class Device;

class ContentStream {
public:
    virtual ~ContentStream() = default;
    // Up to buffer.size() bytes at the current position; 0 at the end, -1 on an error.
    virtual qint64 read(std::span<char> buffer) = 0;
    // Moves the position forward without reading; false on an error.
    virtual bool skip(qint64 bytes) = 0;
};

class ContentReader {
public:
    virtual ~ContentReader() = default;
    // The regular file at `devicePath` if it is still the file `id` (links are never
    // followed); null otherwise or when it cannot be read.
    virtual std::unique_ptr<ContentStream> open(const QString& devicePath, const FileId& id) = 0;
    // A second reader of the same files, for another thread; null where a second thread
    // would not read faster: files held in memory.
    virtual std::unique_ptr<ContentReader> another() { return nullptr; }
    // Whether a second reader must first show that it reads faster: the disk says it
    // rotates, where two readers may lose their time to seeking between them, and what this
    // reader has read so far came from the disk, not from the cache.
    virtual bool secondMustProve() const { return false; }
};

// Reads the files of the host device rooted at `rootHostPath`.
std::unique_ptr<ContentReader> MakeHostContentReader(const QString& rootHostPath);
// Reads the files of `device`: the host's through descriptors, any other device's through
// its look-up and the start of its file.
std::unique_ptr<ContentReader> MakeContentReader(Device& device);

}  // namespace dovrane::platform
