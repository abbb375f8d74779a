#include "BenchCommon.h"
#include "core/edit/modAutoComplete.h"

#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <cstdio>
#include <iterator>
#include <vector>

using namespace Bench;

namespace {

constexpr int kValues = 100'000;
constexpr int kList = 4; // the artist box
constexpr int kRuns = 7;

// `count` distinct generated values of two words each, half Cyrillic and half Latin, the same every run.
QStringList generateValues(int count)
{
    static const char *const kLatin[] = {"ba", "de", "ki", "lo", "mu", "na", "or", "pe", "ri", "sa",
                                         "te", "vi", "xo", "ze", "an", "el", "is", "ou", "gr", "st"};
    static const char16_t *const kCyrillic[] = {u"ба", u"ве", u"го", u"да", u"жи", u"за", u"ко", u"ла", u"ми", u"но",
                                                u"пе", u"ро", u"су", u"та", u"фе", u"хо", u"це", u"ша", u"ю",  u"я"};
    QRandomGenerator random(4321);
    const auto word = [&random](bool cyrillic) {
        QString w;
        const int syllables = 2 + random.bounded(3);
        for (int i = 0; i < syllables; ++i)
            w += cyrillic ? QString::fromUtf16(kCyrillic[random.bounded(int(std::size(kCyrillic)))])
                          : QLatin1String(kLatin[random.bounded(int(std::size(kLatin)))]);
        w[0] = w[0].toUpper();
        return w;
    };
    QStringList values;
    QSet<QString> seen;
    while (values.size() < count) {
        const bool cyrillic = random.bounded(2) == 0;
        const QString value = word(cyrillic) + QLatin1Char(' ') + word(cyrillic);
        if (!seen.contains(value.toUpper())) {
            seen.insert(value.toUpper());
            values.append(value);
        }
    }
    return values;
}

// The plain way: every value compared without case, from the latest back, until one is longer and starts
// with the text.
const QString *plainLookup(const QStringList &values, const QString &text)
{
    for (qsizetype i = values.size(); i-- > 0;) {
        if (values[i].size() > text.size() && values[i].startsWith(text, Qt::CaseInsensitive))
            return &values[i];
    }
    return nullptr;
}

void benchLookup(const char *work, const char *baseline, const modAutoComplete &ac, const QStringList &values,
                 const QString &text, int repeats)
{
    // Both ways must agree, or the figures compare different work.
    bool deleteKey = false, acSetting = false;
    const auto proposed = ac.Complete(kList, text, int(text.size()), deleteKey, acSetting);
    const QString *plain = plainLookup(values, text);
    if (proposed.has_value() != (plain != nullptr) || (plain && proposed->text != *plain))
        std::printf("  (completion of \"%s\" differs from the plain lookup)\n", qPrintable(text));

    std::vector<double> ours, base;
    for (int r = 0; r < kRuns; ++r) {
        base.push_back(timeMs([&] {
            int found = 0;
            for (int k = 0; k < repeats; ++k)
                found += plainLookup(values, text) != nullptr;
            Q_UNUSED(found);
        }));
        ours.push_back(timeMs([&] {
            int found = 0;
            for (int k = 0; k < repeats; ++k) {
                bool del = false, setting = false;
                found += ac.Complete(kList, text, int(text.size()), del, setting).has_value();
            }
            Q_UNUSED(found);
        }));
    }
    report(work, kValues, median(ours), median(base), baseline);
}

} // namespace

void benchCompletion()
{
    const QStringList values = generateValues(kValues);
    modAutoComplete ac;
    for (const QString &value : values)
        ac.AddValue(kList, value);

    // Each lookup is timed `repeats` times in a row so the figure is well above the timer's resolution.
    // Near the end: the second of the latest values, all but its last letter typed in lower case.
    const QString nearEnd = values.at(values.size() - 2).chopped(1).toLower();
    // Near the start: the scan passes nearly every value first.
    const QString nearStart = values.at(3).chopped(1).toLower();
    // Not found, with the first two letters of many values, so the scan compares more than one letter.
    const QString notFound = values.at(7).left(2).toLower() + QStringLiteral("щщ");
    const auto positionOf = [&](const QString &text) {
        bool deleteKey = false, acSetting = false;
        const auto c = ac.Complete(kList, text, int(text.size()), deleteKey, acSetting);
        return c ? ac.FindValue(kList, c->text) : 0;
    };
    std::printf("Completion over %d values, each figure many completions in a row (found at values %d and %d)\n",
                kValues, positionOf(nearEnd), positionOf(nearStart));
    benchLookup("Complete x10000: near end", "startsWith loop x10000", ac, values, nearEnd, 10'000);
    benchLookup("Complete x100: near start", "startsWith loop x100", ac, values, nearStart, 100);
    benchLookup("Complete x100: not found", "startsWith loop x100", ac, values, notFound, 100);

    std::vector<double> add, append;
    for (int r = 0; r < kRuns; ++r) {
        append.push_back(timeMs([&] {
            QStringList plain;
            for (const QString &value : values)
                plain.append(value);
        }));
        add.push_back(timeMs([&] {
            modAutoComplete fresh;
            for (const QString &value : values)
                fresh.AddValue(kList, value);
        }));
    }
    report("AddValue x100000", kValues, median(add), median(append), "QStringList append");
}
