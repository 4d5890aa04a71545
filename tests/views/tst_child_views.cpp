// The child views' windows and what the main view asks of them.

#include <QTest>

#include "dialogs/control_id.h"
#include "views/explorer_view.h"
#include "views/folder_view.h"

using namespace dovrane;

class TestChildViews : public QObject {
    Q_OBJECT

private slots:
    void windowExistsOnlyAfterCreate() {
        QWidget host;
        views::CFolderView view;
        QVERIFY(!view.IsWindowCreated());
        QVERIFY(host.findChildren<views::CChildWindow*>().isEmpty());
        QVERIFY(view.Create(&host, QRect(0, 26, 240, 294)));
        QVERIFY(view.IsWindowCreated() && !view.isHidden() && view.windowTitle().isEmpty());
        QCOMPARE(view.parentWidget(), &host);
        QCOMPARE(dialogs::GetDlgCtrlID(&view), views::kIdChildView);
        QVERIFY(views::CExplorerView().GetSelectedPath().isEmpty());  // no window yet
    }
};

QTEST_MAIN(TestChildViews)
#include "tst_child_views.moc"
