// The window's options, and --screenshot run as the program itself without a display.

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/command_line.h"

using namespace dovrane::app;

class TestWindowCommandLine : public QObject {
    Q_OBJECT

private slots:
    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");  // -1: parsed
        QTest::addColumn<QString>("text");
        QTest::newRow("screenshot and view")
            << QStringList{"--screenshot", "a.png", "--view", "filetype", "/tmp"} << -1 << "";
        QTest::newRow("size and scale")
            << QStringList{"--size=300x400", "--scale", "1.5"} << -1 << "";
        QTest::newRow("unknown view")
            << QStringList{"--view", "pie"} << 2
            << "dovrane-storage-analyzer: --view takes one of overview, explorer, folder, "
               "filetype, not 'pie'";
        QTest::newRow("size without x")
            << QStringList{"--size", "300"} << 2
            << "dovrane-storage-analyzer: --size takes WIDTHxHEIGHT, each from 120 to 8000, not "
               "'300'";
        QTest::newRow("size too small") << QStringList{"--size", "100x400"} << 2
                                        << "dovrane-storage-analyzer: --size takes WIDTHxHEIGHT, "
                                           "each from 120 to 8000, not '100x400'";
        QTest::newRow("scale too large")
            << QStringList{"--scale", "9"} << 2
            << "dovrane-storage-analyzer: --scale takes a number from 0.5 to 8, not '9'";
        QTest::newRow("screenshot without a file")
            << QStringList{"--screenshot"} << 2
            << "dovrane-storage-analyzer: --screenshot needs a value";
        QTest::newRow("dialog without a screenshot")
            << QStringList{"--dialog", "about"} << 2
            << "dovrane-storage-analyzer: --dialog needs --screenshot FILE";
        QTest::newRow("screenshot with a report")
            << QStringList{"--report", "folders", "--screenshot", "a.png"} << 2
            << "dovrane-storage-analyzer: --screenshot and --report exclude each other";
    }

    void options() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        const ParsedCommandLine parsed = ParseCommandLine(arguments);
        QCOMPARE(parsed.exitCode.value_or(-1), exitCode);
        QCOMPARE(parsed.text, text);
    }

    void optionsKeepTheirValues() {
        const Options o = ParseCommandLine({"--screenshot", "a.png", "--view", "folder", "--size",
                                            "300x400", "--scale=1.5", "/srv"})
                              .options;
        QCOMPARE(o.screenshot, QStringLiteral("a.png"));
        QCOMPARE(o.view, QStringLiteral("folder"));
        QCOMPARE(o.size, QSize(300, 400));
        QCOMPARE(o.scale, 1.5);
        QCOMPARE(o.deviceRoot, QStringLiteral("/srv"));
        QVERIFY(o.report.isEmpty());
        for (const char* option : {"--screenshot FILE", "--view VIEW", "--size WxH", "--scale F"})
            QVERIFY(UsageText().contains(QLatin1String(option)));
    }

    void screenshot_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("scale");
        QTest::newRow("scale 1") << QStringList{"--scale", "1"} << QSize(240, 320) << 1;
        QTest::newRow("scale 2") << QStringList{"--scale", "2"} << QSize(480, 640) << 2;
        QTest::newRow("the desktop's 1, doubled") << QStringList{} << QSize(480, 640) << 2;
        QTest::newRow("other size, folder view")
            << QStringList{"--scale", "1", "--size", "300x200", "--view", "folder"}
            << QSize(300, 200) << 1;
    }

    void screenshot() {
        QFETCH(QStringList, arguments);
        QFETCH(QSize, size);
        QFETCH(int, scale);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("window.png"));
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(DOVRANE_PROGRAM),
                      QStringList{"--screenshot", file} + arguments + QStringList{dir.path()});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        const QImage image(file);
        QCOMPARE(image.size(), size);
        // The line under the title band, the white area under it, red title text above it.
        QCOMPARE(image.pixelColor(size.width() / 2, 23 * scale), QColor(Qt::black));
        QCOMPARE(image.pixelColor(size.width() / 2, 24 * scale), QColor(Qt::white));
        bool red = false;
        for (int y = 0; y < 23 * scale && !red; ++y)
            for (int x = 0; x < 100 * scale && !red; ++x)
                red = image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).green() < 100;
        QVERIFY(red);
    }

    void windowNeedsADisplay() {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(DOVRANE_PROGRAM), {QStringLiteral("/")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 2);
        QVERIFY(program.readAllStandardError().contains("no display"));
    }
};

QTEST_MAIN(TestWindowCommandLine)
#include "tst_window_command_line.moc"
