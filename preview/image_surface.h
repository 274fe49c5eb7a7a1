#pragma once
// The preview's two picture boxes: the framed viewport that clips, and the
// image surface inside it that shows the sheet picture at a scale and
// reports presses, moves and releases of the mouse (positions in pixels
// relative to its own top-left corner).
//
// The surface takes the whole zoomed size of the picture, which for a long
// register is millions of pixels tall, yet holds no pixels of its own: each
// paint draws only the part the viewport shows, from the picture's commands.

#include <QFrame>
#include <QWidget>

#include "picture/sheet_picture.h"

namespace brevanta::preview {

class ImageSurface final : public QWidget {
    Q_OBJECT
public:
    explicit ImageSurface(QWidget* parent = nullptr);

    // What the surface shows: the picture scaled by (scaleX, scaleY) from
    // its top-left corner. The surface does not change its own size.
    void setPicture(paint::SharedPicture picture, double scaleX, double scaleY);
    void clearPicture();
    const paint::SharedPicture& picture() const { return picture_; }
    double scaleX() const { return scaleX_; }
    double scaleY() const { return scaleY_; }

signals:
    void pressed(Qt::MouseButtons buttons, QPointF position);
    void moved(Qt::MouseButtons buttons, QPointF position);
    void released(Qt::MouseButtons buttons, QPointF position);
    // A key pressed while the surface has the keyboard focus (a click gives it).
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    void wheelTurned(QPoint angle, Qt::KeyboardModifiers modifiers, QPointF globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    paint::SharedPicture picture_;
    double scaleX_ = 1;
    double scaleY_ = 1;
};

// A white panel with a sunken frame; children go into clientArea(), which
// fills the inside of the frame and clips them.
class ViewportFrame final : public QFrame {
    Q_OBJECT
public:
    explicit ViewportFrame(QWidget* parent = nullptr);
    QWidget* clientArea() const { return clientArea_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* clientArea_;
};

}  // namespace brevanta::preview
