#include "platform/gui_application.h"

#include <QScreen>
#include <QtGlobal>
#include <vector>

namespace dovrane::platform {
namespace {

constexpr double kHandheldFactor = 2.0;

// Sets variables for Qt's start-up only and puts back what was there before.
class EnvironmentOverride {
public:
    void set(const char* name, const QByteArray& value) {
        m_saved.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        qputenv(name, value);
    }
    void restore() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->wasSet)
                qputenv(it->name, it->value);
            else
                qunsetenv(it->name);
        }
        m_saved.clear();
    }
    ~EnvironmentOverride() { restore(); }

private:
    struct Saved {
        const char* name;
        bool wasSet;
        QByteArray value;
    };
    std::vector<Saved> m_saved;
};

double PrimaryFactor() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

}  // namespace

std::unique_ptr<QApplication> CreateGuiApplication(int& argc, char** argv,
                                                   const DisplayOptions& options) {
    EnvironmentOverride environment;
    if (options.offscreen)
        environment.set("QT_QPA_PLATFORM", "offscreen");
    if (options.scale) {
        environment.set("QT_ENABLE_HIGHDPI_SCALING", "0");
        environment.set("QT_SCALE_FACTOR", QByteArray::number(*options.scale));
        auto application = std::make_unique<QApplication>(argc, argv);
        environment.restore();
        return application;
    }
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return std::make_unique<QApplication>(argc, argv);  // the user's own choice

    // The platform's own factor is known only once the application is up: assume 1 and
    // start again without the doubling when the screen proves otherwise.
    environment.set("QT_SCALE_FACTOR", QByteArray::number(kHandheldFactor));
    auto application = std::make_unique<QApplication>(argc, argv);
    if (!qFuzzyCompare(PrimaryFactor(), kHandheldFactor)) {
        application.reset();
        environment.restore();
        if (options.offscreen)
            environment.set("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QApplication>(argc, argv);
    }
    environment.restore();
    return application;
}

bool HaveDisplay() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

}  // namespace dovrane::platform
