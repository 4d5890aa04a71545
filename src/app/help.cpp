#include "app/help.h"

#include "platform/message_box.h"
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

void OpenHelp(QWidget* parent) {
    const QUrl url = HelpUrl();
    if (url.isEmpty())
        platform::ShowMessage(parent,
                              QStringLiteral("The help page %1 was not found.").arg(kHelpFileName));
    else if (!platform::OpenUrl(url))
        platform::ShowMessage(parent, platform::NoHandlerText(url));
}

}  // namespace dovrane::app
