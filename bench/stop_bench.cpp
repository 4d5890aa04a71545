// How long a window waits for its scan to let go: a walk of ROOT is started through the
// scan job and stopped after a delay that varies from run to run, and the stop is timed.
//   dovrane-stop-bench ROOT [RUNS]
// Prints the median, the 90th percentile and the longest stop in milliseconds.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "engine/scan_job.h"
#include "engine/walk.h"
#include "platform/host_device.h"

using namespace dovrane;

namespace {

// Takes what the walk gives and keeps nothing: the stop, not the sink, is measured.
class CountingSink : public engine::WalkSink {
public:
    void enterFolder(std::string_view, const platform::FindData&) override { ++entries; }
    void file(std::string_view, const platform::FindData&, bool) override { ++entries; }
    void leaveFolder() override {}
    quint64 entries = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: dovrane-stop-bench ROOT [RUNS]\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 40;
    std::vector<double> stops;
    for (int run = 0; run < runs; ++run) {
        platform::HostDevice device(root);
        engine::ScanJob job;
        job.start(
            [&device](const engine::WalkControl& control) -> std::optional<quint64> {
                CountingSink sink;
                if (!engine::WalkTree(device, u"\\", sink, control))
                    return std::nullopt;
                return sink.entries;
            },
            [](quint64) {});
        // Spread over the first third of a second, where a closing window usually falls.
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + (run * 37) % 300));
        QElapsedTimer timer;
        timer.start();
        job.stop();
        stops.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(stops.begin(), stops.end());
    std::printf(
        "stop of a running walk of %s, %d runs: median %.1f ms, 90th %.1f ms, "
        "longest %.1f ms\n",
        argv[1], runs, stops[stops.size() / 2], stops[stops.size() * 9 / 10], stops.back());
    return 0;
}
