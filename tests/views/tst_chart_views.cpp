// The Folder View and the File Type View on an in-memory device, and the details they open.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "charts/legend_list.h"
#include "charts/point_font.h"
#include "dialogs/file_list_dlg.h"
#include "dialogs/file_types_dlg.h"
#include "dialogs/folder_details_dlg.h"
#include "dialogs/folder_files_dlg.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
#include "engine/text.h"
#include "support/chart_host.h"
#include "support/overview_figures.h"

using namespace dovrane;
using test::Rgb;
using views::CFileTypeView;
using views::CFolderView;

namespace {

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;

using Host = test::ChartHost;

}  // namespace

class TestChartViews : public QObject {
    Q_OBJECT

private slots:
    void pieAndLegend() {
        for (const auto& [types, names] :
             {std::pair(false, "A,B,\"In Folder\""), {true, "txt,jpg,Generic"}}) {
            Host h;  // 500, 300 and 200 bytes: slices 0-180, 180-288 and 288-360
            h.device.addFile(u"\\A\\x.txt", 500).addFile(u"\\B\\y.jpg", 300).addFile(u"\\c", 200);
            h.Open(types);
            QCOMPARE((QList<QRgb>{h.Pixel(h.At(90, 50)), h.Pixel(h.At(234, 50)),
                                  h.Pixel(h.At(324, 50)), h.Pixel(h.At(45, 75))}),
                     (QList<QRgb>{Rgb(0x0000FF), Rgb(0x008000), Rgb(0x00FFFF), kWhite}));
            QStringList legend;
            for (int i = 0; i < h.view->legendList()->owner()->legendEntryCount(); ++i)
                legend << h.view->legendList()->owner()->legendEntryName(i);
            QCOMPARE(legend.join(u','), QString::fromUtf8(names));
            QVERIFY(h.Shows(QRect(0, 0, 240, 15), Rgb(0xFF0000)));  // the blue header
            QVERIFY(h.Control(views::kIdDetails)->isVisible() &&
                    !h.Control(views::kIdProcessing)->isVisible() &&
                    !h.Control(views::kIdProgress)->isVisible());
        }
    }

    void folderTaps() {
        // A legend row, or -1 for the pie at angle and radius; the header and file lists then.
        const QString root = QStringLiteral(" \\Pocket PC");
        const QStringList none, inRoot{QStringLiteral("\\Pocket PC")};
        const std::tuple<int, double, int, QString, QStringList> taps[] = {
            {-1, 90.0, 40, " \\A", none}, {-1, 324.0, 20, root, inRoot},
            {-1, 90.0, 71, root, none},  // outside the circle
            {1, 0.0, 0, " \\B", none},    {2, 0.0, 0, root, inRoot},
            {3, 0.0, 0, root, none}};
        for (const auto& [row, angle, radius, header, opened] : taps) {
            Host h;
            h.device.addFile(u"\\A\\x", 500).addFile(u"\\B\\y", 300).addFile(u"\\c", 200);
            h.Open(false);
            row < 0 ? h.Tap(angle, radius) : h.TapRow(row);
            QCOMPARE(std::tuple(row, angle, radius, h.folder().HeaderText(), h.opened),
                     std::tuple(row, angle, radius, header, opened));
        }
    }

    void walkingTheFolderTree() {
        Host h;
        h.device.addFile(u"\\Docs\\Work\\a.doc", 10);
        h.Open(false);
        CFolderView& view = h.folder();
        view.GoToParent();  // at the root: nothing
        QCOMPARE(view.currentFolder(), view.rootFolder());
        view.GoToPath(QStringLiteral("\\docs\\work"));  // folded by the caller
        view.GoToPath(QStringLiteral("\\nowhere"));     // no such folder: stays
        QCOMPARE(view.HeaderText(), QStringLiteral(" \\Docs \\Work"));
        view.StartScan();  // Refresh: the root again, whatever was shown
        QTRY_VERIFY(!view.IsBusy());
        QCOMPARE(view.HeaderText(), QStringLiteral(" \\Pocket PC"));
    }

