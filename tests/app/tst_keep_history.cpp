// Keep History in the window: ticked by default, its tick kept in the profile, a snapshot
// after a Folder View scan while ticked and none while not.

#include <QtTest>

#include "app/resource.h"
#include "platform/history_store.h"
#include "support/app_window.h"

using namespace dovrane;

namespace {

struct Window : test::AppWindow {
    explicit Window(const QList<std::pair<QString, QString>>& values = {})
        : AppWindow(values, QStringLiteral("/kept")) {
        device.addFile(u"\\docs\\a.txt", 100).addFile(u"\\top", 5);
    }
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
        {
            Window w;
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
        const size_t before = kept().size();
        {
            Window w;
            w.view().OnCmdMsg(app::kIdKeepHistory);
            QCOMPARE(
                platform::Profile(w.file()).readInt("Dovrane Storage Analyzer", "Keep History", 1),
                0);
        }
        {
            Window w(QList<std::pair<QString, QString>>{
                {"Keep History", "0"}});  // unticked as the profile says, from the start
            w.device.addFile(u"\\new", 7);
            w.view().OnViewFolder();
            QTRY_VERIFY(!w.view().folderView().IsBusy());
        }
        QCOMPARE(kept().size(), before);
    }
};

QTEST_MAIN(TestKeepHistory)
#include "tst_keep_history.moc"
