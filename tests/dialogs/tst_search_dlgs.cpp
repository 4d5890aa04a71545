// The Largest / Duplicate / Identical Files dialog and the Databases dialog: rows as the
// reports give them, header taps, the Delete texts, and closing during a search.

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
#include "platform/test_device.h"
#include "support/probes.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"

using namespace dovrane;
using dialogs::CDatabasesDlg;
using dialogs::CLargestFilesDlg;
using test::TempTree;

class TestSearchDlgs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }

    // Row name: the report and the start folder. The rows are the report's rows; the first
    // deleted goes alone.
    void searchRows_data() {
        QTest::addColumn<QString>("title");
        QTest::newRow("largest \\") << "Largest Files";
        QTest::newRow("duplicates \\Docs") << "Duplicate Files";
        // Equal sizes of other bytes and empty files are left out.
        QTest::newRow("identical \\") << "Identical Files";
    }

    void searchRows() {
        QFETCH(QString, title);
        const QStringList tag = QString::fromUtf8(QTest::currentDataTag()).split(u' ');
        TempTree t;
        for (const char* folder : {"Docs", "Docs/sub", "Temp"})
            t.folder(folder);
        for (const QString file : {"readme.txt r10", "Docs/big.iso b5000", "Docs/README.TXT r10",
                                   "Docs/sub/Readme.txt r7", "Docs/sub/only.doc b5000",
                                   "Temp/only.DOC z5000", "Temp/empty e0", "empty e0"})
            test::WriteBytes(t.host(file.section(u' ', 0, 0).toStdString()),
                             QByteArray(file.section(u' ', 1).mid(1).toInt(),
                                        file.section(u' ', 1)[0].toLatin1()));
        platform::HostDevice dev(t.root());
        CLargestFilesDlg dlg(&dev);
        dlg.m_largest = tag[0] == u"largest";
        dlg.m_sameContent = tag[0] == u"identical";
        dlg.setStartFolder(tag[1]);
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.IsSearching(), 5000);
        QVERIFY(dlg.list()->isVisible());
        QCOMPARE(dlg.windowTitle(), title);
        QCOMPARE(dlg.header()->text(), title);
        QCOMPARE(dlg.startFolder(), tag[1] == u"\\" ? "\\Pocket PC" : " " + tag[1]);
        const auto parsed =
            app::ParseCommandLine({"--report", tag[0], "--path", tag[1], "--format", "json"});
        const QString json = QString::fromUtf8(app::RunReport(parsed.options, dev, {}).output);
        QStringList names, paths;
        for (const auto& m :
             QRegularExpression(R"x("name": "([^"]*)", "folder": "([^"]*)")x").globalMatch(json)) {
            names << m.captured(1);
            paths << t.root() + m.captured(2).replace(QStringLiteral("\\\\"), QStringLiteral("/")) +
                         u'/' + m.captured(1);
        }
        QCOMPARE(test::Rows(dlg.list()->model(), 0), names);
        if (tag[0] == u"identical")  // the groups' sizes and waste, largest first
            QVERIFY2(
                json.startsWith(
                    R"({"unreadable_folders": 0, "groups": [{"bytes": 5000, "wasted_bytes": 5000, "files": [)") &&
                    json.endsWith(R"(]}], "wasted_bytes": 5010})"
                                  "\n"),
                qPrintable(json));
        dlg.list()->horizontalHeader()->sectionClicked(1);
        QCOMPARE(test::Rows(dlg.list()->model(), 0), names);
        test::RecordedBoxes boxes;
        dlg.list()->SelectRow(0);
        dlg.operations()->OnCommand(dialogs::kIdDelete);
        QCOMPARE(boxes.texts.size(), 1);  // the confirmation only
        QCOMPARE(test::Rows(dlg.list()->model(), 0), names.mid(1));
        QVERIFY2(!QFile::exists(paths[0]), qPrintable(paths[0]));
    }

    // Closing during a slow walk stops it at once and frees nothing in use.
    void closeMidSearch() {
        platform::TestDevice dev;
        for (int i = 0; i < 200; ++i)
            dev.addFile(QStringLiteral("\\f%1\\file").arg(i), quint64(i));
        auto dlg = std::make_unique<CLargestFilesDlg>(&dev);
        dlg->pace = std::chrono::milliseconds(20);  // 4 s for the whole walk
        dlg->threads = 1;
        dlg->setStartFolder(QStringLiteral("\\"));
        dlg->show();
        QTest::qWait(60);
        QVERIFY(dlg->IsSearching() && !dlg->list()->isVisible());
        QElapsedTimer timer;
        timer.start();
        dlg->reject();
        dlg.reset();
        QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
        QTest::qWait(10);  // a late queued result would land here
    }

    // Row name: the header taps. Met b, X, x, c; b and c the larger; c newest, X and x oldest.
    void databaseSorts_data() {
        QTest::addColumn<QString>("names");
        QTest::newRow("") << "b c x X";       // by name, equal names last-met first
        QTest::newRow("0") << "X x c b";      // then Z to A
        QTest::newRow("1") << "b c X x";      // by size, ties in the order met
        QTest::newRow("1 1") << "x X c b";    // then smallest first
        QTest::newRow("2") << "b c x X";      // a records tap changes nothing
        QTest::newRow("3") << "c b X x";      // newest first, ties in the order met
        QTest::newRow("3 3 0") << "X x c b";  // the name keeps its own direction
    }

    void databaseSorts() {
        QFETCH(QString, names);
        TempTree t;
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
        CDatabasesDlg dlg(folders, t.root());
        dlg.show();
        for (const QString& column :
             QString::fromUtf8(QTest::currentDataTag()).split(u' ', Qt::SkipEmptyParts))
            dlg.list()->horizontalHeader()->sectionClicked(column.toInt());
        QCOMPARE(test::Rows(dlg.list()->model(), 0).join(u' ').remove(QStringLiteral(".db")),
                 names);
    }

    // Only true databases are listed, without following links or missing folders; a count
    // that cannot be made is null. Delete: grayed for two, refused while held, companions go.
    void databasesReportAndDelete() {
        TempTree t;
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
                                  "violation.  The source file may be in use"}));
            QCOMPARE(test::Rows(dlg.list()->model(), 0), QStringList({"app/a.db", "B.sqlite"}));
            QVERIFY(QFile::exists(QString::fromStdString(a)));
        }
        dlg.list()->clearSelection();
        dlg.list()->SelectRow(1);
        dlg.OnListTapHold(row1);  // chooses Delete
        QCOMPARE(boxes.texts.last(),
                 QStringLiteral("The selected database was successfully deleted."));
        QVERIFY(!QFile::exists(QString::fromStdString(b)) &&
                !QFile::exists(QString::fromStdString(b + "-journal")));
        for (const int column : {1, 3, 0, 0})
            dlg.list()->horizontalHeader()->sectionClicked(column);
        QCOMPARE(test::Rows(dlg.list()->model(), 0), QStringList{"app/a.db"});
    }
};

QTEST_MAIN(TestSearchDlgs)
#include "tst_search_dlgs.moc"
