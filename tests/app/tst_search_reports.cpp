// The identical and databases reports in JSON, and --object-store.

#include <sys/stat.h>

#include <QtTest>

#include "app/reports.h"
#include "platform/host_device.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"

using namespace dovrane::app;
using namespace dovrane::test;

namespace {

ReportResult Run(dovrane::platform::Device& dev, const QStringList& arguments) {
    return RunReport(ParseCommandLine(arguments).options, dev, {});
}

}  // namespace

class TestSearchReports : public QObject {
    Q_OBJECT

private slots:
    void identical() {
        TempTree t;
        t.folder("d");
        WriteBytes(t.host("d/one"), QByteArray(5000, 'a'));
        WriteBytes(t.host("two"), QByteArray(5000, 'a'));
        WriteBytes(t.host("other"), QByteArray(5000, 'b'));
        dovrane::platform::HostDevice dev(t.root());
        const ReportResult json = Run(dev, {"--report", "identical", "--format", "json"});
        // The walk's order decides which copy comes first.
        QByteArray one = R"({"name": "one", "folder": "\\d", "bytes": 5000})",
                   two = R"({"name": "two", "folder": "", "bytes": 5000})";
        if (json.output.indexOf("\"one\"") > json.output.indexOf("\"two\""))
            std::swap(one, two);
        QCOMPARE(json.output, R"({"groups": [{"bytes": 5000, "wasted_bytes": 5000, "files": [)" +
                                  one + ", " + two + R"(]}], "wasted_bytes": 5000})" + "\n");
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(Run(dev, {"--report", "identical", "--path", "\\nope"}).exitCode, 3);
    }

    void databases() {
        qputenv("TZ", "UTC");
        tzset();
        TempTree t;
        t.folder("store");
        t.folder("store/app");
        const std::string a = t.host("store/app/a.db"), b = t.host("store/B.sqlite");
        QVERIFY(MakeDatabase(a, "CREATE TABLE t(x); INSERT INTO t VALUES (1),(2)"));
        WriteBytes(b, QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\1'));
        struct stat sa {
        }, sb{};
        const timespec at1305[2] = {{47100, 0}, {47100, 0}};  // 1970-01-01 13:05 UTC
        QVERIFY(::utimensat(AT_FDCWD, a.c_str(), at1305, 0) == 0 && ::stat(a.c_str(), &sa) == 0);
        QVERIFY(::utimensat(AT_FDCWD, b.c_str(), at1305, 0) == 0 && ::stat(b.c_str(), &sb) == 0);
        dovrane::platform::HostDevice dev(t.root());
        const ReportResult json = Run(dev, {"--report", "databases", "--format", "json",
                                            "--object-store", t.root() + "/store", t.root()});
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(
            QString::fromUtf8(json.output),
            QStringLiteral(R"({"databases": [{"name": "app/a.db", "path": "\\store\\app\\a.db", )"
                           R"("bytes": %1, "records": 2, "modified": "1970-01-01T13:05:00", )"
                           R"("modified_text": "1/1/1970 1:05 PM", "oid": "%2:%3"}, )"
                           R"({"name": "B.sqlite", "path": "\\store\\B.sqlite", "bytes": 116, )"
                           R"("records": null, "modified": "1970-01-01T13:05:00", )"
                           R"("modified_text": "1/1/1970 1:05 PM", "oid": "%2:%4"}]})"
                           "\n")
                .arg(sa.st_size)
                .arg(sa.st_dev)
                .arg(sa.st_ino)
                .arg(sb.st_ino));
    }
};

QTEST_GUILESS_MAIN(TestSearchReports)
#include "tst_search_reports.moc"
