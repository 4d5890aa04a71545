// What grew between two scans: rows, their order and ties, hard links, renames, the path
// the files are gathered below, types, sizes beyond 2^63, and a real tree changed on disk.

#include <QtTest>

#include "engine/growth.h"
#include "platform/host_device.h"
#include "support/growth_oracle.h"
#include "support/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::HostDevice;
using dovrane::platform::TestDevice;

namespace {

QString Row(const QString& name, quint64 then, quint64 now, quint64 added, quint64 removed) {
    return QStringLiteral("%1 %2 %3 %4 %5").arg(name).arg(then).arg(now).arg(added).arg(removed);
}

// "name then now new removed" for each child, in order.
QStringList Rows(const Growth& g, const GrowthNode* node) {
    QStringList rows;
    for (const GrowthNode* c : g.children(node))
        rows << Row(c->name(), c->thenSize, c->nowSize, c->newFiles, c->removedFiles);
    return rows;
}

QStringList Files(const Growth& g) {
    QStringList rows;
    for (const GrowthFile& f : g.files())
        rows << QStringLiteral("%1\\%2 %3 %4")
                    .arg(Growth::DevicePath(f.folder) == u"\\" ? QString()
                                                               : Growth::DevicePath(f.folder))
                    .arg(f.name)
                    .arg(f.thenSize)
                    .arg(f.nowSize);
    return rows;
}

void Compare(TestDevice& then, TestDevice& now, Growth& out, GrowthRequest request = {}) {
    QVERIFY(CompareScans(DeviceFeed(then, {}), DeviceFeed(now, {}), request, out));
}

// Folders that grew, shrank, came and went, two of them equal but for case, and a file in
// the root that stayed.
void CompareMixed(Growth& out) {
    TestDevice then, now;
    then.addFile(u"\\alpha\\f", 100)
        .addFile(u"\\Beta\\f", 10)
        .addFile(u"\\beta\\f", 10)
        .addFile(u"\\gamma\\f", 500)
        .addFile(u"\\gone\\f", 70)
        .addFile(u"\\root.txt", 5);
    now.addFile(u"\\root.txt", 5)
        .addFile(u"\\new\\n", 70)
        .addFile(u"\\gamma\\f", 300)
        .addFile(u"\\beta\\f", 80)
        .addFile(u"\\Beta\\f", 80)
        .addFile(u"\\alpha\\f", 300);
    Compare(then, now, out);
}

}  // namespace

class TestGrowth : public QObject {
    Q_OBJECT

private slots:
    void slicesOfWhatGrew_data() {
        QTest::addColumn<int>("slices");
        QTest::addColumn<quint64>("other");
        QTest::newRow("all fit") << 16 << quint64{0};
        QTest::newRow("exactly as many as slices") << 4 << quint64{0};
        QTest::newRow("last two folded") << 3 << quint64{140};
        QTest::newRow("below one: all folded") << 0 << quint64{410};
    }
    void slicesOfWhatGrew() {
        // Only what grew is a slice, by bytes added, ties as the rows; what shrank is freed.
        QFETCH(int, slices);
        QFETCH(quint64, other);
        Growth g;
        CompareMixed(g);
        const GrowthSlices s = GrowthSlicesOf(g, g.root(), slices);
        QStringList grown;
        for (size_t i = 0; i < s.grown.size(); ++i)
            grown << s.grown[i]->name() + ' ' + QString::number(s.added[i]);
        QCOMPARE(grown, QStringList({"alpha 200", "Beta 70", "beta 70", "new 70"}));
        QCOMPARE(s.addedTotal, quint64{410});
        QCOMPARE(s.other, other);
        QCOMPARE(s.freed, quint64{270});
        QCOMPARE(ChangeText(*s.grown[0]), QStringLiteral("+200  B"));
        QCOMPARE(ChangeText(500, 300), QStringLiteral("-200  B"));
        QCOMPARE(ChangeText(5, 5), QStringLiteral("0  B"));
        QCOMPARE(GrowthHeader(QStringLiteral("Since 29/11/2026"), s.grown[0]),
                 QStringLiteral("Since 29/11/2026 \\alpha"));
    }

    void rowsByChangeThenName() {
        Growth g;
        CompareMixed(g);
        // Equal changes by name without regard to case, then by bytes: never by which scan
        // listed what first.
        QCOMPARE(Rows(g, g.root()),
                 QStringList({"alpha 100 300 0 0", "gamma 500 300 0 0", "Beta 10 80 0 0",
                              "beta 10 80 0 0", "gone 70 0 0 1", "new 0 70 1 0",
                              "\"In Folder\" 5 5 0 0"}));
        QCOMPARE(g.root()->thenSize, quint64{695});
        QCOMPARE(g.root()->nowSize, quint64{835});
        QCOMPARE(g.pathNode(), g.root());
        QCOMPARE(Files(g), QStringList({"\\alpha\\f 100 300", "\\new\\n 0 70", "\\beta\\f 10 80",
                                        "\\Beta\\f 10 80"}));
    }

    void renameAndKindChange() {
        TestDevice then, now;
        then.addFile(u"\\old\\f", 10).addFile(u"\\x", 10).addFolder(u"\\empty");
        now.addFile(u"\\renamed\\f", 10).addFile(u"\\x\\y", 5).addFolder(u"\\empty");
        Growth g;
        Compare(then, now, g);
        QCOMPARE(Rows(g, g.root()),
                 QStringList({"\"In Folder\" 10 0 0 1", "old 10 0 0 1", "renamed 0 10 1 0",
                              "x 0 5 1 0", "empty 0 0 0 0"}));
        QCOMPARE(g.root()->newFiles, quint64{2});
        QCOMPARE(g.root()->removedFiles, quint64{2});
    }

