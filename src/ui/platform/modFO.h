#pragma once

#include <QString>

class QWidget;

// The shell's file copy: one source file to one destination path, with the questions and the error
// notice a file manager gives. Without flags it asks before replacing an existing file and tells the
// user when the copy fails; the flags turn those off and let it make missing folders.
namespace modFO {

enum Flag {
    NoFlags = 0,
    NoConfirmation = 0x10,  // replace an existing destination without asking
    NoConfirmMkdir = 0x200, // make missing destination folders without asking
    NoErrorUi = 0x400,      // tell the caller of a failure, not the user
    ReplaceLinks = 0x10000, // a link at the destination is replaced, never written through (outside media)
};

// Copies `from` to `to` as `flags` say, its questions and notices shown over `owner`. True only when the
// copy is complete at `to`; false when it failed or the user declined to replace the existing file
// (`error`, when given, says which).
bool copyFile(QWidget *owner, const QString &from, const QString &to, int flags = NoFlags, QString *error = nullptr);

} // namespace modFO
