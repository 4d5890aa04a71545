#pragma once
// The per-user profile (the device's registry): integer values in named sections.

#include <QSettings>
#include <memory>

namespace dovrane::platform {

class Profile {
public:
    // The user's own store: organization "Dovrane Corporation", application
    // "Dovrane Storage Analyzer".
    Profile();
    // A store in one file, for tests and for runs that must not touch the user's.
    explicit Profile(const QString& iniFile);

    int readInt(const QString& section, const QString& name, int defaultValue) const;
    void writeInt(const QString& section, const QString& name, int value);
    void sync();

private:
    std::unique_ptr<QSettings> m_settings;
};

}  // namespace dovrane::platform
