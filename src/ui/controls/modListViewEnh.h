#pragma once

class ListView;
class QWidget;

// Small additions to the program's list views.
namespace modListViewEnh {

// Switches the column header of `list` between raised buttons and a flat look; twice gives back the
// look it started with. True on success. On failure (no list) it returns false, and when `showErrors`
// is true it says so in a message box over `form`.
bool EnhListView_Toggle_FlatColumnHeaders(QWidget *form, ListView *list, bool showErrors);

} // namespace modListViewEnh
