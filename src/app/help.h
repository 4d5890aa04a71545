#pragma once
// Help: the bundled PlexoryHelp.htm, opened at its table of contents in the desktop's
// browser through the platform launcher.

#include <QString>
#include <QUrl>

class QWidget;

namespace dovrane::app {

inline const QString kHelpFileName = QStringLiteral("PlexoryHelp.htm");
inline const QString kHelpAnchor = QStringLiteral("Main_Contents");

// The help file as a file address with the anchor; empty when the file cannot be had.
QUrl HelpUrl();

// Hands HelpUrl() to the launcher. Nothing is kept of what it starts: pressed twice, Help
// opens the page twice. A page that cannot be had, or no browser, is one message box over
// `parent` that names what is missing.
void OpenHelp(QWidget* parent);

}  // namespace dovrane::app
