// The search dialogs and the Databases dialog: rows, header taps, Delete texts, closing.

#include <sys/stat.h>

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "app/reports.h"
#include "dialogs/databases_dlg.h"
#include "dialogs/file_operations.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/largest_files_dlg.h"
#include "dialogs/modal.h"
#include "platform/host_device.h"
#include "platform/shell.h"
#include "support/probes.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"
#include "support/test_device.h"

using namespace dovrane;
using dialogs::CDatabasesDlg;
using dialogs::CLargestFilesDlg;

namespace {

// Duplicate Files (or Identical Files) over the whole device, its search done.
void ShowGrouped(CLargestFilesDlg& dlg) {
    dlg.setStartFolder(QStringLiteral("\\"));
    dlg.show();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.IsSearching(), 5000);
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
}

}  // namespace

class TestSearchDlgs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }

    // The files in the order found, or each group under its header row (equal sizes of other
    // bytes and empty files are none); the first file deleted goes alone.
    void searchRows_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("removed");
        // A search begun before the dialog (as for a picture of it): none, for the dialog's
        // own mode and start folder (taken over), or from the root (not the dialog's).
        QTest::addColumn<QString>("early");
        using M = dialogs::SearchMode;
        QTest::newRow("largest")
            << int(M::Largest) << "\\"
            << "Largest Files"
            << QString("big.iso only.doc only.DOC readme.txt README.TXT Readme.txt empty empty")
                   .split(u' ')
            << "\\Docs\\big.iso" << QString();
        for (const QString& early : {QString(), QStringLiteral("\\")})
            QTest::newRow(early.isNull() ? "duplicates" : "duplicates; another search begun")
                << int(M::Duplicates) << "\\Docs"
                << "Duplicate Files" << QStringList{"Readme.txt", "Readme.txt", "README.TXT"}
                << "\\Docs\\sub\\Readme.txt" << early;
        for (const QString& early : {QString(), QStringLiteral("\\")})
            QTest::newRow(early.isNull() ? "identical" : "identical; taken over when begun")
                << int(M::Identical) << "\\"
                << "Identical: 4.9 KB wasted"
                << QStringList{"2 files of 4.9 KB, 4.9 KB wasted", "big.iso",    "only.doc",
                               "2 files of 10  B, 10  B wasted",   "readme.txt", "README.TXT"}
                << "\\Docs\\big.iso" << early;
    }

    void searchRows() {
        QFETCH(int, mode);
        QFETCH(QString, start);
        QFETCH(QString, header);
        QFETCH(QStringList, rows);
        QFETCH(QString, removed);
        QFETCH(QString, early);
        platform::TestDevice dev;
        for (const auto& [path, fill, size] : {std::tuple(u"\\readme.txt", 'r', 10),
                                               {u"\\Docs\\big.iso", 'b', 5000},
                                               {u"\\Docs\\README.TXT", 'r', 10},
                                               {u"\\Docs\\sub\\Readme.txt", 'r', 7},
                                               {u"\\Docs\\sub\\only.doc", 'b', 5000},
                                               {u"\\Temp\\only.DOC", 'z', 5000},
                                               {u"\\Temp\\empty", 'e', 0},
                                               {u"\\empty", 'e', 0}})
            dev.addFile(path, quint64(size)).setContent(path, QByteArray(size, fill));
        std::shared_ptr<engine::EarlyFileSearch> begun;
        if (!early.isNull())
            begun = std::make_shared<engine::EarlyFileSearch>(
                engine::FileSearchWork{.device = &dev,
                                       .start = early,
                                       .largest = false,
                                       .sameContent = mode == int(dialogs::SearchMode::Identical)},
                engine::ScanJob::Options{});
        CLargestFilesDlg dlg(&dev, dialogs::SearchMode(mode), {}, nullptr, begun);
        dlg.setStartFolder(start);
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.IsSearching(), 5000);
        QVERIFY(dlg.list()->isVisible());
        QCOMPARE(dlg.header()->text(), header);
        QCOMPARE(dlg.windowTitle(), header.startsWith(u"Identical") ? "Identical Files" : header);
        QCOMPARE(dlg.startFolder(), start == u"\\" ? "\\Pocket PC" : " " + start);
        QCOMPARE(test::Rows(dlg.list()->model(), 0), rows);
        if (mode == int(dialogs::SearchMode::Identical))  // the report's groups are the same
            QCOMPARE(
                app::RunReport(app::ParseCommandLine({"--report", "identical"}).options, dev, {})
                    .output,
                QByteArray("2 files of 4.9 KB, 4.9 KB wasted\n"
                           "File        Size  Folder\n"
                           "big.iso   4.9 KB  \\Docs\n"
                           "only.doc  4.9 KB  \\Docs\\sub\n\n"
                           "2 files of 10  B, 10  B wasted\n"
                           "File         Size  Folder\n"
                           "readme.txt  10  B\n"
                           "README.TXT  10  B  \\Docs\n\n"
                           "Wasted: 4.9 KB (5010 bytes)\n"));
        if (mode == int(dialogs::SearchMode::Largest)) {  // no sorting: the order found
            dlg.list()->horizontalHeader()->sectionClicked(1);
            QCOMPARE(test::Rows(dlg.list()->model(), 0), rows);
        }
        test::RecordedBoxes boxes;
        const int first = mode == int(dialogs::SearchMode::Largest) ? 0 : 1;
        dlg.list()->SelectRow(first);
        dlg.operations()->OnCommand(dialogs::kIdDelete);
        QCOMPARE(boxes.texts.size(), 1);  // the confirmation only
        QCOMPARE(dev.removed(), QStringList{removed});
        rows.removeAt(first);
        if (mode == int(dialogs::SearchMode::Identical)) {
            rows[0] = QStringLiteral("1 file of 4.9 KB, 0  B wasted");
            QCOMPARE(dlg.title(), "Identical: 10  B wasted");
        }
        QCOMPARE(test::Rows(dlg.list()->model(), 0), rows);
    }

    // Row name: the taps on the columns. Groups stay whole, largest waste first as it stands.
    void groupsSortWithin_data() {
        QTest::addColumn<QStringList>("rows");
        const QString p = "2 files of 2.9 KB, 2.9 KB wasted",
                      q = "2 files of 1.5 KB, 1.5 KB wasted";
        QTest::newRow("") << QStringList{q, "m", "n", p, "x", "y"};
        QTest::newRow("0") << QStringList{p, "x", "y", q, "m", "n"};
        QTest::newRow("0 0") << QStringList{p, "y", "x", q, "n", "m"};
        QTest::newRow("2") << QStringList{p, "y", "x", q, "n", "m"};
    }
    void groupsSortWithin() {
        QFETCH(QStringList, rows);
        platform::TestDevice dev;
        // In folders that order the other way round from the names.
        for (const auto& [path, size, fill] : {std::tuple{u"\\d\\x", 3000, 'p'},
                                               {u"\\c\\y", 3000, 'p'},
                                               {u"\\b\\m", 1500, 'q'},
                                               {u"\\a\\n", 1500, 'q'},
                                               {u"\\e\\o", 1500, 'q'},
                                               {u"\\f\\k", 1500, 'q'}})
            dev.addFile(path, quint64(size)).setContent(path, QByteArray(size, fill));
        CLargestFilesDlg dlg(&dev, dialogs::SearchMode::Identical);
        ShowGrouped(dlg);
        QCOMPARE(test::Rows(dlg.list()->model(), 0).first(), "4 files of 1.5 KB, 4.4 KB wasted");
        QCOMPARE(dlg.title(), "Identical: 7.3 KB wasted");
        test::RecordedBoxes boxes;
        for (const QString name : {"o", "k"})
            dlg.list()->SelectRow(
                static_cast<int>(test::Rows(dlg.list()->model(), 0).indexOf(name)));
        dlg.operations()->OnDelete();
        QCOMPARE(dlg.title(), "Identical: 4.4 KB wasted");
        const QString tag = QString::fromUtf8(QTest::currentDataTag());
        for (const QString& tap : tag.split(u' ', Qt::SkipEmptyParts))
            dlg.list()->horizontalHeader()->sectionClicked(tap.toInt());
        QCOMPARE(test::Rows(dlg.list()->model(), 0), rows);
    }

    // The header row is grey across the row and selects nothing; groups stay in name order.
    void duplicateGroupsSortWithin() {
        platform::TestDevice dev;
        dev.addFile(u"\\a\\x.txt", 5).addFile(u"\\b\\x.txt", 9).addFile(u"\\c\\x.txt", 1);
        dev.addFile(u"\\a\\y", 2).addFile(u"\\b\\y", 3).addFile(u"\\c\\z", 3);
        CLargestFilesDlg dlg(&dev, dialogs::SearchMode::Duplicates);
        ShowGrouped(dlg);
        QCOMPARE(dlg.title(), "Duplicate Files");
        dialogs::CHoldListCtrl* list = dlg.list();
        const QRect folder = list->visualRect(list->model()->index(0, 2));
        const QImage shot = list->viewport()->grab().toImage();
        QCOMPARE(test::PixelAt(shot, folder.topLeft() + QPoint(2, 1)), 0xE8E8E8u);
        QCOMPARE(test::PixelAt(
                     shot, list->visualRect(list->model()->index(1, 2)).topLeft() + QPoint(2, 1)),
                 0xFFFFFFu);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, folder.center());
        QCOMPARE(list->SelectedCount(), 0);
        const auto sizes = [&] { return test::Rows(dlg.list()->model(), 1).join(u','); };
        dlg.list()->horizontalHeader()->sectionClicked(1);
        QCOMPARE(test::Rows(dlg.list()->model(), 0),
                 QStringList({"x.txt", "x.txt", "x.txt", "x.txt", "y", "y", "y"}));
        QCOMPARE(sizes(), ",9  B,5  B,1  B,,3  B,2  B");
        dlg.list()->horizontalHeader()->sectionClicked(1);
        QCOMPARE(sizes(), ",1  B,5  B,9  B,,2  B,3  B");
        dlg.list()->horizontalHeader()->sectionClicked(2);
        QCOMPARE(test::Rows(dlg.list()->model(), 2).join(u','), ",\\a,\\b,\\c,,\\a,\\b");
    }

    // Row name: what is done with the header row of "x" (row 0) selected, alone or with a
    // file. A header row names no file: nothing opens, shows, asks for or removes it.
    void headerRowsNameNoFile_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("removed");
        const QStringList all{"x", "x", "x", "y", "y", "y"}, none;
        const QString one =
            "Are you sure you want to delete the selected file? The deleted "
            "file cannot be retrieved.";
        QTest::newRow("delete, with a file")
            << QList<int>{0, 4} << QStringList{one} << QStringList{"x", "x", "x", "y", "y"}
            << QStringList{"\\b\\y"};
        QTest::newRow("delete") << QList<int>{0}
                                << QStringList{"Please select one or more items to delete."} << all
                                << none;
        QTest::newRow("select all, delete")
            << QList<int>{0}
            << QStringList{"Are you sure you want to delete all the selected 4 files? The "
                           "deleted files cannot be retrieved."}
            << QStringList{} << QStringList{"\\b\\x", "\\a\\x", "\\b\\y", "\\a\\y"};
        for (const char* tag : {"open", "properties", "key properties", "menu", "double tap"})
            QTest::newRow(tag) << QList<int>{0} << QStringList{} << all << none;
        // With a file: its dialog, not the header row's.
        QTest::newRow("properties, with a file")
            << QList<int>{0, 1} << QStringList{} << all << none;
    }
    void headerRowsNameNoFile() {
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, removed);
        platform::TestDevice dev;
        dev.addFile(u"\\a\\x", 1).addFile(u"\\b\\x", 1).addFile(u"\\a\\y", 1).addFile(u"\\b\\y", 1);
        CLargestFilesDlg dlg(&dev, dialogs::SearchMode::Duplicates);
        ShowGrouped(dlg);
        dialogs::CHoldListCtrl* list = dlg.list();
        const QString tag = QString::fromUtf8(QTest::currentDataTag());
        // As a range from the keyboard or a drag would take it, header row and all.
        for (const int row : selected)
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QStringList shown;
        dialogs::ScopedModalHook modal([&](QDialog&) {
            shown << "dialog";
            return int(QDialog::Accepted);
        });
        dialogs::ScopedPopupMenuHook menu([&](QMenu&, QPoint) -> QAction* {
            shown << "menu";
            return nullptr;
        });
        platform::ScopedLauncher launcher([&](const platform::LaunchRequest&) {
            shown << "launch";
            return true;
        });
        test::RecordedBoxes recorded;
        const QPoint header = list->visualRect(list->model()->index(0, 2)).center();
        if (tag.startsWith(u"select all"))
            dlg.operations()->OnSelectAll();
        if (tag.contains(u"delete"))
            dlg.operations()->OnDelete();
        else if (tag == u"open")
            dlg.operations()->OnOpen();
        else if (tag.startsWith(u"properties"))
            dlg.operations()->OnProperties();
        else if (tag == u"key properties")
            dlg.operations()->OnKey(dialogs::kIdProperties);
        else if (tag == u"menu")
            emit list->tapHold(header);
        else if (tag == u"double tap")
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, header);
        QCOMPARE(shown, tag == u"properties, with a file" ? QStringList{"dialog"} : QStringList{});
        QCOMPARE(recorded.texts, boxes);
        QCOMPARE(test::Rows(list->model(), 0), rows);
        QCOMPARE(dev.removed(), removed);  // nothing but the confirmed files
    }

    // Closing during a slow walk stops it at the next folder and frees nothing in use.
    void closeMidSearch() {
        platform::TestDevice dev;
        for (int i = 0; i < 200; ++i)
            dev.addFile(QStringLiteral("\\f%1\\file").arg(i), quint64(i));
        // 4 s for the whole walk.
        auto dlg = std::make_unique<CLargestFilesDlg>(
            &dev, dialogs::SearchMode::Largest,
            dialogs::SearchPace{.pace = std::chrono::milliseconds(20), .threads = 1});
        dlg->setStartFolder(QStringLiteral("\\"));
        dlg->show();
        QTRY_VERIFY(dev.openCount() >= 3);
        QVERIFY(dlg->IsSearching() && !dlg->list()->isVisible());
        const int openedAtClose = dev.openCount();
        dlg->reject();
        dlg.reset();
        // One folder may be opened between the count and the stop, and one after it.
        QVERIFY2(dev.openCount() - openedAtClose <= 2,
                 qPrintable(QString::number(dev.openCount() - openedAtClose)));
        QTest::qWait(10);  // a late queued result would land here
    }

    // Met b, X, x, c; b and c the larger; c newest, X and x oldest.
    void databaseSorts() {
        test::TempTree t;
        // One folder a database: the folders' order is the order met.
        QStringList folders;
        for (const QString db : {"1/b 2000", "2/X 1000", "3/x 1000", "4/c 3000"}) {
            const std::string path = t.host(db.left(3).toStdString() + ".db");
            t.folder(db.left(1).toStdString());
            folders << t.root() + u'/' + db[0];
            const bool big = db[2] == u'b' || db[2] == u'c';
            QVERIFY(test::MakeDatabase(
                path, big ? "CREATE TABLE t(x); CREATE TABLE u(x)" : "CREATE TABLE t(x)"));
            const timespec ts[2] = {{db.mid(4).toInt(), 0}, {db.mid(4).toInt(), 0}};
            QVERIFY(::utimensat(AT_FDCWD, path.c_str(), ts, 0) == 0);
        }
        // The taps, the names then: by name with equal names last-met first, Z to A; by size
        // and newest first with ties in the order met; a records tap changes nothing.
        for (const auto& [taps, names] : {std::pair(QList<int>{}, "b c x X"),
                                          {{0}, "X x c b"},
                                          {{1}, "b c X x"},
                                          {{2}, "b c x X"},
                                          {{3}, "c b X x"},
                                          {{3, 3, 0}, "X x c b"}}) {
            CDatabasesDlg dlg(folders, t.root());
            dlg.show();
            for (const int column : taps)
                dlg.list()->horizontalHeader()->sectionClicked(column);
            QCOMPARE(test::Rows(dlg.list()->model(), 0).join(u' ').remove(QStringLiteral(".db")),
                     QString::fromLatin1(names));
        }
    }

    // Only true databases, no links followed; Delete grayed for two, refused while held.
    void databasesReportAndDelete() {
        test::TempTree t;
        for (const char* folder : {"store", "store/app", "elsewhere"})
            t.folder(folder);
        const std::string a = t.host("store/app/a.db"), b = t.host("store/B.sqlite");
        QVERIFY(test::MakeDatabase(a, "CREATE TABLE t(x); INSERT INTO t VALUES (1),(2)"));
        QVERIFY(test::MakeDatabase(t.host("elsewhere/c.db"), "CREATE TABLE t(x)"));
        test::WriteBytes(b, QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\1'));
        test::WriteBytes(b + "-journal", {});
        test::WriteBytes(t.host("store/fake.sqlite"), "this is not a database at all");
        test::WriteBytes(t.host("store/short.db"), QByteArray("SQLite format 3", 15));  // no NUL
        test::WriteBytes(t.host("store/orphan.db-wal"),
                         QByteArray("\x37\x7f\x06\x82", 4).repeated(8));
        QVERIFY(::symlink(t.host("elsewhere/c.db").c_str(), t.host("store/link.db").c_str()) == 0);
        QVERIFY(::symlink(t.host("elsewhere").c_str(), t.host("store/linked").c_str()) == 0);
        struct stat sa = {}, sb = {};
        const timespec at1305[2] = {{47100, 0}, {47100, 0}};  // 1970-01-01 13:05 UTC
        QVERIFY(::utimensat(AT_FDCWD, a.c_str(), at1305, 0) == 0 && ::stat(a.c_str(), &sa) == 0);
        QVERIFY(::utimensat(AT_FDCWD, b.c_str(), at1305, 0) == 0 && ::stat(b.c_str(), &sb) == 0);
        platform::HostDevice dev(t.root());
        const QString store = t.root() + "/store";
        const auto parsed =
            app::ParseCommandLine({"--report", "databases", "--format", "json", "--object-store",
                                   store, "--object-store", t.root() + "/missing", t.root()});
        QCOMPARE(
            QString::fromUtf8(app::RunReport(parsed.options, dev, {}).output),
            QStringLiteral(
                R"({"unreadable_folders": 0, "databases": [{"name": "app/a.db", "path": "\\store\\app\\a.db", )"
                R"("bytes": %1, "records": 2, "modified": "1970-01-01T13:05:00", )"
                R"("modified_text": "1/1/1970 1:05 PM", "oid": "%2:%3"}, )"
                R"({"name": "B.sqlite", "path": "\\store\\B.sqlite", "bytes": 116, )"
                R"("records": null, "modified": "1970-01-01T13:05:00", )"
                R"("modified_text": "1/1/1970 1:05 PM", "oid": "%2:%4"}]})"
                "\n")
                .arg(QString::number(sa.st_size), QString::number(sa.st_dev),
                     QString::number(sa.st_ino), QString::number(sb.st_ino)));
        CDatabasesDlg dlg({store}, t.root());
        dlg.show();
        QCOMPARE(test::Rows(dlg.list()->model(), 2), QStringList({"2", ""}));
        QStringList menus;
        dialogs::ScopedPopupMenuHook hook([&](QMenu& menu, QPoint) -> QAction* {
            for (QAction* action : menu.actions())
                menus << action->text() + u':' + QString::number(action->isEnabled());
            return menu.actions().value(0);
        });
        dlg.list()->SelectAllRows();
        const QPoint row1 = dlg.list()->visualRect(dlg.list()->model()->index(1, 0)).center();
        dlg.OnListTapHold(row1);
        QCOMPARE(menus, QStringList{"Delete:0"});
        test::RecordedBoxes boxes;
        dlg.list()->clearSelection();
        dlg.OnDelete();
        {
            const test::HeldDatabase holder(a, "BEGIN IMMEDIATE; INSERT INTO t VALUES (1)");
            QVERIFY(holder.ok());
            dlg.list()->SelectRow(0);
            dlg.OnDelete();
            QCOMPARE(boxes.texts,
                     QStringList({"Please select one or more items to delete.",
                                  "The deleted database cannot be retrieved. Are you sure you want "
                                  "to delete the selected database?",
                                  "Cannot delete the selected database. There has been a sharing "
                                  "violation.  The source file may be in use (another program has "
                                  "it open)"}));
            QCOMPARE(test::Rows(dlg.list()->model(), 0), QStringList({"app/a.db", "B.sqlite"}));
            QVERIFY(QFile::exists(QString::fromStdString(a)));
        }
        // The Delete key asks as the menu does; with two rows selected it does nothing.
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.list()->setFocus();
        boxes.texts.clear();
        dlg.list()->SelectRow(1);
        QTest::keyClick(dlg.list(), Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(boxes.texts.isEmpty());
        dlg.list()->clearSelection();
        dlg.list()->SelectRow(1);
        QTest::keyClick(dlg.list(), Qt::Key_Delete);
        QCOMPARE(boxes.texts,
                 QStringList({"The deleted database cannot be retrieved. Are you sure you want "
                              "to delete the selected database?",
                              "The selected database was successfully deleted."}));
        QVERIFY(!QFile::exists(QString::fromStdString(b)) &&
                !QFile::exists(QString::fromStdString(b + "-journal")));
        QCOMPARE(test::Rows(dlg.list()->model(), 0), QStringList{"app/a.db"});
    }
};

QTEST_MAIN(TestSearchDlgs)
#include "tst_search_dlgs.moc"
