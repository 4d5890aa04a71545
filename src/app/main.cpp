// dovrane-storage-analyzer: shows where the storage below a device root goes.
//
// The executable holds the command line and the reports and links Qt Core only; the window
// lives in a library of its own, loaded only when a window or a screenshot is wanted, so
// a script running a thousand reports never maps the windowing libraries.

#include "app/program.h"

int main(int argc, char** argv) {
    // Where the build puts the library: installed below the library folder, else beside
    // the executable in the build tree.
    return dovrane::app::RunProgram(
        argc, argv,
        {QStringLiteral(DOVRANE_WINDOW_PART_INSTALLED), QStringLiteral(DOVRANE_WINDOW_PART_BUILT)});
}
