// The settings reader on any bytes:
//  - a settings file read and written back unchanged is the same bytes;
//  - the window settings read from it, written with every other key, section and line left as it was, read
//    again from the saved file give the values that were written, and no other key changes its value;
//  - settings saved, read and saved again are the same file: a start and a close of the program do not make
//    the stored values drift.

#include "FuzzSupport.h"
#include "core/settings/IniFile.h"
#include "core/settings/modManageSettings.h"
#include "core/text/Cp1251.h"

#include <QStringList>

#include <utility>

namespace {

const QString kFileName = QStringLiteral("settings.ini");
const QString kSection = QStringLiteral("Settings");

QStringList programKeys()
{
    QStringList keys;
    for (int k = 1; k <= modManageSettings::kColumns; ++k)
        keys.append(QStringLiteral("ColoumnWidth") + QString::number(k));
    keys << QStringLiteral("DisableXP") << QStringLiteral("WindowState") << QStringLiteral("ShowPanel")
         << QStringLiteral("PanelH") << QStringLiteral("SelectedBase");
    return keys;
}

bool operator==(const modManageSettings::StoredSettings &a, const modManageSettings::StoredSettings &b)
{
    return a.columnWidths == b.columnWidths && a.disableXP == b.disableXP && a.windowState == b.windowState &&
           a.showPanel == b.showPanel && a.panelH == b.panelH && a.selectedBase == b.selectedBase;
}

QByteArray describe(const modManageSettings::StoredSettings &s)
{
    QByteArray out = "widths";
    for (const double w : s.columnWidths)
        out += ' ' + QByteArray::number(w, 'g', 17);
    out += " disableXP " + QByteArray::number(s.disableXP) + " windowState " + QByteArray::number(s.windowState) +
           " showPanel " + QByteArray::number(int(s.showPanel)) + " panelH " + QByteArray::number(s.panelH, 'g', 17) +
           " selectedBase " + QByteArray::number(s.selectedBase);
    return out;
}

modManageSettings::StoredSettings readSettings(const QString &path)
{
    SettingsFile file(path);
    file.load();
    return modManageSettings::read(file);
}

// Section and key names that may be in the file, found by a loose look at its lines: the text after a "["
// up to a "]", and the text before an "=". Names that are not really there read as empty both times.
std::pair<QStringList, QStringList> candidateNames(const QByteArray &content)
{
    QStringList sections{kSection, QString()};
    QStringList keys;
    for (const QByteArray &line : FuzzSupport::lines(content)) {
        const QString text = Cp1251::decode(line);
        if (const qsizetype open = text.indexOf(QLatin1Char('[')); open >= 0 && sections.size() < 16)
            sections.append(text.mid(open + 1, text.indexOf(QLatin1Char(']'), open) - open - 1));
        if (const qsizetype equals = text.indexOf(QLatin1Char('=')); equals >= 0 && keys.size() < 16)
            keys.append(text.left(equals));
    }
    return {sections, keys};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = FuzzSupport::bytes(data, size);

    // Read and written back untouched: the same bytes, whether parsed from memory or loaded from the file.
    IniFile parsed;
    parsed.parse(content);
    FUZZ_CHECK(parsed.serialize() == content);
    const QString path = FuzzSupport::writeFile(kFileName, content);
    IniFile loaded(path);
    FUZZ_CHECK(loaded.load());
    FUZZ_CHECK(loaded.serialize() == content);

    SettingsFile file(path);
    file.load();
    const QStringList keys = programKeys();
    for (const QString &key : keys)
        FUZZ_CHECK(file.ReadSetting(key) == loaded.value(kSection, key).left(255));
    const modManageSettings::StoredSettings first = modManageSettings::read(file);

    // Written and saved, then read from the saved file: what was written, and nothing else changed.
    modManageSettings::write(file, first);
    const modManageSettings::StoredSettings written = modManageSettings::read(file);
    QString error;
    FUZZ_CHECK_SAYING(file.save(&error), error.toUtf8());
    const QByteArray saved = FuzzSupport::readFile(kFileName);
    const modManageSettings::StoredSettings reread = readSettings(path);
    FUZZ_CHECK_SAYING(reread == written, describe(written) + "\n" + describe(reread));

    IniFile after(path);
    FUZZ_CHECK(after.load());
    const auto [sections, keyNames] = candidateNames(content);
    for (const QString &section : sections) {
        const bool settingsSection = section.trimmed().compare(kSection, Qt::CaseInsensitive) == 0;
        for (const QString &key : keyNames) {
            if (settingsSection && keys.contains(key.trimmed(), Qt::CaseInsensitive))
                continue;
            FUZZ_CHECK_SAYING(after.value(section, key) == loaded.value(section, key),
                              FuzzSupport::hex(section) + " / " + FuzzSupport::hex(key));
        }
    }

    // Saved once more from what was read: the same file.
    SettingsFile second(path);
    second.load();
    modManageSettings::write(second, modManageSettings::read(second));
    FUZZ_CHECK_SAYING(second.save(&error), error.toUtf8());
    IniFile firstSave;
    firstSave.parse(saved);
    IniFile secondSave(path);
    FUZZ_CHECK(secondSave.load());
    for (const QString &key : keys) {
        const QString before = firstSave.value(kSection, key);
        const QString now = secondSave.value(kSection, key);
        FUZZ_CHECK_SAYING(now == before, key.toUtf8() + " was saved as \"" + before.toUtf8() + "\" (" +
                                             QByteArray::number(before.size()) + " characters), then as \"" +
                                             now.toUtf8() + "\"");
    }
    FUZZ_CHECK(FuzzSupport::readFile(kFileName) == saved);
    return 0;
}
