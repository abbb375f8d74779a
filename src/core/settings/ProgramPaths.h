#pragma once

#include <QString>

// Where the program keeps its files: its folder, the DATA folder with the bases and the Tracklist, the
// open base's file, and the folder the MP3 open dialogs start in.
class ProgramPaths
{
public:
    // The folder the program keeps its files in (settings.ini, the DATA folder), ending in "/".
    QString sAppPath;
    // sAppPath + "DATA/": the base files and the Tracklist file.
    QString sDataPath;
    // File name (not path) of the open base: its name + ".dat".
    QString sBaseFile;
    // Folder the MP3 open dialogs start in.
    QString sMp3Folder;

    QString baseFilePath() const { return sDataPath + sBaseFile; }
    QString tracklistPath() const { return sDataPath + QStringLiteral("otbor.lst"); }
    QString settingsPath() const { return sAppPath + QStringLiteral("settings.ini"); }
    // Sets sAppPath (through SlashPath) and sDataPath from the program's folder.
    void setAppPath(const QString &folder);
};

// `path` with a trailing "/" added when it has none.
QString SlashPath(const QString &path);
