// What the scans record: the folder tree, the file types and the file searches, with their
// orders, ties and totals beyond 32 bits.

#include <QtTest>

#include "engine/file_search.h"
#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/text.h"
#include "support/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::TestDevice;

namespace {

FolderNode* Find(FolderTree& tree, const QString& path) {
    return FindFolderByPath(tree.root(), FoldCase(path));
}

QStringList Paths(const FileList& list, const std::vector<quint32>& rows) {
    QStringList out;
    for (const quint32 r : rows)
        out << list.fullPath(list[r]);
    return out;
}

}  // namespace

class TestScans : public QObject {
    Q_OBJECT

private slots:
    void folderOrdersAndTotals() {
        TestDevice dev;
        dev.addFile(u"\\b\\x", 100)
            .addFile(u"\\A\\y", 100)
            .addFolder(u"\\a")
            .addFile(u"\\root.txt", 10)
            .addFile(u"\\big\\one.iso", 5ull << 30)
            .addFile(u"\\big\\two.iso", 5ull << 30)
            .addFile(u"\\empty-files\\zero", 0);
        FolderTree tree;
        ScanProgress progress;
        QVERIFY(ScanFolder(dev, tree, 16, {.progress = &progress}));
        QCOMPARE(progress.folders.load(), quint64{6});
        QCOMPARE(progress.files.load(), quint64{6});
        FolderNode* root = tree.root();
        // Met order, "In Folder" last; the orders and their ties are pinned by the reports.
        QStringList names;
        for (const FolderNode* n : root->children())
            names << n->name();
        QCOMPARE(names, QStringList({"b", "A", "a", "big", "empty-files", "\"In Folder\""}));
        QCOMPARE(root->totalSizeHigh(), quint32{2});
        QCOMPARE(root->totalSizeLow(), quint32{(2u << 30) + 210});
        // Files of size 0 make no "In Folder" entry.
        QCOMPARE(Find(tree, "\\empty-files")->count, quint32{0});
        const FolderNode* inFolder = root->children().back();
        QVERIFY(inFolder->isInFolder());
        QCOMPARE(inFolder->parent, root);
        QCOMPARE(inFolder->count, quint32{0});
    }

    void folderOther() {
        // Children (of sizes n, n-1, ...), empty from this index on, slices, Other: N + 1
        // merges the two smallest, and N below 1 counts as 1.
        const std::tuple<int, int, int, quint64> cases[] = {
            {5, 5, 5, 0}, {6, 6, 5, 2 + 1}, {8, 4, 5, 0}, {3, 3, 0, 3 + 2 + 1}};
        for (const auto& [children, zeroFrom, slices, other] : cases) {
            TestDevice dev;
            for (int i = 0; i < children; ++i)
                dev.addFile(QStringLiteral("\\d%1\\f").arg(i),
                            i < zeroFrom ? quint64(children - i) : 0);
            FolderTree tree;
            ScanFolder(dev, tree, slices, {});
            QCOMPARE(std::pair(children, tree.root()->otherSize), std::pair(children, other));
            RecomputeOtherTree(tree.root(), 1000);
            QCOMPARE(tree.root()->otherSize, quint64{0});
        }
    }

    void folderPaths() {
        TestDevice dev;
        dev.addFile(u"\\Windows\\Fonts\\t.ttf", 1).addFolder(u"\\My Documents");
        FolderTree tree;
        ScanFolder(dev, tree, 16, {});
        FolderNode* root = tree.root();
        QCOMPARE(BuildFolderPath(root), QStringLiteral("\\Pocket PC"));
        FolderNode* fonts = Find(tree, "  \\WINDOWS\\fonts ");
        QVERIFY(fonts);
        QCOMPARE(BuildFolderPath(fonts), QStringLiteral("\\Windows\\Fonts"));
        QCOMPARE(Find(tree, "\\"), root);
        QCOMPARE(Find(tree, ""), root);
        QCOMPARE(Find(tree, "\\my documents"), Find(tree, "My Documents"));
        QVERIFY(!Find(tree, "\\Windows\\Fonts\\t.ttf"));
        // The files entry is no folder a path can name.
        QVERIFY(!Find(tree, "\\Windows\\Fonts\\\"In Folder\""));
    }

