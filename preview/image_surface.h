#pragma once
// The preview's two picture boxes: the framed viewport that clips, and the
// image surface inside it that keeps what was painted on it and reports
// presses, moves and releases of the mouse (positions in pixels relative to
// its own top-left corner).

#include <QFrame>
#include <QImage>
#include <QWidget>

namespace brevanta::preview {

class ImageSurface final : public QWidget {
    Q_OBJECT
public:
    explicit ImageSurface(QWidget* parent = nullptr);

    // The retained painting; the surface does not change its own size.
    void setPicture(const QImage& picture);
    void clearPicture();
    const QImage& picture() const { return picture_; }

signals:
    void pressed(Qt::MouseButtons buttons, QPointF position);
    void moved(Qt::MouseButtons buttons, QPointF position);
    void released(Qt::MouseButtons buttons, QPointF position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
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
