#include "app/dialog_shots.h"

#include <array>

#include "app/analyzer_app.h"
#include "app/main_view.h"
#include "app/report_kinds.h"
#include "dialogs/about_dlg.h"
#include "dialogs/databases_dlg.h"
#include "dialogs/largest_files_dlg.h"
#include "engine/file_list.h"

namespace dovrane::app {
namespace {

// A search from --path (or the Explorer View's folder), finished before the picture.
DialogShot SearchShot(CAnalyzerApp& app, const Options& options, bool largest) {
    CDovraneStorageAnalyzerView* view = app.mainView();
    QString start = view->explorer().GetSelectedPath();
    if (options.path) {
        const auto resolved = engine::ResolveFolderPath(*view->device(), *options.path);
        if (!resolved)
            return DialogShotError(
                3, QStringLiteral("no folder '%1' on the device").arg(*options.path));
        start = *resolved;
    }
    auto dlg = std::make_unique<dialogs::CLargestFilesDlg>(view->device());
    dlg->m_largest = largest ? 1 : 0;
    dlg->setStartFolder(start);
    const dialogs::CLargestFilesDlg* shown = dlg.get();
    return DialogShotOf(std::move(dlg), [shown] { return shown->IsSearching(); });
}

// One row a dialog; the dialogs' own code makes them, this only picks what to show.
const std::array kRows = std::to_array<DialogShotRow>({
    {"about", [](CAnalyzerApp&,
                 const Options&) { return DialogShotOf(std::make_unique<dialogs::CAboutDlg>()); }},
    {"largest",
     [](CAnalyzerApp& app, const Options& options) { return SearchShot(app, options, true); }},
    {"duplicates",
     [](CAnalyzerApp& app, const Options& options) { return SearchShot(app, options, false); }},
    {"databases",
     [](CAnalyzerApp&, const Options& options) {
         return DialogShotOf(
             std::make_unique<dialogs::CDatabasesDlg>(ObjectStoreFolders(options), QString()));
     }},
});

}  // namespace

std::span<const DialogShotRow> DialogShotRows() {
    return kRows;
}

const DialogShotRow* FindDialogShot(const QString& name) {
    for (const DialogShotRow& row : kRows)
        if (name == QLatin1String(row.name))
            return &row;
    return nullptr;
}

DialogShot DialogShotOf(std::unique_ptr<QDialog> dialog, std::function<bool()> busy) {
    DialogShot shot;
    shot.dialog = std::move(dialog);
    shot.busy = std::move(busy);
    return shot;
}

DialogShot DialogShotError(int status, const QString& error) {
    DialogShot shot;
    shot.status = status;
    shot.error = error;
    return shot;
}

}  // namespace dovrane::app