    void stopsWhenScanningClears() {
        TestDevice dev;
        for (int i = 0; i < 5; ++i)
            dev.addFile(QStringLiteral("\\d%1\\f").arg(i), 1);
        std::atomic<bool> scanning{false};
        FolderTree tree;
        QVERIFY(!ScanFolder(dev, tree, 16, {.scanning = &scanning}));
        QCOMPARE(dev.openCount(), 1);  // the root only: nothing below it is entered
    }

    void typeOf() {
        // No dot, the last dot, a trailing dot, only an extension, case kept.
        QStringList types;
        for (const char* name : {"readme", "archive.tar.gz", "name.", ".profile", "a.DOC"})
            types << FileTypeOf(QString::fromLatin1(name));
        QCOMPARE(types, (QStringList{"Generic", "gz", "", "profile", "DOC"}));
    }

    void aggregates() {
        TestDevice dev;
        dev.addFile(u"\\a.DOC", 10)
            .addFile(u"\\Windows\\b.doc", 10)
            .addFile(u"\\Windows\\sub\\x.doc", 5)
            .addFile(u"\\big.iso", 5ull << 30)
            .addFile(u"\\big2.iso", 5ull << 30)
            .addHardLink(u"\\Windows\\b.doc", u"\\c.doc");
        FileTypeTable table;
        QVERIFY(table.AggregateFileTypes(dev, {}));
        table.ComputeFileTypeTotals(16);
        const FileTypeStat* doc = table.FindFileType("doc");
        QVERIFY(doc);
        QVERIFY(!table.FindFileType("Doc"));
        QCOMPARE(doc->totalSize, quint64{15});  // the second link of b.doc adds nothing
        QCOMPARE(Paths(table.list(), doc->files),
                 QStringList({"\\Windows\\b.doc", "\\Windows\\sub\\x.doc", "\\c.doc"}));
        QCOMPARE(table.totalSize, (10ull << 30) + 10 + 15);
        QCOMPARE(table.otherSize, quint64{0});
    }

    void typeOther() {
        // Slices and where the empty types begin among 7 of sizes 7, 6, ...: N = 5 folds
        // positions 4 to 6, N = 7 folds none, and empty types fold to nothing.
        for (const auto& [slices, emptyFrom, other] :
             {std::tuple(5, 7, quint64{3 + 2 + 1}), {7, 7, 0}, {5, 4, 0}}) {
            TestDevice dev;
            for (int i = 0; i < 7; ++i)
                dev.addFile(QStringLiteral("\\f.t%1").arg(i), i < emptyFrom ? 7 - i : 0);
            FileTypeTable table;
            table.AggregateFileTypes(dev, {});
            table.ComputeFileTypeTotals(slices);
            QCOMPARE(std::pair(slices, table.otherSize), std::pair(slices, other));
        }
    }

    void largestHoldsEveryFile() {
        TestDevice dev;
        dev.addFile(u"\\a", 5)
            .addFile(u"\\d\\b", 9)
            .addFile(u"\\d\\c", 5)
            .addFile(u"\\huge", 5ull << 32);
        FileSearch s;
        s.SearchFiles(dev, "", true, {});
        QCOMPARE(Paths(s.list(), s.results()), QStringList({"\\huge", "\\d\\b", "\\a", "\\d\\c"}));
        QCOMPARE(s.list().folder(s.list()[s.results()[0]]), QString());  // the root walks as ""
        QCOMPARE(s.allFiles().totalSize, (5ull << 32) + 19);
    }

    void startFolders() {
        TestDevice dev;
        dev.addFile(u"\\My Documents\\Work\\f", 1).addFile(u"\\g", 1);
        FileSearch s;
        s.SearchFiles(dev, "\\My Documents", true, {});
        QCOMPARE(Paths(s.list(), s.results()), QStringList({"\\My Documents\\Work\\f"}));
        QCOMPARE(FileSearch::HeaderText("\\"), QStringLiteral("\\Pocket PC"));
        FileSearch none;
        QVERIFY(none.SearchFiles(dev, "\\Nowhere", true, {}));
        QVERIFY(none.results().empty());
    }
};

QTEST_GUILESS_MAIN(TestScans)
#include "tst_scans.moc"
