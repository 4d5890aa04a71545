#include "platform/control_panel.h"

#include <QProcess>
#include <QStandardPaths>

#include "platform/shell.h"

namespace dovrane::platform {

bool OpenControlPanel(const QString& parameters) {
    return StartProgram(kControlPanelProgram, {parameters});
}

QList<ControlPanelProgram> ControlPanelCandidates(const QString& parameters) {
    using P = ControlPanelProgram;
    const QString page = parameters.simplified();
    if (page == u"cplmain.cpl 4,0")
        return {P{"gnome-system-monitor", {"--show-resources-tab"}},
                P{"mate-system-monitor", {"--show-resources-tab"}},
                P{"plasma-systemmonitor", {}},
                P{"ksysguard", {}},
                P{"xfce4-taskmanager", {}},
                P{"lxtask", {}}};
    if (page == u"cplmain.cpl 4,1")
        return {P{"gnome-disks", {}}, P{"partitionmanager", {}}, P{"gparted", {}}};
    if (page == u"cplmain.cpl 4,2")
        return {P{"gnome-system-monitor", {"--show-processes-tab"}},
                P{"mate-system-monitor", {"--show-processes-tab"}},
                P{"plasma-systemmonitor", {}},
                P{"ksysguard", {}},
                P{"xfce4-taskmanager", {}},
                P{"lxtask", {}}};
    return {};
}

bool StartControlPanelPage(const QString& parameters) {
    for (const ControlPanelProgram& candidate : ControlPanelCandidates(parameters)) {
        const QString path = QStandardPaths::findExecutable(candidate.program);
        if (!path.isEmpty())
            return QProcess::startDetached(path, candidate.arguments);
    }
    return false;
}

}  // namespace dovrane::platform
