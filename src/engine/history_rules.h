#pragma once
// Which snapshots the history keeps, as a pure function of the snapshots and a clock.
//
// Per device root: every snapshot of the last 24 hours (the newest 10 of them), the oldest
// of each UTC day for the 30 days up to today, the oldest of each week (Monday to Sunday)
// for the 52 weeks up to this one, and the oldest of each month for ever, a week counting
// in the month of its Monday. Buckets nest (days in weeks in months) and each keeps its
// oldest, so thinning every day keeps exactly what thinning once at the end would.
// Then, over all roots, the oldest go first until the kept files fit `maxBytes`; the newest
// snapshot always stays. A full snapshot that kept deltas are written against stays on disk
// as their base, listed or not, and its bytes count until the last of them goes.

#include <QCryptographicHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>
#include <span>
#include <vector>

#include "engine/walk_sink.h"
#include "platform/history_store.h"

namespace dovrane::engine {

struct SnapshotFacts {
    QString group;           // the device root (and host) the snapshot is of
    qint64 time = 0;         // seconds since 1970-01-01 UTC
    quint64 bytes = 0;       // the file's size on disk
    qint64 id = 0;           // breaks ties of equal times: the lower is older
    qint64 base = 0;         // a delta: the id of the full snapshot it is written against
    bool listed = true;      // false: kept only as a base; the rule never lists it again
    quint64 plainBytes = 0;  // the export before compression; 0 when not known
};

inline constexpr int kKeepRecent = 10;
inline constexpr int kKeepDays = 30;
inline constexpr int kKeepWeeks = 52;
inline constexpr quint64 kDefaultHistoryLimit = quint64{1} << 30;
// A new delta is written against a base until the newest one against it outgrows this share
// of the base's file: then a full snapshot starts afresh.
inline constexpr quint64 kDeltaShareOfBase = 4;

// keep[i] for snapshots[i], at `now` (seconds since 1970-01-01 UTC): whether it stays listed.
// An unlisted one is never kept; it stays while a kept delta needs it.
std::vector<bool> RetainedSnapshots(std::span<const SnapshotFacts> snapshots, qint64 now,
                                    quint64 maxBytes);

// The snapshot a new one of `group` is written against: the group's newest full snapshot,
// unless its plain size is unknown or beyond platform::kMaxDeltaBaseBytes or the newest delta
// against it is larger than 1 / kDeltaShareOfBase of its file. Empty: written full.
std::optional<size_t> DeltaBase(std::span<const SnapshotFacts> snapshots, const QString& group);

// The smaller of 1 GiB and 1% of the history's file system (`fileSystemBytes`, 0 when not
// known).
quint64 DefaultHistoryLimit(quint64 fileSystemBytes);

// "500M", "2G", "1.5G", "300k", "123" (bytes): powers of 1024. Empty when not a size.
std::optional<quint64> ParseSizeLimit(QStringView text);

// What the index records of a scan, gathered as it is walked: the bytes the sums count,
// the entries, and a digest of every folder's size in walk order. Two scans with equal
// digests are the same snapshot: the later one replaces the earlier.
class SnapshotSummary final : public WalkSink {
public:
    SnapshotSummary();
    void enterFolder(std::string_view hostName, const platform::FindData& entry) override;
    void file(std::string_view hostName, const platform::FindData& entry, bool counted) override;
    void leaveFolder() override;

    quint64 totalBytes() const { return m_total; }
    quint64 entries() const { return m_entries; }
    // Complete once the walk has left the start folder.
    QByteArray digest() const;

private:
    std::vector<quint64> m_open;  // per open folder: its bytes so far
    quint64 m_total = 0, m_entries = 0;
    QCryptographicHash m_hash;
};

// Of `snapshots` (a store's list, the unlisted bases with it), the one a new snapshot of
// `deviceRoot` on `host` is written against (DeltaBase); empty when it is written full.
std::optional<platform::SnapshotRecord> ChooseDeltaBase(
    const std::vector<platform::SnapshotRecord>& snapshots, const QString& deviceRoot,
    const QString& host);

// Applies RetainedSnapshots to every snapshot in `store` at `now` and removes the rest.
// False with a one-line reason when the index could not be changed.
bool ThinHistory(platform::HistoryStore& store, qint64 now, quint64 maxBytes, QStringList* notes,
                 QString* error);

}  // namespace dovrane::engine
