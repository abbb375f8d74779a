#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Writing a whole file so that it is either the old file or the complete new one, never anything in
// between, also when the disk fills up, the system fails a write or the program is killed halfway.
//
// The new content goes into a file without a name in the target's folder. commit() syncs it to the disk,
// gives it a temporary name beside the target, closes it and renames it over the target; every one of
// these steps is checked, and a failure at any of them removes what was made and leaves the target as
// it was. On a file system that cannot make nameless files a named temporary file is used instead.
// Nothing is buffered: write() hands every byte to the system at once and reports a failure there, so no
// last flush is left for commit() to miss.
//
// The error texts are in Russian, for the user: "на диске нет свободного места", not the system's words.
class AtomicFile
{
public:
    // What a link standing at the path means: the program's own files are written through it to the file it
    // points to; a copy onto a backup medium replaces the link itself and leaves its target alone.
    enum class Links { Follow, Replace };

    explicit AtomicFile(const QString &path, Links links = Links::Follow);
    ~AtomicFile(); // cancels an uncommitted write
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Starts writing. False when the target must not or cannot be replaced: it is read-only, it is a
    // folder, its folder is missing or cannot be written.
    bool open();
    // Appends `bytes`; false when they could not all be written.
    bool write(QByteArrayView bytes);
    // Puts the new file in place of the target. False, with the target unchanged, when any step failed.
    bool commit();
    // Drops the new content; the target stays as it was.
    void cancel();

    // What went wrong, when a call returned false.
    const QString &errorString() const { return m_error; }

    // Writes `content` to `path` through an AtomicFile. False, with the reason in `error`, on failure.
    static bool writeFile(const QString &path, QByteArrayView content, QString *error = nullptr);

    // For tests: with false, the named temporary file is used even where nameless files can be made.
    static void setNamelessFilesAllowed(bool allowed);

private:
    bool fail(int errnum);
    bool fail(const QString &reason);
    void discard();

    QString m_path;        // the file to replace (a link's target when the path is a link that is followed)
    QByteArray m_native;   // m_path in the file system's encoding
    QByteArray m_tempName; // the temporary name given to the new file, when it has one
    int m_fd = -1;
    bool m_named = false; // the new file was created with a name (no nameless files here)
    Links m_links = Links::Follow;
    QString m_error;
};

// Writes all of `bytes` to the file `fd` at its position, again after an interrupted or partial write.
// False with errno set when the system refused (ENOSPC when it took nothing); `written` counts what
// reached the file either way.
bool writeAll(int fd, QByteArrayView bytes, qsizetype *written = nullptr);

// The user's words for a system error number: "на диске нет свободного места" for ENOSPC, and so on for
// every cause a file operation meets; "системная ошибка номер N" for the rest.
QString systemErrorText(int errnum);
// The same for a reason Qt gave as text (a QFile's errorString()): the common causes, recognised by the
// system's wording, in Russian; anything else as it was.
QString systemErrorText(const QString &reason);
