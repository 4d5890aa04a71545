#include "platform/profile.h"

namespace dovrane::platform {

Profile::Profile()
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Dovrane Corporation"),
                                             QStringLiteral("Dovrane Storage Analyzer"))) {}

Profile::Profile(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

int Profile::readInt(const QString& section, const QString& name, int defaultValue) const {
    bool ok = false;
    const int value = m_settings->value(section + u'/' + name).toInt(&ok);
    return ok ? value : defaultValue;
}

void Profile::writeInt(const QString& section, const QString& name, int value) {
    m_settings->setValue(section + u'/' + name, value);
}

void Profile::sync() {
    m_settings->sync();
}

}  // namespace dovrane::platform
