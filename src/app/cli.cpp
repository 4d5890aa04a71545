#include "app/cli.h"

#include <QDateTime>
#include <QFileInfo>

#include "app/command_line.h"
#include "app/history_commands.h"
#include "app/reports.h"
#include "engine/settings.h"
#include "platform/host_device.h"

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

CliResult RunCommandLine(const QStringList& arguments, const platform::Profile& profile) {
    ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (parsed.exitCode) {
        const QByteArray text = parsed.text.toUtf8() + (parsed.text.endsWith(u'\n') ? "" : "\n");
        return *parsed.exitCode == 0 ? CliResult{0, text, {}}
                                     : CliResult{*parsed.exitCode, {}, text};
    }
    Options& options = parsed.options;
    if (options.listHistory)
        return Finish(ListHistory(options));
    if (const auto error = DeviceRootError(options.deviceRoot))
        return {2, {}, ErrorLine(*error)};
    platform::HostDevice device(QFileInfo(options.deviceRoot).absoluteFilePath(),
                                {.enterNetworkFileSystems = options.network});
    if (!device.ok())
        return {
            2, {}, ErrorLine(QStringLiteral("cannot open device root %1").arg(device.errorText()))};

    // The window arrives with the user-interface layers; until then the folders report
    // stands in for it.
    if (options.report.isEmpty() && !options.snapshot)
        options.report = QStringLiteral("folders");

    const qint64 scanTime = QDateTime::currentSecsSinceEpoch();
    CliResult done;
    if (!options.report.isEmpty()) {
        done = Finish(RunReport(options, device, engine::ReadSettings(profile)));
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
