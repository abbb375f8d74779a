#pragma once

// Helpers shared by the tests that start the whole program in a temporary folder.

#include "TestFiles.h"
#include "app/Program.h"
#include "ui/main/BaseSession.h"
#include "ui/main/frmMain.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/Twips.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <functional>
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
            return respond ? respond(request) : answer;
        });
    }
    ~Answers() { MsgBox::setAnswerer(m_previous); }
    Answers(const Answers &) = delete;
    Answers &operator=(const Answers &) = delete;

    QList<MsgBox::Request> asked;
    MsgBox::Result answer = MsgBox::Ok;
    MsgBox::Result screenAnswer = MsgBox::Yes;
    // When set, answers the requests other than the screen-size question instead of `answer`.
    std::function<MsgBox::Result(const MsgBox::Request &)> respond;

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
    // The texts of messages().
    QStringList texts() const
    {
        QStringList list;
        for (const auto &r : messages())
            list.append(r.text);
        return list;
    }

private:
    MsgBox::Answerer m_previous;
};

// Drives the modal windows a test opens: each shown dialog is handed to the next step queued. A dialog
// shown with no step left, or left open by its step, is closed and counted, so a test never hangs on it.
class Driver
{
public:
    using Step = std::function<void(QDialog *)>;

    Driver()
    {
        m_previous = Modal::setDriver([this](QDialog *dialog) {
            ++shown;
            if (m_steps.empty()) {
                ++unexpected;
                dialog->reject();
                return;
            }
            const Step step = m_steps.front();
            m_steps.pop_front();
            step(dialog);
            // A step must close what it opened; one that forgot is caught here rather than hanging.
            if (dialog->isVisible()) {
                ++leftOpen;
                dialog->reject();
            }
        });
    }
    ~Driver() { Modal::setDriver(m_previous); }
    Driver(const Driver &) = delete;
    Driver &operator=(const Driver &) = delete;

    void then(Step step) { m_steps.push_back(std::move(step)); }
    bool done() const { return m_steps.empty(); }

    int shown = 0;
    int unexpected = 0;
    int leftOpen = 0;

private:
    std::deque<Step> m_steps;
    Modal::Driver m_previous;
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

// One run of the program in a temporary folder, with its message boxes answered and its modal windows
// driven. Destroyed, it closes the program first, then removes its hooks and its folder.
class Session
{
public:
    // Writes base `baseName` (in DATA) and, when given, settings.ini; then starts the program and, unless
    // told not to, waits until a base large enough to be read in the background is read.
    bool start(const QString &baseName, const QByteArray &base, const QByteArray &settings = QByteArray(),
               bool waitForLoad = true)
    {
        writeBytes(folder.data(baseName), base);
        if (!settings.isEmpty())
            writeBytes(folder.file(QStringLiteral("settings.ini")), settings);
        program = std::make_unique<Program>(folder.path());
        if (!program->Main())
            return false;
        if (waitForLoad) {
            QElapsedTimer waited;
            waited.start();
            while (program->main->features().session->isLoading() && waited.elapsed() < 60'000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        return !waitForLoad || !program->main->features().session->isLoading();
    }
    // Closes the program as the user would and returns how many modal windows were left for the driver
    // to close: a test expects none.
    int finish()
    {
        if (program && program->main)
            program->main->close();
        program.reset();
        return driver.leftOpen + driver.unexpected;
    }
    ~Session() { finish(); }

    Folder folder;
    Answers answers;
    Driver driver;
    std::unique_ptr<Program> program;
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
