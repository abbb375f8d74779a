#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/Twips.h"
#include "ui/platform/VisualStyle.h"
#include "ui/platform/moddialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <optional>

using OptionalTitle = std::optional<QString>;

namespace {

const QString ProgramTitle = QStringLiteral("Картотека");

// Acts once on the next modal window of type T, from a timer running inside that window's event loop.
// Should the action leave the window up, the window is hidden on the next tick: the test then fails on
// the answer instead of hanging.
template <class T> class ModalAnswer
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

    void twips();

    void fileDialogFilters();
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

    const OptionalTitle none;
    const QString own = QStringLiteral("Удаление");
    QTest::newRow("no title: program's") << MsgBox::YesNo << 2 << none << 2 << ProgramTitle;
    QTest::newRow("empty title stays empty") << MsgBox::OkOnly << 1 << OptionalTitle(QString()) << 1 << QString();
    QTest::newRow("own title") << MsgBox::AbortRetryIgnore << 3 << OptionalTitle(own) << 3 << own;
    QTest::newRow("default past the last button") << MsgBox::OkCancel << 3 << none << 1 << ProgramTitle;
    QTest::newRow("default zero") << MsgBox::YesNoCancel << 0 << none << 1 << ProgramTitle;
}

void tst_dialogs::msgBoxAnswerer()
{
    QFETCH(MsgBox::Buttons, buttons);
    QFETCH(int, defaultButton);
    QFETCH(OptionalTitle, title);

    std::optional<MsgBox::Request> seen;
    MsgBox::setAnswerer([&](const MsgBox::Request &request) {
        seen = request;
        return MsgBox::Retry;
    });
    // Out-of-range numbers too: the box falls back to its first button.
    QCOMPARE(MsgBox::show(nullptr, QStringLiteral("Удалить?"), buttons, MsgBox::Question,
                          MsgBox::DefaultButton(defaultButton), title),
             MsgBox::Retry);
    QVERIFY(seen);
    QCOMPARE(seen->buttons, buttons);
    QTEST(int(seen->defaultButton), "expectedDefault");
    QTEST(seen->title, "expectedTitle");
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

// Enter answers with the default button and Esc or the window frame with the escape answer, so the rows
// check both through what the box returns.
void tst_dialogs::msgBoxShown_data()
{
    QTest::addColumn<MsgBox::Buttons>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("key"); // 0: closed from the window frame
    QTest::addColumn<MsgBox::Result>("expected");

    const int enter = Qt::Key_Return;
    const int esc = Qt::Key_Escape;
    QTest::newRow("YesNo, default No, Enter") << MsgBox::YesNo << 2 << enter << MsgBox::No;
    QTest::newRow("YesNo, Esc") << MsgBox::YesNo << 1 << esc << MsgBox::No;
    QTest::newRow("YesNo, frame") << MsgBox::YesNo << 1 << 0 << MsgBox::No;
    QTest::newRow("OkOnly, Esc") << MsgBox::OkOnly << 1 << esc << MsgBox::Ok;
    QTest::newRow("OkCancel, Esc") << MsgBox::OkCancel << 1 << esc << MsgBox::Cancel;
    QTest::newRow("OkCancel, default past the end, Enter") << MsgBox::OkCancel << 3 << enter << MsgBox::Ok;
    QTest::newRow("AbortRetryIgnore, default 2, Enter") << MsgBox::AbortRetryIgnore << 2 << enter << MsgBox::Retry;
    QTest::newRow("AbortRetryIgnore, Esc") << MsgBox::AbortRetryIgnore << 1 << esc << MsgBox::Ignore;
    QTest::newRow("YesNoCancel, default 3, Enter") << MsgBox::YesNoCancel << 3 << enter << MsgBox::Cancel;
    QTest::newRow("YesNoCancel, frame") << MsgBox::YesNoCancel << 1 << 0 << MsgBox::Cancel;
    QTest::newRow("RetryCancel, Enter") << MsgBox::RetryCancel << 1 << enter << MsgBox::Retry;
    QTest::newRow("RetryCancel, Esc") << MsgBox::RetryCancel << 1 << esc << MsgBox::Cancel;
}

void tst_dialogs::msgBoxShown()
{
    QFETCH(MsgBox::Buttons, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, key);

    QWidget owner;
    owner.show();
    bool shownAsAsked = false;
    ModalAnswer<QMessageBox> answer([&](QMessageBox *box) {
        // Names from the collection may look like markup; the box shows them as they are.
        shownAsAsked = box->windowTitle() == ProgramTitle && box->icon() == QMessageBox::Warning &&
                       box->textFormat() == Qt::PlainText && box->parentWidget() == &owner &&
                       box->windowModality() == Qt::ApplicationModal;
        if (key)
            QTest::keyClick(box, Qt::Key(key));
        else
            box->close();
    });
    const MsgBox::Result result = MsgBox::show(&owner, QStringLiteral("<b>Трек</b> & Co"), buttons, MsgBox::Exclamation,
                                               MsgBox::DefaultButton(defaultButton));

    QVERIFY(answer.acted());
    QVERIFY2(!answer.leftOpen(), "the box stayed open after the answer");
    QTEST(result, "expected");
    QVERIFY(shownAsAsked);
    QVERIFY(owner.findChildren<QMessageBox *>().isEmpty());
}

void tst_dialogs::inputAnswerer()
{
    QList<MsgBox::InputRequest> seen;
    MsgBox::setInputAnswerer([&](const MsgBox::InputRequest &request) {
        seen.append(request);
        return request.defaultText;
    });
    QCOMPARE(MsgBox::input(nullptr, QStringLiteral("Жанр:"), std::nullopt, QStringLiteral("Хаус")),
             QStringLiteral("Хаус"));
    MsgBox::input(nullptr, QStringLiteral("Жанр:"), QString());
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[0].title, ProgramTitle);
    QCOMPARE(seen[1].title, QString());
}

