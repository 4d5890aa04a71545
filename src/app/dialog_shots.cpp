#include "app/dialog_shots.h"

#include <array>

#include "app/analyzer_app.h"
#include "app/main_view.h"
#include "app/program.h"
#include "app/report_kinds.h"
#include "dialogs/about_dlg.h"
#include "dialogs/color_picker_dlg.h"
#include "dialogs/databases_dlg.h"
#include "dialogs/file_list_dlg.h"
#include "dialogs/file_properties_dlg.h"
#include "dialogs/file_types_dlg.h"
#include "dialogs/folder_details_dlg.h"
#include "dialogs/folder_files_dlg.h"
#include "dialogs/largest_files_dlg.h"
#include "dialogs/preferences_dlg.h"
#include "engine/file_list.h"
#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/text.h"
#include "platform/device.h"

namespace dovrane::app {
namespace {

// What a row scans itself when the view that owns it was not made; freed with the dialog.
struct ShotTree : QObject {
    engine::FolderTree tree;
};
struct ShotTypes : QObject {
    engine::FileTypeTable table;
};

// The folder tree's root: the Folder View's, else a scan of the row's own.
engine::FolderNode* ShotRoot(CAnalyzerApp& app, QObject* owner) {
    if (const engine::FolderNode* root = app.mainView()->folderView().rootFolder())
        return const_cast<engine::FolderNode*>(root);  // only read: FindFolderByPath walks
    auto* held = new ShotTree;
    held->setParent(owner);
    if (platform::Device* device = app.mainView()->device())
        engine::ScanFolder(*device, held->tree, 16, {});
    return held->tree.root();
}

const engine::FileTypeTable* ShotTable(CAnalyzerApp& app, QObject* owner) {
    if (const engine::FileTypeTable* table = app.mainView()->fileTypeView().fileTypes())
        return table;
    auto* held = new ShotTypes;
    held->setParent(owner);
    if (platform::Device* device = app.mainView()->device())
        held->table.AggregateFileTypes(*device, {});
    held->table.ComputeFileTypeTotals(16);
    return &held->table;
}

const engine::FolderNode* ShotFolder(CAnalyzerApp& app, const Options& options, QObject* owner) {
    return engine::FindFolderByPath(ShotRoot(app, owner),
                                    options.path.value_or(QStringLiteral("\\")));
}

DialogShot NoFolder(const Options& options) {
    return DialogShotError(
        3, QStringLiteral("--path '%1' names no folder").arg(options.path.value_or(QString())));
}

DialogShot FileList(CAnalyzerApp& app, const Options& options) {
    if (!options.type)
        return DialogShotError(2, QStringLiteral("--dialog file-list needs --type TYPE"));
    auto dialog = std::make_unique<dialogs::CFileListDlg>(app.mainView()->device());
    const engine::FileTypeTable* table = ShotTable(app, dialog.get());
    for (engine::FileTypeStat* type : table->fileTypesBySize()) {
        if (type->name == *options.type) {
            dialog->SetFileType(type, &table->list());
            return DialogShotOf(std::move(dialog));
        }
    }
    return DialogShotError(3, QStringLiteral("no file has the type '%1'").arg(*options.type));
}

DialogShot FilesInFolder(CAnalyzerApp& app, const Options& options) {
    auto dialog = std::make_unique<dialogs::CFolderFilesDlg>(app.mainView()->device());
    const engine::FolderNode* folder = ShotFolder(app, options, dialog.get());
    if (!folder)
        return NoFolder(options);
    dialog->SetFolder(folder);
    return DialogShotOf(std::move(dialog));
}

DialogShot FolderDetails(CAnalyzerApp& app, const Options& options) {
    auto dialog = std::make_unique<dialogs::CFolderDetailsDlg>(app.mainView()->device());
    const engine::FolderNode* folder = ShotFolder(app, options, dialog.get());
    if (!folder)
        return NoFolder(options);
    const engine::FolderNode* root = folder;
    while (root->parent)
        root = root->parent;
    dialog->SetFolder(folder, root, engine::SpacePath(engine::BuildFolderPath(folder)));
    return DialogShotOf(std::move(dialog));
}

DialogShot FileTypes(CAnalyzerApp& app, const Options&) {
    auto dialog = std::make_unique<dialogs::CFileTypesDlg>(app.mainView()->device());
    dialog->SetTable(ShotTable(app, dialog.get()));
    return DialogShotOf(std::move(dialog));
}

DialogShot Properties(CAnalyzerApp& app, const Options& options) {
    if (!options.path)
        return DialogShotError(2, QStringLiteral("--dialog properties needs --path FILE"));
    const QString& path = *options.path;
    platform::Device* device = app.mainView()->device();
    const auto found = device ? device->findFile(path) : std::nullopt;
    if (!found || found->isFolder())
        return DialogShotError(3, QStringLiteral("--path '%1' names no file").arg(path));
    const qsizetype slash = path.lastIndexOf(u'\\');
    const QString folder = slash <= 0 ? QStringLiteral("\\") : path.left(slash);
    return DialogShotOf(std::make_unique<dialogs::CFilePropertiesDlg>(nullptr, path.mid(slash + 1),
                                                                      folder, device));
}

// A search from --path (or the Explorer View's folder), finished before the picture.
DialogShot SearchShot(CAnalyzerApp& app, const Options& options) {
    const SearchDialog search = SearchDialogNamed(options.dialog).value_or(SearchDialog{});
    CDovraneStorageAnalyzerView* view = app.mainView();
    QString start = view->explorer().GetSelectedPath();
    if (options.path) {
        const auto resolved = engine::ResolveFolderPath(*view->device(), *options.path);
        if (!resolved)
            return DialogShotError(
                3, QStringLiteral("no folder '%1' on the device").arg(*options.path));
        start = *resolved;
    }
    const auto mode = search.largest       ? dialogs::SearchMode::Largest
                      : search.sameContent ? dialogs::SearchMode::Identical
                                           : dialogs::SearchMode::Duplicates;
    // The search begun before the window runs on in the dialog, found with the same pace.
    auto dlg = std::make_unique<dialogs::CLargestFilesDlg>(
        view->device(), mode,
        dialogs::SearchPace{.pace = std::chrono::milliseconds(options.paceMs)}, nullptr,
        app.TakeFileSearch());
    dlg->setStartFolder(start);
    const dialogs::CLargestFilesDlg* shown = dlg.get();
    return DialogShotOf(
        std::move(dlg), [shown] { return shown->IsSearching(); },
        [shown](QObject* context, std::function<void()> ended) {
            QObject::connect(shown, &dialogs::CLargestFilesDlg::searchEnded, context,
                             std::move(ended), Qt::QueuedConnection);
        });
}

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
    {"file-list", FileList},
    {"files-in-folder", FilesInFolder},
    {"folder-details", FolderDetails},
    {"file-types", FileTypes},
    {"properties", Properties},
    // What each searches for is the program's one reading of the name, which also begins
    // the search before the window.
    {"largest", SearchShot},
    {"duplicates", SearchShot},
    {"identical", SearchShot},
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

DialogShot DialogShotOf(std::unique_ptr<QDialog> dialog, std::function<bool()> busy,
                        EndNotice whenEnded) {
    DialogShot shot;
    shot.dialog = std::move(dialog);
    shot.busy = std::move(busy);
    shot.whenEnded = std::move(whenEnded);
    return shot;
}

DialogShot DialogShotError(int status, const QString& error) {
    DialogShot shot;
    shot.status = status;
    shot.error = error;
    return shot;
}

}  // namespace dovrane::app
