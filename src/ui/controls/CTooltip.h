#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class BalloonWindow;
class QTimer;
class QWidget;

// A tip for one widget (the tool): the caller sets the look (style, icon, title, text, colours, times)
// and calls Create with the tool; the tip then shows on its own once the mouse has rested over the tool
// for DelayTime, stays up for VisibleTime, and goes when the mouse leaves the tool or presses a button
// on it. After it has timed out it shows again only when the mouse has left the tool and come back.
//
// The settings live across Create and Destroy. Which writes act on an existing tip at once:
// - Style, Centered, VisibleTime, DelayTime: only at the next Create;
// - ForeColor, BackColor, TipText: at once;
// - Title and Icon: at once, but only when the title is not empty and the icon is not 0.
// A tip with an empty TipText is never shown.
class CTooltip : public QObject
{
    Q_OBJECT

public:
    // Style: a rectangular tip or a balloon.
    enum { RectangleStyle = 0, BalloonStyle = 1 };
    // Icon of the title line.
    enum { NoIcon = 0, InformationIcon = 1, WarningIcon = 2, ErrorIcon = 3 };

    explicit CTooltip(QObject *parent = nullptr);
    ~CTooltip() override;

    int Style() const { return m_style; }
    void setStyle(int style) { m_style = style; }
    // Centred: the tip points at the middle of the tool's lower edge rather than at the mouse.
    bool Centered() const { return m_centered; }
    void setCentered(bool centered) { m_centered = centered; }
    int Icon() const { return m_icon; }
    void setIcon(int icon);
    QString Title() const { return m_title; }
    void setTitle(const QString &title);
    // Colours are 0xRRGGBB; 0 is the platform's colour (so plain black cannot be asked for).
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 color);
    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 color);
    QString TipText() const { return m_tipText; }
    void setTipText(const QString &text);
    // Milliseconds the tip stays up, and the rest over the tool before it shows.
    int VisibleTime() const { return m_visibleTime; }
    void setVisibleTime(int ms) { m_visibleTime = ms; }
    int DelayTime() const { return m_delayTime; }
    void setDelayTime(int ms) { m_delayTime = ms; }

    // Makes the tip for `tool`, replacing the tip there was. When the mouse is over the tool already,
    // the rest starts now.
    void Create(QWidget *tool);
    // Removes the tip, if there is one. The settings stay.
    void Destroy();

    // The tip window while a tip exists (shown or not), else null; and the tool of that tip.
    BalloonWindow *tipWindow() const { return m_window; }
    QWidget *tool() const { return m_tool; }
    // True while the mouse rests over the tool and the tip waits for the rest to end.
    bool isWaiting() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rest(const QPoint &globalPos);
    void showTip();
    void hideTip();

    int m_style = RectangleStyle;
    bool m_centered = false;
    int m_icon = NoIcon;
    QString m_title;
    quint32 m_foreColor = 0;
    quint32 m_backColor = 0;
    QString m_tipText;
    int m_visibleTime = 5000;
    int m_delayTime = 500;

    // The tip: its window, its tool, and what Create took from the settings.
    BalloonWindow *m_window = nullptr;
    QPointer<QWidget> m_tool;
    bool m_toolTracked = false; // the tool's mouse tracking was off before Create
    bool m_tipCentered = false;
    QTimer *m_restTimer;
    QTimer *m_visibleTimer;
    QPoint m_restPos;        // where the mouse rests, global
    bool m_inside = false;   // the mouse is over the tool
    bool m_timedOut = false; // shown and timed out while the mouse stayed over the tool
};
