#pragma once

class ListView;

// Sorting of a list view by the column whose header the user clicked. A newly clicked column sorts
// ascending; each further click on the same column reverses the order. Only the sorted column's header
// shows an image: the ascending or the descending arrow.
//
// A column with a key type (SortKeys, 1..6) is sorted by keys rather than by its own text: the key of
// each row's value is written into the list's last column, which the list then sorts by. That last
// column is meant to be a hidden one (zero width) kept for this purpose.
//
// Columns are numbered from 1 here (a header click's 0-based column plus one); 0 means none.
class uSc_ListView_Xtended_Sort
{
public:
    uSc_ListView_Xtended_Sort() = default;

    // Binds the list view, installs the arrow images as its header images and turns its sorting off.
    void SetUp(ListView *myListView);

    // Sorted false turns the list's sorting off and changes nothing else. Otherwise NewSortIndex is the
    // clicked column: the current column again reverses the order, another column sorts ascending by
    // that column (by keys of NewSortIndex's type when it is 1..6), and -1 sorts the current column
    // afresh, ascending, recomputing its keys (after rows were added or changed). A column that does not
    // exist is ignored.
    void Sort(bool Sorted, int NewSortIndex, int NewSortType);

    // Shows the sort image in the header of column SortBy and removes it from every other column.
    void SetHeaderIcons(int SortBy);

    // With showImage not 0, column colNumber's header shows the image of the list's current sort order
    // (ascending or descending); with 0 it shows none. The caption keeps its place and alignment, the
    // image is drawn after it.
    static void ShowHeaderIcon(ListView *myListView, int colNumber, int showImage);

    ListView *listView() const { return m_listView; }

    // The column the list is sorted by (1-based, 0: none), its key type and its order (0 ascending,
    // 1 descending).
    int CurrentSortIndex = 0;
    int CurrentSortType = 0;
    int CurrentSortOrder = 0;

private:
    // Writes the key of every row's text in `sourceColumn` into the row's `keyColumn` (0-based), all
    // rows in one batch.
    void writeSortKeys(int sourceColumn, int keyColumn, int type);

    ListView *m_listView = nullptr;
};
