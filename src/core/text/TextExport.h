#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// A list written as text other programs read: a header line of the column captions, then one line a
// row, fields joined by TAB, lines ended by CR LF, in the code page of the program's files.
namespace TextExport {

// `cell(row, column)` gives the text of a cell; every row gives as many fields as there are captions.
QByteArray content(const QStringList &captions, int rows, const std::function<QString(int, int)> &cell);

// `path` with ".txt" appended unless it already ends in ".txt" (in any case).
QString withTxtExtension(const QString &path);

} // namespace TextExport
