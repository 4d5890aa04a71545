// The options, their errors and exit statuses, and the program run without a display; the
// scan begun before the window library loads, stopped and joined when it fails to load.

#include <sys/stat.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <QtTest>
#include <atomic>

#include "app/cli.h"
#include "app/command_line.h"
#include "app/dialog_shots.h"
#include "app/option_table.h"
#include "app/program.h"
#include "app/reports.h"
#include "engine/scan_job.h"
#include "platform/profile.h"
#include "platform/program_part.h"
#include "support/program_run.h"
#include "support/temp_tree.h"

using namespace dovrane::app;

namespace {

int ThreadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

// What the program wrote on file descriptor 2 while `run` ran.
QByteArray Stderr(const std::function<void()>& run) {
    QTemporaryFile file;
    if (!file.open())
        return "no temporary file";
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(file.handle(), 2);
    run();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    // The completion's words are the report kinds and dialog names of their runners.
    void completionWordsAreTheRunners() {
        const auto words = [](std::string_view name) {
            return QString::fromUtf8(FindOption(name)->words).split(u' ');
        };
        QCOMPARE(words("--report"), ReportKinds());
        QStringList dialogs;
        for (const DialogShotRow& row : DialogShotRows())
            dialogs.append(QString::fromLatin1(row.name));
        QCOMPARE(words("--dialog"), dialogs);
        QCOMPARE(FindOption("-h"), FindOption("--help"));
        QVERIFY(!FindOption("--no-such"));
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
        row({"--slices=1001"}, "--slices takes a whole number from 1 to 1000, not '1001'");
        row({"--format", "xml"}, "--format takes text or json, not 'xml'");
        row({"/a", "/b"}, "one device root only, not also '/b'");
        row({"--network=yes"}, "--network takes no value");
        row({"--view", "pie"},
            "--view takes one of overview, explorer, folder, filetype, not 'pie'");
        row({"--size", "100x400"},
            "--size takes WIDTHxHEIGHT, each from 120 to 8000, not '100x400'");
        for (const char* scale : {"nan", "-inf", "0.49", "8.01", ""})
            QTest::newRow(scale) << QStringList{"--scale", scale}
                                 << QStringLiteral("--scale takes a number from 0.5 to 8, not '%1'")
                                        .arg(QString::fromLatin1(scale));
        row({"--size=4096x4097", "--scale=2"},
            "--size 4096x4097 at scale 2 is 8192x8194 pixels; a window may have at most 32767 a "
            "side and 67108864 in all (256 MiB)");
        row({"--scale", "8", "--size", "4097x120"},
            "--size 4097x120 at scale 8 is 32776x960 pixels; a window may have at most 32767 a "
            "side and 67108864 in all (256 MiB)");
        row({"--size", "5000x5000"},  // at the handheld's doubling
            "--size 5000x5000 at scale 2 is 10000x10000 pixels; a window may have at most 32767 "
            "a side and 67108864 in all (256 MiB)");
        row({"--dialog", "about"}, "--dialog needs --screenshot FILE");
        row({"--report", "folders", "--screenshot", "a.png"},
            "--screenshot and --report exclude each other");
        row({"--report", "types", "--timing"},
            "--timing is for the window's pies, not for --report");
        row({"--report", "growth"}, "--report growth needs --since WHEN");
        row({"--report", "folders", "--since", "last"}, "--since is for --report growth");
        row({"--report", "growth", "--since", "last", "--by", "size"},
            "--by takes type or folder, not 'size'");
        row({"--snapshot", "--history-limit", "lots"},
            "--history-limit takes a size such as 500M or 2G, not 'lots'");
        row({"--list-history", "--report", "folders"}, "--list-history stands alone");
        // The largest windows that can be had, to the pixel, are taken.
        QTest::newRow("all pixels") << QStringList{"--size", "4096x4096", "--scale", "2"} << "";
        QTest::newRow("widest") << QStringList{"--size", "4095x120", "--scale", "8"} << "";
        QTest::newRow("largest size") << QStringList{"--size", "8000x8000", "--scale", "1"} << "";
    }
    void badInput() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const ParsedCommandLine p = ParseCommandLine(arguments);
        QCOMPARE(p.exitCode.value_or(-1), message.isEmpty() ? -1 : 2);
        QCOMPARE(p.text, message.isEmpty() ? QString() : "dovrane-storage-analyzer: " + message);
    }

