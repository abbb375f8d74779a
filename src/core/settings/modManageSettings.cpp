#include "modManageSettings.h"

#include "core/catalogue/Numbers.h"

namespace {

QString columnKey(int k)
{
    return QStringLiteral("ColoumnWidth") + QString::number(k);
}
} // namespace

namespace modManageSettings {

namespace {

// A length no screen has room for counts as not stored (a damaged file): 1e308 twips would overflow the
// conversion to pixels. So does one below a twip: it would make a column of no width, and a number
// as small as 1e-300 is written back longer than a value may be read.
double screenLength(double twips)
{
    return twips > kMaxTwips || twips < 1 ? 0 : twips;
}

} // namespace

StoredSettings read(const SettingsFile &file)
{
    StoredSettings s;
    for (int k = 1; k <= kColumns; ++k)
        s.columnWidths[size_t(k - 1)] = screenLength(Numbers::leadingNumber(file.ReadSetting(columnKey(k))));
    s.disableXP = Numbers::leadingInt(file.ReadSetting(QStringLiteral("DisableXP")));
    s.windowState = Numbers::leadingInt(file.ReadSetting(QStringLiteral("WindowState")));
    s.showPanel = file.ReadSetting(QStringLiteral("ShowPanel")) == QLatin1String("True");
    s.panelH = float(screenLength(Numbers::leadingNumber(file.ReadSetting(QStringLiteral("PanelH")))));
    s.selectedBase = Numbers::leadingInt(file.ReadSetting(QStringLiteral("SelectedBase")));
    return s;
}

void write(SettingsFile &file, const StoredSettings &s)
{
    for (int k = 1; k <= kColumns; ++k)
        file.WriteSetting(columnKey(k), Numbers::formatNumber(s.columnWidths[size_t(k - 1)], 7));
    file.WriteSetting(QStringLiteral("DisableXP"), Numbers::formatNumber(s.disableXP));
    file.WriteSetting(QStringLiteral("WindowState"), Numbers::formatNumber(s.windowState));
    file.WriteSetting(QStringLiteral("ShowPanel"), s.showPanel ? QStringLiteral("True") : QStringLiteral("False"));
    file.WriteSetting(QStringLiteral("PanelH"), Numbers::formatNumber(s.panelH, 7));
    file.WriteSetting(QStringLiteral("SelectedBase"), Numbers::formatNumber(s.selectedBase));
}

int selectedBase(const SettingsFile &file, int baseCount)
{
    const int index = Numbers::leadingInt(file.ReadSetting(QStringLiteral("SelectedBase")));
    return (index < 0 || index >= baseCount) ? 0 : index;
}

} // namespace modManageSettings
