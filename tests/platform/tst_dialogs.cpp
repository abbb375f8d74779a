#include "platform/Modal.h"
#include "platform/MsgBox.h"
#include "platform/Twips.h"
#include "platform/VisualStyle.h"

#include <QtTest>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <functional>
#include <optional>

using OptionalTitle = std::optional<QString>;

namespace {

const QString ProgramTitle = QStringLiteral("Картотека");

// Acts once on the next modal window of type T, from a timer running inside that window's event loop.
// Should the action leave the window up, the window is hidden on the next tick: the test then fails on
// the answer instead of hanging.
template<class T>
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(T *)> action)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this, action] {
            T *window = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!window)
                return;
            if (m_acted) {
                m_leftOpen = true;
                window->hide();
            } else {
                m_acted = true;
                action(window);
            }
        });
        m_timer.start();
    }

    bool acted() const { return m_acted; }
    bool leftOpen() const { return m_leftOpen; }

private:
    QTimer m_timer;
    bool m_acted = false;
    bool m_leftOpen = false;
};

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class tst_dialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { MsgBox::setProgramTitle(ProgramTitle); }
    void cleanup();

    void msgBoxAnswerer_data();
    void msgBoxAnswerer();
    void msgBoxAnswererReplacesItself();
    void msgBoxShown_data();
    void msgBoxShown();
    void inputAnswerer();
    void inputShown_data();
    void inputShown();

    void modalShow_data();
    void modalShow();

    void visualStyleClassic();

    void twipsConversions();
    void twipsRectEdges();
};

void tst_dialogs::cleanup()
{
    MsgBox::setAnswerer(nullptr);
    MsgBox::setInputAnswerer(nullptr);
    Modal::setDriver(nullptr);
    Twips::setPerPixelForTesting(0, 0);
}

void tst_dialogs::msgBoxAnswerer_data()
{
    QTest::addColumn<MsgBox::Buttons>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<OptionalTitle>("title");
    QTest::addColumn<int>("expectedDefault");
    QTest::addColumn<QString>("expectedTitle");

    QTest::newRow("no title: program's") << MsgBox::YesNo << 2 << OptionalTitle() << 2 << ProgramTitle;
    QTest::newRow("empty title stays empty") << MsgBox::OkOnly << 1 << OptionalTitle(QString()) << 1 << QString();
    QTest::newRow("own title") << MsgBox::AbortRetryIgnore << 3 << OptionalTitle(QStringLiteral("Удаление")) << 3
                               << QStringLiteral("Удаление");
    QTest::newRow("default past the last button") << MsgBox::OkCancel << 3 << OptionalTitle() << 1 << ProgramTitle;
    QTest::newRow("default zero") << MsgBox::YesNoCancel << 0 << OptionalTitle() << 1 << ProgramTitle;
}

void tst_dialogs::msgBoxAnswerer()
{
    QFETCH(MsgBox::Buttons, buttons);
    QFETCH(int, defaultButton);
    QFETCH(OptionalTitle, title);

    QWidget parent;
    std::optional<MsgBox::Request> seen;
    MsgBox::setAnswerer([&](const MsgBox::Request &request) {
        seen = request;
        return MsgBox::Retry;
    });
    const QString text = QStringLiteral("Удалить «Blue Monday»?");
    QCOMPARE(MsgBox::show(&parent, text, buttons, MsgBox::Exclamation, defaultButton, title), MsgBox::Retry);

    QVERIFY(seen);
    QCOMPARE(seen->text, text);
    QCOMPARE(seen->buttons, buttons);
    QCOMPARE(seen->icon, MsgBox::Exclamation);
    QTEST(seen->defaultButton, "expectedDefault");
    QTEST(seen->title, "expectedTitle");
    QCOMPARE(seen->parent, &parent);
}

// The answerer is called from a copy: it may swap itself out and ask a further question while it runs.
void tst_dialogs::msgBoxAnswererReplacesItself()
{
    const QString label = QStringLiteral("внешний");
    QString labelAfterSwap;
    MsgBox::setAnswerer([label, &labelAfterSwap](const MsgBox::Request &) {
        MsgBox::setAnswerer([](const MsgBox::Request &) { return MsgBox::No; });
        const MsgBox::Result inner = MsgBox::show(nullptr, QStringLiteral("вложенный"), MsgBox::YesNo);
        labelAfterSwap = label;
        return inner == MsgBox::No ? MsgBox::Yes : MsgBox::Cancel;
    });
    QCOMPARE(MsgBox::show(nullptr, QStringLiteral("вопрос"), MsgBox::YesNo), MsgBox::Yes);
    QCOMPARE(labelAfterSwap, label);
    QCOMPARE(MsgBox::show(nullptr, QStringLiteral("снова"), MsgBox::YesNo), MsgBox::No);
}

