// The Overview and the Explorer in the real window: what their taps and selection do to
// the main view, and their screenshots run as the program itself.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/analyzer_app.h"
#include "app/main_view.h"
#include "app/resource.h"
#include "dialogs/overview_dlg.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/test_device.h"

using namespace dovrane;
using app::CDovraneStorageAnalyzerView;

namespace {

struct Window {
    explicit Window(platform::TestDevice& device)
        : profile(dir.filePath(QStringLiteral("profile.ini"))) {
        app::AppStart start;
        start.view = {.settings = {}, .device = &device, .profile = &profile, .pace = {}};
        application = std::make_unique<app::CAnalyzerApp>(start);
        if (!application->InitInstance())
            qFatal("the window did not start");
    }
    CDovraneStorageAnalyzerView& view() const { return *application->mainView(); }

    QTemporaryDir dir;
    platform::Profile profile;
    platform::ScopedMessageBoxHook hook{
        [](const platform::MessageBoxRequest&) { return platform::MessageBoxResult::Ok; }};
    std::unique_ptr<app::CAnalyzerApp> application;
};

// The program's exit code for `arguments` after "--screenshot FILE", on `root`.
int RunProgram(const QString& file, const QStringList& arguments, const QString& root) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(
        QStringLiteral(DOVRANE_PROGRAM),
        QStringList{"--screenshot", file, "--scale", "1"} + arguments + QStringList{root});
    return program.waitForFinished(60000) ? program.exitCode() : -1;
}

}  // namespace

class TestOverviewWindow : public QObject {
    Q_OBJECT

private slots:
    void storageTapOpensTheFolderView() {
        platform::TestDevice device;
        device.setDiskSpace(u"\\", platform::DiskSpace{100, 50});
        Window w(device);
        views::COverviewView& overview = w.view().overview();
        QTest::mouseClick(&overview, Qt::LeftButton, {},
                          QPoint(overview.width() / 4 + 3, 3 * overview.height() / 4 - 3));
        QCOMPARE(w.view().currentView(), int(CDovraneStorageAnalyzerView::kFolderView));
        QCOMPARE(CDovraneStorageAnalyzerView::ViewTitle(w.view().currentView()),
                 QStringLiteral("Folder View"));
    }

    void folderViewOpensOnTheTreeSelection() {
        platform::TestDevice device;
        device.addFile(u"\\Windows\\Fonts\\tahoma.ttf", 100).addFolder(u"\\Temp");
        Window w(device);
        w.view().OnViewExplorer();
        QVERIFY(w.view().explorer().SelectPath(u"\\windows\\fonts"));
        w.view().OnViewFolder();
        QTRY_VERIFY(!w.view().folderView().IsBusy());
        QCOMPARE(w.view().folderView().headerText(), QStringLiteral(" \\Windows \\Fonts"));
    }

    void detailsButtonRunsTheDialog() {
        platform::TestDevice device;
        device.addFolder(u"\\A", platform::kAttributeTemporary)
            .addFolder(u"\\B", platform::kAttributeTemporary);
        Window w(device);
        w.view().overview().cardList()->setCurrentIndex(1);
        int card = -2;
        QTimer::singleShot(0, [&] {
            if (auto* dialog =
                    qobject_cast<dialogs::COverviewDlg*>(QApplication::activeModalWidget())) {
                card = dialog->m_nCard;
                dialog->reject();
            }
        });
        w.view().overview().detailsButton()->click();
        QCOMPARE(card, 1);
    }

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
        QCOMPARE(RunProgram(file, arguments, dir.path()), exitCode);
        QCOMPARE(QFileInfo::exists(file), exitCode == 0);
        if (exitCode == 0)
            QCOMPARE(QImage(file).size(), QSize(240, 320));
    }
};

QTEST_MAIN(TestOverviewWindow)
#include "tst_overview_window.moc"
