// The reports to the character, as JSON and as text; --since with nothing to compare with.

#include "tst_reports.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

#include "app/history_commands.h"
#include "app/json_writer.h"
#include "app/reports.h"
#include "engine/file_search.h"
#include "engine/text.h"
#include "support/test_device.h"

using namespace dovrane::app;
using dovrane::platform::TestDevice;

namespace {

ReportResult Run(TestDevice& dev, const QStringList& arguments,
                 const dovrane::engine::Settings& settings = {}) {
    return RunReport(ParseCommandLine(arguments).options, dev, settings);
}

void Sample(TestDevice& dev) {
    dev.addFile(u"\\a.DOC", 300)
        .addFile(u"\\Docs\\b.doc", 300)
        .addFile(u"\\Docs\\readme", 2048)
        .addFile(u"\\Docs\\sub\\B.DOC", 1)
        .addFile(u"\\x.", 0)
        .addHardLink(u"\\Docs\\readme", u"\\copy-of-readme");
}

const qint64 kThen = QDateTime(QDate(2026, 11, 29), QTime(14, 5), Qt::UTC).toSecsSinceEpoch();
const qint64 kNow = QDateTime(QDate(2026, 12, 6), QTime(9, 30), Qt::UTC).toSecsSinceEpoch();

void GrowthSample(TestDevice& then, TestDevice& now) {
    then.addFile(u"\\docs\\a.txt", 100)
        .addFile(u"\\docs\\b.txt", 200)
        .addFile(u"\\old\\x", 1000)
        .addFile(u"\\top", 5);
    now.addFile(u"\\docs\\a.txt", 2000)
        .addFile(u"\\docs\\c.txt", 50)
        .addFile(u"\\top", 5)
        .addFile(u"\\new\\y.bin", 1024);
}

ReportResult RunGrowth(TestDevice& then, TestDevice& now, const QStringList& arguments) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    const ReportContext context{parsed.options, now, {}, {}, 0, {}};
    dovrane::engine::ScanIndex index;
    index.build(then, {});
    return GrowthReportAgainst(context, index, kThen, kNow);
}

}  // namespace

void TestReports::foldersJson() {
    TestDevice dev;
    dev.addFile(u"\\b\\x", 300)
        .addFile(u"\\A\\y", 300)
        .addFile(u"\\a\\big", 5ull << 30)
        .addFile(u"\\a\\z", 1)
        .addHardLink(u"\\a\\z", u"\\c\\z")
        .addFile(u"\\top", 100)
        .addFile(QString::fromUtf16(u"\\q\"\\\xDCFF"), 7);
    dovrane::engine::Settings settings;
    settings.sliceColors[1] = 0x00FF00;
    const ReportResult root =
        Run(dev, {"--report", "folders", "--format", "json", "--slices", "3"}, settings);
    QCOMPARE(
        root.output,
        QByteArray(
            R"({"unreadable_folders": 0, "path": "\\Pocket PC", "total_bytes": 5368709828, "files_bytes": 100, )"
            R"("other_bytes": 407, "tree_bytes": 5368709828, "entries": [)"
            R"({"name": "a", "bytes": 5368709121, "size": "5.2 GB", "fol_pct": "100.0", "tot_pct": "100.0"}, )"
            R"({"name": "b", "bytes": 300, "size": "300  B", "fol_pct": "0.0", "tot_pct": "0.0"}, )"
            R"({"name": "A", "bytes": 300, "size": "300  B", "fol_pct": "0.0", "tot_pct": "0.0"}, )"
            R"({"name": "\"In Folder\"", "bytes": 100, "size": "100  B", "fol_pct": "0.0", "tot_pct": "0.0"}, )"
            R"({"name": "q\"", "bytes": 7, "size": "7  B", "fol_pct": "0.0", "tot_pct": "0.0"}, )"
            R"({"name": "c", "bytes": 0, "size": "0  B", "fol_pct": "0.0", "tot_pct": "0.0"}], )"
            R"("by_name": ["\"In Folder\"", "a", "A", "b", "c", "q\""], )"
            R"("slices": [{"name": "a", "start": 0, "end": 359, "color": 255}, )"
            R"({"name": "b", "start": 359, "end": 359, "color": 65280}, )"
            R"({"name": "\"Other\"", "start": 359, "end": 360, "color": 65535}]})"
            "\n"));
}