    void nothingToShow() {
        // A folder without entries, a pending path of no folder, and no files for types.
        for (const auto& [types, pending, header] :
             {std::tuple(false, "\\empty", " \\Empty"), {false, "\\gone", ""}, {true, "", ""}}) {
            Host h;
            h.device.addFolder(u"\\Empty");
            h.Open(types);
            if (!types) {
                h.folder().pendingPath = QString::fromLatin1(pending);
                h.view->StartScan();
                QTRY_VERIFY(!h.view->IsBusy());
                QCOMPARE(h.folder().HeaderText(), QString::fromLatin1(header));
            }
            QCOMPARE(h.view->pieChart().sliceCount(), 0);
            QCOMPARE(charts::LegendRowCount(*h.view->legendList()->owner()), 0);
            h.Tap(0, 0);
            QVERIFY(h.opened.isEmpty());
            // The folder view writes "Empty Folder" in red; the type view keeps the bare circle.
            QCOMPARE(h.Shows(QRect(0, 90, 240, 15), Rgb(0x0000FF)), !types);
            QCOMPARE(h.Pixel(h.At(90, 70)) == kBlack, types);
        }
    }

    void slicesAndRowsAtN() {
        // Types, entries, the empty ones, whether slice and row N-1 (N = 5) open: N + 1 folders
        // and N + 2 types fold into Other; with Other empty, that row names a type.
        for (const auto& [types, entries, empty, opens] : {std::tuple(false, 5, 0, true),
                                                           {false, 6, 0, false},
                                                           {true, 7, 0, false},
                                                           {true, 7, 3, true}}) {
            Host h;
            h.settings.numberOfSlices = 5;
            for (int i = 0; i < entries; ++i)  // falling sizes from 100, the last `empty` 0
                h.device.addFile(QString(types ? "\\f%1.t%1" : "\\d%1\\f").arg(i),
                                 i >= entries - empty ? 0 : 100 - quint64(i));
            h.Open(types);
            QCOMPARE(h.view->pieChart().sliceCount(), empty > 0 ? 4 : 5);
            if (empty == 0)
                h.Tap((h.view->pieChart().slices()[4].startAngle + 360) / 2.0, 50);  // the last
            if (!types)
                h.folder().GoToParent();
            h.TapRow(4);
            const QString expected = types ? QStringLiteral("t4") : QStringLiteral(" \\d4");
            if (types)
                QCOMPARE(h.opened,
                         opens ? QStringList(empty > 0 ? 1 : 2, expected) : QStringList{});
            else
                QCOMPARE(h.folder().HeaderText(),
                         opens ? expected : QStringLiteral(" \\Pocket PC"));
        }
    }

    // Beyond the design's size the pie takes the room the layout leaves, the legend beside it
    // when wide, with no large empty band; back at the design's size it is drawn again,
    // neither rescanned nor moved.
    void piesUseTheRoom() {
        for (const auto& [types, size, radius, beside] :
             {std::tuple(false, QSize(1920, 1054), 511, true),
              {true, {1920, 1054}, 517, true},
              {false, {240, 600}, 115, false}}) {
            const test::Case name(QStringLiteral("%1 %2").arg(types).arg(size.width()));
            Host h;
            h.device.addFile(u"\\A\\x.txt", 500).addFile(u"\\B\\y.jpg", 300).addFile(u"\\c", 200);
            h.Open(types, 0, size);
            const views::ChartViewLayout layout = h.view->currentLayout();
            QCOMPARE(h.view->pieChart().radius(), radius);
            const QRect pie(layout.chartTopLeft, QSize(2 * radius, 2 * radius));
            QVERIFY(QRect(QPoint(0, 0), size).contains(pie) && !pie.intersects(layout.legend));
            QCOMPARE(layout.legend.x() > pie.right(), beside);
            QCOMPARE(h.Pixel(h.At(90, radius - 4)), Rgb(0x0000FF));  // slice 0 reaches the rim
            QCOMPARE(h.Pixel(h.At(90, radius + 3)), kWhite);
            const QRect used = pie.united(layout.legend);
            QVERIFY(used.width() >= size.width() * 9 / 10 || size.width() <= 240);
            QVERIFY(used.bottom() >= size.height() - 3 && layout.legend.height() >= 120);
            if (!types)
                h.folder().GoToPath(QStringLiteral("\\a"));
            h.view->resize(240, 294);
            QCOMPARE(h.view->pieChart().radius(), 70);
            QCOMPARE(h.view->scanCount(), 1);
            QVERIFY(types || h.folder().HeaderText() == QStringLiteral(" \\A"));
        }
    }

