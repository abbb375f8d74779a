#include "frmAddFolder.h"

#include "FolderReader.h"
#include "core/catalogue/Catalogue.h"
#include "core/edit/EditorRules.h"
#include "core/settings/ProgramOptions.h"
#include "core/text/Cp1251.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/VisualStyle.h"
#include "ui/platform/moddialog.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>

namespace {

// The fields every track of the CD takes from the dialog's boxes.
constexpr TrackRecord::Field kSharedFields[] = {TrackRecord::MediaNumber, TrackRecord::Album, TrackRecord::Date,
                                                TrackRecord::Style, TrackRecord::Label};
// The fields of the review list's columns, in order; the file name has none.
constexpr TrackRecord::Field kColumnFields[] = {TrackRecord::TrackNumber, TrackRecord::Artist, TrackRecord::Title,
                                                TrackRecord::Duration};
// The most lines a message lists; the rest are counted.
constexpr int kMaxListed = 20;

QString listed(const QStringList &lines, const QString &separator)
{
    if (lines.size() <= kMaxListed)
        return lines.join(separator);
    return lines.mid(0, kMaxListed).join(separator) + separator +
           QStringLiteral("… и ещё %1").arg(lines.size() - kMaxListed);
}

const QString &caption(TrackRecord::Field field)
{
    return Catalogue::arColumns()[size_t(field)].caption;
}

} // namespace

frmAddFolder::frmAddFolder(Catalogue &catalogue, const ProgramOptions &options, QWidget *owner)
    : QDialog(owner), m_catalogue(catalogue), m_options(options), m_reader(new FolderReader(this))
{
    setObjectName(QStringLiteral("frmAddFolder"));
    setWindowTitle(QStringLiteral("Новый CD из папки"));
    buildControls();
    connect(m_reader, &FolderReader::progress, this, &frmAddFolder::readingProgress);
    connect(m_reader, &FolderReader::finished, this, &frmAddFolder::readingFinished);
    VisualStyle::apply(this, m_options.classicStyle());
}

frmAddFolder::~frmAddFolder() = default;

