// The Largest / Duplicate / Identical Files dialog and the Databases dialog: rows as the
// reports give them, header taps, the Delete texts, and closing during a search.

#include <sys/stat.h>

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <chrono>

#include "app/reports.h"
#include "dialogs/databases_dlg.h"
#include "dialogs/file_operations.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/largest_files_dlg.h"
#include "dialogs/modal.h"
#include "platform/host_device.h"
#include "platform/message_box.h"
#include "platform/test_device.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"

using namespace dovrane;
using dialogs::CDatabasesDlg;
using dialogs::CLargestFilesDlg;
using platform::MessageBoxRequest;
using platform::MessageBoxResult;
using test::TempTree;

namespace {

QStringList Column(const dialogs::CHoldListCtrl* list, int column) {
    QStringList out;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        out << list->model()->index(r, column).data().toString();
    return out;
}

struct Boxes {
    explicit Boxes(MessageBoxResult answer = MessageBoxResult::Yes)
        : hook([this, answer](const MessageBoxRequest& r) {
              texts << r.text;
              return r.buttons == platform::MessageBoxButtons::YesNo ? answer
                                                                     : MessageBoxResult::Ok;
          }) {}
    QStringList texts;
    platform::ScopedMessageBoxHook hook;
};

void Sample(platform::TestDevice& dev) {
    dev.addFile(u"\\readme.txt", 10)
        .addFile(u"\\Docs\\big.iso", 5000)
        .addFile(u"\\Docs\\README.TXT", 10)
        .addFile(u"\\Docs\\sub\\Readme.txt", 7)
        .addFile(u"\\Docs\\sub\\only.doc", 5000)
        .addFile(u"\\Temp\\only.DOC", 1);
}

// Opens a search dialog and waits for its list.
void Search(CLargestFilesDlg& dlg, const QString& start) {
    dlg.setStartFolder(start);
    dlg.show();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.IsSearching(), 5000);
}

const QString kCannotDelete = QStringLiteral(
    "Cannot delete the selected database. There has been a sharing violation.  The source "
    "file may be in use");

}  // namespace

