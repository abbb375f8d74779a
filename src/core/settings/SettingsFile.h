#pragma once

#include "IniFile.h"

#include <QString>

// The settings file "settings.ini" beside the program: section "Settings", read at start-up and written
// all together when the main window closes. Keys the program does not know are left as they are.
class SettingsFile
{
public:
    explicit SettingsFile(const QString &path);

    // Reads the file; a missing or unreadable file gives all defaults. False, with the reason in `error`,
    // when the file exists but cannot be read: it then holds what the program cannot see, and must not
    // be written over (wasRead()).
    bool load(QString *error = nullptr);
    // Whether the last load() could read the file (or found none).
    bool wasRead() const { return m_read; }
    // The value of `key`, at most 255 characters, or an empty string.
    QString ReadSetting(const QString &key) const;
    // Sets `key` in memory; save() writes the file.
    void WriteSetting(const QString &key, const QString &value);
    // Writes the file whole and atomically. False, with the reason in `error`, on failure.
    bool save(QString *error = nullptr) const;
    const QString &path() const { return m_ini.path(); }

private:
    IniFile m_ini;
    bool m_read = true;
};
