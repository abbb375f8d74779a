#pragma once

// Discs and their CDDB entries for the tests of the CDDB client: the tables of contents, their disc ids
// worked out by hand, and the entries a server would send for them (lines without line ends).

#include "core/cddb/DiscToc.h"

#include <QString>
#include <QStringList>

namespace CddbEntries {

inline DiscToc toc(const QList<int> &offsets, int leadout)
{
    DiscToc t;
    t.frameOffsets = offsets;
    t.leadout = leadout;
    return t;
}

// Starts at 2, 245, 476 and 704 s: digit sums 2 + 11 + 17 + 11 = 41 = 0x29; 933 - 2 = 931 = 0x3a3 s; 4 tracks.
inline DiscToc album()
{
    return toc({150, 18390, 35700, 52815}, 70000);
}
inline const char kAlbumId[] = "2903a304";
inline const char kAlbumQuery[] = "cddb query 2903a304 4 150 18390 35700 52815 933";

// One artist. Track 3 has " / " in its title (not a compilation: track 1 has none), track 4's title and
// EXTD run over two lines, and an escape is cut between the lines of EXTD.
inline const char kAlbumEntry[] = "# xmcd CD database file\n"
                                  "#\n"
                                  "# Track frame offsets:\n"
                                  "#\t150\n"
                                  "#\t18390\n"
                                  "#  35700\n"
                                  "#\t52815\n"
                                  "#\n"
                                  "# Disc length: 933 seconds\n"
                                  "#\n"
                                  "# Revision: 2\n"
                                  "DISCID=2903a304\n"
                                  "DTITLE=Северный ветер / Огни большого города\n"
                                  "DYEAR=1998\n"
                                  "DGENRE=Русский рок\n"
                                  "TTITLE0=Вступление\n"
                                  "TTITLE1=Дорога\\tдомой\n"
                                  "TTITLE2=Часть первая / Часть вторая\n"
                                  "TTITLE3=Очень длинное название, которое сервер раз\n"
                                  "TTITLE3=бил на две строки\n"
                                  "EXTD=Записано в 1997 году.\\nlabel:  Мелодия \\\n"
                                  "EXTD=nCat. \\\\ 123\n"
                                  "EXTT0=\n"
                                  "PLAYORDER=\n";

// Starts at 2, 266 and 546 s: 2 + 14 + 15 = 31 = 0x1f; 800 - 2 = 798 = 0x31e s; 3 tracks.
inline DiscToc compilation()
{
    return toc({150, 20000, 41000}, 60000);
}
inline const char kCompilationId[] = "1f031e03";

// A compilation without offsets (lengths from the disc), genre or label: track 2 has no artist of its own.
inline const char kCompilationEntry[] = "DTITLE=Various / Танцы\n"
                                        "TTITLE0=Alpha / One\n"
                                        "TTITLE1=Two\n"
                                        "TTITLE2=Гамма / Три / Bonus\n";

inline QStringList lines(const char *entry)
{
    QStringList l = QString::fromUtf8(entry).split(QLatin1Char('\n'));
    l.removeLast();
    return l;
}

} // namespace CddbEntries
