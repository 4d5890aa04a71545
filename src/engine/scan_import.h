#pragma once
// Reading a scan in ncdu's JSON export format (major version 1: ncdu 1.9 and later, gdu,
// this program's export) into a device, so that every walk, view and report works on it
// as on the host. What needs the files themselves (contents, removal, the desktop) it has
// not: it answers as a device without a host tree.
//
//   ImportResult r = ImportScanFile(u"scan.json.zst");  // "-": standard input
//   if (!r.device) fail(r.error);                      // "FILE:LINE:COLUMN: what is wrong"
//
// The tree is compact: names stored once, 25 bytes an entry beside them, children linked
// by index; the parse keeps no recursion and a bounded stack, so no input can exhaust the
// stack, and the largest it takes apart from the tree is the names of the open folders'
// entries. A scan read once (a comparison) is streamed instead: StreamScanFile.

#include <QString>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/name_pool.h"
#include "engine/scan_export.h"
#include "engine/walk_sink.h"
#include "platform/device.h"

namespace dovrane::platform {
class ScanInput;
}

namespace dovrane::engine {

// Folders nested deeper than this are refused: deeper than any host path can reach.
inline constexpr size_t kMaxImportDepth = 100'000;

class ImportDevice final : public platform::Device {
public:
    ImportDevice();
    ~ImportDevice() override;

    // The metadata and the root's name (the scanned host folder).
    const ScanHeader& header() const { return m_header; }
    quint64 entryCount() const { return m_count; }
    // Apparent bytes of every file, hard links once: the storage the scan saw in use.
    quint64 totalBytes() const { return m_totalBytes; }

    std::unique_ptr<platform::Folder> openFolder(QStringView devicePath) override;
    std::unique_ptr<platform::Folder> openChild(platform::Folder& parent,
                                                std::string_view hostName) override;
    platform::FolderState whyNotOpened(platform::Folder& parent,
                                       std::string_view hostName) override;
    void read(platform::Folder& folder, platform::Listing& out,
              platform::ReadDetail detail = platform::ReadDetail::Full) override;
    // No memory figures: the scan has none.
    std::optional<platform::MemoryFigures> globalMemoryStatus() override { return std::nullopt; }
    // The scan's bytes in use, as a full volume of that size.
    std::optional<platform::DiskSpace> diskFreeSpace(QStringView devicePath) override;
    std::optional<platform::FileDetails> findFile(QStringView devicePath) override;

    // Read from the file's start alone (ImportScanFile's rootOnly): the root, nothing below.
    bool rootOnly() const { return m_rootOnly; }

private:
    friend class DeviceTarget;
    static constexpr quint32 kNone = 0xFFFFFFFF;
    struct Entry {
        quint64 size = 0;  // a folder's: the index of its first child, or kNone
        quint32 name = 0;  // counted, in m_names
        quint32 next = kNone;
        quint32 blocks = 0;  // kNone: in m_extra
        quint32 mtime = 0;   // seconds; kNone: in m_extra
    };
    // What few entries need: hard links, another volume, figures beyond 32 bits.
    struct Extra {
        quint64 blocks = 0;
        qint64 mtime = 0;
        quint64 inode = 0;
        quint64 volume = 0;
        quint32 links = 1;
        bool hasVolume = false;
    };
    static constexpr quint32 kChunkBits = 16;
    static constexpr quint32 kChunk = 1u << kChunkBits;

    Entry& entry(quint32 i) { return m_entries[i >> kChunkBits][i & (kChunk - 1)]; }
    const Entry& entry(quint32 i) const { return m_entries[i >> kChunkBits][i & (kChunk - 1)]; }
    quint8& flags(quint32 i) { return m_flags[i >> kChunkBits][i & (kChunk - 1)]; }
    quint8 flags(quint32 i) const { return m_flags[i >> kChunkBits][i & (kChunk - 1)]; }
    std::string_view nameOf(quint32 i) const { return m_names.counted(entry(i).name); }
    const Extra* extra(quint32 i) const;
    quint32 append();  // a new entry
    quint32 childNamed(quint32 folder, std::string_view hostName) const;
    // The entry at `devicePath` (kNone: none) with its volume and its folder's.
    quint32 find(QStringView devicePath, quint64& volume, quint64& parentVolume) const;
    // The entry's find data and detail; `volume` is its folder's.
    void describe(quint32 i, quint64 volume, platform::FindData& data,
                  platform::EntryDetail* detail) const;
    quint64 volumeOf(quint32 folder, quint64 parentVolume) const;

    ScanHeader m_header;
    NamePool m_names;
    std::vector<std::unique_ptr<Entry[]>> m_entries;
    std::vector<std::unique_ptr<quint8[]>> m_flags;
    std::unordered_map<quint32, Extra> m_extra;
    quint32 m_count = 0;
    quint64 m_totalBytes = 0;
    bool m_rootOnly = false;
};

struct ImportResult {
    std::unique_ptr<ImportDevice> device;
    QString error;  // when there is no device: "FILE:LINE:COLUMN: what is wrong" or "FILE: why"
};

// Reads the whole of `in`, or with `rootOnly` its header and root alone (for a caller that
// streams the rest); `fileName` names it in errors.
ImportResult ImportScan(platform::ScanInput& in, const QString& fileName, bool rootOnly = false);
// Opens `path` ("-": standard input; compressed or not) and reads it.
ImportResult ImportScanFile(const QString& path, bool rootOnly = false);

// Reads `path` entry by entry into `sink`, keeping none: the sink is told what a walk of the
// file's ImportDevice would tell it, in the same order, under the same checks (a file the
// import refuses is refused here with the same error, though its start may have been told
// by then). A file's name lasts for its call only. False when the read failed (`error` says
// why, as ImportScanFile would) or `control` stopped it (`error` empty). `header`, when
// given, gets the file's header.
bool StreamScanFile(const QString& path, WalkSink& sink, const WalkControl& control, QString* error,
                    ScanHeader* header = nullptr);

}  // namespace dovrane::engine
