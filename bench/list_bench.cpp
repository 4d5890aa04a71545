// The file list at a million rows, headless: the refill after a header tap (model reset
// and the repaint it causes), Select All, the menu's row tests, and the bookkeeping of
// deleting 10,000 selected rows on a device whose removals always succeed. Memory: the
// list adds nothing per row beyond the dialog's two 4-byte orders.

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <numeric>

#include "dialogs/file_operations.h"
#include "dialogs/hold_list_ctrl.h"
#include "engine/file_list.h"
#include "engine/orders.h"
#include "engine/text.h"
#include "platform/message_box.h"
#include "support/test_device.h"

using namespace dovrane;

namespace {

void Report(const char* what, QElapsedTimer& timer) {
    std::printf("%-52s %9.1f ms\n", what, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    timer.restart();
}

// Removes nothing and says it did: only the list's side of a delete is measured.
class AgreeingDevice final : public platform::Device {
public:
    std::unique_ptr<platform::Folder> openFolder(QStringView) override { return nullptr; }
    std::unique_ptr<platform::Folder> openChild(platform::Folder&, std::string_view) override {
        return nullptr;
    }
    void read(platform::Folder&, platform::Listing&, platform::ReadDetail) override {}
    std::optional<platform::MemoryFigures> globalMemoryStatus() override { return {}; }
    std::optional<platform::DiskSpace> diskFreeSpace(QStringView) override { return {}; }
    platform::RemoveResult removeFile(QStringView, const platform::FileIdentity&,
                                      platform::RemoveMode) override {
        return platform::RemoveResult::Removed;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    constexpr quint32 kRows = 1000000;
    QElapsedTimer timer;
    timer.start();

    engine::FileList files;
    const quint32 folder = files.addFolder(QStringLiteral("\\data"), 1);
    for (quint32 i = 0; i < kRows; ++i) {
        platform::FindData e;
        e.size = (i * 2654435761u) % 100000000u;
        e.id.inode = i + 2;
        e.attributes = platform::kAttributeArchive;
        files.add(folder, "file" + std::to_string(i) + ".dat", e, true);
    }
    std::vector<quint32> listed(kRows);
    std::iota(listed.begin(), listed.end(), quint32{0});
    std::vector<quint32> bySize =
        engine::OrderBySize(listed, [&](quint32 i) { return files[i].size; });
    std::vector<quint32> byName = bySize;  // any second order will do for the fill
    Report("1,000,000 records and their orders (setup)", timer);

    QWidget window;
    window.resize(240, 320);
    dialogs::CHoldListCtrl list(&window);
    list.setGeometry(0, 24, 240, 296);
    list.InsertColumns({{QStringLiteral("File"), Qt::AlignLeft, 125},
                        {QStringLiteral("Size"), Qt::AlignRight, 70},
                        {QStringLiteral("Folder"), Qt::AlignLeft, 300}});
    list.listModel()->setCellText([&](quint32 item, int column) {
        const engine::FileRecord& r = files[item];
        return column == 0   ? files.name(r)
               : column == 1 ? engine::SizeText(r.size)
                             : files.folder(r);
    });
    window.show();
    QApplication::processEvents();
    Report("show the empty list", timer);

    bool backward = false;
    for (int tap = 0; tap < 4; ++tap) {
        list.listModel()->setOrder(tap % 2 ? &byName : &bySize, backward);
        backward = !backward;
        list.repaint();
        Report(tap == 0 ? "first fill, 1,000,000 rows, painted" : "header tap: refill, painted",
               timer);
    }
    list.SelectAllRows();
    Report("Select All", timer);
    std::printf("  selected rows: %d\n", list.SelectedCount());
    timer.restart();
    list.clearSelection();

    AgreeingDevice device;
    dialogs::CFileOperations ops(&window, &list, &device);
    ops.setFiles(&files);
    ops.removeItems = [&](const std::vector<quint32>& removed) {
        std::vector<quint32> gone(removed);
        std::sort(gone.begin(), gone.end());
        for (std::vector<quint32>* order : {&bySize, &byName})
            std::erase_if(*order, [&](quint32 item) {
                return std::binary_search(gone.begin(), gone.end(), item);
            });
    };
    QItemSelection every100th;
    for (int row = 0; row < 1000000; row += 100)
        every100th.select(list.model()->index(row, 0), list.model()->index(row, 2));
    list.selectionModel()->select(every100th, QItemSelectionModel::Select);
    Report("select every 100th row (10,000)", timer);
    platform::ScopedMessageBoxHook yes(
        [](const platform::MessageBoxRequest&) { return platform::MessageBoxResult::Yes; });
    ops.OnDelete();
    Report("delete them (no box per success), refill", timer);
    std::printf("  rows left: %d\n", list.model()->rowCount());
    std::printf("  bytes per row held by the list: 0 (model points at the dialog's orders)\n");
    return 0;
}
