// The Overview on an in-memory device: pie angles, pixels, taps, cards and Refresh.

#include <QComboBox>
#include <QPainter>
#include <QTest>

#include "charts/point_font.h"
#include "engine/memory_status.h"
#include "platform/control_panel.h"
#include "platform/fonts.h"
#include "platform/shell.h"
#include "support/overview_figures.h"
#include "support/probes.h"
#include "views/overview_view.h"

using namespace dovrane;
using charts::PieSlice;
using test::kMB;
using test::Rgb;

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

}  // namespace

class TestOverviewView : public QObject {
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
            {s, true, 3, {0, 5}, "cplmain.cpl 4,1"},
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

    void piesGrowWithTheirQuarters_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("radius");
        QTest::newRow("1920x1080, scale 1") << QSize(1920, 1054) << 220;
        QTest::newRow("tall") << QSize(240, 900) << 45;
    }

    void piesGrowWithTheirQuarters() {
        QFETCH(QSize, size);
        QFETCH(int, radius);
        platform::TestDevice device;
        test::SetupOverview(device, true);
        Overview o(device, size);
        QCOMPARE(o.view.radius(), radius);
        const int w = size.width(), h = size.height();
        const QImage image = o.view.grab().toImage();
        // Slice 0 reaches the rim below three o'clock of each pie; white just outside it.
        for (const QPoint centre : {QPoint(w / 4, h / 4), QPoint(3 * w / 4, 3 * h / 4)}) {
            QVERIFY(test::PixelAt(image, centre + QPoint(radius - 4, -2)) != 0xFFFFFF);
            QCOMPARE(test::PixelAt(image, centre + QPoint(radius + 2, 0)), QRgb(0xFFFFFF));
        }
        // The pie stays clear of its title above and of its legend below.
        QVERIFY(h / 4 - radius >= 16 && h / 4 + radius <= h / 2 - 30);
        // A resize draws the pies again at the new size without reading the figures again.
        o.host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&o.host));
        o.view.resize(240, 294);
        QCOMPARE(o.view.radius(), 30);
        QCOMPARE(o.view.refreshCount(), 1);
        QCOMPARE(o.view.programPie().slices().size(), size_t(2));
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
        QCOMPARE(s.storageTotalText, QStringLiteral("258019.61 MB"));
        QCOMPARE(s.storageFreeText, QStringLiteral("23311.49 MB"));
        const int w = 240, h = 294;
        const QImage image = o.view.grab().toImage();
        const QFontMetrics metrics(charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5));
        struct Line {
            int y;
            engine::ColorRef left, right;
            QString leftText, rightText;
        };
        const Line lines[] = {
            {h / 2 - 26, kBlue, kRed, "Program " + s.programTotalText,
             "In Use " + s.programUsedText},
            {h / 2 - 11, kYellow, kGreen, "Storage  " + s.storageTotalText,
             "Free    " + s.programFreeText},
            {h - 26, kRed, kRed, "In Use " + s.storageUsedText, "In Use " + s.cardUsedText},
            {h - 11, kGreen, kGreen, "Free    " + s.storageFreeText, "Free    " + s.cardFreeText}};
        const auto ink = [&](int from, int to, int y) {  // the last column drawn on
            for (int x = to; x >= from; --x)
                for (int row = y - 4; row < y + 10; ++row)
                    if (test::PixelAt(image, {x, row}) != 0xFFFFFF)
                        return x;
            return -1;
        };
        for (const Line& line : lines) {
            const test::Case name(line.leftText + " | " + line.rightText);
            int left = 0, right = w - 1;  // each square: one pixel left of its fill
            while (left < w && test::PixelAt(image, {left, line.y + 3}) != Rgb(line.left))
                ++left;
            while (right > 0 && test::PixelAt(image, {right, line.y + 3}) != Rgb(line.right))
                --right;
            left -= 1;
            right -= 5;
            QVERIFY(left >= 0 && right > w / 2 && left + 10 < right);
            const int leftEnd = ink(left + 10, right - 1, line.y);
            QVERIFY(leftEnd >= left + 10 + metrics.horizontalAdvance(line.leftText) - 3);
            QVERIFY(leftEnd <= right - 2);
            const int rightEnd = ink(right + 10, w - 1, line.y);
            QVERIFY(rightEnd >= right + 10 + metrics.horizontalAdvance(line.rightText) - 3);
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
};

QTEST_MAIN(TestOverviewView)
#include "tst_overview_view.moc"
