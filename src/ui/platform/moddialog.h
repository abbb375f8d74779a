#pragma once

#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

// The file dialogs: a path chosen by the user, or an empty text when the user cancelled. A filter is
// given as the program builds it: pairs of a description and a pattern, each followed by a NUL ("MP3
// File\0*.mp3\0"), or a lone pattern ("*.txt").
namespace moddialog {

struct Request
{
    bool save = false;
    bool folder = false; // a folder is asked for, not a file
    QString initialFolder;
    QString title;
    QString filter;
    QString defaultExtension;
    QString initialName;
};

// Asks for an existing file to read.
QString ShowOpen(QWidget *owner, const QString &initialFolder, const QString &title, const QString &filter);
// Asks for a file to write; an existing file is accepted without a question (the caller replaces it).
QString ShowSave(QWidget *owner, const QString &initialFolder, const QString &title, const QString &filter,
                 const QString &defaultExtension, const QString &initialName);

// Asks for an existing folder.
QString ShowFolder(QWidget *owner, const QString &initialFolder, const QString &title);

// The dialog shown for `request`, set up but not shown. Patterns match names whatever their case, so
// "*.mp3" lists "TRACK.MP3" too.
std::unique_ptr<QFileDialog> createDialog(QWidget *owner, const Request &request);

// The filter in the dialog's own form: "MP3 File (*.mp3)", one entry a line.
QString dialogFilter(const QString &filter);

// Test hook: while installed, the answerer is asked instead of showing a dialog. Returns the previous one.
using Answerer = std::function<QString(const Request &)>;
Answerer setAnswerer(Answerer answerer);

} // namespace moddialog
