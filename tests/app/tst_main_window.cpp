// The real window, driven headless: command bar, ticks, enabled states, pressed buttons,
// child views, routing, Exit, Help and About.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

#include "app/analyzer_app.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "app/resource.h"
#include "dialogs/about_dlg.h"
#include "dialogs/control_id.h"
#include "dialogs/largest_files_dlg.h"
#include "dialogs/modal.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/test_device.h"

using namespace dovrane;
using app::CDovraneStorageAnalyzerView;
using V = CDovraneStorageAnalyzerView;

namespace {

// One window on an in-memory device, with every message box recorded instead of shown.
struct Window {
    Window() : profile(dir.filePath(QStringLiteral("profile.ini"))) {
        app::AppStart start;
        start.view = {.settings = {}, .device = &device, .profile = &profile, .pace = {}};
        application = std::make_unique<app::CAnalyzerApp>(start);
        if (!application->InitInstance())
            qFatal("the window did not start");
    }
    app::CMainFrame& frame() const { return *application->mainFrame(); }
    CDovraneStorageAnalyzerView& view() const { return *application->mainView(); }
    QAction* action(int id) const { return frame().action(id); }
    QToolButton* button(int id) const {
        return qobject_cast<QToolButton*>(frame().commandBar()->widgetForAction(action(id)));
    }
    // The child views in the order Overview, Explorer, Folder, Type.
    QList<views::CChildWindow*> children() {
        return {&view().overview(), &view().explorer(), &view().folderView(),
                &view().fileTypeView()};
    }
    QImage titleBand() { return view().grab(QRect(0, 0, view().width(), 23)).toImage(); }

