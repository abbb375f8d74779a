#pragma once

// Helpers shared by the tests that start the whole program in a temporary folder.

#include "app/Program.h"
#include "platform/MsgBox.h"
#include "platform/Twips.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace TestSupport {

// Answers every message box, records what was asked. The screen-size question is answered Yes unless
// told otherwise; anything else gets `answer`.
class Answers
{
public:
    Answers()
    {
        m_previous = MsgBox::setAnswerer([this](const MsgBox::Request &request) {
            asked.append(request);
            if (request.text.startsWith(QStringLiteral("Программе для нормального функционирования")))
                return screenAnswer;
            return answer;
        });
    }
    ~Answers() { MsgBox::setAnswerer(m_previous); }
    Answers(const Answers &) = delete;
    Answers &operator=(const Answers &) = delete;

    QList<MsgBox::Request> asked;
    MsgBox::Result answer = MsgBox::Ok;
    MsgBox::Result screenAnswer = MsgBox::Yes;

    // The requests other than the screen-size question.
    QList<MsgBox::Request> messages() const
    {
        QList<MsgBox::Request> list;
        for (const auto &r : asked) {
            if (!r.text.startsWith(QStringLiteral("Программе для нормального функционирования")))
                list.append(r);
        }
        return list;
    }

private:
    MsgBox::Answerer m_previous;
};

// A temporary program folder with its DATA folder.
class Folder
{
public:
    Folder() { QDir(m_dir.path()).mkdir(QStringLiteral("DATA")); }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString data(const QString &name) const { return m_dir.filePath(QStringLiteral("DATA/") + name); }

private:
    QTemporaryDir m_dir;
};

// The lines of a base file of `count` tracks, as the program writes them.
inline QByteArray baseLines(int count, const QByteArray &prefix = "CD")
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += prefix + "\t" + QByteArray::number(i) + "\t1\tArtist " + QByteArray::number(i) + "\tTitle " +
                 QByteArray::number(i) + "\t\t\t\t\t\t\t\t\t\r\n";
    return bytes;
}

} // namespace TestSupport