void tst_dialogs::msgBoxShown_data()
{
    QTest::addColumn<MsgBox::Buttons>("buttons");
    QTest::addColumn<MsgBox::Icon>("icon");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<OptionalTitle>("title");
    QTest::addColumn<int>("key"); // 0: closed from the window frame
    QTest::addColumn<QMessageBox::StandardButtons>("expectedButtons");
    QTest::addColumn<QMessageBox::StandardButton>("expectedDefault");
    QTest::addColumn<QMessageBox::StandardButton>("expectedEscape");
    QTest::addColumn<QMessageBox::Icon>("expectedIcon");
    QTest::addColumn<QString>("expectedTitle");
    QTest::addColumn<MsgBox::Result>("expected");

    using QMB = QMessageBox;
    const QMB::StandardButtons yesNo = QMB::Yes | QMB::No;
    const QMB::StandardButtons okCancel = QMB::Ok | QMB::Cancel;
    const QMB::StandardButtons ari = QMB::Abort | QMB::Retry | QMB::Ignore;
    const QMB::StandardButtons ync = QMB::Yes | QMB::No | QMB::Cancel;
    const OptionalTitle none;
    const int enter = Qt::Key_Return;
    const int esc = Qt::Key_Escape;

    QTest::newRow("YesNo, default No, Enter") << MsgBox::YesNo << MsgBox::Question << 2 << none << enter << yesNo
                                              << QMB::No << QMB::No << QMB::Question << ProgramTitle << MsgBox::No;
    QTest::newRow("YesNo, Esc") << MsgBox::YesNo << MsgBox::Exclamation << 1 << OptionalTitle(QString()) << esc
                                << yesNo << QMB::Yes << QMB::No << QMB::Warning << QString() << MsgBox::No;
    QTest::newRow("YesNo, frame closed") << MsgBox::YesNo << MsgBox::Critical << 1 << none << 0 << yesNo << QMB::Yes
                                         << QMB::No << QMB::Critical << ProgramTitle << MsgBox::No;
    QTest::newRow("OkOnly, Esc") << MsgBox::OkOnly << MsgBox::Information << 1 << OptionalTitle(QStringLiteral("Итог"))
                                 << esc << QMB::StandardButtons(QMB::Ok) << QMB::Ok << QMB::Ok << QMB::Information
                                 << QStringLiteral("Итог") << MsgBox::Ok;
    QTest::newRow("OkCancel, Esc") << MsgBox::OkCancel << MsgBox::NoIcon << 1 << none << esc << okCancel << QMB::Ok
                                   << QMB::Cancel << QMB::NoIcon << ProgramTitle << MsgBox::Cancel;
    QTest::newRow("OkCancel, default past the end, Enter") << MsgBox::OkCancel << MsgBox::NoIcon << 3 << none
                                                           << enter << okCancel << QMB::Ok << QMB::Cancel
                                                           << QMB::NoIcon << ProgramTitle << MsgBox::Ok;
    QTest::newRow("AbortRetryIgnore, default Ignore, Enter") << MsgBox::AbortRetryIgnore << MsgBox::Critical << 3
                                                             << none << enter << ari << QMB::Ignore << QMB::Ignore
                                                             << QMB::Critical << ProgramTitle << MsgBox::Ignore;
    QTest::newRow("AbortRetryIgnore, Esc") << MsgBox::AbortRetryIgnore << MsgBox::Critical << 1 << none << esc << ari
                                           << QMB::Abort << QMB::Ignore << QMB::Critical << ProgramTitle
                                           << MsgBox::Ignore;
    QTest::newRow("YesNoCancel, default No, Enter") << MsgBox::YesNoCancel << MsgBox::Question << 2 << none << enter
                                                    << ync << QMB::No << QMB::Cancel << QMB::Question << ProgramTitle
                                                    << MsgBox::No;
    QTest::newRow("YesNoCancel, Esc") << MsgBox::YesNoCancel << MsgBox::Question << 1 << none << esc << ync
                                      << QMB::Yes << QMB::Cancel << QMB::Question << ProgramTitle << MsgBox::Cancel;
    QTest::newRow("RetryCancel, Enter") << MsgBox::RetryCancel << MsgBox::Exclamation << 1 << none << enter
                                        << (QMB::Retry | QMB::Cancel) << QMB::Retry << QMB::Cancel << QMB::Warning
                                        << ProgramTitle << MsgBox::Retry;
}

