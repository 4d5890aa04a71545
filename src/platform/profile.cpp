#include "platform/profile.h"

#include <limits>

namespace dovrane::platform {

Profile::Profile()
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Dovrane Corporation"),
                                             QStringLiteral("Dovrane Storage Analyzer"))) {}

Profile::Profile(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

int Profile::readInt(const QString& section, const QString& name, int defaultValue) const {
    bool ok = false;
    const qlonglong value = m_settings->value(section + u'/' + name).toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<quint32>::max())
        return defaultValue;
    return static_cast<int>(static_cast<quint32>(value));
}

void Profile::writeInt(const QString& section, const QString& name, int value) {
    m_settings->setValue(section + u'/' + name, value);
}

bool Profile::sync() {
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString Profile::fileName() const {
    return m_settings->fileName();
}

}  // namespace dovrane::platform
