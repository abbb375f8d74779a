#include "frmAddEdit.h"

#include "BoxPaste.h"
#include "core/catalogue/Catalogue.h"
#include "core/edit/EditorRules.h"
#include "core/edit/EditorState.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/ProgramPaths.h"
#include "core/text/Cp1251.h"
#include "ui/main/frmPesni.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/VisualStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

frmAddEdit::frmAddEdit(Catalogue &catalogue, EditorState &editor, ProgramPaths &paths, const ProgramOptions &options,
                       QWidget *owner)
    : QDialog(owner), m_catalogue(catalogue), m_editor(editor), m_paths(paths), m_options(options)
{
    setObjectName(QStringLiteral("frmAddEdit"));
    setWindowTitle(QStringLiteral("Добавить/Изменить запись в журнале"));
    buildControls();
    VisualStyle::apply(this, m_options.classicStyle());

    // A box holds 32 767 characters; what a paste brings beyond that is lost, and the user is told so.
    m_paste = new BoxPaste(this);
    connect(m_paste, &BoxPaste::cut, this, [this](QLineEdit *box, int offered, int kept) {
        MsgBox::notice(this,
                       QStringLiteral("Вставленный текст не поместился в поле «%1»: в нём %2 символов, а в поле "
                                      "вошли только первые %3.")
                           .arg(lbl[boxIndex(box)]->text())
                           .arg(offered)
                           .arg(kept),
                       MsgBox::Exclamation);
    });
}

