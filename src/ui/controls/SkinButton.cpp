#include "SkinButton.h"

#include "SkinPictures.h"
#include "ui/platform/Twips.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

SkinButton::SkinButton(QWidget *parent) : QAbstractButton(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Timer1.setInterval(kWatchInterval);
    connect(&Timer1, &QTimer::timeout, this, &SkinButton::Timer1_Timer);
    connect(this, &QAbstractButton::clicked, this, &SkinButton::Click);
    m_picture = m_image1;
}

SkinButton::~SkinButton()
{
    Timer1.stop();
}

SkinButton *SkinButton::create(QWidget *parent, const QString &name, const QString &svg, const QString &tip,
                               int glyphSize)
{
    auto *button = new SkinButton(parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    // The highest ratio of all screens: sharp there, and smoothly scaled down on the others.
    const qreal dpr = std::max(qApp->devicePixelRatio(), button->devicePixelRatioF());
    button->setPictures(SkinPictures::fromSvg(svg, glyphSize, dpr, button->palette()));
    return button;
}

void SkinButton::setPicture(const QPixmap &picture)
{
    showPicture(picture);
}

void SkinButton::setPicture_1(const QPixmap &picture)
{
    m_image1 = picture;
    showPicture(picture);
    resize(sizeHint());
    updateGeometry();
    Q_EMIT Picture_1Changed();
}

void SkinButton::setPicture_2(const QPixmap &picture)
{
    m_image2 = picture;
    Q_EMIT Picture_2Changed();
}

void SkinButton::setPicture_3(const QPixmap &picture)
{
    m_image3 = picture;
    Q_EMIT Picture_3Changed();
}

void SkinButton::setPictures(const SkinPictures &pictures)
{
    setPicture_2(pictures.hover);
    setPicture_3(pictures.pressed);
    setPicture_1(pictures.normal);
}

void SkinButton::RelasePicture()
{
    Timer1.stop();
    m_buttonState = Normal;
    showPicture(restingPicture());
}

QSize SkinButton::sizeHint() const
{
    if (m_image1.isNull())
        return QSize(0, 0);
    return m_image1.deviceIndependentSize().toSize();
}

QSize SkinButton::minimumSizeHint() const
{
    return sizeHint();
}

void SkinButton::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // A disabled button (its window is busy, say) shows its picture faded, so it reads as unavailable.
    if (!isEnabled())
        painter.setOpacity(0.35);
    painter.drawPixmap(0, 0, m_picture);
}

void SkinButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        showPicture(m_image3);
        m_buttonState = Pressed;
    }
    QAbstractButton::mousePressEvent(event);
}

void SkinButton::mouseMoveEvent(QMouseEvent *event)
{
    // A button held down on it keeps sending moves here wherever the pointer goes; only a move over the
    // button itself counts, so one dragged off stays at rest after the watch's look until it is back.
    if (!isOver(event->globalPosition().toPoint())) {
        QAbstractButton::mouseMoveEvent(event);
        return;
    }
    const QPointF at = event->position();
    Q_EMIT MouseMove(event->buttons(), event->modifiers(), Twips::fromPixelsX(qRound(at.x())),
                     Twips::fromPixelsY(qRound(at.y())));
    if (m_buttonState == Normal) {
        showPicture(m_image2);
        Timer1.start();
        m_buttonState = Hovered;
    }
    QAbstractButton::mouseMoveEvent(event);
}

void SkinButton::mouseReleaseEvent(QMouseEvent *event)
{
    // Back to normal even over the button; the next move lights it again.
    if (event->button() == Qt::LeftButton && m_buttonState == Pressed) {
        showPicture(restingPicture());
        m_buttonState = Normal;
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void SkinButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat()) {
            showPicture(m_image3);
            m_buttonState = Pressed;
        }
        QAbstractButton::keyPressEvent(event);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

void SkinButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && m_buttonState == Pressed) {
        showPicture(restingPicture());
        m_buttonState = Normal;
    }
    QAbstractButton::keyReleaseEvent(event);
}

void SkinButton::focusInEvent(QFocusEvent *event)
{
    if (m_buttonState == Normal)
        showPicture(m_image2);
    QAbstractButton::focusInEvent(event);
}

void SkinButton::focusOutEvent(QFocusEvent *event)
{
    // A press by keyboard ends with the focus; a hover by the mouse is left to the watch.
    if (m_buttonState == Pressed && !(QApplication::mouseButtons() & Qt::LeftButton))
        m_buttonState = Normal;
    QAbstractButton::focusOutEvent(event);
    if (m_buttonState == Normal)
        showPicture(m_image1);
}

void SkinButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        Q_EMIT EnabledChanged(isEnabled());
    else if (event->type() == QEvent::FontChange)
        Q_EMIT FontChanged();
    QAbstractButton::changeEvent(event);
}

void SkinButton::showPicture(const QPixmap &picture)
{
    const bool changed = picture.cacheKey() != m_picture.cacheKey();
    m_picture = picture;
    update();
    if (changed)
        Q_EMIT PictureChanged();
}

QPixmap SkinButton::restingPicture() const
{
    return hasFocus() ? m_image2 : m_image1;
}

bool SkinButton::isOver(const QPoint &global) const
{
    // Away when the window under the pointer is anything but this button's own.
    return QApplication::widgetAt(global) == this;
}

void SkinButton::Timer1_Timer()
{
    if (!isOver(QCursor::pos()))
        RelasePicture();
}
