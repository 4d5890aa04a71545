#include "tst_folders_report.h"

#include <QtTest>

#include "app/reports.h"
#include "platform/test_device.h"

using namespace dovrane::app;
using dovrane::platform::TestDevice;

namespace {

ReportResult Run(TestDevice& dev, QStringList extra, dovrane::engine::Settings settings = {}) {
    const ParsedCommandLine p = ParseCommandLine(QStringList{"--report", "folders"} + extra);
    return RunReport(p.options, dev, settings);
}

}  // namespace

void TestFoldersReport::jsonIsExact() {
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
    const ReportResult r =
        Run(dev, {"--format", "json", "--path", "\\A\\..\\a", "--slices", "3"}, settings);
    QCOMPARE(r.exitCode, 3);  // ".." is a name like any other, and there is none
    const ReportResult root = Run(dev, {"--format", "json", "--slices", "3"}, settings);
    QCOMPARE(root.exitCode, 0);
    QCOMPARE(
        root.output,
        QByteArray(
            R"({"path": "\\Pocket PC", "total_bytes": 5368709828, "files_bytes": 100, )"
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

void TestFoldersReport::namesThatAreNotUtf8() {
    TestDevice dev;
    dev.addFile(QString::fromUtf16(u"\\bad\xDCFF\\f"), 1)
        .addFile(QString::fromUtf16(u"\\x\uFF3Cy\\f"), 1);
    const ReportResult r =
        Run(dev, {"--format", "json", "--path", QString::fromUtf16(u"\\BAD\xDCFF")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.output.startsWith(R"({"path": "\\bad\udcff", )"));
    const ReportResult text = Run(dev, {"--path", QString::fromUtf16(u"\\x\uFF3Cy")});
    QVERIFY(text.output.startsWith(QString::fromUtf16(u"\\x\uFF3Cy\n").toUtf8()));
}

void TestFoldersReport::textRowsAligned() {
    TestDevice dev;
    dev.addFile(u"\\music\\a.mp3", 2048000).addFile(u"\\x\\b", 3).addFile(u"\\here", 1024);
    const ReportResult r = Run(dev, {});
    QCOMPARE(QString::fromUtf8(r.output), QStringLiteral("\\Pocket PC\n"
                                                         "Folder         Size  Fol %  Tot %\n"
                                                         "music        2.0 MB  99.9   99.9\n"
                                                         "\"In Folder\"  1.0 KB  0.0    0.0\n"
                                                         "x              3  B  0.0    0.0\n"));
}

void TestFoldersReport::emptyFolderGetsEqualSlices() {
    TestDevice dev;
    for (int i = 0; i < 7; ++i)
        dev.addFolder(QStringLiteral("\\e%1").arg(i));
    const ReportResult r = Run(dev, {"--format", "json"});
    QVERIFY(r.output.contains(R"({"name": "e6", "start": 306, "end": 357, "color": 16711935}]})"));
}

QTEST_GUILESS_MAIN(TestFoldersReport)