void tst_dialogs::msgBoxShown()
{
    QFETCH(MsgBox::Buttons, buttons);
    QFETCH(MsgBox::Icon, icon);
    QFETCH(int, defaultButton);
    QFETCH(OptionalTitle, title);
    QFETCH(int, key);

    QWidget owner;
    owner.show();
    QMessageBox::StandardButtons shownButtons;
    QMessageBox::StandardButton shownDefault = QMessageBox::NoButton;
    QMessageBox::StandardButton shownEscape = QMessageBox::NoButton;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    QString shownTitle;
    QString shownText;
    bool shownPlain = false;
    bool wasModal = false;
    ModalAnswer<QMessageBox> answer([&](QMessageBox *box) {
        shownButtons = box->standardButtons();
        shownDefault = box->standardButton(box->defaultButton());
        shownEscape = box->standardButton(box->escapeButton());
        shownIcon = box->icon();
        shownTitle = box->windowTitle();
        shownText = box->text();
        shownPlain = box->textFormat() == Qt::PlainText;
        wasModal = box->windowModality() == Qt::ApplicationModal && box->parentWidget() == &owner;
        if (key)
            QTest::keyClick(box, Qt::Key(key));
        else
            box->close();
    });
    // Names from the collection may look like markup; the box shows them as they are.
    const QString text = QStringLiteral("<b>Трек</b> & Co");
    const MsgBox::Result result = MsgBox::show(&owner, text, buttons, icon, defaultButton, title);

    QVERIFY(answer.acted());
    QVERIFY2(!answer.leftOpen(), "the box stayed open after the answer");
    QTEST(result, "expected");
    QTEST(shownButtons, "expectedButtons");
    QTEST(shownDefault, "expectedDefault");
    QTEST(shownEscape, "expectedEscape");
    QTEST(shownIcon, "expectedIcon");
    QTEST(shownTitle, "expectedTitle");
    QCOMPARE(shownText, text);
    QVERIFY(shownPlain);
    QVERIFY(wasModal);
    QVERIFY(owner.findChildren<QMessageBox *>().isEmpty());
}

void tst_dialogs::inputAnswerer()
{
    std::optional<MsgBox::InputRequest> seen;
    MsgBox::setInputAnswerer([&](const MsgBox::InputRequest &request) {
        seen = request;
        return QStringLiteral("Техно");
    });
    QWidget parent;
    QCOMPARE(MsgBox::input(&parent, QStringLiteral("Жанр:"), std::nullopt, QStringLiteral("Хаус")),
             QStringLiteral("Техно"));
    QVERIFY(seen);
    QCOMPARE(seen->prompt, QStringLiteral("Жанр:"));
    QCOMPARE(seen->title, ProgramTitle);
    QCOMPARE(seen->defaultText, QStringLiteral("Хаус"));
    QCOMPARE(seen->parent, &parent);

    MsgBox::input(nullptr, QString(), QString());
    QCOMPARE(seen->title, QString());
}

void tst_dialogs::inputShown_data()
{
    QTest::addColumn<QString>("typed"); // replaces the default text when not null
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("expected");

    QTest::newRow("cancelled") << QStringLiteral("Диско") << false << QString();
    QTest::newRow("default kept") << QString() << true << QStringLiteral("Хаус");
    QTest::newRow("typed") << QStringLiteral("Диско") << true << QStringLiteral("Диско");
}

void tst_dialogs::inputShown()
{
    QFETCH(QString, typed);
    QFETCH(bool, accept);

    QString shownTitle;
    QString shownPrompt;
    QString shownDefault;
    ModalAnswer<QInputDialog> answer([&](QInputDialog *dialog) {
        shownTitle = dialog->windowTitle();
        shownPrompt = dialog->labelText();
        shownDefault = dialog->textValue();
        auto *edit = dialog->findChild<QLineEdit *>();
        if (!typed.isNull() && edit) {
            edit->selectAll();
            typeText(edit, typed);
        }
        QTest::keyClick(edit ? static_cast<QWidget *>(edit) : dialog, accept ? Qt::Key_Return : Qt::Key_Escape);
    });
    const QString result = MsgBox::input(nullptr, QStringLiteral("Жанр:"), QStringLiteral("Новый жанр"),
                                         QStringLiteral("Хаус"));

    QVERIFY(answer.acted());
    QVERIFY2(!answer.leftOpen(), "the input box stayed open after the answer");
    QTEST(result, "expected");
    QCOMPARE(shownTitle, QStringLiteral("Новый жанр"));
    QCOMPARE(shownPrompt, QStringLiteral("Жанр:"));
    QCOMPARE(shownDefault, QStringLiteral("Хаус"));
}

void tst_dialogs::modalShow_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("hasParent");
    QTest::addColumn<int>("expected");

    QTest::newRow("hidden by its own button") << QStringLiteral("hide") << false << 0;
    QTest::newRow("accepted") << QStringLiteral("accept") << false << int(QDialog::Accepted);
    QTest::newRow("done with a code") << QStringLiteral("done") << false << 7;
    QTest::newRow("own parent kept") << QStringLiteral("accept") << true << int(QDialog::Accepted);
}

