#pragma once

#include "SettingsFile.h"

#include <QString>

#include <array>

namespace modManageSettings {

constexpr int kColumns = 12;
// Stored lengths above this many twips (over 1.7 metres), or below one twip, read as not stored.
constexpr double kMaxTwips = 100000;

// The window settings as stored: all lengths in twips.
struct StoredSettings
{
    std::array<double, kColumns> columnWidths{}; // 0: keep the column table's width
    int disableXP = 0;
    int windowState = 0; // 0 normal, 1 minimised, 2 maximised
    bool showPanel = false;
    double panelH = 0; // 0: 0.3 x the window's height
    int selectedBase = 0;
};

// Reads the stored settings; absent, empty or non-numeric values read as 0, and so do column widths and
// panel heights over kMaxTwips or below one twip; "ShowPanel" is on only for the exact text "True".
StoredSettings read(const SettingsFile &file);
// Writes all 17 keys, in this order: "ColoumnWidth1" to "ColoumnWidth12", "DisableXP", "WindowState",
// "ShowPanel", "PanelH", "SelectedBase".
void write(SettingsFile &file, const StoredSettings &settings);

// The stored index of the open base, or 0 when it is negative or not below `baseCount`.
int selectedBase(const SettingsFile &file, int baseCount);

} // namespace modManageSettings
