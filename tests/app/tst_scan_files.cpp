// Scans in ncdu's JSON format: the bytes written, every report of an import against the
// live tree it came from, our files read again byte for byte (walked, and as they stream),
// ncdu's files read and ours read by ncdu, each kind of bad input refused with its place,
// and the growth report of two files read as they stream.

#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QtTest>

#include "app/cli.h"
#include "app/command_line.h"
#include "app/history_commands.h"
#include "app/reports.h"
#include "engine/scan_export.h"
#include "engine/scan_import.h"
#include "platform/host_device.h"
#include "platform/profile.h"
#include "platform/scan_file.h"
#include "support/temp_tree.h"
#include "support/test_device.h"

using namespace dovrane;

namespace {

constexpr qint64 kWhen = 1700000000;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The export of `device` written to `path`, compressed as its name says.
bool Export(platform::Device& device, const QByteArray& rootName, const QString& path,
            int threads = 1, qint64 when = kWhen) {
    QString error;
    const auto out = platform::ScanOutput::open(path, error);
    engine::WalkControl control;
    control.threads = threads;
    return out && engine::ExportScan(device, u"\\", {rootName, when}, *out, control) &&
           out->finish();
}

// A scan as gdu writes one: a hard link's later names marked alone (the first is counted),
// excluded folders as objects and with entries, a file excluded by a pattern, a read error.
const QByteArray kGduNow(
    "[1,2,{\"progname\":\"gdu\",\"progver\":\"5.22\",\"timestamp\":1700086400},\n"
    "[{\"name\":\"/srv\"},[{\"name\":\"a\"},{\"name\":\"first\",\"asize\":600,\"ino\":11}],\n"
    "[{\"name\":\"d\",\"dev\":7},{\"name\":\"x\",\"asize\":600,\"ino\":11,\"hlnkc\":true},\n"
    "{\"name\":\".y\",\"asize\":600,\"ino\":11,\"hlnkc\":true,\"mode\":33060}],\n"
    "[{\"name\":\"p\"},{\"name\":\"f\",\"asize\":200}],[{\"name\":\"q\"},{\"name\":\"f\",\"asize\":"
    "200}],\n"
    "[{\"name\":\"new\"},{\"name\":\"f\",\"asize\":10}],{\"name\":\"proc\",\"excluded\":\"kernfs\"}"
    ",\n"
    "[{\"name\":\"nfs\",\"excluded\":\"otherfs\"},{\"name\":\"in\",\"asize\":5}],\n"
    "{\"name\":\"skip\",\"asize\":50,\"excluded\":\"pattern\"},{\"name\":\"fifo\",\"notreg\":true},"
    "\n"
    "[{\"name\":\"bad\",\"read_error\":true},{\"name\":\"part\",\"asize\":3}],"
    "{\"name\":\"top\",\"asize\":7}]]\n");

// The figures a user compares: the folder table of the root and of `sub`, then unless
// `foldersOnly` the types, the largest files and the duplicates, as JSON.
QByteArray Figures(platform::Device& device, const QString& sub, bool foldersOnly = false) {
    QByteArray all;
    QList<QStringList> runs{{"folders"}, {"folders", "--path", sub}};
    if (!foldersOnly)
        runs += {{"types"}, {"largest"}, {"duplicates"}, {"largest", "--path", sub}};
    for (const QStringList& run : runs) {
        QStringList args{"--report", run[0], "--format", "json"};
        args += run.mid(1);
        const app::ReportResult r =
            app::RunReport(app::ParseCommandLine(args).options, device, engine::Settings{});
        all += r.output + r.error.toUtf8();
    }
    return all;
}

// A tree of every awkward thing a name or a file can be.
void BuildHostTree(const test::TempTree& t) {
    t.folder("sub");
    t.folder("sub/deeper");
    t.folder("empty");
    t.file("sub/a.bin", 5000);
    QVERIFY(::link(t.host("sub/a.bin").c_str(), t.host("sub/deeper/second-link").c_str()) == 0);
    t.file("sub/deeper/same.bin", 5000);
    t.file("nl\nname.txt", 12);
    t.file("back\\slash.doc", 34);
    t.file("\xff\xfe-not-utf8.iso", 56);
    t.file(std::string(251, 'x') + ".log", 78);
    t.file("quote\"tab\t.txt", 9);
    t.file("sparse.img", 1 << 30);
    QVERIFY(::symlink("sub/a.bin", t.host("link").c_str()) == 0);
    QVERIFY(::mkfifo(t.host("fifo").c_str(), 0644) == 0);
    const std::string data(3000, 'd');
    QFile dense(QString::fromStdString(t.host("sub/dense.dat")));
    QVERIFY(dense.open(QIODevice::WriteOnly));
    dense.write(data.data(), static_cast<qint64>(data.size()));
}

// Runs `program` to its end; whether it exited with status 0.
bool RunToEnd(QProcess& run, const QString& program, const QStringList& arguments) {
    run.start(program, arguments);
    return run.waitForFinished(20000) && run.exitStatus() == QProcess::NormalExit &&
           run.exitCode() == 0;
}

// The awkward host tree exported by another program (`arguments` come before the output
// file and the tree) and imported here.
struct TheirExport {
    TheirExport(const QString& program, QStringList arguments) {
        BuildHostTree(tree);
        const QString file = dir.filePath("theirs.json");
        if (RunToEnd(run, program, arguments << file << tree.root()))
            imported = engine::ImportScanFile(file);
        else
            imported.error = program + " failed: " + run.readAllStandardError();
    }
    test::TempTree tree;
    QTemporaryDir dir;
    QProcess run;
    engine::ImportResult imported;
};

}  // namespace

