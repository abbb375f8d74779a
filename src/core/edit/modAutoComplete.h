#pragma once

#include "core/catalogue/TrackTable.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

// Completion of what the user types into the editor's artist, album, style, label and comment boxes,
// from the values already in the catalogue. List i holds the values of editor box i (track field i - 1);
// lists 4, 6, 9, 10 and 11 are used. A list keeps its values in the order they were added, never two
// that are equal without regard to case, each in the case it had when first added. Values are never
// removed: the values of every base loaded in a run accumulate.
class modAutoComplete
{
public:
    static constexpr int kLists = 12;

    // Appends `value` to list `list` unless it is empty or the list already holds it (without regard to
    // case).
    void AddValue(int list, const QString &value);
    // The position (from 1) of the first value of the list equal to `value` without regard to case; 0
    // when there is none.
    int FindValue(int list, const QString &value) const;
    const QStringList &values(int list) const;

    // Feeds the lists from a freshly loaded base: the last 3001 tracks (all of them when there are
    // fewer), in index order, fields 3, 5, 8, 9 and 10 of each into lists 4, 6, 9, 10 and 11.
    void feed(const TrackTable &table);

    // What a completing box shows after a change.
    struct Completion {
        QString text;
        int selectionStart = 0;
        int selectionLength = 0;
    };

    // The completion of a box of list `list` holding `text` with the caret at `caret`:
    //  - after Backspace or Delete (`iDeleteKey` set) nothing, and the flag is cleared;
    //  - for an empty text nothing;
    //  - for a change made by a completion (`iAcSetting` set) nothing, and the flag is cleared;
    //  - otherwise the most recently added value that is longer than the text and starts with it (without
    //    regard to case), shown whole in its own case with the caret where it was and the rest selected;
    //    `iAcSetting` is then set, since the box's change that follows comes from the completion.
    std::optional<Completion> Complete(int list, const QString &text, int caret, bool &iDeleteKey,
                                       bool &iAcSetting) const;

private:
    struct ValueList;
    // A list is made on its first value. Copies of this object share their lists until one of them adds a
    // value, which first gives that copy a list of its own: copies never see each other's values.
    std::array<std::shared_ptr<ValueList>, kLists> m_lists;
};
