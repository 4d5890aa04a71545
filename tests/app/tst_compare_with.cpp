// File > Compare With... in the window: the snapshot list answered through the modal hook,
// the Folder View turned into a growth view (slices, legend texts, header, a pixel of the
// largest slice, a tap walking down), and Refresh or the command again back to the plain
// view.

#include <time.h>

#include <QDir>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <cmath>
#include <memory>
#include <numbers>

#include "app/cli.h"
#include "app/history_commands.h"
#include "app/resource.h"
#include "charts/color_ref.h"
#include "dialogs/compare_dlg.h"
#include "dialogs/folder_details_dlg.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
#include "platform/file_dialog.h"
#include "platform/history_store.h"
#include "platform/scan_file.h"
#include "support/app_window.h"

using namespace dovrane;

namespace {

// 29/11/2026 14:30 UTC, the snapshot's time.
constexpr qint64 kThen = 1795962600;

// The window on the device now: since the snapshot docs +2,560,000, music +1,228,800, the
// root's own file +500, "old" gone (3,072 freed).
struct Window : test::AppWindow {
    explicit Window(std::chrono::milliseconds pace = {})
        : AppWindow({}, QStringLiteral("/home"), pace) {
        device.addFile(u"\\docs\\a.txt", 1000)
            .addFile(u"\\docs\\b.txt", 2'560'000)
            .addFile(u"\\music\\s.mp3", 5000)
            .addFile(u"\\music\\t.mp3", 1'228'800)
            .addFile(u"\\top", 510);
    }
    views::CFolderView& folder() { return view().folderView(); }
    views::CFileTypeView& types() { return view().fileTypeView(); }
    QStringList legendRows() { return LegendRows(folder()); }
    static QStringList LegendRows(const charts::LegendOwner& owner) {
        QStringList rows;
        for (int i = 0; i < owner.legendEntryCount(); ++i)
            rows << owner.legendEntryName(i);
        if (owner.legendHasOther())
            rows << QStringLiteral("Other");
        if (!owner.legendNote().isEmpty())
            rows << owner.legendNote();
        return rows;
    }
    QRgb PixelAtDegrees(double degrees) { return PixelAtDegrees(folder(), degrees); }
    static QRgb PixelAtDegrees(views::CChartView& chart, double degrees) {
        const int radius = chart.currentLayout().radius / 2;
        const double a = degrees * std::numbers::pi / 180.0;
        const QPoint p =
            chart.currentLayout().chartCenter +
            QPoint(int(std::lround(radius * std::cos(a))), int(std::lround(-radius * std::sin(a))));
        return test::PixelAt(chart.grab().toImage(), p);
    }
    // Compare With... answered with the first snapshot.
    void compare() {
        const dialogs::ScopedModalHook hook([](QDialog&) { return int(QDialog::Accepted); });
        view().OnCmdMsg(app::kIdCompareWith);
    }
};

QRgb SliceColor(int index) {
    return charts::ColorFromRef(engine::kDefaultSliceColors[static_cast<size_t>(index)]).rgb() &
           0xFFFFFF;
}

}  // namespace

