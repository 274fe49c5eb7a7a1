#include "preview/viewer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brevanta::preview {
namespace {

ScrollBarState& bar(ViewState& view, Axis axis) {
    return axis == Axis::Horizontal ? view.horizontal : view.vertical;
}

double percentOf(qint64 offset, qint64 surfaceSize, qint64 viewportOuterSize) {
    const qint64 overflow = surfaceSize - viewportOuterSize;
    if (overflow == 0) return 0;  // nothing to scroll: the surface stands at 0 %
    return double(offset < 0 ? -offset : offset) / double(overflow) * 100.0;
}

// The new position of one edge after a drag, clamped to the inner area.
qint64 clampedDragPosition(qint64 position, qint64 innerSize, qint64 surfaceSize) {
    if (position > 0) return 0;
    const qint64 farthest = innerSize - surfaceSize;
    if (farthest > position) return farthest;
    return position;
}

}  // namespace

qint64 pixelsFromTwips(qint64 twips) { return roundHalfEven(double(twips) / kTwipsPerPixel); }

qint64 roundHalfEven(double value) {
    if (!std::isfinite(value)) return 0;
    const double limit = double(std::numeric_limits<qint64>::max() / 2);
    return qint64(std::nearbyint(std::clamp(value, -limit, limit)));
}

void Viewer::BeginPicture(qint64 holderInnerWidth, qint64 holderInnerHeight) {
    ResetZoom();
    TakeOrigWidth(holderInnerWidth);
    TakeOrigHeight(holderInnerHeight);
    ZoomWidthFromZoom();
    ZoomHeightFromZoom();
}

void Viewer::ZoomWidthFromZoom() { mZoomWidth = qint64(std::floor(double(mZoom) * double(mOrigWidth))); }

void Viewer::ZoomHeightFromZoom() { mZoomHeight = qint64(std::floor(double(mZoom) * double(mOrigHeight))); }

void Viewer::SizeSurface(ViewState& view, Axis axis) const {
    if (axis == Axis::Horizontal) view.surfaceWidth = mZoomWidth;
    else view.surfaceHeight = mZoomHeight;
}

bool Viewer::StepZoom(int flag) {
    const float candidate = flag == 0 ? mZoom + kZoomStep : mZoom - kZoomStep;
    return SetZoom(candidate);
}

bool Viewer::SetZoom(float proposed) {
    if (!(proposed >= kSmallestZoom && proposed <= kLargestZoom)) return false;
    mZoom = proposed;
    return true;
}

bool Viewer::ZoomedPictureFits() const {
    const qint64 width = pixelsFromTwips(mZoomWidth);
    const qint64 height = pixelsFromTwips(mZoomHeight);
    if (width < 1 || height < 1) return false;
    return width <= kLargestSurfaceSide && height <= kLargestSurfaceSide;
}

RedrawPlan Viewer::RedrawImage(ViewState& view, qint64 holderInnerWidth, qint64 holderInnerHeight) {
    ZoomWidthFromZoom();
    ZoomHeightFromZoom();
    RedrawPlan plan;
    if (!ZoomedPictureFits()) {
        BeginPicture(holderInnerWidth, holderInnerHeight);
        return plan;
    }
    plan.repaint = true;
    plan.sourceWidth = mOrigWidth;
    plan.sourceHeight = mOrigHeight;
    plan.targetWidth = mZoomWidth;
    plan.targetHeight = mZoomHeight;
    SizeSurface(view, Axis::Horizontal);
    SizeSurface(view, Axis::Vertical);
    SetScrollValue(view, Axis::Horizontal, 0);
    SetScrollValue(view, Axis::Vertical, 0);
    FollowScrollbar(view, Axis::Horizontal);
    FollowScrollbar(view, Axis::Vertical);
    return plan;
}

void Viewer::SetupScrollbars(ViewState& view) {
    view.surfaceLeft = 0;
    view.surfaceTop = 0;
    SetupScrollbar(view, Axis::Horizontal);
    SetupScrollbar(view, Axis::Vertical);
}

void Viewer::SetupScrollbar(ViewState& view, Axis axis) {
    const bool horizontal = axis == Axis::Horizontal;
    const qint64 overflow = horizontal ? view.surfaceWidth - view.viewportOuterWidth
                                       : view.surfaceHeight - view.viewportOuterHeight;
    qint64& step = horizontal ? mHScrollStep : mVScrollStep;
    ScrollBarState& scrollBar = bar(view, axis);
    if (overflow <= 0) {
        // A disabled bar keeps no range, so it can never move the picture.
        scrollBar = ScrollBarState{};
        step = 0;
        return;
    }
    scrollBar.enabled = true;
    if (overflow <= 100) {
        scrollBar.maximum = overflow;
        step = 1;
    } else {
        scrollBar.maximum = roundHalfEven(double(overflow) / 10.0);
        step = 10;
    }
    scrollBar.value = 0;
}

void Viewer::SetScrollValue(ViewState& view, Axis axis, qint64 value) {
    ScrollBarState& scrollBar = bar(view, axis);
    if (scrollBar.value == value) return;
    scrollBar.value = value;
    ScrollChanged(view, axis);
}

void Viewer::ScrollChanged(ViewState& view, Axis axis) const {
    if (axis == Axis::Horizontal) view.surfaceLeft = -(mHScrollStep * view.horizontal.value);
    else view.surfaceTop = -(mVScrollStep * view.vertical.value);
}

void Viewer::SetHScrollbarByPercent(ViewState& view, double percent) {
    SetScrollbarByPercent(view, Axis::Horizontal, percent);
}

void Viewer::SetVScrollbarByPercent(ViewState& view, double percent) {
    SetScrollbarByPercent(view, Axis::Vertical, percent);
}

void Viewer::SetScrollbarByPercent(ViewState& view, Axis axis, double percent) {
    if (percent < 0) return;
    const ScrollBarState& scrollBar = bar(view, axis);
    const qint64 value = roundHalfEven(double(percent) / 100.0 * double(scrollBar.maximum));
    SetScrollValue(view, axis, std::clamp<qint64>(value, 0, scrollBar.maximum));
}

void Viewer::MouseDown(float x, float y) {
    mDragX = x;
    mDragY = y;
}

bool Viewer::MouseMove(ViewState& view, int buttons, float x, float y) const {
    if (buttons == 0) return false;
    const qint64 left = DraggedPosition(view.surfaceLeft, mDragX, x);
    const qint64 top = DraggedPosition(view.surfaceTop, mDragY, y);
    view.surfaceLeft = clampedDragPosition(left, view.viewportInnerWidth, view.surfaceWidth);
    view.surfaceTop = clampedDragPosition(top, view.viewportInnerHeight, view.surfaceHeight);
    return true;
}

qint64 Viewer::DraggedPosition(qint64 current, float grabbed, float pointer) {
    return current - roundHalfEven(double(grabbed) - double(pointer));
}

void Viewer::MouseUp(ViewState& view) {
    const double horizontalPercent = HorizontalPercent(view);
    const double verticalPercent = VerticalPercent(view);
    SetHScrollbarByPercent(view, horizontalPercent);
    SetVScrollbarByPercent(view, verticalPercent);
}

double Viewer::HorizontalPercent(const ViewState& view) {
    return percentOf(view.surfaceLeft, view.surfaceWidth, view.viewportOuterWidth);
}

double Viewer::VerticalPercent(const ViewState& view) {
    return percentOf(view.surfaceTop, view.surfaceHeight, view.viewportOuterHeight);
}

}  // namespace brevanta::preview
