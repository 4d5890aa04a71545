#pragma once
// The Overview: memory and storage at a glance. Until its own issue lands this is a
// window that takes the main view's calls and draws nothing but its white area.

#include "views/child_window.h"
#include "views/main_view_link.h"

namespace dovrane::views {

class COverviewView : public CChildWindow {
    Q_OBJECT

public:
    COverviewView();
    ~COverviewView() override;

    // Set by the main view before the window is created; used by the storage-pie tap.
    MainViewCommands* m_pMainView = nullptr;

    // Reads the figures afresh and repaints: after creation and for Refresh.
    void Refresh();

    int refreshCount() const { return m_refreshCount; }

private:
    int m_refreshCount = 0;
};

}  // namespace dovrane::views
