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
        QVERIFY(view.IsWindowCreated());
        QCOMPARE(view.parentWidget(), &host);
        QCOMPARE(view.geometry(), QRect(0, 26, 240, 294));
        QCOMPARE(dialogs::GetDlgCtrlID(&view), views::kIdChildView);
        QVERIFY(view.windowTitle().isEmpty());
        QVERIFY(!view.isHidden());
    }

    void selectedPath_data() {
        QTest::addColumn<QStringList>("branch");  // items from the root down; the last selected
        QTest::addColumn<QString>("path");
        QTest::newRow("nothing") << QStringList{} << QString();
        QTest::newRow("root") << QStringList{"\\"} << QStringLiteral("\\");
        QTest::newRow("below the root")
            << QStringList{"\\", "Windows"} << QStringLiteral("\\Windows");
        QTest::newRow("two down") << QStringList{"\\", "Windows", "Fonts"}
                                  << QStringLiteral("\\Windows\\Fonts");
        QTest::newRow("as written")
            << QStringList{"\\", "My Documents", "a.b"} << QStringLiteral("\\My Documents\\a.b");
    }

    void selectedPath() {
        QFETCH(QStringList, branch);
        QFETCH(QString, path);
        QWidget host;
        views::CExplorerView explorer;
        QVERIFY(explorer.GetSelectedPath().isEmpty());  // no window yet
        QVERIFY(explorer.Create(&host, QRect(0, 26, 240, 294)));
        QTreeWidget* tree = explorer.tree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* item = tree->topLevelItem(0);
        QCOMPARE(item->text(0), QStringLiteral("\\"));
        for (const QString& name : branch.mid(1)) {
            auto* child = new QTreeWidgetItem(QStringList{name});
            item->addChild(child);
            item = child;
        }
        if (!branch.isEmpty())
            tree->setCurrentItem(item);
        QCOMPARE(explorer.GetSelectedPath(), path);
    }
};

QTEST_MAIN(TestChildViews)
#include "tst_child_views.moc"
