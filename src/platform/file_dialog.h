#pragma once
// The file dialogs: every one goes through AskFileName, so that tests can answer it
// instead of blocking on a real modal dialog.

#include <QString>
#include <functional>

class QWidget;

namespace dovrane::platform {

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
    QWidget* parent = nullptr;
    FileDialogMode mode = FileDialogMode::Open;
    QString caption{};
    QString filter{};  // as Qt's file dialogs take it: "Scans (*.json *.gz);;All files (*)"
};

// The file the user chose; empty when the dialog was cancelled. A save asks before it
// names a file that exists.
QString AskFileName(const FileDialogRequest& request);

using FileDialogHook = std::function<QString(const FileDialogRequest&)>;
// Replaces the real dialogs (an empty hook restores them); returns the hook it replaces.
FileDialogHook SetFileDialogHook(FileDialogHook hook);

}  // namespace dovrane::platform