    void exitStatuses() {
        dovrane::test::TempTree t;
        t.file("plain");
        const dovrane::platform::Profile profile(t.root() + "/profile.ini");
        CliResult r = RunCommandLine({t.root() + "/plain"}, profile);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, "dovrane-storage-analyzer: device root '" + (t.root() + "/plain").toUtf8() +
                            "' is not a readable folder\n");
        // A report that cannot reach its file fails, once, with the reason.
        const auto full = dovrane::test::RunProgram(
            "/bin/sh",
            {"-c", "exec \"$0\" --report largest \"$1\" >/dev/full", DOVRANE_PROGRAM, t.root()});
        QCOMPARE(full.exitCode, 1);
        QCOMPARE(full.err, QByteArray("dovrane-storage-analyzer: cannot write the output: No space "
                                      "left on device\n"));
        // One version everywhere, made in CMake; the About box shows its first two parts.
        r = RunCommandLine({"--version"}, profile);
        QVERIFY2(r.exitCode == 0 && r.out.startsWith("Dovrane Storage Analyzer 2.0.") &&
                     r.out.endsWith('\n'),
                 r.out.constData());
    }

    // A FIFO where the user's profile belongs holds no start: the run says once that the
    // defaults are used. Another size and view at scale 2, --timing's line for the scan.
    void screenshot() {
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkdir(QStringLiteral("Dovrane Corporation")));
        const QString fifo =
            config.filePath(QStringLiteral("Dovrane Corporation/Dovrane Storage Analyzer.conf"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        static const QRegularExpression kTimed(QStringLiteral(
            "^dovrane-storage-analyzer: Folder View: [0-9]+\\.[0-9] ms from the start of "
            "the scan to the pie, shown at [0-9]+\\.[0-9] ms of the monotonic clock\n$"));
        for (const auto& [arguments, size, scale] :
             {std::tuple(QStringList{"--scale", "1"}, QSize(240, 320), 1),
              {{"--scale", "2", "--size", "300x200", "--view", "folder", "--timing"},
               QSize(600, 400),
               2}}) {
            QTemporaryDir dir;
            const QString file = dir.filePath(QStringLiteral("window.png"));
            const bool timing = scale == 2;
            const auto run = dovrane::test::RunProgram(
                QStringLiteral(DOVRANE_PROGRAM),
                QStringList{"--screenshot", file} + arguments + QStringList{dir.path()},
                timing ? QStringList() : QStringList{"XDG_CONFIG_HOME=" + config.path()});
            QCOMPARE(run.exitCode, 0);
            if (timing)
                QVERIFY2(kTimed.match(QString::fromUtf8(run.err)).hasMatch(), run.err.constData());
            else
                QCOMPARE(run.err, "dovrane-storage-analyzer: the profile " + fifo.toUtf8() +
                                      " is not a regular file; the default settings are used "
                                      "and nothing is saved\n");
            const QImage image(file);
            QCOMPARE(image.size(), size);
            // The line under the title band, the white area under it.
            QCOMPARE(image.pixelColor(size.width() / 2, 23 * scale), QColor(Qt::black));
            QCOMPARE(image.pixelColor(size.width() / 2, 24 * scale), QColor(Qt::white));
        }
        // A picture that cannot be written ends the run with status 1, saying why.
        QTemporaryDir device;
        const auto full = dovrane::test::RunProgram(
            QStringLiteral(DOVRANE_PROGRAM), {"--screenshot", "/dev/full", device.path()}, {});
        QCOMPARE(full.exitCode, 1);
        QCOMPARE(full.err,
                 "dovrane-storage-analyzer: cannot write the screenshot '/dev/full': No "
                 "space left on device\n");
    }

    // A failed export ends with status 1 and one line, and leaves the target as it was.
    void failedExports_data() {
        QTest::addColumn<QString>("target");  // "" for standard output, closed at once
        QTest::addColumn<int>("sizeLimit");   // RLIMIT_FSIZE of the program, 0: none
        QTest::addColumn<QString>("error");
        QTest::newRow("full disk")
            << "/dev/full" << 0 << "cannot write /dev/full: No space left on device";
        QTest::newRow("closed pipe") << "" << 0 << "cannot write standard output: Broken pipe";
        QTest::newRow("file too large") << "scan.json" << 4096 << "cannot write %1: File too large";
    }
    void failedExports() {
        QFETCH(QString, target);
        QFETCH(int, sizeLimit);
        QFETCH(QString, error);
        dovrane::test::TempTree t;
        t.folder("tree");
        for (int i = 0; i < 2000; ++i)
            t.file("tree/file-with-a-long-name-" + std::to_string(i), i);
        QTemporaryDir out;
        if (!target.startsWith(u'/') && !target.isEmpty()) {
            target = out.filePath(target);
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        QProcess run;
        const bool closedPipe = target.isEmpty();
        run.setChildProcessModifier([sizeLimit, closedPipe] {
            if (sizeLimit > 0) {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (closedPipe) {  // standard output a pipe whose reader has gone
                int ends[2];
                if (::pipe(ends) == 0) {
                    ::dup2(ends[1], STDOUT_FILENO);
                    ::close(ends[0]);
                    ::close(ends[1]);
                }
            }
        });
        run.start(DOVRANE_PROGRAM,
                  {"--export", closedPipe ? "-" : target, QString::fromStdString(t.host("tree"))});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(run.readAllStandardError()),
                 "dovrane-storage-analyzer: " +
                     (error.contains(u"%1") ? error.arg(target) : error) + "\n");
        if (sizeLimit > 0) {
            QCOMPARE(QDir(out.path())
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                    QDir::NoDotAndDotDot),
                     QStringList{"scan.json"});
            QFile kept(target);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("old"));
        }
    }

    // A scan through a pipe is the same device to a report as the folder; what needs the
    // files is refused on it.
    void importedScans() {
        dovrane::test::TempTree t;
        t.folder("tree");
        t.file("tree/a.doc", 300);
        t.folder("tree/sub");
        t.file("tree/sub/b.doc", 300);
        const QString tree = QString::fromStdString(t.host("tree"));
        QProcess exporter, importer;
        exporter.setStandardOutputProcess(&importer);
        exporter.start(DOVRANE_PROGRAM, {"--export", "-", tree});
        importer.start(DOVRANE_PROGRAM,
                       {"--import", "-", "--report", "duplicates", "--format", "json"});
        QVERIFY(exporter.waitForFinished(30000) && importer.waitForFinished(30000));
        QCOMPARE(exporter.exitCode(), 0);
        QCOMPARE(importer.readAllStandardError(), QByteArray());
        const auto live = dovrane::test::RunProgram(
            DOVRANE_PROGRAM, {"--report", "duplicates", "--format", "json", tree});
        QCOMPARE(importer.readAllStandardOutput(), live.out);

        const QString scan = QString::fromStdString(t.host("scan.json"));
        QCOMPARE(dovrane::test::RunProgram(DOVRANE_PROGRAM, {"--export", scan, tree}).exitCode, 0);
        // Nothing begun on the import for a dialog that would read the files: no picture.
        const QString shot = QString::fromStdString(t.host("shot.png"));
        for (const auto& [option, kind] : {std::pair("--report", "identical"),
                                           {"--dialog", "identical"},
                                           {"--dialog", "databases"}}) {
            QStringList arguments{"--import", scan, option, kind};
            if (option == std::string_view("--dialog"))
                arguments << "--screenshot" << shot;
            const auto refused = dovrane::test::RunProgram(DOVRANE_PROGRAM, arguments);
            QCOMPARE(refused.exitCode, 2);
            QCOMPARE(refused.err, "dovrane-storage-analyzer: " + QByteArray(option) + ' ' + kind +
                                      " needs the files themselves, which an imported scan has "
                                      "not\n");
            QVERIFY(!QFileInfo::exists(shot));
        }
    }

    // The newer of two snapshots corrupt: reported by name, the report compares with the older.
    void historyWithACorruptSnapshot() {
        QTemporaryDir state;
        const QString history = state.path() + "/dovrane-storage-analyzer/history";
        const auto run = [&](const QStringList& arguments) {
            return dovrane::test::RunProgram(QStringLiteral(DOVRANE_PROGRAM), arguments,
                                             {"XDG_STATE_HOME=" + state.path()});
        };
        dovrane::test::TempTree t;
        t.file("a", 1);
        QCOMPARE(run({"--snapshot", "--history-limit", "1G", t.root()}).exitCode, 0);
        QTest::qSleep(1100);  // a later second: a snapshot of its own, not the same one
        t.file("b", 2);
        const auto kept = run({"--snapshot", t.root()});
        QVERIFY2(kept.exitCode == 0 && kept.err.isEmpty(), kept.err.constData());
        QStringList files = QDir(history).entryList(QDir::Files, QDir::Name);
        files.removeIf([](const QString& f) { return f.startsWith("history.sqlite"); });
        QCOMPARE(files.size(), 2);
        const auto list = run({"--list-history", t.root()});
        QCOMPARE(list.exitCode, 0);
        QVERIFY2(list.out.startsWith("Time ") && list.out.count('\n') == 3, list.out.constData());
        QFile newer(history + '/' + files.last());
        QVERIFY(newer.open(QIODevice::WriteOnly | QIODevice::Truncate));
        newer.write("[1,2,{\"progname\":");
        newer.close();
        const auto growth =
            run({"--report", "growth", "--since", "last", "--format", "json", t.root()});
        QCOMPARE(growth.exitCode, 0);
        QVERIFY2(growth.err.startsWith("dovrane-storage-analyzer: history: snapshot " +
                                       files.last().toUtf8() + " cannot be read ("),
                 growth.err.constData());
        const QJsonObject row =
            QJsonDocument::fromJson(growth.out).object()["rows"].toArray()[0].toObject();
        QCOMPARE(row["then_bytes"].toInteger(), 1);
        QCOMPARE(row["now_bytes"].toInteger(), 3);
    }

    void windowThatFailsToLoadLeavesNoScan_data() {
        QTest::addColumn<QStringList>("what");
        QTest::addColumn<bool>("scanBegun");
        QTest::newRow("folder") << QStringList{"--view", "folder"} << true;
        QTest::newRow("overview: nothing to begin") << QStringList{"--view", "overview"} << false;
        QTest::newRow("identical") << QStringList{"--dialog", "identical"} << true;
        QTest::newRow("largest at --path")
            << QStringList{"--dialog", "largest", "--path", "\\"} << true;
        QTest::newRow("duplicates: --path of no folder, left to the dialog")
            << QStringList{"--dialog", "duplicates", "--path", "\\nope"} << false;
    }
    void windowThatFailsToLoadLeavesNoScan() {
        QFETCH(QStringList, what);
        QFETCH(bool, scanBegun);
        const dovrane::test::TempTree tree;
        // Paced, so the walk is still going when the window part is asked for.
        for (int i = 0; i < 40; ++i)
            tree.folder("f" + std::to_string(i));
        const int before = ThreadCount();
        int during = 0;
        dovrane::platform::SetWindowPartHook([&](const QStringList&, const char* symbol) {
            during = ThreadCount();
            return dovrane::platform::LoadedPart{
                .entry = nullptr,
                .error = QString::fromLatin1(symbol) + QStringLiteral(": no such library")};
        });
        QList<QByteArray> args = {"dovrane-storage-analyzer"};
        for (const QString& arg : what)
            args.append(arg.toUtf8());
        args += {"--pace-ms", "20", "--screenshot",
                 QFile::encodeName(tree.root() + QStringLiteral("/shot.png")),
                 QFile::encodeName(tree.root())};
        std::vector<char*> argv;
        for (QByteArray& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int status = -1;
        const QByteArray err = Stderr([&] {
            status = dovrane::app::RunProgram(static_cast<int>(args.size()), argv.data(),
                                              {QStringLiteral("nowhere.so")});
        });
        dovrane::platform::SetWindowPartHook({});
        QCOMPARE(status, 1);
        QCOMPARE(err, QByteArray("dovrane-storage-analyzer: cannot load the window: "
                                 "dovrane_run_window: no such library\n"));
        QCOMPARE(during > before, scanBegun);
        QCOMPARE(ThreadCount(), before);
        QVERIFY(!QFileInfo::exists(tree.root() + QStringLiteral("/shot.png")));
    }

    // The job's wake-up came while nobody could take the result: the claim must bring it.
    void resultFinishedBeforeTheClaimComesAfterIt() {
        const int before = ThreadCount();
        dovrane::engine::EarlyScan<int> early(
            [](const dovrane::engine::WalkControl&) -> std::optional<int> { return 5; }, {});
        QTRY_COMPARE(ThreadCount(), before);  // the work ended and posted its wake-up
        QCoreApplication::processEvents();
        std::unique_ptr<dovrane::engine::ScanJob> job;
        int got = 0, calls = 0;
        job = early.claim([&](int result) {
            got = result;
            ++calls;
        });
        QVERIFY(job->isRunning());  // until the result is handed back
        QCOMPARE(calls, 0);
        QTRY_COMPARE(calls, 1);
        QCOMPARE(got, 5);
        QVERIFY(!job->isRunning());
        QCoreApplication::processEvents();
        QCOMPARE(calls, 1);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
