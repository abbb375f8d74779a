#include "SettingsFile.h"

namespace {
const QString kSection = QStringLiteral("Settings");
constexpr int kMaxValueLength = 255;
} // namespace

SettingsFile::SettingsFile(const QString &path) : m_ini(path) {}

bool SettingsFile::load(QString *error)
{
    m_read = m_ini.load(error);
    return m_read;
}

QString SettingsFile::ReadSetting(const QString &key) const
{
    return m_ini.value(kSection, key).left(kMaxValueLength);
}

void SettingsFile::WriteSetting(const QString &key, const QString &value)
{
    m_ini.setValue(kSection, key, value);
}

bool SettingsFile::save(QString *error) const
{
    return m_ini.save(error);
}
