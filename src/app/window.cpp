#include "app/window.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/analyzer_app.h"
#include "app/cli.h"
#include "app/dialog_shots.h"
#include "app/main_frame.h"
#include "app/program.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "platform/gui_application.h"
#include "platform/host_device.h"
#include "platform/object_store.h"
#include "platform/png_file.h"
#include "platform/profile.h"

namespace dovrane::app {
namespace {

// A line on stderr, named as the program's own.
void Tell(const QString& message) {
    const QByteArray line =
        (QStringLiteral("dovrane-storage-analyzer: ") + message + u'\n').toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
}

int Fail(int status, const QString& message) {
    Tell(message);
    return status;
}

CDovraneStorageAnalyzerView::View ViewNamed(const QString& name) {
    if (name == u"explorer")
        return CDovraneStorageAnalyzerView::kExplorerView;
    if (name == u"folder")
        return CDovraneStorageAnalyzerView::kFolderView;
    if (name == u"filetype")
        return CDovraneStorageAnalyzerView::kFileTypeView;
    return CDovraneStorageAnalyzerView::kOverview;
}

// Scans hand their results over by queued calls, so events must flow while waiting. What
// says when it is done (a view, a search dialog) is followed at once; the rest is polled.
void WaitWhile(const std::function<bool()>& busy, const EndNotice& whenEnded = {}) {
    QEventLoop loop;
    QTimer poll;
    const auto check = [&] {
        if (!busy())
            loop.quit();
    };
    QObject::connect(&poll, &QTimer::timeout, &loop, check);
    if (whenEnded)
        whenEnded(&loop, check);
    if (busy()) {
        poll.start(20);
        loop.exec();
    }
    QCoreApplication::processEvents();
}

void WaitForView(CDovraneStorageAnalyzerView& view) {
    const views::CChildWindow& child = view.currentChild();
    WaitWhile([&child] { return child.IsBusy(); },
              [&child](QObject* context, std::function<void()> ended) {
                  QObject::connect(&child, &views::CChildWindow::busyEnded, context,
                                   std::move(ended), Qt::QueuedConnection);
              });
}

// Empty when written, else the line that says why not.
QString SavePicture(const QPixmap& picture, const QString& file) {
    const QString why = platform::WritePng(picture.toImage(), file);
    return why.isEmpty() ? why
                         : QStringLiteral("cannot write the screenshot '%1': %2").arg(file, why);
}

QString DialogNames() {
    QStringList names;
    for (const DialogShotRow& row : DialogShotRows())
        names.append(QLatin1String(row.name));
    return names.join(u", ");
}

// Draws the dialog of --dialog over the finished window into `file`.
int SaveDialogScreenshot(CAnalyzerApp& app, const DialogShotRow& row, const Options& options) {
    WaitForView(*app.mainView());
    DialogShot shot = row.make(app, options);
    if (!shot.dialog)
        return Fail(shot.status ? shot.status : 2, shot.error);
    shot.dialog->show();
    if (shot.busy)
        WaitWhile(shot.busy, shot.whenEnded);
    else
        QCoreApplication::processEvents();
    if (const QString why = SavePicture(shot.dialog->grab(), options.screenshot); !why.isEmpty())
        return Fail(1, why);
    return 0;
}

}  // namespace

QString SaveScreenshot(CMainFrame& frame, const QString& file) {
    WaitForView(*frame.view());
    return SavePicture(frame.grab(), file);
}

int RunWindow(int& argc, char** argv, WindowStart& begun) {
    const Options& options = begun.options;
    // The user's own mistake is named first, before any complaint about the display.
    const OpenedDevice& opened = begun.opened;
    if (!opened.device)
        return Fail(2, opened.error);
    const bool screenshot = !options.screenshot.isEmpty();
    if (!screenshot && !platform::HaveDisplay())
        return Fail(2, QStringLiteral("no display to open the window on (see --report and "
                                      "--screenshot)"));
    const auto application = platform::CreateGuiApplication(
        argc, argv, {.scale = options.scale, .offscreen = screenshot});
    // A desktop's own scale is known only now.
    if (options.size && !options.scale)
        if (const auto error = WindowSizeError(*options.size, application->devicePixelRatio()))
            return Fail(2, *error);

    const DialogShotRow* dialogRow = nullptr;
    if (!options.dialog.isEmpty() && !(dialogRow = FindDialogShot(options.dialog)))
        return Fail(
            2,
            QStringLiteral("unknown dialog '%1' (one of: %2)").arg(options.dialog, DialogNames()));

    platform::SetObjectStoreFolders(options.objectStores);

    AppStart start;
    start.view = {.settings = begun.settings,
                  .device = opened.device.get(),
                  .profile = begun.profile.get(),
                  .pace = std::chrono::milliseconds(options.paceMs),
                  .pieShown = {},
                  .historyRoot = {},
                  .folderScan = begun.folderScan,
                  .fileTypeScan = begun.fileTypeScan};
    // A screenshot or an imported scan is no scan of the user's: it keeps no history.
    if (options.screenshot.isEmpty() && !opened.imported)
        start.view.historyRoot = QFileInfo(options.deviceRoot).absoluteFilePath();
    start.firstView = ViewNamed(options.view);
    start.fileSearch = begun.fileSearch;
    if (opened.imported)
        start.scanTitle = ScanTitle(*opened.imported);
    if (options.size)
        start.clientSize = *options.size;
    if (options.timing)
        // The monotonic clock's reading lets whoever started the process tell the time from
        // its start to the pie, which no clock inside the process sees.
        start.view.pieShown = [](const QString& view, std::chrono::steady_clock::duration time) {
            using Ms = std::chrono::duration<double, std::milli>;
            const double ms = Ms(time).count();
            const double at = Ms(std::chrono::steady_clock::now().time_since_epoch()).count();
            Tell(QStringLiteral("%1: %2 ms from the start of the scan to the pie, shown at %3 ms "
                                "of the monotonic clock")
                     .arg(view)
                     .arg(ms, 0, 'f', 1)
                     .arg(at, 0, 'f', 1));
        };
    CAnalyzerApp app(start);
    if (!app.InitInstance())
        return 1;
    // --path stands for the Explorer's selection: the Folder View opens on that folder.
    if (options.path && app.mainView()->folderView().IsWindowCreated())
        app.mainView()->folderView().GoToPath(*options.path);
    // In the Explorer it is the tree's selection, opened down to it.
    if (options.path && start.firstView == CDovraneStorageAnalyzerView::kExplorerView &&
        !app.mainView()->explorer().SelectPath(*options.path))
        return Fail(3, QStringLiteral("no folder '%1' on the device").arg(*options.path));
    if (dialogRow)
        return SaveDialogScreenshot(app, *dialogRow, options);
    if (screenshot) {
        if (const QString why = SaveScreenshot(*app.mainFrame(), options.screenshot);
            !why.isEmpty())
            return Fail(1, why);
        return 0;
    }
    return QApplication::exec();
}

}  // namespace dovrane::app
