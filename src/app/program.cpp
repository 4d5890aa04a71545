#include "app/program.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/file_list.h"
#include "platform/profile.h"
#include "platform/program_part.h"

namespace dovrane::app {
namespace {

// False when the stream, now or before, could not be written (a full disk); errno says why.
bool Print(FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    return std::fflush(stream) == 0 && !std::ferror(stream);
}

int RunWindowPart(int argc, char** argv, const QStringList& windowPart, const Options& options) {
    // Begun first: the library's loading and the window's making overlap the walk.
    WindowStart start = BeginWindow(options);
    start.waitForReaders();
    const platform::LoadedPart part = platform::LoadWindowPart(windowPart, kWindowEntryName);
    if (!part.entry) {
        Print(stderr, "dovrane-storage-analyzer: cannot load the window: " +
                          part.error.toLocal8Bit() + '\n');
        return 1;  // `start` stops the scan on the way out
    }
    return reinterpret_cast<WindowEntry>(part.entry)(&argc, argv, &start);
}

}  // namespace

WindowStart::WindowStart() = default;
WindowStart::~WindowStart() = default;
WindowStart::WindowStart(WindowStart&&) noexcept = default;

void WindowStart::waitForReaders() const {
    // The loader holds its lock for the library's whole loading (10 ms here), and a walk
    // whose second reader started just then read alone meanwhile, a core left idle. The
    // readers start within a fraction of a millisecond; a device slow to open is not
    // waited for long.
    constexpr std::chrono::milliseconds kBound{20};
    if (folderScan)
        folderScan->waitForReaders(kBound);
    if (fileTypeScan)
        fileTypeScan->waitForReaders(kBound);
    if (fileSearch)
        fileSearch->scan().waitForReaders(kBound);
}

std::optional<SearchDialog> SearchDialogNamed(const QString& name) {
    if (name == u"largest")
        return SearchDialog{.largest = true, .sameContent = false};
    if (name == u"duplicates")
        return SearchDialog{.largest = false, .sameContent = false};
    if (name == u"identical")
        return SearchDialog{.largest = false, .sameContent = true};
    return std::nullopt;
}

WindowStart BeginWindow(const Options& options) {
    WindowStart start;
    start.options = options;
    start.opened = OpenDevice(options);
    if (!start.opened.device)
        return start;
    if (start.opened.imported && NeedsHostFiles(options.dialog)) {
        start.opened = {.device = nullptr,
                        .imported = nullptr,
                        .error = NeedsHostFilesError(u"--dialog", options.dialog)};
        return start;
    }
    start.profile = std::make_unique<platform::Profile>();
    start.settings = engine::ReadSettings(*start.profile);
    if (options.slices)
        start.settings.numberOfSlices = *options.slices;
    // The views' own pace; their readers are the default ones, as on Refresh.
    const engine::ScanJob::Options job{.pace = std::chrono::milliseconds(options.paceMs)};
    platform::Device* device = start.opened.device.get();
    if (options.view == u"folder")
        start.folderScan = std::make_shared<engine::EarlyFolderScan>(
            engine::FolderScan{.device = device, .numberOfSlices = start.settings.numberOfSlices},
            job);
    else if (options.view == u"filetype")
        start.fileTypeScan = std::make_shared<engine::EarlyFileTypeScan>(
            engine::FileTypeScan{.device = device}, job);
    // The dialog's search starts where the dialog will: at --path, else the whole device
    // (the Explorer View has no folder selected yet). A --path naming no folder is left to
    // the dialog, which says so.
    const std::optional<SearchDialog> search = SearchDialogNamed(options.dialog);
    if (!search || options.screenshot.isEmpty())
        return start;
    const std::optional<QString> from =
        options.path ? engine::ResolveFolderPath(*device, *options.path) : QString();
    if (from)
        start.fileSearch = std::make_shared<engine::EarlyFileSearch>(
            engine::FileSearchWork{.device = device,
                                   .start = *from,
                                   .largest = search->largest,
                                   .sameContent = search->sameContent},
            job);
    return start;
}

int RunProgram(int argc, char** argv, const QStringList& windowPart) {
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    const ParsedCommandLine parsed = ParseCommandLine(given);
    const Options& options = parsed.options;
    const bool window = !parsed.exitCode && options.report.isEmpty() &&
                        options.exportFile.isEmpty() && !options.snapshot && !options.listHistory;
    // Only the user's window may show the toolkit's chatter; reports and pictures don't.
    if (!window || !options.screenshot.isEmpty())
        platform::QuietToolkitMessages();
    if (window)
        return RunWindowPart(argc, argv, windowPart, options);

    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const platform::Profile profile;
    // A report goes out as it is made: a listing of millions of files is never held whole.
    const CliResult result = RunCommandLine(arguments, profile, [](QByteArrayView bytes) {
        std::fwrite(bytes.data(), 1, static_cast<size_t>(bytes.size()), stdout);
    });
    // A report that did not reach its file is no success, though every row was made.
    if (!Print(stdout, result.out) && result.exitCode == 0) {
        const int error = errno;
        Print(stderr, result.err);
        Print(stderr, QStringLiteral("dovrane-storage-analyzer: cannot write the output: %1\n")
                          .arg(QString::fromLocal8Bit(std::strerror(error)))
                          .toLocal8Bit());
        return 1;
    }
    Print(stderr, result.err);
    return result.exitCode;
}

}  // namespace dovrane::app
