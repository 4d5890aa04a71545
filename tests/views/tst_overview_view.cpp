// The Overview on an in-memory device: pie angles, pixels, taps, cards and Refresh.

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "charts/color_ref.h"
#include "engine/memory_status.h"
#include "platform/control_panel.h"
#include "platform/shell.h"
#include "platform/test_device.h"
#include "views/overview_view.h"

using namespace dovrane;
using charts::PieSlice;
using platform::DiskSpace;
using platform::kAttributeTemporary;
using platform::MemoryFigures;

namespace {

constexpr quint64 kMB = 1 << 20;
constexpr engine::ColorRef kBlue = 0xFF0000, kYellow = 0x00FFFF, kRed = 0x0000FF, kGreen = 0x00FF00;

// 16 MB of program memory, 4 MB free; an 8 MB store with 2 MB free.
struct Device {
    Device() {
        dev.setMemory(MemoryFigures{16 * kMB, 4 * kMB});
        dev.setDiskSpace(u"\\", DiskSpace{8 * kMB, 2 * kMB});
    }
    // Two cards, 1 of 4 MB and half of 1 MB in use, with an ordinary folder before them.
    void withCards() {
        dev.addFolder(u"\\Windows");
        dev.addFolder(u"\\SD", kAttributeTemporary)
            .setDiskSpace(u"\\SD", DiskSpace{4 * kMB, 3 * kMB});
        dev.addFolder(u"\\CF", kAttributeTemporary).setDiskSpace(u"\\CF", DiskSpace{kMB, kMB / 2});
    }
    platform::TestDevice dev;
};

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
    QColor pixel(int x, int y) { return view.grab().toImage().pixelColor(x, y); }
    // Red pixels in the card quarter between its list and its legend, off its pie: the
    // text " No Storage Card".
    int redPixels() {
        const QImage image = view.grab().toImage();
        const int w = view.width(), h = view.height();
        int count = 0;
        for (int y = h / 2 + 30; y < h - 30; ++y)
            for (int x = w / 2; x < w; ++x) {
                const int dx = x - 3 * w / 4, dy = y - 3 * h / 4;
                const QColor c = image.pixelColor(x, y);
                count +=
                    dx * dx + dy * dy > 32 * 32 && c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        return count;
    }
    QWidget host;
    MainView main;
    views::COverviewView view;
};

}  // namespace

class TestOverviewView : public QObject {
    Q_OBJECT

private slots:
    void pies_data() {
        QTest::addColumn<int>("pie");
        QTest::addColumn<QList<PieSlice>>("slices");
        // 16 of 24 MB is program memory; 12 of 16 MB is in use; 6 of 8 MB is in use.
        QTest::newRow("main") << 0 << QList<PieSlice>{{0, 240, kBlue}, {240, 360, kYellow}};
        QTest::newRow("program") << 1 << QList<PieSlice>{{0, 270, kRed}, {270, 360, kGreen}};
        QTest::newRow("storage") << 2 << QList<PieSlice>{{0, 270, kRed}, {270, 360, kGreen}};
        QTest::newRow("no card") << 3 << QList<PieSlice>{};
    }

    void pies() {
        QFETCH(int, pie);
        QFETCH(QList<PieSlice>, slices);
        Device device;
        Overview o(device.dev);
        const charts::CPieChart* pies[] = {&o.view.mainPie(), &o.view.programPie(),
                                           &o.view.storagePie(), &o.view.cardPie()};
        const auto& got = pies[pie]->slices();
        QCOMPARE(QList<PieSlice>(got.begin(), got.end()), slices);
    }

