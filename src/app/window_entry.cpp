// The entry point of the window library, the one symbol main() looks up in it.

#include "app/program.h"
#include "app/window.h"

extern "C" __attribute__((visibility("default"))) int dovrane_run_window(
    int* argc, char** argv, dovrane::app::WindowStart* start) {
    return dovrane::app::RunWindow(*argc, argv, *start);
}

// The program calls it as this type.
[[maybe_unused]] constexpr dovrane::app::WindowEntry kEntry = &dovrane_run_window;
