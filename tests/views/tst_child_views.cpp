// The Overview (pies, taps, cards, Refresh) and the Explorer's lazy tree.

#include <fcntl.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "charts/point_font.h"
#include "dialogs/control_id.h"
#include "engine/file_list.h"
#include "engine/memory_status.h"
#include "engine/text.h"
#include "platform/control_panel.h"
#include "platform/fonts.h"
#include "platform/host_device.h"
#include "platform/shell.h"
#include "support/overview_figures.h"
#include "support/probes.h"
#include "support/temp_tree.h"
#include "views/explorer_view.h"
#include "views/overview_view.h"
#include "views/tree_images.h"

using namespace dovrane;
using charts::PieSlice;
using test::kMB;
using test::Rgb;
using views::CExplorerView;

namespace {

constexpr engine::ColorRef kBlue = 0xFF0000, kYellow = 0x00FFFF, kRed = 0x0000FF, kGreen = 0x00FF00;

struct MainView : views::MainViewCommands {
    void OnViewFolder() override { ++folderViews; }
    int folderViews = 0;
};

struct Overview {
    explicit Overview(platform::Device& device, QSize size = {240, 294}) {
        view.device = &device;
        view.m_pMainView = &main;
        host.resize(size.width(), size.height() + 26);
        view.Create(&host, QRect(QPoint(0, 26), size));
    }
    // Red between the card list and legend, off the pie: the text " No Storage Card".
    bool showsNoCard() {
        const int w = view.width(), h = view.height();
        QImage image = view.grab().toImage();
        QPainter painter(&image);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPoint(3 * w / 4, 3 * h / 4), 33, 33);
        return test::Shows(image.copy(w / 2, h / 2 + 30, w - w / 2, h / 2 - 60), 0xFF0000);
    }
    QWidget host;
    MainView main;
    views::COverviewView view;
};

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

// Counts how the view opens folders: a path's cost as a count of opens.
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

// `depth` folders "d" nested below `top`, made by descriptor: the path is far beyond
// PATH_MAX, and a descriptor a level would run out.
struct DeepChain {
    DeepChain(const std::string& folder, int levels) : top(folder), depth(levels) {
        const int fd = test::Descend(::open(top.c_str(), O_RDONLY | O_DIRECTORY), "d", depth);
        made = fd >= 0 && ::mkdirat(fd, "last", 0755) == 0;
        ::close(fd);
    }
    // Up through "..", removing the level below each time: one descriptor held.
    ~DeepChain() {
        int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
        int levels = 0;
        for (int next; fd >= 0 && (next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY)) >= 0;
             ++levels) {
            ::close(fd);
            fd = next;
        }
        ::unlinkat(fd, "last", AT_REMOVEDIR);
        for (; levels > 0 && fd >= 0; --levels) {
            const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = up;
            ::unlinkat(fd, "d", AT_REMOVEDIR);
        }
        ::close(fd);
    }
    QString path() const { return QStringLiteral("\\d").repeated(depth); }
    std::string top;
    int depth;
    bool made = false;
};

}  // namespace

class TestChildViews : public QObject {
    Q_OBJECT

private slots:
    void piesAndPixels() {
        platform::TestDevice device;
        test::SetupOverview(device, false);
        Overview o(device);  // the layout's scaling is pinned by the taps
        const int w = o.view.width(), h = o.view.height();
        // 16 of 24 MB is program memory; 12 of 16 MB is in use; 6 of 8 MB is in use.
        using Slices = std::vector<PieSlice>;
        QCOMPARE(o.view.mainPie().slices(), (Slices{{0, 240, kBlue}, {240, 360, kYellow}}));
        QCOMPARE(o.view.programPie().slices(), (Slices{{0, 270, kRed}, {270, 360, kGreen}}));
        QCOMPARE(o.view.storagePie().slices(), (Slices{{0, 270, kRed}, {270, 360, kGreen}}));
        const QImage image = o.view.grab().toImage();
        QList<QRgb> seen;
        for (const QPoint p :
             {// Just below each centre's right-hand side: the first slice starts at 0.
              QPoint(w / 4 + 10, h / 4 - 3), QPoint(w / 4 + 10, h / 4 + 3),
              QPoint(3 * w / 4 - 10, h / 4), QPoint(w / 4 + 10, 3 * h / 4 + 10),
              // The legend squares, inside their black outlines.
              QPoint(8, h / 2 - 23), QPoint(5, h / 2 - 23), QPoint(8, h / 2 - 8),
              QPoint(w / 2 + 18, h / 2 - 23), QPoint(8, h - 8),
              // No card: white where its pie would be.
              QPoint(3 * w / 4 + 10, 3 * h / 4 + 20)})
            seen << test::PixelAt(image, p);
        QCOMPARE(seen, (QList<QRgb>{Rgb(kBlue), Rgb(kYellow), Rgb(kRed), Rgb(kGreen), Rgb(kBlue), 0,
                                    Rgb(kYellow), Rgb(kRed), Rgb(kGreen), 0xFFFFFF}));
        QVERIFY(o.showsNoCard());
        QVERIFY(o.view.cardList()->isHidden());
    }

