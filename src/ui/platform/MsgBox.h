#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Message and input boxes. Every question or notice of the program goes through these two functions;
// nothing else shows a QMessageBox or a QInputDialog. Tests install an answerer that sees each request
// and returns the answer instead of showing a window.
namespace MsgBox {

enum Buttons { OkOnly, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum Icon { NoIcon, Critical, Question, Exclamation, Information };
enum Result { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
// Which of a box's buttons, from the left, is the default one (Enter presses it).
enum DefaultButton { FirstButton = 1, SecondButton = 2, ThirdButton = 3 };

struct Request
{
    QString text;
    Buttons buttons = OkOnly;
    Icon icon = NoIcon;
    DefaultButton defaultButton = FirstButton;
    QString title; // the window title as shown (the program's title when none was given)
    QWidget *parent = nullptr;
};

// The program's title, used when a box is shown without a title of its own.
QString programTitle();
void setProgramTitle(const QString &title);

// Shows a modal message box and returns the button pressed. `title` not given: the program's title;
// given as an empty string: an empty title. Closing the box with Esc or its frame answers Cancel where
// there is such a button, No for Yes/No, Ok for a lone Ok, and Ignore for Abort/Retry/Ignore.
Result show(QWidget *parent, const QString &text, Buttons buttons = OkOnly, Icon icon = NoIcon,
            DefaultButton defaultButton = FirstButton, const std::optional<QString> &title = std::nullopt);

// The program's confirmation: Yes and No with the question icon, No the default button, an empty title
// unless one is given. True only for Yes.
bool confirm(QWidget *parent, const QString &question, const QString &title = QString());

// The program's notice: a lone Ok, `icon`, an empty title.
void notice(QWidget *parent, const QString &text, Icon icon = Information);

// A reason as a sentence of its own: "на диске нет свободного места" becomes "На диске нет свободного места."
QString asSentence(QString reason);

struct InputRequest
{
    QString prompt;
    QString title;
    QString defaultText;
    QWidget *parent = nullptr;
};

// Shows a modal input box; returns the text typed, or an empty string when the user cancelled.
QString input(QWidget *parent, const QString &prompt, const std::optional<QString> &title = std::nullopt,
              const QString &defaultText = QString());

// Test hooks: while installed, the answerer is asked instead of showing a window. Pass nullptr to
// remove it. Each returns the previous answerer.
using Answerer = std::function<Result(const Request &)>;
using InputAnswerer = std::function<QString(const InputRequest &)>;
Answerer setAnswerer(Answerer answerer);
InputAnswerer setInputAnswerer(InputAnswerer answerer);

} // namespace MsgBox
