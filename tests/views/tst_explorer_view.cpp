// The Explorer's lazy tree on real folders and on the in-memory device.

#include <QScopeGuard>
#include <QTest>
#include <QTreeWidget>

#include "dialogs/control_id.h"
#include "engine/file_list.h"
#include "engine/text.h"
#include "platform/host_device.h"
#include "support/probes.h"
#include "support/temp_tree.h"
#include "support/test_device.h"
#include "views/explorer_view.h"
#include "views/tree_images.h"

using namespace dovrane;
using views::CExplorerView;

namespace {

struct Explorer {
    explicit Explorer(platform::Device& device) {
        view.device = &device;
        QVERIFY(view.Create(&host, QRect(0, 26, 240, 294)));
        view.ExpandRoot();
    }
    QTreeWidgetItem* root() const { return view.tree()->topLevelItem(0); }
    QTreeWidgetItem* child(const QString& name) const {
        return root()->child(int(names(root()).indexOf(name)));  // null when missing
    }
    static QStringList names(const QTreeWidgetItem* item) {
        QStringList out;
        for (int i = 0; i < item->childCount(); ++i)
            out.append(item->child(i)->text(0));
        return out;
    }
    QWidget host;
    CExplorerView view;
};

}  // namespace

class TestExplorerView : public QObject {
    Q_OBJECT

private slots:
    void expandCollapseReexpand() {
        test::TempTree t;
        for (const char* folder : {"b", "A", "c", "Windows", "Windows/Fonts"})
            t.folder(folder);
        t.file("Windows/win.ini");
        t.file("z.txt");
        platform::HostDevice device(t.root());
        Explorer e(device);
        QCOMPARE(dialogs::GetDlgCtrlID(&e.view), views::kIdChildView);
        QTreeWidgetItem* root = e.root();
        QCOMPARE(CExplorerView::ImageOf(root), int(views::kImageDevice));
        QCOMPARE(Explorer::names(root), (QStringList{"A", "b", "c", "Windows"}));
        QTreeWidgetItem* windows = e.child(QStringLiteral("Windows"));
        windows->setExpanded(true);
        QCOMPARE(CExplorerView::ImageOf(windows), int(views::kImageOpenFolder));
        QCOMPARE(Explorer::names(windows), QStringList{"Fonts"});
        // Collapsing drops the children and moves a selection among them up.
        e.view.tree()->setCurrentItem(windows->child(0));
        windows->setExpanded(false);
        QCOMPARE(windows->childCount(), 0);
        QCOMPARE(CExplorerView::ImageOf(windows), int(views::kImageClosedFolder));
        QCOMPARE(e.view.GetSelectedPath(), QStringLiteral("\\Windows"));
        t.folder("Windows/new");
        windows->setExpanded(true);
        QCOMPARE(Explorer::names(windows), (QStringList{"Fonts", "new"}));
        root->setExpanded(false);
        QCOMPARE(root->childCount(), 0);
        e.view.ExpandRoot();  // what the main view does each time it shows the view
        QCOMPARE(root->childCount(), 4);
    }

    void expandButton() {
        platform::TestDevice device;
        device.addFolder(u"\\Empty").addFile(u"\\Files\\a.txt", 1).addFile(u"\\Files\\b", 2);
        device.addFolder(u"\\Sub\\z").addFolder(u"\\Sub\\Y").addFile(u"\\Sub\\f", 3);
        device.addFolder(u"\\Sub\\x").addFolder(u"\\Locked\\in").failToOpen(u"\\Locked");
        device.addFolder(u"\\Gone\\in");
        Explorer e(device);
        device.remove(u"\\Gone");
        // A folder, whether it keeps its expand button once opened, its children.
        for (const auto& [folder, button, children] : {std::tuple("Empty", false, QStringList{}),
                                                       {"Files", false, {}},
                                                       {"Sub", true, {"x", "Y", "z"}},
                                                       {"Locked", true, {}},
                                                       {"Gone", true, {}}}) {
            const test::Case name(folder);
            QTreeWidgetItem* item = e.child(QString::fromLatin1(folder));
            QCOMPARE(item->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
            item->setExpanded(true);
            QCOMPARE(item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator, button);
            QCOMPARE(Explorer::names(item), children);
        }
    }

    void selectedPath() {
        test::TempTree t;
        for (const char* folder : {"Windows", "Windows/Fonts", "a\\b", "x\xff"})
            t.folder(folder);
        // Qt cannot name the invalid byte to remove it.
        const auto cleanup = qScopeGuard([&] { ::rmdir(t.host("x\xff").c_str()); });
        platform::HostDevice device(t.root());
        QVERIFY(CExplorerView().GetSelectedPath().isEmpty());  // no window yet
        Explorer e(device);
        QCOMPARE(e.view.GetSelectedPath(), QString());
        const QString invalid = QStringLiteral("\\x") + QChar(0xDCFF);
        for (const auto& [select, path] :
             {std::pair(QStringLiteral("\\"), QStringLiteral("\\")),
              {"\\windows\\FONTS", "\\Windows\\Fonts"},  // another case
              {"\\a\uFF3Cb", "\\a\uFF3Cb"},              // a backslash in a name
              {invalid, invalid}}) {
            const test::Case name(path);
            QVERIFY(e.view.SelectPath(select));
            QCOMPARE(e.view.GetSelectedPath(), path);
            // The Folder View finds the folder by that path, folded as the main view folds it.
            QCOMPARE(engine::ResolveFolderPath(device, engine::FoldCase(path)), path);
        }
    }
};

QTEST_MAIN(TestExplorerView)
#include "tst_explorer_view.moc"
