#pragma once

#include <QColor>
#include <QWidget>

class QLabel;
class QPainterPath;

// The window of a tip: a box with a bold title line (with an optional icon before it) over the body
// text. As a balloon it has rounded corners and a stem whose point sits on the spot the tip is about;
// otherwise it is a plain rectangle below that spot. Colours left invalid are the platform's tooltip
// colours.
class BalloonWindow : public QWidget
{
    Q_OBJECT

public:
    // The icon of the title line: the codes CTooltip's Icon takes.
    enum TitleIcon { NoIcon = 0, InformationIcon = 1, WarningIcon = 2, ErrorIcon = 3 };

    explicit BalloonWindow(bool balloon, QWidget *parent = nullptr);

    bool isBalloon() const { return m_balloon; }

    QString title() const;
    int titleIcon() const { return m_icon; }
    void setTitle(int icon, const QString &title);
    QString text() const;
    void setText(const QString &text);
    // An invalid colour gives back the platform's colour.
    void setTextColor(const QColor &color);
    void setBackColor(const QColor &color);
    QColor textColor() const;
    QColor backColor() const;

    // Sizes the window to its contents and places it so that it points at a spot `clearance` pixels below
    // `spot` (global coordinates), the box below with the stem pointing up; or, when there is no room
    // below on the screen, at a spot `clearance` pixels above it, the box above with the stem pointing
    // down. A clearance keeps the tip off the mouse pointer.
    void pointAt(const QPoint &spot, int clearance = 0);
    // The spot the stem points at.
    QPoint stemPoint() const;
    // True when the stem points down (the box is above its spot).
    bool stemDown() const { return m_stemDown; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyColors();
    void place();
    // The tip's outline within `frame`: a rectangle, or a rounded box with its stem.
    QPainterPath outline(const QRectF &frame) const;
    // Where the desktop shows no transparent windows, the window takes the outline's shape.
    void updateShape();

    bool m_balloon;
    bool m_stemDown = false;
    bool m_shaped = false;
    int m_icon = NoIcon;
    QPoint m_spot;
    int m_clearance = 0;
    QColor m_textColor;
    QColor m_backColor;
    QLabel *m_iconLabel;
    QLabel *m_titleLabel;
    QLabel *m_textLabel;
};
