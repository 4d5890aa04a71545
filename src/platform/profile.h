#pragma once
// The per-user profile (the device's registry): integer values in named sections. A
// profile that is not a regular file (a FIFO, a folder, a device) is never opened: reading
// it could wait for ever. The program then runs on the defaults and saves nothing.

#include <QHash>
#include <QSettings>
#include <memory>

namespace dovrane::platform {

class Profile {
public:
    // The user's own store: organization "Dovrane Corporation", application
    // "Dovrane Storage Analyzer", in the user's configuration folder.
    Profile();
    // A store in one file, for tests and for runs that must not touch the user's.
    explicit Profile(const QString& iniFile);
    ~Profile();
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    // The value as stored, as a 32-bit DWORD would hold it (4294967295 reads as -1);
    // `defaultValue` when it is absent or not a whole number.
    int readInt(const QString& section, const QString& name, int defaultValue) const;
    void writeInt(const QString& section, const QString& name, int value);
    // Writes what is pending to the store; false when it could not (a folder that cannot
    // be written, a full disk, a store that is no regular file). The values stay readable
    // in memory either way.
    bool sync();
    // Where the store lives, for messages.
    QString fileName() const;
    // False when the store was left alone because it is no regular file.
    bool opened() const { return m_settings != nullptr; }

private:
    QString m_fileName;
    std::unique_ptr<QSettings> m_settings;  // null: not opened
    QHash<QString, int> m_unsaved;          // what was written while not opened
};

}  // namespace dovrane::platform
