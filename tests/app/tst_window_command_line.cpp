// --screenshot and the window, run as the program itself without a display.

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs the program without a display, as a server or a CI job would.
int RunWithoutDisplay(const QStringList& arguments, QByteArray* errors = nullptr) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(DOVRANE_PROGRAM), arguments);
    if (!program.waitForFinished(60000))
        return -1;
    if (errors)
        *errors = program.readAllStandardError();
    return program.exitCode();
}

}  // namespace

class TestWindowCommandLine : public QObject {
    Q_OBJECT

private slots:
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
        QCOMPARE(RunWithoutDisplay(QStringList{"--screenshot", file} + arguments +
                                   QStringList{dir.path()}),
                 0);
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
        QByteArray errors;
        QCOMPARE(RunWithoutDisplay({QStringLiteral("/")}, &errors), 2);
        QVERIFY(errors.contains("no display"));
    }
};

QTEST_MAIN(TestWindowCommandLine)
#include "tst_window_command_line.moc"
