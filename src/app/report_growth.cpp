// --report growth, --list-history and --snapshot: the scan history on the command line.

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/cli.h"
#include "app/history_commands.h"
#include "app/json_writer.h"
#include "app/report_kinds.h"
#include "engine/folder_tree.h"
#include "engine/growth.h"
#include "engine/history_rules.h"
#include "engine/scan_export.h"
#include "engine/scan_import.h"
#include "engine/text.h"
#include "platform/history_store.h"
#include "platform/scan_file.h"

namespace dovrane::app {

using engine::Growth;
using engine::GrowthNode;

namespace {

constexpr qint64 kDaySeconds = 86400;

// Feeds one walk to two sinks: a snapshot's file and its summary.
class TeeSink final : public engine::WalkSink {
public:
    TeeSink(engine::WalkSink& first, engine::WalkSink& second) : m_a(first), m_b(second) {}
    void enterFolder(std::string_view name, const platform::FindData& entry) override {
        m_a.enterFolder(name, entry);
        m_b.enterFolder(name, entry);
    }
    void file(std::string_view name, const platform::FindData& entry, bool counted) override {
        m_a.file(name, entry, counted);
        m_b.file(name, entry, counted);
    }
    void leaveFolder() override {
        m_a.leaveFolder();
        m_b.leaveFolder();
    }
    void folderState(platform::FolderState state) override {
        m_a.folderState(state);
        m_b.folderState(state);
    }
    void entryDetail(const platform::EntryDetail& detail) override {
        m_a.entryDetail(detail);
        m_b.entryDetail(detail);
    }

private:
    engine::WalkSink& m_a;
    engine::WalkSink& m_b;
};

QString TimeText(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"));
}

QString IsoTime(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

// Signed, exact for every change below 2^63 bytes either way.
template <typename Row>
void WriteChange(JsonWriter& json, const Row& row) {
    json.key(u"change_bytes");
    if (row.grew())
        json.value(row.change());
    else if (row.change() <= quint64{1} << 63)
        json.value(static_cast<qint64>(0 - row.change()));
    else
        json.value(-static_cast<double>(row.change()));
}

template <typename Row>
void WriteFigures(JsonWriter& json, const Row& row) {
    json.key(u"then_bytes").value(row.thenSize);
    json.key(u"now_bytes").value(row.nowSize);
    WriteChange(json, row);
    json.key(u"new_files").value(row.newFiles);
    json.key(u"removed_files").value(row.removedFiles);
}

QString DisplayPath(const GrowthNode* node) {
    return node->kind() == GrowthNode::Kind::Root ? engine::kRootDisplayPath
                                                  : Growth::DevicePath(node);
}

QByteArray GrowthText(const Growth& growth, bool byType, qint64 thenTime) {
    const GrowthNode* path = growth.pathNode();
    QByteArray out = DisplayPath(path).toUtf8() + '\n' +
                     QStringLiteral("Since %1\n").arg(TimeText(thenTime)).toUtf8();
    const auto figures = [](const auto& row, const QString& name) {
        return QStringList{name,
                           engine::SizeText(row.thenSize),
                           engine::SizeText(row.nowSize),
                           engine::ChangeText(row),
                           QString::number(row.newFiles),
                           QString::number(row.removedFiles)};
    };
    QList<QStringList> rows{{byType ? QStringLiteral("Type") : QStringLiteral("Folder"),
                             QStringLiteral("Then"), QStringLiteral("Now"),
                             QStringLiteral("Change"), QStringLiteral("New files"),
                             QStringLiteral("Removed files")}};
    if (byType) {
        for (const engine::GrowthType& t : growth.types())
            rows.append(figures(t, t.name));
    } else {
        for (const GrowthNode* c : growth.children(path))
            rows.append(figures(*c, c->name()));
    }
    out += AlignedTable(rows, {false, true, true, true, true, true});
    QList<QStringList> files{{QStringLiteral("File"), QStringLiteral("Then"), QStringLiteral("Now"),
                              QStringLiteral("Folder")}};
    for (const engine::GrowthFile& f : growth.files())
        files.append({f.name, engine::SizeText(f.thenSize), engine::SizeText(f.nowSize),
                      Growth::DevicePath(f.folder)});
    return out + '\n' + AlignedTable(files, {false, true, true, false});
}

QByteArray GrowthJson(const Growth& growth, bool byType, qint64 thenTime, qint64 nowTime) {
    const GrowthNode* path = growth.pathNode();
    JsonWriter json;
    json.beginObject();
    json.key(u"path").value(DisplayPath(path));
    json.key(u"then_time").value(IsoTime(thenTime));
    json.key(u"now_time").value(IsoTime(nowTime));
    WriteFigures(json, *path);
    json.key(u"by").value(byType ? u"type" : u"folder");
    json.key(u"rows").beginArray();
    const auto row = [&json](const auto& r, const QString& name) {
        json.beginObject();
        json.key(u"name").value(name);
        WriteFigures(json, r);
        json.endObject();
    };
    if (byType) {
        for (const engine::GrowthType& t : growth.types())
            row(t, t.name);
    } else {
        for (const GrowthNode* c : growth.children(path))
            row(*c, c->name());
    }
    json.endArray();
    json.key(u"files").beginArray();
    for (const engine::GrowthFile& f : growth.files()) {
        json.beginObject();
        json.key(u"name").value(f.name);
        json.key(u"folder").value(Growth::DevicePath(f.folder));
        json.key(u"then_bytes").value(f.thenSize);
        json.key(u"now_bytes").value(f.nowSize);
        json.key(u"change_bytes").value(f.nowSize - f.thenSize);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.finish();
}

// The newest time a snapshot may have for `when`, or nothing when `when` is no time.
std::optional<qint64> LatestFor(const QString& when, qint64 now) {
    if (when == u"last")
        return now;
    static const QRegularExpression kDate(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    if (const auto m = kDate.match(when); m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!date.isValid())
            return std::nullopt;
        return QDateTime(date.addDays(1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch() - 1;
    }
    static const QRegularExpression kAge(QStringLiteral("^(\\d{1,6})([wdhm])$"));
    if (const auto m = kAge.match(when); m.hasMatch()) {
        const QChar unit = m.captured(2).front();
        const qint64 seconds = unit == u'w'   ? 7 * kDaySeconds
                               : unit == u'd' ? kDaySeconds
                               : unit == u'h' ? 3600
                                              : 60;
        return now - m.captured(1).toLongLong() * seconds;
    }
    return std::nullopt;
}

// A comparison that did not end: stopped, or a scan file it read failed with `error`.
ReportResult NotCompared(const QString& error) {
    if (error.isEmpty())
        return {1, {}, QStringLiteral("the comparison was stopped")};
    return {2, {}, error};
}

}  // namespace

std::optional<EarlierScan> ReadScanFile(const QString& path, const engine::WalkControl& control,
                                        QString* error) {
    std::optional<EarlierScan> scan(std::in_place);
    engine::ScanHeader header;
    if (!scan->index.build([&](engine::WalkSink& sink) {
            return engine::StreamScanFile(path, sink, control, error, &header);
        }))
        return std::nullopt;
    scan->time = header.timestamp;
    return scan;
}

bool WriteScanFile(platform::Device& device, const QString& path, engine::SnapshotSummary& summary,
                   engine::WalkControl control, qint64 time, QString* error, SnapshotWrite* how) {
    std::unique_ptr<platform::ScanOutput> out;
    if (how && !how->basePath.isEmpty()) {
        out = platform::ScanOutput::openDelta(path, how->basePath, how->note);
        // A base that cannot be read costs a delta, not the snapshot.
        if (!out)
            how->basePath.clear();
    }
    if (!out)
        out = platform::ScanOutput::open(path, *error);
    if (!out)
        return false;
    engine::ScanHeader header = ExportHeader(device, u"\\");
    if (!dynamic_cast<const engine::ImportDevice*>(&device))
        header.timestamp = time;
    engine::ScanWriter writer(*out, header, device.findFile(u"\\"));
    TeeSink both(writer, summary);
    control.details = true;
    std::atomic<bool> running{true};
    if (!control.scanning) {
        control.scanning = &running;
        writer.stopOnFailure = &running;
    }
    if (engine::WalkTree(device, u"\\", both, control) && writer.ok() && out->finish()) {
        if (how)
            how->plainBytes = out->plainBytes();
        return true;
    }
    *error = out->error().isEmpty() ? QStringLiteral("the snapshot was stopped") : out->error();
    return false;
}

QString HistoryDeviceRoot(const Options& options, const platform::Device* device) {
    if (const auto* imported = dynamic_cast<const engine::ImportDevice*>(device))
        return QFile::decodeName(imported->header().rootName);
    return QFileInfo(options.deviceRoot).absoluteFilePath();
}

std::optional<EarlierScan> OpenEarlierScan(const Options& options, const QString& root, qint64 now,
                                           QStringList& notes, ReportResult& failure,
                                           const engine::WalkControl& control) {
    const QString& when = options.since;
    if (QFileInfo(when).isFile()) {
        QString error;
        if (auto scan = ReadScanFile(when, control, &error))
            return scan;
        failure = NotCompared(error.isEmpty() ? error : QStringLiteral("%1: %2").arg(when, error));
        return std::nullopt;
    }
    const auto latest = LatestFor(when, now);
    if (!latest) {
        failure = {2,
                   {},
                   QStringLiteral("--since takes last, a date (2026-11-29), an age (7d, 12h) "
                                  "or a scan file, not '%1'")
                       .arg(when)};
        return std::nullopt;
    }
    platform::HistoryStore store;
    QString error;
    if (!store.open(&error)) {
        failure = {2, {}, error};
        return std::nullopt;
    }
    for (const platform::SnapshotRecord& r : store.list(root, &notes)) {
        if (r.time > *latest)
            continue;
        if (auto scan = ReadScanFile(store.pathOf(r), control, &error)) {
            scan->time = r.time;
            return scan;
        }
        if (error.isEmpty()) {
            failure = NotCompared(error);
            return std::nullopt;
        }
        notes.append(QStringLiteral("history: snapshot %1 cannot be read (%2); skipped")
                         .arg(r.fileName, error));
    }
    failure = {3,
               {},
               QStringLiteral("no snapshot of %1 at or before %2 in %3")
                   .arg(root, TimeText(*latest), store.folder())};
    return std::nullopt;
}

ReportResult GrowthReportAgainst(const ReportContext& context, const engine::ScanIndex& then,
                                 qint64 thenTime, qint64 nowTime) {
    const Options& o = context.options;
    engine::GrowthRequest request;
    request.path = o.path.value_or(QStringLiteral("\\"));
    request.byType = o.byType;
    const auto* imported = dynamic_cast<const engine::ImportDevice*>(&context.device);
    QString error;
    const engine::ScanFeed now =
        imported && imported->rootOnly() ? engine::ScanFeed([&](engine::WalkSink& sink) {
            return engine::StreamScanFile(o.importFile, sink, context.control, &error);
        })
                                         : engine::DeviceFeed(context.device, context.control);
    Growth growth;
    if (!engine::CompareWithIndex(then, now, request, growth))
        return NotCompared(error);
    if (!growth.pathNode())
        return {3, {}, QStringLiteral("no folder '%1' in either scan").arg(request.path)};
    if (o.format == ReportFormat::Text)
        return {0, GrowthText(growth, o.byType, thenTime), {}};
    return {0, GrowthJson(growth, o.byType, thenTime, nowTime), {}};
}

ReportResult GrowthReport(const ReportContext& context) {
    // An imported scan is compared as of its own time.
    const auto* imported = dynamic_cast<const engine::ImportDevice*>(&context.device);
    const qint64 now = imported ? imported->header().timestamp : QDateTime::currentSecsSinceEpoch();
    QStringList notes;
    ReportResult failure;
    // The folders the report could not read are those of the scan now: the earlier scan's
    // are no news.
    engine::WalkControl thenControl = context.control;
    thenControl.unreadable = nullptr;
    const auto then =
        OpenEarlierScan(context.options, HistoryDeviceRoot(context.options, &context.device), now,
                        notes, failure, thenControl);
    ReportResult result =
        then ? GrowthReportAgainst(context, then->index, then->time, now) : failure;
    result.notes = notes;
    return result;
}

ReportResult ListHistory(const Options& options) {
    platform::HistoryStore store;
    QString error;
    if (!store.open(&error))
        return {2, {}, error};
    QStringList notes;
    const auto snapshots = store.list(HistoryDeviceRoot(options, nullptr), &notes);
    ReportResult result;
    result.notes = notes;
    if (options.format == ReportFormat::Text) {
        QList<QStringList> rows{
            {QStringLiteral("Time"), QStringLiteral("Total"), QStringLiteral("Entries")}};
        for (const platform::SnapshotRecord& r : snapshots)
            rows.append(
                {TimeText(r.time), engine::SizeText(r.totalBytes), QString::number(r.entries)});
        result.output = AlignedTable(rows, {false, true, true});
        return result;
    }
    JsonWriter json;
    json.beginArray();
    for (const platform::SnapshotRecord& r : snapshots) {
        json.beginObject();
        json.key(u"time").value(IsoTime(r.time));
        json.key(u"total_bytes").value(r.totalBytes);
        json.key(u"entries").value(r.entries);
        json.key(u"file").value(store.pathOf(r));
        json.endObject();
    }
    json.endArray();
    result.output = json.finish();
    return result;
}

ReportResult KeepSnapshot(const Options& options, platform::Device& device,
                          const engine::WalkControl& control, qint64 scanTime) {
    platform::HistoryStore store;
    QString error;
    if (!store.open(&error))
        return {1, {}, error};
    ReportResult result;
    const QString root = HistoryDeviceRoot(options, &device);
    const QString host = platform::HostName();
    // One listing serves both: the base to write against, and the snapshot before.
    const auto previous = store.list(root, &result.notes, true);
    const auto base = engine::ChooseDeltaBase(previous, root, host);
    SnapshotWrite how;
    if (base)
        how.basePath = store.pathOf(*base);
    const QString partial = store.partialPath();
    engine::SnapshotSummary summary;
    if (!WriteScanFile(device, partial, summary, control, scanTime, &error, &how)) {
        store.abandon(partial);
        return {1, {}, error, result.notes};
    }
    if (!how.note.isEmpty())
        result.notes.append(
            QStringLiteral("history: %1; this snapshot is kept in full").arg(how.note));
    platform::SnapshotRecord record;
    record.deviceRoot = root;
    record.host = host;
    record.baseId = how.basePath.isEmpty() ? 0 : base->id;
    record.plainBytes = how.plainBytes;
    record.time = scanTime;
    record.totalBytes = summary.totalBytes();
    record.entries = summary.entries();
    record.digest = summary.digest();
    const auto kept = store.commit(partial, record, &error);
    if (!kept)
        return {1, {}, error, result.notes};
    // The same totals and folder sizes as the one before: the new one stands for both.
    for (const platform::SnapshotRecord& p : previous)
        if (p.listed && p.host == record.host) {
            if (p.digest == record.digest && !store.remove({p}, &error))
                return {1, {}, error, result.notes};
            break;
        }
    const quint64 limit =
        options.historyLimit.value_or(engine::DefaultHistoryLimit(store.fileSystemBytes()));
    if (!engine::ThinHistory(store, QDateTime::currentSecsSinceEpoch(), limit, &result.notes,
                             &error))
        return {1, {}, error, result.notes};
    store.removeStrays(kDaySeconds);
    return result;
}

}  // namespace dovrane::app
