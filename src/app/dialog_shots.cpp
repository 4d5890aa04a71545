#include "app/dialog_shots.h"

#include <array>

#include "app/analyzer_app.h"
#include "app/main_view.h"
#include "dialogs/about_dlg.h"
#include "dialogs/color_picker_dlg.h"
#include "dialogs/preferences_dlg.h"

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
    {"preferences",
     [](CAnalyzerApp& app, const Options&) {
         // Shows the settings in use and saves nowhere: nothing presses OK.
         const engine::Settings& settings = app.mainView()->settings();
         auto dialog = std::make_unique<dialogs::CPreferencesDlg>();
         static engine::SliceColors shown;
         shown = settings.sliceColors;
         dialog->colorTable = &shown;
         dialog->slices = settings.numberOfSlices;
         return DialogShotOf(std::move(dialog));
     }},
    {"color",
     [](CAnalyzerApp& app, const Options&) {
         auto dialog = std::make_unique<dialogs::CColorPickerDlg>();
         dialog->setColor(app.mainView()->settings().sliceColor(0));
         return DialogShotOf(std::move(dialog));
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
