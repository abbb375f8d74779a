#pragma once

#include "core/catalogue/TrackTable.h"
#include "core/edit/modAutoComplete.h"
#include "core/media/modMP3Tags.h"

#include <QString>
#include <QStringList>

#include <array>

// A column of the main list: its caption and its width in screen pixels. Entry k names track field k.
struct ColumnInfo {
    QString caption;
    int width = 0;
};

// The values the program's windows share, created once at start-up and handed to every window. Each
// test builds a fresh one in a temporary folder.
class modGlobalData
{
public:
    static constexpr int kColumnCount = 12;

    modGlobalData();

    // The folder the program keeps its files in (settings.ini, the DATA folder), ending in "/".
    QString sAppPath;
    // sAppPath + "DATA/": the base files and the Tracklist file.
    QString sDataPath;
    // File name (not path) of the open base: its name + ".dat".
    QString sBaseFile;
    // Folder the MP3 open dialogs start in.
    QString sMp3Folder;

    // Names of the bases found in the DATA folder at start-up, in menu order.
    QStringList baseNames;
    // Position of the open base in the bases menu, from 0.
    int iSelectedBase = 0;

    bool iBaseLoaded = false;
    bool iEditorOpen = false;
    bool iAddMode = false;
    int iDisableXP = 0;
    bool iAcSetting = false;
    bool iDeleteKey = false;

    TrackTable arTracks;
    // The values the editor completes from (lists by editor box).
    modAutoComplete colAutoComplete;
    std::array<ColumnInfo, kColumnCount> arColumns;
    // The MP3 tag buffer of the editor's tag buttons: filled by reading a file's tag, written to another.
    modMP3Tags::TagBuffer tagBuffer;

    // Fills the column table with the captions and default widths of the twelve shown fields.
    void fillColumns();

    // Full path of the open base file, and of the Tracklist file.
    QString baseFilePath() const { return sDataPath + sBaseFile; }
    QString tracklistPath() const { return sDataPath + QStringLiteral("otbor.lst"); }
    QString settingsPath() const { return sAppPath + QStringLiteral("settings.ini"); }
    // Sets sAppPath (through SlashPath) and sDataPath from the program's folder.
    void setAppPath(const QString &folder);

    // The media types the editor offers, in list order.
    static QStringList mediaTypes();
};

// `path` with a trailing "/" added when it has none.
QString SlashPath(const QString &path);
