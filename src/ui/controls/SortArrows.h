#pragma once

#include <QIcon>
#include <QList>

// The images a sorted list shows in the header of the column it is sorted by: a small triangle pointing
// up for ascending and down for descending, drawn in the palette's text colour. They are painted here,
// not loaded from files, at the normal and double pixel density.
namespace SortArrows {

// Indexes into headerImages(): a list's sortOrder() (0 ascending, 1 descending) is the image to show.
enum Image {
    Ascending = 0,
    Descending = 1,
};

QIcon ascending();
QIcon descending();
// Both images, ascending at index 0 and descending at index 1, for ListView::setHeaderImages.
QList<QIcon> headerImages();

} // namespace SortArrows
