// The tree `cmake --install` lays out under a temporary DESTDIR, run from another folder.

#include <QImage>
#include <QtTest>

#include "support/program_run.h"

using dovrane::test::RunProgram;
using Run = dovrane::test::ProgramRun;

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_destDir;
    QTemporaryDir m_elsewhere;  // the folder the installed program is run from
    QString m_program;
    QString m_help;     // --help of the installed program
    QString m_manPage;  // its manual page, uncompressed
    QString m_completion;

    // Where `rest` under the installed `folder` (DOVRANE_BINDIR...) lies in DESTDIR.
    QString installed(const char* folder, const QString& rest) const {
        return QStringLiteral("%1%2/%3/%4")
            .arg(m_destDir.path(), QStringLiteral(DOVRANE_PREFIX), QLatin1String(folder), rest);
    }
    Run runInstalled(const QStringList& arguments, const QStringList& environment = {}) const {
        return RunProgram(m_program, arguments, environment, m_elsewhere.path());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_destDir.isValid());
        const Run install = RunProgram(QStringLiteral(DOVRANE_CMAKE),
                                       {"--install", QStringLiteral(DOVRANE_BUILD_DIR)},
                                       {"DESTDIR=" + m_destDir.path()});
        QVERIFY2(install.exitCode == 0, install.err.constData());
        m_program = installed(DOVRANE_BINDIR, "dovrane-storage-analyzer");
        const Run help = runInstalled({"--help"});
        QCOMPARE(help.exitCode, 0);
        m_help = QString::fromUtf8(help.out);
        const Run man = RunProgram(
            "gzip", {"-dc", installed(DOVRANE_MANDIR, "man1/dovrane-storage-analyzer.1.gz")});
        QCOMPARE(man.exitCode, 0);
        m_manPage = QString::fromUtf8(man.out);
        QFile completion(
            installed(DOVRANE_DATADIR, "bash-completion/completions/dovrane-storage-analyzer"));
        QVERIFY(completion.open(QIODevice::ReadOnly));
        m_completion = QString::fromUtf8(completion.readAll());
    }

    void installedFiles() {
        // The program and help page show in the runs below, desktop files in their validators.
        const QString app = QStringLiteral("com.dovrane.StorageAnalyzer");
        for (const QString& rest :
             QStringList{"icons/hicolor/scalable/apps/" + app + ".svg",
                         "icons/hicolor/48x48/apps/" + app + ".png",
                         QStringLiteral("doc/dovrane-storage-analyzer/copyright")})
            QVERIFY2(QFileInfo(installed(DOVRANE_DATADIR, rest)).size() > 0, qPrintable(rest));
        const std::pair<const char*, QStringList> validators[] = {
            {"desktop-file-validate",
             {installed(DOVRANE_DATADIR, "applications/" + app + ".desktop")}},
            {"appstreamcli",
             {"validate", "--no-net",
              installed(DOVRANE_DATADIR, "metainfo/" + app + ".metainfo.xml")}}};
        for (const auto& [validator, arguments] : validators) {
            QVERIFY2(!QStandardPaths::findExecutable(validator).isEmpty(),
                     "missing; scripts/install-deps.sh installs it");
            const Run run = RunProgram(validator, arguments);
            QVERIFY2(run.exitCode == 0, (run.out + run.err).constData());
        }
    }

    // Every option and report kind of --help is in the manual page and completed by bash.
    void everyOptionAndReportDocumented() {
        const QRegularExpression option(QStringLiteral("^\\s+(?:-h, )?(--[a-z-]+)"),
                                        QRegularExpression::MultilineOption);
        QStringList options;
        for (auto it = option.globalMatch(m_help); it.hasNext();)
            options.append(it.next().captured(1));
        QVERIFY(options.size() >= 15);
        // The manual page's OPTIONS, in its order, are --help's: none missing, none extra.
        const QString section = m_manPage.section(QStringLiteral("\n.SH OPTIONS\n"), 1)
                                    .section(QStringLiteral("\n.SH "), 0, 0);
        const QRegularExpression described(
            QStringLiteral("^\\.TP\\n\\.(?:BI|BR|B) (?:\\\\-h \", \" )?((?:\\\\-)+[a-z\\\\-]+)"),
            QRegularExpression::MultilineOption);
        QStringList manOptions;
        for (auto it = described.globalMatch(section); it.hasNext();)
            manOptions.append(it.next().captured(1).remove(u'\\'));
        QCOMPARE(manOptions, options);
        for (const QString& name : options) {
            const QString roff = QString(name).replace(u'-', QStringLiteral("\\-"));
            const QRegularExpression entry(QStringLiteral("^\\.(?:BI|BR|B) (?:\\\\-h \", \" )?") +
                                               QRegularExpression::escape(roff) + "\\b",
                                           QRegularExpression::MultilineOption);
            QVERIFY2(entry.match(m_manPage).hasMatch(), qPrintable(name + ": not in OPTIONS"));
            QVERIFY2(m_completion.contains(
                         QRegularExpression("[' ]" + QRegularExpression::escape(name) + "\\b")),
                     qPrintable(name + ": not completed"));
        }
        const QStringList kinds =
            QRegularExpression("KIND: ([a-z, -]+)").match(m_help).captured(1).split(", ");
        QVERIFY(kinds.size() >= 7);
        for (const QString& kind : kinds) {
            QVERIFY2(m_manPage.contains("\n.TP\n.B " + kind + u'\n'),
                     qPrintable(kind + ": not in REPORTS"));
            QVERIFY2(QRegularExpression("--report\\)\\n\\s+COMPREPLY=.*[' ]" +
                                        QRegularExpression::escape(kind) + "[ ']")
                         .match(m_completion)
                         .hasMatch(),
                     qPrintable(kind + ": not completed"));
        }
    }

    // Run from elsewhere it finds its help page and window library, and names the mistake.
    void installedProgram_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");  // a part of stdout
        QTest::addColumn<QByteArray>("err");  // stderr, whole
        const QByteArray helpPage =
            QDir::cleanPath(installed(DOVRANE_DATADIR, "dovrane-storage-analyzer/PlexoryHelp.htm"))
                .toUtf8();
        QTest::newRow("help page")
            << QStringList{"--help"} << 0 << "\nHelp page: " + helpPage + '\n'
            << QByteArray();
        QTest::newRow("report") << QStringList{"--report", "folders", "."} << 0
                                << QByteArray("Folder  Size  Fol %  Tot %\n") << QByteArray();
        QTest::newRow("screenshot")
            << QStringList{"--screenshot", "w.png", "."} << 0 << QByteArray() << QByteArray();
        QTest::newRow("no folder, no display")
            << QStringList{"./missing"} << 2 << QByteArray()
            << QByteArray("dovrane-storage-analyzer: no folder './missing' for the device root\n");
        QTest::newRow("no display") << QStringList{"."} << 2 << QByteArray()
                                    << QByteArray(
                                           "dovrane-storage-analyzer: no display to open "
                                           "the window on (see --report and --screenshot)\n");
    }
    void installedProgram() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFile::remove(m_elsewhere.filePath("w.png"));
        const Run run = runInstalled(arguments);
        QCOMPARE(run.err, err);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.out.contains(out), run.out.constData());
        if (arguments.contains("--screenshot"))
            QCOMPARE(QImage(m_elsewhere.filePath("w.png")).size(), QSize(480, 640));
        if (exitCode != 0 || arguments.contains("--help"))
            return;
        // A report maps Qt Core only: the window's libraries load for windows and pictures.
        const Run traced = runInstalled(arguments, {"LD_DEBUG=files"});
        QCOMPARE(traced.exitCode, 0);
        QVERIFY(traced.err.contains("libQt6Core.so"));
        const bool gui = arguments.contains("--screenshot");
        for (const char* library :
             {"libQt6Gui.so", "libQt6Widgets.so", "libdovrane-storage-analyzer-window.so"})
            QVERIFY2(traced.err.contains(library) == gui, library);
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