void frmAddEdit::buildControls()
{
    txt1 = new QComboBox(this);
    txt1->setObjectName(QStringLiteral("txt1"));
    txt.fill(nullptr, kLastBox + 1);
    lbl.fill(nullptr, kLastBox + 1);
    m_longValues.fill(QString(), kLastBox + 1);
    for (int k = 1; k <= kLastBox; ++k) {
        auto *label = new QLabel(Catalogue::arColumns()[size_t(k - 1)].caption, this);
        label->setObjectName(QStringLiteral("lbl%1").arg(k));
        lbl[k] = label;
    }
    for (int i = kFirstBox; i <= kLastBox; ++i) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txt%1").arg(i));
        box->installEventFilter(this);
        lbl[i]->setBuddy(box);
        txt[i] = box;
        connect(box, &QLineEdit::textChanged, this, [this, i] { txt_Change(i); });
    }
    lbl[1]->setBuddy(txt1);

    const auto button = [this](const char *name, const QString &text, const QString &tip = QString()) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        if (!tip.isEmpty())
            b->setToolTip(tip);
        return b;
    };
    Command1 = button("Command1", QStringLiteral("Ok"));
    Command1->setDefault(true);
    Command2 = button("Command2", QStringLiteral("Отмена"));
    Command3 = button("Command3", QStringLiteral("Сегодня"), QStringLiteral("Вставить текущюю дату"));
    Command4 = button("Command4", QStringLiteral("Из тега MP3"));
    Command5 = button("Command5", QStringLiteral("В тег MP3"));
    Command6 = button("Command6", QStringLiteral("Новый"), QStringLiteral("Назначить номер новому носителю"));
    Command7 = button("Command7", QStringLiteral("Треки"));
    Check1 = new QCheckBox(QStringLiteral("+копия"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setToolTip(QStringLiteral("Добавить+создать копию"));

    // Two columns of fields; the buttons that fill a field stand beside it.
    auto *grid = new QGridLayout;
    const auto place = [grid](QLabel *label, QWidget *field, int row, int column, QWidget *extra = nullptr) {
        grid->addWidget(label, row, column * 3);
        grid->addWidget(field, row, column * 3 + 1, 1, extra ? 1 : 2);
        if (extra)
            grid->addWidget(extra, row, column * 3 + 2);
    };
    const auto placeField = [&](TrackRecord::Field field, int row, int column, QWidget *extra = nullptr) {
        place(lbl[boxOf(field)], txt[boxOf(field)], row, column, extra);
    };
    place(lbl[boxOf(TrackRecord::MediaType)], txt1, 0, 0);
    placeField(TrackRecord::MediaNumber, 0, 1, Command6);
    placeField(TrackRecord::TrackNumber, 1, 0);
    placeField(TrackRecord::Duration, 1, 1);
    placeField(TrackRecord::Artist, 2, 0, Command7);
    placeField(TrackRecord::Date, 2, 1, Command3);
    placeField(TrackRecord::Title, 3, 0);
    placeField(TrackRecord::Style, 3, 1);
    placeField(TrackRecord::Album, 4, 0);
    placeField(TrackRecord::Label, 4, 1);
    placeField(TrackRecord::Rating, 5, 0);
    placeField(TrackRecord::Comment, 5, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    grid->setColumnMinimumWidth(2, 8);
    grid->setHorizontalSpacing(6);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command4);
    buttons->addWidget(Command5);
    buttons->addStretch();
    buttons->addWidget(Check1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setMinimumWidth(640);

    // Tab goes down the fields in their order.
    QWidget *previous = txt1;
    for (int i = kFirstBox; i <= kLastBox; ++i) {
        setTabOrder(previous, txt[i]);
        previous = txt[i];
    }
    setTabOrder(previous, Check1);
    setTabOrder(Check1, Command1);
    setTabOrder(Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, &frmAddEdit::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmAddEdit::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmAddEdit::Command3_Click);
    connect(Command6, &QPushButton::clicked, this, &frmAddEdit::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &frmAddEdit::Command7_Click);
    connect(Command4, &QPushButton::clicked, this, &frmAddEdit::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmAddEdit::Command5_Click);
}

void frmAddEdit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    txt1->setFocus();
    m_editor.iEditorOpen = true;
}

void frmAddEdit::reject()
{
    Command2_Click();
}

void frmAddEdit::showRecord(int index, const FieldList &fields)
{
    m_recordIndex = index;
    txt1->setCurrentIndex(fields.at(TrackRecord::MediaType) == QLatin1String("CD") ? 0 : 1);
    AutoDisable = true;
    for (int i = kFirstBox; i <= kLastBox; ++i)
        setFieldText(i, fields.at(i - 1).toString());
    AutoDisable = true;
}

void frmAddEdit::startNewTrack()
{
    AutoDisable = true;
    for (const TrackRecord::Field field :
         {TrackRecord::TrackNumber, TrackRecord::Artist, TrackRecord::Title, TrackRecord::Album, TrackRecord::Duration,
          TrackRecord::Comment, TrackRecord::Rating})
        setFieldText(boxOf(field), QString());
    AutoDisable = false;
    startWithRecord(true);
}

void frmAddEdit::startWithRecord(bool adding)
{
    // Only a new track may be stored with a copy kept open.
    Check1->setEnabled(adding);
    Modal::show(this, parentWidget());
}

void frmAddEdit::startAlbumTrack(const FieldList &fields)
{
    m_editor.iAddMode = true;
    AutoDisable = true;
    txt1->setCurrentIndex(0);
    for (int i = kFirstBox; i <= kLastBox; ++i)
        setFieldText(i, fields.value(i - 1));
    AutoDisable = false;
    Modal::show(this, parentWidget());
}

void frmAddEdit::setAlbumFieldsLocked(bool locked)
{
    txt1->setEnabled(!locked);
    for (const TrackRecord::Field field : {TrackRecord::MediaNumber, TrackRecord::TrackNumber, TrackRecord::Album,
                                           TrackRecord::Date, TrackRecord::Label})
        txt[boxOf(field)]->setEnabled(!locked);
    Command3->setEnabled(!locked);
    // "Новый" would give the track a media number of its own, apart from the CD's.
    Command6->setEnabled(!locked);
}

void frmAddEdit::setFieldText(int i, const QString &text)
{
    QLineEdit *box = txt[i];
    // Laying out megabytes of text in a box takes minutes: a longer value is shown by its start.
    m_longValues[i] = text.size() > box->maxLength() ? text : QString();
    box->setText(text);
}

QString frmAddEdit::fieldText(int i) const
{
    const QString &whole = m_longValues[i];
    const QString text = txt[i]->text();
    if (!whole.isNull() && QStringView(whole).left(txt[i]->maxLength()) == text)
        return whole;
    return text;
}

bool frmAddEdit::confirmShortenedFields()
{
    for (int i = kFirstBox; i <= kLastBox; ++i) {
        if (m_longValues[i].isNull() || fieldText(i) == m_longValues[i])
            continue;
        if (!MsgBox::confirm(this,
                             QStringLiteral("Поле «%1» длиннее, чем может показать редактор: в нём %2 символов, "
                                            "а видны только первые %3.\r\nПосле изменения в поле останется только "
                                            "то, что видно в редакторе. Сохранить трек?")
                                 .arg(lbl[i]->text())
                                 .arg(m_longValues[i].size())
                                 .arg(txt[i]->maxLength())))
            return false;
    }
    return true;
}

bool frmAddEdit::confirmStorableText()
{
    QStringList texts{txt1->currentText()};
    for (int i = kFirstBox; i <= kLastBox; ++i)
        texts.append(fieldText(i));
    const QStringList changes = Cp1251::roundTripChanges(texts);
    if (changes.isEmpty())
        return true;
    if (!MsgBox::confirm(
            this, QStringLiteral("Некоторые символы нельзя сохранить в файле базы, они будут записаны так:\r\n") +
                      changes.join(QStringLiteral("\r\n")) + QStringLiteral("\r\nСохранить трек?")))
        return false;
    const bool wasDisabled = AutoDisable;
    AutoDisable = true;
    for (int i = kFirstBox; i <= kLastBox; ++i)
        setFieldText(i, Cp1251::roundTrip(fieldText(i)));
    AutoDisable = wasDisabled;
    return true;
}

void frmAddEdit::Command1_Click()
{
    if (txt[boxOf(TrackRecord::MediaNumber)]->text().isEmpty())
        return;

    if (m_editor.iAddMode) {
        if (EditorRules::findDuplicate(m_catalogue.arTracks(), txt1->currentText(),
                                       txt[boxOf(TrackRecord::MediaNumber)]->text(),
                                       txt[boxOf(TrackRecord::TrackNumber)]->text()) != 0) {
            MsgBox::show(this,
                         QStringLiteral("Такой трек уже существует!\r\nПоменяйте тип носителя или его номер а также "
                                        "номер трека."),
                         MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Уже есть!"));
            return;
        }
        if (!confirmShortenedFields() || !confirmStorableText())
            return;
        TrackRecord record;
        record.set(TrackRecord::MediaType, txt1->currentText());
        for (int i = kFirstBox; i <= kLastBox; ++i)
            record.set(i - 1, fieldText(i));
        const int n = m_catalogue.addTrack(record);
        // "+копия": the dialog stays open with every field as it is, for the next track of the disc.
        const bool keepOpen = Check1->isChecked();
        if (keepOpen)
            Check1->setChecked(false);
        Q_EMIT trackStored(n, true, keepOpen);
        if (keepOpen)
            return;
    } else if (m_recordIndex >= 1 && m_recordIndex <= m_catalogue.arTracks().count()) {
        if (!confirmShortenedFields() || !confirmStorableText())
            return;
        TrackRecord record = m_catalogue.arTracks().at(m_recordIndex);
        record.set(TrackRecord::MediaType, txt1->currentText());
        for (int i = kFirstBox; i <= kLastBox; ++i)
            record.set(i - 1, fieldText(i));
        m_catalogue.changeTrack(m_recordIndex, record);
        Q_EMIT trackStored(m_recordIndex, false, false);
    }

    hide();
    m_editor.iAddMode = false;
    m_editor.iEditorOpen = false;
}

void frmAddEdit::Command2_Click()
{
    m_editor.iAddMode = false;
    hide();
    m_editor.iEditorOpen = false;
}

void frmAddEdit::Command3_Click()
{
    txt[boxOf(TrackRecord::Date)]->setText(EditorRules::dateText(QDate::currentDate()));
}

void frmAddEdit::Command6_Click()
{
    txt[boxOf(TrackRecord::MediaNumber)]->setText(
        QString::number(EditorRules::nextMediaNumber(m_catalogue.arTracks(), txt1->currentText())));
}

void frmAddEdit::GoNext(int i)
{
    if (i <= 1)
        return;
    if (i == boxOf(TrackRecord::MediaNumber)) {
        if (txt1->isEnabled())
            txt1->setFocus(Qt::BacktabFocusReason);
        return;
    }
    for (int k = i - 1; k >= kFirstBox; --k) {
        if (txt[k]->isEnabled()) {
            txt[k]->setFocus(Qt::BacktabFocusReason);
            return;
        }
    }
    if (txt1->isEnabled())
        txt1->setFocus(Qt::BacktabFocusReason);
}

void frmAddEdit::txt_Change(int i)
{
    if (iSelfChange) {
        iSelfChange = false;
        return;
    }
    if (AutoDisable || !EditorRules::capitalises(i))
        return;
    QLineEdit *box = txt[i];
    const QString text = box->text();
    const QString capitalised = EditorRules::capitalizeFirst(text);
    if (capitalised != text) {
        const int caret = box->cursorPosition();
        iSelfChange = true;
        box->setText(capitalised);
        box->setCursorPosition(caret + int(capitalised.size() - text.size()));
    }
    if (!EditorRules::completes(i))
        return;
    const auto completion = m_catalogue.colAutoComplete().Complete(i, box->text(), box->cursorPosition(),
                                                                   m_editor.iDeleteKey, m_editor.iAcSetting);
    if (completion) {
        // The change this raises sees iAcSetting and leaves the text alone.
        box->setText(completion->text);
        box->setSelection(completion->selectionStart, completion->selectionLength);
    }
}

void frmAddEdit::Command7_Click()
{
    frmPesni window(this);
    window.fill(m_catalogue.arTracks(), txt[boxOf(TrackRecord::Artist)]->text());
    Modal::show(&window, this);
}

int frmAddEdit::boxIndex(QObject *object) const
{
    for (int i = kFirstBox; i <= kLastBox; ++i) {
        if (txt[i] == object)
            return i;
    }
    return 0;
}

bool frmAddEdit::txt_KeyDown(int i, QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
        GoNext(i);
        return true;
    }
    if (EditorRules::completes(i) && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace))
        m_editor.iDeleteKey = true;
    QLineEdit *box = txt[i];
    if (i == boxOf(TrackRecord::Artist) && event->key() == Qt::Key_Right && event->modifiers() == Qt::NoModifier &&
        box->hasSelectedText()) {
        // Accept one more character of a completed tail; the rest stays selected.
        const int start = box->selectionStart() + 1;
        box->setSelection(start, int(box->text().size()) - start);
        return true;
    }
    return false;
}

void frmAddEdit::txt_KeyPress(int i, int character)
{
    AutoDisable = false;
    if (EditorRules::completes(i) && character != 8)
        m_editor.iDeleteKey = false;
}

bool frmAddEdit::eventFilter(QObject *watched, QEvent *event)
{
    const int i = boxIndex(watched);
    if (i == 0)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (txt_KeyDown(i, key))
            return true;
        // Typed characters only: Delete and the like type nothing.
        if (key->key() == Qt::Key_Backspace)
            txt_KeyPress(i, 8);
        else if (key->key() != Qt::Key_Delete && !key->text().isEmpty() && key->text().at(0) != QChar(0x7f))
            txt_KeyPress(i, key->text().at(0).unicode());
        if (m_paste->handle(txt[i], event))
            return true;
        break;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu:
        if (m_paste->handle(txt[i], event))
            return true;
        break;
    case QEvent::FocusIn: {
        // Entering a box selects its whole text, also when the click that gave the focus would not.
        QLineEdit *box = txt[i];
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
        break;
    }
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            AutoDisable = true;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
