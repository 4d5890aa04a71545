// dovrane-storage-analyzer: shows where the storage below a device root goes.

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "app/command_line.h"
#include "app/reports.h"
#include "engine/settings.h"
#include "platform/host_device.h"
#include "platform/profile.h"

using namespace dovrane;

namespace {

void Print(FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Dovrane Corporation"));
    QCoreApplication::setApplicationName(QStringLiteral("Dovrane Storage Analyzer"));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    app::ParsedCommandLine parsed = app::ParseCommandLine(arguments);
    if (parsed.exitCode) {
        Print(*parsed.exitCode == 0 ? stdout : stderr,
              parsed.text.toUtf8() + (parsed.text.endsWith(u'\n') ? "" : "\n"));
        return *parsed.exitCode;
    }
    app::Options& options = parsed.options;

    const QFileInfo root(options.deviceRoot);
    if (!root.isDir() || !root.isReadable()) {
        Print(stderr, QStringLiteral(
                          "dovrane-storage-analyzer: device root '%1' is not a readable folder\n")
                          .arg(options.deviceRoot)
                          .toUtf8());
        return 2;
    }
    platform::HostDevice device(root.absoluteFilePath(),
                                {.enterNetworkFileSystems = options.network});
    if (!device.ok()) {
        Print(stderr, QStringLiteral("dovrane-storage-analyzer: cannot open device root %1\n")
                          .arg(device.errorText())
                          .toUtf8());
        return 2;
    }

    // The window arrives with the user-interface layers; until then the folders report
    // stands in for it.
    if (options.report.isEmpty())
        options.report = QStringLiteral("folders");

    platform::Profile profile;
    const app::ReportResult result = app::RunReport(options, device, engine::ReadSettings(profile));
    if (result.exitCode != 0) {
        Print(stderr, QStringLiteral("dovrane-storage-analyzer: %1\n").arg(result.error).toUtf8());
        return result.exitCode;
    }
    Print(stdout, result.output);
    return 0;
}