class TestScanFiles : public QObject {
    Q_OBJECT
private slots:
    void writesTheFormat();
    void roundTripsARootHardLink();
    void readsNcduAndNcduReadsOurs();
    void readsGduAndGduReadsOurs();
    void keepsTimesBeyondTheRange();
    void refusesBadInput_data();
    void refusesBadInput();
    void growthStreamsBothFiles_data();
    void growthStreamsBothFiles();
};

void TestScanFiles::writesTheFormat() {
    // Read errors, folders not entered, hard links, a name that is not UTF-8 and one with
    // a quote and a newline, in walk order, one line an entry.
    platform::TestDevice dev;
    dev.addFile(u"\\a.txt", 1000)
        .addFolder(u"\\empty")
        .failToOpen(u"\\locked")
        .addFile(u"\\part\\1", 1)
        .addFile(u"\\part\\2", 2)
        .stopReadingAfter(u"\\part", 1)
        .notEntered(u"\\proc", platform::FolderState::Pseudo)
        .notEntered(u"\\nfs", platform::FolderState::Network)
        .addFile(u"\\d\\x", 600)
        .addHardLink(u"\\d\\x", u"\\d\\y")
        .addFile(QString::fromUtf16(u"\\q\"\n\xDCFF"), 2)
        .addFile(u"\\huge", quint64(1) << 62);
    const QTemporaryDir dir;
    const QString path = dir.filePath("scan.json");
    QVERIFY(Export(dev, "/srv", path));
    QCOMPARE(ReadAll(path),
             QByteArray("[1,2,{\"progname\":\"dovrane-storage-analyzer\",\"progver\":\"1.0.0.1\","
                        "\"timestamp\":1700000000},\n"
                        "[{\"name\":\"/srv\",\"dev\":1,\"mtime\":0},\n"
                        "{\"name\":\"a.txt\",\"asize\":1000,\"dsize\":1024,\"mtime\":0},\n"
                        "[{\"name\":\"empty\",\"mtime\":0}],\n"
                        "[{\"name\":\"locked\",\"read_error\":true,\"mtime\":0}],\n"
                        "[{\"name\":\"part\",\"read_error\":true,\"mtime\":0},\n"
                        "{\"name\":\"1\",\"asize\":1,\"dsize\":512,\"mtime\":0}],\n"
                        "[{\"name\":\"proc\",\"excluded\":\"kernfs\",\"mtime\":0}],\n"
                        "[{\"name\":\"nfs\",\"excluded\":\"otherfs\",\"mtime\":0}],\n"
                        "[{\"name\":\"d\",\"mtime\":0},\n"
                        "{\"name\":\"x\",\"asize\":600,\"dsize\":1024,\"ino\":11,\"hlnkc\":true,"
                        "\"nlink\":2,\"mtime\":0},\n"
                        "{\"name\":\"y\",\"asize\":600,\"dsize\":1024,\"ino\":11,\"hlnkc\":true,"
                        "\"nlink\":2,\"mtime\":0}],\n"
                        "{\"name\":\"q\\\"\\n\xff\",\"asize\":2,\"dsize\":512,\"mtime\":0},\n"
                        "{\"name\":\"huge\",\"asize\":4611686018427387904,"
                        "\"dsize\":4611686018427387904,\"mtime\":0}]]\n"));
    // Read back, it is the same device to every report, and written again the same bytes.
    engine::ImportResult imported = engine::ImportScanFile(path);
    QVERIFY2(imported.device, qPrintable(imported.error));
    QCOMPARE(Figures(*imported.device, "\\d"), Figures(dev, "\\d"));
    const QString again = dir.filePath("again.json");
    QVERIFY(Export(*imported.device, imported.device->header().rootName, again, 4,
                   imported.device->header().timestamp));
    QCOMPARE(ReadAll(again), ReadAll(path));
    // Read as it streams, the file tells the writer what the walk of its import did.
    QString error;
    const auto out = platform::ScanOutput::open(again, error);
    engine::ScanWriter writer(*out, imported.device->header(), imported.device->findFile(u"\\"));
    QVERIFY(engine::StreamScanFile(path, writer, {.details = true}, &error) && out->finish());
    QCOMPARE(ReadAll(again), ReadAll(path));
    const std::atomic<bool> stopped{false};  // a stopped read tells nothing, and no error
    QVERIFY(!app::ReadScanFile(path, {.scanning = &stopped}, &error) && error.isEmpty());
}

