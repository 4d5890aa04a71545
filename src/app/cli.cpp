#include "app/cli.h"

#include <QFileInfo>

#include "app/command_line.h"
#include "app/reports.h"
#include "engine/settings.h"
#include "platform/host_device.h"

namespace dovrane::app {
namespace {

QByteArray ErrorLine(const QString& message) {
    return (QStringLiteral("dovrane-storage-analyzer: ") + message + u'\n').toUtf8();
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

CliResult RunCommandLine(const QStringList& arguments, const platform::Profile& profile,
                         const ReportOutput& output) {
    ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (parsed.exitCode) {
        const QByteArray text = parsed.text.toUtf8() + (parsed.text.endsWith(u'\n') ? "" : "\n");
        return *parsed.exitCode == 0 ? CliResult{0, text, {}}
                                     : CliResult{*parsed.exitCode, {}, text};
    }
    Options& options = parsed.options;
    if (const auto error = DeviceRootError(options.deviceRoot))
        return {2, {}, ErrorLine(*error)};
    platform::HostDevice device(QFileInfo(options.deviceRoot).absoluteFilePath(),
                                {.enterNetworkFileSystems = options.network});
    if (!device.ok())
        return {
            2, {}, ErrorLine(QStringLiteral("cannot open device root %1").arg(device.errorText()))};

    // The window arrives with the user-interface layers; until then the folders report
    // stands in for it.
    if (options.report.isEmpty())
        options.report = QStringLiteral("folders");

    const ReportResult result = RunReport(options, device, engine::ReadSettings(profile), output);
    if (result.exitCode != 0)
        return {result.exitCode, {}, ErrorLine(result.error)};
    return {0, result.output, {}};
}

}  // namespace dovrane::app
