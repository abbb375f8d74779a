#include "BalloonWindow.h"

#include "DesktopCompositor.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kStemHeight = 14;
constexpr int kStemWidth = 14;
// How far from the box's left edge the stem starts, and how far below the spot a plain tip sits.
constexpr int kStemOffset = 16;
constexpr int kPlainGap = 20;
constexpr int kRadius = 8;
constexpr int kPadding = 8;
constexpr int kIconSize = 16;

} // namespace

BalloonWindow::BalloonWindow(bool balloon, QWidget *parent)
    : QWidget(parent,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput),
      m_balloon(balloon)
{
    setObjectName(QStringLiteral("BalloonWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);

    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("icon"));
    m_iconLabel->setFixedSize(kIconSize, kIconSize);
    m_iconLabel->hide();
    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName(QStringLiteral("title"));
    m_titleLabel->setTextFormat(Qt::PlainText);
    QFont bold = m_titleLabel->font();
    bold.setBold(true);
    m_titleLabel->setFont(bold);
    m_titleLabel->hide();
    m_textLabel = new QLabel(this);
    m_textLabel->setObjectName(QStringLiteral("text"));
    m_textLabel->setTextFormat(Qt::PlainText);

    auto *grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(m_iconLabel, 0, 0);
    grid->addWidget(m_titleLabel, 0, 1);
    grid->addWidget(m_textLabel, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    applyColors();
    place();
}

QString BalloonWindow::title() const
{
    return m_titleLabel->text();
}

void BalloonWindow::setTitle(int icon, const QString &title)
{
    m_icon = icon;
    QStyle::StandardPixmap standard = QStyle::SP_MessageBoxInformation;
    switch (icon) {
    case WarningIcon:
        standard = QStyle::SP_MessageBoxWarning;
        break;
    case ErrorIcon:
        standard = QStyle::SP_MessageBoxCritical;
        break;
    default:
        break;
    }
    const bool hasIcon = icon >= InformationIcon && icon <= ErrorIcon;
    m_iconLabel->setPixmap(hasIcon ? style()->standardIcon(standard).pixmap(kIconSize, kIconSize) : QPixmap());
    m_iconLabel->setVisible(hasIcon);
    m_titleLabel->setText(title);
    m_titleLabel->setVisible(!title.isEmpty());
    place();
}

QString BalloonWindow::text() const
{
    return m_textLabel->text();
}

void BalloonWindow::setText(const QString &text)
{
    m_textLabel->setText(text);
    place();
}

void BalloonWindow::setTextColor(const QColor &color)
{
    m_textColor = color;
    applyColors();
}

void BalloonWindow::setBackColor(const QColor &color)
{
    m_backColor = color;
    applyColors();
}

QColor BalloonWindow::textColor() const
{
    return m_textColor.isValid() ? m_textColor : palette().color(QPalette::ToolTipText);
}

QColor BalloonWindow::backColor() const
{
    return m_backColor.isValid() ? m_backColor : palette().color(QPalette::ToolTipBase);
}

void BalloonWindow::applyColors()
{
    for (QLabel *label : {m_titleLabel, m_textLabel}) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, textColor());
        label->setPalette(pal);
    }
    update();
}

void BalloonWindow::pointAt(const QPoint &spot, int clearance)
{
    m_spot = spot;
    m_clearance = clearance;
    place();
}

QPoint BalloonWindow::stemPoint() const
{
    return m_spot + QPoint(0, m_stemDown ? -m_clearance : m_clearance);
}

void BalloonWindow::place()
{
    // The stem takes room above or below the contents, so the side is settled before the size.
    const auto sizeFor = [this](bool stemDown) {
        const int stem = m_balloon ? kStemHeight : 0;
        layout()->setContentsMargins(kPadding, kPadding + (stemDown ? 0 : stem), kPadding,
                                     kPadding + (stemDown ? stem : 0));
        layout()->activate();
        return sizeHint();
    };
    const QScreen *screen = QGuiApplication::screenAt(m_spot);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const int below = m_clearance + (m_balloon ? 0 : kPlainGap);
    QSize size = sizeFor(false);
    m_stemDown = area.isValid() && m_spot.y() + below + size.height() > area.bottom() &&
                 m_spot.y() - m_clearance - size.height() >= area.top();
    if (m_stemDown)
        size = sizeFor(true);
    int x = m_balloon ? m_spot.x() - kStemOffset : m_spot.x();
    if (area.isValid())
        x = qBound(area.left(), x, qMax(area.left(), area.right() - size.width()));
    const int y = m_stemDown ? m_spot.y() - m_clearance - size.height() : m_spot.y() + below;
    resize(size);
    move(x, y);
    updateShape(); // the stem may have moved without a change of size
    update();
}

QPainterPath BalloonWindow::outline(const QRectF &frame) const
{
    QPainterPath path;
    if (!m_balloon) {
        path.addRect(frame);
        return path;
    }
    const QRectF box = m_stemDown ? frame.adjusted(0, 0, 0, -kStemHeight) : frame.adjusted(0, kStemHeight, 0, 0);
    path.addRoundedRect(box, kRadius, kRadius);
    // The stem's point is the spot, in this window's coordinates, kept off the rounded corners.
    const double tipX =
        qBound(box.left() + kRadius, double(mapFromGlobal(stemPoint()).x()), box.right() - kRadius - kStemWidth);
    QPainterPath stem;
    if (m_stemDown) {
        stem.moveTo(tipX, box.bottom() - 1);
        stem.lineTo(tipX, frame.bottom());
        stem.lineTo(tipX + kStemWidth, box.bottom() - 1);
    } else {
        stem.moveTo(tipX, box.top() + 1);
        stem.lineTo(tipX, frame.top());
        stem.lineTo(tipX + kStemWidth, box.top() + 1);
    }
    stem.closeSubpath();
    return path.united(stem);
}

void BalloonWindow::updateShape()
{
    if (m_shaped)
        setMask(QRegion(outline(QRectF(rect())).toFillPolygon().toPolygon()));
    else if (!mask().isEmpty())
        clearMask();
}

void BalloonWindow::showEvent(QShowEvent *event)
{
    // Asked at every show: a compositing manager may have started or stopped meanwhile.
    m_shaped = !DesktopCompositor::translucentWindows();
    updateShape();
    QWidget::showEvent(event);
}

void BalloonWindow::resizeEvent(QResizeEvent *event)
{
    updateShape();
    QWidget::resizeEvent(event);
}

void BalloonWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A shaped window has no half-transparent edge pixels: they would show dark against what is behind.
    painter.setRenderHint(QPainter::Antialiasing, !m_shaped);
    painter.setPen(QPen(textColor(), 1));
    painter.setBrush(backColor());
    painter.drawPath(outline(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)));
}
