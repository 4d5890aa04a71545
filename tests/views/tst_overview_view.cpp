// The Overview on an in-memory device: pie angles, pixels, taps, cards and Refresh.

#include <QComboBox>
#include <QPainter>
#include <QTest>

#include "engine/memory_status.h"
#include "platform/control_panel.h"
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
