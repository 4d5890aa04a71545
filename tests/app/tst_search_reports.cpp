// The identical and databases reports in JSON, and --object-store.

#include <sys/stat.h>

#include <QtTest>

#include "app/reports.h"
#include "platform/host_device.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"

using namespace dovrane::app;
using dovrane::test::TempTree;

namespace {

ReportResult Run(dovrane::platform::Device& dev, const QStringList& arguments) {
    const ParsedCommandLine p = ParseCommandLine(arguments);
    return RunReport(p.options, dev, {});
}

void Write(const TempTree& t, const std::string& name, const QByteArray& bytes) {
    QFile f(QString::fromStdString(t.host(name)));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class TestSearchReports : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }

    void identical() {
        TempTree t;
        t.folder("d");
        Write(t, "d/one", QByteArray(5000, 'a'));
        Write(t, "two", QByteArray(5000, 'a'));
        Write(t, "other", QByteArray(5000, 'b'));
        t.file("empty1");
        t.file("d/empty2");
        dovrane::platform::HostDevice dev(t.root());
        const ReportResult json = Run(dev, {"--report", "identical", "--format", "json"});
        QCOMPARE(json.exitCode, 0);
        // The walk's order decides which copy comes first.
        const bool dFirst = json.output.indexOf("\"one\"") < json.output.indexOf("\"two\"");
        const QByteArray one = R"({"name": "one", "folder": "\\d", "bytes": 5000})";
        const QByteArray two = R"({"name": "two", "folder": "", "bytes": 5000})";
        QCOMPARE(json.output, R"({"groups": [{"bytes": 5000, "wasted_bytes": 5000, "files": [)" +
                                  (dFirst ? one + ", " + two : two + ", " + one) +
                                  R"(]}], "wasted_bytes": 5000})" + "\n");
        QCOMPARE(Run(dev, {"--report", "identical", "--path", "\\nope"}).exitCode, 3);
    }

    void databases() {
        TempTree t;
        t.folder("store");
        t.folder("store/app");
        QVERIFY(dovrane::test::MakeDatabase(t.host("store/app/a.db"),
                                            "CREATE TABLE t(x); INSERT INTO t VALUES (1),(2)"));
        Write(t, "store/B.sqlite", QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\1'));
        const timespec at1305[2] = {{47100, 0}, {47100, 0}};  // 1970-01-01 13:05 UTC
        QVERIFY(::utimensat(AT_FDCWD, t.host("store/app/a.db").c_str(), at1305, 0) == 0);
        QVERIFY(::utimensat(AT_FDCWD, t.host("store/B.sqlite").c_str(), at1305, 0) == 0);
        struct stat a {
        }, b{};
        QVERIFY(::stat(t.host("store/app/a.db").c_str(), &a) == 0);
        QVERIFY(::stat(t.host("store/B.sqlite").c_str(), &b) == 0);
        dovrane::platform::HostDevice dev(t.root());
        const QString store = t.root() + QStringLiteral("/store");
        const ReportResult json = Run(
            dev, {"--report", "databases", "--format", "json", "--object-store", store, t.root()});
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
                .arg(a.st_size)
                .arg(a.st_dev)
                .arg(a.st_ino)
                .arg(b.st_ino));
    }
};

QTEST_GUILESS_MAIN(TestSearchReports)
#include "tst_search_reports.moc"
