// How long the Explorer takes to open a deep path: LEVELS nested folders, selected from the
// root of a fresh tree (open each level, fill and expand its item, select and scroll to the
// last), and the median of RUNS, warm cache. The thread's processor time is given too.
//   dovrane-explorer-path-bench [LEVELS [RUNS [DIR]]]   (default 17000 5, /dev/shm or a temporary
//   folder)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/host_device.h"
#include "shown_explorer.h"

using namespace dovrane;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ThreadSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Makes `levels` folders "d" below `top` by descriptor, or with `remove` takes them down.
bool Chain(const std::string& top, int levels, bool remove) {
    int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
    int depth = 0;
    for (; depth < levels && fd >= 0; ++depth) {
        if (!remove && ::mkdirat(fd, "d", 0755) != 0)
            break;
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    for (int up = depth; remove && up > 0 && fd >= 0; --up) {
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = parent;
        ::unlinkat(fd, "d", AT_REMOVEDIR);
    }
    ::close(fd);
    return depth == levels;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int levels = argc > 1 ? std::atoi(argv[1]) : 17000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QString memory = QStringLiteral("/dev/shm");
    const QString base = argc > 3                         ? QString::fromLocal8Bit(argv[3])
                         : QFileInfo(memory).isWritable() ? memory
                                                          : QDir::tempPath();
    QTemporaryDir temporary(base + QStringLiteral("/explorer-path-XXXXXX"));
    const std::string top = temporary.path().toStdString();
    if (!Chain(top, levels, false)) {
        std::fprintf(stderr, "could not make %d levels below %s\n", levels, top.c_str());
        Chain(top, levels, true);
        return 1;
    }
    QString path;
    for (int i = 0; i < levels; ++i)
        path += QStringLiteral("\\d");
    platform::HostDevice device(temporary.path());
    std::vector<double> wall, processor;
    for (int run = 0; run < runs; ++run) {
        bench::ShownExplorer shown(device);
        views::CExplorerView& view = shown.view;
        const double cpu = ThreadSeconds();
        QElapsedTimer timer;
        timer.start();
        const bool selected = view.SelectPath(path);
        QCoreApplication::processEvents();  // the layout and paint the user waits for
        wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        processor.push_back((ThreadSeconds() - cpu) * 1e3);
        if (!selected || view.GetSelectedPath() != path)
            std::fprintf(stderr, "the path was not selected\n");
    }
    Chain(top, levels, true);
    std::printf("path of %d levels, median of %d warm runs\n", levels, runs);
    std::printf("  select (view):      %9.1f ms\n", Median(wall));
    std::printf("  of it, processor:   %9.1f ms\n", Median(processor));
    return 0;
}
