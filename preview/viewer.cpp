#include "preview/viewer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "frame/error_report.h"

namespace brevanta::preview {
namespace {

ScrollBarState& bar(ViewState& view, Axis axis) {
    return axis == Axis::Horizontal ? view.horizontal : view.vertical;
}

// How far the surface reaches beyond what the viewport shows inside its frame.
qint64 overflowOf(const ViewState& view, Axis axis) {
    return axis == Axis::Horizontal ? view.surfaceWidth - view.viewportInnerWidth
                                    : view.surfaceHeight - view.viewportInnerHeight;
}

double percentOf(qint64 offset, qint64 surfaceSize, qint64 viewportInnerSize) {
    const qint64 overflow = surfaceSize - viewportInnerSize;
    if (overflow == 0) return 0;  // nothing to scroll: the surface stands at 0 %
    return double(offset < 0 ? -offset : offset) / double(overflow) * 100.0;
}

// Overflows up to this many twips move the surface a twip a bar unit; larger
// ones ten twips a unit.
constexpr qint64 kFineOverflow = 100;
constexpr qint64 kFineStep = 1;
constexpr qint64 kCoarseStep = 10;

ViewerDisplay& nothingShown() {
    static ViewerDisplay display;
    return display;
}

}  // namespace

qint64 pixelsFromTwips(qint64 twips) { return roundHalfEven(double(twips) / kTwipsPerPixel); }

qint64 roundHalfEven(double value) {
    if (!std::isfinite(value)) return 0;
    const double limit = double(std::numeric_limits<qint64>::max() / 2);
    return qint64(std::nearbyint(std::clamp(value, -limit, limit)));
}

bool surfaceCanTake(qint64 widthTwips, qint64 heightTwips) {
    const qint64 width = pixelsFromTwips(widthTwips);
    const qint64 height = pixelsFromTwips(heightTwips);
    if (width < 1 || height < 1) return false;
    return width <= kLargestSurfaceSide && height <= kLargestSurfaceSide;
}

Viewer::Viewer(ViewerDisplay* display) : display_(display ? display : &nothingShown()) {}

// ---- zoom -------------------------------------------------------------------

void Viewer::beginPicture(frame::Procedure& proc, qint64 holderInnerWidth, qint64 holderInnerHeight) {
    proc.step(124, [&] { zoom_ = kNaturalZoom; });
    proc.step(126, [&] { origWidth_ = holderInnerWidth - kHolderFrameTwips; });
    proc.step(128, [&] { origHeight_ = holderInnerHeight - kHolderFrameTwips; });
    proc.step(130, [&] { zoomWidthFromZoom(); });
    proc.step(132, [&] { zoomHeightFromZoom(); });
}

void Viewer::zoomWidthFromZoom() { zoomWidth_ = qint64(std::floor(double(zoom_) * double(origWidth_))); }

void Viewer::zoomHeightFromZoom() { zoomHeight_ = qint64(std::floor(double(zoom_) * double(origHeight_))); }

bool Viewer::stepZoom(ZoomDirection direction) {
    return setZoom(direction == ZoomDirection::In ? zoom_ + kZoomStep : zoom_ - kZoomStep);
}

bool Viewer::setZoom(float proposed) {
    if (!(proposed >= kSmallestZoom && proposed <= kLargestZoom)) return false;
    zoom_ = proposed;
    return true;
}

RedrawPlan Viewer::redrawImage(frame::Procedure& proc, ViewState& view, qint64 holderInnerWidth,
                               qint64 holderInnerHeight) {
    RedrawPlan plan;
    proc.step(100, [&] { zoomWidthFromZoom(); });
    proc.step(102, [&] { zoomHeightFromZoom(); });
    if (!proc.trueOrFailed(104, [&] { return surfaceCanTake(zoomWidth_, zoomHeight_); })) {
        // Beyond what a surface can be: back to 1.0, nothing repainted.
        beginPicture(proc, holderInnerWidth, holderInnerHeight);
        return plan;
    }
    proc.step(106, [&] { display_->clearPicture(); });
    proc.step(108, [&] { sizeSurface(view, Axis::Horizontal); });
    proc.step(110, [&] { sizeSurface(view, Axis::Vertical); });
    // The holder drawn at the zoom: only what the viewport shows is ever painted.
    proc.step(112, [&] {
        plan = {true, origWidth_, origHeight_, zoomWidth_, zoomHeight_};
        display_->paintPicture(plan);
    });
    proc.step(114, [&] { display_->restorePointer(); });
    proc.step(116, [&] { setScrollValue(view, Axis::Horizontal, 0); });
    proc.step(118, [&] { setScrollValue(view, Axis::Vertical, 0); });
    proc.step(120, [&] { setupScrollbar(view, Axis::Horizontal); });
    proc.step(122, [&] { setupScrollbar(view, Axis::Vertical); });
    return plan;
}

void Viewer::sizeSurface(ViewState& view, Axis axis) const {
    if (axis == Axis::Horizontal) view.surfaceWidth = zoomWidth_;
    else view.surfaceHeight = zoomHeight_;
    display_->showSurface(view);
}

// ---- scroll bars ------------------------------------------------------------

void Viewer::setupScrollbars(ViewState& view) {
    view.surfaceLeft = 0;
    view.surfaceTop = 0;
    display_->showSurface(view);
    setupScrollbar(view, Axis::Horizontal);
    setupScrollbar(view, Axis::Vertical);
}

void Viewer::setupScrollbar(ViewState& view, Axis axis) {
    const qint64 overflow = overflowOf(view, axis);
    ScrollBarState& scrollBar = bar(view, axis);
    if (overflow <= 0) {
        // A disabled bar keeps no range, so it can never move the picture.
        scrollBar = ScrollBarState{};
    } else if (overflow <= kFineOverflow) {
        scrollBar = {true, overflow, 0, kFineStep};
    } else {
        scrollBar = {true, roundHalfEven(double(overflow) / double(kCoarseStep)), 0, kCoarseStep};
    }
    display_->showScrollBar(view, axis);
}

void Viewer::setScrollValue(ViewState& view, Axis axis, qint64 value) {
    ScrollBarState& scrollBar = bar(view, axis);
    if (scrollBar.value != value) {
        scrollBar.value = value;
        scrollChanged(view, axis);
    }
    display_->showScrollBar(view, axis);
}

void Viewer::scrollBarMoved(ViewState& view, Axis axis, qint64 value) {
    bar(view, axis).value = value;
    scrollChanged(view, axis);
}

void Viewer::scrollChanged(ViewState& view, Axis axis) const {
    const ScrollBarState& scrollBar = bar(view, axis);
    qint64 offset = scrollBar.step * scrollBar.value;
    // The range is rounded to whole steps; its end is the overflow itself.
    const qint64 overflow = overflowOf(view, axis);
    if (scrollBar.step > 0 && overflow > 0 && (scrollBar.value >= scrollBar.maximum || offset > overflow))
        offset = overflow;
    if (axis == Axis::Horizontal) view.surfaceLeft = -offset;
    else view.surfaceTop = -offset;
    display_->showSurface(view);
}

void Viewer::scrollTo(ViewState& view, Axis axis, qint64 offset) {
    ScrollBarState& scrollBar = bar(view, axis);
    scrollBar.value = scrollBar.step > 0 ? std::clamp<qint64>(roundHalfEven(double(offset) / double(scrollBar.step)),
                                                              0, scrollBar.maximum)
                                         : 0;
    scrollChanged(view, axis);
    display_->showScrollBar(view, axis);
}

void Viewer::viewportResized(ViewState& view) {
    for (const Axis axis : {Axis::Horizontal, Axis::Vertical}) {
        const qint64 offset = -(axis == Axis::Horizontal ? view.surfaceLeft : view.surfaceTop);
        setupScrollbar(view, axis);
        scrollTo(view, axis, offset);
    }
}

void Viewer::keepPointUnder(ViewState& view, const ViewState& before, qint64 pointerX, qint64 pointerY) {
    // The point as a fraction of the surface before, at the same fraction of the surface now.
    auto offset = [](qint64 pointer, qint64 beforePosition, qint64 beforeSize, qint64 size) {
        const double fraction = beforeSize > 0 ? double(pointer - beforePosition) / double(beforeSize) : 0.0;
        return roundHalfEven(fraction * double(size)) - pointer;
    };
    scrollTo(view, Axis::Horizontal, offset(pointerX, before.surfaceLeft, before.surfaceWidth, view.surfaceWidth));
    scrollTo(view, Axis::Vertical, offset(pointerY, before.surfaceTop, before.surfaceHeight, view.surfaceHeight));
}

void Viewer::setScrollBarByPercent(ViewState& view, Axis axis, double percent) {
    if (percent < 0) return;
    const ScrollBarState& scrollBar = bar(view, axis);
    const qint64 value = roundHalfEven(percent / 100.0 * double(scrollBar.maximum));
    setScrollValue(view, axis, std::clamp<qint64>(value, 0, scrollBar.maximum));
}

// ---- dragging ---------------------------------------------------------------

void Viewer::grab(frame::Procedure& proc, float x, float y) {
    proc.step(100, [&] { dragX_ = x; });
    proc.step(102, [&] { dragY_ = y; });
}

bool Viewer::drag(frame::Procedure& proc, ViewState& view, Qt::MouseButtons buttons, float x, float y) const {
    if (!proc.trueOrFailed(100, [&] { return buttons != Qt::NoButton; })) return false;
    // The picture's edges may not come inside the viewport's inner edges.
    qint64 left = view.surfaceLeft, top = view.surfaceTop;
    proc.step(104, [&] { left = draggedPosition(view.surfaceLeft, dragX_, x); });
    if (proc.trueOrFailed(106, [&] { return left > 0; })) {
        proc.step(108, [&] { left = 0; });
    } else if (proc.trueOrFailed(110, [&] { return view.viewportInnerWidth - view.surfaceWidth > left; })) {
        proc.step(112, [&] { left = view.viewportInnerWidth - view.surfaceWidth; });
    }
    proc.step(114, [&] { top = draggedPosition(view.surfaceTop, dragY_, y); });
    if (proc.trueOrFailed(116, [&] { return top > 0; })) {
        proc.step(118, [&] { top = 0; });
    } else if (proc.trueOrFailed(120, [&] { return view.viewportInnerHeight - view.surfaceHeight > top; })) {
        proc.step(122, [&] { top = view.viewportInnerHeight - view.surfaceHeight; });
    }
    proc.step(124, [&] {
        view.surfaceLeft = left;
        view.surfaceTop = top;
        display_->showSurface(view);
    });
    return true;
}

qint64 Viewer::draggedPosition(qint64 current, float grabbed, float pointer) {
    return current - roundHalfEven(double(grabbed) - double(pointer));
}

void Viewer::release(frame::Procedure& proc, ViewState& view) {
    double horizontal = 0, vertical = 0;
    proc.step(100, [&] { horizontal = horizontalPercent(view); });
    proc.step(102, [&] { vertical = verticalPercent(view); });
    proc.step(104, [&] { setScrollBarByPercent(view, Axis::Horizontal, horizontal); });
    proc.step(106, [&] { setScrollBarByPercent(view, Axis::Vertical, vertical); });
}

double Viewer::horizontalPercent(const ViewState& view) {
    return percentOf(view.surfaceLeft, view.surfaceWidth, view.viewportInnerWidth);
}

double Viewer::verticalPercent(const ViewState& view) {
    return percentOf(view.surfaceTop, view.surfaceHeight, view.viewportInnerHeight);
}

}  // namespace brevanta::preview
