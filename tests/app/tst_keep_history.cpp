// Keep History in the window: ticked by default, its tick kept in the profile, a snapshot
// after a Folder View scan while ticked and none while not.

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/analyzer_app.h"
#include "app/main_view.h"
#include "app/resource.h"
#include "platform/history_store.h"
#include "platform/profile.h"
#include "support/test_device.h"

using namespace dovrane;

namespace {

struct Window {
    explicit Window(const QString& profileFile) : profile(profileFile) {
        device.addFile(u"\\docs\\a.txt", 100).addFile(u"\\top", 5);
        app::AppStart start;
        start.view = {.settings = {},
                      .device = &device,
                      .profile = &profile,
                      .pace = {},
                      .pieShown = {},
                      .historyRoot = QStringLiteral("/kept")};
        application = std::make_unique<app::CAnalyzerApp>(start);
        if (!application->InitInstance())
            qFatal("the window did not start");
    }
    app::CDovraneStorageAnalyzerView& view() { return *application->mainView(); }

    platform::TestDevice device;
    platform::Profile profile;
    std::unique_ptr<app::CAnalyzerApp> application;
};

}  // namespace

class TestKeepHistory : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    std::vector<platform::SnapshotRecord> kept() {
        platform::HistoryStore store(m_dir.path() + "/state/dovrane-storage-analyzer/history");
        QString error;
        return store.open(&error) ? store.list("/kept", nullptr)
                                  : std::vector<platform::SnapshotRecord>{};
    }

private slots:
    void initTestCase() { qputenv("XDG_STATE_HOME", (m_dir.path() + "/state").toUtf8()); }

    void tickedKeepsASnapshot() {
        const QString profileFile = m_dir.path() + "/on.ini";
        {
            Window w(profileFile);
            w.view().OnViewFolder();
            QTRY_VERIFY(!w.view().folderView().IsBusy());
            app::CCmdUI ui;
            QVERIFY(w.view().OnUpdateCmdUI(app::kIdKeepHistory, ui));
            QVERIFY(ui.checked);
            QTRY_COMPARE(kept().size(), size_t{1});
        }
        const auto snapshots = kept();
        QCOMPARE(snapshots[0].totalBytes, quint64{105});
        QCOMPARE(snapshots[0].entries, quint64{3});
    }

    void untickedKeepsNone() {
        const QString profileFile = m_dir.path() + "/off.ini";
        const size_t before = kept().size();
        {
            Window w(profileFile);
            w.view().OnCmdMsg(app::kIdKeepHistory);
            QCOMPARE(platform::Profile(profileFile)
                         .readInt("Dovrane Storage Analyzer", "Keep History", 1),
                     0);
        }
        {
            Window w(profileFile);  // unticked as the profile says, from the start
            w.device.addFile(u"\\new", 7);
            w.view().OnViewFolder();
            QTRY_VERIFY(!w.view().folderView().IsBusy());
        }
        QCOMPARE(kept().size(), before);
    }
};

QTEST_MAIN(TestKeepHistory)
#include "tst_keep_history.moc"
