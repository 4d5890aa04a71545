#pragma once
// A shown window holding one chart view over an in-memory device, and the pixels of its
// pies. Angles as the charts count them: degrees from three o'clock, counter-clockwise.

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <cmath>
#include <numbers>

#include "charts/color_ref.h"
#include "dialogs/control_id.h"
#include "engine/settings.h"
#include "platform/test_device.h"
#include "views/chart_view.h"

namespace dovrane::test {

struct ViewHost {
    platform::TestDevice device;
    engine::Settings settings;
    QWidget window;

    // Makes the view's window at 240 x 294 and starts its scan, as the main view does.
    template <typename View>
    void Open(View& view, std::chrono::milliseconds pace = {}) {
        window.resize(240, 320);
        view.settings = &settings;
        view.device = &device;
        view.pace = pace;
        QVERIFY(view.Create(&window, QRect(0, 26, 240, 294)));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        view.StartScan();
    }
};

inline QPoint Polar(QPoint center, double degrees, int radius) {
    const double a = degrees * std::numbers::pi / 180.0;
    return center + QPoint(static_cast<int>(std::lround(radius * std::cos(a))),
                           static_cast<int>(std::lround(-radius * std::sin(a))));
}

inline QRgb PixelAt(QWidget& widget, QPoint p) {
    const QImage image = widget.grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    return image.pixel(QPoint(qRound(p.x() * ratio), qRound(p.y() * ratio))) & 0xFFFFFF;
}

inline QRgb Rgb(engine::ColorRef color) {
    return charts::RgbFromColorRef(color) & 0xFFFFFF;
}

// Whether any pixel of `area` has `color`.
inline bool Shows(QWidget& widget, QRect area, QRgb color) {
    const QImage image = widget.grab(area).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == color)
                return true;
    return false;
}

inline QLabel* Label(QWidget& view, int id) {
    return dialogs::GetDlgItem<QLabel>(&view, id);
}

inline QPushButton* Details(QWidget& view) {
    return dialogs::GetDlgItem<QPushButton>(&view, views::kIdDetails);
}

// The scan-time state: "Processing" red over the progress text in blue, no "Details...".
inline void VerifyScanState(views::CChartView& view) {
    QVERIFY(view.IsBusy());
    QLabel* processing = Label(view, views::kIdProcessing);
    QLabel* progress = Label(view, views::kIdProgress);
    QVERIFY(processing->isVisible() && progress->isVisible());
    QCOMPARE(processing->text(), QStringLiteral("Processing"));
    QCOMPARE(processing->geometry(), QRect(0, 0, 240, 15));
    QCOMPARE(progress->geometry(), QRect(0, 15, 240, 45));
    QCOMPARE(processing->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF, Rgb(0x0000FF));
    QCOMPARE(progress->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF, Rgb(0xFF0000));
    QVERIFY(!Details(view)->isVisible());
    QVERIFY(!view.legendList()->owner()->legendHasData());
}

// The idle state: labels gone, "Details..." back.
inline void VerifyIdleState(views::CChartView& view) {
    QVERIFY(!view.IsBusy());
    QVERIFY(!Label(view, views::kIdProcessing)->isVisible());
    QVERIFY(!Label(view, views::kIdProgress)->isVisible());
    QVERIFY(Details(view)->isVisible());
}

}  // namespace dovrane::test
