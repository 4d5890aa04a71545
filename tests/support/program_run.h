#pragma once
// Runs a program as a server or a CI job would: no display, no XDG_RUNTIME_DIR, no Qt
// platform or scale unless `environment` ("NAME=value") names them again.

#include <QProcess>

namespace dovrane::test {

struct ProgramRun {
    int exitCode = -1;  // -1 also when it crashed or did not end within a minute
    QByteArray out;
    QByteArray err;
};

inline ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                             const QStringList& environment = {}, const QString& folder = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "XDG_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    for (const QString& setting : environment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

}  // namespace dovrane::test
