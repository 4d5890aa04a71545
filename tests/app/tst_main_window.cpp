// The real window, driven headless: command bar, ticks, enabled states, pressed buttons,
// child views, routing, Exit, Help and About.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
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
    // Which child views have their windows, in the order Overview, Explorer, Folder, Type.
    QList<bool> created() {
        return {view().overview().IsWindowCreated(), view().explorer().IsWindowCreated(),
                view().folderView().IsWindowCreated(), view().fileTypeView().IsWindowCreated()};
    }
    QList<bool> visible() {
        return {view().overview().isVisible(), view().explorer().isVisible(),
                view().folderView().isVisible(), view().fileTypeView().isVisible()};
    }
    // The x of the rightmost red pixel of the title band, -1 when there is none.
    int titleRight() {
        const QImage band = view().grab(QRect(0, 0, view().width(), 23)).toImage();
        int right = -1;
        for (int y = 0; y < band.height(); ++y)
            for (int x = 0; x < band.width(); ++x) {
                const QColor c = band.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 120 && c.blue() < 120)
                    right = std::max(right, x);
            }
        return right;
    }

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

QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const QString& name) {
    auto* item = new QTreeWidgetItem(QStringList{name});
    parent->addChild(item);
    return item;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void startsOnTheOverview() {
        Window w;
        QCOMPARE(w.frame().windowTitle(), QStringLiteral("Dovrane Storage Analyzer"));
        QCOMPARE(w.view().currentView(), int(CDovraneStorageAnalyzerView::kOverview));
        QVERIFY(w.action(app::kIdOverview)->isChecked());
        QVERIFY(w.button(app::kIdOverview)->isChecked());
        QVERIFY(!w.action(app::kIdParentFolder)->isEnabled());
        QVERIFY(w.action(app::kIdRefresh)->isEnabled());
        // The Explorer View is made (root expanded) before the Overview, which is refreshed
        // once on creation.
        QCOMPARE(w.created(), (QList<bool>{true, true, false, false}));
        QCOMPARE(w.visible(), (QList<bool>{true, false, false, false}));
        QVERIFY(w.view().explorer().tree()->topLevelItem(0)->isExpanded());
        QCOMPARE(w.view().overview().refreshCount(), 1);
        QCOMPARE(w.view().overview().m_pMainView, &w.view());
        QVERIFY(w.boxes.isEmpty());
    }

    void commandBarHasTheMenusAndButtonsInOrder() {
        Window w;
        const QList<QAction*> items = w.frame().commandBar()->actions();
        QCOMPARE(items.size(), 8);
        QStringList menuNames, menuTips;
        QList<QMenu*> menus;
        for (int i = 0; i < 2; ++i) {
            auto* menuButton =
                qobject_cast<QToolButton*>(w.frame().commandBar()->widgetForAction(items[i]));
            QVERIFY(menuButton);
            menuNames.append(menuButton->text());
            menuTips.append(menuButton->toolTip());
            menus.append(menuButton->menu());
        }
        QCOMPARE(menuNames, (QStringList{"&File", "Tools"}));
        QCOMPARE(menuTips, (QStringList{"File", "Tools"}));
        QCOMPARE(MenuTexts(menus[0]), (QStringList{"E&xit", "", "Explorer View", "Folder View",
                                                   "File Type View", "Overview"}));
        QCOMPARE(MenuTexts(menus[1]),
                 (QStringList{"About ...", "&Help", "", "Largest Files...", "Duplicate Files...",
                              "Identical Files...", "Databases...", "", "Parent Folder",
                              "Preferences...", "", "Refresh"}));
        const QList<int> buttonIds{app::kIdOverview,     app::kIdExplorerView, app::kIdFolderView,
                                   app::kIdFileTypeView, app::kIdParentFolder, app::kIdHelp};
        QStringList tips;
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(items[i + 2], w.action(buttonIds[i]));
            QVERIFY(!items[i + 2]->icon().isNull());
            tips.append(w.button(buttonIds[i])->toolTip());
        }
        QCOMPARE(tips, (QStringList{"Overview", "Explorer view", "Folder view", "File type view",
                                    "Parent Folder", "Help"}));
        QCOMPARE(w.frame().toolTips().mid(2), tips);
    }

    void viewCommands_data() {
        QTest::addColumn<QList<int>>("commands");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<bool>>("created");
        using V = CDovraneStorageAnalyzerView;
        const int e = app::kIdExplorerView, f = app::kIdFolderView, t = app::kIdFileTypeView,
                  o = app::kIdOverview;
        QTest::newRow("explorer") << QList<int>{e} << int(V::kExplorerView)
                                  << QList<bool>{true, true, false, false};
        QTest::newRow("folder") << QList<int>{f} << int(V::kFolderView)
                                << QList<bool>{true, true, true, false};
        QTest::newRow("file type")
            << QList<int>{t} << int(V::kFileTypeView) << QList<bool>{true, true, false, true};
        QTest::newRow("overview again")
            << QList<int>{o} << int(V::kOverview) << QList<bool>{true, true, false, false};
        QTest::newRow("folder, then overview")
            << QList<int>{f, o} << int(V::kOverview) << QList<bool>{true, true, true, false};
        QTest::newRow("every view, back to folder")
            << QList<int>{t, e, f, o, t, f} << int(V::kFolderView)
            << QList<bool>{true, true, true, true};
    }

    void viewCommands() {
        QFETCH(QList<int>, commands);
        QFETCH(int, current);
        QFETCH(QList<bool>, created);
        Window w;
        for (const int id : commands)
            w.action(id)->trigger();
        QCOMPARE(w.view().currentView(), current);
        QCOMPARE(w.created(), created);
        QList<bool> onlyCurrent{false, false, false, false};
        onlyCurrent[current] = true;
        QCOMPARE(w.visible(), onlyCurrent);
        const QList<int> ids{app::kIdOverview, app::kIdExplorerView, app::kIdFolderView,
                             app::kIdFileTypeView};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(w.action(ids[i])->isChecked(), i == current);
            QCOMPARE(w.button(ids[i])->isChecked(), i == current);
        }
        QCOMPARE(w.action(app::kIdParentFolder)->isEnabled(),
                 current == CDovraneStorageAnalyzerView::kFolderView);
        QCOMPARE(w.button(app::kIdParentFolder)->isEnabled(),
                 current == CDovraneStorageAnalyzerView::kFolderView);
        QCOMPARE(w.action(app::kIdRefresh)->isEnabled(),
                 current != CDovraneStorageAnalyzerView::kExplorerView);
        // A child window is made once; later shows reuse it.
        QCOMPARE(w.view().fileTypeView().scanCount(), created[3] ? 1 : 0);
        QCOMPARE(w.view().overview().refreshCount(), 1);
        QCOMPARE(w.view().currentChild().geometry(),
                 QRect(0, 26, w.view().width(), w.view().height() - 26));
        QVERIFY(w.boxes.isEmpty());
    }

    void titleBandNamesTheView() {
        Window w;
        const QImage image = w.view().grab().toImage();
        const int dpr = int(image.devicePixelRatio());
        for (const int x : {0, 120, w.view().width() - 1}) {
            QCOMPARE(image.pixelColor(x * dpr, 23 * dpr), QColor(Qt::black));
            QCOMPARE(image.pixelColor(x * dpr, 24 * dpr), QColor(Qt::white));
            QCOMPARE(image.pixelColor(x * dpr, 22 * dpr), QColor(Qt::white));
        }
        const int overview = w.titleRight();
        QVERIFY(overview > 3);
        w.action(app::kIdFileTypeView)->trigger();
        QVERIFY(w.titleRight() > overview);  // "File Type View" is longer than "Overview"
        w.action(app::kIdOverview)->trigger();
        QCOMPARE(w.titleRight(), overview);
    }

    void folderViewOpensOnTheExplorerSelection() {
        Window w;
        w.device.addFile(u"\\Windows\\Fonts\\tahoma.ttf", 100).addFile(u"\\a.txt", 50);
        QTreeWidget* tree = w.view().explorer().tree();
        QTreeWidgetItem* windows = AddFolder(tree->topLevelItem(0), QStringLiteral("Windows"));
        QTreeWidgetItem* fonts = AddFolder(windows, QStringLiteral("Fonts"));
        tree->setCurrentItem(fonts);
        w.action(app::kIdFolderView)->trigger();
        views::CFolderView& folder = w.view().folderView();
        QCOMPARE(folder.pendingPath, QStringLiteral("\\windows\\fonts"));
        QCOMPARE(folder.scanCount(), 1);
        QCOMPARE(folder.settings, &w.view().settings());
        QCOMPARE(folder.device, &w.device);
        QTRY_VERIFY(!folder.IsBusy());
        QCOMPARE(folder.headerText(), QStringLiteral(" \\Windows \\Fonts"));

        // Chosen again with another folder: moved there, without a new scan.
        tree->setCurrentItem(windows);
        w.action(app::kIdExplorerView)->trigger();
        w.action(app::kIdFolderView)->trigger();
        QCOMPARE(folder.headerText(), QStringLiteral(" \\Windows"));
        QCOMPARE(folder.scanCount(), 1);

        w.action(app::kIdParentFolder)->trigger();
        QCOMPARE(folder.headerText(), QStringLiteral(" \\Pocket PC"));
    }

    void refreshReachesTheViewOnScreen_data() {
        QTest::addColumn<int>("viewCommand");
        QTest::addColumn<QList<int>>("expected");  // overview refreshes, folder and type scans
        QTest::newRow("overview") << app::kIdOverview << QList<int>{2, 1, 1};
        QTest::newRow("explorer") << app::kIdExplorerView << QList<int>{1, 1, 1};
        QTest::newRow("folder") << app::kIdFolderView << QList<int>{1, 2, 1};
        QTest::newRow("file type") << app::kIdFileTypeView << QList<int>{1, 1, 2};
    }

    void refreshReachesTheViewOnScreen() {
        QFETCH(int, viewCommand);
        QFETCH(QList<int>, expected);
        Window w;
        w.action(app::kIdFolderView)->trigger();
        w.action(app::kIdFileTypeView)->trigger();
        // A Refresh during a scan starts none, so the first scans end first.
        QTRY_VERIFY(!w.view().folderView().IsBusy() && !w.view().fileTypeView().IsBusy());
        w.action(viewCommand)->trigger();
        // Routed directly too, so that the disabled Refresh of the Explorer View is tried.
        w.frame().RouteCommand(app::kIdRefresh);
        QCOMPARE((QList<int>{w.view().overview().refreshCount(), w.view().folderView().scanCount(),
                             w.view().fileTypeView().scanCount()}),
                 expected);
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
        changed.sliceColors[3] = 0x00FF00;
        w.view().ApplyPreferences(changed);
        QCOMPARE(w.view().settings(), changed);
        // Five named slices and "Other", the fourth in the new colour; no rescan.
        const auto& slices = w.view().folderView().pieChart().slices();
        QCOMPARE(int(slices.size()), 6);
        QCOMPARE(slices[3].color, engine::ColorRef(0x00FF00));
        QCOMPARE(slices[5].endAngle, 360);
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
                             app::kIdDatabases, app::kIdPreferences}) {
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
        // Exit posts the end of the loop; a stand-in posted after it, and posting once more,
        // runs only when the loop goes on after Exit's post was delivered.
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
        QStringList texts;
        QTimer::singleShot(0, this, [&] {
            auto* about = qobject_cast<dialogs::CAboutDlg*>(QApplication::activeModalWidget());
            QVERIFY(about);
            // Full screen: exactly over the frame's client area.
            QCOMPARE(about->geometry(),
                     QRect(w.frame().mapToGlobal(QPoint(0, 0)), w.frame().size()));
            for (const int id :
                 {dialogs::kIdAboutName, dialogs::kIdAboutPlatform, dialogs::kIdAboutVersion})
                texts.append(dialogs::GetDlgItem<QLabel>(about, id)->text());
            QCOMPARE(about->findChildren<QPushButton*>().size(), 1);
            about->okButton()->click();
        });
        w.action(app::kIdAppAbout)->trigger();
        QCOMPARE(texts, (QStringList{"Dovrane Storage Analyzer", "for Pocket PC", "Version 2.0"}));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void childViewFollowsTheWindowSize() {
        Window w;
        w.frame().resize(300, 400);
        QCoreApplication::processEvents();
        QCOMPARE(w.view().width(), 300);
        QCOMPARE(w.view().overview().geometry(), QRect(0, 26, 300, w.view().height() - 26));
        QCOMPARE(w.view().explorer().geometry(), w.view().overview().geometry());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