void TestScanFiles::roundTripsARootHardLink() {
    // One name in the root, one three folders down: the root's files must share the
    // volume of the files below, or the link counts twice after the import.
    const test::TempTree t;
    t.folder("a");
    t.folder("a/b");
    t.folder("a/b/c");
    t.file("root.bin", 7000);
    t.file("a/back\\slash.doc", 300);
    QVERIFY(::link(t.host("root.bin").c_str(), t.host("a/b/c/deep-link").c_str()) == 0);
    platform::HostDevice live(t.root());
    const QTemporaryDir dir;
    const QString path = dir.filePath("scan.json");
    QVERIFY(Export(live, "/r", path, 4));
    engine::ImportResult imported = engine::ImportScanFile(path);
    QVERIFY2(imported.device, qPrintable(imported.error));
    QCOMPARE(imported.device->totalBytes(), 7300u);
    QCOMPARE(Figures(*imported.device, "\\a\\b"), Figures(live, "\\a\\b"));
    // File Properties' figures: the time to the second, the link count.
    const auto before = live.findFile(u"\\root.bin");
    const auto after = imported.device->findFile(u"\\root.bin");
    QVERIFY(before && after);
    QCOMPARE(after->lastWriteTime, before->lastWriteTime / 1'000'000'000 * 1'000'000'000);
    QCOMPARE(after->links, 2u);
    // The root's own line names its volume and its time.
    const auto rootDetails = live.findFile(u"\\");
    QVERIFY(rootDetails);
    QVERIFY(ReadAll(path).contains(QStringLiteral("[{\"name\":\"/r\",\"dev\":%1,\"mtime\":%2}")
                                       .arg(rootDetails->id.volume)
                                       .arg(rootDetails->lastWriteTime / 1'000'000'000)
                                       .toUtf8()));
    // Written again, a backslash comes back inside its name.
    const QString again = dir.filePath("again.json");
    QVERIFY(Export(*imported.device, imported.device->header().rootName, again));
    QVERIFY(ReadAll(again).contains("{\"name\":\"back\\\\slash.doc\",\"asize\":300,"));
}

void TestScanFiles::readsNcduAndNcduReadsOurs() {
    const QString ncdu = QStandardPaths::findExecutable("ncdu");
    if (ncdu.isEmpty())
        QSKIP("ncdu is not installed: its files cannot be made or read here");
    TheirExport theirs(ncdu, {"-0", "-o"});
    QVERIFY2(theirs.imported.device, qPrintable(theirs.imported.error));
    platform::HostDevice live(theirs.tree.root());
    QCOMPARE(Figures(*theirs.imported.device, "\\sub"), Figures(live, "\\sub"));
    QCOMPARE(theirs.imported.device->header().progname, QByteArray("ncdu"));

    const QString ours = theirs.dir.filePath("ours.json");
    QVERIFY(Export(live, QFile::encodeName(theirs.tree.root()), ours));
    QProcess& run = theirs.run;
    run.start(ncdu, {"-f", ours, "-o", "-"});
    QVERIFY(run.waitForFinished(20000));
    QCOMPARE(run.readAllStandardError(), QByteArray());
    QCOMPARE(run.exitCode(), 0);
    // ncdu's reading of ours, read by us: the same figures again.
    const QString through = theirs.dir.filePath("through.json");
    WriteAll(through, run.readAllStandardOutput());
    engine::ImportResult back = engine::ImportScanFile(through);
    QVERIFY2(back.device, qPrintable(back.error));
    QCOMPARE(Figures(*back.device, "\\sub"), Figures(live, "\\sub"));
}

void TestScanFiles::readsGduAndGduReadsOurs() {
    // gdu 5.22 marks only the later names of a hard-linked file, writes no dev, no dsize for
    // sparse files and no notreg for a pipe, and replaces bytes that are not UTF-8: the
    // folder figures come out as the live tree's all the same.
    const QString gdu = QStandardPaths::findExecutable("gdu");
    if (gdu.isEmpty())
        QSKIP("gdu is not installed: its files cannot be made or read here");
    TheirExport theirs(gdu, {"-n", "-p", "-o"});
    const engine::ImportResult& imported = theirs.imported;
    QVERIFY2(imported.device, qPrintable(imported.error));
    QCOMPARE(imported.device->header().progname, QByteArray("gdu"));
    platform::HostDevice live(theirs.tree.root());
    QCOMPARE(Figures(*imported.device, "\\sub", true), Figures(live, "\\sub", true));
    QCOMPARE(imported.device->totalBytes(),
             quint64(5000 + 12 + 34 + 56 + 78 + 9 + (1 << 30) + 3000 + 5000 + 9));
    // gdu's total of ours is its total of the tree itself.
    const QString ours = theirs.dir.filePath("ours.json");
    QVERIFY(Export(live, QFile::encodeName(theirs.tree.root()), ours));
    const auto total = [&](const QStringList& source) {
        return RunToEnd(theirs.run, gdu,
                        QStringList{"-n", "-p", "-s", "-a", "--no-prefix"} + source)
                   ? theirs.run.readAllStandardOutput().split(' ').value(0)
                   : theirs.run.readAllStandardError();
    };
    const QByteArray fromOurs = total({"-f", ours});
    QCOMPARE(fromOurs, total({theirs.tree.root()}));
    QVERIFY(fromOurs.toLongLong() > (1 << 30));
}

void TestScanFiles::refusesBadInput_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");  // after "FILE"
    const QByteArray head = "[1,2,{\"progname\":\"x\"},\n[{\"name\":\"/r\"}";
    QTest::newRow("empty") << QByteArray()
                           << ":1:1: expected '[' at the start of a scan, found "
                              "the file ends";
    QTest::newRow("truncated") << head + ",\n{\"name\":\"a\",\"asize\":1"
                               << ":3:22: the file ends inside an entry";
    QTest::newRow("malformed") << head + " x]]"
                               << ":2:16: expected ',' or ']', found 'x'";
    QTest::newRow("major version 2") << QByteArray("[2,0,{},[{\"name\":\"/r\"}]]")
                                     << ":1:2: major version 2: only version 1 can be read";
    QByteArray deep = head;
    for (int i = 0; i < 1'000'000; ++i)
        deep += ",[{\"name\":\"a\"}";
    QTest::newRow("1,000,000 deep") << deep << ":2:1400015: folders nested deeper than 100000";
    QTest::newRow("size of 2^63") << head + ",{\"name\":\"a\",\"asize\":9223372036854775808}]]"
                                  << ":2:36: asize is 2^63 or more";
    QTest::newRow("sizes adding up beyond 2^63")
        << head + ",{\"name\":\"a\",\"asize\":9223372036854775807},{\"name\":\"b\",\"asize\":1}]]"
        << ":2:79: the sizes add up to 2^63 bytes or more";
    QTest::newRow("fraction") << head + ",{\"name\":\"a\",\"dsize\":1.5}]]"
                              << ":2:36: dsize is not a whole number";
    QTest::newRow("NUL escaped") << head + ",{\"name\":\"a\\u0000b\"}]]"
                                 << ":2:24: NUL byte in a name";
    QTest::newRow("dot dot") << head + ",[{\"name\":\"..\"}]]]"
                             << ":2:25: '..' as a name";
    QTest::newRow("slash") << head + ",{\"name\":\"a/b\"}]]"
                           << ":2:24: '/' in a name";
    QTest::newRow("empty name") << head + ",{\"name\":\"\"}]]"
                                << ":2:24: empty name";
    QTest::newRow("no name") << head + ",{\"asize\":3}]]"
                             << ":2:27: an entry without a name";
    QTest::newRow("duplicate names")
        << head + ",\n{\"name\":\"a\"},\n[{\"name\":\"b\"}],\n{\"name\":\"a\"}]]"
        << ":5:13: two entries named 'a' in the folder that ends here";
    QTest::newRow("raw newline in a name") << head + ",{\"name\":\"a\nb\"}]]"
                                           << ":2:26: control character 0x0a inside a string";
    QTest::newRow("name of 70000 bytes")
        << head + ",{\"name\":\"" + QByteArray(70000, 'n') + "\"}]]"
        << ":2:24: name longer than 65535 bytes";
    QTest::newRow("text after the end") << head + "]] []"
                                        << ":2:18: more after the end of the scan";
    QTest::newRow("corrupt gzip") << QByteArray("\x1f\x8b\x08\x00garbage-garbage", 19)
                                  << ": corrupt gzip data";
}

