// The growth comparison beside a folders scan of the same tree: time and peak memory above
// idle per entry. One measurement a run, so that each peak is its own:
//   dovrane-growth-bench folders ROOT
//   dovrane-growth-bench compare ROOT     (the tree compared with itself, walked twice)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>

#include "engine/folder_tree.h"
#include "engine/growth.h"
#include "engine/walk.h"
#include "platform/host_device.h"

using namespace dovrane;

namespace {

// A figure of /proc/self/status in kB.
quint64 StatusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(std::strlen(field)))
                .trimmed()
                .split(' ')[0]
                .toULongLong();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3 ||
        (std::strcmp(argv[1], "folders") != 0 && std::strcmp(argv[1], "compare") != 0)) {
        std::fprintf(stderr, "usage: dovrane-growth-bench folders|compare ROOT\n");
        return 2;
    }
    platform::HostDevice device(QString::fromLocal8Bit(argv[2]));
    engine::WalkControl control;
    control.threads = engine::DefaultWalkThreads();
    const quint64 idleKb = StatusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    size_t entries = 0;
    if (std::strcmp(argv[1], "folders") == 0) {
        engine::FolderTree tree;
        engine::ScanFolder(device, tree, 16, control);
        engine::ScanIndex count;  // entries are counted apart, after the peak
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        const quint64 peakKb = StatusKb("VmHWM:");
        count.build(device, control);
        entries = count.entryCount();
        std::printf("folders  %.3f s  %llu entries  %.1f bytes/entry above idle\n", seconds,
                    static_cast<unsigned long long>(entries),
                    static_cast<double>(peakKb - idleKb) * 1024 / static_cast<double>(entries));
        return 0;
    }
    engine::ScanIndex index;
    index.build(device, control);
    engine::Growth growth;
    engine::CompareWithIndex(index, device, {}, growth, control);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    entries = index.entryCount();
    std::printf(
        "compare  %.3f s  %llu entries  %.1f bytes/entry above idle\n", seconds,
        static_cast<unsigned long long>(entries),
        static_cast<double>(StatusKb("VmHWM:") - idleKb) * 1024 / static_cast<double>(entries));
    return 0;
}
