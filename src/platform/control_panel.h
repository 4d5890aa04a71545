#pragma once
// The handheld's Control Panel pages on the desktop. The Overview asks for a page the way
// the handheld starts it (program "\Windows\ctlpnl.exe" with one parameter), so the
// launcher hook records exactly that; the desktop launcher then opens the first program
// of that kind found on PATH:
//   "cplmain.cpl 4,0"  the system monitor (memory and processor)
//   "cplmain.cpl 4,1"  the disk utility
//   "cplmain.cpl 4,2"  the process list

#include <QString>
#include <QStringList>

namespace dovrane::platform {

inline const QString kControlPanelProgram = QStringLiteral("\\Windows\\ctlpnl.exe");

// Through the launcher. False when nothing was started (no such program is silent).
bool OpenControlPanel(const QString& parameters);

// A program and its arguments that stand for one page.
struct ControlPanelProgram {
    QString program;
    QStringList arguments;
};

// The desktop programs for a page, best first; empty for a page the desktop does not know.
QList<ControlPanelProgram> ControlPanelCandidates(const QString& parameters);

// What the desktop launcher does for the Control Panel: starts the first candidate on PATH.
bool StartControlPanelPage(const QString& parameters);

}  // namespace dovrane::platform
