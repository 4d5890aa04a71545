#include "tst_file_reports.h"

#include <QtTest>

#include "app/reports.h"
#include "platform/find_data.h"
#include "platform/test_device.h"

using namespace dovrane::app;
using dovrane::platform::TestDevice;

namespace {

ReportResult Run(TestDevice& dev, const QStringList& arguments) {
    const ParsedCommandLine p = ParseCommandLine(arguments);
    return RunReport(p.options, dev, {});
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

void TestFileReports::typesJson() {
    TestDevice dev;
    Sample(dev);
    const ReportResult r = Run(dev, {"--report", "types", "--format", "json", "--slices", "3"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(
        r.output,
        QByteArray(
            R"({"total_bytes": 2649, "other_bytes": 300, "types": [)"
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

void TestFileReports::typesText() {
    TestDevice dev;
    Sample(dev);
    QCOMPARE(QString::fromUtf8(Run(dev, {"--report", "types"}).output),
             QStringLiteral("Type       Size  Total %\n"
                            "Generic  2.0 KB  77.3\n"
                            "DOC      301  B  11.4\n"
                            "doc      300  B  11.3\n"
                            "           0  B  0.0\n"));
}

void TestFileReports::searches() {
    TestDevice dev;
    Sample(dev);
    ReportResult r = Run(dev, {"--report", "duplicates", "--format", "json"});
    QCOMPARE(
        r.output,
        QByteArray(R"({"header": "\\Pocket PC", "files": [)"
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
}

void TestFileReports::folderAndTypeFiles() {
    TestDevice dev;
    Sample(dev);
    ReportResult r = Run(dev, {"--report", "files", "--format", "json"});
    QCOMPARE(r.output,
             QByteArray(
                 R"({"folder": "\\", "files": [)"
                 R"({"name": "copy-of-readme", "folder": "\\", "bytes": 2048, "size": "2.0 KB"}, )"
                 R"({"name": "a.DOC", "folder": "\\", "bytes": 300, "size": "300  B"}, )"
                 R"({"name": "x.", "folder": "\\", "bytes": 0, "size": "0  B"}]})"
                 "\n"));
    r = Run(dev, {"--report", "type-files", "--type", "DOC", "--format", "json"});
    QCOMPARE(
        r.output,
        QByteArray(R"({"type": "DOC", "files": [)"
                   R"({"name": "a.DOC", "folder": "", "bytes": 300, "size": "300  B"}, )"
                   R"({"name": "B.DOC", "folder": "\\Docs\\sub", "bytes": 1, "size": "1  B"}]})"
                   "\n"));
    r = Run(dev, {"--report", "type-files", "--type", "Doc"});
    QCOMPARE(r.exitCode, 3);
    QCOMPARE(r.error, QStringLiteral("no file of type 'Doc' on the device"));
}

void TestFileReports::overview() {
    TestDevice dev;
    dev.setMemory(dovrane::platform::MemoryFigures{16777216, 4194304})
        .setDiskSpace(u"\\", dovrane::platform::DiskSpace{1048576 * 100, 1048576 * 25})
        .addFolder(u"\\SD", dovrane::platform::kAttributeTemporary)
        .setDiskSpace(u"\\SD", dovrane::platform::DiskSpace{1000000, 0});
    ReportResult r = Run(dev, {"--report", "overview", "--format", "json"});
    QCOMPARE(r.output,
             QByteArray(
                 R"({"program": {"total": 16, "free": 4, "used": 12, "total_text": "16.00 MB", )"
                 R"("free_text": "4.00 MB", "used_text": "12.00 MB"}, )"
                 R"("storage": {"total": 100, "free": 25, "used": 75, "total_text": "100.00 MB", )"
                 R"("free_text": "25.00 MB", "used_text": "75.00 MB"}, )"
                 R"("main_total": 116, "main_total_text": "116.00 MB", "cards": ["SD"], )"
                 R"("card": {"name": "SD", "total": 0.95367431640625, "free": 0, )"
                 R"("used": 0.95367431640625, "total_text": "0.95 MB", "free_text": "0.00 MB", )"
                 R"("used_text": "0.95 MB"}})"
                 "\n"));
    r = Run(dev, {"--report", "overview"});
    QCOMPARE(QString::fromUtf8(r.output), QStringLiteral("Total Main Memory:        116.00 MB\n"
                                                         "Total Storage Memory:     100.00 MB\n"
                                                         "In Use:                    75.00 MB\n"
                                                         "Free:                      25.00 MB\n"
                                                         "Total Program Memory:      16.00 MB\n"
                                                         "In Use:                    12.00 MB\n"
                                                         "Free:                       4.00 MB\n"
                                                         "Total Storage Card Size:    0.95 MB\n"
                                                         "In Use:                     0.95 MB\n"
                                                         "Free:                       0.00 MB\n"
                                                         "Storage Cards: SD\n"));
}

QTEST_GUILESS_MAIN(TestFileReports)
