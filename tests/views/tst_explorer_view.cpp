// The Explorer's lazy tree on real folders and on the in-memory device.

#include <QScopeGuard>
#include <QTest>
#include <QTreeWidget>

#include "engine/file_list.h"
#include "engine/text.h"
#include "platform/host_device.h"
#include "platform/test_device.h"
#include "support/temp_tree.h"
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
    QTreeWidgetItem* child(const QTreeWidgetItem* parent, const QString& name) const {
        for (int i = 0; i < parent->childCount(); ++i)
            if (parent->child(i)->text(0) == name)
                return parent->child(i);
        return nullptr;
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
        QTreeWidgetItem* root = e.root();
        QCOMPARE(root->text(0), QStringLiteral("\\"));
        QCOMPARE(CExplorerView::ImageOf(root), int(views::kImageDevice));
        QCOMPARE(Explorer::names(root), (QStringList{"A", "b", "c", "Windows"}));

        QTreeWidgetItem* windows = e.child(root, QStringLiteral("Windows"));
        QCOMPARE(CExplorerView::ImageOf(windows), int(views::kImageClosedFolder));
        QCOMPARE(windows->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
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
        QCOMPARE(CExplorerView::ImageOf(root), int(views::kImageDevice));
        QCOMPARE(root->childCount(), 0);
        e.view.ExpandRoot();  // what the main view does each time it shows the view
        QCOMPARE(root->childCount(), 4);
    }

    void expandButton_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("button");
        QTest::addColumn<QStringList>("children");
        QTest::newRow("empty") << "Empty" << false << QStringList{};
        QTest::newRow("files only") << "Files" << false << QStringList{};
        QTest::newRow("sub-folders") << "Sub" << true << QStringList{"x", "Y", "z"};
        QTest::newRow("unreadable") << "Locked" << true << QStringList{};
        QTest::newRow("vanished") << "Gone" << true << QStringList{};
    }

    void expandButton() {
        QFETCH(QString, folder);
        QFETCH(bool, button);
        QFETCH(QStringList, children);
        platform::TestDevice device;
        device.addFolder(u"\\Empty").addFile(u"\\Files\\a.txt", 1).addFile(u"\\Files\\b", 2);
        device.addFolder(u"\\Sub\\z").addFolder(u"\\Sub\\Y").addFile(u"\\Sub\\f", 3);
        device.addFolder(u"\\Sub\\x").addFolder(u"\\Locked\\in").failToOpen(u"\\Locked");
        device.addFolder(u"\\Gone\\in");
        Explorer e(device);
        device.remove(u"\\Gone");
        QTreeWidgetItem* item = e.child(e.root(), folder);
        QVERIFY(item);
        item->setExpanded(true);
        QCOMPARE(item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator, button);
        QCOMPARE(Explorer::names(item), children);
    }

    void selectedPath_data() {
        QTest::addColumn<QString>("select");  // through SelectPath; "-": nothing selected
        QTest::addColumn<QString>("path");
        QTest::newRow("nothing") << "-" << QString();
        QTest::newRow("root") << "\\"
                              << "\\";
        QTest::newRow("nested, other case") << "\\windows\\FONTS"
                                            << "\\Windows\\Fonts";
        QTest::newRow("backslash in a name") << "\\a\uFF3Cb"
                                             << "\\a\uFF3Cb";
        QTest::newRow("invalid byte")
            << QStringLiteral("\\x") + QChar(0xDCFF) << QStringLiteral("\\x") + QChar(0xDCFF);
    }

    void selectedPath() {
        QFETCH(QString, select);
        QFETCH(QString, path);
        test::TempTree t;
        for (const char* folder : {"Windows", "Windows/Fonts", "a\\b", "x\xff"})
            t.folder(folder);
        // Qt cannot name the invalid byte to remove it.
        const auto cleanup = qScopeGuard([&] { ::rmdir(t.host("x\xff").c_str()); });
        platform::HostDevice device(t.root());
        Explorer e(device);
        if (select != u"-")
            QVERIFY(e.view.SelectPath(select));
        QCOMPARE(e.view.GetSelectedPath(), path);
        // The Folder View finds the folder by that path, folded as the main view folds it.
        if (!path.isEmpty())
            QCOMPARE(engine::ResolveFolderPath(device, engine::FoldCase(path)), path);
    }

    void imageStrip() {
        const QImage one = views::TreeImageStrip(1), two = views::TreeImageStrip(2);
        QCOMPARE(one.size(), QSize(96, 15));
        // Every picture draws something and leaves some mask; scale 2 is scale 1 doubled.
        for (int i = 0; i < views::kTreeImageCount; ++i) {
            int drawn = 0;
            for (int y = 0; y < 15; ++y)
                for (int x = 16 * i; x < 16 * i + 16; ++x) {
                    drawn += one.pixel(x, y) != views::kTreeImageMask;
                    for (int d = 0; d < 4; ++d)
                        QCOMPARE(two.pixel(2 * x + d % 2, 2 * y + d / 2), one.pixel(x, y));
                }
            QVERIFY(drawn > 40 && drawn < 16 * 15);
        }
    }
};

QTEST_MAIN(TestExplorerView)
#include "tst_explorer_view.moc"
