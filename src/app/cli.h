#pragma once
// The program without its window: options in, report and exit status out.

#include <QByteArray>
#include <QStringList>
#include <optional>

#include "app/reports.h"

namespace dovrane::platform {
class Profile;
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

// Runs a report (or --help / --version) for `arguments` (without the program name), with
// the settings of `profile`.
// A report's bytes go to `output` as they are made when it is given.
CliResult RunCommandLine(const QStringList& arguments, const platform::Profile& profile,
                         const ReportOutput& output = {});

}  // namespace dovrane::app