    void taps() {
        // Size, cards, quarter (main, program, storage, card), offset from its centre, and the
        // Control Panel page started ("folder": the Folder View; empty: nothing).
        const QSize s(240, 294), big(500, 400);
        const std::tuple<QSize, bool, int, QPoint, QString> cases[] = {
            {s, true, 0, {0, 0}, "cplmain.cpl 4,0"},
            {s, true, 1, {27, 13}, "cplmain.cpl 4,2"},  // 29.97 away
            {s, true, 1, {30, 0}, ""},                  // 30 away
            {s, true, 2, {-29, 0}, "folder"},
            {s, false, 3, {0, 5}, ""},
            {big, true, 3, {5, 0}, "cplmain.cpl 4,1"}};
        for (const auto& [size, cards, quarter, offset, page] : cases) {
            const test::Case name(page + QString::number(offset.x() + 100 * quarter));
            QStringList started;
            const platform::ScopedLauncher launcher([&](const platform::LaunchRequest& r) {
                started.append(r.program + u' ' + r.arguments.join(u','));
                return true;
            });
            platform::TestDevice device;
            test::SetupOverview(device, cards);
            Overview o(device, size);
            const int w = size.width(), h = size.height();
            const QPoint centre((quarter % 2 ? 3 * w : w) / 4, (quarter / 2 ? 3 * h : h) / 4);
            QTest::mouseClick(&o.view, Qt::LeftButton, {}, centre + offset);
            QCOMPARE(o.main.folderViews, page == u"folder" ? 1 : 0);
            QCOMPARE(started, page.startsWith(u"cpl")
                                  ? QStringList{platform::kControlPanelProgram + u' ' + page}
                                  : QStringList{});
        }
    }

    // The pies grow with their quarters, clear of titles and legends; a resize draws them
    // again without reading the figures again.
    void piesGrowWithTheirQuarters() {
        for (const auto& [size, radius] : {std::pair(QSize(1920, 1054), 220), {{240, 900}, 45}}) {
            const test::Case name(QString::number(size.height()));
            platform::TestDevice device;
            test::SetupOverview(device, true);
            Overview o(device, size);
            QCOMPARE(o.view.radius(), radius);
            const int w = size.width(), h = size.height();
            const QImage image = o.view.grab().toImage();
            for (const QPoint centre : {QPoint(w / 4, h / 4), QPoint(3 * w / 4, 3 * h / 4)}) {
                QVERIFY(test::PixelAt(image, centre + QPoint(radius - 4, -2)) != 0xFFFFFF);
                QCOMPARE(test::PixelAt(image, centre + QPoint(radius + 2, 0)), QRgb(0xFFFFFF));
            }
            QVERIFY(h / 4 - radius >= 16 && h / 4 + radius <= h / 2 - 30);
            o.host.show();  // a hidden widget's resize waits for its showing
            QVERIFY(QTest::qWaitForWindowExposed(&o.host));
            o.view.resize(240, 294);
            QCOMPARE(o.view.radius(), 30);
            QCOMPARE(o.view.refreshCount(), 1);
        }
    }

