#pragma once
// The program as main() runs it. For a window, the first view's scan (or the search of the
// dialog to draw) begins before the window library is loaded: the walk runs while the
// toolkit, its fonts and the window are built, and the view or dialog takes the running
// scan over. A report runs here, in Qt Core alone.

#include <QStringList>
#include <memory>

#include "app/cli.h"
#include "app/command_line.h"
#include "engine/chart_scans.h"
#include "engine/search_scan.h"
#include "engine/settings.h"

namespace dovrane::platform {
class Profile;
}

namespace dovrane::app {

// What the program hands its window part. Owned by the program, which outlives the
// window: a scan the window never took is stopped and joined when this goes.
struct WindowStart {
    Options options;
    OpenedDevice opened;  // no device: `opened.error` says why, and nothing else is set
    std::unique_ptr<platform::Profile> profile;  // the user's, where Preferences saves
    engine::Settings settings;                   // read from it, with --slices
    // The scan of the first view, when that is the Folder View or the File Type View.
    std::shared_ptr<engine::EarlyFolderScan> folderScan;
    std::shared_ptr<engine::EarlyFileTypeScan> fileTypeScan;
    // The search of --dialog largest, duplicates or identical.
    std::shared_ptr<engine::EarlyFileSearch> fileSearch;

    WindowStart();
    ~WindowStart();
    WindowStart(WindowStart&&) noexcept;

    // Waits a moment for the early scan's readers to be started: the window library's
    // loading would hold up every thread that starts meanwhile.
    void waitForReaders() const;
};

// Opens the device of `options` and begins the first view's scan, or the search of the
// dialog to draw.
WindowStart BeginWindow(const Options& options);

// What the search of --dialog NAME looks for; nothing for a dialog that does not search.
struct SearchDialog {
    bool largest = false;
    bool sameContent = false;
};
std::optional<SearchDialog> SearchDialogNamed(const QString& name);

// The window part's one exported function; returns the exit status.
using WindowEntry = int (*)(int* argc, char** argv, WindowStart* start);
inline constexpr char kWindowEntryName[] = "dovrane_run_window";

// main(): `windowPart` are where the window library may be (see platform::LoadWindowPart).
int RunProgram(int argc, char** argv, const QStringList& windowPart);

}  // namespace dovrane::app
