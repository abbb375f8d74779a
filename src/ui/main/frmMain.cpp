#include "frmMain.h"

#include "core/search/SearchIndex.h"
#include "core/settings/modManageSettings.h"
#include "ui/controls/CTooltip.h"
#include "ui/controls/SkinButton.h"
#include "ui/controls/SplitterBar.h"
#include "ui/controls/frmAbout.h"
#include "ui/controls/mSubclass.h"
#include "ui/controls/modListViewEnh.h"
#include "ui/controls/uSc_ListView_Xtended_Sort.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/Twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QThreadPool>

frmMain::frmMain(modGlobalData &globals, SettingsFile &settings, QWidget *parent)
    : QMainWindow(parent), g(globals), m_settings(settings), m_searchFields(SearchIndex::kAllFields)
{
    setObjectName(QStringLiteral("frmMain"));
    buildControls();
    buildMenus();
    buildContextMenu();
    LVXS = std::make_unique<uSc_ListView_Xtended_Sort>();
    connectTrackList();
    connectTrackCommands();
    connectSearch();
    connectTracklist();
    connectSort();
    connectExport();
    connectBases();
    connectHelp();
    setMinimumSize(Twips::toPixelsX(MainLayout::kMinFormSize - MainLayout::kFrameWidth),
                   Twips::toPixelsY(MainLayout::kMinFormSize - MainLayout::kNonClientHeight));
    setFormSize(13500, 9600);
}

frmMain::~frmMain()
{
    stopSearch();
}

SkinButton *frmMain::makeButton(QWidget *parent, const char *name, const QString &command, const char *picture,
                                int size)
{
    return SkinButton::create(parent, QLatin1String(name), QStringLiteral(":/buttons/%1.svg").arg(QLatin1String(picture)),
                              command, size);
}

void frmMain::buildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);

    // The button strip with the search box.
    Frame1 = new QFrame(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Command5 = makeButton(Frame1, "Command5", QStringLiteral("Новый трек"), "newtrack");
    Command4 = makeButton(Frame1, "Command4", QStringLiteral("Копировать в новый"), "copytonew");
    Command6 = makeButton(Frame1, "Command6", QStringLiteral("Изменить трек"), "edit");
    Command8 = makeButton(Frame1, "Command8", QStringLiteral("Удалить трек"), "delete");
    Command7 = makeButton(Frame1, "Command7", QStringLiteral("Новый CD альбом"), "newalbum");
    Command9 = makeButton(Frame1, "Command9", QStringLiteral("Сортировать"), "sort");
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Поиск"));
    Text1->setPlaceholderText(QStringLiteral("Поиск"));
    Text1->setClearButtonEnabled(false);
    cmdFind = makeButton(Frame1, "cmdFind", QStringLiteral("Показать все треки"), "find");
    cmdOptions =
        makeButton(Frame1, "cmdOptions", QStringLiteral("Параметры поиска"), "options");
    cmdExit = makeButton(Frame1, "cmdExit", QStringLiteral("Выход"), "exit");

    auto *strip = new QHBoxLayout(Frame1);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->setSpacing(2);
    for (SkinButton *b : {Command5, Command4, Command6, Command8, Command7, Command9})
        strip->addWidget(b);
    strip->addSpacing(16);
    strip->addWidget(Text1, 1);
    strip->addWidget(cmdFind);
    strip->addWidget(cmdOptions);
    strip->addSpacing(16);
    strip->addWidget(cmdExit);

    lv = new ListView(central);
    lv->setObjectName(QStringLiteral("lv"));
    lv->setAccessibleName(QStringLiteral("Треки базы"));

    lr = new SplitterBar(central);
    lr->setObjectName(QStringLiteral("lr"));
    lr->setAccessibleName(QStringLiteral("Граница панели Tracklist"));

    // The Tracklist panel: caption strip with its buttons, then the list.
    Fr = new QFrame(central);
    Fr->setObjectName(QStringLiteral("Fr"));
    FrCaption = new QLabel(QStringLiteral("Track list:"), Fr);
    FrCaption->setObjectName(QStringLiteral("FrCaption"));
    Command1 = makeButton(Fr, "Command1", QStringLiteral("Добавить в Track list"), "tracklistadd", 16);
    Command2 = makeButton(Fr, "Command2", QStringLiteral("Удалить трек из Track list"), "tracklistremove", 16);
    Command3 =
        makeButton(Fr, "Command3", QStringLiteral("Удалить все треки из Track list"), "tracklistclear", 16);
    cmdUp = makeButton(Fr, "cmdUp", QStringLiteral("Переместить вверх"), "up", 16);
    cmdDown = makeButton(Fr, "cmdDown", QStringLiteral("Переместить вниз"), "down", 16);
    auto *panelStrip = new QHBoxLayout(Fr);
    panelStrip->setContentsMargins(4, 0, 4, 0);
    panelStrip->setSpacing(2);
    panelStrip->addWidget(FrCaption);
    panelStrip->addSpacing(12);
    for (SkinButton *b : {Command1, Command2, Command3, cmdUp, cmdDown})
        panelStrip->addWidget(b);
    panelStrip->addStretch();

    lv2 = new ListView(central);
    lv2->setObjectName(QStringLiteral("lv2"));
    lv2->setAccessibleName(QStringLiteral("Track list"));
    modListViewEnh::EnhListView_Toggle_FlatColumnHeaders(this, lv2, false);
    lv2->setVisible(false);
    Fr->setVisible(false);
    lr->setVisible(false);

    Stb = statusBar();
    Stb->setObjectName(QStringLiteral("Stb"));
    Stb->setSizeGripEnabled(true);
    auto *statusLabel = new QLabel(Stb);
    statusLabel->setObjectName(QStringLiteral("StbText"));
    Stb->addWidget(statusLabel, 1);

    // Strip heights are fixed; everything below them is placed by the layout rules.
    m_geometry.frame1.top = 0;
    m_geometry.frame1.height = Twips::fromPixelsY(Frame1->sizeHint().height());
    m_geometry.fr.height = Twips::fromPixelsY(std::max(Fr->sizeHint().height(), 24));
    m_geometry.lv.top = m_geometry.frame1.top + m_geometry.frame1.height;
    m_geometry.lv2.visible = false;
    m_geometry.fr.visible = false;
    m_geometry.lr.visible = false;

    connect(cmdExit, &SkinButton::clicked, this, &QWidget::close);
    connect(lr, &SplitterBar::mouseDown, this, [this](Qt::MouseButton button, double y) {
        if (button == Qt::LeftButton)
            onSplitterDown(y);
    });
    connect(lr, &SplitterBar::mouseMove, this, [this](Qt::MouseButtons, double y) { onSplitterMove(y); });
    connect(lr, &SplitterBar::mouseUp, this, [this](Qt::MouseButton, double) { onSplitterUp(); });
}