void frmAddFolder::buildControls()
{
    const auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    lblFolder = new QLabel(this);
    lblFolder->setObjectName(QStringLiteral("lblFolder"));
    lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // What the CD's tracks share: the medium on the left, the album's data on the right.
    auto *grid = new QGridLayout;
    const auto addRow = [&](QWidget *box, TrackRecord::Field field, int row, int column) {
        auto *label = new QLabel(caption(field), this);
        label->setBuddy(box);
        grid->addWidget(label, row, column);
        grid->addWidget(box, row, column + 1);
    };
    txt1 = new QComboBox(this);
    txt1->setObjectName(QStringLiteral("txt1"));
    txt1->addItem(QStringLiteral("CD"));
    txt1->setEnabled(false);
    addRow(txt1, TrackRecord::MediaType, 0, 0);
    txt.fill(nullptr, boxOf(TrackRecord::Label) + 1);
    const int places[][2] = {{1, 0}, {0, 3}, {2, 0}, {1, 3}, {2, 3}}; // row and column, as kSharedFields
    for (size_t i = 0; i < std::size(kSharedFields); ++i) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txt%1").arg(boxOf(kSharedFields[i])));
        txt[boxOf(kSharedFields[i])] = box;
        addRow(box, kSharedFields[i], places[i][0], places[i][1]);
    }
    Command6 = button("Command6", QStringLiteral("Новый"));
    Command6->setToolTip(QStringLiteral("Назначить номер новому носителю"));
    Command3 = button("Command3", QStringLiteral("Сегодня"));
    Command3->setToolTip(QStringLiteral("Вставить текущюю дату"));
    grid->addWidget(Command6, 1, 2);
    grid->addWidget(Command3, 2, 2);
    grid->setColumnStretch(4, 1);
    grid->setColumnMinimumWidth(3, fontMetrics().averageCharWidth() * 2);

    lvFiles = new QTableWidget(0, ColumnCount, this);
    lvFiles->setObjectName(QStringLiteral("lvFiles"));
    lvFiles->setHorizontalHeaderLabels({caption(TrackRecord::TrackNumber), caption(TrackRecord::Artist),
                                        caption(TrackRecord::Title), caption(TrackRecord::Duration),
                                        QStringLiteral("Файл")});
    lvFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFiles->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    lvFiles->verticalHeader()->hide();
    QHeaderView *header = lvFiles->horizontalHeader();
    header->setSectionResizeMode(ArtistColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(TitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(FileColumn, QHeaderView::Stretch);
    lvFiles->setColumnWidth(TrackColumn, fontMetrics().horizontalAdvance(caption(TrackRecord::TrackNumber)) * 2);
    connect(lvFiles, &QTableWidget::itemChanged, this, &frmAddFolder::updateAddButton);

    lblFailed = new QLabel(QStringLiteral("Не удалось прочитать:"), this);
    lstFailed = new QListWidget(this);
    lstFailed->setObjectName(QStringLiteral("lstFailed"));
    lstFailed->setMaximumHeight(fontMetrics().height() * 4);
    lblFailed->setBuddy(lstFailed);

    prgRead = new QProgressBar(this);
    prgRead->setObjectName(QStringLiteral("prgRead"));
    prgRead->setFormat(QStringLiteral("%v из %m"));
    cmdStop = button("cmdStop", QStringLiteral("Отмена"));
    cmdStop->setToolTip(QStringLiteral("Остановить чтение папки"));
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);

    Command1 = button("Command1", QStringLiteral("Добавить"));
    Command1->setDefault(true);
    Command2 = button("Command2", QStringLiteral("Отмена"));

    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(prgRead, 1);
    progressRow->addWidget(cmdStop);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblSummary, 1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblFolder);
    layout->addLayout(grid);
    layout->addWidget(lvFiles, 1);
    layout->addWidget(lblFailed);
    layout->addWidget(lstFailed);
    layout->addLayout(progressRow);
    layout->addLayout(buttons);
    resize(fontMetrics().averageCharWidth() * 110, fontMetrics().height() * 40);

    connect(Command1, &QPushButton::clicked, this, &frmAddFolder::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmAddFolder::reject);
    connect(Command3, &QPushButton::clicked, this,
            [this] { txt[boxOf(TrackRecord::Date)]->setText(EditorRules::dateText(QDate::currentDate())); });
    connect(Command6, &QPushButton::clicked, this, [this] {
        txt[boxOf(TrackRecord::MediaNumber)]->setText(
            QString::number(EditorRules::nextMediaNumber(m_catalogue.arTracks(), txt1->currentText())));
    });
    connect(cmdStop, &QPushButton::clicked, this, [this] {
        m_reader->stop();
        cmdStop->setEnabled(false);
    });
}

void frmAddFolder::startFolder()
{
    QString start = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!m_lastFolder.isEmpty())
        start = QFileInfo(m_lastFolder).absolutePath();
    else if (!QFileInfo(start).isDir())
        start = QDir::homePath();
    const QString folder =
        moddialog::ShowFolder(parentWidget(), start, QStringLiteral("Выберите папку со звуковыми файлами CD"));
    if (!folder.isEmpty())
        showFolder(folder);
}

void frmAddFolder::showFolder(const QString &folder)
{
    m_folder = folder;
    m_lastFolder = folder;
    lblFolder->setText(QStringLiteral("Папка: ") + QDir::toNativeSeparators(folder));
    lvFiles->setRowCount(0);
    m_comments.clear();
    lstFailed->clear();
    lblFailed->hide();
    lstFailed->hide();
    for (QLineEdit *box : std::as_const(txt)) {
        if (box)
            box->clear();
    }
    Command6->click(); // a new CD takes the next free number
    prgRead->setRange(0, 0);
    prgRead->show();
    cmdStop->setEnabled(true);
    cmdStop->show();
    lblSummary->setText(QStringLiteral("Чтение папки…"));
    Command1->setEnabled(false);
    m_reader->read(folder);
    Modal::show(this, parentWidget());
}

