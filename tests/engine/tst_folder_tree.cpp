#include <QtTest>

#include "engine/folder_tree.h"
#include "engine/text.h"
#include "platform/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::TestDevice;

namespace {

QStringList Names(std::span<FolderNode* const> nodes) {
    QStringList out;
    for (const FolderNode* n : nodes)
        out << n->name();
    return out;
}

FolderNode* Find(FolderTree& tree, const QString& path) {
    return FindFolderByPath(tree.root(), FoldCase(path));
}

}  // namespace

class TestFolderTree : public QObject {
    Q_OBJECT
private slots:
    void ordersInFolderAndTotals() {
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
        QCOMPARE(Names(root->children()),
                 QStringList({"b", "A", "a", "big", "empty-files", "\"In Folder\""}));
        QCOMPARE(Names(root->childrenBySize()),
                 QStringList({"big", "b", "A", "\"In Folder\"", "a", "empty-files"}));
        // Equal names without regard to case: the one met later first.
        QCOMPARE(Names(root->childrenByName()),
                 QStringList({"\"In Folder\"", "a", "A", "b", "big", "empty-files"}));
        QCOMPARE(root->filesSize, quint64{10});
        QCOMPARE(root->totalSize, (10ull << 30) + 210);
        QCOMPARE(root->totalSizeHigh(), quint32{2});
        QCOMPARE(root->totalSizeLow(), quint32{(2u << 30) + 210});
        // Files of size 0 make no "In Folder" entry.
        QCOMPARE(Find(tree, "\\empty-files")->count, quint32{0});
        const FolderNode* inFolder = root->children().back();
        QVERIFY(inFolder->isInFolder());
        QCOMPARE(inFolder->parent, root);
        QCOMPARE(inFolder->totalSize, quint64{10});
        QCOMPARE(inFolder->count, quint32{0});
    }

    void other() {
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

    void hardLinksCountOnceWhereFirstMet() {
        TestDevice dev;
        // Depth first: \a\inner is met before \a\later, though both are in \a's listing.
        dev.addFile(u"\\a\\sub\\inner", 700)
            .addHardLink(u"\\a\\sub\\inner", u"\\a\\later")
            .addHardLink(u"\\a\\sub\\inner", u"\\b\\third");
        FolderTree tree;
        ScanFolder(dev, tree, 16, {});
        QCOMPARE(tree.root()->totalSize, quint64{700});
        QCOMPARE(Find(tree, "\\a\\sub")->totalSize, quint64{700});
        QCOMPARE(Find(tree, "\\a")->filesSize, quint64{0});
        QCOMPARE(Find(tree, "\\b")->totalSize, quint64{0});
    }

    void failingFolders() {
        TestDevice dev;
        dev.addFile(u"\\locked\\secret", 50)
            .failToOpen(u"\\locked")
            .addFile(u"\\cut\\one", 1)
            .addFile(u"\\cut\\sub\\deep", 4)
            .addFile(u"\\cut\\three", 2)
            .addFile(u"\\after", 8)
            .stopReadingAfter(u"\\cut", 2);
        FolderTree tree;
        QVERIFY(ScanFolder(dev, tree, 16, {}));
        QCOMPARE(Find(tree, "\\locked")->totalSize, quint64{0});
        QCOMPARE(Find(tree, "\\locked")->count, quint32{0});
        QCOMPARE(Find(tree, "\\cut")->totalSize, quint64{5});
        QCOMPARE(tree.root()->totalSize, quint64{13});
    }

    void paths() {
        TestDevice dev;
        dev.addFile(u"\\Windows\\Fonts\\t.ttf", 1).addFolder(u"\\My Documents");
        FolderTree tree;
        ScanFolder(dev, tree, 16, {});
        FolderNode* root = tree.root();
        QCOMPARE(BuildFolderPath(root), QStringLiteral("\\Pocket PC"));
        QCOMPARE(SpacePath(BuildFolderPath(root)), QStringLiteral(" \\Pocket PC"));
        FolderNode* fonts = Find(tree, "  \\WINDOWS\\fonts ");
        QVERIFY(fonts);
        QCOMPARE(BuildFolderPath(fonts), QStringLiteral("\\Windows\\Fonts"));
        QCOMPARE(SpacePath(BuildFolderPath(fonts)), QStringLiteral(" \\Windows \\Fonts"));
        QCOMPARE(Find(tree, "\\"), root);
        QCOMPARE(Find(tree, ""), root);
        QCOMPARE(Find(tree, "\\my documents"), Find(tree, "My Documents"));
        QVERIFY(!Find(tree, "\\nowhere"));
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
};

QTEST_GUILESS_MAIN(TestFolderTree)
#include "tst_folder_tree.moc"
