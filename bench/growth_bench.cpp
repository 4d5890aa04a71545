// The growth comparison beside a folders scan of the same tree: time and peak memory above
// idle per entry. One measurement a run, so that each peak is its own:
//   dovrane-growth-bench folders ROOT
//   dovrane-growth-bench compare ROOT        (the tree compared with itself, walked twice)
//   dovrane-growth-bench files THEN NOW      (two scan files, each read as it streams)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <optional>

#include "engine/folder_tree.h"
#include "engine/growth.h"
#include "engine/scan_import.h"
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
    const bool files = argc == 4 && std::strcmp(argv[1], "files") == 0;
    if (!files && (argc != 3 || (std::strcmp(argv[1], "folders") != 0 &&
                                 std::strcmp(argv[1], "compare") != 0))) {
        std::fprintf(stderr, "usage: dovrane-growth-bench folders|compare ROOT | files THEN NOW\n");
        return 2;
    }
    std::optional<platform::HostDevice> host;  // no host for scan files
    if (!files)
        host.emplace(QString::fromLocal8Bit(argv[2]));
    engine::WalkControl control;
    control.threads = engine::DefaultWalkThreads();
    const quint64 idleKb = StatusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    const auto seconds = [&timer] { return static_cast<double>(timer.nsecsElapsed()) / 1e9; };
    const auto report = [&](const char* what, double took, size_t entries, quint64 peakKb) {
        std::printf("%s  %.3f s  %llu entries  %.1f bytes/entry above idle\n", what, took,
                    static_cast<unsigned long long>(entries),
                    static_cast<double>(peakKb - idleKb) * 1024 / static_cast<double>(entries));
    };
    if (std::strcmp(argv[1], "folders") == 0) {
        platform::HostDevice& device = *host;
        engine::FolderTree tree;
        engine::ScanFolder(device, tree, 16, control);
        const double took = seconds();
        const quint64 peakKb = StatusKb("VmHWM:");
        engine::ScanIndex count;  // entries are counted apart, after the peak
        count.build(device, control);
        report("folders", took, count.entryCount(), peakKb);
        return 0;
    }
    engine::ScanIndex index;
    engine::Growth growth;
    QString error;
    const auto stream = [&](const char* path) {
        return [&error, &control, path = QString::fromLocal8Bit(path)](engine::WalkSink& sink) {
            return engine::StreamScanFile(path, sink, control, &error);
        };
    };
    const bool done =
        files ? index.build(stream(argv[2])) &&
                    engine::CompareWithIndex(index, stream(argv[3]), {}, growth)
              : index.build(*host, control) &&
                    engine::CompareWithIndex(index, engine::DeviceFeed(*host, control), {}, growth);
    if (!done) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    report(files ? "files" : "compare", seconds(), index.entryCount(), StatusKb("VmHWM:"));
    return 0;
}
