#include "frmAbout.h"

#include "ui/platform/Twips.h"
#include "ui/platform/VisualStyle.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace {

const QLatin1String kHelpPage("cratebook-help.html");

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

} // namespace

frmAbout::frmAbout(const QString &programTitle, bool disableXP, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(Twips::toPixelsX(4815), Twips::toPixelsY(2895));

    Label1 = makeLabel(this, "Label1", programTitle, Twips::toPixels(240, 240, 4215, 1095));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(14.25);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    Label3 =
        makeLabel(this, "Label3", QStringLiteral("Программа для каталогизации, поиска треков с дисков и пластинок."),
                  Twips::toPixels(240, 1440, 3495, 495));
    Label4 = makeLabel(this, "Label4", QStringLiteral("Cratebook [") + kHelpPage + QLatin1Char(']'),
                       Twips::toPixels(240, 2160, 3375, 255));
    Label4->setWordWrap(false);

    Command1 = new QPushButton(QStringLiteral("Закрыть"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::toPixels(3480, 2400, 1215, 375));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    // The description keeps its place and width; where the system's font needs more lines than its
    // height holds, the box grows by the difference rather than cutting the text off.
    const int extra = Label3->heightForWidth(Label3->width()) - Label3->height();
    if (extra > 0) {
        Label3->resize(Label3->width(), Label3->height() + extra);
        for (QWidget *below : {static_cast<QWidget *>(Label4), static_cast<QWidget *>(Command1)})
            below->move(below->x(), below->y() + extra);
        setFixedSize(width(), height() + extra);
    }

    for (QLabel *label : {Label1, Label3, Label4})
        label->installEventFilter(this);

    VisualStyle::apply(this, disableXP);
}

QString frmAbout::helpPagePath(const QString &programFolder)
{
    const QDir folder(programFolder);
    const QString beside = folder.filePath(kHelpPage);
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(folder.filePath(QLatin1String(CRATEBOOK_INSTALLED_HELP)));
}

void frmAbout::openHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpPagePath(QCoreApplication::applicationDirPath())));
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    // The texts close the box like the box itself: on the release of a click on them.
    if (event->type() == QEvent::MouseButtonRelease && (watched == Label1 || watched == Label3 || watched == Label4)) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::mouseReleaseEvent(QMouseEvent *event)
{
    QDialog::mouseReleaseEvent(event);
    accept();
}
