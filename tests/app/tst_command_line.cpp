// The options, their errors and exit statuses, and the program itself run without a display.

#include <QImage>
#include <QtTest>

#include "app/cli.h"
#include "app/command_line.h"
#include "platform/profile.h"
#include "support/t3_fixtures.h"
#include "support/temp_tree.h"

using namespace dovrane::app;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void options() {
        // --report, --path, --slices, --format and --type: through the reports' own tests.
        const Options o = ParseCommandLine({"--pace-ms", "5", "--network", "/srv"}).options;
        QCOMPARE(o.paceMs, 5);
        QVERIFY(o.network);
        QCOMPARE(o.deviceRoot, QStringLiteral("/srv"));
        const ParsedCommandLine window = ParseCommandLine(
            {"--screenshot", "a.png", "--view", "folder", "--size", "300x400", "--scale=1.5", "/"});
        QVERIFY(!window.exitCode);
        QCOMPARE(window.options.view, QStringLiteral("folder"));
        QCOMPARE(window.options.scale, 1.5);  // file and size: the screenshot runs below
    }

    void badInput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const QStringList& arguments, const char* message) {
            QTest::newRow(message) << arguments << QString::fromLatin1(message);
        };
        row({"--frobnicate"}, "unknown option '--frobnicate' (see --help)");
        row({"--report", "pies"},
            "unknown report 'pies' (one of: databases, duplicates, files, folders, growth, "
            "identical, largest, overview, "
            "type-files, types)");
        row({"--report", "type-files"}, "--report type-files needs --type TYPE");
        row({"--slices"}, "--slices needs a value");
        row({"--slices", "0"}, "--slices takes a whole number from 1 to 1000, not '0'");
        row({"--slices=1001"}, "--slices takes a whole number from 1 to 1000, not '1001'");
        row({"--format", "xml"}, "--format takes text or json, not 'xml'");
        row({"/a", "/b"}, "one device root only, not also '/b'");
        row({"--network=yes"}, "--network takes no value");
        row({"--view", "pie"},
            "--view takes one of overview, explorer, folder, filetype, not 'pie'");
        row({"--size", "300"}, "--size takes WIDTHxHEIGHT, each from 120 to 8000, not '300'");
        row({"--size", "100x400"},
            "--size takes WIDTHxHEIGHT, each from 120 to 8000, not '100x400'");
        row({"--scale", "9"}, "--scale takes a number from 0.5 to 8, not '9'");
        row({"--dialog", "about"}, "--dialog needs --screenshot FILE");
        row({"--report", "folders", "--screenshot", "a.png"},
            "--screenshot and --report exclude each other");
        row({"--report", "types", "--timing"},
            "--timing is for the window's pies, not for --report");
        row({"--timing=1"}, "--timing takes no value");
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
        t.file("plain");
        const dovrane::platform::Profile profile(t.root() + "/profile.ini");
        CliResult r = RunCommandLine({t.root() + "/plain"}, profile);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, "dovrane-storage-analyzer: device root '" + (t.root() + "/plain").toUtf8() +
                            "' is not a readable folder\n");
        r = RunCommandLine({"--version"}, profile);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Dovrane Storage Analyzer 1.0.0.1\n"));
    }

    void screenshot() {
        // Scale 1 and 2 (the desktop's 1 doubled is the installed run's), another size and view.
        for (const auto& [arguments, size, scale] :
             {std::tuple(QStringList{"--scale", "1"}, QSize(240, 320), 1),
              {{"--scale", "2"}, QSize(480, 640), 2},
              {{"--scale", "1", "--size", "300x200", "--view", "folder", "--timing"},
               QSize(300, 200),
               1}}) {
            QTemporaryDir dir;
            const QString file = dir.filePath(QStringLiteral("window.png"));
            const QStringList all =
                QStringList{"--screenshot", file} + arguments + QStringList{dir.path()};
            const auto run = dovrane::test::RunProgram(QStringLiteral(DOVRANE_PROGRAM), all);
            QCOMPARE(run.exitCode, 0);
            // --timing: one line for the one scan, nothing without it.
            static const QRegularExpression kTimed(QStringLiteral(
                "^dovrane-storage-analyzer: Folder View: [0-9]+\\.[0-9] ms from the start of "
                "the scan to the pie\n$"));
            QCOMPARE(kTimed.match(QString::fromUtf8(run.err)).hasMatch(),
                     arguments.contains(QStringLiteral("--timing")));
            const QImage image(file);
            QCOMPARE(image.size(), size);
            // The line under the title band, the white area under it, red title text above it.
            QCOMPARE(image.pixelColor(size.width() / 2, 23 * scale), QColor(Qt::black));
            QCOMPARE(image.pixelColor(size.width() / 2, 24 * scale), QColor(Qt::white));
            bool red = false;
            for (int y = 0; y < 23 * scale && !red; ++y)
                for (int x = 0; x < 100 * scale && !red; ++x)
                    red =
                        image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).green() < 100;
            QVERIFY(red);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