void TestReports::namesThatAreNotUtf8() {
    TestDevice dev;
    dev.addFile(QString::fromUtf16(u"\\bad\xDCFF\\f"), 1);
    const ReportResult r = Run(dev, {"--report", "folders", "--format", "json", "--path",
                                     QString::fromUtf16(u"\\BAD\xDCFF")});
    QVERIFY(r.output.startsWith(R"({"unreadable_folders": 0, "path": "\\bad\udcff", )"));
}

void TestReports::unreadableFolders() {
    // Unopened and read part way are errors; a folder the walk does not enter is none.
    TestDevice dev;
    dev.addFile(u"\\part\\a", 5)
        .addFile(u"\\part\\b", 7)
        .stopReadingAfter(u"\\part", 1)
        .failToOpen(u"\\locked\\deeper")
        .notEntered(u"\\proc", dovrane::platform::FolderState::Pseudo);
    const ReportResult r = Run(dev, {"--report", "folders", "--format", "json"});
    QCOMPARE(r.output.left(r.output.indexOf("\"by_name\"")),
             QByteArray(R"({"unreadable_folders": 2, "path": "\\Pocket PC", "total_bytes": 5, )"
                        R"("files_bytes": 0, "other_bytes": 0, "tree_bytes": 5, "entries": [)"
                        R"({"name": "part", "bytes": 5, "size": "5  B", "fol_pct": "100.0", )"
                        R"("tot_pct": "100.0", "read_error": true}, )"
                        R"({"name": "locked", "bytes": 0, "size": "0  B", "fol_pct": "0.0", )"
                        R"("tot_pct": "0.0"}, )"
                        R"({"name": "proc", "bytes": 0, "size": "0  B", "fol_pct": "0.0", )"
                        R"("tot_pct": "0.0"}], )"));
    QVERIFY(Run(dev, {"--report", "largest", "--format", "json"})
                .output.startsWith(R"({"unreadable_folders": 2, )"));
}

void TestReports::foldersText() {
    TestDevice dev;
    dev.addFile(u"\\music\\a.mp3", 2048000).addFile(u"\\x\\b", 3).addFile(u"\\here", 1024);
    const ReportResult r = Run(dev, {"--report", "folders"});
    QCOMPARE(QString::fromUtf8(r.output), QStringLiteral("\\Pocket PC\n"
                                                         "Folder         Size  Fol %  Tot %\n"
                                                         "music        2.0 MB  99.9   99.9\n"
                                                         "\"In Folder\"  1.0 KB  0.0    0.0\n"
                                                         "x              3  B  0.0    0.0\n"));
}

void TestReports::types() {
    TestDevice dev;
    Sample(dev);
    const ReportResult r = Run(dev, {"--report", "types", "--format", "json", "--slices", "3"});
    QCOMPARE(
        r.output,
        QByteArray(
            R"({"unreadable_folders": 0, "total_bytes": 2649, "other_bytes": 300, "types": [)"
            R"({"name": "Generic", "files": 2, "bytes": 2048, "size": "2.0 KB", "total_pct": "77.3"}, )"
            R"({"name": "DOC", "files": 2, "bytes": 301, "size": "301  B", "total_pct": "11.4"}, )"
            R"({"name": "doc", "files": 1, "bytes": 300, "size": "300  B", "total_pct": "11.3"}, )"
            R"({"name": "", "files": 1, "bytes": 0, "size": "0  B", "total_pct": "0.0"}], )"
            R"("by_name": ["", "doc", "DOC", "Generic"], "met": ["DOC", "doc", "Generic", ""], )"
            R"("slices": [{"name": "Generic", "start": 0, "end": 278, "color": 255}, )"
            R"({"name": "DOC", "start": 278, "end": 318, "color": 32768}, )"
            R"({"name": "\"Other\"", "start": 318, "end": 360, "color": 65535}]})"
            "\n"));
}

