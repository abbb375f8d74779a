#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QTimer>

class SkinPictures;

// The program's picture button. It shows one of three pictures: the normal one (`Picture_1`), the hover
// one (`Picture_2`) while the pointer is over it, the pressed one (`Picture_3`) while the left button
// is held on it. It draws nothing else: no caption, no frame, no focus rectangle. A button with the
// keyboard focus rests on its hover picture, so a keyboard user sees where the focus is; Tab reaches it,
// Space and Enter click it. Clicking with the mouse does not take the focus from the list the user
// works in, as with a tool button.
//
// A watch that ticks every 100 ms while the button is hovered puts the normal picture back once the
// pointer is no longer over the button itself (a child or another window on top of it counts as away),
// so a button never stays lit after a fast move out or a press dragged off it.
class SkinButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture NOTIFY PictureChanged)
    Q_PROPERTY(QPixmap Picture_1 READ Picture_1 WRITE setPicture_1 NOTIFY Picture_1Changed)
    Q_PROPERTY(QPixmap Picture_2 READ Picture_2 WRITE setPicture_2 NOTIFY Picture_2Changed)
    Q_PROPERTY(QPixmap Picture_3 READ Picture_3 WRITE setPicture_3 NOTIFY Picture_3Changed)

public:
    // How often the hover watch looks where the pointer is.
    static constexpr int kWatchInterval = 100;

    explicit SkinButton(QWidget *parent = nullptr);
    ~SkinButton() override;

    // A button named `name` (object name) with the three looks drawn from `svg` as a glyph of
    // `glyphSize` logical pixels, rendered for the sharpest screen of the system; `tip` is both its
    // tooltip and its accessible name.
    static SkinButton *create(QWidget *parent, const QString &name, const QString &svg, const QString &tip,
                              int glyphSize = 24);

    // The picture shown at this moment.
    QPixmap Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);

    // The normal picture. Setting it also shows it at once and sizes the button to it.
    QPixmap Picture_1() const { return m_image1; }
    void setPicture_1(const QPixmap &picture);
    QPixmap Picture_2() const { return m_image2; }
    void setPicture_2(const QPixmap &picture);
    QPixmap Picture_3() const { return m_image3; }
    void setPicture_3(const QPixmap &picture);

    // All three at once: hover, pressed, then normal (which sizes the button).
    void setPictures(const SkinPictures &pictures);

    // Back to rest: the normal picture (the hover one while the button has the focus), the watch off.
    void RelasePicture();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // Every mouse move over the button, before the button's own handling; x and y in twips.
    void MouseMove(Qt::MouseButtons button, Qt::KeyboardModifiers shift, double x, double y);
    // The button was clicked (mouse, Space or Enter).
    void Click();

    void PictureChanged();
    void Picture_1Changed();
    void Picture_2Changed();
    void Picture_3Changed();
    void EnabledChanged(bool enabled);
    void FontChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum ButtonState : qint16 { Normal = 0, Hovered = 1, Pressed = 2 };

    void showPicture(const QPixmap &picture);
    QPixmap restingPicture() const;
    // Whether the pointer at `global` is over the button itself (not a child or a window on top of it).
    bool isOver(const QPoint &global) const;
    void Timer1_Timer();

    QPixmap m_picture; // shown
    QPixmap m_image1;  // normal
    QPixmap m_image2;  // hover
    QPixmap m_image3;  // pressed
    QTimer Timer1;     // hover watch
    ButtonState m_buttonState = Normal;
};
