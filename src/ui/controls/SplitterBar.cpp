#include "SplitterBar.h"

#include "ui/platform/Twips.h"

#include <QMouseEvent>
#include <QPainter>

SplitterBar::SplitterBar(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::SizeVerCursor);
}

void SplitterBar::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT mouseDown(event->button(), Twips::fromPixelsY(qRound(event->position().y())));
}

void SplitterBar::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT mouseMove(event->buttons(), Twips::fromPixelsY(qRound(event->position().y())));
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *event)
{
    Q_EMIT mouseUp(event->button(), Twips::fromPixelsY(qRound(event->position().y())));
}

void SplitterBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().mid().color());
    painter.drawLine(0, height() / 2, width(), height() / 2);
}
