#include <fcntl.h>
#include <unistd.h>

#include <QtTest>
#include <functional>
#include <random>
#include <set>

#include "engine/folder_tree.h"
#include "engine/walk.h"
#include "engine/walk_replay.h"
#include "platform/host_device.h"
#include "platform/name_codec.h"
#include "support/temp_tree.h"
#include "support/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::FindData;
using namespace dovrane::test;

namespace {

// Writes down what the walk feeds a sink, one word per event.
class RecordingSink final : public WalkSink {
public:
    QStringList events;
    std::function<void()> onTrigger;  // run once, at the file named "trigger"

    void enterFolder(std::string_view name, const FindData&) override {
        events << "enter " + dovrane::platform::DecodeHostName(name);
    }
    void file(std::string_view name, const FindData&, bool counted) override {
        events << dovrane::platform::DecodeHostName(name) + (counted ? "" : " (again)");
        if (onTrigger && events.back() == "trigger")
            std::exchange(onTrigger, nullptr)();
    }
    void leaveFolder() override { events << "leave"; }
};

// Clears the scanning flag after so many events, as closing a view does mid-scan.
struct StoppingSink final : WalkSink {
    std::atomic<bool>& scanning;
    int left;
    StoppingSink(std::atomic<bool>& flag, int after) : scanning(flag), left(after) {}
    void tick() { scanning = scanning && --left != 0; }
    void enterFolder(std::string_view, const FindData&) override { tick(); }
    void file(std::string_view, const FindData&, bool) override { tick(); }
    void leaveFolder() override { tick(); }
};

}  // namespace

class TestWalk : public QObject {
    Q_OBJECT
private slots:
    void depthFirstInEnumerationOrder() {
        dovrane::platform::TestDevice dev;
        dev.addFile(u"\\first", 1)
            .addFile(u"\\d\\inner", 1)
            .addFolder(u"\\d\\e")
            .addFile(u"\\last", 1)
            .addHardLink(u"\\d\\inner", u"\\d\\e\\link")
            .failToOpen(u"\\shut")
            .addFile(u"\\cut\\one", 1)
            .addFile(u"\\cut\\sub\\deep", 4)
            .addFile(u"\\cut\\three", 2)
            .stopReadingAfter(u"\\cut", 2);
        RecordingSink sink;
        QVERIFY(WalkTree(dev, u"\\", sink, {}));
        // A folder that stops part way gives what was read before it stopped.
        QCOMPARE(sink.events,
                 QStringList({"first", "enter d", "inner", "enter e", "link (again)", "leave",
                              "leave", "last", "enter shut", "leave", "enter cut", "one",
                              "enter sub", "deep", "leave", "leave", "leave"}));
    }

    // The parallel walk feeds its sink exactly what the sequential one does: on a random
    // tree, and on many small nested folders, where readers trade kept listings all the time
    // and each folder's sub-folders outlive the listing they were named in.
    void parallelMatchesSequential_data() {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<bool>("small");
        for (const unsigned seed : {1u, 2u, 3u})
            QTest::addRow("random %u", seed) << seed << false;
        QTest::newRow("small nested folders") << 4u << true;
    }
    void parallelMatchesSequential() {
        QFETCH(unsigned, seed);
        QFETCH(bool, small);
        std::mt19937 random(seed);
        dovrane::platform::TestDevice dev;
        QStringList folders{""};
        QStringList files;
        const auto pick = [&](const QStringList& from) {
            return from[static_cast<qsizetype>(random() % from.size())];
        };
        if (small) {
            // Folders of a few entries, three levels down, as in a tree of packages; one in
            // fifty holds more than a thread keeps of its own.
            for (int i = 0; i < 1500; ++i) {
                const QString parent =
                    i < 300 ? QString() : folders[1 + static_cast<qsizetype>(random() % 300)];
                const QString path =
                    (random() % 3 ? parent : pick(folders)) + QStringLiteral("\\p%1").arg(i);
                dev.addFolder(path), folders << path;
                const int count = i % 50 == 0 ? 80 : static_cast<int>(random() % 9);
                for (int f = 0; f < count; ++f)
                    dev.addFile(path + QStringLiteral("\\f%1").arg(f), random() % 1000);
            }
        } else {
            for (int i = 0; i < 3000; ++i) {
                const QString path = pick(folders) + QStringLiteral("\\n%1").arg(i);
                const auto kind = random() % 4;
                if (kind == 0)
                    dev.addFolder(path), folders << path;
                else if (kind == 1 && !files.isEmpty())
                    dev.addHardLink(pick(files), path);
                else
                    dev.addFile(path, random() % 1000), files << path;
            }
        }
        dev.failToOpen(folders[5]).stopReadingAfter(folders[7], 1);
        RecordingSink sequential;
        QVERIFY(WalkTreeSequential(dev, u"\\", sequential, {}));
        // Cold, every read wakes the readers beyond one a core.
        for (const bool cold : {false, true}) {
            dev.setCold(cold);
            for (const int threads : {2, 3, 8}) {
                RecordingSink parallel;
                ScanProgress progress;
                QVERIFY(
                    WalkTree(dev, u"\\", parallel, {.progress = &progress, .threads = threads}));
                QCOMPARE(parallel.events, sequential.events);
                QVERIFY(progress.readersStarted);  // a library may be loaded now
            }
        }
    }

