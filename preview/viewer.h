#pragma once
// The preview's arithmetic, apart from any widget: zoom steps, the size the
// picture is painted at, the scroll bars' ranges and steps, dragging the
// picture and turning its position back into bar values. Every length is in
// twips (15 twips = 1 pixel); the window converts when it applies the state.
// All sums and products are formed in 64 bits, so a tall register never
// wraps a bar's maximum or a bar position.

#include <QtGlobal>

namespace brevanta::preview {

inline constexpr int kTwipsPerPixel = 15;

inline constexpr float kZoomStep = 0.25f;
inline constexpr float kSmallestZoom = 0.25f;
inline constexpr float kLargestZoom = 2.75f;

// The largest side the image surface can take (a widget's size limit). The
// surface holds no pixels of its own, so its size costs no memory; the
// tallest register at the largest zoom is about five million pixels.
inline constexpr qint64 kLargestSurfaceSide = 16777215;

// Pixels for a length in twips, rounded to the nearest pixel.
qint64 pixelsFromTwips(qint64 twips);
// Rounds to the nearest integer, halves to even.
qint64 roundHalfEven(double value);

struct ScrollBarState {
    bool enabled = false;
    qint64 maximum = 0;  // the minimum is always 0
    qint64 value = 0;
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

class Viewer {
public:
    float mZoom = 1.0f;
    qint64 mOrigWidth = 0;
    qint64 mOrigHeight = 0;
    qint64 mZoomWidth = 0;
    qint64 mZoomHeight = 0;
    qint64 mHScrollStep = 0;  // 0 (bar disabled), 1 or 10 twips per bar unit
    qint64 mVScrollStep = 0;
    float mDragX = 0;
    float mDragY = 0;

    // The sizes of a newly handed-over picture: zoom 1.0, the unscaled size
    // from the holder's inner size, and the zoomed size equal to it.
    void BeginPicture(qint64 holderInnerWidth, qint64 holderInnerHeight);

    // The statements BeginPicture and RedrawImage are made of, one by one, so
    // the window can run each as a numbered step of its own.
    void ResetZoom() { mZoom = 1.0f; }
    void TakeOrigWidth(qint64 holderInnerWidth) { mOrigWidth = holderInnerWidth - 2; }
    void TakeOrigHeight(qint64 holderInnerHeight) { mOrigHeight = holderInnerHeight - 2; }
    void ZoomWidthFromZoom();   // mZoomWidth = mZoom x mOrigWidth, rounded down
    void ZoomHeightFromZoom();  // the same for the height
    // The surface takes the zoomed width (or height).
    void SizeSurface(ViewState& view, Axis axis) const;
    // After a repaint a bar's range, step and enabled state follow the new size.
    void FollowScrollbar(ViewState& view, Axis axis) { SetupScrollbar(view, axis); }

    // One zoom step up (flag 0) or down (any other flag). True when the
    // zoom changed and the picture must be repainted.
    bool StepZoom(int flag);
    // Takes the proposed factor when it lies within 0.25 ... 2.75.
    bool SetZoom(float proposed);

    // True when the image surface can take the current zoomed size.
    bool ZoomedPictureFits() const;

    // The arithmetic of a repaint at mZoom. When the zoomed picture fits,
    // the surface takes the zoomed size, both bars go to 0 (moving the
    // surface where a value changes) and both bars' ranges and steps follow
    // the new size. Otherwise the zoom falls back to 1.0 and the view is
    // left as it was.
    RedrawPlan RedrawImage(ViewState& view, qint64 holderInnerWidth, qint64 holderInnerHeight);

    // Homes the surface and sets both bars' ranges and steps from its size.
    void SetupScrollbars(ViewState& view);
    // One bar's range, step and enabled state from the surface's overflow
    // over the viewport's outer size; the surface is not moved.
    void SetupScrollbar(ViewState& view, Axis axis);

    // Sets a bar's value; when it changes, the surface follows (ScrollChanged).
    void SetScrollValue(ViewState& view, Axis axis, qint64 value);
    // The bar's value moved: the surface goes to -(step x value).
    void ScrollChanged(ViewState& view, Axis axis) const;

    // A negative percent changes nothing; otherwise the bar goes to percent
    // of its maximum, kept within its range.
    void SetHScrollbarByPercent(ViewState& view, double percent);
    void SetVScrollbarByPercent(ViewState& view, double percent);

    // Dragging: the press remembers where the surface was grabbed; a move
    // with a button held keeps that point under the pointer, clamped so the
    // picture's edges do not leave the viewport's inner edges; the release
    // sets the bars from the picture's position.
    void MouseDown(float x, float y);
    bool MouseMove(ViewState& view, int buttons, float x, float y) const;
    // Where an edge goes when the point grabbed at `grabbed` is moved under
    // the pointer at `pointer` (before clamping).
    static qint64 DraggedPosition(qint64 current, float grabbed, float pointer);
    void MouseUp(ViewState& view);

    // How far along its range the surface stands, in percent (0 when the
    // surface is exactly as large as the viewport). Not rounded to a whole
    // percent: one percent of a long register at a large zoom is thousands
    // of pixels, and a release must leave the picture where it was dragged.
    static double HorizontalPercent(const ViewState& view);
    static double VerticalPercent(const ViewState& view);

private:
    void SetScrollbarByPercent(ViewState& view, Axis axis, double percent);
};

}  // namespace brevanta::preview
