#include "frmAddAlbum.h"

#include "CddbControl.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/TrackTable.h"
#include "core/edit/EditorRules.h"
#include "core/edit/EditorState.h"
#include "core/settings/ProgramOptions.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/VisualStyle.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

// The album's boxes: the number of tracks, then the fields of the editor's boxes with the same numbers.
constexpr int kCountBox = 0;
constexpr TrackRecord::Field kSharedFields[] = {TrackRecord::MediaNumber, TrackRecord::Album, TrackRecord::Date,
                                                TrackRecord::Label};

} // namespace

frmAddAlbum::frmAddAlbum(EditorState &editor, const ProgramOptions &options, CddbControl *cddb, QWidget *owner)
    : QDialog(owner), m_editor(editor), m_options(options), m_cddb(cddb)
{
    setObjectName(QStringLiteral("frmAddAlbum"));
    setWindowTitle(QStringLiteral("Добавление нового CD альбома"));

    txt.fill(nullptr, boxOf(TrackRecord::Label) + 1);
    lbl.fill(nullptr, boxOf(TrackRecord::Label) + 1);
    auto *grid = new QGridLayout;
    const auto addBox = [&](int i, const QString &caption, int row) {
        auto *label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("lbl%1").arg(i));
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txt%1").arg(i));
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        lbl[i] = label;
        txt[i] = box;
    };
    addBox(kCountBox, QStringLiteral("Кол-во треков"), 0);
    int row = 1;
    for (const TrackRecord::Field field : kSharedFields)
        addBox(boxOf(field), Catalogue::arColumns()[size_t(field)].caption, row++);

    const auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    Command1 = button("Command1", QStringLiteral("Далее"));
    Command1->setDefault(true);
    Command2 = button("Command2", QStringLiteral("Отмена"));
    Command3 = button("Command3", QStringLiteral("Сегодня"));
    Command4 = button("Command4", QStringLiteral("Использовать CDDB"));
    // The colour of this button tells whether CDDB data are used.
    Command4->setAutoFillBackground(true);
    grid->addWidget(Command3, 3, 2); // beside the date

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command4);
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    grid->setColumnStretch(1, 1);
    // Room for an album title as CDs print them.
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);

    connect(Command1, &QPushButton::clicked, this, &frmAddAlbum::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmAddAlbum::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmAddAlbum::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmAddAlbum::lookupWanted);
    VisualStyle::apply(this, m_options.classicStyle());
}

void frmAddAlbum::startAlbum()
{
    for (QLineEdit *box : std::as_const(txt)) {
        if (box)
            box->clear();
    }
    setLookup(Lookup::None);
    Modal::show(this, parentWidget());
}

void frmAddAlbum::setLookup(Lookup state)
{
    m_lookup = state;
    QPalette palette = Command4->style()->standardPalette();
    if (state != Lookup::None)
        palette.setColor(QPalette::Button, state == Lookup::Used ? QColor(0x00, 0xFF, 0x00) : QColor(0xFF, 0x00, 0x00));
    Command4->setPalette(palette);
    // The colour says it only to those who see it.
    switch (state) {
    case Lookup::None:
        Command4->setAccessibleDescription(QStringLiteral("Поиск в CDDB не выполнялся"));
        break;
    case Lookup::Used:
        Command4->setAccessibleDescription(QStringLiteral("Идёт поиск диска в CDDB"));
        break;
    case Lookup::Failed:
        Command4->setAccessibleDescription(QStringLiteral("Не удается получить данные о диске в CDDB"));
        break;
    }
}

void frmAddAlbum::showDisc(const QString &album, const QString &label, int trackCount)
{
    const auto show = [](QLineEdit *box, const QString &text) {
        box->setText(text);
        // From its start: a long title would otherwise show only its end.
        box->setCursorPosition(0);
    };
    show(txt[boxOf(TrackRecord::Album)], album);
    show(txt[boxOf(TrackRecord::Label)], label);
    show(txt[kCountBox], QString::number(trackCount));
    Command4->setAccessibleDescription(QStringLiteral("Диск найден в CDDB, его данные будут использованы"));
}

void frmAddAlbum::Command1_Click()
{
    const QString countText = txt[kCountBox]->text();
    if (EditorRules::tooManyAlbumTracks(countText)) {
        MsgBox::show(this,
                     QStringLiteral("На CD не бывает больше %1 треков. Проверьте количество треков.")
                         .arg(EditorRules::kMaxAlbumTracks),
                     MsgBox::OkOnly, MsgBox::Exclamation);
        return;
    }
    const int count = EditorRules::albumTrackCount(countText, txt[boxOf(TrackRecord::MediaNumber)]->text());
    if (count < 0)
        return;

    const bool useCddb = m_lookup == Lookup::Used && m_cddb;
    Q_EMIT sharedFieldsLocked(true);
    for (int i = 1; i <= count; ++i) {
        TrackRecord track;
        track.set(TrackRecord::MediaType, QStringLiteral("CD"));
        for (const TrackRecord::Field field : kSharedFields)
            track.set(field, txt[boxOf(field)]->text());
        track.set(TrackRecord::TrackNumber, QString::number(i));
        // A track the disc does not have gets nothing of the disc's.
        if (useCddb && i <= m_cddb->trackCount()) {
            const EditorRules::ArtistTitle parts = EditorRules::splitArtistTitle(m_cddb->trackTitle(i));
            track.set(TrackRecord::Artist, parts.artist);
            track.set(TrackRecord::Title, parts.title);
            track.set(TrackRecord::Duration, m_cddb->formatLength(m_cddb->trackLength(i)));
            track.set(TrackRecord::Style, m_cddb->genre());
        }
        // Returns once the editor is closed: the track stored, or skipped.
        Q_EMIT trackWanted(track);
    }
    Q_EMIT sharedFieldsLocked(false);
    hide();
}

void frmAddAlbum::Command2_Click()
{
    m_editor.iAddMode = false;
    hide();
}

void frmAddAlbum::Command3_Click()
{
    txt[boxOf(TrackRecord::Date)]->setText(EditorRules::dateText(QDate::currentDate()));
}
