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

    // The value as stored, as a 32-bit DWORD would hold it (4294967295 reads as -1);
    // `defaultValue` when it is absent or not a whole number.
    int readInt(const QString& section, const QString& name, int defaultValue) const;
    void writeInt(const QString& section, const QString& name, int value);
    // Writes what is pending to the store; false when it could not (a folder that cannot
    // be written, a full disk). The values stay readable in memory either way.
    bool sync();
    // Where the store lives, for messages.
    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

}  // namespace dovrane::platform
