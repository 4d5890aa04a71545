// Engine costs without the disk: grouping 500,000 files into one type, then their orders
// (built when a file list first asks), and a duplicate search over 1,000,000 files, on
// the in-memory test device.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "engine/file_search.h"
#include "engine/file_types.h"
#include "support/test_device.h"

using namespace dovrane;

namespace {

void Report(const char* what, QElapsedTimer& timer) {
    std::printf("%-52s %8.3f s\n", what, static_cast<double>(timer.nsecsElapsed()) / 1e9);
    timer.restart();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QElapsedTimer timer;
    timer.start();
    {
        platform::TestDevice dev;
        for (int i = 0; i < 500000; ++i)
            dev.addFile(QStringLiteral("\\d%1\\file%2.dat").arg(i % 1000).arg(i % 77777),
                        static_cast<quint64>(i % 4096));
        Report("build a device of 500,000 .dat files", timer);
        engine::FileTypeTable table;
        table.AggregateFileTypes(dev, {});
        table.ComputeFileTypeTotals(16);
        Report("walk and group them (one type)", timer);
        const engine::FileTypeStat& type = *table.fileTypesBySize()[0];
        std::printf("  %zu by size, %zu by name\n", type.filesBySize.size(),
                    type.filesByName.size());
        Report("their orders, built when first read", timer);
        std::printf("  type %s: %zu files\n", qPrintable(table.fileTypesBySize()[0]->name),
                    table.fileTypesBySize()[0]->files.size());
    }
    {
        platform::TestDevice dev;
        for (int i = 0; i < 1000000; ++i)
            dev.addFile(QStringLiteral("\\d%1\\Name%2.txt").arg(i % 2000).arg(i % 400000),
                        static_cast<quint64>(i % 65536));
        timer.restart();
        engine::FileSearch search;
        search.SearchFiles(dev, QStringLiteral("\\"), false, {});
        Report("duplicate search over 1,000,000 files", timer);
        std::printf("  %zu duplicates listed\n", search.results().size());
    }
    return 0;
}
