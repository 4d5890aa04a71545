#pragma once
// Writing a scan in ncdu's JSON export format, version 1.2, as the walk goes: what is
// written is what the walk has passed, so memory stays that of the open folders. ncdu 1.9
// and later, gdu and this program's import read it.
//
//   platform::ScanOutput* out = ...;                 // a file, "-", .gz or .zst
//   ExportScan(device, u"\\", {rootHostPath, time(nullptr)}, *out, control) && out->finish();
//
// Names are written as their bytes: '"', '\' and control characters escaped, all else as
// is, names that are not UTF-8 included, so every name reads back byte for byte.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "engine/walk.h"
#include "platform/device.h"

namespace dovrane::platform {
class ScanOutput;
}

namespace dovrane::engine {

inline constexpr char kScanProgName[] = "dovrane-storage-analyzer";
inline constexpr char kScanProgVersion[] = "1.0.0.1";

// What a scan file says of itself beside its tree.
struct ScanHeader {
    QByteArray rootName;   // the scanned folder as the file names it: a host path
    qint64 timestamp = 0;  // when the scan was made, in seconds since 1970
    QByteArray progname = kScanProgName;
    QByteArray progver = kScanProgVersion;
};

// The sink that writes: one line an entry, a folder as an array headed by its own entry.
// Its first bytes are the header, its last the closing of the start folder; write
// failures are left to `out`, whose error() tells the first.
class ScanWriter final : public WalkSink {
public:
    // `start` describes the start folder (its volume and time); none: they are left out.
    ScanWriter(platform::ScanOutput& out, const ScanHeader& header,
               const std::optional<platform::FileDetails>& start);

    void enterFolder(std::string_view hostName, const platform::FindData& entry) override;
    void file(std::string_view hostName, const platform::FindData& entry, bool counted) override;
    void leaveFolder() override;
    void folderState(platform::FolderState state) override;
    void entryDetail(const platform::EntryDetail& detail) override;

    // False once a write has failed.
    bool ok() const { return m_ok; }
    // Whether `stopWith` was seen cleared and passed on.
    bool stopped() const { return m_stopped; }
    // Cleared on the first failed write, so that the walk stops rather than read on, and
    // when `stopWith` (the caller's stop, if any) is seen cleared.
    std::atomic<bool>* stopOnFailure = nullptr;
    const std::atomic<bool>* stopWith = nullptr;

private:
    // A folder's own entry waits until the walk has said whether it was read.
    struct Pending {
        std::string_view name;
        platform::FindData entry;
        platform::EntryDetail detail;
        platform::FolderState state = platform::FolderState::Read;
        bool root = false;
    };
    void flushPending();
    void writeEntry(std::string_view name, const platform::FindData& entry,
                    const platform::EntryDetail& detail, bool folder, platform::FolderState state,
                    quint64 parentVolume);
    void put();
    void passStop();

    platform::ScanOutput& m_out;
    std::string m_buffer;
    QByteArray m_rootName;
    std::vector<quint64> m_volumes;  // of the open folders, innermost last
    Pending m_pending;
    bool m_havePending = false;
    platform::EntryDetail m_detail;
    bool m_ok = true;
    bool m_stopped = false;
};

// Walks `startPath` of `device` into `out` in the format, `header` first. False when the
// walk was stopped or a write failed (out.error() then says why); the caller finishes
// `out` only after true.
bool ExportScan(platform::Device& device, QStringView startPath, const ScanHeader& header,
                platform::ScanOutput& out, WalkControl control);

// Appends `bytes` as a JSON string in the format's way (see above).
void AppendScanString(std::string& out, std::string_view bytes);

}  // namespace dovrane::engine