    // A title is whole, or elided in the middle; no line is wider than the view and the pie
    // moves down, whole, below a title of three lines or more.
    void longTitlesFit() {
        QString deep;
        for (int i = 1; i <= 20; ++i)
            deep += QStringLiteral("\\Level %1").arg(i, 2, 10, QChar(u'0'));
        for (const auto& [path, elided] :
             {std::pair(QStringLiteral("\\Docs"), false),
              {QStringLiteral("\\Documents and Settings\\Application Data\\Microsoft "
                              "Corporation\\Internet Explorer"),
               false},
              {deep, true},
              {"\\" + QString(255, u'n'), true}}) {
            const test::Case name(path.left(30));
            Host h;
            h.device.addFile(path + "\\f", 10);
            h.Open(false);
            h.folder().GoToPath(engine::FoldCase(path));
            const QString shown = h.view->shownHeader();
            QCOMPARE(shown.contains(QChar(0x2026)), elided);
            QCOMPARE(shown == h.folder().HeaderText(), !elided);
            const views::ChartViewLayout layout = h.view->currentLayout();
            const QRect box =
                QFontMetrics(charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5, true))
                    .boundingRect(QRect(0, 0, 240, 1000),
                                  Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, shown);
            QVERIFY(box.width() <= 240 && box.height() <= layout.header.height());
            // The design's 30-pixel band overlaps the pie's top by 3 pixels; so may a taller one.
            QCOMPARE(layout.chartTopLeft.y(), std::max(27, box.height() - 3));
            QCOMPARE(h.Pixel(h.At(90, 60)), Rgb(0x0000FF));
        }
    }

    void keysReachTheChart() {
        Host h;
        h.device.addFile(u"\\A\\x", 500).addFile(u"\\B\\y", 300).addFile(u"\\c", 200);
        h.Open(false);
        h.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h.window));
        // Tab: the pie, the legend, then Details.
        h.view->setFocus(Qt::TabFocusReason);
        QVERIFY(h.view->hasFocus());
        QTest::keyClick(h.view.get(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.view->legendList());
        QTest::keyClick(h.view->legendList(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.Control(views::kIdDetails));
        // The arrows walk the slices round; Enter taps the ringed one.
        h.view->setFocus(Qt::TabFocusReason);
        QTest::keyClick(h.view.get(), Qt::Key_Left);
        QCOMPARE(h.view->focusSlice(), 2);
        QTest::keyClick(h.view.get(), Qt::Key_Right);
        QTest::keyClick(h.view.get(), Qt::Key_Right);
        QCOMPARE(h.view->focusSlice(), 1);
        QTest::keyClick(h.view.get(), Qt::Key_Return);
        QCOMPARE(h.folder().HeaderText(), QStringLiteral(" \\B"));
        // The legend: Down to the third row ("In Folder"), Enter opens the folder's files.
        h.folder().GoToParent();
        h.view->legendList()->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 3; ++i)  // the last: no row below, it stays
            QTest::keyClick(h.view->legendList(), Qt::Key_Down);
        QCOMPARE(h.view->legendList()->focusRow(), 2);
        QTest::keyClick(h.view->legendList(), Qt::Key_Enter);
        QCOMPARE(h.opened, QStringList{QStringLiteral("\\Pocket PC")});
    }

    void whileAScanRuns() {
        // How the walk's folders begin in the progress line.
        for (const auto& [types, progress] : {std::pair(false, " \\d"), {true, "\\d"}}) {
            Host h;
            for (int i = 0; i < 1000; ++i)  // 20 s at least, at 20 ms a folder
                h.device.addFile(QStringLiteral("\\d%1\\f.txt").arg(i), 10);
            h.Open(types, 20);
            const auto* processing = qobject_cast<QLabel*>(h.Control(views::kIdProcessing));
            const auto* label = qobject_cast<QLabel*>(h.Control(views::kIdProgress));
            QVERIFY(h.view->IsBusy() && processing->isVisible() && label->isVisible());
            QCOMPARE(processing->text(), QStringLiteral("Processing"));
            QVERIFY(!h.Control(views::kIdDetails)->isVisible());
            // The busy disc, red and black only, also when the view grows during the scan.
            for (const QSize size : {QSize(900, 700), QSize(240, 294)}) {
                h.view->resize(size);
                const views::ChartViewLayout at = h.view->currentLayout();
                const QPoint inDisc = at.discTopLeft + QPoint(at.spinRadius, at.spinRadius / 2);
                QVERIFY(QList<QRgb>({Rgb(0x0000FF), kBlack}).contains(h.Pixel(inDisc)));
            }
            // Refresh starts no second scan; a folder asked for waits; taps open nothing.
            h.view->StartScan();
            QCOMPARE(h.view->scanCount(), 1);
            if (!types) {
                h.folder().GoToPath(QStringLiteral("\\d3"));
                QCOMPARE(h.folder().pendingPath, QStringLiteral("\\d3"));
            }
            h.Tap(0, 0);
            QVERIFY(h.opened.isEmpty());
            QVERIFY(!h.view->legendList()->owner()->legendHasData());        // rows deaf too
            QTRY_VERIFY(label->text().startsWith(QLatin1String(progress)));  // moved on
            QCOMPARE(h.Pixel(h.At(200, 60)), kWhite);                        // no pie
            // Closing stops the walk at the next folder: one may open before the stop, one after.
            QTRY_VERIFY(h.device.openCount() >= 3);
            const int openedAtClose = h.device.openCount();
            h.view.reset();
            QVERIFY2(h.device.openCount() - openedAtClose <= 2,
                     qPrintable(QString::number(h.device.openCount() - openedAtClose)));
        }
    }

    // Folder Details walking the tree and handing a folder back to the Folder View.
    void folderDetailsWalksDownAndUp() {
        // \a (50 in a\x, 150 in a's own files), \b (800), 0 bytes in the root's own files.
        platform::TestDevice device;
        device.addFile(u"\\a\\x\\f", 50).addFile(u"\\a\\g", 150).addFile(u"\\b\\h", 800);
        device.addFile(u"\\empty", 0);
        engine::FolderTree tree;
        engine::ScanFolder(device, tree, 16, {});
        dialogs::CFolderDetailsDlg dialog(&device);
        const engine::FolderNode* root = tree.root();
        dialog.SetFolder(root, root, engine::kRootDisplayPath);
        // No "In Folder" where the folder's own files hold no bytes.
        QCOMPARE(test::Rows(dialog.list()->model()),
                 QStringList({"b|800  B|80.0|80.0", "a|200  B|20.0|20.0"}));
        dialog.OnRowClick(1);  // into \a: its entries smallest first
        QCOMPARE(test::Rows(dialog.list()->model()),
                 QStringList({"x|50  B|25.0|5.0", "\"In Folder\"|150  B|75.0|15.0"}));
        QStringList shown;  // "In Folder" opens the folder's own files and stays
        dialogs::ScopedModalHook hook([&](QDialog& opened) {
            shown << test::Rows(dynamic_cast<dialogs::CFolderFilesDlg&>(opened).list()->model(), 0);
            return int(QDialog::Rejected);
        });
        dialog.OnRowClick(1);
        QCOMPARE(shown, QStringList{"g"});
        QCOMPARE(dialog.currentFolderLabel()->text(), QStringLiteral(" \\a"));
        emit dialog.list()->columnClicked(0);  // A..Z: quotes sort first
        QCOMPARE(test::Rows(dialog.list()->model()).first(), "\"In Folder\"|150  B|75.0|15.0");
        QTest::mouseClick(dialog.upButton(), Qt::LeftButton);  // up, then Z..A
        QCOMPARE(dialog.m_pCurrent, root);
        QCOMPARE(test::Rows(dialog.list()->model()).first(), "b|800  B|80.0|80.0");
        dialog.OnUp();  // at the root nothing happens
        QCOMPARE(dialog.m_pCurrent, root);
        emit dialog.list()->columnClicked(3);  // Tot % does not sort
        QCOMPARE(test::Rows(dialog.list()->model()).first(), "b|800  B|80.0|80.0");
        // OK sits over the header line: a click there must reach it.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QWidget* ok = dialogs::GetDlgItem(&dialog, dialogs::kIdOk);
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, ok->geometry().center());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void okShowsTheFolderInTheView() {
        test::ChartHost h;
        h.device.addFile(u"\\a\\x\\f", 50).addFile(u"\\b\\h", 800);
        h.Open(false);
        views::CFolderView& view = h.folder();
        int result = QDialog::Rejected;
        dialogs::ScopedModalHook hook([&](QDialog& d) {
            dynamic_cast<dialogs::CFolderDetailsDlg&>(d).OnRowClick(0);  // \b
            return result;
        });
        view.OpenFolderDetails();
        QCOMPARE(view.currentFolder(), view.rootFolder());
        result = QDialog::Accepted;
        view.OpenFolderDetails();
        QCOMPARE(engine::BuildFolderPath(view.currentFolder()), QStringLiteral("\\b"));
    }

    // File Types listing every type, sorting by name and opening its File List.
    void fileTypesListsEveryType() {
        test::ChartHost h;
        for (int i = 0; i < 30; ++i)
            h.device.addFile(QStringLiteral("\\f%1.t%1").arg(i), 100 - static_cast<quint64>(i));
        h.device.addFile(u"\\noext", 1).addFile(u"\\dot.", 1);
        h.Open(true);
        QString listed;
        dialogs::ScopedModalHook hook([&](QDialog& d) {
            if (auto* types = dynamic_cast<dialogs::CFileTypesDlg*>(&d)) {
                const QStringList rows = test::Rows(types->list()->model());
                listed = QString::number(rows.size()) + u' ' + rows.first() + u' ' + rows.last();
                for (int tap = 0; tap < 2; ++tap) {  // A..Z, then Z..A
                    emit types->list()->columnClicked(0);
                    listed += u',' + test::Rows(types->list()->model()).first().section(u'|', 0, 0);
                }
                types->OnRowClick(1);  // opens the File List of the row shown: t8
            } else {
                auto& files = dynamic_cast<dialogs::CFileListDlg&>(d);
                listed += u' ' + files.m_pTypeStat->name + u':' +
                          files.list()->model()->index(0, 0).data().toString();
            }
            return int(QDialog::Rejected);
        });
        h.types().OpenFileTypes();
        const quint64 total = (100 + 71) * 30 / 2 + 2;
        QCOMPARE(listed, QStringLiteral("32 t0|100  B|%1 |1  B|%2,,t9 t8:f8.t8")
                             .arg(engine::ShareText(100, total), engine::ShareText(1, total)));
    }
};

QTEST_MAIN(TestChartViews)
#include "tst_chart_views.moc"
