#pragma once
// The preview's arithmetic and the numbered steps of the preview window's
// procedures that use it, apart from any widget: zoom steps, the size the
// picture is painted at, the scroll bars' ranges and steps, dragging the
// picture and turning its position back into bar values. The window runs
// these steps through its own reporting procedures and shows each change
// through ViewerDisplay; tests run the same steps without a window.
//
// Every length is in twips (15 twips = 1 pixel); the window converts when it
// shows the state. All sums and products are formed in 64 bits, so a tall
// register never wraps a bar's maximum or a bar position.

#include <QtCore/qnamespace.h>
#include <QtGlobal>

namespace brevanta::frame {
class Procedure;
}

namespace brevanta::preview {

inline constexpr int kTwipsPerPixel = 15;

inline constexpr float kZoomStep = 0.25f;
inline constexpr float kSmallestZoom = 0.25f;
inline constexpr float kLargestZoom = 2.75f;
inline constexpr float kNaturalZoom = 1.0f;

// The holder's frame: the unscaled picture is its inner size less this.
inline constexpr qint64 kHolderFrameTwips = 2;

// The largest side the image surface can take (a widget's size limit). The
// surface holds no pixels of its own, so its size costs no memory; the
// tallest register at the largest zoom is about five million pixels.
inline constexpr qint64 kLargestSurfaceSide = 16777215;

// Pixels for a length in twips, rounded to the nearest pixel.
qint64 pixelsFromTwips(qint64 twips);
// Rounds to the nearest integer, halves to even.
qint64 roundHalfEven(double value);
// True when the image surface can take a picture of this size (in twips).
bool surfaceCanTake(qint64 widthTwips, qint64 heightTwips);

struct ScrollBarState {
    bool enabled = false;
    qint64 maximum = 0;  // the minimum is always 0
    qint64 value = 0;
    qint64 step = 0;  // twips one unit moves the surface: 0 (bar disabled), 1 or 10
};

// Everything the viewer reads from and writes to the window.
struct ViewState {
    // Picture2: outer size with its frame, inner size inside it.
    qint64 viewportOuterWidth = 0;
    qint64 viewportOuterHeight = 0;
    qint64 viewportInnerWidth = 0;
    qint64 viewportInnerHeight = 0;
    // Picture1 (it has no frame, so its size is its outer size); left and
    // top are relative to the viewport's inner area.
    qint64 surfaceLeft = 0;
    qint64 surfaceTop = 0;
    qint64 surfaceWidth = 0;
    qint64 surfaceHeight = 0;
    ScrollBarState horizontal;  // HScroll1
    ScrollBarState vertical;    // VScroll1
};

enum class Axis { Horizontal, Vertical };
enum class ZoomDirection { In, Out };

// What a repaint has to paint: the holder's rectangle (0, 0, sourceWidth,
// sourceHeight) stretched onto (0, 0, targetWidth, targetHeight) of the image
// surface. When `repaint` is false the picture was too large, the zoom fell
// back to 1.0 and nothing is painted.
struct RedrawPlan {
    bool repaint = false;
    qint64 sourceWidth = 0;
    qint64 sourceHeight = 0;
    qint64 targetWidth = 0;
    qint64 targetHeight = 0;
};

// The window's side of the viewer: each step shows what it changed at once.
// Without a window nothing needs showing, so every call does nothing here.
class ViewerDisplay {
public:
    virtual ~ViewerDisplay() = default;
    // The surface's place and size as the view has them.
    virtual void showSurface(const ViewState&) {}
    // One bar's range, value, step and enabled state as the view has them.
    virtual void showScrollBar(const ViewState&, Axis) {}
    virtual void clearPicture() {}
    virtual void paintPicture(const RedrawPlan&) {}
    virtual void restorePointer() {}
};

class Viewer {
public:
    // `display` (not owned) sees every change; none: nothing is shown.
    explicit Viewer(ViewerDisplay* display = nullptr);

    float zoom() const { return zoom_; }
    qint64 origWidth() const { return origWidth_; }
    qint64 origHeight() const { return origHeight_; }
    qint64 zoomWidth() const { return zoomWidth_; }
    qint64 zoomHeight() const { return zoomHeight_; }

