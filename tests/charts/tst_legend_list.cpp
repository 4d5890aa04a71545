#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "charts/color_ref.h"
#include "charts/folder_legend.h"
#include "charts/legend_list.h"

using namespace dovrane;
using namespace dovrane::charts;

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);

struct Owner : LegendOwner {
    bool hasData = true;
    int entries = 5;
    bool other = false;
    int slices = 16;
    QList<int> taps;

    bool legendHasData() const override { return hasData; }
    int legendEntryCount() const override { return entries; }
    QString legendEntryName(int index) const override {
        return QStringLiteral("Entry %1").arg(index);
    }
    bool legendHasOther() const override { return other; }
    int legendNumberOfSlices() const override { return slices; }
    void legendRowTapped(int index) override { taps << index; }
};

engine::SliceColors TestColors() {
    engine::SliceColors colors{};
    for (int i = 0; i < engine::kSliceColorCount; ++i)
        colors[static_cast<size_t>(i)] = 0x204060 + 0x080808 * static_cast<unsigned>(i);
    return colors;
}

// A legend whose client area is 200 x 100 (inside its one-pixel border), shown.
struct Fixture {
    Owner owner;
    engine::SliceColors colors = TestColors();
    CLegendList legend;
    Fixture(int entries, bool other, LegendKind kind = LegendKind::Folder)
        : legend(kind, &owner, &colors) {
        owner.entries = entries;
        owner.other = other;
        legend.resize(202, 102);
        legend.show();
        legend.UpdateScroll();
    }
    QImage grab() { return legend.viewport()->grab().toImage(); }
    QRgb color(int k) const { return RgbFromColorRef(colors[static_cast<size_t>(k % 16)]); }
};

}  // namespace

class LegendListTest : public QObject {
    Q_OBJECT

private slots:
    void rowBoxes() {
        // The last column of the box outline: 24 for folders, 23 for file types.
        for (const auto& [kind, right] :
             {std::pair(LegendKind::Folder, 24), {LegendKind::FileType, 23}}) {
            Fixture f(5, false, kind);
            const QImage image = f.grab();
            QCOMPARE(image.size(), QSize(200, 100));
            for (int k = 0; k < 5; ++k) {
                const int y = 17 * k;
                QCOMPARE(image.pixel(4, y + 2), kBlack);
                QCOMPARE(image.pixel(right, y + 16), kBlack);
                QCOMPARE(image.pixel(right + 1, y + 9), kWhite);
                QCOMPARE(image.pixel(4, y + 1), kWhite);
                QCOMPARE(image.pixel(4, y + 17), kWhite);
                QCOMPARE(image.pixel(5, y + 3), f.color(k));
                QCOMPARE(image.pixel(right - 1, y + 15), f.color(k));
                bool text = false;
                for (int x = 32; x < 200; ++x)
                    for (int ty = y + 2; ty < y + 19; ++ty)
                        text = text || image.pixel(x, ty) != kWhite;
                QVERIFY(text);
            }
            QCOMPARE(image.pixel(5, 17 * 5 + 3), kWhite);  // no sixth row
        }
    }

    void sharpAtRatioTwo() {
        Fixture f(5, false);
        QImage image(QSize(200, 100) * 2, QImage::Format_RGB32);
        image.setDevicePixelRatio(2);
        f.legend.viewport()->render(&image);
        QCOMPARE(image.pixel(8, 4), kBlack);
        QCOMPARE(image.pixel(9, 5), kBlack);  // a two-pixel outline, not a blurred one
        QCOMPARE(image.pixel(10, 6), f.color(0));
        QCOMPARE(image.pixel(49, 20), kBlack);
        QCOMPARE(image.pixel(50, 20), kWhite);
    }

    void scrollRangeFollowsRowsAndSize() {
        // Entries, Other, then the scroll range: 5 rows fit, a sixth needs 2 more pixels, and
        // 15 names with Other take 16 rows as 20 names without it do (room for an empty row).
        const std::tuple<int, bool, int> ranges[] = {
            {5, false, 0}, {6, false, 2}, {20, true, 272 - 100}, {20, false, 272 - 100}};
        for (const auto& [entries, other, scrollMax] : ranges) {
            Fixture f(entries, other);
            QCOMPARE(std::pair(entries, f.legend.scrollMax()), std::pair(entries, scrollMax));
            QCOMPARE(f.legend.verticalScrollBar()->isVisible(), scrollMax > 0);
            if (scrollMax > 0)
                QCOMPARE(f.legend.verticalScrollBar()->maximum(), scrollMax);
        }
        Fixture f(6, false);
        f.legend.resize(202, 122);
        QCOMPARE(f.legend.scrollMax(), 0);
        QVERIFY(!f.legend.verticalScrollBar()->isVisible());
        f.legend.resize(202, 92);
        QCOMPARE(f.legend.scrollMax(), 12);
    }

