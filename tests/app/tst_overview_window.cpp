// The Explorer's and the Overview details' screenshots, run as the program itself.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestOverviewWindow : public QObject {
    Q_OBJECT

private slots:
    void screenshots_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("explorer down to a folder")
            << QStringList{"--view", "explorer", "--path", "\\A\\b"} << 0;
        QTest::newRow("explorer, no such folder")
            << QStringList{"--view", "explorer", "--path", "\\A\\nope"} << 3;
        QTest::newRow("details") << QStringList{"--dialog", "overview-details"} << 0;
    }

    void screenshots() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a/B/c")));
        const QString file = dir.filePath(QStringLiteral("shot.png"));
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(DOVRANE_PROGRAM),
                      QStringList{"--screenshot", file, "--scale", "1"} + arguments +
                          QStringList{dir.path()});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), exitCode);
        QCOMPARE(QFileInfo::exists(file), exitCode == 0);
        if (exitCode == 0)
            QCOMPARE(QImage(file).size(), QSize(240, 320));
    }
};

QTEST_MAIN(TestOverviewWindow)
#include "tst_overview_window.moc"