    // Steps 124 ... 132 of the initial set-up and of a repaint that falls
    // back: zoom 1.0, the unscaled size from the holder's inner size, and the
    // zoomed size equal to it.
    void beginPicture(frame::Procedure& proc, qint64 holderInnerWidth, qint64 holderInnerHeight);

    // One zoom step. True when the zoom changed and the picture must be
    // repainted.
    bool stepZoom(ZoomDirection direction);
    // Takes the proposed factor when it lies within 0.25 ... 2.75.
    bool setZoom(float proposed);

    // The repaint at the zoom, steps 100 ... 132. When the zoomed picture
    // fits, the surface takes the zoomed size, both bars go to 0 (moving the
    // surface where a value changes) and both bars' ranges and steps follow
    // the new size. Otherwise the zoom falls back to 1.0 and the view is
    // left as it was.
    RedrawPlan redrawImage(frame::Procedure& proc, ViewState& view, qint64 holderInnerWidth,
                           qint64 holderInnerHeight);

    // Homes the surface and sets both bars' ranges and steps from its size.
    void setupScrollbars(ViewState& view);
    // One bar's range, step and enabled state from the surface's overflow
    // over the viewport's inner size (what the frame leaves visible); the
    // surface is not moved.
    void setupScrollbar(ViewState& view, Axis axis);

    // Sets a bar's value; when it changes, the surface follows.
    void setScrollValue(ViewState& view, Axis axis, qint64 value);
    // The user moved the bar to `value`: the surface goes to -(step x value),
    // and at the bar's maximum exactly to the overflow, so the picture's far
    // edge meets the viewport's inner edge whatever the range's rounding.
    void scrollBarMoved(ViewState& view, Axis axis, qint64 value);

    // The viewport took a new size: both bars' ranges follow it, and the
    // picture stays where it was as far as the new ranges allow.
    void viewportResized(ViewState& view);
    // After a zoom: the picture point that lay under `pointerX`, `pointerY`
    // (twips from the viewport's inner top-left corner) in `before` goes back
    // under it, as near as the bars' steps and ranges allow.
    void keepPointUnder(ViewState& view, const ViewState& before, qint64 pointerX, qint64 pointerY);

    // A negative percent changes nothing; otherwise the bar goes to percent
    // of its maximum, kept within its range.
    void setScrollBarByPercent(ViewState& view, Axis axis, double percent);

    // Dragging. The press (steps 100, 102) remembers where the surface was
    // grabbed; a move with a button held (steps 100 ... 124) keeps that point
    // under the pointer, clamped so the picture's edges do not leave the
    // viewport's inner edges; the release (steps 100 ... 106) sets the bars
    // from the picture's position. Pointer positions are on the surface.
    void grab(frame::Procedure& proc, float x, float y);
    bool drag(frame::Procedure& proc, ViewState& view, Qt::MouseButtons buttons, float x, float y) const;
    void release(frame::Procedure& proc, ViewState& view);
    // Where an edge goes when the point grabbed at `grabbed` is moved under
    // the pointer at `pointer` (before clamping).
    static qint64 draggedPosition(qint64 current, float grabbed, float pointer);

    // How far along its range the surface stands, in percent (0 when the
    // surface is exactly as large as the viewport's inner area). Not rounded to a whole
    // percent: one percent of a long register at a large zoom is thousands
    // of pixels, and a release must leave the picture where it was dragged.
    static double horizontalPercent(const ViewState& view);
    static double verticalPercent(const ViewState& view);

private:
    void zoomWidthFromZoom();   // zoomWidth_ = zoom_ x origWidth_, rounded down
    void zoomHeightFromZoom();  // the same for the height
    void sizeSurface(ViewState& view, Axis axis) const;
    void scrollChanged(ViewState& view, Axis axis) const;
    // The bar at the value nearest `offset` twips into the picture, within its range, and the surface there.
    void scrollTo(ViewState& view, Axis axis, qint64 offset);

    ViewerDisplay* display_;
    float zoom_ = kNaturalZoom;
    qint64 origWidth_ = 0;
    qint64 origHeight_ = 0;
    qint64 zoomWidth_ = 0;
    qint64 zoomHeight_ = 0;
    float dragX_ = 0;
    float dragY_ = 0;
};

}  // namespace brevanta::preview
