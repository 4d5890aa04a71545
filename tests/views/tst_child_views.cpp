// The child views' windows and what the main view asks of them.

#include <QTest>
#include <QTreeWidget>

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
    }

    void selectedPath() {
        // Items from the root down, the last one selected; names as written.
        const std::pair<QStringList, QString> branches[] = {
            {{}, ""},
            {{"\\"}, "\\"},
            {{"\\", "Windows"}, "\\Windows"},
            {{"\\", "Windows", "Fonts"}, "\\Windows\\Fonts"},
            {{"\\", "My Documents", "a.b"}, "\\My Documents\\a.b"}};
        for (const auto& [branch, path] : branches) {
            QWidget host;
            views::CExplorerView explorer;
            QVERIFY(explorer.GetSelectedPath().isEmpty());  // no window yet
            QVERIFY(explorer.Create(&host, QRect(0, 26, 240, 294)));
            QTreeWidgetItem* item = explorer.tree()->topLevelItem(0);
            QCOMPARE(explorer.tree()->topLevelItemCount(), 1);
            QCOMPARE(item->text(0), QStringLiteral("\\"));
            for (const QString& name : branch.mid(1)) {
                item->addChild(new QTreeWidgetItem(QStringList{name}));
                item = item->child(0);
            }
            if (!branch.isEmpty())
                explorer.tree()->setCurrentItem(item);
            QCOMPARE(explorer.GetSelectedPath(), path);
        }
    }
};

QTEST_MAIN(TestChildViews)
#include "tst_child_views.moc"
