// The real window, driven headless: command bar, ticks, enabled states, pressed buttons,
// child views, routing, Exit, Help and About, Keep History.

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "app/resource.h"
#include "dialogs/about_dlg.h"
#include "dialogs/control_id.h"
#include "dialogs/largest_files_dlg.h"
#include "dialogs/modal.h"
#include "engine/scan_import.h"
#include "platform/file_dialog.h"
#include "platform/history_store.h"
#include "platform/shell.h"
#include "support/app_window.h"

using namespace dovrane;
using V = app::CDovraneStorageAnalyzerView;

namespace {

struct Window : test::AppWindow {
    QToolButton* button(int id) const {
        return qobject_cast<QToolButton*>(frame().commandBar()->widgetForAction(action(id)));
    }
    QImage titleBand() { return view().grab(QRect(0, 0, view().width(), 23)).toImage(); }
};

// Each item as "text key", a separator as "".
QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* item : menu->actions())
        texts.append(item->isSeparator() ? QString()
                                         : item->text() + u' ' + item->shortcut().toString());
    return texts;
}

// Runs the event loop and returns its code: 0 when Exit has posted the end of the loop, 7
// otherwise. The stand-in, posted after Exit and posting once more, runs only when the loop
// goes on after Exit's post was delivered.
int LoopEndCode() {
    QMetaObject::invokeMethod(
        qApp,
        [] {
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(7); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return QCoreApplication::exec();
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_state;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("XDG_STATE_HOME", m_state.path().toUtf8());
    }

    void commandBarHasTheMenusAndButtonsInOrder() {
        Window w;
        const QList<QAction*> items = w.frame().commandBar()->actions();
        const QStringList tips{"File",        "Tools",          "Overview",      "Explorer view",
                               "Folder view", "File type view", "Parent Folder", "Help"};
        const QList<int> ids{app::kIdOverview,     app::kIdExplorerView, app::kIdFolderView,
                             app::kIdFileTypeView, app::kIdParentFolder, app::kIdHelp};
        QCOMPARE(items.size(), 8);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(w.frame().commandBar()->widgetForAction(items[i])->toolTip(), tips[i]);
            if (i >= 2)
                QVERIFY(items[i] == w.action(ids[i - 2]) && !items[i]->icon().isNull());
        }
        const auto bar = [&](int i) {
            return qobject_cast<QToolButton*>(w.frame().commandBar()->widgetForAction(items[i]));
        };
        const auto *file = bar(0), *tools = bar(1);
        QCOMPARE(file->text() + u'|' + tools->text(), QStringLiteral("&File|Tools"));
        QCOMPARE(MenuTexts(file->menu()),
                 (QStringList{"Open Scan... ", "Save Scan As... ", "Compare With... ", "",
                              "E&xit Ctrl+Q", "", "Explorer View Ctrl+2", "Folder View Ctrl+3",
                              "File Type View Ctrl+4", "Overview Ctrl+1"}));
        QCOMPARE(MenuTexts(tools->menu()),
                 (QStringList{"About ... Shift+F1", "&Help F1", "", "Largest Files... Ctrl+L",
                              "Duplicate Files... Ctrl+D", "Identical Files... Ctrl+I",
                              "Databases... Ctrl+B", "", "Parent Folder Backspace",
                              "Preferences... Ctrl+,", "Keep History ", "", "Refresh F5"}));
    }

    // Save Scan As writes the device; Open Scan makes a scan the device, or names in one box
    // why it cannot and keeps the device shown; on a scan what needs the files is off.
    void scansOpenAndSave() {
        Window w;
        w.device.addFile(u"\\docs\\a.doc", 300).addFile(u"\\b.txt", 5);
        QTemporaryDir dir;
        QString answer;
        QList<platform::FileDialogMode> asked;
        const platform::FileDialogHook previous =
            platform::SetFileDialogHook([&](const platform::FileDialogRequest& r) {
                asked << r.mode;
                return answer;
            });
        const QString saved = dir.filePath("saved.json");
        answer = saved;
        w.frame().RouteCommand(app::kIdSaveScan);
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\n{\"name\":\"a.doc\",\"asize\":300,"));
        const QString bad = dir.filePath("bad.json");
        QFile(bad).open(QIODevice::WriteOnly);
        answer = bad;
        w.frame().RouteCommand(app::kIdOpenScan);
        QCOMPARE(w.boxes.texts, QStringList{bad + ":1:1: expected '[' at the start of a scan, "
                                                  "found the file ends"});
        QCOMPARE(w.view().device(), &w.device);
        answer.clear();  // cancelled
        w.frame().RouteCommand(app::kIdOpenScan);
        QCOMPARE(w.view().device(), &w.device);
        QVERIFY(w.action(app::kIdIdenticalFiles)->isEnabled());
        answer = saved;
        w.frame().RouteCommand(app::kIdOpenScan);
        platform::SetFileDialogHook(previous);
        QCOMPARE(asked, (QList<platform::FileDialogMode>{
                            platform::FileDialogMode::Save, platform::FileDialogMode::Open,
                            platform::FileDialogMode::Open, platform::FileDialogMode::Open}));
        QVERIFY(dynamic_cast<engine::ImportDevice*>(w.view().device()));
        QVERIFY(w.frame().windowTitle().startsWith("Dovrane Storage Analyzer - /, "));
        w.frame().RouteCommand(app::kIdFolderView);
        QTRY_VERIFY(!w.view().folderView().IsBusy());
        QCOMPARE("Dovrane Storage Analyzer - " + w.view().folderView().headerText(),
                 w.frame().windowTitle());
        QVERIFY(!w.action(app::kIdIdenticalFiles)->isEnabled());
        QVERIFY(!w.action(app::kIdDatabases)->isEnabled());
        QVERIFY(w.action(app::kIdLargestFiles)->isEnabled());
        QCOMPARE(w.boxes.texts.size(), 1);
    }

    void viewCommands() {
        const int e = app::kIdExplorerView, f = app::kIdFolderView, t = app::kIdFileTypeView,
                  o = app::kIdOverview;
        const QList<int> ids{o, e, f, t};
        // Commands, the view then current, and the children made by then: at the start the
        // Explorer View is made (root expanded) before the Overview.
        const std::tuple<QList<int>, int, QList<bool>> cases[] = {
            {{}, V::kOverview, {true, true, false, false}},
            {{f}, V::kFolderView, {true, true, true, false}},
            {{t, e, f, o, t, f}, V::kFolderView, {true, true, true, true}}};
        for (const auto& [commands, current, created] : cases) {
            Window w;
            const test::Case name(QString::number(commands.size()) + " commands");
            QCOMPARE(w.frame().windowTitle(), QStringLiteral("Dovrane Storage Analyzer"));
            QVERIFY(w.view().explorer().tree()->topLevelItem(0)->isExpanded());
            for (const int id : commands)
                w.action(id)->trigger();
            QCOMPARE(w.view().currentView(), current);
            // The window resized: every child made follows it, only the current one shows.
            w.frame().resize(300, 400);
            QCoreApplication::processEvents();
            const QRect area(0, 26, 300, w.view().height() - 26);
            const QList<views::CChildWindow*> children{&w.view().overview(), &w.view().explorer(),
                                                       &w.view().folderView(),
                                                       &w.view().fileTypeView()};
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(children[i]->IsWindowCreated(), created[i]);
                QCOMPARE(children[i]->isVisible(), i == current);
                QVERIFY(!created[i] || children[i]->geometry() == area);
                QCOMPARE(w.action(ids[i])->isChecked(), i == current);
            }
            QCOMPARE(w.action(app::kIdParentFolder)->isEnabled(), current == V::kFolderView);
            QCOMPARE(w.action(app::kIdRefresh)->isEnabled(), current != V::kExplorerView);
            // A child window is made once and reused.
            QCOMPARE(w.view().fileTypeView().scanCount(), created[3] ? 1 : 0);
            QCOMPARE(w.view().overview().m_pMainView, &w.view());
            QVERIFY(w.boxes.texts.isEmpty());
        }
    }

    void titleBandNamesTheView() {
        Window w;
        // Text on white names the view: another view, another title; back, the same.
        const QImage overview = w.titleBand();
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
                (QList{viewCommand, w.view().overview().refreshCount(),
                       w.view().folderView().scanCount(), w.view().fileTypeView().scanCount()}),
                QList{viewCommand} + expected);
        }
    }

    // The searches start at the Explorer View's folder, in the mode of their command.
    void toolsDialogs() {
        Window w;
        QStringList opened;
        dialogs::ScopedModalHook hook([&](QDialog& d) {
            if (auto* search = qobject_cast<dialogs::CLargestFilesDlg*>(&d))
                opened << QStringLiteral("search %1 %2 %3")
                              .arg(search->mode() == dialogs::SearchMode::Largest ? 1 : 0)
                              .arg(search->mode() == dialogs::SearchMode::Identical)
                              .arg(search->startFolder());
            else
                opened << d.metaObject()->className();
            return int(QDialog::Rejected);
        });
        for (const int id : {app::kIdLargestFiles, app::kIdDuplicateFiles, app::kIdIdenticalFiles,
                             app::kIdDatabases})
            w.action(id)->trigger();
        const QString start = w.view().explorer().GetSelectedPath();
        QCOMPARE(opened, QStringList({"search 1 0 " + start, "search 0 0 " + start,
                                      "search 0 1 " + start, "dovrane::dialogs::CDatabasesDlg"}));
        QVERIFY(w.boxes.texts.isEmpty());
    }

    void keysOfTheWindow() {
        Window w;
        w.device.addFile(u"\\A\\B\\f", 10);
        w.frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.frame()));
        const auto press = [&](int key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                        : static_cast<QWidget*>(&w.frame()),
                            Qt::Key(key), modifiers);
        };
        const QList<std::pair<int, int>> views{{Qt::Key_2, V::kExplorerView},
                                               {Qt::Key_4, V::kFileTypeView},
                                               {Qt::Key_1, V::kOverview},
                                               {Qt::Key_3, V::kFolderView}};
        for (const auto& [key, view] : views) {
            press(key, Qt::ControlModifier);
            QCOMPARE(w.view().currentView(), view);
        }
        auto& folder = w.view().folderView();
        QTRY_VERIFY(!folder.IsBusy());
        folder.GoToPath(QStringLiteral("\\a\\b"));
        press(Qt::Key_Backspace);
        QCOMPARE(folder.headerText(), QStringLiteral(" \\A"));
        press(Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(folder.headerText(), QStringLiteral(" \\Pocket PC"));
        press(Qt::Key_F5);
        QCOMPARE(folder.scanCount(), 2);
        QTRY_VERIFY(!folder.IsBusy());
        press(Qt::Key_Q, Qt::ControlModifier);  // Exit
        QCOMPARE(LoopEndCode(), 0);
        QVERIFY(w.boxes.texts.isEmpty());
    }

    void helpAndAbout() {
        // No opener on PATH at all, then an opener without a browser behind it.
        const QTemporaryDir bin;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        Window w;
        bool launches = false;
        QList<platform::LaunchRequest> started;
        const platform::ScopedLauncher launcher([&](const platform::LaunchRequest& request) {
            started.append(request);
            return launches;
        });
        w.action(app::kIdHelp)->trigger();
        QFile opener(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.close();
        opener.setPermissions(QFile::ExeOwner | QFile::ReadOwner);
        w.action(app::kIdHelp)->trigger();
        qputenv("PATH", path);
        QCOMPARE(w.boxes.texts,
                 QStringList({"Cannot open PlexoryHelp.htm: xdg-open, the desktop's program that "
                              "opens files, is not installed.",
                              "Cannot open PlexoryHelp.htm: no web browser is set up."}));
        launches = true;
        started.clear();
        w.action(app::kIdHelp)->trigger();
        w.button(app::kIdHelp)->click();
        QCOMPARE(started.size(), 2);  // twice: nothing is kept of the first
        QCOMPARE(started[0].url.fragment(), QStringLiteral("Main_Contents"));
        QFile page(started[0].url.toLocalFile());
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("id=\"Main_Contents\""));
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
        QVERIFY(shown && !QApplication::activeModalWidget());
    }

    // Keep History: ticked by default and its tick kept in the profile; a snapshot after a
    // Folder View scan while ticked, none while not.
    void keepHistory() {
        const auto kept = [&] {
            platform::HistoryStore store(m_state.path() + "/dovrane-storage-analyzer/history");
            QString error;
            return store.open(&error) ? store.list("/kept", nullptr)
                                      : std::vector<platform::SnapshotRecord>{};
        };
        for (const QString tick : {"", "0"}) {  // as a new profile has it, unticked by the user
            test::AppWindow w(tick.isEmpty()
                                  ? QList<std::pair<QString, QString>>{}
                                  : QList<std::pair<QString, QString>>{{"Keep History", tick}},
                              QStringLiteral("/kept"));
            w.device.addFile(u"\\docs\\a.txt", 100).addFile(u"\\top", 5);
            w.view().OnViewFolder();
            QTRY_VERIFY(!w.view().folderView().IsBusy());
            app::CCmdUI ui;
            QVERIFY(w.view().OnUpdateCmdUI(app::kIdKeepHistory, ui));
            QCOMPARE(ui.checked, tick.isEmpty());
            if (tick.isEmpty()) {
                QTRY_COMPARE(kept().size(), size_t{1});
                w.view().OnCmdMsg(app::kIdKeepHistory);
                QCOMPARE(platform::Profile(w.file()).readInt("Dovrane Storage Analyzer",
                                                             "Keep History", 1),
                         0);
            }
        }
        const auto snapshots = kept();
        QCOMPARE(snapshots.size(), size_t{1});
        QCOMPARE(snapshots[0].totalBytes, quint64{105});
        QCOMPARE(snapshots[0].entries, quint64{3});
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
