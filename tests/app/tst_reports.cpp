// The reports to the character: folders, types, searches, a type's files and the overview;
// the folder table and a file list also as text.

#include "tst_reports.h"

#include <QtTest>

#include "app/reports.h"
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
    // One folder that cannot be opened, one whose read fails part way (counted with what
    // it read), one the walk does not enter: only the first two are errors.
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
    const ReportResult inside =
        Run(dev, {"--report", "folders", "--format", "json", "--path", "\\locked"});
    QVERIFY2(
        inside.output.contains(R"("path": "\\locked", "total_bytes": 0, )") &&
            inside.output.contains(R"({"name": "deeper", "bytes": 0, "size": "0  B", )"
                                   R"("fol_pct": "0.0", "tot_pct": "0.0", "read_error": true}])"),
        inside.output.constData());
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

// Row name: the arguments. The listing written as it is made, in several blocks, equals
// byte for byte the one held whole, on names that are not plain: control characters, DEL,
// bytes that are not UTF-8, characters of two UTF-16 units, trailing blanks.
void TestReports::streamedListings_data() {
    QTest::addColumn<QString>("arguments");
    for (const char* arguments :
         {"--report largest --path \\many", "--report duplicates --format json"})
        QTest::newRow(arguments) << QString::fromLatin1(arguments);
}

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
    QFETCH(QString, arguments);
    const Options options = ParseCommandLine(arguments.split(u' ')).options;
    const ReportResult held = RunReport(options, dev, {});
    QList<QByteArray> blocks;
    const ReportResult streamed = RunReport(
        options, dev, {}, [&](QByteArrayView bytes) { blocks.append(bytes.toByteArray()); });
    QCOMPARE(held.exitCode, 0);
    QCOMPARE(streamed.exitCode, 0);
    QVERIFY(streamed.output.isEmpty());
    QVERIFY(blocks.size() > 2);
    QCOMPARE(blocks.join(), held.output);
}

QTEST_GUILESS_MAIN(TestReports)
