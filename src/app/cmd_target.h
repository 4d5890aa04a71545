#pragma once
// Command routing in the manner of the handheld's framework: a command goes to the main
// view, then the document, then the frame, then the application, and the first that
// handles it ends the route. Each target's update handler sets the state of a command's
// menu item and toolbar button.

namespace dovrane::app {

// What an update handler gives a command: a ticked command also shows its button pressed.
struct CCmdUI {
    bool enabled = true;
    bool checked = false;
    void Enable(bool on = true) { enabled = on; }
    void SetCheck(bool on = true) { checked = on; }
};

class CCmdTarget {
public:
    // True when this target handles `id` (and has run it).
    virtual bool OnCmdMsg(int id) = 0;
    // True when this target has an update rule for `id` (and has applied it to `ui`).
    virtual bool OnUpdateCmdUI(int /*id*/, CCmdUI& /*ui*/) const { return false; }

    virtual ~CCmdTarget() = default;
};

}  // namespace dovrane::app
