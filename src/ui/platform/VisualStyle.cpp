#include "VisualStyle.h"

#include <QApplication>
#include <QChildEvent>
#include <QEvent>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace VisualStyle {

namespace {

const QLatin1String ClassicStyleName("Windows");

// The one classic style of the program, made on first use and owned by the application.
QStyle *classicStyle()
{
    static QPointer<QStyle> style;
    if (!style && qApp) {
        style = QStyleFactory::create(ClassicStyleName);
        if (style)
            style->setParent(qApp);
        else
            qWarning("VisualStyle: the classic widget style is not available");
    }
    return style;
}

class ClassicKeeper;
void applyClassic(QWidget *widget, QStyle *style, ClassicKeeper *keeper);

// Keeps the classic look on the widgets of a classic dialog that are created or moved into it after
// apply(). Child events only reach the direct parent, so the filter watches every widget of the dialog,
// not the dialog alone.
class ClassicKeeper : public QObject
{
public:
    explicit ClassicKeeper(QObject *parent) : QObject(parent) { }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::ChildAdded || type == QEvent::ChildPolished) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            QStyle *style = classicStyle();
            // A widget announced by ChildAdded is still inside its QWidget constructor: setting the style
            // now means the rest of its construction already sees the classic one. ChildPolished, which
            // comes for every widget on first show, only catches one that has no style set on it yet.
            if (child && child->isWidgetType() && style) {
                auto *widget = static_cast<QWidget *>(child);
                if (type == QEvent::ChildAdded || !widget->testAttribute(Qt::WA_SetStyle))
                    applyClassic(widget, style, this);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// The keeper has no meta-object of its own, so it is looked up by type rather than with findChild().
ClassicKeeper *keeperOf(const QWidget *dialog)
{
    for (QObject *child : dialog->children()) {
        if (auto *keeper = dynamic_cast<ClassicKeeper *>(child))
            return keeper;
    }
    return nullptr;
}

QList<QWidget *> childWidgets(const QWidget *widget)
{
    return widget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
}

void applyClassic(QWidget *widget, QStyle *style, ClassicKeeper *keeper)
{
    if (widget->style() != style)
        widget->setStyle(style);
    // Installing the same filter again only moves it to the front of the list.
    widget->installEventFilter(keeper);
    for (QWidget *child : childWidgets(widget))
        applyClassic(child, style, keeper);
}

void applyPlatform(QWidget *widget, QObject *keeper)
{
    widget->removeEventFilter(keeper);
    widget->setStyle(nullptr);
    for (QWidget *child : childWidgets(widget))
        applyPlatform(child, keeper);
}

} // namespace

void apply(QWidget *dialog, bool disabled)
{
    if (!dialog)
        return;
    if (disabled) {
        QStyle *style = classicStyle();
        if (!style)
            return;
        ClassicKeeper *keeper = keeperOf(dialog);
        if (!keeper)
            keeper = new ClassicKeeper(dialog);
        applyClassic(dialog, style, keeper);
    } else if (ClassicKeeper *keeper = keeperOf(dialog)) {
        // Normally the choice is made once, but a dialog switched back gets the application's style again.
        applyPlatform(dialog, keeper);
        delete keeper;
    }
}

bool isClassic(const QWidget *widget)
{
    if (!widget)
        return false;
    const QStyle *style = widget->style();
    if (style->name().compare(ClassicStyleName, Qt::CaseInsensitive) == 0)
        return true;
    // A widget with a style sheet draws through a wrapper style that has no name and does not tell what
    // it wraps; within a classic dialog, it wraps the classic style.
    if (!style->inherits("QStyleSheetStyle"))
        return false;
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (keeperOf(w))
            return true;
    }
    return false;
}

} // namespace VisualStyle
