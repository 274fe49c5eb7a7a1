#include "preview/image_surface.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>

namespace brevanta::preview {
namespace {

// The picture's own white, whatever the palette: with black for any text on it.
void makeWhite(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

ImageSurface::ImageSurface(QWidget* parent) : QWidget(parent) {
    makeWhite(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Focus by click only: the window's tab order stays as it is.
    setFocusPolicy(Qt::ClickFocus);
}

void ImageSurface::setPicture(paint::SharedPicture picture, double scaleX, double scaleY) {
    picture_ = std::move(picture);
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    update();
}

void ImageSurface::clearPicture() {
    picture_.reset();
    update();
}

void ImageSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (picture_) picture_->paint(painter, event->rect(), scaleX_, scaleY_);
}

void ImageSurface::mousePressEvent(QMouseEvent* event) { emit pressed(event->buttons(), event->position()); }

void ImageSurface::mouseMoveEvent(QMouseEvent* event) { emit moved(event->buttons(), event->position()); }

void ImageSurface::mouseReleaseEvent(QMouseEvent* event) { emit released(event->buttons(), event->position()); }

void ImageSurface::keyPressEvent(QKeyEvent* event) { emit keyPressed(event->key(), event->modifiers()); }

void ImageSurface::wheelEvent(QWheelEvent* event) {
    emit wheelTurned(event->angleDelta(), event->modifiers(), event->globalPosition());
    event->accept();
}

ViewportFrame::ViewportFrame(QWidget* parent) : QFrame(parent), clientArea_(new QWidget(this)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    makeWhite(this);
    makeWhite(clientArea_);
    clientArea_->setGeometry(contentsRect());
}

void ViewportFrame::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    clientArea_->setGeometry(contentsRect());
}

}  // namespace brevanta::preview
