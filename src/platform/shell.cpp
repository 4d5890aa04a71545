#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include "platform/control_panel.h"
#include "platform/program_part.h"

namespace dovrane::platform {
namespace {

Launcher& Current() {
    static Launcher launcher;
    return launcher;
}

bool DesktopLaunch(const LaunchRequest& request) {
    if (request.kind == LaunchRequest::Kind::OpenUrl)
        return QDesktopServices::openUrl(request.url);
    if (request.program == kControlPanelProgram)
        return StartControlPanelPage(request.arguments.value(0));
    const QString path = QStandardPaths::findExecutable(request.program);
    if (path.isEmpty())
        return false;
    return QProcess::startDetached(path, request.arguments);
}

bool Launch(const LaunchRequest& request) {
    return Current() ? Current()(request) : DesktopLaunch(request);
}

}  // namespace

Launcher SetLauncher(Launcher launcher) {
    return std::exchange(Current(), std::move(launcher));
}

bool OpenUrl(const QUrl& url) {
    return Launch({.kind = LaunchRequest::Kind::OpenUrl, .url = url});
}

bool OpenFile(const QString& hostPath) {
    return OpenUrl(QUrl::fromLocalFile(hostPath));
}

QString NoHandlerText(const QUrl& url) {
    const QString what =
        url.isLocalFile() ? QFileInfo(url.toLocalFile()).fileName() : url.toString();
    if (FindProgram({QStringLiteral("xdg-open")}).isEmpty())
        return QStringLiteral(
                   "Cannot open %1: xdg-open, the desktop's program that opens files, "
                   "is not installed.")
            .arg(what);
    if (!url.isLocalFile())
        return QStringLiteral("Cannot open %1: no web browser is set up.").arg(what);
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(url.toLocalFile(), QMimeDatabase::MatchExtension);
    if (type.inherits(QStringLiteral("text/html")))
        return QStringLiteral("Cannot open %1: no web browser is set up.").arg(what);
    return QStringLiteral("Cannot open %1: no application is set up for %2 (%3).")
        .arg(what, type.comment(), type.name());
}

bool StartProgram(const QString& program, const QStringList& arguments) {
    return Launch(
        {.kind = LaunchRequest::Kind::StartProgram, .program = program, .arguments = arguments});
}

QString FindProgram(const QStringList& candidates) {
    for (const QString& name : candidates)
        if (!QStandardPaths::findExecutable(name).isEmpty())
            return name;
    return {};
}

QString BundledFilePath(const QString& name, const QString& resource) {
    if (const QString shipped = ShippedFile(name); !shipped.isEmpty())
        return shipped;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache))
        return {};
    const QString copy = QDir(cache).filePath(name);
    QFile::remove(copy);  // copies of resources are read-only; and the program may be newer
    if (!QFile::copy(resource, copy))
        return {};
    return copy;
}

}  // namespace dovrane::platform