    QTemporaryDir dir;
    platform::TestDevice device;
    platform::Profile profile;
    QStringList boxes;
    platform::ScopedMessageBoxHook hook{[this](const platform::MessageBoxRequest& request) {
        boxes.append(request.text);
        return platform::MessageBoxResult::Ok;
    }};
    std::unique_ptr<app::CAnalyzerApp> application;
};

QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* item : menu->actions())
        texts.append(item->isSeparator() ? QString() : item->text());
    return texts;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void commandBarHasTheMenusAndButtonsInOrder() {
        Window w;
        const QList<QAction*> items = w.frame().commandBar()->actions();
        const QStringList tips{"File",        "Tools",          "Overview",      "Explorer view",
                               "Folder view", "File type view", "Parent Folder", "Help"};
        QCOMPARE(w.frame().toolTips().mid(2), tips.mid(2));
        QCOMPARE(items.size(), 8);
        QList<QToolButton*> buttons;
        for (int i = 0; i < 8; ++i) {
            buttons << qobject_cast<QToolButton*>(
                w.frame().commandBar()->widgetForAction(items[i]));
            QCOMPARE(buttons[i]->toolTip(), tips[i]);
        }
        QCOMPARE(buttons[0]->text(), QStringLiteral("&File"));
        QCOMPARE(buttons[1]->text(), QStringLiteral("Tools"));
        QCOMPARE(MenuTexts(buttons[0]->menu()),
                 (QStringList{"E&xit", "", "Explorer View", "Folder View", "File Type View",
                              "Overview"}));
        QCOMPARE(MenuTexts(buttons[1]->menu()),
                 (QStringList{"About ...", "&Help", "", "Largest Files...", "Duplicate Files...",
                              "Identical Files...", "Databases...", "", "Parent Folder",
                              "Preferences...", "", "Refresh"}));
        const QList<int> ids{app::kIdOverview,     app::kIdExplorerView, app::kIdFolderView,
                             app::kIdFileTypeView, app::kIdParentFolder, app::kIdHelp};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(items[i + 2], w.action(ids[i]));
            QVERIFY(!items[i + 2]->icon().isNull());
        }
    }

    void viewCommands() {
        const int e = app::kIdExplorerView, f = app::kIdFolderView, t = app::kIdFileTypeView,
                  o = app::kIdOverview;
        // Commands, the view then current, and the children made by then: at the start the
        // Explorer View is made (root expanded) before the Overview.
        const std::tuple<QList<int>, int, QList<bool>> cases[] = {
            {{}, V::kOverview, {true, true, false, false}},
            {{e}, V::kExplorerView, {true, true, false, false}},
            {{f}, V::kFolderView, {true, true, true, false}},
            {{t}, V::kFileTypeView, {true, true, false, true}},
            {{o}, V::kOverview, {true, true, false, false}},
            {{f, o}, V::kOverview, {true, true, true, false}},
            {{t, e, f, o, t, f}, V::kFolderView, {true, true, true, true}}};
        for (const auto& [commands, current, created] : cases) {
            Window w;
            QCOMPARE(w.frame().windowTitle(), QStringLiteral("Dovrane Storage Analyzer"));
            QVERIFY(w.view().explorer().tree()->topLevelItem(0)->isExpanded());
            for (const int id : commands)
                w.action(id)->trigger();
            QCOMPARE(w.view().currentView(), current);
            const QList<int> ids{app::kIdOverview, app::kIdExplorerView, app::kIdFolderView,
                                 app::kIdFileTypeView};
            // The window resized: every child made follows it, only the current one shows.
            w.frame().resize(300, 400);
            QCoreApplication::processEvents();
            const QRect area(0, 26, 300, w.view().height() - 26);
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(w.children()[i]->IsWindowCreated(), created[i]);
                QCOMPARE(w.children()[i]->isVisible(), i == current);
                if (created[i])
                    QCOMPARE(w.children()[i]->geometry(), area);
                QCOMPARE(w.action(ids[i])->isChecked(), i == current);
                QCOMPARE(w.button(ids[i])->isChecked(), i == current);
            }
            QCOMPARE(w.view().width(), 300);
            QCOMPARE(w.action(app::kIdParentFolder)->isEnabled(), current == V::kFolderView);
            QCOMPARE(w.button(app::kIdParentFolder)->isEnabled(), current == V::kFolderView);
            QCOMPARE(w.action(app::kIdRefresh)->isEnabled(), current != V::kExplorerView);
            // A child window is made once; later shows reuse it. The Overview is refreshed once,
            // on creation.
            QCOMPARE(w.view().fileTypeView().scanCount(), created[3] ? 1 : 0);
            QCOMPARE(w.view().overview().refreshCount(), 1);
            QCOMPARE(w.view().overview().m_pMainView, &w.view());
            QVERIFY(w.boxes.isEmpty());
        }
    }

    void titleBandNamesTheView() {
        Window w;
        const QImage image = w.view().grab().toImage();
        const int dpr = int(image.devicePixelRatio());
        for (const int x : {0, 120, w.view().width() - 1}) {
            QCOMPARE(image.pixelColor(x * dpr, 22 * dpr), QColor(Qt::white));
            QCOMPARE(image.pixelColor(x * dpr, 23 * dpr), QColor(Qt::black));
            QCOMPARE(image.pixelColor(x * dpr, 24 * dpr), QColor(Qt::white));
        }
        // Text on white names the view: another view, another title; back, the same.
        const QImage overview = w.titleBand();
        QImage blank(overview.size(), overview.format());
        blank.fill(Qt::white);
        QVERIFY(overview != blank);
        w.action(app::kIdFileTypeView)->trigger();
        QVERIFY(w.titleBand() != overview);
        w.action(app::kIdOverview)->trigger();
        QCOMPARE(w.titleBand(), overview);
    }

    void folderViewOpensOnTheExplorerSelection() {
        Window w;
        w.device.addFile(u"\\Windows\\Fonts\\tahoma.ttf", 100).addFile(u"\\a.txt", 50);
        w.view().explorer().tree()->topLevelItem(0)->setExpanded(false);  // read again
        QVERIFY(w.view().explorer().SelectPath(QStringLiteral("\\Windows\\Fonts")));
        w.action(app::kIdFolderView)->trigger();
        views::CFolderView& folder = w.view().folderView();
        QCOMPARE(folder.pendingPath, QStringLiteral("\\windows\\fonts"));
        QCOMPARE(folder.scanCount(), 1);
        QTRY_VERIFY(!folder.IsBusy());
        QCOMPARE(folder.headerText(), QStringLiteral(" \\Windows \\Fonts"));

        // Chosen again with another folder: moved there, without a new scan.
        QVERIFY(w.view().explorer().SelectPath(QStringLiteral("\\Windows")));
        w.action(app::kIdExplorerView)->trigger();
        w.action(app::kIdFolderView)->trigger();
        QCOMPARE(folder.headerText(), QStringLiteral(" \\Windows"));
        QCOMPARE(folder.scanCount(), 1);

        w.action(app::kIdParentFolder)->trigger();
        QCOMPARE(folder.headerText(), QStringLiteral(" \\Pocket PC"));
    }

    void refreshReachesTheViewOnScreen() {
        // The view on screen, then the Overview's refreshes and the folder and type scans.
        for (const auto& [viewCommand, expected] :
             {std::pair(app::kIdOverview, QList<int>{2, 1, 1}),
              {app::kIdExplorerView, {1, 1, 1}},
              {app::kIdFolderView, {1, 2, 1}},
              {app::kIdFileTypeView, {1, 1, 2}}}) {
            Window w;
            w.action(app::kIdFolderView)->trigger();
            w.action(app::kIdFileTypeView)->trigger();
            // A Refresh during a scan starts none, so the first scans end first.
            QTRY_VERIFY(!w.view().folderView().IsBusy() && !w.view().fileTypeView().IsBusy());
            w.action(viewCommand)->trigger();
            // Routed directly too, so that the disabled Refresh of the Explorer View is tried.
            w.frame().RouteCommand(app::kIdRefresh);
            QCOMPARE(
                (QList<int>{w.view().overview().refreshCount(), w.view().folderView().scanCount(),
                            w.view().fileTypeView().scanCount()}),
                expected);
        }
    }

    void preferencesReapplyToTheChartViewsThatExist() {
        Window w;
        for (int i = 0; i < 8; ++i)
            w.device.addFile(QStringLiteral("\\d%1\\f.txt").arg(i), 100 - i);
        w.action(app::kIdFolderView)->trigger();
        QTRY_VERIFY(!w.view().folderView().IsBusy());
        QCOMPARE(w.view().folderView().pieChart().sliceCount(), 8);
        engine::Settings changed;
        changed.numberOfSlices = 6;
        w.view().ApplyPreferences(changed);
        QCOMPARE(w.view().settings(), changed);
        // Five named slices and "Other", without a rescan.
        QCOMPARE(w.view().folderView().pieChart().sliceCount(), 6);
        QCOMPARE(w.view().folderView().scanCount(), 1);
        QVERIFY(!w.view().fileTypeView().IsWindowCreated());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // The searches start at the Explorer View's folder, in the mode of their command.
    void toolsDialogs() {
        Window w;
        QStringList opened;
        dialogs::ScopedModalHook hook([&](QDialog& d) {
            if (auto* search = qobject_cast<dialogs::CLargestFilesDlg*>(&d))
                opened << QStringLiteral("search %1 %2 %3")
                              .arg(search->m_largest)
                              .arg(search->m_sameContent)
                              .arg(search->startFolder());
            else
                opened << d.metaObject()->className();
            return int(QDialog::Rejected);
        });
        for (const int id : {app::kIdLargestFiles, app::kIdDuplicateFiles, app::kIdIdenticalFiles,
                             app::kIdDatabases}) {
            QVERIFY(w.action(id)->isEnabled());
            w.action(id)->trigger();
        }
        const QString start = w.view().explorer().GetSelectedPath();
        QCOMPARE(opened, QStringList({"search 1 0 " + start, "search 0 0 " + start,
                                      "search 0 1 " + start, "dovrane::dialogs::CDatabasesDlg"}));
        QCOMPARE(w.view().currentView(), int(CDovraneStorageAnalyzerView::kOverview));
        QVERIFY(w.boxes.isEmpty());
    }

    void exitEndsTheEventLoopWithoutAPrompt() {
        Window w;
        w.action(app::kIdExit)->trigger();
        // Exit posts the end of the loop; a stand-in posted after it, posting once more, runs
        // only when the loop goes on after Exit's post was delivered.
        QMetaObject::invokeMethod(
            qApp,
            [] {
                QMetaObject::invokeMethod(
                    qApp, [] { QCoreApplication::exit(7); }, Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(w.boxes.isEmpty());
    }

    void helpHandsTheLauncherTheHelpPage() {
        Window w;
        QList<platform::LaunchRequest> started;
        const platform::ScopedLauncher launcher([&](const platform::LaunchRequest& request) {
            started.append(request);
            return true;
        });
        w.action(app::kIdHelp)->trigger();
        w.button(app::kIdHelp)->click();
        QCOMPARE(started.size(), 2);  // twice: nothing is kept of the first
        const platform::LaunchRequest& request = started[0];
        QCOMPARE(request.kind, platform::LaunchRequest::Kind::OpenUrl);
        QVERIFY(request.url.isLocalFile());
        QCOMPARE(request.url.fragment(), QStringLiteral("Main_Contents"));
        QCOMPARE(QFileInfo(request.url.toLocalFile()).fileName(),
                 QStringLiteral("PlexoryHelp.htm"));
        QFile page(request.url.toLocalFile());
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("id=\"Main_Contents\""));
    }

    void aboutShowsTheAboutBox() {
        Window w;
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            auto* about = qobject_cast<dialogs::CAboutDlg*>(QApplication::activeModalWidget());
            QVERIFY(about);
            // Full screen: exactly over the frame's client area.
            QCOMPARE(about->geometry(),
                     QRect(w.frame().mapToGlobal(QPoint(0, 0)), w.frame().size()));
            shown = true;
            about->okButton()->click();
        });
        w.action(app::kIdAppAbout)->trigger();
        QVERIFY(shown);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
