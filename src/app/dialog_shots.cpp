#include "app/dialog_shots.h"

#include <array>

#include "app/analyzer_app.h"
#include "dialogs/about_dlg.h"

namespace dovrane::app {
namespace {

// One row a dialog; the dialogs' own code makes them, this only picks what to show.
const std::array kRows = std::to_array<DialogShotRow>({
    {"about", [](CAnalyzerApp&,
                 const Options&) { return DialogShotOf(std::make_unique<dialogs::CAboutDlg>()); }},
    {"overview-details",
     [](CAnalyzerApp& app, const Options&) {
         return DialogShotOf(app.mainView()->overview().MakeDetailsDialog());
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
