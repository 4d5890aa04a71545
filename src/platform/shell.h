#pragma once
// Handing files, addresses and programs to the desktop: the stand-in for the device's
// shell execute and create process. Tests replace the launcher and record what would have
// started; nothing is ever started by a test.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace dovrane::platform {

struct LaunchRequest {
    enum class Kind { OpenUrl, StartProgram };
    Kind kind = Kind::OpenUrl;
    QUrl url{};               // OpenUrl: a local file (file:, with any fragment) or a web address
    QString program{};        // StartProgram: the name as asked for, looked up on PATH
    QStringList arguments{};  // StartProgram
};

// True when the desktop accepted the request; nobody waits for what it started.
using Launcher = std::function<bool(const LaunchRequest&)>;

// Replaces the desktop launcher (an empty one restores it); returns the one it replaces.
Launcher SetLauncher(Launcher launcher);

// A file or web address in the desktop's own application for it (xdg-open).
bool OpenUrl(const QUrl& url);
bool OpenFile(const QString& hostPath);

// What to tell the user when OpenUrl(url) failed: which program is missing (the desktop's
// opener itself, a web browser, or an application for the file's type, named by its type).
QString NoHandlerText(const QUrl& url);

// Starts `program` found on PATH, detached. False when it is not found or does not start.
bool StartProgram(const QString& program, const QStringList& arguments = {});

// The first of `candidates` found on PATH, as given; empty when none is.
QString FindProgram(const QStringList& candidates);

// The host path of a file shipped with the program, for a desktop program to open: the
// installed or built copy (ShippedFile), else a fresh copy of the embedded `resource` (a ":/" path)
// in the user's cache folder. Empty when neither is there.
QString BundledFilePath(const QString& name, const QString& resource);

class ScopedLauncher {
public:
    explicit ScopedLauncher(Launcher launcher) : m_previous(SetLauncher(std::move(launcher))) {}
    ~ScopedLauncher() { SetLauncher(std::move(m_previous)); }
    ScopedLauncher(const ScopedLauncher&) = delete;
    ScopedLauncher& operator=(const ScopedLauncher&) = delete;

private:
    Launcher m_previous;
};

}  // namespace dovrane::platform
