#include "CTooltip.h"

#include "BalloonWindow.h"

#include <QColor>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace {

// How far the tip keeps from the mouse pointer, about the height of the pointer's image.
constexpr int kPointerClearance = 20;

QColor colorOf(quint32 value)
{
    return value == 0 ? QColor() : QColor(QRgb(0xFF000000u | (value & 0xFFFFFFu)));
}

} // namespace

CTooltip::CTooltip(QObject *parent) : QObject(parent), m_restTimer(new QTimer(this)), m_visibleTimer(new QTimer(this))
{
    m_restTimer->setSingleShot(true);
    m_visibleTimer->setSingleShot(true);
    connect(m_restTimer, &QTimer::timeout, this, &CTooltip::showTip);
    connect(m_visibleTimer, &QTimer::timeout, this, [this] {
        hideTip();
        m_timedOut = true;
    });
}

CTooltip::~CTooltip()
{
    Destroy();
}

void CTooltip::setIcon(int icon)
{
    m_icon = icon;
    if (m_window && !m_title.isEmpty() && m_icon != NoIcon)
        m_window->setTitle(m_icon, m_title);
}

void CTooltip::setTitle(const QString &title)
{
    m_title = title;
    if (m_window && !m_title.isEmpty() && m_icon != NoIcon)
        m_window->setTitle(m_icon, m_title);
}

void CTooltip::setForeColor(quint32 color)
{
    m_foreColor = color;
    if (m_window)
        m_window->setTextColor(colorOf(color));
}

void CTooltip::setBackColor(quint32 color)
{
    m_backColor = color;
    if (m_window)
        m_window->setBackColor(colorOf(color));
}

void CTooltip::setTipText(const QString &text)
{
    m_tipText = text;
    if (!m_window)
        return;
    m_window->setText(text);
    if (text.isEmpty())
        hideTip();
}

void CTooltip::Create(QWidget *tool)
{
    Destroy();
    if (!tool)
        return;
    m_window = new BalloonWindow(m_style == BalloonStyle);
    m_window->setText(m_tipText);
    if (!m_title.isEmpty() || m_icon != NoIcon)
        m_window->setTitle(m_icon, m_title);
    if (m_foreColor != 0)
        m_window->setTextColor(colorOf(m_foreColor));
    if (m_backColor != 0)
        m_window->setBackColor(colorOf(m_backColor));
    m_restTimer->setInterval(qMax(0, m_delayTime));
    m_visibleTimer->setInterval(qMax(0, m_visibleTime));
    m_tipCentered = m_centered;
    m_timedOut = false;
    m_inside = tool->underMouse();

    m_tool = tool;
    // The tip follows the mouse over the tool without a button held.
    m_toolTracked = !tool->hasMouseTracking();
    tool->setMouseTracking(true);
    tool->installEventFilter(this);

    if (m_inside) {
        const QPoint cursor = QCursor::pos();
        rest(tool->rect().contains(tool->mapFromGlobal(cursor)) ? cursor : tool->mapToGlobal(tool->rect().center()));
    }
}

void CTooltip::Destroy()
{
    m_restTimer->stop();
    m_visibleTimer->stop();
    if (m_tool) {
        m_tool->removeEventFilter(this);
        if (m_toolTracked)
            m_tool->setMouseTracking(false);
    }
    m_tool = nullptr;
    m_toolTracked = false;
    delete m_window;
    m_window = nullptr;
}

bool CTooltip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_tool)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        // Windows shown or hidden over the tool can bring an Enter without a Leave before it.
        if (!m_inside) {
            m_inside = true;
            m_timedOut = false;
            rest(static_cast<QEnterEvent *>(event)->globalPosition().toPoint());
        }
        break;
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_inside = true;
        if (mouse->buttons() == Qt::NoButton)
            rest(mouse->globalPosition().toPoint());
        break;
    }
    case QEvent::Leave:
    case QEvent::Hide:
        hideTip();
        m_inside = false;
        m_timedOut = false;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        // A click puts the tip away until the mouse leaves the tool and comes back.
        hideTip();
        m_timedOut = true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool CTooltip::isWaiting() const
{
    return m_restTimer->isActive();
}

void CTooltip::rest(const QPoint &globalPos)
{
    m_restPos = globalPos;
    // A tip that is up stays up while the mouse moves over its tool; otherwise the rest starts again.
    if (!m_window || m_window->isVisible() || m_timedOut || m_tipText.isEmpty())
        return;
    m_restTimer->start();
}

void CTooltip::showTip()
{
    if (!m_window || !m_tool || m_tipText.isEmpty() || !m_tool->isVisible())
        return;
    // Centred: at the middle of the tool's lower edge; else at the mouse pointer, kept clear of it.
    if (m_tipCentered)
        m_window->pointAt(m_tool->mapToGlobal(QPoint(m_tool->width() / 2, m_tool->height())));
    else
        m_window->pointAt(m_restPos, kPointerClearance);
    m_window->show();
    m_visibleTimer->start();
}

void CTooltip::hideTip()
{
    m_restTimer->stop();
    m_visibleTimer->stop();
    if (m_window)
        m_window->hide();
}
