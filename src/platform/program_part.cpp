#include "platform/program_part.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <cstdio>

namespace dovrane::platform {
namespace {

QtMessageHandler g_previous = nullptr;

WindowPartHook& PartHook() {
    static WindowPartHook hook;
    return hook;
}

void KeepSerious(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg)
        return;
    if (g_previous) {
        g_previous(type, context, message);
        return;
    }
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
}

}  // namespace

QString ExecutableFolder() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

QString ShippedFile(const QString& name) {
    const QDir folder(ExecutableFolder());
    for (const QString& place : {QStringLiteral(DOVRANE_DATA_FROM_BIN), QStringLiteral(".")}) {
        const QString path = QDir::cleanPath(folder.filePath(place + u'/' + name));
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

void SetWindowPartHook(WindowPartHook hook) {
    PartHook() = std::move(hook);
}

LoadedPart LoadWindowPart(const QStringList& candidates, const char* symbol) {
    if (PartHook())
        return PartHook()(candidates, symbol);
    // Kept, never unloaded: its widgets and the application object live until exit.
    static QLibrary library;
    LoadedPart part;
    const QDir folder(ExecutableFolder());
    for (const QString& candidate : candidates) {
        const QString path = QDir::cleanPath(folder.absoluteFilePath(candidate));
        if (!QFileInfo::exists(path)) {
            part.error = QStringLiteral("'%1' is missing").arg(path);
            continue;
        }
        library.setFileName(path);
        if (!library.load()) {
            part.error = library.errorString();
            continue;
        }
        part.entry = library.resolve(symbol);
        if (part.entry) {
            part.error.clear();
            return part;
        }
        part.error = library.errorString();
        library.unload();
    }
    return part;
}

void QuietToolkitMessages() {
    const QtMessageHandler previous = qInstallMessageHandler(KeepSerious);
    if (previous != KeepSerious)
        g_previous = previous;
}

}  // namespace dovrane::platform
