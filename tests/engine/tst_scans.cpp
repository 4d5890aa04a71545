// The folder tree, file types and file searches: orders, ties and totals beyond 32 bits;
// the orders built by readers at once; the figures as the windows write them; the scan
// job: one result on the owner's thread, none after a stop, nor into the next run.

#include <QtTest>
#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <random>
#include <thread>

#include "engine/file_search.h"
#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/memory_status.h"
#include "engine/name_pool.h"
#include "engine/scan_job.h"
#include "engine/text.h"
#include "support/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::DiskSpace;
using dovrane::platform::kAttributeTemporary;
using dovrane::platform::MemoryFigures;
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

// Names that tie without case, equal sizes and sizes beyond 32 bits.
void Fill(TestDevice& dev, int files, unsigned seed) {
    std::mt19937 random(seed);
    const QStringList stems{"a", "A",  "b", "readme", "README", "\u00e9t\u00e9", "\u00c9T\u00c9",
                            "z", "_x", "ab"};
    const QStringList types{"txt", "TXT", "dat", "jpg"};
    for (int i = 0; i < files; ++i) {
        const quint64 size =
            random() % 3 == 0 ? (quint64{1} << 32) + random() % 4 : quint64{random() % 50};
        dev.addFile(QStringLiteral("\\d%1\\%2%3.%4")
                        .arg(random() % 40)
                        .arg(stems[static_cast<qsizetype>(random() % stems.size())])
                        .arg(random() % 3 ? QString() : QString::number(i))
                        .arg(types[static_cast<qsizetype>(random() % types.size())]),
                    size);
    }
}

// Larger first, names without case; ties in met order, but equal names last-met first.
template <typename T, typename Size, typename Name>
std::pair<std::vector<T>, std::vector<T>> Expected(std::vector<T> met, Size size, Name name) {
    std::vector<T> bySize = met;
    std::stable_sort(bySize.begin(), bySize.end(), [&](T a, T b) { return size(a) > size(b); });
    std::reverse(met.begin(), met.end());
    std::stable_sort(met.begin(), met.end(),
                     [&](T a, T b) { return name(a).compare(name(b), Qt::CaseInsensitive) < 0; });
    return {bySize, met};
}

