#include "BenchCommon.h"
#include "core/catalogue/BaseFiles.h"
#include "core/search/SearchIndex.h"
#include "core/text/Cp1251.h"

#include <QFile>

#include <cstdio>
#include <memory>
#include <vector>

using namespace Bench;

namespace {

// The plain way to filter: every chosen field of every record searched with QStringView::contains.
int plainScan(const TrackTable &table, const QString &needle, quint16 fields)
{
    int found = 0;
    for (int i = 1; i <= table.count(); ++i) {
        const TrackRecord record = table.at(i);
        for (int f = 0; f < 12; ++f) {
            if ((fields & (1u << f)) && record.at(f).contains(needle, Qt::CaseInsensitive)) {
                ++found;
                break;
            }
        }
    }
    return found;
}

void benchSearchSize(const QString &dir, int tracks, int runs)
{
    const QString path = dir + QStringLiteral("/search.dat");
    writeFile(path, generateBase(tracks, 4321));
    TrackTable table;
    BaseFiles::readBase(path, table);
    QFile::remove(path);

    // Building the index beside encoding the same records to the code page, the nearest raw work.
    std::vector<double> build, buildBase;
    std::shared_ptr<const SearchIndex> index;
    for (int r = 0; r < runs; ++r) {
        buildBase.push_back(timeMs([&] {
            QByteArray out;
            for (int i = 1; i <= table.count(); ++i)
                Cp1251::encodeAppend(table.at(i).joined(), out);
        }));
        index.reset();
        build.push_back(timeMs([&] { index = SearchIndex::build(table); }));
    }
    report("Search index build", tracks, median(build), median(buildBase), "encode all records");

    struct Case
    {
        const char *name;
        QString text;
        quint16 fields;
    };
    const Case cases[] = {
        {"Search 'a', all fields", QStringLiteral("a"), SearchIndex::kAllFields},
        {"Search 'a', title", QStringLiteral("a"), quint16(1u << TrackRecord::Title)},
        {"Search 'ab', all fields", QStringLiteral("ab"), SearchIndex::kAllFields},
        {"Search 'groove sound', all", QStringLiteral("groove sound"), SearchIndex::kAllFields},
        {"Search 'groove sound', title", QStringLiteral("groove sound"), quint16(1u << TrackRecord::Title)},
    };
    for (const Case &c : cases) {
        std::vector<double> found, plain;
        size_t hits = 0;
        int plainHits = 0;
        for (int r = 0; r < runs; ++r) {
            plain.push_back(timeMs([&] { plainHits = plainScan(table, c.text, c.fields); }));
            found.push_back(timeMs([&] { hits = index->find(c.text, c.fields)->size(); }));
        }
        report(c.name, tracks, median(found), median(plain), "QStringView::contains scan");
        if (hits != size_t(plainHits))
            std::printf("  MISMATCH: index found %zu tracks, the plain scan %d\n", hits, plainHits);
    }
}

} // namespace

void benchSearch(const QString &dir)
{
    benchSearchSize(dir, 100'000, 5);
    benchSearchSize(dir, 1'000'000, 3);
}
