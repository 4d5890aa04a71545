#pragma once
// The parts of the program that live in their own library, loaded only by the runs that
// need them: a report run never maps the windowing libraries.

#include <QString>
#include <QStringList>
#include <functional>

namespace dovrane::platform {

struct LoadedPart {
    QFunctionPointer entry = nullptr;  // null when no candidate loaded; its caller knows its type
    QString error;                     // why the last candidate failed, for the user
};

// Loads the first of `candidates` (host paths; relative ones against the executable's
// folder) that exists, and finds `symbol` in it. The library stays loaded until exit.
LoadedPart LoadWindowPart(const QStringList& candidates, const char* symbol);

// Tests: stands in for loading the window part (a library that fails to load, say); an
// empty function puts the real loading back.
using WindowPartHook = std::function<LoadedPart(const QStringList& candidates, const char* symbol)>;
void SetWindowPartHook(WindowPartHook hook);

// The executable's folder, read from the host before any application object exists.
QString ExecutableFolder();

// The host path of `name`, a file installed with the program: in the install's data folder
// (share/dovrane-storage-analyzer, found from the executable so that an install under
// DESTDIR or another prefix finds its own copy), else beside the executable (the build
// tree). Empty when neither has it.
QString ShippedFile(const QString& name);

// From here on the toolkit's own debug, info and warning lines (a missing runtime
// folder, font notices...) are dropped: a run that prints a report or draws a picture
// says nothing on standard error unless it fails. Critical and fatal ones still show.
void QuietToolkitMessages();

}  // namespace dovrane::platform
