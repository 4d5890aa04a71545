// dovrane-storage-analyzer: shows where the storage below a device root goes.
//
// The executable holds the command line and the reports and links Qt Core only; the window
// lives in a library of its own, loaded only when a window or a screenshot is wanted, so
// a script running a thousand reports never maps the windowing libraries.

#include <QCoreApplication>
#include <cstdio>

#include "app/cli.h"
#include "app/command_line.h"
#include "platform/profile.h"
#include "platform/program_part.h"

namespace {

void Print(FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

int RunWindowPart(int argc, char** argv) {
    // Where the build puts the library: installed below the library folder, else beside
    // the executable in the build tree.
    const dovrane::platform::LoadedPart part = dovrane::platform::LoadWindowPart(
        {QStringLiteral(DOVRANE_WINDOW_PART_INSTALLED), QStringLiteral(DOVRANE_WINDOW_PART_BUILT)},
        "dovrane_run_window");
    if (!part.entry) {
        Print(stderr, "dovrane-storage-analyzer: cannot load the window: " +
                          part.error.toLocal8Bit() + '\n');
        return 1;
    }
    return part.entry(&argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    const dovrane::app::ParsedCommandLine parsed = dovrane::app::ParseCommandLine(given);
    const dovrane::app::Options& options = parsed.options;
    const bool window = !parsed.exitCode && options.report.isEmpty() &&
                        options.exportFile.isEmpty() && !options.snapshot && !options.listHistory;
    // Only the user's window may show the toolkit's chatter; reports and pictures don't.
    if (!window || !options.screenshot.isEmpty())
        dovrane::platform::QuietToolkitMessages();
    if (window)
        return RunWindowPart(argc, argv);

    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const dovrane::platform::Profile profile;
    // A report goes out as it is made: a listing of millions of files is never held whole.
    const dovrane::app::CliResult result =
        dovrane::app::RunCommandLine(arguments, profile, [](QByteArrayView bytes) {
            std::fwrite(bytes.data(), 1, static_cast<size_t>(bytes.size()), stdout);
        });
    Print(stdout, result.out);
    Print(stderr, result.err);
    return result.exitCode;
}