void frmAddFolder::readingProgress(int done, int total)
{
    prgRead->setRange(0, total);
    prgRead->setValue(done);
}

void frmAddFolder::readingFinished(const FolderAlbum &album)
{
    prgRead->hide();
    cmdStop->hide();
    const QString folder = QDir::toNativeSeparators(m_folder);
    if (!album.error.isEmpty()) {
        MsgBox::notice(this, QStringLiteral("Не удалось прочитать папку «%1»: %2.").arg(folder, album.error),
                       MsgBox::Exclamation);
        reject();
        return;
    }
    if (album.tracks.isEmpty() && album.failed.isEmpty() && !album.stopped) {
        MsgBox::notice(this, QStringLiteral("В папке «%1» нет звуковых файлов.").arg(folder), MsgBox::Exclamation);
        reject();
        return;
    }

    lvFiles->setUpdatesEnabled(false);
    const QSignalBlocker blocker(lvFiles);
    lvFiles->setRowCount(int(album.tracks.size()));
    for (int row = 0; row < album.tracks.size(); ++row) {
        const FolderAlbum::Track &track = album.tracks.at(row);
        const QString texts[ColumnCount] = {QString::number(row + 1), track.artist, track.title, track.duration,
                                            track.fileName};
        for (int column = 0; column < ColumnCount; ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            if (column == TrackColumn) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Checked);
            } else if (column == FileColumn) {
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            }
            lvFiles->setItem(row, column, item);
        }
        m_comments.append(track.comment);
    }
    lvFiles->setUpdatesEnabled(true);

    // What all files agree on fills the boxes the user has left empty meanwhile.
    const std::pair<TrackRecord::Field, QString> shared[] = {
        {TrackRecord::Album, album.album}, {TrackRecord::Style, album.genre}, {TrackRecord::Label, album.label}};
    for (const auto &[field, value] : shared) {
        if (txt[boxOf(field)]->text().isEmpty())
            txt[boxOf(field)]->setText(value);
    }

    for (const FolderAlbum::Track &file : album.failed)
        lstFailed->addItem(file.fileName + QStringLiteral(" — ") + file.error);
    lblFailed->setVisible(!album.failed.isEmpty());
    lstFailed->setVisible(!album.failed.isEmpty());

    QString summary = QStringLiteral("Треков: %1.").arg(album.tracks.size());
    if (!album.failed.isEmpty())
        summary += QStringLiteral(" Не удалось прочитать файлов: %1.").arg(album.failed.size());
    if (album.skipped > 0)
        summary += QStringLiteral(" Пропущено других файлов: %1.").arg(album.skipped);
    if (album.stopped)
        summary += QStringLiteral(" Чтение остановлено: прочитаны не все файлы.");
    lblSummary->setText(summary);
    updateAddButton();
    lvFiles->setFocus();
    if (lvFiles->rowCount() > 0)
        lvFiles->setCurrentCell(0, TrackColumn);
}

void frmAddFolder::updateAddButton()
{
    bool ticked = false;
    for (int row = 0; row < lvFiles->rowCount() && !ticked; ++row)
        ticked = lvFiles->item(row, TrackColumn)->checkState() == Qt::Checked;
    Command1->setEnabled(ticked && !m_reader->isReading());
}

