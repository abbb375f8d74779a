#pragma once

#include <QClipboard>
#include <QObject>

class QAction;
class QEvent;
class QLineEdit;
class QMenu;

// Pastes into text boxes so that text a box cannot hold is not dropped unseen. A line edit's own paste
// (Ctrl+V, Shift+Insert, its context menu, the middle button's selection) quietly cuts whatever passes the
// box's maximum length; for the boxes that hand their events to handle(), the paste is made here instead,
// the same way, and a cut is announced.
class BoxPaste : public QObject
{
    Q_OBJECT

public:
    explicit BoxPaste(QObject *parent = nullptr);

    // Makes the paste that `event`, sent to `box`, would start: a paste key, the middle button's release
    // where the system has a selection, or the context menu (whose "Paste" then comes here). True when the
    // event was handled and must not reach the box.
    bool handle(QLineEdit *box, QEvent *event);
    // Replaces the selection of `box` (or inserts at its caret) with the text of the clipboard `mode`.
    void paste(QLineEdit *box, QClipboard::Mode mode = QClipboard::Clipboard);
    // The "Paste" of a line edit's standard context menu; null when it has none.
    static QAction *pasteAction(const QMenu *menu);

Q_SIGNALS:
    // A paste into `box` kept only `kept` of the `offered` characters: the box could hold no more.
    void cut(QLineEdit *box, int offered, int kept);
};