class TestSearchDlgs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }

    void searchRows_data() {
        QTest::addColumn<int>("mode");  // 1 largest, 0 duplicates
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("title");
        QTest::newRow("largest of the device") << 1 << "\\"
                                               << "Largest Files";
        QTest::newRow("largest of a folder") << 1 << "\\Docs"
                                             << "Largest Files";
        QTest::newRow("duplicates, case folded") << 0 << "\\"
                                                 << "Duplicate Files";
        QTest::newRow("duplicates of a folder") << 0 << "\\Docs"
                                                << "Duplicate Files";
    }

    // The rows are the report's rows, the header and caption the mode's.
    void searchRows() {
        QFETCH(int, mode);
        QFETCH(QString, start);
        QFETCH(QString, title);
        platform::TestDevice dev;
        Sample(dev);
        CLargestFilesDlg dlg(&dev);
        dlg.m_largest = quint8(mode);
        Search(dlg, start);
        QCOMPARE(dlg.windowTitle(), title);
        QCOMPARE(dlg.header()->text(), title);
        QVERIFY(dlg.list()->isVisible());
        const auto parsed =
            app::ParseCommandLine({"--report", mode ? "largest" : "duplicates", "--path", start});
        const QList<QByteArray> report =
            app::RunReport(parsed.options, dev, {}).output.split('\n').mid(2);
        QStringList names = Column(dlg.list(), 0), folders = Column(dlg.list(), 2);
        QStringList expected;
        for (const QByteArray& line : report)
            if (!line.isEmpty())
                expected << QString::fromUtf8(line).section(u' ', 0, 0);
        QCOMPARE(names, expected);
        QCOMPARE(dlg.startFolder(),
                 start == u"\\" ? QStringLiteral("\\Pocket PC") : QStringLiteral(" \\Docs"));
        // A header tap changes nothing.
        dlg.list()->horizontalHeader()->sectionClicked(1);
        QCOMPARE(Column(dlg.list(), 0), names);
        QCOMPARE(Column(dlg.list(), 2), folders);
    }

    void identicalAndDelete() {
        TempTree t;
        t.folder("a");
        t.folder("b");
        for (const char* name : {"a/x", "b/y", "b/z"}) {
            QFile f(QString::fromStdString(t.host(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(6000, name[2] == 'z' ? 'z' : 'x'));
        }
        t.file("a/empty");
        t.file("b/empty");
        platform::HostDevice dev(t.root());
        CLargestFilesDlg dlg(&dev);
        dlg.m_largest = 0;
        dlg.m_sameContent = true;
        Search(dlg, QStringLiteral("\\"));
        QCOMPARE(dlg.header()->text(), QStringLiteral("Identical Files"));
        QStringList rows = Column(dlg.list(), 0);
        rows.sort();
        QCOMPARE(rows, QStringList({"x", "y"}));

        // Deleting one row leaves the other where it was.
        Boxes boxes;
        dlg.list()->SelectRow(0);
        const QString gone = Column(dlg.list(), 0)[0], kept = Column(dlg.list(), 0)[1];
        dlg.operations()->OnCommand(dialogs::kIdDelete);
        QCOMPARE(boxes.texts.size(), 1);  // the confirmation only
        QCOMPARE(Column(dlg.list(), 0), QStringList{kept});
        QCOMPARE(dlg.rows().size(), size_t(1));
        QVERIFY(!QFile::exists(t.root() + (gone == u"x" ? "/a/x" : "/b/y")));
    }

    // Closing during a slow walk stops it at once and frees nothing in use.
    void closeMidSearch() {
        platform::TestDevice dev;
        for (int i = 0; i < 200; ++i)
            dev.addFile(QStringLiteral("\\f%1\\file").arg(i), quint64(i));
        for (const int mode : {1, 0}) {
            auto dlg = std::make_unique<CLargestFilesDlg>(&dev);
            dlg->m_largest = quint8(mode);
            dlg->pace = std::chrono::milliseconds(20);  // 4 s for the whole walk
            dlg->threads = 1;
            dlg->setStartFolder(QStringLiteral("\\"));
            dlg->show();
            QTest::qWait(60);
            QVERIFY(dlg->IsSearching());
            QVERIFY(!dlg->list()->isVisible());
            QElapsedTimer timer;
            timer.start();
            dlg->reject();
            dlg.reset();
            QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
            QTest::qWait(10);  // a late queued result would land here
        }
    }

    void databaseSorts_data() {
        QTest::addColumn<QList<int>>("taps");
        QTest::addColumn<QStringList>("names");
        // Enumerated b, X, x, c; b and c the larger; c newest, X and x the oldest.
        QTest::newRow("opens by name, equal names last-met first")
            << QList<int>{} << QStringList{"b.db", "c.db", "x.db", "X.db"};
        QTest::newRow("then Z to A")
            << QList<int>{0} << QStringList{"X.db", "x.db", "c.db", "b.db"};
        QTest::newRow("size, ties in enumeration order")
            << QList<int>{1} << QStringList{"b.db", "c.db", "X.db", "x.db"};
        QTest::newRow("then smallest first")
            << QList<int>{1, 1} << QStringList{"x.db", "X.db", "c.db", "b.db"};
        QTest::newRow("records tap changes nothing")
            << QList<int>{2} << QStringList{"b.db", "c.db", "x.db", "X.db"};
        QTest::newRow("newest first, ties in enumeration order")
            << QList<int>{3} << QStringList{"c.db", "b.db", "X.db", "x.db"};
        QTest::newRow("name keeps its own direction")
            << QList<int>{3, 3, 0} << QStringList{"X.db", "x.db", "c.db", "b.db"};
    }

    void databaseSorts() {
        QFETCH(QList<int>, taps);
        QFETCH(QStringList, names);
        TempTree t;
        // One folder a database: the folders' order is the enumeration order.
        const struct {
            const char* path;
            const char* sql;
            time_t time;
        } dbs[] = {{"1/b.db", "CREATE TABLE t(x); CREATE TABLE u(x)", 2000},
                   {"2/X.db", "CREATE TABLE t(x)", 1000},
                   {"3/x.db", "CREATE TABLE t(x)", 1000},
                   {"4/c.db", "CREATE TABLE t(x); CREATE TABLE u(x)", 3000}};
        QStringList folders;
        for (const auto& db : dbs) {
            const std::string folder = std::string(db.path).substr(0, 1);
            t.folder(folder);
            folders << QString::fromStdString(t.host(folder));
            QVERIFY(test::MakeDatabase(t.host(db.path), db.sql));
            const timespec ts[2] = {{db.time, 0}, {db.time, 0}};
            QVERIFY(::utimensat(AT_FDCWD, t.host(db.path).c_str(), ts, 0) == 0);
        }
        CDatabasesDlg dlg(folders, t.root());
        dlg.show();
        for (const int column : taps)
            dlg.list()->horizontalHeader()->sectionClicked(column);
        QCOMPARE(Column(dlg.list(), 0), names);
        const qsizetype c = names.indexOf(QStringLiteral("c.db"));
        QCOMPARE(Column(dlg.list(), 3)[c], QStringLiteral("1/1/1970 0:50 AM"));
        QCOMPARE(Column(dlg.list(), 1)[c], QStringLiteral("12.0 KB"));
    }

    void databaseDelete() {
        TempTree t;
        const std::string held = t.host("held.db"), free = t.host("free.db");
        QVERIFY(test::MakeDatabase(held, "CREATE TABLE t(x)"));
        QVERIFY(test::MakeDatabase(free, "CREATE TABLE t(x); INSERT INTO t VALUES (1),(2)"));
        {
            QFile j(QString::fromStdString(free + "-journal"));
            QVERIFY(j.open(QIODevice::WriteOnly));
        }
        CDatabasesDlg dlg({t.root()}, t.root());
        dlg.show();
        QCOMPARE(Column(dlg.list(), 0), QStringList({"free.db", "held.db"}));
        QCOMPARE(Column(dlg.list(), 2), QStringList({"2", "0"}));

        // Two selected: the menu's Delete is grayed.
        QStringList menus;
        dialogs::ScopedPopupMenuHook hook([&](QMenu& menu, QPoint) -> QAction* {
            for (QAction* a : menu.actions())
                menus << a->text() + u':' + QString::number(a->isEnabled());
            return menu.actions().value(0);
        });
        dlg.list()->SelectAllRows();
        const QPoint row0 = dlg.list()->visualRect(dlg.list()->model()->index(0, 0)).center();
        dlg.OnListTapHold(row0);
        QCOMPARE(menus, QStringList{"Delete:0"});

        Boxes boxes;
        dlg.list()->clearSelection();
        dlg.OnDelete();
        QCOMPARE(boxes.texts.takeFirst(),
                 QStringLiteral("Please select one or more items to delete."));
        {
            const test::HeldDatabase holder(held, "BEGIN IMMEDIATE; INSERT INTO t VALUES (1)");
            QVERIFY(holder.ok());
            dlg.list()->SelectRow(1);
            dlg.OnDelete();
            QCOMPARE(boxes.texts,
                     QStringList({"The deleted database cannot be retrieved. Are you sure you want "
                                  "to delete the selected database?",
                                  kCannotDelete}));
            QCOMPARE(dlg.list()->model()->rowCount(), 2);
            QVERIFY(QFile::exists(QString::fromStdString(held)));
        }
        boxes.texts.clear();
        dlg.list()->clearSelection();
        dlg.list()->SelectRow(0);
        dlg.OnListTapHold(row0);  // chooses Delete
        QCOMPARE(boxes.texts.last(),
                 QStringLiteral("The selected database was successfully deleted."));
        QVERIFY(!QFile::exists(QString::fromStdString(free)));
        QVERIFY(!QFile::exists(QString::fromStdString(free + "-journal")));
        for (const int column : {1, 3, 0, 0})
            dlg.list()->horizontalHeader()->sectionClicked(column);
        QCOMPARE(Column(dlg.list(), 0), QStringList{"held.db"});
    }
};

QTEST_MAIN(TestSearchDlgs)
#include "tst_search_dlgs.moc"
