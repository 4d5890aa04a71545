#pragma once
// The whole window on an in-memory device, its settings in a temporary profile file, every
// message box recorded instead of shown.

#include <QAction>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

#include "app/analyzer_app.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "engine/settings.h"
#include "platform/profile.h"
#include "support/probes.h"
#include "support/test_device.h"

namespace dovrane::test {

struct AppWindow {
    // `values` (name, text) are in the profile before the start, as a user left them;
    // `historyRoot` names the device in the history (empty: the window keeps none); `pace`
    // slows every walk of the window down.
    explicit AppWindow(const QList<std::pair<QString, QString>>& values = {},
                       const QString& historyRoot = {}, std::chrono::milliseconds pace = {}) {
        for (const auto& [name, value] : values)
            QSettings(file(), QSettings::IniFormat).setValue(kGroup + name, value);
        app::AppStart start;
        start.view = {.settings = engine::ReadSettings(profile),
                      .device = &device,
                      .profile = &profile,
                      .pace = pace,
                      .pieShown = {},
                      .historyRoot = historyRoot};
        application = std::make_unique<app::CAnalyzerApp>(start);
        if (!application->InitInstance())
            qFatal("the window did not start");
    }
    QString file() const { return dir.filePath(QStringLiteral("profile.ini")); }
    app::CMainFrame& frame() const { return *application->mainFrame(); }
    app::CDovraneStorageAnalyzerView& view() const { return *application->mainView(); }
    QAction* action(int id) const { return frame().action(id); }

    static inline const QString kGroup = QStringLiteral("Dovrane Storage Analyzer/");
    QTemporaryDir dir;
    platform::TestDevice device;
    platform::Profile profile{file()};
    RecordedBoxes boxes;
    std::unique_ptr<app::CAnalyzerApp> application;
};

}  // namespace dovrane::test