void tst_dialogs::inputShown_data()
{
    QTest::addColumn<QString>("typed"); // replaces the default text unless null
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

    bool shownAsAsked = false;
    ModalAnswer<QInputDialog> answer([&](QInputDialog *dialog) {
        shownAsAsked = dialog->windowTitle() == QStringLiteral("Новый жанр") &&
                       dialog->labelText() == QStringLiteral("Жанр:") && dialog->textValue() == QStringLiteral("Хаус");
        QLineEdit *edit = dialog->findChild<QLineEdit *>();
        QWidget *target = edit ? static_cast<QWidget *>(edit) : dialog;
        if (!typed.isNull() && edit) {
            edit->selectAll();
            for (const QChar ch : typed)
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
        QTest::keyClick(target, accept ? Qt::Key_Return : Qt::Key_Escape);
    });
    const QString result =
        MsgBox::input(nullptr, QStringLiteral("Жанр:"), QStringLiteral("Новый жанр"), QStringLiteral("Хаус"));

    QVERIFY(answer.acted());
    QVERIFY2(!answer.leftOpen(), "the input box stayed open after the answer");
    QVERIFY(shownAsAsked);
    QTEST(result, "expected");
}

void tst_dialogs::modalShow_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("hasParent");
    QTest::addColumn<int>("expected");

    QTest::newRow("hidden by its own button") << QStringLiteral("hide") << false << 0;
    QTest::newRow("accepted") << QStringLiteral("accept") << false << int(QDialog::Accepted);
    QTest::newRow("own parent kept") << QStringLiteral("accept") << true << int(QDialog::Accepted);
}