void TestScanFiles::keepsTimesBeyondTheRange() {
    // Seconds near 2^63 and before 1970 are kept, those beyond nanoseconds clamped.
    const QTemporaryDir dir;
    const QString path = dir.filePath("times.json");
    WriteAll(path,
             "[1,2,{},[{\"name\":\"/r\"},{\"name\":\"far\",\"mtime\":9223372036854775807},"
             "{\"name\":\"old\",\"mtime\":-86400}]]");
    const engine::ImportResult r = engine::ImportScanFile(path);
    QVERIFY2(r.device, qPrintable(r.error));
    QCOMPARE(r.device->findFile(u"\\far")->lastWriteTime,
             std::numeric_limits<qint64>::max() / 1'000'000'000 * 1'000'000'000);
    QCOMPARE(r.device->findFile(u"\\old")->lastWriteTime, -86400LL * 1'000'000'000);
}

void TestScanFiles::refusesBadInput() {
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    const QTemporaryDir dir;
    const QString path = dir.filePath("bad.json");
    WriteAll(path, content);
    const engine::ImportResult r = engine::ImportScanFile(path);
    QVERIFY(!r.device);
    QCOMPARE(r.error, path + error);
    QString streamed;  // read as it streams: the same words
    QVERIFY(!app::ReadScanFile(path, {}, &streamed));
    QCOMPARE(streamed, r.error);
}
void TestScanFiles::growthStreamsBothFiles_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("now");
    QTest::newRow("text") << QStringList() << kGduNow;
    QTest::newRow("json by type") << QStringList{"--format", "json", "--by", "type"} << kGduNow;
    QTest::newRow("later scan cut short") << QStringList() << kGduNow.chopped(30);
}

