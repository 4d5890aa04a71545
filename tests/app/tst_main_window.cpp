// The real window, headless: command bar, states, child views, routing, Help, History, Exit.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/cli.h"
#include "app/main_frame.h"
#include "app/resource.h"
#include "charts/legend_list.h"
#include "dialogs/about_dlg.h"
#include "dialogs/color_list.h"
#include "dialogs/control_id.h"
#include "dialogs/largest_files_dlg.h"
#include "dialogs/modal.h"
#include "dialogs/preferences_dlg.h"
#include "engine/scan_import.h"
#include "platform/file_dialog.h"
#include "platform/history_store.h"
#include "platform/shell.h"
#include "support/app_window.h"

using namespace dovrane;
using dialogs::CPreferencesDlg;
using V = app::CDovraneStorageAnalyzerView;

namespace {

using Window = test::AppWindow;

// Each item as "text key", a separator as "".
QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* item : menu->actions())
        texts.append(item->isSeparator() ? QString()
                                         : item->text() + u' ' + item->shortcut().toString());
    return texts;
}

// The event loop's code: 0 when Exit posted its end, 7 when the loop went on past that post.
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

// Both chart views shown over nine folders of nine types.
struct ChartsWindow : test::AppWindow {
    explicit ChartsWindow(const QList<std::pair<QString, QString>>& values = {})
        : AppWindow(values) {
        for (int i = 0; i < 9; ++i)
            device.addFile(QStringLiteral("\\d%1\\f.t%1").arg(i), quint64(1000 - 50 * i));
        view().OnViewFolder();
        view().OnViewFileType();
        QTRY_VERIFY(!view().folderView().IsBusy() && !view().fileTypeView().IsBusy());
        before = bytes();
    }
    QByteArray bytes() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Runs Preferences with `act` working the dialog; what `act` leaves open is cancelled.
    void Preferences(const std::function<void(CPreferencesDlg&)>& act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<CPreferencesDlg*>(QApplication::activeModalWidget());
            act(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        view().OnCmdMsg(app::kIdPreferences);
    }
    QByteArray before;
};

void Press(QWidget* dialog, int id) {
    QTest::mouseClick(dialogs::GetDlgItem<QWidget>(dialog, id), Qt::LeftButton);
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

    // The application's style reads the command bar's arrows itself: they must be Qt's own.
    void extensionArrowsAreQtsOwn_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("rtl");
        QTest::newRow("horizontal") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << false;
        QTest::newRow("horizontal, right to left")
            << int(QStyle::SP_ToolBarHorizontalExtensionButton) << true;
        QTest::newRow("vertical") << int(QStyle::SP_ToolBarVerticalExtensionButton) << false;
    }
    void extensionArrowsAreQtsOwn() {
        QFETCH(int, which);
        QFETCH(bool, rtl);
        const std::unique_ptr<QStyle> ours(app::CreateAppStyle());
        const std::unique_ptr<QStyle> qts(QStyleFactory::create(QStringLiteral("Fusion")));
        QStyleOption option;
        option.direction = rtl ? Qt::RightToLeft : Qt::LeftToRight;
        const auto pixmap = static_cast<QStyle::StandardPixmap>(which);
        const QIcon mine = ours->standardIcon(pixmap, &option);
        const QIcon theirs = qts->standardIcon(pixmap, &option);
        QCOMPARE(mine.availableSizes(), theirs.availableSizes());
        QCOMPARE(mine.availableSizes().size(), 3);
        for (const QSize& size : theirs.availableSizes())
            QCOMPARE(mine.pixmap(size).toImage(), theirs.pixmap(size).toImage());
        Window w;
        QCOMPARE(QApplication::windowIcon().availableSizes(),
                 (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}}));
    }

    // Open Scan makes a scan the device or says why not; on a scan what needs files is off.
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
        QVERIFY(!app::SaveScan(w.device, u"\\", saved, {}));
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
        QCOMPARE(asked, QList<platform::FileDialogMode>(3, platform::FileDialogMode::Open));
        QVERIFY(dynamic_cast<engine::ImportDevice*>(w.view().device()));
        QVERIFY(w.frame().windowTitle().startsWith("Dovrane Storage Analyzer - /, "));
        w.frame().RouteCommand(app::kIdFolderView);
        QTRY_VERIFY(!w.view().folderView().IsBusy());
        QCOMPARE("Dovrane Storage Analyzer - " + w.view().folderView().HeaderText(),
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
        // Commands, the view then current, the children made: the Explorer View comes first.
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
            // Only the current child shows.
            const QList<views::CChildWindow*> children{&w.view().overview(), &w.view().explorer(),
                                                       &w.view().folderView(),
                                                       &w.view().fileTypeView()};
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(children[i]->IsWindowCreated(), created[i]);
                QCOMPARE(children[i]->isVisible(), i == current);
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

    void folderViewOpensOnTheExplorerSelection() {
        Window w;
        w.device.addFile(u"\\Windows\\Fonts\\tahoma.ttf", 100).addFile(u"\\a.txt", 50);
        w.view().explorer().tree()->topLevelItem(0)->setExpanded(false);  // read again
        QVERIFY(w.view().explorer().SelectPath(QStringLiteral("\\Windows\\Fonts")));
        w.action(app::kIdFolderView)->trigger();
        views::CFolderView& folder = w.view().folderView();
        QTRY_VERIFY(!folder.IsBusy());
        QCOMPARE(folder.HeaderText(), QStringLiteral(" \\Windows \\Fonts"));
        // Chosen again with another folder: moved there, without a new scan.
        QVERIFY(w.view().explorer().SelectPath(QStringLiteral("\\Windows")));
        w.action(app::kIdExplorerView)->trigger();
        w.action(app::kIdFolderView)->trigger();
        QCOMPARE(folder.HeaderText(), QStringLiteral(" \\Windows"));
        QCOMPARE(folder.scanCount(), 1);
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
        qobject_cast<QToolButton*>(w.frame().commandBar()->widgetForAction(w.action(app::kIdHelp)))
            ->click();
        QCOMPARE(started.size(), 2);  // twice: nothing is kept of the first
        QCOMPARE(started[0].url.fragment(), QStringLiteral("Main_Contents"));
        QFile page(started[0].url.toLocalFile());
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("id=\"Main_Contents\""));
        QTimer::singleShot(0, this, [] {  // the About box, closed by its OK
            qobject_cast<dialogs::CAboutDlg*>(QApplication::activeModalWidget())
                ->okButton()
                ->click();
        });
        w.action(app::kIdAppAbout)->trigger();
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Keep History, ticked by default and kept: a snapshot after a Folder View scan if ticked.
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

    // Preferences: OK re-lays the open pies at once and keeps the settings for the next
    // start.
    void preferencesOkReappliesAtOnceAndIsKeptForTheNextStart() {
        ChartsWindow w;
        w.Preferences([](CPreferencesDlg& dialog) {
            QTest::mouseClick(dialog.colorList()->viewport(), Qt::LeftButton, {}, QPoint(50, 25));
            Press(&dialog, dialogs::kIdMoveUp);  // green first
            dialog.slicesEdit()->setText(QStringLiteral("5"));
            Press(&dialog, dialogs::kIdOk);
        });
        const engine::Settings& now = w.view().settings();
        // Both pies and legends again without a rescan: four named slices and "Other".
        for (views::CChartView* view :
             QList<views::CChartView*>{&w.view().folderView(), &w.view().fileTypeView()}) {
            QCOMPARE(view->pieChart().sliceCount(), 5);
            QCOMPARE(charts::LegendRowCount(*view->legendList()->owner()), 5);
            QCOMPARE(view->scanCount(), 1);
        }
        w.view().OnViewFolder();
        // The first slice runs from 0 to 50 degrees: 1000 of 7200 bytes.
        auto& folder = w.view().folderView();
        QCOMPARE(test::PixelAt(folder.grab().toImage(),
                               folder.currentLayout().chartCenter + QPoint(40, -15)),
                 QRgb(0x008000));
        // The next start reads exactly what the view now uses.
        QCOMPARE(engine::ReadSettings(platform::Profile(w.file())), now);
    }

    void cancelChangesNothing() {
        ChartsWindow w({{"Number Of Slices", "7"}, {"Color0", "255"}});
        const engine::Settings settings = w.view().settings();
        w.Preferences([](CPreferencesDlg& dialog) {
            dialog.colorList()->SetSelected(3);
            Press(&dialog, dialogs::kIdMoveDown);
            Press(&dialog, dialogs::kIdReset);  // the factory colours and 16, the row kept
            QVERIFY(std::ranges::equal(dialog.colorList()->colors, engine::kDefaultSliceColors));
            QCOMPARE(dialog.slicesEdit()->text(), QStringLiteral("16"));
            QCOMPARE(dialog.colorList()->selected(), 4);
            Press(&dialog, dialogs::kIdCancel);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        });
        QCOMPARE(w.view().settings(), settings);
        QCOMPARE(w.view().folderView().pieChart().sliceCount(), 7);
        QCOMPARE(w.bytes(), w.before);
    }

    void handEditedProfile() {
        // Stored, the pie's slices (nine entries), the text shown; below 1 acts as 1.
        for (const auto& [stored, slices, shown] :
             {std::tuple("0", 1, "0"), {"2147483647", 9, "2147483647"}, {"many", 9, "16"}}) {
            ChartsWindow w({{"Number Of Slices", stored}, {"Color3", "-1"}});
            const test::Case name(stored);
            QCOMPARE(w.view().settings().sliceColors[3], engine::ColorRef(0xFFFFFFFF));
            QCOMPARE(w.view().folderView().pieChart().sliceCount(), slices);
            w.Preferences([&](CPreferencesDlg& dialog) {
                QCOMPARE(dialog.slicesEdit()->text(), shown);
                dialog.slicesEdit()->setText(QStringLiteral("7"));
                Press(&dialog, dialogs::kIdOk);
            });
            QSettings saved(w.file(), QSettings::IniFormat);
            QCOMPARE(saved.value(w.kGroup + "Color3").toInt(), -1);
            QCOMPARE(saved.value(w.kGroup + "Number Of Slices").toInt(), 7);
        }
    }

    // Last: after its Exit the application closes, and no dialog runs its own loop again.
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
        QCOMPARE(folder.HeaderText(), QStringLiteral(" \\A"));
        press(Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(folder.HeaderText(), QStringLiteral(" \\Pocket PC"));
        press(Qt::Key_F5);
        QCOMPARE(folder.scanCount(), 2);
        QTRY_VERIFY(!folder.IsBusy());
        press(Qt::Key_Q, Qt::ControlModifier);  // Exit
        QCOMPARE(LoopEndCode(), 0);
        QVERIFY(w.boxes.texts.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