    void scrollRequests() {
        using A = QAbstractSlider::SliderAction;
        // From, action, to: steps stop at both ends; dragging to the bottom is no request.
        const std::tuple<int, A, int> requests[] = {
            {0, A::SliderSingleStepAdd, 17},    {167, A::SliderSingleStepAdd, 172},
            {172, A::SliderSingleStepAdd, 172}, {10, A::SliderSingleStepSub, 0},
            {0, A::SliderPageStepAdd, 100},     {100, A::SliderPageStepAdd, 172},
            {50, A::SliderPageStepSub, 0},      {50, A::SliderToMaximum, 50}};
        for (const auto& [from, action, to] : requests) {
            Fixture f(20, true);
            f.legend.verticalScrollBar()->setValue(from);
            f.legend.verticalScrollBar()->triggerAction(action);
            QCOMPARE(std::pair(from, f.legend.scrollPosition()), std::pair(from, to));
        }
    }

    void otherRowAtTheEnd() {
        for (const bool other : {true, false}) {
            Fixture f(20, other);
            f.legend.verticalScrollBar()->setValue(172);
            const QImage image = f.grab();
            const int y = 17 * 15 - 172;
            QCOMPARE(image.pixel(5, y - 17 + 3), f.color(14));
            QCOMPARE(image.pixel(5, y + 3), other ? f.color(15) : kWhite);
            f.legend.UpdateScroll();
            QCOMPARE(f.legend.scrollPosition(), 0);
        }
    }

    void taps() {
        // Entries, scroll position, y of the tap, rows tapped: the last pixel of the fifth
        // row, below the last row, scrolled, and the last row when scrolled to the end.
        const std::tuple<int, int, int, QList<int>> taps[] = {{5, 0, 20, {1}},
                                                              {5, 0, 84, {4}},
                                                              {5, 0, 90, {}},
                                                              {20, 34, 5, {2}},
                                                              {20, 172, 99, {15}}};
        for (const auto& [entries, scroll, y, rows] : taps) {
            Fixture f(entries, entries > 16);
            f.legend.verticalScrollBar()->setValue(scroll);
            QTest::mouseClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, y));
            QCOMPARE(std::pair(y, f.owner.taps), std::pair(y, rows));
        }
        Fixture f(5, false);  // a double tap acts once
        QTest::mouseClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseDClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QCOMPARE(f.owner.taps, QList<int>{1});
    }

    void folderRowsBySize() {
        struct FolderOwner : FolderLegendOwner {
            const engine::FolderNode* shown = nullptr;
            const engine::FolderNode* legendFolder() const override { return shown; }
            int legendNumberOfSlices() const override { return 0; }
            void legendRowTapped(int) override {}
        } owner;
        QVERIFY(!owner.legendHasData());
        engine::FolderTree tree;
        engine::FolderNode* root = tree.root();
        std::vector<engine::FolderNode*> children;
        for (const auto& [name, size] :
             {std::pair<const char*, quint64>{"small", 10}, {"big", 100}, {"", 50}}) {
            children.push_back(tree.newNode(
                root, name,
                *name ? engine::FolderNode::Kind::Folder : engine::FolderNode::Kind::InFolder));
            children.back()->totalSize = size;
        }
        tree.setChildren(root, children);
        owner.shown = root;
        QVERIFY(owner.legendHasData());
        QCOMPARE(owner.legendEntryCount(), 3);
        QCOMPARE(owner.legendEntryName(0), QStringLiteral("big"));
        QCOMPARE(owner.legendEntryName(1), QStringLiteral("\"In Folder\""));
        QCOMPARE(owner.legendEntryName(2), QStringLiteral("small"));
        for (const int slices : {16, 2}) {  // two slices fold the smallest into Other
            engine::ComputeOther(root, slices);
            QCOMPARE(owner.legendHasOther(), slices == 2);
        }
    }

    void withoutDataWhiteAndDeaf() {
        Fixture f(20, true);
        f.owner.hasData = false;
        f.legend.viewport()->update();
        const QImage image = f.grab();
        QCOMPARE(image.pixel(5, 3), kWhite);
        QTest::mouseClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QVERIFY(f.owner.taps.isEmpty());
    }
};

QTEST_MAIN(LegendListTest)
#include "tst_legend_list.moc"
