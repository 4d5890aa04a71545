#include "platform/file_icon.h"

#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>

namespace dovrane::platform {
namespace {

QIcon BuiltInFileIcon() {
    QPixmap page(16, 16);
    page.fill(Qt::transparent);
    QPainter p(&page);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{2, 0}, {10, 0}, {13, 3}, {13, 15}, {2, 15}}));
    p.drawLine(10, 0, 10, 3);
    p.drawLine(10, 3, 13, 3);
    return QIcon(page);
}

}  // namespace

QIcon FileIconForName(const QString& fileName) {
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull())
        icon = QFileIconProvider().icon(QFileIconProvider::File);
    if (icon.isNull() || icon.availableSizes().isEmpty())
        icon = BuiltInFileIcon();
    return icon;
}

QString FileTypeDescription(const QString& fileName) {
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    return mime.isDefault() ? QString() : mime.comment();
}

}  // namespace dovrane::platform
