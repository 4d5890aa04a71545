#include "app/cli.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "app/command_line.h"
#include "app/history_commands.h"
#include "app/reports.h"
#include "engine/file_list.h"
#include "engine/scan_export.h"
#include "engine/scan_import.h"
#include "engine/settings.h"
#include "platform/device_path.h"
#include "platform/host_device.h"
#include "platform/name_codec.h"
#include "platform/scan_file.h"

namespace dovrane::app {
namespace {

QByteArray ErrorLine(const QString& message) {
    return (QStringLiteral("dovrane-storage-analyzer: ") + message + u'\n').toUtf8();
}

// Notes first, then the error line of a failure.
CliResult Finish(const ReportResult& result, QByteArray out = {}) {
    QByteArray err;
    for (const QString& note : result.notes)
        err += ErrorLine(note);
    if (result.exitCode != 0)
        return {result.exitCode, out, err + ErrorLine(result.error)};
    return {0, out + result.output, err};
}

}  // namespace

std::optional<QString> DeviceRootError(const QString& deviceRoot) {
    const QFileInfo root(deviceRoot);
    if (!root.exists())
        return QStringLiteral("no folder '%1' for the device root").arg(deviceRoot);
    if (!root.isDir() || !root.isReadable())
        return QStringLiteral("device root '%1' is not a readable folder").arg(deviceRoot);
    return std::nullopt;
}

bool NeedsHostFiles(const QString& kind) {
    return kind == u"identical" || kind == u"databases";
}

QString NeedsHostFilesError(QStringView option, const QString& kind) {
    return QStringLiteral("%1 %2 needs the files themselves, which an imported scan has not")
        .arg(option, kind);
}

OpenedDevice OpenDevice(const Options& options) {
    OpenedDevice opened;
    if (!options.importFile.isEmpty()) {
        // The growth report alone reads the scan as it goes: its start is enough here, but
        // for standard input or a pipe, which cannot be read twice.
        const bool rootOnly = options.report == u"growth" && !options.snapshot &&
                              options.exportFile.isEmpty() && options.importFile != u"-" &&
                              QFileInfo(options.importFile).isFile();
        engine::ImportResult imported = engine::ImportScanFile(options.importFile, rootOnly);
        if (!imported.device) {
            opened.error = imported.error;
            return opened;
        }
        opened.imported = imported.device.get();
        opened.device = std::move(imported.device);
        return opened;
    }
    if (const auto error = DeviceRootError(options.deviceRoot)) {
        opened.error = *error;
        return opened;
    }
    auto host = std::make_unique<platform::HostDevice>(
        QFileInfo(options.deviceRoot).absoluteFilePath(),
        platform::HostDeviceOptions{.enterNetworkFileSystems = options.network});
    if (!host->ok()) {
        opened.error = QStringLiteral("cannot open device root %1").arg(host->errorText());
        return opened;
    }
    opened.device = std::move(host);
    return opened;
}

std::optional<QString> ExportDevice(const Options& options, const OpenedDevice& opened) {
    QString start = QStringLiteral("\\");
    if (options.path) {
        const auto resolved = engine::ResolveFolderPath(*opened.device, *options.path);
        if (!resolved)
            return QStringLiteral("no folder '%1' on the device").arg(*options.path);
        start = *resolved;
    }
    engine::WalkControl control;
    control.pace = std::chrono::milliseconds(options.paceMs);
    control.threads = options.threads > 0 ? options.threads : engine::DefaultWalkThreads();
    return SaveScan(*opened.device, start, options.exportFile, control);
}

engine::ScanHeader ExportHeader(platform::Device& device, QStringView start) {
    engine::ScanHeader header;
    const auto* imported = dynamic_cast<const engine::ImportDevice*>(&device);
    if (!imported) {
        header.rootName = QFile::encodeName(device.hostPath(start));
        if (header.rootName.isEmpty())
            header.rootName = "/";
        header.timestamp = QDateTime::currentSecsSinceEpoch();
        return header;
    }
    // A scan written again keeps its folder and the time it was made.
    header.rootName = imported->header().rootName;
    header.timestamp = imported->header().timestamp;
    for (const QString& part : platform::SplitDevicePath(start)) {
        if (!header.rootName.endsWith('/'))
            header.rootName += '/';
        header.rootName += QByteArray::fromStdString(platform::EncodeDeviceName(part).value_or(""));
    }
    return header;
}

std::optional<QString> SaveScan(platform::Device& device, QStringView start, const QString& file,
                                const engine::WalkControl& control) {
    QString error;
    const auto out = platform::ScanOutput::open(file, error);
    if (!out)
        return error;
    if (!engine::ExportScan(device, start, ExportHeader(device, start), *out, control) ||
        !out->finish())
        return out->error().isEmpty() ? QStringLiteral("the scan was stopped") : out->error();
    return std::nullopt;
}

CliResult RunCommandLine(const QStringList& arguments, const platform::Profile& profile,
                         const ReportOutput& output) {
    ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (parsed.exitCode) {
        const QByteArray text = parsed.text.toUtf8() + (parsed.text.endsWith(u'\n') ? "" : "\n");
        return *parsed.exitCode == 0 ? CliResult{0, text, {}}
                                     : CliResult{*parsed.exitCode, {}, text};
    }
    Options& options = parsed.options;
    if (options.listHistory)
        return Finish(ListHistory(options));
    OpenedDevice opened = OpenDevice(options);
    if (!opened.device)
        return {2, {}, ErrorLine(opened.error)};
    platform::Device& device = *opened.device;

    if (!options.exportFile.isEmpty()) {
        const auto error = ExportDevice(options, opened);
        return error ? CliResult{1, {}, ErrorLine(*error)} : CliResult{};
    }
    // The window arrives with the user-interface layers; until then the folders report
    // stands in for it.
    if (options.report.isEmpty() && !options.snapshot)
        options.report = QStringLiteral("folders");
    if (opened.imported && NeedsHostFiles(options.report))
        return {2, {}, ErrorLine(NeedsHostFilesError(u"--report", options.report))};

    const qint64 scanTime = QDateTime::currentSecsSinceEpoch();
    CliResult done;
    if (!options.report.isEmpty()) {
        done = Finish(RunReport(options, device, engine::ReadSettings(profile), output));
        if (done.exitCode != 0 || !options.snapshot)
            return done;
    }
    engine::WalkControl control;
    control.pace = std::chrono::milliseconds(options.paceMs);
    control.threads = options.threads > 0 ? options.threads : engine::DefaultWalkThreads();
    CliResult kept = Finish(KeepSnapshot(options, device, control, scanTime), done.out);
    kept.err.prepend(done.err);
    return kept;
}

}  // namespace dovrane::app