// Returns a result all the same once stopped: the job must drop it.
std::optional<int> UntilStopped(const WalkControl& control) {
    while (!control.stopped())
        std::this_thread::yield();
    return 7;
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
        QCOMPARE(std::pair(progress.folders.load(), progress.files.load()), std::pair(6ull, 6ull));
        FolderNode* root = tree.root();
        // Met order, "In Folder" last; the orders and their ties are pinned by the reports.
        QStringList names;
        for (const FolderNode* n : root->children())
            names << n->name();
        QCOMPARE(names, QStringList({"b", "A", "a", "big", "empty-files", "\"In Folder\""}));
        QCOMPARE(std::pair(root->totalSizeHigh(), root->totalSizeLow()),
                 std::pair(quint32{2}, quint32{(2u << 30) + 210}));
        // Files of size 0 make no "In Folder" entry.
        QCOMPARE(Find(tree, "\\empty-files")->count, quint32{0});
        const FolderNode* inFolder = root->children().back();
        QVERIFY(inFolder->isInFolder() && inFolder->parent == root && inFolder->count == 0);
    }

    void folderOther() {
        // Children (sizes n, n-1, ...), empty from, slices, Other: N below 1 counts as 1.
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
        QCOMPARE(BuildFolderPath(tree.root()), QStringLiteral("\\Pocket PC"));
        QCOMPARE(BuildFolderPath(Find(tree, "  \\WINDOWS\\fonts ")),
                 QStringLiteral("\\Windows\\Fonts"));
        QVERIFY(Find(tree, "\\") == tree.root() && Find(tree, "") == tree.root());
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

    // Over a hundred types from 0 to 9 bytes, some differing only in case, length or their
    // last byte, met in turns across folders: each file counts for the type FileTypeOf
    // names, however the look-up's cache of recent types collides.
    void manyTypesInTurns() {
        QStringList types{QString()};
        for (const char* stem : {"a", "A", "ab", "aB", "tar", "jpeg", "mpeg4", "xlsx"})
            for (int length = 1; length <= 9; ++length) {
                // Two of each length that differ in the last byte alone.
                const QString type = (QLatin1String(stem) + QString(9, u'z')).left(length);
                types << type << type.left(length - 1) + u'y';
            }
        types.removeDuplicates();
        TestDevice dev;
        std::map<QString, std::pair<quint64, quint64>> expected;
        for (int i = 0; i < 3000; ++i) {
            const QString& type = types[(i * 7) % types.size()];
            const QString name = QStringLiteral("f%1").arg(i) +
                                 (i % 11 == 0 ? QString() : QStringLiteral(".") + type);
            dev.addFile(QStringLiteral("\\d%1\\").arg(i % 5) + name, quint64(i) + 1);
            auto& [count, size] = expected[FileTypeOf(name)];
            ++count;
            size += quint64(i) + 1;
        }
        FileTypeTable table;
        QVERIFY(table.AggregateFileTypes(dev, {}));
        QCOMPARE(table.fileTypes().size(), expected.size());
        for (const auto& [name, figures] : expected) {
            const FileTypeStat* type = table.FindFileType(name);
            QVERIFY2(type, qPrintable(name));
            QCOMPARE(std::pair(name, std::pair(type->fileCount, type->totalSize)),
                     std::pair(name, figures));
        }
    }

    void typeOther() {
        // Slices, where empty types begin among 7 of sizes 7, 6, ..., the Other folded.
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

    // Names that differ only in case, a Kelvin sign that lowers to "k", a backslash read
    // as U+FF3C: each equal pair found, hashed alike; by name, equal names latest first.
    void duplicateNamesFoldAsTheyCompare() {
        TestDevice dev;
        dev.addFile(u"\\d1\\k.txt", 1)
            .addFile(u"\\d1\\unique", 1)
            .addFile(u"\\d2\\\u212A.TXT", 1)
            .addFile(u"\\d2\\a\uFF3Cb", 1)
            .addFile(u"\\d3\\A\uFF3CB", 1)
            .addFile(u"\\d3\\K.txt", 1)
            .addFile(u"\\d3\\\u00E9t\u00E9", 1)
            .addFile(u"\\d4\\\u00C9T\u00C9", 1);
        FileSearch s;
        s.SearchFiles(dev, "", false, {});
        QCOMPARE(Paths(s.list(), s.results()),
                 QStringList({"\\d3\\A\uFF3CB", "\\d2\\a\uFF3Cb", "\\d3\\K.txt", "\\d2\\\u212A.TXT",
                              "\\d1\\k.txt", "\\d4\\\u00C9T\u00C9", "\\d3\\\u00E9t\u00E9"}));
    }

    // Orders built lazily by several readers at once are exactly those built after the scan.
    void readersSeeTheWholeOrder() {
        const int files = 20000;
        const size_t readers = 4;
        TestDevice dev;
        Fill(dev, files, 1);
        FileTypeTable table;
        QVERIFY(table.AggregateFileTypes(dev, {.threads = 3}));
        const FileList& list = table.list();
        const size_t n = table.fileTypes().size();
        // By reader and type, the orders as the reader asked for them: odd readers names first.
        using Orders = std::pair<std::vector<quint32>, std::vector<quint32>>;
        std::vector<std::vector<Orders>> seen(readers, std::vector<Orders>(n));
        std::vector<std::thread> threads;
        for (size_t r = 0; r < readers; ++r)
            threads.emplace_back([&, r] {
                // Each reader starts with another type, so builds and waits interleave.
                for (size_t k = 0; k < n; ++k) {
                    const FileTypeStat& t = *table.fileTypes()[(k + r) % n];
                    auto& [first, second] = seen[r][(k + r) % n];
                    first = r % 2 ? t.filesByName.get() : t.filesBySize.get();
                    second = r % 2 ? t.filesBySize.get() : t.filesByName.get();
                }
            });
        for (std::thread& t : threads)
            t.join();
        std::vector<FileTypeStat*> met;
        for (const auto& t : table.fileTypes())
            met.push_back(t.get());
        const auto types = Expected(
            met, [](FileTypeStat* t) { return t->totalSize; },
            [](FileTypeStat* t) { return t->name; });
        QCOMPARE(table.fileTypesBySize(), types.first);
        QCOMPARE(table.fileTypesByName(), types.second);
        size_t total = 0;
        for (size_t i = 0; i < n; ++i) {
            const FileTypeStat& t = *table.fileTypes()[i];
            total += t.files.size();
            const auto [bySize, byName] = Expected(
                t.files.get(), [&](quint32 r) { return list[r].size; },
                [&](quint32 r) { return list.name(list[r]); });
            for (size_t r = 0; r < readers; ++r)
                QCOMPARE(seen[r][i], r % 2 ? Orders(byName, bySize) : Orders(bySize, byName));
        }
        QCOMPARE(total, static_cast<size_t>(files));
    }

    // Each edge of the length forms, past the blocks' end, a long-name mark inside: all whole.
    void countedNamesComeBackWhole() {
        for (const size_t length : {0, 1, 254, 255, 256, 65535}) {
            NamePool pool;
            std::vector<std::pair<quint32, std::string>> stored;
            for (int i = 0; i < 40; ++i) {
                std::string name(length, 'a');
                if (length > 0 && i % 2)
                    name.back() = '\xff';
                stored.emplace_back(pool.addCounted(name), name);
            }
            for (const auto& [offset, name] : stored)
                QCOMPARE(pool.counted(offset), std::string_view(name));
        }
    }

    void sizeText() {
        // KB and MB of 1000 x 1024 bytes (1048576 is "1.0 MB"), exact halves to even (2304
        // down, 2816 up), 4 GiB without a wrap, and the largest count in TB, the last unit.
        QStringList texts;
        for (const quint64 bytes : {0ull, 1023ull, 1024ull, 1023999ull, 1024000ull, 1048576ull,
                                    2304ull, 2816ull, 1ull << 32, ~0ull})
            texts << SizeText(bytes);
        QCOMPARE(texts, (QStringList{"0  B", "1023  B", "1.0 KB", "1000.0 KB", "1.0 MB", "1.0 MB",
                                     "2.2 KB", "2.8 KB", "4.2 GB", "18014398.5 TB"}));
    }

    void shareText() {
        // An empty total gives 0.0; shares beyond 32 bits.
        QStringList texts;
        for (const auto& [part, total] :
             {std::pair(50ull, 200ull), {0, 0}, {7, 7}, {3ull << 32, 4ull << 32}, {1, 3000}})
            texts << ShareText(part, total);
        QCOMPARE(texts, (QStringList{"25.0", "0.0", "100.0", "75.0", "0.0"}));
    }

    void figuresAndTexts() {
        TestDevice dev;
        dev.setMemory(MemoryFigures{16777216, 4194304})
            .setDiskSpace(u"\\", DiskSpace{3ull << 40, 1ull << 40})
            .addFolder(u"\\Windows")
            .addFolder(u"\\Card A", kAttributeTemporary)
            .addFolder(u"\\Card B", kAttributeTemporary)
            .setDiskSpace(u"\\Card A", DiskSpace{1000000, 250000})
            .setDiskSpace(u"\\Card B", DiskSpace{2097152, 1048576});
        MemoryStatus s(dev);
        // "\My Documents" does not exist: the root's volume answers for it.
        QCOMPARE((QStringList{s.programTotalText, s.programFreeText, s.programUsedText,
                              s.storageTotalText, s.storageUsedText, s.mainTotalText, s.cardName,
                              s.cardTotalText}),
                 (QStringList{"16.00 MB", "4.00 MB", "12.00 MB", "3145728.00 MB", "2097152.00 MB",
                              "3145744.00 MB", "Card A", "0.95 MB"}));
        QCOMPARE(s.cards, QStringList({"Card A", "Card B"}));
        QVERIFY(s.ReadCard(1));
        QCOMPARE(s.cardUsedText, QStringLiteral("1.00 MB"));
    }

    void cardsThatFail() {
        TestDevice dev;
        dev.addFolder(u"\\Card", kAttributeTemporary)
            .setDiskSpace(u"\\Card", DiskSpace{2097152, 0});
        MemoryStatus s(dev);
        QCOMPARE(s.programTotalText, QStringLiteral("0.00 MB"));  // the query failed
        QCOMPARE(s.storageTotal, 0.0);
        QCOMPARE(s.cardTotalText, QStringLiteral("2.00 MB"));
        // Pulled between listing and reading: zero figures, the texts kept.
        dev.setDiskSpace(u"\\Card", std::nullopt);
        QVERIFY(!s.ReadCard(0) && s.cardTotal == 0.0);
        QCOMPARE(s.cardTotalText, QStringLiteral("2.00 MB"));
        // The last card gone: zero figures, the old texts and name kept.
        dev.setDiskSpace(u"\\Card", DiskSpace{2097152, 0}).remove(u"\\Card");
        s.Refresh();
        QVERIFY(s.cards.isEmpty() && s.cardUsed == 0.0);
        QCOMPARE(s.cardName + u' ' + s.cardUsedText, QStringLiteral("Card 2.00 MB"));
    }

    void resultComesBackOnTheOwnersThread() {
        ScanJob job;
        std::thread::id ranOn;
        int got = 0, calls = 0;
        bool runningInFinished = true;
        job.start(
            [](const WalkControl& control) -> std::optional<std::unique_ptr<int>> {
                control.progress->folders = 3;
                return std::make_unique<int>(42);
            },
            [&](std::unique_ptr<int> result) {
                ranOn = std::this_thread::get_id();
                got = *result;
                runningInFinished = job.isRunning();
                ++calls;
            });
        QVERIFY(job.isRunning());
        QTRY_COMPARE(calls, 1);
        QCOMPARE(got, 42);
        QCOMPARE(ranOn, std::this_thread::get_id());
        QVERIFY(!runningInFinished);
        QCOMPARE(job.progress()->folders.load(), quint64{3});
    }

    void stoppedWorkHandsNothingBack() {
        // Stopped or destroyed: both return once the work saw the stop.
        for (const bool destroy : {false, true}) {
            int calls = 0;
            auto job = std::make_unique<ScanJob>();
            job->start(UntilStopped, [&](int) { ++calls; });
            destroy ? job.reset() : job->stop();
            QCoreApplication::processEvents();
            QCOMPARE(std::pair(destroy, calls), std::pair(destroy, 0));
            QVERIFY(destroy || !job->isRunning());
        }
    }

    void aResultQueuedBeforeAStopIsDropped() {
        ScanJob job;
        QList<int> got;
        std::atomic<bool> done{false};
        job.start(
            [&done](const WalkControl&) {
                done = true;
                return std::optional<int>(1);
            },
            [&](int v) { got << v; });
        // Most runs have the result queued before the stop.
        while (!done)
            std::this_thread::yield();
        for (int i = 0; i < 100; ++i)
            std::this_thread::yield();
        job.stop();
        // Had the first result been taken for the next run's, it would join a thread for ever.
        job.start(UntilStopped, [&](int v) { got << v; });
        QCoreApplication::processEvents();
        QCOMPARE(got, QList<int>{});
        QVERIFY(job.isRunning());
        job.stop();
    }

    // Where the whole-number size text must leave the rounding to printf: a quotient that
    // is a half-tenth is rounded as its double lies (up, then down), in each larger unit;
    // a count that rounds into the next thousand; one too large for its double.
    void sizeTextOfHalfTenths_data() {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.05 MB") << 1075200ull << "1.1 MB";
        QTest::newRow("1.15 MB") << 1177600ull << "1.1 MB";
        QTest::newRow("1.05 GB") << 1075200000ull << "1.1 GB";
        QTest::newRow("1.05 TB") << 1075200000000ull << "1.1 TB";
        QTest::newRow("999.9999 MB") << 1023999999ull << "1000.0 MB";
        QTest::newRow("2^53 + 1") << ((1ull << 53) | 1) << "8796.1 TB";
    }

    void sizeTextOfHalfTenths() {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        char ascii[kSizeTextRoom];
        QCOMPARE(QLatin1StringView(ascii, static_cast<qsizetype>(SizeText(bytes, ascii))), text);
        QCOMPARE(SizeText(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestScans)
#include "tst_scans.moc"