class TestCompareWith : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        ::tzset();
        qputenv("XDG_STATE_HOME", (m_dir.path() + "/state").toUtf8());
        platform::TestDevice then;
        then.addFile(u"\\docs\\a.txt", 1000)
            .addFile(u"\\music\\s.mp3", 5000)
            .addFile(u"\\old\\x.bin", 3072)
            .addFile(u"\\top", 10);
        app::Options options;
        options.deviceRoot = QStringLiteral("/home");
        const app::ReportResult kept = app::KeepSnapshot(options, then, {}, kThen);
        QVERIFY2(kept.exitCode == 0, qPrintable(kept.error));
    }

    void growthViewAndBack() {
        Window w;
        w.view().OnCmdMsg(app::kIdKeepHistory);  // no snapshot of the scan below
        w.view().OnViewFolder();
        QTRY_VERIFY(!w.folder().IsBusy());
        const QStringList plainRows = w.legendRows();
        const QString plainHeader = w.folder().HeaderText();

        QStringList shown;
        int asked = 0;
        {
            const dialogs::ScopedModalHook hook([&](QDialog& d) {
                ++asked;
                const auto* dialog = qobject_cast<dialogs::CCompareDlg*>(&d);
                if (!dialog)
                    return int(QDialog::Rejected);
                for (int r = 0; r < dialog->list()->topLevelItemCount(); ++r)
                    for (int c = 0; c < 3; ++c)
                        shown << dialog->list()->topLevelItem(r)->text(c);
                return dialog->chosen() == 0 ? int(QDialog::Accepted) : int(QDialog::Rejected);
            });
            QVERIFY(w.view().OnCmdMsg(app::kIdCompareWith));
        }
        QCOMPARE(asked, 1);
        // The snapshot held 9,082 bytes; the device now holds 3,795,310.
        QCOMPARE(shown, QStringList({"29/11/2026 14:30", "8.9 KB", "+3.7 MB"}));
        QTRY_VERIFY(!w.folder().IsBusy());
        QVERIFY(w.folder().isComparing());
        QCOMPARE(w.folder().HeaderText(), QStringLiteral("Since 29/11/2026"));
        QCOMPARE(w.legendRows(), QStringList({"docs +2.5 MB", "music +1.2 MB",
                                              "\"In Folder\" +500  B", "Freed 3.0 KB"}));
        QCOMPARE(charts::LegendRowCount(w.folder()), 4);
        // The "Freed" row has no colour box: no slice is drawn for it.
        const QImage legend = w.folder().legendList()->viewport()->grab().toImage();
        const auto boxAt = [&](int row) {
            return test::PixelAt(legend, charts::LegendBoxFill(charts::LegendKind::Folder,
                                                               charts::kLegendRowHeight * row)
                                             .center());
        };
        QCOMPARE(boxAt(0), SliceColor(0));
        QCOMPARE(boxAt(2), SliceColor(2));
        QCOMPARE(boxAt(3), QColor(Qt::white).rgb() & 0xFFFFFF);
        // docs: 2,560,000 of 3,789,300 added, the first 243 degrees from three o'clock.
        QCOMPARE(w.folder().pieChart().sliceCount(), 3);
        QCOMPARE(w.PixelAtDegrees(120), SliceColor(0));
        QCOMPARE(w.PixelAtDegrees(300), SliceColor(1));

        // Folder Details: every entry by change, Then and Change beside Size; OK on a row
        // tapped shows that folder.
        QStringList details;
        {
            const dialogs::ScopedModalHook hook([&](QDialog& d) {
                auto* dialog = qobject_cast<dialogs::CFolderDetailsDlg*>(&d);
                if (!dialog)
                    return int(QDialog::Rejected);
                details = test::Rows(dialog->list()->model());
                dialog->OnRowClick(1);
                return int(QDialog::Accepted);
            });
            w.folder().OpenFolderDetails();
        }
        QCOMPARE(details, QStringList({"docs|2.5 MB|1000  B|+2.5 MB|67.5|67.5",
                                       "music|1.2 MB|4.9 KB|+1.2 MB|32.5|32.5",
                                       "old|0  B|3.0 KB|-3.0 KB|0.0|0.0",
                                       "\"In Folder\"|510  B|10  B|+500  B|0.0|0.0"}));
        QCOMPARE(w.folder().HeaderText(), QStringLiteral("Since 29/11/2026 \\music"));
        w.view().OnCmdMsg(app::kIdParentFolder);

        // A tap walks down; Parent Folder comes back up.
        w.folder().OpenEntry(0);
        QCOMPARE(w.folder().HeaderText(), QStringLiteral("Since 29/11/2026 \\docs"));
        QCOMPARE(w.legendRows(), QStringList({"\"In Folder\" +2.5 MB"}));
        w.view().OnCmdMsg(app::kIdParentFolder);
        QCOMPARE(w.folder().HeaderText(), QStringLiteral("Since 29/11/2026"));
        // "Freed" opens nothing.
        w.folder().OpenEntry(3);
        QCOMPARE(w.folder().HeaderText(), QStringLiteral("Since 29/11/2026"));

        // Refresh: a plain scan, the plain view.
        QVERIFY(w.view().OnCmdMsg(app::kIdRefresh));
        QTRY_VERIFY(!w.folder().IsBusy());
        QVERIFY(!w.folder().isComparing());
        QCOMPARE(w.folder().HeaderText(), plainHeader);
        QCOMPARE(w.legendRows(), plainRows);

        // Compared again, then the command once more: the plain view without a question.
        {
            const dialogs::ScopedModalHook hook([&](QDialog&) {
                ++asked;
                return int(QDialog::Accepted);
            });
            w.view().OnCmdMsg(app::kIdCompareWith);
            QTRY_VERIFY(!w.folder().IsBusy());
            QVERIFY(w.folder().isComparing());
            app::CCmdUI ui;
            QVERIFY(w.view().OnUpdateCmdUI(app::kIdCompareWith, ui));
            QVERIFY(ui.checked);
            w.view().OnCmdMsg(app::kIdCompareWith);
        }
        QCOMPARE(asked, 2);
        QVERIFY(!w.folder().isComparing());
    }

    void cancelledOrNothingToCompare() {
        // Cancel changes nothing; a root without snapshots says so in one box.
        Window w;
        w.view().OnCmdMsg(app::kIdKeepHistory);
        w.view().OnViewFolder();
        QTRY_VERIFY(!w.folder().IsBusy());
        {
            const dialogs::ScopedModalHook hook([](QDialog&) { return int(QDialog::Rejected); });
            w.view().OnCmdMsg(app::kIdCompareWith);
        }
        QVERIFY(!w.folder().isComparing());
        qputenv("XDG_STATE_HOME", (m_dir.path() + "/empty-state").toUtf8());
        w.view().OnCmdMsg(app::kIdCompareWith);
        qputenv("XDG_STATE_HOME", (m_dir.path() + "/state").toUtf8());
        QCOMPARE(w.boxes.texts,
                 QStringList({"There is no earlier scan of /home to compare with. Keep "
                              "History keeps one after each scan of the Folder View."}));
        QVERIFY(!w.folder().isComparing());
    }

    void typeGrowthViewAndBack() {
        // By type since the snapshot: txt +2,560,000, mp3 +1,228,800, Generic +500, bin gone.
        // Only what differs from the Folder View's growth view.
        Window w;
        w.view().OnCmdMsg(app::kIdKeepHistory);
        w.view().OnViewFileType();
        QTRY_VERIFY(!w.types().IsBusy());
        const QStringList plainRows = Window::LegendRows(w.types());
        w.compare();
        QTRY_VERIFY(!w.types().IsBusy());
        QVERIFY(w.types().isComparing());
        QVERIFY(!w.folder().isComparing());
        QCOMPARE(w.types().shownHeader(), QStringLiteral("Since 29/11/2026"));
        QCOMPARE(Window::LegendRows(w.types()),
                 QStringList({"txt +2.5 MB", "mp3 +1.2 MB", "Generic +500  B", "Freed 3.0 KB"}));
        QCOMPARE(Window::PixelAtDegrees(w.types(), 120), SliceColor(0));
        w.types().OpenEntry(0);  // a type's growth has no file list to open
        QVERIFY(w.boxes.texts.isEmpty());

        QVERIFY(w.view().OnCmdMsg(app::kIdRefresh));
        QTRY_VERIFY(!w.types().IsBusy());
        QVERIFY(!w.types().isComparing());
        QCOMPARE(w.types().shownHeader(), views::CFileTypeView::kTitle);
        QCOMPARE(Window::LegendRows(w.types()), plainRows);
    }

    void readsTheSnapshotOffTheWindowThread() {
        // The snapshot is read on the view's job: a corrupt one says why in one box, and the
        // plain view stays; the window closed mid-read stops the read.
        qputenv("XDG_STATE_HOME", (m_dir.path() + "/corrupt").toUtf8());
        platform::TestDevice then;
        app::Options home;
        home.deviceRoot = QStringLiteral("/home");
        QCOMPARE(app::KeepSnapshot(home, then, {}, kThen).exitCode, 0);
        platform::HistoryStore store;
        QString error;
        QVERIFY(store.open(&error));
        const QString file = store.pathOf(store.list("/home", nullptr).front());
        const auto out = platform::ScanOutput::open(file, error);
        QVERIFY(out->write(R"([1,2,{},[{"name":"/home"},{"name":"a","asize":x}]])") &&
                out->finish());
        auto w = std::make_unique<Window>(std::chrono::milliseconds(20));
        w->view().OnCmdMsg(app::kIdKeepHistory);
        w->view().OnViewFolder();
        QTRY_VERIFY(!w->folder().IsBusy());
        w->compare();
        QTRY_VERIFY(!w->folder().IsBusy());
        QCOMPARE(w->boxes.texts,
                 QStringList{file + ":1:47: expected a number for asize, found 'x'"});
        QVERIFY(!w->folder().isComparing());
        qputenv("XDG_STATE_HOME", (m_dir.path() + "/state").toUtf8());
        w->compare();
        QVERIFY(w->folder().isComparing() && w->folder().IsBusy());
        w.reset();
    }

    void savesOffTheWindowThread_data() {
        QTest::addColumn<QString>("target");  // "": a file in a temporary folder
        QTest::addColumn<bool>("closeMidway");
        QTest::addColumn<QString>("box");
        QTest::newRow("saved") << QString() << false << QString();
        QTest::newRow("closed mid-save") << QString() << true << QString();
        QTest::newRow("full disk")
            << "/dev/full" << false << "cannot write /dev/full: No space left on device";
    }

    void savesOffTheWindowThread() {
        // The walk and the write run on the main view's job: the window answers meanwhile,
        // a second save is refused, and closing stops it leaving nothing under the name.
        QFETCH(QString, target);
        QFETCH(bool, closeMidway);
        QFETCH(QString, box);
        const QTemporaryDir dir;
        const QString file = target.isEmpty() ? dir.filePath("saved.json") : target;
        auto w = std::make_unique<Window>(std::chrono::milliseconds(closeMidway ? 50 : 0));
        for (int i = 0; i < 40; ++i)
            w->device.addFile(QStringLiteral("\\f%1\\x.bin").arg(i), 100);
        int asked = 0;
        const platform::FileDialogHook previous =
            platform::SetFileDialogHook([&](const platform::FileDialogRequest&) {
                ++asked;
                return file;
            });
        w->frame().RouteCommand(app::kIdSaveScan);
        QVERIFY(w->view().isSaving());
        w->frame().UpdateCommandUI();
        QCOMPARE(w->action(app::kIdSaveScan)->isEnabled(), !w->view().isSaving());
        w->frame().RouteCommand(app::kIdSaveScan);  // refused while the first one runs
        platform::SetFileDialogHook(previous);
        if (closeMidway) {
            QTRY_VERIFY(w->view().isSaving() && w->frame().statusBar()->isVisible() &&
                        w->frame().statusBar()->currentMessage().contains("\\f"));
            w.reset();
            QCOMPARE(
                QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                QStringList());
            return;
        }
        QTRY_VERIFY(!w->view().isSaving());
        QCOMPARE(asked, 1);
        QCOMPARE(w->boxes.texts, box.isEmpty() ? QStringList() : QStringList{box});
        if (!box.isEmpty())
            return;
        QCOMPARE(w->frame().statusBar()->currentMessage(), QStringLiteral("Saved saved.json"));
        // What --export writes of the same device, its time aside.
        const QString exported = dir.filePath("exported.json");
        QVERIFY(!app::SaveScan(w->device, u"\\", exported, {}));
        const auto bytes = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly)
                       ? QString::fromUtf8(f.readAll())
                             .replace(QRegularExpression("\"timestamp\":\\d+"), "")
                       : QString();
        };
        QVERIFY(bytes(file).contains("{\"name\":\"x.bin\",\"asize\":100,"));
        QCOMPARE(bytes(file), bytes(exported));
    }
};

QTEST_MAIN(TestCompareWith)
#include "tst_compare_with.moc"
