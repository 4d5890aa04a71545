// The installed tree, as `cmake --install` lays it out under a temporary DESTDIR, and the
// installed program run from another folder.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// `program` with `arguments`, without a display, XDG_RUNTIME_DIR or Qt platform unless
// `environment` names them again, in `folder`.
Run RunProgram(const QString& program, const QStringList& arguments,
               const QStringList& environment = {}, const QString& folder = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    for (const QString& setting : environment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString Prefixed(const char* folder, const QString& rest) {
    return QStringLiteral("%1/%2/%3")
        .arg(QStringLiteral(DOVRANE_PREFIX), QLatin1String(folder), rest);
}

}  // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_destDir;
    QTemporaryDir m_elsewhere;  // the folder the installed program is run from
    QString m_program;
    QString m_help;     // --help of the installed program
    QString m_manPage;  // its manual page, uncompressed
    QString m_completion;

    QString installed(const QString& path) const { return m_destDir.path() + path; }

    // Every "--option" that --help describes, in its order.
    QStringList helpOptions() const {
        QStringList options;
        const QRegularExpression option(QStringLiteral("^\\s+(?:-h, )?(--[a-z-]+)"),
                                        QRegularExpression::MultilineOption);
        for (auto it = option.globalMatch(m_help); it.hasNext();)
            options.append(it.next().captured(1));
        return options;
    }

    // The report kinds as --help lists them after "KIND:".
    QStringList reportKinds() const {
        const QRegularExpression line(QStringLiteral("KIND: ([a-z, -]+)"));
        return line.match(m_help).captured(1).split(QStringLiteral(", "));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_destDir.isValid());
        const Run install =
            RunProgram(QStringLiteral(DOVRANE_CMAKE),
                       {QStringLiteral("--install"), QStringLiteral(DOVRANE_BUILD_DIR)},
                       {QStringLiteral("DESTDIR=") + m_destDir.path()});
        QVERIFY2(install.exitCode == 0, install.err.constData());
        m_program = installed(Prefixed(DOVRANE_BINDIR, QStringLiteral("dovrane-storage-analyzer")));
        const Run help = RunProgram(m_program, {QStringLiteral("--help")}, {}, m_elsewhere.path());
        QCOMPARE(help.exitCode, 0);
        m_help = QString::fromUtf8(help.out);
        const Run man =
            RunProgram(QStringLiteral("gzip"),
                       {QStringLiteral("-dc"),
                        installed(Prefixed(DOVRANE_MANDIR,
                                           QStringLiteral("man1/dovrane-storage-analyzer.1.gz")))});
        QCOMPARE(man.exitCode, 0);
        m_manPage = QString::fromUtf8(man.out);
        QFile completion(installed(
            Prefixed(DOVRANE_DATADIR,
                     QStringLiteral("bash-completion/completions/dovrane-storage-analyzer"))));
        QVERIFY(completion.open(QIODevice::ReadOnly));
        m_completion = QString::fromUtf8(completion.readAll());
    }

    void installedFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("iconSize");  // 0: not a bitmap icon
        QTest::newRow("executable")
            << Prefixed(DOVRANE_BINDIR, QStringLiteral("dovrane-storage-analyzer")) << 0;
        QTest::newRow("window library")
            << Prefixed(DOVRANE_LIBDIR, QStringLiteral("dovrane-storage-analyzer/"
                                                       "libdovrane-storage-analyzer-window.so"))
            << 0;
        QTest::newRow("help page")
            << Prefixed(DOVRANE_DATADIR, QStringLiteral("dovrane-storage-analyzer/PlexoryHelp.htm"))
            << 0;
        QTest::newRow("desktop entry")
            << Prefixed(DOVRANE_DATADIR,
                        QStringLiteral("applications/com.dovrane.StorageAnalyzer.desktop"))
            << 0;
        QTest::newRow("metainfo")
            << Prefixed(DOVRANE_DATADIR,
                        QStringLiteral("metainfo/com.dovrane.StorageAnalyzer.metainfo.xml"))
            << 0;
        QTest::newRow("scalable icon")
            << Prefixed(
                   DOVRANE_DATADIR,
                   QStringLiteral("icons/hicolor/scalable/apps/com.dovrane.StorageAnalyzer.svg"))
            << 0;
        QTest::newRow("copyright")
            << Prefixed(DOVRANE_DATADIR, QStringLiteral("doc/dovrane-storage-analyzer/copyright"))
            << 0;
        for (const int size : {16, 24, 32, 48, 64, 128})
            QTest::addRow("icon %d", size)
                << Prefixed(
                       DOVRANE_DATADIR,
                       QStringLiteral("icons/hicolor/%1x%1/apps/com.dovrane.StorageAnalyzer.png")
                           .arg(size))
                << size;
    }

    void installedFiles() {
        QFETCH(QString, path);
        QFETCH(int, iconSize);
        const QFileInfo file(installed(path));
        QVERIFY2(file.isFile(), qPrintable(path));
        QVERIFY(file.size() > 0);
        if (iconSize)
            QCOMPARE(QImage(file.filePath()).size(), QSize(iconSize, iconSize));
    }

    void validators_data() {
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate"
            << QStringList{installed(
                   Prefixed(DOVRANE_DATADIR,
                            QStringLiteral("applications/com.dovrane.StorageAnalyzer.desktop")))};
        QTest::newRow("metainfo")
            << "appstreamcli"
            << QStringList{
                   "validate", "--no-net",
                   installed(Prefixed(DOVRANE_DATADIR,
                                      QStringLiteral("metainfo/"
                                                     "com.dovrane.StorageAnalyzer.metainfo.xml")))};
    }

    void validators() {
        QFETCH(QString, validator);
        QFETCH(QStringList, arguments);
        QVERIFY2(!QStandardPaths::findExecutable(validator).isEmpty(),
                 "missing; scripts/install-deps.sh installs it");
        const Run run = RunProgram(validator, arguments);
        QVERIFY2(run.exitCode == 0, (run.out + run.err).constData());
    }

    // A new option of --help must be described by the manual page and completed by bash.
    void everyOptionDocumented_data() {
        QTest::addColumn<QString>("option");
        QVERIFY(helpOptions().size() >= 15);
        for (const QString& option : helpOptions())
            QTest::newRow(qPrintable(option)) << option;
    }

    void everyOptionDocumented() {
        QFETCH(QString, option);
        QString roff = option;
        roff.replace(u'-', QStringLiteral("\\-"));
        const QRegularExpression entry(QStringLiteral("^\\.(?:BI|BR|B) (?:\\\\-h \", \" )?") +
                                           QRegularExpression::escape(roff) + QStringLiteral("\\b"),
                                       QRegularExpression::MultilineOption);
        QVERIFY2(entry.match(m_manPage).hasMatch(), "no entry in the manual page's OPTIONS");
        QVERIFY2(m_completion.contains(QRegularExpression(
                     QStringLiteral("[' ]") + QRegularExpression::escape(option) + "\\b")),
                 "not completed by bash");
    }

    void everyReportDocumented_data() {
        QTest::addColumn<QString>("kind");
        QVERIFY(reportKinds().size() >= 7);
        for (const QString& kind : reportKinds())
            QTest::newRow(qPrintable(kind)) << kind;
    }

    void everyReportDocumented() {
        QFETCH(QString, kind);
        QVERIFY2(m_manPage.contains(QStringLiteral("\n.TP\n.B ") + kind + u'\n'),
                 "no entry in the manual page's REPORTS");
        QVERIFY(QRegularExpression(QStringLiteral("--report\\)\\n\\s+COMPREPLY=.*[' ]") +
                                   QRegularExpression::escape(kind) + QStringLiteral("[ ']"))
                    .match(m_completion)
                    .hasMatch());
    }

    // Run from elsewhere, the installed program finds its own help page and window library,
    // names the user's mistake first, and is silent on standard error when it succeeds.
    void installedProgram_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");  // a part of stdout
        QTest::addColumn<QByteArray>("err");  // stderr, whole
        const QByteArray helpPage =
            QDir::cleanPath(
                installed(Prefixed(DOVRANE_DATADIR,
                                   QStringLiteral("dovrane-storage-analyzer/PlexoryHelp.htm"))))
                .toUtf8();
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QByteArray("Dovrane Storage Analyzer 1.0.0.1\n")
                                 << QByteArray();
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
        QTest::newRow("no folder, report")
            << QStringList{"--report", "types", "./missing"} << 2 << QByteArray()
            << QByteArray("dovrane-storage-analyzer: no folder './missing' for the device root\n");
        QTest::newRow("no display")
            << QStringList{"."} << 2 << QByteArray()
            << QByteArray(
                   "dovrane-storage-analyzer: no display to open the window on (see "
                   "--report and --screenshot)\n");
    }

    void installedProgram() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFile::remove(m_elsewhere.filePath(QStringLiteral("w.png")));
        const Run run = RunProgram(m_program, arguments, {}, m_elsewhere.path());
        QCOMPARE(run.err, err);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.out.contains(out), run.out.constData());
        if (arguments.contains(QStringLiteral("--screenshot")))
            QCOMPARE(QImage(m_elsewhere.filePath(QStringLiteral("w.png"))).size(), QSize(480, 640));
    }

    // A report maps Qt Core only: the window's libraries load for windows and pictures.
    void reportsLoadNoGuiLibrary_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("gui");
        QTest::newRow("report") << QStringList{"--report", "folders", "."} << false;
        QTest::newRow("version") << QStringList{"--version"} << false;
        QTest::newRow("screenshot") << QStringList{"--screenshot", "w.png", "."} << true;
    }

    void reportsLoadNoGuiLibrary() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, gui);
        const Run run = RunProgram(m_program, arguments, {QStringLiteral("LD_DEBUG=files")},
                                   m_elsewhere.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains("libQt6Core.so"));
        QCOMPARE(run.err.contains("libQt6Gui.so"), gui);
        QCOMPARE(run.err.contains("libQt6Widgets.so"), gui);
        QCOMPARE(run.err.contains("libdovrane-storage-analyzer-window.so"), gui);
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
