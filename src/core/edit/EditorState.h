#pragma once

#include "core/media/modMP3Tags.h"

// What the track editor shares with the windows that open it: whether it is open and for what, the two
// flags of its completion, and the MP3 tag buffer of its tag buttons.
struct EditorState
{
    bool iEditorOpen = false;
    // The editor adds a new track (true) or changes the chosen one (false).
    bool iAddMode = false;
    // The next change of a completing box comes from a completion (or the program is closing): no
    // completion then.
    bool iAcSetting = false;
    // The last key in a completing box was Backspace or Delete: no completion for the change it makes.
    bool iDeleteKey = false;
    // Filled by reading a file's tag, written to another.
    modMP3Tags::TagBuffer tagBuffer;
};