void tst_dialogs::modalShow()
{
    QFETCH(QString, action);
    QFETCH(bool, hasParent);

    QWidget owner;
    QWidget ownParent;
    owner.show();
    QPointer<QDialog> dialog = new QDialog(hasParent ? &ownParent : nullptr,
                                           Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                               | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const Qt::WindowFlags flags = dialog->windowFlags(); // as Qt completed them
    auto *hideButton = new QPushButton(QStringLiteral("Скрыть"), dialog);
    connect(hideButton, &QPushButton::clicked, dialog, &QWidget::hide);
    QWidget *const expectedParent = hasParent ? &ownParent : &owner;

    int driverCalls = 0;
    bool shownAsExpected = false;
    Modal::setDriver([&](QDialog *driven) {
        ++driverCalls;
        shownAsExpected = driven == dialog && driven->isVisible() && driven->isWindow()
                          && driven->windowModality() == Qt::ApplicationModal
                          && driven->parentWidget() == expectedParent && driven->windowFlags() == flags;
        if (action == QLatin1String("hide"))
            hideButton->click();
        else if (action == QLatin1String("accept"))
            driven->accept();
        else
            driven->done(7);
    });
    const int result = Modal::show(dialog, &owner);

    QCOMPARE(driverCalls, 1);
    QVERIFY(shownAsExpected);
    QTEST(result, "expected");
    QVERIFY(dialog);
    QVERIFY(dialog->isHidden());
    QCOMPARE(dialog->windowFlags(), flags);
    // Lent to the owner only while shown, so that it does not die with it.
    QCOMPARE(dialog->parentWidget(), hasParent ? &ownParent : nullptr);
    delete dialog;
}

void tst_dialogs::visualStyleClassic()
{
    QDialog plain;
    if (VisualStyle::isClassic(&plain))
        QSKIP("the application style is the classic one already");

    QDialog dialog;
    auto *group = new QGroupBox(&dialog);
    auto *before = new QLineEdit(group);
    VisualStyle::apply(&dialog, true);
    VisualStyle::apply(&plain, false);

    auto *after = new QPushButton(&dialog);
    auto *nestedAfter = new QCheckBox(group);
    auto *moved = new QWidget;
    auto *movedChild = new QLabel(moved);
    moved->setParent(group);
    dialog.show();

    const QList<QWidget *> classic = {&dialog, group, before, after, nestedAfter, moved, movedChild};
    for (QWidget *widget : classic)
        QVERIFY2(VisualStyle::isClassic(widget), widget->metaObject()->className());
    QVERIFY(!VisualStyle::isClassic(&plain));

    QDialog other;
    VisualStyle::apply(&other, true);
    QCOMPARE(other.style(), dialog.style());

    VisualStyle::apply(&dialog, false);
    new QPushButton(group);
    for (QWidget *widget : dialog.findChildren<QWidget *>())
        QVERIFY2(!VisualStyle::isClassic(widget), widget->metaObject()->className());
}

void tst_dialogs::twipsConversions()
{
    Twips::setPerPixelForTesting(15, 12);
    QCOMPARE(Twips::toPixelsX(1440), 96);
    QCOMPARE(Twips::toPixelsY(1440), 120);
    QCOMPARE(Twips::toPixelsX(7), 0);
    QCOMPARE(Twips::toPixelsX(8), 1);
    QCOMPARE(Twips::fromPixelsX(96), 1440.0);
    QCOMPARE(Twips::fromPixelsY(10), 120.0);

    Twips::setPerPixelForTesting(0, 0);
    const QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QCOMPARE(Twips::perPixelX(), 1440.0 / screen->logicalDotsPerInchX());
    QCOMPARE(Twips::perPixelY(), 1440.0 / screen->logicalDotsPerInchY());
}

// Rectangles that touch in twips touch in pixels, even when each is narrower than a pixel.
void tst_dialogs::twipsRectEdges()
{
    Twips::setPerPixelForTesting(15, 15);
    QCOMPARE(Twips::toPixels(100, 200, 1440, 720), QRect(7, 13, 96, 48));

    QRect previous = Twips::toPixels(8, 8, 7, 7);
    for (int edge = 15; edge < 300; edge += 7) {
        const QRect next = Twips::toPixels(edge, edge, 7, 7);
        QCOMPARE(next.left(), previous.left() + previous.width());
        QCOMPARE(next.top(), previous.top() + previous.height());
        previous = next;
    }
    QCOMPARE(previous.left() + previous.width(), Twips::toPixelsX(8 + 7 * 42));
}

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