QVector<TrackRecord> frmAddFolder::tickedTracks(QVector<int> *rows) const
{
    QVector<TrackRecord> tracks;
    for (int row = 0; row < lvFiles->rowCount(); ++row) {
        if (lvFiles->item(row, TrackColumn)->checkState() != Qt::Checked)
            continue;
        TrackRecord record;
        record.set(TrackRecord::MediaType, txt1->currentText());
        for (const TrackRecord::Field field : kSharedFields)
            record.set(field, txt[boxOf(field)]->text());
        for (int column = 0; column < int(std::size(kColumnFields)); ++column)
            record.set(kColumnFields[column], lvFiles->item(row, column)->text());
        record.set(TrackRecord::Comment, m_comments.at(row));
        tracks.append(record);
        rows->append(row);
    }
    return tracks;
}

bool frmAddFolder::confirmStorableText(QVector<TrackRecord> &tracks)
{
    QStringList texts;
    for (const TrackRecord &record : std::as_const(tracks)) {
        for (int field = 0; field < Catalogue::kColumnCount; ++field)
            texts.append(record.value(field));
    }
    const QStringList changes = Cp1251::roundTripChanges(texts);
    if (changes.isEmpty())
        return true;
    if (!MsgBox::confirm(
            this, QStringLiteral("Некоторые символы нельзя сохранить в файле базы, они будут записаны так:\r\n") +
                      listed(changes, QStringLiteral("\r\n")) + QStringLiteral("\r\nДобавить треки?")))
        return false;
    for (TrackRecord &record : tracks) {
        for (int field = 0; field < Catalogue::kColumnCount; ++field)
            record.set(field, Cp1251::roundTrip(record.at(field)));
    }
    return true;
}

void frmAddFolder::Command1_Click()
{
    if (m_reader->isReading())
        return;
    QLineEdit *number = txt[boxOf(TrackRecord::MediaNumber)];
    if (number->text().isEmpty()) {
        MsgBox::notice(this, QStringLiteral("Укажите номер носителя."), MsgBox::Exclamation);
        number->setFocus();
        return;
    }
    QVector<int> rows;
    const QVector<TrackRecord> ticked = tickedTracks(&rows);
    if (ticked.isEmpty())
        return;

    // As in the editor, the clash is found on the texts as typed, before the code page is asked about.
    const QVector<int> refused = EditorRules::duplicatePositions(m_catalogue.arTracks(), ticked);
    QStringList clashes;
    QVector<TrackRecord> tracks;
    QVector<int> storedRows;
    for (int i = 0, next = 0; i < ticked.size(); ++i) {
        const TrackRecord &record = ticked.at(i);
        if (next < refused.size() && refused.at(next) == i) {
            ++next;
            QString name = QStringLiteral("%1 #%2 трек %3")
                               .arg(record.at(TrackRecord::MediaType), record.at(TrackRecord::MediaNumber),
                                    record.at(TrackRecord::TrackNumber));
            if (!record.at(TrackRecord::Artist).isEmpty() || !record.at(TrackRecord::Title).isEmpty())
                name += QStringLiteral(" (%1 - %2)").arg(record.at(TrackRecord::Artist), record.at(TrackRecord::Title));
            clashes.append(name);
        } else {
            tracks.append(record);
            storedRows.append(rows.at(i));
        }
    }
    if (!tracks.isEmpty() && !confirmStorableText(tracks))
        return;
    for (const TrackRecord &record : std::as_const(tracks))
        m_catalogue.addTrack(record);
    if (!storedRows.isEmpty())
        Q_EMIT tracksStored(int(storedRows.size()));
    if (clashes.isEmpty()) {
        accept();
        return;
    }

    // The refused tracks stay listed, so the user can give them other numbers and add them after all.
    for (auto row = storedRows.crbegin(); row != storedRows.crend(); ++row) {
        lvFiles->removeRow(*row);
        m_comments.removeAt(*row);
    }
    updateAddButton();
    MsgBox::show(this,
                 QStringLiteral("Такие треки уже существуют: ") + listed(clashes, QStringLiteral("; ")) +
                     QStringLiteral(".\r\nПоменяйте номер носителя или номера треков."),
                 MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Уже есть!"));
}

void frmAddFolder::reject()
{
    m_reader->abandon();
    QDialog::reject();
}
