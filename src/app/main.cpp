// dovrane-storage-analyzer: shows where the storage below a device root goes.

#include <QCoreApplication>
#include <cstdio>

#include "app/cli.h"
#include "app/command_line.h"
#include "app/window.h"
#include "platform/profile.h"

namespace {

void Print(FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    // Without a report the program is its window; reports need no display.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    const dovrane::app::ParsedCommandLine parsed = dovrane::app::ParseCommandLine(given);
    if (!parsed.exitCode && parsed.options.report.isEmpty())
        return dovrane::app::RunWindow(argc, argv, parsed.options);

    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const dovrane::platform::Profile profile;
    const dovrane::app::CliResult result = dovrane::app::RunCommandLine(arguments, profile);
    Print(stdout, result.out);
    Print(stderr, result.err);
    return result.exitCode;
}