void TestReports::searchesAndFileLists() {
    TestDevice dev;
    Sample(dev);
    ReportResult r = Run(dev, {"--report", "duplicates", "--format", "json"});
    QCOMPARE(
        r.output,
        QByteArray(R"({"unreadable_folders": 0, "header": "\\Pocket PC", "files": [)"
                   R"({"name": "B.DOC", "folder": "\\Docs\\sub", "bytes": 1, "size": "1  B"}, )"
                   R"({"name": "b.doc", "folder": "\\Docs", "bytes": 300, "size": "300  B"}]})"
                   "\n"));
    r = Run(dev, {"--report", "largest", "--path", "\\docs"});
    QCOMPARE(QString::fromUtf8(r.output), QStringLiteral(" \\Docs\n"
                                                         "File      Size  Folder\n"
                                                         "readme  2.0 KB  \\Docs\n"
                                                         "b.doc   300  B  \\Docs\n"
                                                         "B.DOC     1  B  \\Docs\\sub\n"));
    r = Run(dev, {"--report", "largest", "--path", "\\Docs\\readme"});
    QCOMPARE(r.exitCode, 3);
    QCOMPARE(r.error, QStringLiteral("no folder '\\Docs\\readme' on the device"));
    r = Run(dev, {"--report", "type-files", "--type", "DOC", "--format", "json"});
    QCOMPARE(
        r.output,
        QByteArray(R"({"unreadable_folders": 0, "type": "DOC", "files": [)"
                   R"({"name": "a.DOC", "folder": "", "bytes": 300, "size": "300  B"}, )"
                   R"({"name": "B.DOC", "folder": "\\Docs\\sub", "bytes": 1, "size": "1  B"}]})"
                   "\n"));
    r = Run(dev, {"--report", "type-files", "--type", "Doc"});
    QCOMPARE(r.error, QStringLiteral("no file of type 'Doc' on the device"));
}

void TestReports::overview() {
    TestDevice dev;
    dev.setMemory(dovrane::platform::MemoryFigures{16777216, 4194304})
        .setDiskSpace(u"\\", dovrane::platform::DiskSpace{1048576 * 100, 1048576 * 25})
        .addFolder(u"\\SD", dovrane::platform::kAttributeTemporary)
        .setDiskSpace(u"\\SD", dovrane::platform::DiskSpace{1000000, 0});
    QCOMPARE(
        Run(dev, {"--report", "overview", "--format", "json"}).output,
        QByteArray(
            R"({"unreadable_folders": 0, "program": {"total": 16, "free": 4, "used": 12, "total_text": "16.00 MB", )"
            R"("free_text": "4.00 MB", "used_text": "12.00 MB"}, )"
            R"("storage": {"total": 100, "free": 25, "used": 75, "total_text": "100.00 MB", )"
            R"("free_text": "25.00 MB", "used_text": "75.00 MB"}, )"
            R"("main_total": 116, "main_total_text": "116.00 MB", "cards": ["SD"], )"
            R"("card": {"name": "SD", "total": 0.95367431640625, "free": 0, )"
            R"("used": 0.95367431640625, "total_text": "0.95 MB", "free_text": "0.00 MB", )"
            R"("used_text": "0.95 MB"}})"
            "\n"));
}

