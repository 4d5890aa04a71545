#pragma once
// The program's QApplication, made with the scale its windows are drawn at. Every pixel
// figure of the handheld design is a device-independent pixel of a 240-pixel-wide screen,
// so a desktop whose own factor is 1 gets factor 2; a desktop that scales already keeps
// its own factor; an explicit scale replaces both.

#include <QApplication>
#include <memory>
#include <optional>

namespace dovrane::platform {

struct DisplayOptions {
    std::optional<double> scale;  // the whole factor, the platform's own left out
    bool offscreen = false;       // draw without a display (screenshots)
};

// `argc` and `argv` must outlive the application. The environment the program's children
// see is left as it was.
std::unique_ptr<QApplication> CreateGuiApplication(int& argc, char** argv,
                                                   const DisplayOptions& options);

// True when a window can be shown: a display is named, or a Qt platform is chosen.
bool HaveDisplay();

}  // namespace dovrane::platform
