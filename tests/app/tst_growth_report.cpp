// The growth report to the character, as text and JSON, by folder and by type; --since with
// nothing to compare with.

#include "tst_growth_report.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

#include "app/history_commands.h"
#include "support/test_device.h"

using namespace dovrane::app;
using dovrane::platform::TestDevice;

namespace {

const qint64 kThen = QDateTime(QDate(2026, 11, 29), QTime(14, 5), Qt::UTC).toSecsSinceEpoch();
const qint64 kNow = QDateTime(QDate(2026, 12, 6), QTime(9, 30), Qt::UTC).toSecsSinceEpoch();

void Sample(TestDevice& then, TestDevice& now) {
    then.addFile(u"\\docs\\a.txt", 100)
        .addFile(u"\\docs\\b.txt", 200)
        .addFile(u"\\old\\x", 1000)
        .addFile(u"\\top", 5);
    now.addFile(u"\\docs\\a.txt", 2000)
        .addFile(u"\\docs\\c.txt", 50)
        .addFile(u"\\top", 5)
        .addFile(u"\\new\\y.bin", 1024);
}

ReportResult Run(TestDevice& then, TestDevice& now, const QStringList& arguments) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    const ReportContext context{parsed.options, now, {}, {}, 0, {}};
    return GrowthReportAgainst(context, then, kThen, kNow);
}

}  // namespace

// Never the user's own history.
void TestGrowthReport::init() {
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
}

void TestGrowthReport::textAndJson() {
    TestDevice then, now;
    Sample(then, now);
    const ReportResult text = Run(then, now, {"--report", "growth", "--since", "last"});
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
        Run(then, now, {"--report", "growth", "--since", "last", "--format", "json"});
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

void TestGrowthReport::byTypeBelowAPath() {
    TestDevice then, now;
    Sample(then, now);
    const ReportResult text = Run(
        then, now, {"--report", "growth", "--since", "last", "--by", "type", "--path", "\\DOCS"});
    QCOMPARE(text.output, QByteArray(R"(\docs
Since 2026-11-29 14:05:00 UTC
Type    Then     Now   Change  New files  Removed files
txt   300  B  2.0 KB  +1.7 KB          1              1

File     Then     Now  Folder
a.txt  100  B  2.0 KB  \docs
c.txt    0  B   50  B  \docs
)"));
    const ReportResult missing =
        Run(then, now, {"--report", "growth", "--since", "last", "--path", "\\nowhere"});
    QCOMPARE(missing.exitCode, 3);
    QCOMPARE(missing.error, "no folder '\\nowhere' in either scan");
}

void TestGrowthReport::sinceWithoutSnapshots_data() {
    QTest::addColumn<QString>("when");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    QTest::newRow("last") << "last" << 3
                          << "no snapshot of /srv at or before 2026-12-06 09:30:00 UTC";
    QTest::newRow("date") << "2026-11-29" << 3
                          << "no snapshot of /srv at or before 2026-11-29 23:59:59 UTC";
    QTest::newRow("age") << "12h" << 3
                         << "no snapshot of /srv at or before 2026-12-05 21:30:00 UTC";
    QTest::newRow("no date") << "2026-02-30" << 2
                             << "--since takes last, a date (2026-11-29), an age (7d, 12h) or "
                                "a scan file, not '2026-02-30'";
}

void TestGrowthReport::sinceWithoutSnapshots() {
    QFETCH(QString, when);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    const ParsedCommandLine parsed =
        ParseCommandLine({"--report", "growth", "--since", when, "/srv"});
    QStringList notes;
    ReportResult failure;
    QVERIFY(!OpenEarlierScan(parsed.options, "/srv", kNow, notes, failure));
    QCOMPARE(failure.exitCode, exitCode);
    QCOMPARE(failure.error.section(" in /", 0, 0), error);
}

QTEST_GUILESS_MAIN(TestGrowthReport)
