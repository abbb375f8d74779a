#pragma once

#include "core/catalogue/Catalogue.h"
#include "core/edit/EditorState.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/ProgramPaths.h"

#include <QStringList>

// The values the program's windows share, created once at start-up. Each window is handed the parts it
// works with, not the whole; each test builds a fresh one in a temporary folder.
class modGlobalData
{
public:
    ProgramPaths paths;
    ProgramOptions options;
    Catalogue catalogue;
    EditorState editor;

    // The media types the editor offers, in list order.
    static QStringList mediaTypes();
};
