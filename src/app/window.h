#pragma once
// The program with its window: opened on the display, or drawn once into a PNG file.

#include <QString>

#include "app/command_line.h"

namespace dovrane::app {

class CMainFrame;
struct WindowStart;

// Makes the QApplication, opens the window for `start`'s options on its device, its first
// view taking over the scan begun there, and runs it until File > Exit; with --screenshot,
// draws it into the file instead and ends. Returns the exit status.
int RunWindow(int& argc, char** argv, WindowStart& start);

// Draws the frame as the screen would show it, once the view on screen has ended its
// scan, into a PNG at the display's scale. Empty when written, else the line that says why
// the file could not be.
QString SaveScreenshot(CMainFrame& frame, const QString& file);

}  // namespace dovrane::app
