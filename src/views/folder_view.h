#pragma once
// The Folder View: a pie of the sub-folders of one folder, walked through by taps. Until
// its own issue lands this is a window that takes the main view's calls and keeps only
// the path it would show; it scans nothing and draws its white area.

#include <QString>
#include <chrono>

#include "engine/settings.h"
#include "views/child_window.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::views {

class CFolderView : public CChildWindow {
    Q_OBJECT

public:
    CFolderView();
    ~CFolderView() override;

    // Set by the main view before the window is created; each outlives the view.
    const engine::Settings* settings = nullptr;  // the main view's colours and slice count
    platform::Device* device = nullptr;
    std::chrono::milliseconds pace{0};  // the walk's pause on entering each folder

    // The folder to show when the running scan ends (case-folded); empty for the root.
    QString pendingPath;

    // Scans the whole device anew: after creation and for Refresh.
    void StartScan();
    // Shows the folder with that case-folded path if the scanned tree has it: on a later
    // show, with the Explorer View's selection.
    void GoToPath(const QString& path);
    // Shows the parent of the shown folder; nothing at the root.
    void GoToParent();
    // Lays the pie out again with the settings' new colours and slice count, without a
    // rescan: after Preferences closes with OK.
    void ReapplySettings();

    // The shown folder's path as the view would show it ("" or "\" is the root).
    const QString& shownPath() const { return m_shownPath; }
    int scanCount() const { return m_scanCount; }
    int reapplyCount() const { return m_reapplyCount; }

private:
    QString m_shownPath;
    int m_scanCount = 0;
    int m_reapplyCount = 0;
};

}  // namespace dovrane::views
