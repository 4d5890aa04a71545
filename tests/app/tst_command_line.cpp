#include <QtTest>

#include "app/cli.h"
#include "app/command_line.h"
#include "platform/profile.h"
#include "support/temp_tree.h"

using namespace dovrane::app;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void options() {
        const ParsedCommandLine p =
            ParseCommandLine({"--report", "folders", "--path=\\usr", "--slices", "7", "--format",
                              "json", "--pace-ms", "5", "--network", "/srv"});
        QVERIFY(!p.exitCode);
        QCOMPARE(p.options.report, QStringLiteral("folders"));
        QCOMPARE(p.options.path.value(), QStringLiteral("\\usr"));
        QCOMPARE(p.options.slices.value(), 7);
        QCOMPARE(p.options.format, ReportFormat::Json);
        QCOMPARE(p.options.paceMs, 5);
        QVERIFY(p.options.network);
        QCOMPARE(p.options.deviceRoot, QStringLiteral("/srv"));
    }

    void badInput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown option")
            << QStringList{"--frobnicate"} << "unknown option '--frobnicate' (see --help)";
        QTest::newRow("unknown report") << QStringList{"--report", "pies"}
                                        << "unknown report 'pies' (one of: databases, duplicates, "
                                           "files, folders, identical, largest, "
                                           "overview, type-files, types)";
        QTest::newRow("type files without a type")
            << QStringList{"--report", "type-files"} << "--report type-files needs --type TYPE";
        QTest::newRow("no value") << QStringList{"--slices"} << "--slices needs a value";
        QTest::newRow("slices 0") << QStringList{"--slices", "0"}
                                  << "--slices takes a whole number from 1 to 1000, not '0'";
        QTest::newRow("slices 1001") << QStringList{"--slices=1001"}
                                     << "--slices takes a whole number from 1 to 1000, not '1001'";
        QTest::newRow("format") << QStringList{"--format", "xml"}
                                << "--format takes text or json, not 'xml'";
        QTest::newRow("two roots")
            << QStringList{"/a", "/b"} << "one device root only, not also '/b'";
        QTest::newRow("flag with value")
            << QStringList{"--network=yes"} << "--network takes no value";
    }
    void badInput() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const ParsedCommandLine p = ParseCommandLine(arguments);
        QCOMPARE(p.exitCode.value_or(-1), 2);
        QCOMPARE(p.text, "dovrane-storage-analyzer: " + message);
    }

    void exitStatuses() {
        dovrane::test::TempTree t;
        t.folder("sub");
        t.file("plain");
        const dovrane::platform::Profile profile(t.root() + "/profile.ini");
        CliResult r = RunCommandLine({t.root()}, profile);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("\\Pocket PC\nFolder"));
        r = RunCommandLine({t.root() + "/plain"}, profile);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, "dovrane-storage-analyzer: device root '" + (t.root() + "/plain").toUtf8() +
                            "' is not a readable folder\n");
        r = RunCommandLine({"--path", "\\nowhere", t.root()}, profile);
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.err,
                 QByteArray("dovrane-storage-analyzer: no folder '\\nowhere' on the device\n"));
        r = RunCommandLine({"--path", "\\SUB", t.root()}, profile);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("\\sub\nFolder  Size  Fol %  Tot %\n"));
        r = RunCommandLine({"--version"}, profile);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Dovrane Storage Analyzer 1.0.0.1\n"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
