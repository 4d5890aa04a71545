#pragma once
// A Folder View or File Type View on an in-memory device, in a shown window as the main view
// makes it, with the file lists its taps asked for. Angles as the charts count them: degrees
// from three o'clock, counter-clockwise.

#include <QTest>
#include <cmath>
#include <memory>
#include <numbers>

#include "dialogs/control_id.h"
#include "engine/settings.h"
#include "support/probes.h"
#include "support/test_device.h"
#include "views/file_type_view.h"
#include "views/folder_view.h"

namespace dovrane::test {

struct ChartHost {
    platform::TestDevice device;
    engine::Settings settings;
    QWidget window;
    QStringList opened;  // file lists asked for: a type, or "In Folder" of a folder path
    std::unique_ptr<views::CChartView> view;  // last: it goes before its window

    void Open(bool types, int paceMs = 0, QSize size = {240, 294}) {
        const views::ChartViewSetup setup{.settings = &settings,
                                          .device = &device,
                                          .pace = std::chrono::milliseconds(paceMs),
                                          .pieShown = {}};
        if (types) {
            auto* v = new views::CFileTypeView(setup);
            QObject::connect(v, &views::CFileTypeView::fileListRequested, v,
                             [this](const engine::FileTypeStat* t) { opened << t->name; });
            view.reset(v);
        } else {
            auto* v = new views::CFolderView(setup);
            QObject::connect(
                v, &views::CFolderView::filesInFolderRequested, v,
                [this](const engine::FolderNode* f) { opened << engine::BuildFolderPath(f); });
            view.reset(v);
        }
        window.resize(size.width(), size.height() + 26);
        QVERIFY(view->Create(&window, QRect(QPoint(0, 26), size)));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        view->StartScan();
        if (paceMs == 0)
            QTRY_VERIFY(!view->IsBusy());
    }
    views::CFolderView& folder() { return static_cast<views::CFolderView&>(*view); }
    views::CFileTypeView& types() { return static_cast<views::CFileTypeView&>(*view); }
    QPoint At(double degrees, int radius) const {
        const double a = degrees * std::numbers::pi / 180.0;
        return view->currentLayout().chartCenter + QPoint(int(std::lround(radius * std::cos(a))),
                                                          int(std::lround(-radius * std::sin(a))));
    }
    QRgb Pixel(QPoint p) const { return PixelAt(view->grab().toImage(), p); }
    bool Shows(QRect area, QRgb color) const {
        return test::Shows(view->grab(area).toImage(), color);
    }
    void Tap(double degrees, int radius) {
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, At(degrees, radius));
    }
    void TapRow(int row) {
        QTest::mouseClick(view->legendList()->viewport(), Qt::LeftButton, {},
                          QPoint(50, 17 * row + 8));
    }
    QWidget* Control(int id) const { return dialogs::GetDlgItem(view.get(), id); }
};

}  // namespace dovrane::test
