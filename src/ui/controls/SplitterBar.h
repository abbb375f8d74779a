#pragma once

#include <QWidget>

// The bar between the track list and the Tracklist panel that the user drags to size the panel.
class SplitterBar : public QWidget
{
    Q_OBJECT

public:
    explicit SplitterBar(QWidget *parent = nullptr);

Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, double yTwips);
    void mouseMove(Qt::MouseButtons buttons, double yTwips);
    void mouseUp(Qt::MouseButton button, double yTwips);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
