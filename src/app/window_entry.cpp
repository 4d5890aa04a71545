// The entry point of the window library, the one symbol main() looks up in it.

#include "app/command_line.h"
#include "app/window.h"

extern "C" __attribute__((visibility("default"))) int dovrane_run_window(int* argc, char** argv) {
    QStringList given;
    for (int i = 1; i < *argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    return dovrane::app::RunWindow(*argc, argv, dovrane::app::ParseCommandLine(given).options);
}
