#include "mSubclass.h"

#include "CTooltip.h"
#include "ui/platform/ListView.h"

#include <QHeaderView>
#include <QMouseEvent>

mSubclass::mSubclass(QObject *parent) : QObject(parent) {}

mSubclass::~mSubclass()
{
    remove();
}

void mSubclass::install(ListView *list, CTooltip *tip)
{
    remove();
    if (!list || !tip)
        return;
    m_list = list;
    m_tip = tip;
    m_header = list->header();
    m_area = m_header->viewport();
    m_area->setMouseTracking(true);
    m_header->installEventFilter(this);
    m_area->installEventFilter(this);
    m_hotColumn = -1;
}

void mSubclass::remove()
{
    if (m_header)
        m_header->removeEventFilter(this);
    if (m_area)
        m_area->removeEventFilter(this);
    if (m_tip && m_area && m_tip->tool() == m_area)
        m_tip->Destroy();
    m_header = nullptr;
    m_area = nullptr;
    m_list = nullptr;
    m_tip = nullptr;
    m_hotColumn = -1;
}

bool mSubclass::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area && event->type() == QEvent::MouseMove) {
        const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
        // Left of the first column after a horizontal scroll, or right of the last: no column.
        setHotColumn(m_header->logicalIndexAt(pos));
    } else if (watched == m_header && event->type() == QEvent::Leave) {
        m_hotColumn = -1;
        if (m_tip)
            m_tip->Destroy();
    }
    return QObject::eventFilter(watched, event);
}

void mSubclass::setHotColumn(int column)
{
    if (column == m_hotColumn || !m_tip)
        return;
    m_hotColumn = column;
    m_tip->Destroy();
    if (column == -1 || !m_list)
        return;
    m_tip->setTitle(m_list->columnText(column));
    m_tip->setTipText(QStringLiteral(" "));
    m_tip->Create(m_area);
}
