#pragma once
// The File Type View: a pie of the space each file type takes. Until its own issue lands
// this is a window that takes the main view's calls; it scans nothing and draws its white
// area.

#include <chrono>

#include "engine/settings.h"
#include "views/child_window.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::views {

class CFileTypeView : public CChildWindow {
    Q_OBJECT

public:
    CFileTypeView();
    ~CFileTypeView() override;

    // Set by the main view before the window is created; each outlives the view.
    const engine::Settings* settings = nullptr;  // the main view's colours and slice count
    platform::Device* device = nullptr;
    std::chrono::milliseconds pace{0};

    // Scans the whole device anew: after creation and for Refresh.
    void StartScan();
    // Totals, slices and legend again with the settings' new colours and slice count,
    // then repaints legend and view: after Preferences closes with OK.
    void ReapplySettings();

    int scanCount() const { return m_scanCount; }
    int reapplyCount() const { return m_reapplyCount; }

private:
    int m_scanCount = 0;
    int m_reapplyCount = 0;
};

}  // namespace dovrane::views
