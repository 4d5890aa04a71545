// The Explorer's lazy tree on real folders and on the in-memory device.

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
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

// Counts how the view opens folders, so that a path's cost shows as a count of opens.
struct CountingDevice : platform::Device {
    explicit CountingDevice(platform::Device& d) : inner(d) {}
    std::unique_ptr<platform::Folder> openFolder(QStringView path) override {
        ++byPath;
        return inner.openFolder(path);
    }
    std::unique_ptr<platform::Folder> openChild(platform::Folder& parent,
                                                std::string_view name) override {
        ++fromParent;
        return inner.openChild(parent, name);
    }
    void read(platform::Folder& folder, platform::Listing& out,
              platform::ReadDetail detail) override {
        inner.read(folder, out, detail);
    }
    void park(platform::Folder& folder) override { inner.park(folder); }
    std::optional<platform::MemoryFigures> globalMemoryStatus() override { return {}; }
    std::optional<platform::DiskSpace> diskFreeSpace(QStringView) override { return {}; }
    platform::Device& inner;
    int byPath = 0;
    int fromParent = 0;
};

// `depth` folders "d" nested below `top`, made and taken down by descriptor: the path is
// far beyond PATH_MAX, and a descriptor a level would run out.
struct DeepChain {
    DeepChain(const std::string& folder, int levels) : top(folder), depth(levels) {
        int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < depth && fd >= 0; ++i) {
            const int next = ::mkdirat(fd, "d", 0755) == 0 ? ::openat(fd, "d", O_RDONLY) : -1;
            ::close(fd);
            fd = next;
        }
        made = fd >= 0 && ::mkdirat(fd, "last", 0755) == 0;
        ::close(fd);
    }
    ~DeepChain() {
        int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
        int level = 0;
        for (; level < depth; ++level) {
            const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
            if (next < 0)
                break;
            ::close(fd);
            fd = next;
        }
        ::unlinkat(fd, "last", AT_REMOVEDIR);
        for (; level > 0; --level) {
            const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = up;
            ::unlinkat(fd, "d", AT_REMOVEDIR);
        }
        ::close(fd);
    }
    QString path() const {
        QString p;
        p.reserve(2 * depth + 5);
        for (int i = 0; i < depth; ++i)
            p += QStringLiteral("\\d");
        return p;
    }
    std::string top;
    int depth;
    bool made = false;
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

    // Row name: what is asked. Of names differing only in case the one spelled as asked is
    // picked, else the first in the tree's order; blanks belong to the names. Where the case
    // picks nothing, the Folder View finds the folder by the path selected, folded as the
    // main view folds it.
    void selectedPath_data() {
        QTest::addColumn<QString>("select");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("resolved");
        const QString invalid = QStringLiteral("\\x") + QChar(0xDCFF);
        for (const auto& [tag, select, selected, resolved] :
             {std::tuple("root", QStringLiteral("\\"), QStringLiteral("\\"), true),
              {"another case", "\\windows\\FONTS", "\\Windows\\Fonts", true},
              {"backslash in a host name", "\\a\uFF3Cb", "\\a\uFF3Cb", true},
              {"not UTF-8", invalid, invalid, true},
              {"upper", "\\d_CASE\\In", "\\d_CASE\\In", false},
              {"lower", "\\d_case\\in", "\\d_case\\in", true},
              {"neither", "\\D_Case\\IN", "\\d_CASE\\In", false},
              {"trailing blank", "\\d_ ", "\\d_ ", true},
              {"no blank", "\\d_", "\\d_", true},
              {"blank inside", "\\ x \\ ", "\\ x \\ ", true}})
            QTest::newRow(tag) << select << selected << resolved;
    }
    void selectedPath() {
        QFETCH(QString, select);
        QFETCH(QString, selected);
        QFETCH(bool, resolved);
        platform::TestDevice device;
        for (const char16_t* path :
             {u"\\Windows\\Fonts", u"\\a\uFF3Cb", u"\\x\xDCFF", u"\\d_CASE\\In", u"\\d_case\\in",
              u"\\d_ ", u"\\d_", u"\\ x \\ "})
            device.addFolder(path);
        QVERIFY(CExplorerView().GetSelectedPath().isEmpty());  // no window yet
        Explorer e(device);
        QCOMPARE(e.view.GetSelectedPath(), QString());
        QVERIFY(e.view.SelectPath(select));
        QCOMPARE(e.view.GetSelectedPath(), selected);
        if (resolved)
            QCOMPARE(engine::ResolveFolderPath(device, engine::FoldCase(selected)), selected);
    }

    // 20,000 levels: each folder is opened once, from the one above it, and the shown tree
    // goes all the way down.
    void deepPathOpensOneFolderALevel() {
        // In memory where the host has such a file system: 20,000 folders made and removed
        // on a disk take far longer than the walk down them.
        const QString memory = QStringLiteral("/dev/shm");
        QTemporaryDir dir((QFileInfo(memory).isWritable() ? memory : QDir::tempPath()) +
                          QStringLiteral("/deep-XXXXXX"));
        const DeepChain chain(dir.path().toStdString(), 20000);
        QVERIFY(chain.made);
        platform::HostDevice host(dir.path());
        CountingDevice device(host);
        Explorer e(device);
        e.host.show();  // a shown tree lays itself out on changes a hidden one lets wait
        device.byPath = device.fromParent = 0;
        QVERIFY(e.view.SelectPath(chain.path()));
        QCOMPARE(device.byPath, 1);
        QCOMPARE(device.fromParent, 20000);
        QCOMPARE(e.view.GetSelectedPath(), chain.path());
        QTreeWidgetItem* deepest = e.view.tree()->currentItem();
        int levels = 0;
        for (const QTreeWidgetItem* item = deepest; item->parent(); item = item->parent())
            ++levels;
        QCOMPARE(levels, 20000);
        // Expanded by hand, the deepest folder opens by its path: one more open.
        deepest->setExpanded(true);
        QCOMPARE(Explorer::names(deepest), QStringList{"last"});
        QCOMPARE(device.byPath, 2);
    }
};

QTEST_MAIN(TestExplorerView)
#include "tst_explorer_view.moc"
