#pragma once
// The dialogs that `--screenshot FILE --dialog NAME` can draw: one row a dialog, each
// making its dialog over the main window from the command line's options.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <span>

#include "app/command_line.h"

namespace dovrane::app {

class CAnalyzerApp;

// Connects `ended` (run in `context`'s thread, queued) to the end of a dialog's work.
using EndNotice = std::function<void(QObject* context, std::function<void()> ended)>;

// What a row makes: the dialog, shown over the frame, and while `busy` answers true (a
// search still running) the picture waits, taken as soon as `whenEnded` says so. A null
// dialog ends the run with `status` and `error` (3 for a --path or --type that names
// nothing, 2 for a missing option).
struct DialogShot {
    std::unique_ptr<QDialog> dialog;
    std::function<bool()> busy;
    EndNotice whenEnded;
    int status = 0;
    QString error;
};

struct DialogShotRow {
    const char* name;  // the value of --dialog
    std::function<DialogShot(CAnalyzerApp& app, const Options& options)> make;
};

// Every row, in the order --help lists them.
std::span<const DialogShotRow> DialogShotRows();

// The row named `name`, or null.
const DialogShotRow* FindDialogShot(const QString& name);

// A row's answer: the dialog to draw, waiting while `busy` answers true.
DialogShot DialogShotOf(std::unique_ptr<QDialog> dialog, std::function<bool()> busy = {},
                        EndNotice whenEnded = {});
// A failed row: no dialog, the status and message of the error.
DialogShot DialogShotError(int status, const QString& error);

}  // namespace dovrane::app
