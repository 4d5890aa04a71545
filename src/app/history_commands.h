#pragma once
// The scan history on the command line: the earlier scan --since names, the growth report
// against it, --list-history and --snapshot. Snapshots live in the user's state folder
// (platform::HistoryStore); which are kept is the engine's rule (engine/history_rules.h).

#include <QStringList>
#include <optional>

#include "app/report_kinds.h"
#include "engine/growth.h"
#include "platform/device.h"

namespace dovrane::engine {
class SnapshotSummary;
}

namespace dovrane::app {

// An earlier scan read back from a snapshot or an export, as it streamed: its index, kept
// to compare a later scan with, and its time.
struct EarlierScan {
    engine::ScanIndex index;
    qint64 time = 0;  // seconds since 1970-01-01 UTC
};

// Reads a scan file (plain or compressed) into an index. Empty with the reason in `error`
// when it cannot be read, or with `error` empty when `control` stopped the read.
std::optional<EarlierScan> ReadScanFile(const QString& path, const engine::WalkControl& control,
                                        QString* error);

// How a snapshot file was written.
struct SnapshotWrite {
    QString basePath;  // in: a full snapshot to write a delta against; out: empty when written
                       // full, `note` saying why
    QString note;
    quint64 plainBytes = 0;  // out: the export before compression
};

// Writes the scan of the whole device made at `time` to `path` (compressed by its name),
// feeding `summary` on the way. An imported scan keeps its own time.
bool WriteScanFile(platform::Device& device, const QString& path, engine::SnapshotSummary& summary,
                   engine::WalkControl control, qint64 time, QString* error,
                   SnapshotWrite* how = nullptr);

// The device root as the history names it: an absolute host path, the scanned folder for an
// imported scan.
QString HistoryDeviceRoot(const Options& options, const platform::Device* device);

// The scan --since names: a file, or the newest readable snapshot of `root` at
// or before the time it gives (unreadable ones are skipped with a note). Empty with
// `failure` set when there is none, or when `control` stopped the read.
std::optional<EarlierScan> OpenEarlierScan(const Options& options, const QString& root, qint64 now,
                                           QStringList& notes, ReportResult& failure,
                                           const engine::WalkControl& control = {});

// The growth report of `context.device` against `then`. An --import read from its start
// alone (ImportScanFile's rootOnly) is read on from its file as the comparison goes.
ReportResult GrowthReportAgainst(const ReportContext& context, const engine::ScanIndex& then,
                                 qint64 thenTime, qint64 nowTime);

ReportResult ListHistory(const Options& options);

// Keeps the scan of `device` (made at `scanTime`) in the history, then thins it.
ReportResult KeepSnapshot(const Options& options, platform::Device& device,
                          const engine::WalkControl& control, qint64 scanTime);

}  // namespace dovrane::app
