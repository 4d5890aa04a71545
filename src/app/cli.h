#pragma once
// The program without its window: options in, report and exit status out.

#include <QByteArray>
#include <QStringList>
#include <memory>
#include <optional>

#include "app/reports.h"
#include "engine/scan_export.h"

namespace dovrane::platform {
class Device;
class Profile;
}  // namespace dovrane::platform

namespace dovrane::engine {
class ImportDevice;
}

namespace dovrane::app {

struct CliResult {
    int exitCode = 0;
    QByteArray out;  // for stdout
    QByteArray err;  // for stderr
};

// Why `deviceRoot` (a host path) cannot be the device, for the user; nothing when it can.
// A root that does not exist is named as such, before any other complaint.
std::optional<QString> DeviceRootError(const QString& deviceRoot);

struct Options;

// The device of a run: the host folder, or an imported scan.
struct OpenedDevice {
    std::unique_ptr<platform::Device> device;  // null: `error` says why
    engine::ImportDevice* imported = nullptr;  // the device, when it is an import
    QString error;
};

// The device `options` name (--import FILE, else the device root).
OpenedDevice OpenDevice(const Options& options);
// Writes the scan of `opened` (from --path) to --export FILE; the one-line error, if any.
std::optional<QString> ExportDevice(const Options& options, const OpenedDevice& opened);
// What an export of `device` from `start` says of itself: the host folder and now, or for
// an imported scan its own folder and time.
engine::ScanHeader ExportHeader(platform::Device& device, QStringView start);
// Writes the scan of `device` from `start` to `file` ("-": stdout); the one-line error.
std::optional<QString> SaveScan(platform::Device& device, QStringView start, const QString& file,
                                const engine::WalkControl& control);
// Reports and dialogs that read the files themselves, which an imported scan cannot give;
// the error of `option` (--report, --dialog) asking for one on an import.
bool NeedsHostFiles(const QString& kind);
QString NeedsHostFilesError(QStringView option, const QString& kind);

// Runs a report (or --help / --version) for `arguments` (without the program name), with
// the settings of `profile`.
// A report's bytes go to `output` as they are made when it is given.
CliResult RunCommandLine(const QStringList& arguments, const platform::Profile& profile,
                         const ReportOutput& output = {});

}  // namespace dovrane::app