void tst_dialogs::modalShow()
{
    QFETCH(QString, action);
    QFETCH(bool, hasParent);

    QWidget owner;
    QWidget ownParent;
    owner.show();
    QPointer<QDialog> dialog =
        new QDialog(hasParent ? &ownParent : nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const Qt::WindowFlags flags = dialog->windowFlags(); // as Qt completed them
    auto *hideButton = new QPushButton(QStringLiteral("Скрыть"), dialog);
    connect(hideButton, &QPushButton::clicked, dialog, &QWidget::hide);
    QWidget *const expectedParent = hasParent ? &ownParent : &owner;

    int driverCalls = 0;
    bool shownAsExpected = false;
    Modal::setDriver([&](QDialog *driven) {
        ++driverCalls;
        shownAsExpected = driven == dialog && driven->isVisible() && driven->isWindow() &&
                          driven->windowModality() == Qt::ApplicationModal &&
                          driven->parentWidget() == expectedParent && driven->windowFlags() == flags;
        if (action == QLatin1String("hide"))
            hideButton->click();
        else
            driven->accept();
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
    auto *styled = new QLabel(&dialog);
    styled->setStyleSheet(QStringLiteral("color: red"));
    dialog.show();

    const QList<QWidget *> classic = {&dialog, group, before, after, nestedAfter, moved, movedChild, styled};
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

void tst_dialogs::twips()
{
    Twips::setPerPixelForTesting(15, 12);
    QCOMPARE(Twips::toPixelsX(1440), 96);
    QCOMPARE(Twips::toPixelsY(1440), 120);
    QCOMPARE(Twips::fromPixelsY(10), 120.0);
    // Edges are rounded, not sizes.
    QCOMPARE(Twips::toPixels(100, 200, 1450, 740), QRect(7, 17, 96, 61));

    // Rectangles that touch in twips touch in pixels, even when each is narrower than a pixel.
    QRect previous = Twips::toPixels(8, 8, 7, 7);
    for (int edge = 15; edge < 300; edge += 7) {
        const QRect next = Twips::toPixels(edge, edge, 7, 7);
        QCOMPARE(next.left(), previous.left() + previous.width());
        QCOMPARE(next.top(), previous.top() + previous.height());
        previous = next;
    }
    QCOMPARE(previous.left() + previous.width(), Twips::toPixelsX(8 + 7 * 42));

    Twips::setPerPixelForTesting(0, 0);
    QCOMPARE(Twips::perPixelX(), 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX());
}

void tst_dialogs::fileDialogFilters()
{
    // The program's filters in the dialog's form: description and pattern pairs, or a lone pattern.
    QCOMPARE(moddialog::dialogFilter(QStringLiteral("MP3 File") + QChar(0) + QStringLiteral("*.mp3") + QChar(0)),
             QStringLiteral("MP3 File (*.mp3)"));
    QCOMPARE(moddialog::dialogFilter(QStringLiteral("*.txt")), QStringLiteral("*.txt"));

    // The open dialog lists files whatever the case of their extension (a case-sensitive file system
    // keeps "TRACK.MP3" as it was named), and nothing else.
    QTemporaryDir folder;
    for (const char *name : {"one.mp3", "TRACK.MP3", "Mixed.Mp3", "notes.txt"}) {
        QFile file(folder.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    moddialog::Request request;
    request.initialFolder = folder.path();
    request.filter = QStringLiteral("MP3 File") + QChar(0) + QStringLiteral("*.mp3") + QChar(0);
    const auto dialog = moddialog::createDialog(nullptr, request);
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    auto *model = dialog->findChild<QFileSystemModel *>();
    QVERIFY(model);
    const QModelIndex root = model->index(folder.path());
    // The files the dialog offers: its rows that can be chosen (a filtered-out file is hidden or greyed).
    const auto offered = [&] {
        QStringList names;
        for (int row = 0; row < model->rowCount(root); ++row) {
            const QModelIndex index = model->index(row, 0, root);
            if (model->flags(index) & Qt::ItemIsEnabled)
                names.append(index.data().toString());
        }
        names.sort();
        return names;
    };
    QTRY_COMPARE(offered(),
                 (QStringList{QStringLiteral("Mixed.Mp3"), QStringLiteral("TRACK.MP3"), QStringLiteral("one.mp3")}));

    // A folder is chosen among folders only.
    request.folder = true;
    QCOMPARE(moddialog::createDialog(nullptr, request)->fileMode(), QFileDialog::Directory);
}

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
