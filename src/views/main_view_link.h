#pragma once
// What a child view may ask of the main view that hosts it. The main view lives in the
// application layer above the views, so they reach it only through this.

namespace dovrane::views {

class MainViewCommands {
public:
    // The Folder View command, exactly as if chosen from the menu.
    virtual void OnViewFolder() = 0;

    virtual ~MainViewCommands() = default;
};

}  // namespace dovrane::views
