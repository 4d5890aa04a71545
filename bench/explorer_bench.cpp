// How long the Explorer takes to open one wide folder: the engine's read of its sub-folders
// alone, and the whole expansion of the tree item (read, items, layout), warm cache.
//   dovrane-explorer-bench [ENTRIES [FOLDERS [DIR]]]   (default 200000 20, a temporary folder)
// The folder is made with ENTRIES - FOLDERS empty files and FOLDERS sub-folders, and removed.

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/sub_folders.h"
#include "platform/host_device.h"
#include "shown_explorer.h"

using namespace dovrane;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 20;
    QTemporaryDir temporary(argc > 3 ? QString::fromLocal8Bit(argv[3]) + "/explorer-XXXXXX"
                                     : QDir::tempPath() + "/explorer-XXXXXX");
    const QString wide = temporary.path() + "/wide";
    QDir().mkpath(wide);
    const QByteArray base = wide.toLocal8Bit();
    for (int i = 0; i < entries; ++i) {
        const QByteArray name = base + (i < folders ? "/folder" : "/file") + QByteArray::number(i);
        if (i < folders) {
            QDir().mkdir(QString::fromLocal8Bit(name));
        } else {
            const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
    platform::HostDevice device(temporary.path());
    constexpr int kRuns = 7;

    std::vector<double> read;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto names = engine::ReadSubFolders(device, u"\\wide");
        read.push_back(timer.nsecsElapsed() / 1e6);
        if (!names || names->size() != folders)
            std::fprintf(stderr, "wrong sub-folders\n");
    }

    std::vector<double> expand;
    bench::ShownExplorer shown(device);
    QTreeWidgetItem* item = shown.view.tree()->topLevelItem(0)->child(0);
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        item->setExpanded(true);
        QCoreApplication::processEvents();  // the layout and paint the user waits for
        expand.push_back(timer.nsecsElapsed() / 1e6);
        item->setExpanded(false);
        QCoreApplication::processEvents();
    }
    std::printf("folder of %d entries, %d sub-folders, median of %d warm runs\n", entries, folders,
                kRuns);
    std::printf("  read sub-folders (engine): %8.2f ms\n", Median(read));
    std::printf("  expand tree item (view):   %8.2f ms\n", Median(expand));
    return 0;
}
