// The pie at a desktop window's size (radius 511, as at 1920x1080), at ratios 1 and 2: what
// a resize of an idle view redraws (the disc, then 16 slices), and the busy disc that only
// a running scan makes.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

#include "charts/pie_chart.h"

using namespace dovrane;

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    constexpr int kCuts[] = {90,  180, 240, 290, 310, 320, 328, 335,
                             340, 344, 348, 351, 354, 356, 358, 360};
    for (const qreal ratio : {1.0, 2.0}) {
        QElapsedTimer timer;
        timer.start();
        charts::CPieChart pie, spin;
        pie.Create(511, 520, 520, ratio);
        const qint64 made = timer.nsecsElapsed();
        int from = 0;
        for (const int to : kCuts) {
            pie.AddSlice(from, to, static_cast<engine::ColorRef>(0x00FF00 + to));
            from = to;
        }
        const qint64 sliced = timer.nsecsElapsed();
        spin.Create(511, 520, 520, ratio);
        spin.StartSpin();
        std::printf("ratio %.0f: disc %.1f ms, 16 slices %.1f ms; busy disc %.1f ms\n", ratio,
                    static_cast<double>(made) / 1e6, static_cast<double>(sliced - made) / 1e6,
                    static_cast<double>(timer.nsecsElapsed() - sliced) / 1e6);
    }
}
