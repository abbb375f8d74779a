#include "MsgBox.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>

#include <array>
#include <utility>

namespace MsgBox {

namespace {

// The installed test hooks. They are copied before being called, so an answerer may replace itself or
// ask another question while it runs.
Answerer &installedAnswerer()
{
    static Answerer instance;
    return instance;
}

InputAnswerer &installedInputAnswerer()
{
    static InputAnswerer instance;
    return instance;
}

std::optional<QString> &programTitleStorage()
{
    static std::optional<QString> title;
    return title;
}

// The buttons of each set in their classic order, left to right, and the answer of Esc or the window's
// close button.
struct ButtonSet
{
    std::array<Result, 3> buttons;
    int count;
    Result escape;
};

ButtonSet buttonSet(Buttons buttons)
{
    switch (buttons) {
    case OkOnly:
        break;
    case OkCancel:
        return {{Ok, Cancel, Cancel}, 2, Cancel};
    case AbortRetryIgnore:
        return {{Abort, Retry, Ignore}, 3, Ignore};
    case YesNoCancel:
        return {{Yes, No, Cancel}, 3, Cancel};
    case YesNo:
        return {{Yes, No, No}, 2, No};
    case RetryCancel:
        return {{Retry, Cancel, Cancel}, 2, Cancel};
    }
    return {{Ok, Ok, Ok}, 1, Ok};
}

QMessageBox::StandardButton standardButton(Result result)
{
    switch (result) {
    case Ok:
        return QMessageBox::Ok;
    case Cancel:
        return QMessageBox::Cancel;
    case Abort:
        return QMessageBox::Abort;
    case Retry:
        return QMessageBox::Retry;
    case Ignore:
        return QMessageBox::Ignore;
    case Yes:
        return QMessageBox::Yes;
    case No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

std::optional<Result> resultOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return Ok;
    case QMessageBox::Cancel:
        return Cancel;
    case QMessageBox::Abort:
        return Abort;
    case QMessageBox::Retry:
        return Retry;
    case QMessageBox::Ignore:
        return Ignore;
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    default:
        return std::nullopt;
    }
}

QMessageBox::Icon messageBoxIcon(Icon icon)
{
    switch (icon) {
    case NoIcon:
        break;
    case Critical:
        return QMessageBox::Critical;
    case Question:
        return QMessageBox::Question;
    case Exclamation:
        return QMessageBox::Warning;
    case Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QString resolveTitle(const std::optional<QString> &title)
{
    return title ? *title : programTitle();
}

} // namespace

QString programTitle()
{
    const std::optional<QString> &title = programTitleStorage();
    return title ? *title : QGuiApplication::applicationDisplayName();
}

void setProgramTitle(const QString &title)
{
    programTitleStorage() = title;
}

Result show(QWidget *parent, const QString &text, Buttons buttons, Icon icon, DefaultButton defaultButton,
            const std::optional<QString> &title)
{
    const ButtonSet set = buttonSet(buttons);

    Request request;
    request.text = text;
    request.buttons = buttons;
    request.icon = icon;
    // A position with no button falls back to the first button; the request tells the position the box uses.
    request.defaultButton = defaultButton >= FirstButton && defaultButton <= set.count ? defaultButton : FirstButton;
    request.title = resolveTitle(title);
    request.parent = parent;

    if (const Answerer answer = installedAnswerer())
        return answer(request);

    // On the heap with a guard: the parent may go away while the box's event loop runs, taking the box
    // with it.
    QPointer<QMessageBox> box = new QMessageBox(parent);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowTitle(request.title);
    // Messages quote names from the collection, which may hold '<' and '&'; they are never markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setIcon(messageBoxIcon(icon));
    for (int i = 0; i < set.count; ++i)
        box->addButton(standardButton(set.buttons[size_t(i)]));
    box->setDefaultButton(standardButton(set.buttons[size_t(request.defaultButton - 1)]));
    box->setEscapeButton(box->button(standardButton(set.escape)));

    box->exec();

    if (!box)
        return set.escape;
    const std::optional<Result> pressed = resultOf(box->standardButton(box->clickedButton()));
    delete box.data();
    return pressed.value_or(set.escape);
}

QString asSentence(QString reason)
{
    reason = reason.trimmed();
    if (reason.isEmpty())
        return reason;
    reason[0] = reason[0].toUpper();
    if (!reason.endsWith(QLatin1Char('.')) && !reason.endsWith(QLatin1Char('!')) && !reason.endsWith(QLatin1Char('?')))
        reason += QLatin1Char('.');
    return reason;
}

bool confirm(QWidget *parent, const QString &question, const QString &title)
{
    return show(parent, question, YesNo, Question, SecondButton, title) == Yes;
}

void notice(QWidget *parent, const QString &text, Icon icon)
{
    show(parent, text, OkOnly, icon, FirstButton, QString());
}

QString input(QWidget *parent, const QString &prompt, const std::optional<QString> &title, const QString &defaultText)
{
    InputRequest request;
    request.prompt = prompt;
    request.title = resolveTitle(title);
    request.defaultText = defaultText;
    request.parent = parent;

    if (const InputAnswerer answer = installedInputAnswerer())
        return answer(request);

    QPointer<QInputDialog> dialog = new QInputDialog(parent);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setWindowTitle(request.title);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    if (QLabel *label = dialog->findChild<QLabel *>())
        label->setTextFormat(Qt::PlainText);

    const int result = dialog->exec();

    if (!dialog)
        return QString();
    const QString text = result == QDialog::Accepted ? dialog->textValue() : QString();
    delete dialog.data();
    return text;
}

Answerer setAnswerer(Answerer answerer)
{
    return std::exchange(installedAnswerer(), std::move(answerer));
}

InputAnswerer setInputAnswerer(InputAnswerer answerer)
{
    return std::exchange(installedInputAnswerer(), std::move(answerer));
}

} // namespace MsgBox