    void pixels_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("handheld") << QSize(240, 294);
        QTest::newRow("resized") << QSize(400, 500);
    }

    void pixels() {
        QFETCH(QSize, size);
        Device device;
        Overview o(device.dev, size);
        const int w = size.width(), h = size.height();
        // Just below each centre's right-hand side: the first slice starts at 0 degrees.
        QCOMPARE(o.pixel(w / 4 + 10, h / 4 - 3), charts::ColorFromRef(kBlue));
        QCOMPARE(o.pixel(w / 4 + 10, h / 4 + 3), charts::ColorFromRef(kYellow));
        QCOMPARE(o.pixel(3 * w / 4 - 10, h / 4), charts::ColorFromRef(kRed));
        QCOMPARE(o.pixel(w / 4 + 10, 3 * h / 4 + 10), charts::ColorFromRef(kGreen));
        // The legend squares, inside their black outlines.
        QCOMPARE(o.pixel(8, h / 2 - 23), charts::ColorFromRef(kBlue));
        QCOMPARE(o.pixel(5, h / 2 - 23), QColor(Qt::black));
        QCOMPARE(o.pixel(8, h / 2 - 8), charts::ColorFromRef(kYellow));
        QCOMPARE(o.pixel(w / 2 + 18, h / 2 - 23), charts::ColorFromRef(kRed));
        QCOMPARE(o.pixel(8, h - 8), charts::ColorFromRef(kGreen));
        // No card: white where its pie would be, " No Storage Card" in red, no list.
        QCOMPARE(o.pixel(3 * w / 4 + 10, 3 * h / 4 + 20), QColor(Qt::white));
        QVERIFY(o.redPixels() > 20);
        QVERIFY(o.view.cardList()->isHidden());
    }

    void taps_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("quarter");  // 0 main, 1 program, 2 storage, 3 card
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<QString>("page");  // empty: no Control Panel page
        QTest::addColumn<int>("folderViews");
        const QSize s(240, 294), big(500, 400);
        QTest::newRow("main") << s << 0 << QPoint(0, 0) << "cplmain.cpl 4,0" << 0;
        QTest::newRow("program, 29.97 away") << s << 1 << QPoint(27, 13) << "cplmain.cpl 4,2" << 0;
        QTest::newRow("program, 30 away") << s << 1 << QPoint(30, 0) << "" << 0;
        QTest::newRow("program, 30.4 away") << s << 1 << QPoint(-21, -22) << "" << 0;
        QTest::newRow("storage") << s << 2 << QPoint(-29, 0) << "" << 1;
        QTest::newRow("card") << s << 3 << QPoint(0, 5) << "cplmain.cpl 4,1" << 0;
        QTest::newRow("resized card") << big << 3 << QPoint(5, 0) << "cplmain.cpl 4,1" << 0;
        QTest::newRow("resized main") << big << 0 << QPoint(0, -29) << "cplmain.cpl 4,0" << 0;
    }

    void taps() {
        QFETCH(QSize, size);
        QFETCH(int, quarter);
        QFETCH(QPoint, offset);
        QFETCH(QString, page);
        QFETCH(int, folderViews);
        QList<platform::LaunchRequest> started;
        const platform::ScopedLauncher launcher([&](const platform::LaunchRequest& r) {
            started.append(r);
            return true;
        });
        Device device;
        device.withCards();
        Overview o(device.dev, size);
        const int w = size.width(), h = size.height();
        const QPoint centre((quarter % 2 ? 3 * w : w) / 4, (quarter / 2 ? 3 * h : h) / 4);
        QTest::mouseClick(&o.view, Qt::LeftButton, {}, centre + offset);
        QCOMPARE(o.main.folderViews, folderViews);
        if (page.isEmpty()) {
            QVERIFY(started.isEmpty());
        } else {
            QCOMPARE(started.size(), 1);
            QCOMPARE(started[0].program, platform::kControlPanelProgram);
            QCOMPARE(started[0].arguments, QStringList{page});
        }
    }

    void noCardNoCardTap() {
        int started = 0;
        const platform::ScopedLauncher launcher([&](const platform::LaunchRequest&) {
            ++started;
            return true;
        });
        Device device;
        Overview o(device.dev);
        QTest::mouseClick(&o.view, Qt::LeftButton, {}, QPoint(180, 220));
        QCOMPARE(started, 0);
    }

    void cards() {
        Device device;
        device.withCards();
        Overview o(device.dev);
        QComboBox* list = o.view.cardList();
        QVERIFY(!list->isHidden());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->itemText(1), QStringLiteral("CF"));
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(o.view.cardPie().slices()[0], (PieSlice{0, 90, kRed}));
        QCOMPARE(o.redPixels(), 0);

        list->setCurrentIndex(1);
        QCOMPARE(o.view.status()->cardName, QStringLiteral("CF"));
        QCOMPARE(o.view.cardPie().slices()[0], (PieSlice{0, 180, kRed}));
        QCOMPARE(o.pixel(180 - 10, 220 + 3), charts::ColorFromRef(kGreen));
        QCOMPARE(o.view.MakeDetailsDialog()->m_nCard, 1);

        // The card stops answering before it is chosen again: zero figures, the text.
        device.dev.setDiskSpace(u"\\SD", std::nullopt);
        list->setCurrentIndex(0);
        QVERIFY(o.view.cardPie().slices().empty());
        QVERIFY(o.redPixels() > 20);

        // Refresh finds one card left and reads the figures again.
        device.dev.remove(u"\\SD");
        device.dev.setMemory(MemoryFigures{32 * kMB, 8 * kMB});
        o.view.Refresh();
        QCOMPARE(list->count(), 1);
        QCOMPARE(o.view.status()->programTotalText, QStringLiteral("32.00 MB"));
        QCOMPARE(o.view.refreshCount(), 2);
    }

    void failingFigures() {
        platform::TestDevice device;  // no memory, no volume answers
        Overview o(device);
        for (const charts::CPieChart* pie :
             {&o.view.mainPie(), &o.view.programPie(), &o.view.storagePie(), &o.view.cardPie()})
            QVERIFY(pie->slices().empty());
        QVERIFY(o.redPixels() > 20);
    }
};

QTEST_MAIN(TestOverviewView)
#include "tst_overview_view.moc"