// Streamed in blocks, byte for byte the listing held whole, on control characters, DEL,
// bytes not UTF-8, surrogate pairs, trailing blanks.
void TestReports::streamedListings() {
    TestDevice dev;
    dev.addFile(QString::fromUtf16(u"\\bad\xDCFF\\f\x01g"), 7)
        .addFile(u"\\end ", 7)
        .addFile(QString::fromUtf16(u"\\trail \\\x65e5\x672c.txt"), 5ull << 32)
        .addFile(QString::fromUtf16(u"\\trail \\\xD83D\xDE00\x7F"), 300)
        .addFile(u"\\trail \\sub\\END ", 7)
        .addFile(u"\\q\"\\F", 300)
        .addFile(u"\\q\"\\long-name-of-a-file.doc", 0);
    // Enough rows for a listing of several blocks, every name twice.
    for (int i = 0; i < 6000; ++i)
        dev.addFile(QStringLiteral("\\many\\d%1\\f%2").arg(i % 7).arg(i % 3000), quint64(i % 500)
                                                                                     << 10);
    for (const char* arguments :
         {"--report largest --path \\many", "--report duplicates --format json"}) {
        const Options options =
            ParseCommandLine(QString::fromLatin1(arguments).split(u' ')).options;
        const ReportResult held = RunReport(options, dev, {});
        QList<QByteArray> blocks;
        const ReportResult streamed = RunReport(
            options, dev, {}, [&](QByteArrayView bytes) { blocks.append(bytes.toByteArray()); });
        QVERIFY(held.exitCode == 0 && streamed.exitCode == 0 && streamed.output.isEmpty());
        QVERIFY(blocks.size() > 2);
        QCOMPARE(blocks.join(), held.output);
    }
}

// Formatted a chunk of rows at a time on one thread or two, against the listing laid out
// whole by the plain writers: one folder's run of equal sizes across each end of a chunk,
// the second folder not plain, a name with a control character, a folder whose host name
// holds a backslash.
void TestReports::chunkedListings_data() {
    QTest::addColumn<QString>("arguments");
    for (const char* threads : {"1", "2"})
        for (const char* format : {"text", "json"})
            QTest::addRow("%s thread(s), %s", threads, format)
                << QStringLiteral("--report largest --threads %1 --format %2").arg(threads, format);
}

void TestReports::chunkedListings() {
    QFETCH(QString, arguments);
    TestDevice dev;
    for (int i = 0; i < 3000; ++i)
        dev.addFile(i < 1100   ? QStringLiteral("\\a\\f%1").arg(i)
                    : i < 2100 ? QString::fromUtf16(u"\\b\\\x65e5\\g%1\x01").arg(i)
                               : QString::fromUtf16(u"\\a\\c\xFF3C"
                                                    u"d\\h%1")
                                     .arg(i),
                    i < 1100 ? 5000 : (i < 2100 ? 4000 : quint64(i)));
    dovrane::engine::FileSearch search;
    search.SearchFiles(dev, {}, true, {});
    const dovrane::engine::FileList& list = search.list();
    QList<QStringList> table{{"File", "Size", "Folder"}};
    JsonWriter json;
    json.beginObject().key(u"unreadable_folders").value(0).key(u"header").value(u"\\Pocket PC");
    json.key(u"files").beginArray();
    for (const quint32 i : search.results()) {
        const auto& r = list[i];
        const QString size = dovrane::engine::SizeText(r.size);
        table.append({list.name(r), size, list.folder(r)});
        json.beginObject().key(u"name").value(list.name(r)).key(u"folder").value(list.folder(r));
        json.key(u"bytes").value(r.size).key(u"size").value(size).endObject();
    }
    const QByteArray expected = arguments.endsWith(u"json")
                                    ? json.endArray().endObject().finish()
                                    : "\\Pocket PC\n" + AlignedTable(table, {false, true, false});
    QList<QByteArray> blocks;
    const ReportResult r =
        RunReport(ParseCommandLine(arguments.split(u' ')).options, dev, {},
                  [&](QByteArrayView bytes) { blocks.append(bytes.toByteArray()); });
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(blocks.join(), expected);
}

// Never the user's own history.
void TestReports::init() {
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
}

