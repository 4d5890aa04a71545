#include "engine/scan_export.h"

#include <charconv>

#include "platform/scan_file.h"

namespace dovrane::engine {
namespace {

using platform::FolderState;

// Written to the output in pieces of about this size.
constexpr size_t kFlushBytes = 64 * 1024;

void AppendNumber(std::string& out, qint64 value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void AppendField(std::string& out, std::string_view key, qint64 value) {
    out += ",\"";
    out += key;
    out += "\":";
    AppendNumber(out, value);
}

// Seconds, rounded down: the format keeps no fractions.
qint64 Seconds(platform::FileTime time) {
    constexpr qint64 kNs = 1'000'000'000;
    return time / kNs - (time % kNs < 0 ? 1 : 0);
}

}  // namespace

void AppendScanString(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    size_t run = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(bytes.substr(run, i - run));
        run = i + 1;
        out += '\\';
        switch (c) {
            case '"':
            case '\\':
                out += static_cast<char>(c);
                break;
            case '\n':
                out += 'n';
                break;
            case '\t':
                out += 't';
                break;
            case '\r':
                out += 'r';
                break;
            default:
                out += "u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
        }
    }
    out.append(bytes.substr(run));
    out += '"';
}

ScanWriter::ScanWriter(platform::ScanOutput& out, const ScanHeader& header,
                       const std::optional<platform::FileDetails>& start)
    : m_out(out), m_rootName(header.rootName) {
    m_buffer = "[1,2,{\"progname\":";
    AppendScanString(m_buffer, header.progname.toStdString());
    m_buffer += ",\"progver\":";
    AppendScanString(m_buffer, header.progver.toStdString());
    AppendField(m_buffer, "timestamp", header.timestamp);
    m_buffer += '}';
    m_pending.name = std::string_view(m_rootName.constData(), size_t(m_rootName.size()));
    m_pending.root = true;
    if (start) {
        m_pending.entry = *start;
        m_pending.detail.lastWrite = start->lastWriteTime;
    }
    m_havePending = true;
}

void ScanWriter::writeEntry(std::string_view name, const platform::FindData& entry,
                            const platform::EntryDetail& detail, bool folder, FolderState state,
                            quint64 parentVolume) {
    m_buffer += folder ? ",\n[{\"name\":" : ",\n{\"name\":";
    AppendScanString(m_buffer, name);
    if (entry.size != 0)
        AppendField(m_buffer, "asize", static_cast<qint64>(entry.size));
    if (detail.blocks != 0)
        AppendField(m_buffer, "dsize", static_cast<qint64>(detail.blocks * 512));
    if (folder && entry.id.volume != parentVolume)
        AppendField(m_buffer, "dev", static_cast<qint64>(entry.id.volume));
    if (!folder && entry.links != 1) {
        AppendField(m_buffer, "ino", static_cast<qint64>(entry.id.inode));
        m_buffer += ",\"hlnkc\":true";
        if (entry.links > 1)  // none: a later name whose first went unmarked (gdu's)
            AppendField(m_buffer, "nlink", entry.links);
    }
    if (state == FolderState::Unreadable)
        m_buffer += ",\"read_error\":true";
    else if (state == FolderState::Pseudo)
        m_buffer += ",\"excluded\":\"kernfs\"";
    else if (state == FolderState::Network || state == FolderState::Loop)
        m_buffer += ",\"excluded\":\"otherfs\"";
    if (!folder && !(entry.attributes & platform::kAttributeArchive))
        m_buffer += ",\"notreg\":true";
    AppendField(m_buffer, "mtime", Seconds(detail.lastWrite));
    m_buffer += '}';
    if (m_buffer.size() >= kFlushBytes)
        put();
}

void ScanWriter::flushPending() {
    if (!m_havePending)
        return;
    m_havePending = false;
    const Pending& p = m_pending;
    const quint64 parentVolume = m_volumes.empty() ? 0 : m_volumes.back();
    writeEntry(p.name, p.entry, p.detail, true, p.state, parentVolume);
    m_volumes.push_back(p.entry.id.volume);
}

void ScanWriter::put() {
    if (m_ok && !m_out.write(m_buffer)) {
        m_ok = false;
        if (stopOnFailure)
            stopOnFailure->store(false);
    }
    m_buffer.clear();
    passStop();
}

// At each folder and each piece written: often enough for a stop to be felt at once.
void ScanWriter::passStop() {
    if (stopWith && stopOnFailure && !stopWith->load(std::memory_order_relaxed)) {
        m_stopped = true;
        stopOnFailure->store(false);
    }
}

void ScanWriter::enterFolder(std::string_view hostName, const platform::FindData& entry) {
    passStop();
    flushPending();
    m_pending = Pending{hostName, entry, m_detail, FolderState::Read, false};
    m_havePending = true;
}

void ScanWriter::folderState(FolderState state) {
    m_pending.state = state;
}

void ScanWriter::entryDetail(const platform::EntryDetail& detail) {
    m_detail = detail;
}

void ScanWriter::file(std::string_view hostName, const platform::FindData& entry, bool) {
    flushPending();
    writeEntry(hostName, entry, m_detail, false, FolderState::Read,
               m_volumes.empty() ? 0 : m_volumes.back());
}

void ScanWriter::leaveFolder() {
    flushPending();
    m_buffer += ']';
    m_volumes.pop_back();
    if (m_volumes.empty()) {
        m_buffer += "]\n";
        put();
    }
}

bool ExportScan(platform::Device& device, QStringView startPath, const ScanHeader& header,
                platform::ScanOutput& out, WalkControl control) {
    ScanWriter writer(out, header, device.findFile(startPath));
    control.details = true;
    // The walk watches a flag of its own, which a failed write clears as well as the
    // caller's stop: a full disk ends the walk at once instead of reading on for nothing.
    std::atomic<bool> running{true};
    writer.stopOnFailure = &running;
    writer.stopWith = control.scanning;
    control.scanning = &running;
    return WalkTree(device, startPath, writer, control) && writer.ok() && !writer.stopped();
}

}  // namespace dovrane::engine
