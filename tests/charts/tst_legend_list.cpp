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
    void rowBoxes_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("right");  // last column of the box outline
        QTest::newRow("folder") << static_cast<int>(LegendKind::Folder) << 24;
        QTest::newRow("file type") << static_cast<int>(LegendKind::FileType) << 23;
    }
    void rowBoxes() {
        QFETCH(int, kind);
        QFETCH(int, right);
        Fixture f(5, false, static_cast<LegendKind>(kind));
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

    void scrollRange_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("other");
        QTest::addColumn<int>("scrollMax");
        QTest::newRow("5 rows fit") << 5 << false << 0;
        QTest::newRow("6 rows need 2 more pixels") << 6 << false << 2;
        QTest::newRow("15 names and Other") << 20 << true << 272 - 100;
        QTest::newRow("room for an empty row") << 20 << false << 272 - 100;
    }
    void scrollRange() {
        QFETCH(int, entries);
        QFETCH(bool, other);
        QFETCH(int, scrollMax);
        Fixture f(entries, other);
        QCOMPARE(f.legend.scrollMax(), scrollMax);
        QCOMPARE(f.legend.verticalScrollBar()->isVisible(), scrollMax > 0);
        if (scrollMax > 0)
            QCOMPARE(f.legend.verticalScrollBar()->maximum(), scrollMax);
    }

    void scrollRequests_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("to");
        QTest::newRow("line down") << 0 << int(QAbstractSlider::SliderSingleStepAdd) << 17;
        QTest::newRow("line down to the end")
            << 167 << int(QAbstractSlider::SliderSingleStepAdd) << 172;
        QTest::newRow("line down at the end")
            << 172 << int(QAbstractSlider::SliderSingleStepAdd) << 172;
        QTest::newRow("line up to the top") << 10 << int(QAbstractSlider::SliderSingleStepSub) << 0;
        QTest::newRow("page down") << 0 << int(QAbstractSlider::SliderPageStepAdd) << 100;
        QTest::newRow("page down to the end")
            << 100 << int(QAbstractSlider::SliderPageStepAdd) << 172;
        QTest::newRow("page up to the top") << 50 << int(QAbstractSlider::SliderPageStepSub) << 0;
        QTest::newRow("to the bottom: not a request")
            << 50 << int(QAbstractSlider::SliderToMaximum) << 50;
    }
    void scrollRequests() {
        QFETCH(int, from);
        QFETCH(int, action);
        QFETCH(int, to);
        Fixture f(20, true);
        f.legend.verticalScrollBar()->setValue(from);
        f.legend.verticalScrollBar()->triggerAction(
            static_cast<QAbstractSlider::SliderAction>(action));
        QCOMPARE(f.legend.scrollPosition(), to);
    }

    void otherRowAtTheEnd_data() {
        QTest::addColumn<bool>("other");
        QTest::newRow("with Other") << true;
        QTest::newRow("without") << false;
    }
    void otherRowAtTheEnd() {
        QFETCH(bool, other);
        Fixture f(20, other);
        f.legend.verticalScrollBar()->setValue(172);
        const QImage image = f.grab();
        const int y = 17 * 15 - 172;
        QCOMPARE(image.pixel(5, y - 17 + 3), f.color(14));
        QCOMPARE(image.pixel(5, y + 3), other ? f.color(15) : kWhite);
        f.legend.UpdateScroll();
        QCOMPARE(f.legend.scrollPosition(), 0);
    }

    void taps_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("scroll");
        QTest::addColumn<int>("y");
        QTest::addColumn<QList<int>>("taps");
        QTest::newRow("second row") << 5 << 0 << 20 << QList<int>{1};
        QTest::newRow("last pixel of the fifth row") << 5 << 0 << 84 << QList<int>{4};
        QTest::newRow("below the last row") << 5 << 0 << 90 << QList<int>{};
        QTest::newRow("scrolled") << 20 << 34 << 5 << QList<int>{2};
        QTest::newRow("last row when scrolled to the end") << 20 << 172 << 99 << QList<int>{15};
    }
    void taps() {
        QFETCH(int, entries);
        QFETCH(int, scroll);
        QFETCH(int, y);
        QFETCH(QList<int>, taps);
        Fixture f(entries, entries > 16);
        f.legend.verticalScrollBar()->setValue(scroll);
        QTest::mouseClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, y));
        QCOMPARE(f.owner.taps, taps);
    }

    void doubleTapActsOnce() {
        Fixture f(5, false);
        QTest::mouseClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseDClick(f.legend.viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QCOMPARE(f.owner.taps, QList<int>{1});
    }

    void followsResize() {
        Fixture f(6, false);
        QCOMPARE(f.legend.scrollMax(), 2);
        f.legend.resize(202, 122);
        QCOMPARE(f.legend.scrollMax(), 0);
        QVERIFY(!f.legend.verticalScrollBar()->isVisible());
        f.legend.resize(202, 92);
        QCOMPARE(f.legend.scrollMax(), 12);
    }

    void folderRowsBySize_data() {
        QTest::addColumn<int>("slices");
        QTest::addColumn<bool>("other");
        QTest::newRow("all fit") << 16 << false;
        QTest::newRow("two slices fold the smallest") << 2 << true;
    }
    void folderRowsBySize() {
        QFETCH(int, slices);
        QFETCH(bool, other);
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
        engine::ComputeOther(root, slices);
        owner.shown = root;
        QVERIFY(owner.legendHasData());
        QCOMPARE(owner.legendEntryCount(), 3);
        QCOMPARE(owner.legendEntryName(0), QStringLiteral("big"));
        QCOMPARE(owner.legendEntryName(1), QStringLiteral("\"In Folder\""));
        QCOMPARE(owner.legendEntryName(2), QStringLiteral("small"));
        QCOMPARE(owner.legendHasOther(), other);
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