void TestScanFiles::growthStreamsBothFiles() {
    // --import beside --since reads both files as they stream: the report is, to the byte,
    // the one of the later scan imported whole, and so is the error of a file it refuses.
    QFETCH(QStringList, options);
    QFETCH(QByteArray, now);
    const QTemporaryDir dir;
    const QString thenFile = dir.filePath("then.json"), nowFile = dir.filePath("now.json");
    // Before: p and q smaller, "new" named "old".
    WriteAll(thenFile, QByteArray(kGduNow).replace("200", "100").replace("new", "old"));
    WriteAll(nowFile, now);
    options += {"--report", "growth", "--since", thenFile};
    const platform::Profile profile(dir.filePath("profile.ini"));
    const app::CliResult streamed =
        app::RunCommandLine(options + QStringList{"--import", nowFile}, profile);
    const engine::ImportResult whole = engine::ImportScanFile(nowFile);
    QCOMPARE(streamed.exitCode, whole.device ? 0 : 2);
    if (!whole.device) {
        QCOMPARE(streamed.out + streamed.err,
                 "dovrane-storage-analyzer: " + whole.error.toUtf8() + '\n');
        return;
    }
    const app::ReportResult report =
        app::RunReport(app::ParseCommandLine(options).options, *whole.device, {});
    QVERIFY(streamed.err.isEmpty() && streamed.out.contains("old"));
    QCOMPARE(streamed.out, report.output);
}

QTEST_GUILESS_MAIN(TestScanFiles)
#include "tst_scan_files.moc"