    void hardLinksCountOnce_data() {
        QTest::addColumn<bool>("linkFirst");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("files");
        // The new link is met before the old name: it carries the bytes from now on.
        QTest::newRow("met first") << true << QStringList({"a 1000 0 0 0", "early 0 1000 1 0"})
                                   << QStringList({"\\early\\link 0 1000"});
        QTest::newRow("met later")
            << false << QStringList({"a 1000 1000 0 0", "late 0 0 1 0"}) << QStringList();
    }
    void hardLinksCountOnce() {
        QFETCH(bool, linkFirst);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, files);
        TestDevice then, now;
        then.addFile(u"\\a\\orig", 1000);
        if (linkFirst)
            now.addFolder(u"\\early");
        now.addFile(u"\\a\\orig", 1000);
        now.addHardLink(u"\\a\\orig", linkFirst ? u"\\early\\link" : u"\\late\\link");
        Growth g;
        Compare(then, now, g);
        QCOMPARE(Rows(g, g.root()), rows);
        QCOMPARE(Files(g), files);
        QCOMPARE(g.root()->nowSize, g.root()->thenSize);
    }

    void pathGathersBelowIt_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("types");
        QTest::newRow("live folder, folded")
            << "\\DATA "
            << "\\data" << QStringList({"\\data\\big.iso 0 900", "\\data\\a.txt 5 9"})
            << QStringList({"iso 0 900 1 0", "txt 15 9 0 1"});
        QTest::newRow("removed folder")
            << "\\data\\old"
            << "\\data\\old" << QStringList() << QStringList({"txt 10 0 0 1"});
        QTest::newRow("root") << "\\"
                              << "\\"
                              << QStringList({"\\data\\big.iso 0 900", "\\other\\grow 1 99",
                                              "\\data\\a.txt 5 9"})
                              << QStringList({"iso 0 900 1 0", "Generic 1 99 0 0", "txt 15 9 0 1"});
        QTest::newRow("nowhere") << "\\nothing" << QString() << QStringList() << QStringList();
    }
    void pathGathersBelowIt() {
        QFETCH(QString, path);
        QFETCH(QString, found);
        QFETCH(QStringList, files);
        QFETCH(QStringList, types);
        TestDevice then, now;
        then.addFile(u"\\data\\a.txt", 5).addFile(u"\\data\\old\\b.txt", 10);
        then.addFile(u"\\other\\grow", 1);
        now.addFile(u"\\data\\a.txt", 9).addFile(u"\\data\\big.iso", 900);
        now.addFile(u"\\other\\grow", 99);
        Growth g;
        Compare(then, now, g, {.path = path, .fileRows = 20, .byType = true});
        QCOMPARE(g.pathNode() ? Growth::DevicePath(g.pathNode()) : QString(), found);
        QCOMPARE(Files(g), files);
        QStringList typeRows;
        for (const GrowthType& t : g.types())
            typeRows << Row(t.name, t.thenSize, t.nowSize, t.newFiles, t.removedFiles);
        QCOMPARE(typeRows, types);
    }

    void fileRowsKeepTheFirstOfEqualGrowth() {
        TestDevice then, now;
        for (const char16_t* name : {u"\\a", u"\\b", u"\\c", u"\\d"})
            now.addFile(name, 50);
        now.addFile(u"\\e", 60).addFile(u"\\f", 40);
        Growth g;
        Compare(then, now, g, {.path = QStringLiteral("\\"), .fileRows = 3});
        QCOMPARE(Files(g), QStringList({"\\e 0 60", "\\a 0 50", "\\b 0 50"}));
    }

    void changesBeyondSignedRange() {
        TestDevice then, now;
        const quint64 huge = (quint64{1} << 63) + 10;
        then.addFile(u"\\v\\disk.img", 1).addFile(u"\\w\\disk.img", huge);
        now.addFile(u"\\v\\disk.img", huge).addFile(u"\\w\\disk.img", 1);
        Growth g;
        Compare(then, now, g);
        const auto rows = g.children(g.root());
        QCOMPARE(rows.size(), size_t{2});
        QVERIFY(rows[0]->grew() && !rows[1]->grew());
        QCOMPARE(rows[0]->change(), huge - 1);
        QCOMPARE(rows[1]->change(), huge - 1);
        QCOMPARE(g.files().front().nowSize - g.files().front().thenSize, huge - 1);
    }

    // A real tree scanned, changed on disk, scanned again: every figure equals what the
    // changes alone give.
    void realTreeOracle() {
        dovrane::test::TempTree t;
        const dovrane::test::TreeFiles before = dovrane::test::MakeWeekOldTree(t);
        HostDevice thenDevice(t.root());
        ScanIndex index;
        QVERIFY(index.build(thenDevice, {}));
        const dovrane::test::TreeFiles after = dovrane::test::ChangeTree(t, before);
        HostDevice nowDevice(t.root());
        Growth g;
        QVERIFY(CompareWithIndex(index, DeviceFeed(nowDevice, {}), {.fileRows = 100}, g));

        QStringList rows = Rows(g, g.root()), expected, listed = Files(g);
        for (const auto& [name, r] : dovrane::test::ExpectedRootRows(before, after))
            expected << Row(name, r.then, r.now, r.added, r.removed);
        rows.sort();
        expected.sort();
        QCOMPARE(rows, expected);
        listed.sort();
        QCOMPARE(listed, dovrane::test::ExpectedGrownFiles(before, after));
    }
};

QTEST_GUILESS_MAIN(TestGrowth)
#include "tst_growth.moc"
