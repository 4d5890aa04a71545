#include "platform/profile.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>
#include <limits>

namespace dovrane::platform {
namespace {

// Missing is fine (the first save makes it); anything else must be a regular file, found
// through links as QSettings would find it.
bool MayOpen(const QString& file) {
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) != 0 || S_ISREG(st.st_mode);
}

// Where QSettings keeps the user's store of an organization and application on this host.
QString UserStore() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Dovrane Corporation/Dovrane Storage Analyzer.conf"));
}

}  // namespace

Profile::Profile() : Profile(UserStore()) {}

Profile::Profile(const QString& iniFile) : m_fileName(iniFile) {
    if (MayOpen(iniFile)) {
        m_settings = std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
        return;
    }
    std::fprintf(stderr,
                 "dovrane-storage-analyzer: the profile %s is not a regular file; the default "
                 "settings are used and nothing is saved\n",
                 QFile::encodeName(iniFile).constData());
}

Profile::~Profile() = default;

int Profile::readInt(const QString& section, const QString& name, int defaultValue) const {
    const QString key = section + u'/' + name;
    if (!m_settings)
        return m_unsaved.value(key, defaultValue);
    bool ok = false;
    const qlonglong value = m_settings->value(key).toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<quint32>::max())
        return defaultValue;
    return static_cast<int>(static_cast<quint32>(value));
}

void Profile::writeInt(const QString& section, const QString& name, int value) {
    if (m_settings)
        m_settings->setValue(section + u'/' + name, value);
    else
        m_unsaved.insert(section + u'/' + name, value);
}

bool Profile::sync() {
    if (!m_settings)
        return false;
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString Profile::fileName() const {
    return m_settings ? m_settings->fileName() : m_fileName;
}

}  // namespace dovrane::platform