QString frmMain::statusText() const
{
    const auto *label = Stb->findChild<QLabel *>(QStringLiteral("StbText"));
    return label ? label->text() : QString();
}

void frmMain::setStatusText(const QString &text)
{
    if (auto *label = Stb->findChild<QLabel *>(QStringLiteral("StbText")))
        label->setText(text);
}

void frmMain::Form_Load()
{
    // A column's caption shows in a balloon while the mouse rests on its header (the list may show the
    // caption cut short).
    TT = new CTooltip(this);
    TT->setStyle(CTooltip::BalloonStyle);
    TT->setIcon(CTooltip::InformationIcon);
    m_headerWatch = new mSubclass(this);
    m_headerWatch->install(lv, TT);
}

bool frmMain::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QMainWindow::event(event);
}

void frmMain::Form_Activate()
{
    // Coming back to the main window closes the search options.
    cmdOptions->setEnabled(true);
    Q_EMIT windowActivated();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_closing || Form_Unload()) {
        event->accept();
        return;
    }
    event->ignore();
}

bool frmMain::Form_Unload()
{
    // A completion still running must stop, and so must a search.
    g.iAcSetting = true;
    stopSearch();

    // After a restore from the safety copy the base file on disk is the restored one and must stay so; the
    // Tracklist is a file of its own and keeps its rows.
    if (!m_saveOnClose)
        SaveTracklist();
    else if (!saveOrLetGo(QStringLiteral("Всё равно закрыть программу?"))) {
        g.iAcSetting = false;
        return false;
    }
    // The window closes: its header is no longer watched.
    if (m_headerWatch)
        m_headerWatch->remove();
    StoreSettings();
    m_closing = true;
    if (m_unloadHandler)
        m_unloadHandler();
    return true;
}

bool frmMain::saveOrLetGo(const QString &question)
{
    // When the save fails, the tracks in memory are the only copy of the changes: they are let go only
    // when the user says so, knowing which files were not written.
    m_failedWrites.clear();
    if (SaveCurentH())
        return true;
    QStringList names;
    for (const QString &path : std::as_const(m_failedWrites))
        names.append(QStringLiteral("«") + QDir::toNativeSeparators(path) + QStringLiteral("»"));
    const QString what = names.size() == 1
                             ? QStringLiteral("не удалось записать файл ") + names.first()
                             : QStringLiteral("не удалось записать файлы ") + names.join(QStringLiteral(", "));
    return MsgBox::confirm(this,
                           QStringLiteral("Изменения не сохранены: ") + what + QStringLiteral(".\r\n") + question);
}

void frmMain::reportWriteFailure(const QString &path, const QString &reason)
{
    m_failedWrites.append(path);
    // A failed write never touches the file it was to replace: whatever is there now was there before.
    QString text = QStringLiteral("Не удалось записать файл \"%1\".\r\n%2")
                       .arg(QDir::toNativeSeparators(path), MsgBox::asSentence(reason));
    if (QFileInfo::exists(path))
        text += QStringLiteral("\r\nПрежнее содержимое файла осталось без изменений.");
    MsgBox::show(this, text, MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка записи"));
}

void frmMain::connectHelp()
{
    connect(mnuHelp, &QAction::triggered, this, [] { frmAbout::openHelp(); });
    connect(mnuAbout, &QAction::triggered, this, [this] {
        frmAbout box(windowTitle(), g.iDisableXP != 0, this);
        Modal::show(&box, this);
    });
}