    // Each name of a linked file in turn, against a plain set: the first link of each file
    // counts, whatever the table's size, its collisions or an identity of zeros.
    void firstLinksCountEachFileOnce() {
        std::vector<FindData> names;
        const auto name = [&](quint64 volume, quint64 inode, quint32 links) {
            FindData e;
            e.id = {volume, inode};
            e.links = links;
            names.push_back(e);
        };
        std::mt19937_64 random(7);
        for (int round = 0; round < 3; ++round) {
            for (quint64 i = 0; i < 3000; ++i) {
                name(0xfe00, i << 40, 2);           // the same low bits
                name(i % 2 ? 0x803 : 0x804, i, 3);  // inode alike, volume not
                name(0, random() % 4000, 2);
            }
            name(0, 0, 2);
            name(0xfe00, 5, 1);  // one link: first every time
            name(0xfe00, 6, 0);  // a later name of a file counted unmarked: never
        }
        FirstLinks links;
        std::set<std::pair<quint64, quint64>> seen;
        int firsts = 0;
        for (const FindData& e : names) {
            const bool expected =
                e.links == 1 || (e.links > 1 && seen.insert({e.id.volume, e.id.inode}).second);
            QCOMPARE(links.isFirst(e), expected);
            firsts += expected;
        }
        QVERIFY(firsts > 9000);
    }

    // Pages of the program read back while the sink works (a warm tree, a system that evicts
    // idle pages) are no cold disk: the readers beyond one a core stay asleep.
    void readsOutsideFoldersWakeNoExtraReaders() {
        struct PageFaultingSink final : WalkSink {
            void enterFolder(std::string_view, const FindData&) override {}
            void file(std::string_view, const FindData&, bool) override {
                dovrane::platform::TestDevice::readElsewhere();
            }
            void leaveFolder() override {}
        };
        dovrane::platform::TestDevice dev;
        for (int i = 0; i < 3000; ++i)
            dev.addFile(QStringLiteral("\\a%1\\b%2\\f").arg(i % 300).arg(i % 7), 1);
        PageFaultingSink sink;
        QVERIFY(WalkTree(dev, u"\\", sink, {.threads = 8}));
        const size_t cores = std::max(2u, std::thread::hardware_concurrency());
        QVERIFY2(dev.readingThreads() <= cores, qPrintable(QString::number(dev.readingThreads())));
    }

    void stoppedParallelWalkLetsGo() {
        dovrane::platform::TestDevice dev;
        for (int i = 0; i < 2000; ++i)
            dev.addFile(QStringLiteral("\\a%1\\b\\f").arg(i % 300), 1);
        for (const bool cold : {false, true}) {
            dev.setCold(cold);
            std::atomic<bool> scanning{true};
            StoppingSink sink(scanning, 500);
            QVERIFY(!WalkTree(dev, u"\\", sink, {.scanning = &scanning, .threads = 4}));
        }
    }

    // Deeper than PATH_MAX and the descriptors kept: parked folders are opened again.
    void deepTreeOnTheHost() {
        TempTree t;
        const std::string name(30, 'x');
        const int five = Descend(t.openFolder(), name, 5);
        const int bottom = Descend(::dup(five), name, 295);
        MakeFile(InFolder(bottom, "bottom"), 1000);
        // A sibling made after the deep branch, at level 5.
        QVERIFY(::mkdirat(five, "zzz", 0755) == 0);
        MakeFile(InFolder(five, "zzz/side"), 7);
        ::close(five);
        ::close(bottom);
        dovrane::platform::HostDevice device(t.root());
        FolderTree tree;
        QVERIFY(ScanFolder(device, tree, 16, {}));
        QCOMPARE(tree.root()->totalSize, quint64{1007});
        RecordingSink sequential, parallel;
        WalkTreeSequential(device, u"\\", sequential, {});
        WalkTree(device, u"\\", parallel, {.threads = 2});
        QCOMPARE(parallel.events, sequential.events);
        QCOMPARE(tree.nodeCount(), size_t{1 + 300 + 1 + 2});  // folders and two "In Folder"
    }

    // Two folders swap places before they are entered: each is walked whole, never half.
    void folderReplacedBeforeEntered_data() {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("pace");
        QTest::newRow("paced") << 1 << 1;
        QTest::newRow("parallel") << 2 << 0;
    }
    void folderReplacedBeforeEntered() {
        QFETCH(int, threads);
        QFETCH(int, pace);
        TempTree t;
        t.file("trigger");
        for (const std::string name : {"b", "c"}) {
            t.folder(name);
            t.folder(name + "/inner");
            t.file(name + "/" + name + "1");
            t.file(name + "/inner/" + name + "2");
        }
        dovrane::platform::HostDevice device(t.root());
        RecordingSink sink;
        sink.onTrigger = [&t] {
            QVERIFY(::renameat2(AT_FDCWD, t.host("b").c_str(), AT_FDCWD, t.host("c").c_str(),
                                RENAME_EXCHANGE) == 0);
        };
        QVERIFY(WalkTree(device, u"\\", sink,
                         {.pace = std::chrono::milliseconds(pace), .threads = threads}));
        const QStringList& ev = sink.events;
        for (const QString name : {"b", "c"}) {
            const qsizetype at = ev.indexOf("enter " + name);
            QVERIFY(at >= 0);
            // Its own file, then its inner folder's, from one and the same folder.
            const QString own = ev.mid(at + 1, 5).filter(QRegularExpression("^[bc]1$")).value(0);
            const QString inner = ev.mid(at + 1, 5).filter(QRegularExpression("^[bc]2$")).value(0);
            QCOMPARE(inner.left(1), own.left(1));
            if (pace > 0 && ev.indexOf("trigger") < at)
                QCOMPARE(own, (name == "b" ? "c" : "b") + QStringLiteral("1"));
        }
    }
};

QTEST_GUILESS_MAIN(TestWalk)
#include "tst_walk.moc"
