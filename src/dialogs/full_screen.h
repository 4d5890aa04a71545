#pragma once
// Full-screen dialogs: every dialog of the handheld design fills the screen; here it
// covers the main window's client area exactly (same position and size) and follows it
// while open.

class QDialog;
class QWidget;

namespace dovrane::dialogs {

// The window a dialog without a parent belongs to: the active window, else the first
// visible main window; null when there is none (tests), and the dialog keeps its own size.
QWidget* DialogOwner(QWidget* parent);

// Makes `dialog` frameless and keeps it over `owner`'s client area; `owner` may be null.
void CoverOwner(QDialog* dialog, QWidget* owner);

}  // namespace dovrane::dialogs