void TestReports::growthTextAndJson() {
    TestDevice then, now;
    GrowthSample(then, now);
    const ReportResult text = RunGrowth(then, now, {"--report", "growth", "--since", "last"});
    QCOMPARE(text.exitCode, 0);
    QCOMPARE(text.output, QByteArray(R"(\Pocket PC
Since 2026-11-29 14:05:00 UTC
Folder          Then     Now    Change  New files  Removed files
docs          300  B  2.0 KB   +1.7 KB          1              1
new             0  B  1.0 KB   +1.0 KB          1              0
old          1000  B    0  B  -1000  B          0              1
"In Folder"     5  B    5  B      0  B          0              0

File     Then     Now  Folder
a.txt  100  B  2.0 KB  \docs
y.bin    0  B  1.0 KB  \new
c.txt    0  B   50  B  \docs
)"));
    const ReportResult json =
        RunGrowth(then, now, {"--report", "growth", "--since", "last", "--format", "json"});
    QCOMPARE(
        json.output,
        QByteArray(
            R"({"path": "\\Pocket PC", "then_time": "2026-11-29T14:05:00Z", )"
            R"("now_time": "2026-12-06T09:30:00Z", "then_bytes": 1305, "now_bytes": 3079, )"
            R"("change_bytes": 1774, "new_files": 2, "removed_files": 2, "by": "folder", "rows": [)"
            R"({"name": "docs", "then_bytes": 300, "now_bytes": 2050, "change_bytes": 1750, "new_files": 1, "removed_files": 1}, )"
            R"({"name": "new", "then_bytes": 0, "now_bytes": 1024, "change_bytes": 1024, "new_files": 1, "removed_files": 0}, )"
            R"({"name": "old", "then_bytes": 1000, "now_bytes": 0, "change_bytes": -1000, "new_files": 0, "removed_files": 1}, )"
            R"({"name": "\"In Folder\"", "then_bytes": 5, "now_bytes": 5, "change_bytes": 0, "new_files": 0, "removed_files": 0}], )"
            R"("files": [{"name": "a.txt", "folder": "\\docs", "then_bytes": 100, "now_bytes": 2000, "change_bytes": 1900}, )"
            R"({"name": "y.bin", "folder": "\\new", "then_bytes": 0, "now_bytes": 1024, "change_bytes": 1024}, )"
            R"({"name": "c.txt", "folder": "\\docs", "then_bytes": 0, "now_bytes": 50, "change_bytes": 50}]})"
            "\n"));
}

void TestReports::growthByTypeBelowAPath() {
    TestDevice then, now;
    GrowthSample(then, now);
    const ReportResult text = RunGrowth(
        then, now, {"--report", "growth", "--since", "last", "--by", "type", "--path", "\\DOCS"});
    // The files below it as by folder.
    QCOMPARE(text.output.left(text.output.indexOf("\n\n") + 1), QByteArray(R"(\docs
Since 2026-11-29 14:05:00 UTC
Type    Then     Now   Change  New files  Removed files
txt   300  B  2.0 KB  +1.7 KB          1              1
)"));
    const ReportResult missing =
        RunGrowth(then, now, {"--report", "growth", "--since", "last", "--path", "\\nowhere"});
    QCOMPARE(missing.exitCode, 3);
    QCOMPARE(missing.error, "no folder '\\nowhere' in either scan");
}

void TestReports::sinceWithoutSnapshots() {
    for (const auto& [when, exitCode, error] :
         {std::tuple("last", 3, "no snapshot of /srv at or before 2026-12-06 09:30:00 UTC"),
          {"2026-11-29", 3, "no snapshot of /srv at or before 2026-11-29 23:59:59 UTC"},
          {"12h", 3, "no snapshot of /srv at or before 2026-12-05 21:30:00 UTC"},
          {"2026-02-30", 2,
           "--since takes last, a date (2026-11-29), an age (7d, 12h) or a scan file, not "
           "'2026-02-30'"}}) {
        const ParsedCommandLine parsed =
            ParseCommandLine({"--report", "growth", "--since", when, "/srv"});
        QStringList notes;
        ReportResult failure;
        QVERIFY(!OpenEarlierScan(parsed.options, "/srv", kNow, notes, failure));
        QCOMPARE(failure.exitCode, exitCode);
        QCOMPARE(failure.error.section(" in /", 0, 0), QString::fromLatin1(error));
    }
}

QTEST_GUILESS_MAIN(TestReports)
