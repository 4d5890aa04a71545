#include "app/help.h"

#include "platform/shell.h"

namespace dovrane::app {

QUrl HelpUrl() {
    const QString path =
        platform::BundledFilePath(kHelpFileName, QStringLiteral(":/res/") + kHelpFileName);
    if (path.isEmpty())
        return {};
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(kHelpAnchor);
    return url;
}

void OpenHelp() {
    const QUrl url = HelpUrl();
    if (!url.isEmpty())
        platform::OpenUrl(url);
}

}  // namespace dovrane::app