    void legendsFitTheirQuarters() {
        // A 258 GB disk as storage and as a card, in the design's 240 x 294: each text is
        // drawn whole, the left ones ending before the right squares, the right ones inside.
        QVERIFY(platform::LoadTahoma());  // the design's face, as the program loads it
        platform::TestDevice device;
        const auto mb = [](double megabytes) { return quint64(megabytes * double(kMB)); };
        device.setMemory(platform::MemoryFigures{mb(64000), mb(1500)})
            .setDiskSpace(u"\\", {{mb(258019.61), mb(23311.49)}})
            .addFolder(u"\\SD", platform::kAttributeTemporary)
            .setDiskSpace(u"\\SD", {{mb(258019.61), mb(23311.49)}});
        Overview o(device);
        const engine::MemoryStatus& s = *o.view.status();
        const int w = 240, h = 294;
        const QImage image = o.view.grab().toImage();
        const QFontMetrics metrics(charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5));
        const auto ink = [&](int from, int to, int y) {  // the last column drawn on
            for (int x = to; x >= from; --x)
                for (int row = y - 4; row < y + 10; ++row)
                    if (test::PixelAt(image, {x, row}) != 0xFFFFFF)
                        return x;
            return -1;
        };
        for (const auto& [y, leftColor, rightColor, leftText, rightText] :
             {std::tuple(h / 2 - 26, kBlue, kRed, "Program " + s.programTotalText,
                         "In Use " + s.programUsedText),
              {h / 2 - 11, kYellow, kGreen, "Storage  " + s.storageTotalText,
               "Free    " + s.programFreeText},
              {h - 26, kRed, kRed, "In Use " + s.storageUsedText, "In Use " + s.cardUsedText},
              {h - 11, kGreen, kGreen, "Free    " + s.storageFreeText,
               "Free    " + s.cardFreeText}}) {
            const test::Case name(leftText + " | " + rightText);
            int left = 0, right = w - 1;  // each square: one pixel left of its fill
            while (left < w && test::PixelAt(image, {left, y + 3}) != Rgb(leftColor))
                ++left;
            while (right > 0 && test::PixelAt(image, {right, y + 3}) != Rgb(rightColor))
                --right;
            left -= 1;
            right -= 5;
            QVERIFY(left >= 0 && right > w / 2 && left + 10 < right);
            const int leftEnd = ink(left + 10, right - 1, y);
            QVERIFY(leftEnd >= left + 10 + metrics.horizontalAdvance(leftText) - 3);
            QVERIFY(leftEnd <= right - 2);
            const int rightEnd = ink(right + 10, w - 1, y);
            QVERIFY(rightEnd >= right + 10 + metrics.horizontalAdvance(rightText) - 3);
            QVERIFY(rightEnd < w - 1);
        }
    }

    void cards() {
        platform::TestDevice device;
        test::SetupOverview(device, true);
        Overview o(device);
        QComboBox* list = o.view.cardList();
        QVERIFY(!list->isHidden());
        QCOMPARE(test::Rows(list->model()), (QStringList{"SD", "CF"}));
        QCOMPARE(o.view.cardPie().slices()[0], (PieSlice{0, 90, kRed}));
        QVERIFY(!o.showsNoCard());

        list->setCurrentIndex(1);
        QCOMPARE(o.view.cardPie().slices()[0], (PieSlice{0, 180, kRed}));
        QCOMPARE(test::PixelAt(o.view.grab().toImage(), {170, 223}), Rgb(kGreen));
        QCOMPARE(o.view.MakeDetailsDialog()->m_nCard, 1);

        // The card stops answering before it is chosen again: zero figures, the text.
        device.setDiskSpace(u"\\SD", std::nullopt);
        list->setCurrentIndex(0);
        QVERIFY(o.view.cardPie().slices().empty());
        QVERIFY(o.showsNoCard());

        // Refresh finds one card left and reads the figures again.
        device.remove(u"\\SD");
        device.setMemory(platform::MemoryFigures{32 * kMB, 8 * kMB});
        o.view.Refresh();
        QCOMPARE(test::Rows(list->model()), QStringList{"CF"});
        QCOMPARE(o.view.status()->programTotalText, QStringLiteral("32.00 MB"));
    }

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

    // Of names differing only in case the one spelled as asked is picked, else the first in
    // the tree's order; blanks belong to the names. `resolved`: the Folder View finds it.
    void selectedPath() {
        const QString invalid = QStringLiteral("\\x") + QChar(0xDCFF);
        platform::TestDevice device;
        for (const char16_t* path :
             {u"\\Windows\\Fonts", u"\\a\uFF3Cb", u"\\x\xDCFF", u"\\d_CASE\\In", u"\\d_case\\in",
              u"\\d_ ", u"\\d_", u"\\ x \\ "})
            device.addFolder(path);
        QVERIFY(CExplorerView().GetSelectedPath().isEmpty());  // no window yet
        Explorer e(device);
        QCOMPARE(e.view.GetSelectedPath(), QString());
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
              {"blank inside", "\\ x \\ ", "\\ x \\ ", true}}) {
            const test::Case name(QString::fromLatin1(tag));
            QVERIFY(e.view.SelectPath(select));
            QCOMPARE(e.view.GetSelectedPath(), selected);
            if (resolved)
                QCOMPARE(engine::ResolveFolderPath(device, engine::FoldCase(selected)), selected);
        }
    }

    // 20,000 levels: each folder is opened once, from the one above it, and the shown tree
    // goes all the way down.
    void deepPathOpensOneFolderALevel() {
        // In memory where the host has it: 20,000 folders on a disk take long to make.
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
        QCOMPARE(std::pair(device.byPath, device.fromParent), std::pair(1, 20000));
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

QTEST_MAIN(TestChildViews)
#include "tst_child_views.moc"
