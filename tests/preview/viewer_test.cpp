#include <QPoint>
#include <gtest/gtest.h>

#include "frame/error_report.h"
#include "preview/viewer.h"
#include "tests/preview/register_picture.h"

using namespace brevanta::preview;
using brevanta::testsupport::kRegisterPictureWidth;
using brevanta::testsupport::registerPictureHeight;

namespace {

// The window's viewport: 622 x 495 pixels with a 2-pixel frame.
ViewState viewport() {
    ViewState view;
    view.viewportOuterWidth = 9330;
    view.viewportOuterHeight = 7425;
    view.viewportInnerWidth = 9270;
    view.viewportInnerHeight = 7365;
    return view;
}

// The steps run as the window runs them; none of them fails here.
struct Steps : brevanta::frame::Procedure {
    Steps() : Procedure(QStringLiteral("Form2"), QStringLiteral("viewer_test")) {}
    ~Steps() { EXPECT_EQ(failures(), 0); }
};

void grab(Viewer& viewer, float x, float y) {
    Steps proc;
    viewer.grab(proc, x, y);
}

bool drag(Viewer& viewer, ViewState& view, Qt::MouseButtons buttons, float x, float y) {
    Steps proc;
    return viewer.drag(proc, view, buttons, x, y);
}

void release(Viewer& viewer, ViewState& view) {
    Steps proc;
    viewer.release(proc, view);
}

// A viewer and view after the window's initial set-up of a picture of the given pixels.
struct PictureSetUp {
    Viewer viewer;
    ViewState view = viewport();
    qint64 holderWidth;
    qint64 holderHeight;

    PictureSetUp(int widthPixels, int heightPixels, ViewerDisplay* display = nullptr)
        : viewer(display),
          holderWidth(qint64(widthPixels) * kTwipsPerPixel), holderHeight(qint64(heightPixels) * kTwipsPerPixel) {
        view.surfaceWidth = holderWidth;
        view.surfaceHeight = holderHeight;
        Steps proc;
        viewer.beginPicture(proc, holderWidth, holderHeight);
        last = redraw();
        viewer.setupScrollbars(view);
    }
    RedrawPlan zoom(ZoomDirection direction) {
        last = viewer.stepZoom(direction) ? redraw() : RedrawPlan{};
        return last;
    }
    RedrawPlan redraw() {
        Steps proc;
        return viewer.redrawImage(proc, view, holderWidth, holderHeight);
    }
    RedrawPlan last;
};

ViewState withSurface(qint64 width, qint64 height) {
    ViewState view = viewport();
    view.surfaceWidth = width;
    view.surfaceHeight = height;
    return view;
}

}  // namespace

TEST(PreviewViewer, ZoomStepsStayWithinAQuarterAndTwoAndThreeQuarters) {
    Viewer viewer;
    for (int press = 1; press <= 7; ++press) EXPECT_TRUE(viewer.stepZoom(ZoomDirection::In)) << press;
    EXPECT_FLOAT_EQ(viewer.zoom(), 2.75f);
    EXPECT_FALSE(viewer.stepZoom(ZoomDirection::In));
    EXPECT_FLOAT_EQ(viewer.zoom(), 2.75f);

    ASSERT_TRUE(viewer.setZoom(1.0f));
    EXPECT_TRUE(viewer.stepZoom(ZoomDirection::Out));
    EXPECT_TRUE(viewer.stepZoom(ZoomDirection::Out));
    EXPECT_TRUE(viewer.stepZoom(ZoomDirection::Out));
    EXPECT_FALSE(viewer.stepZoom(ZoomDirection::Out));
    EXPECT_FALSE(viewer.setZoom(0.0f));
    EXPECT_FALSE(viewer.setZoom(3.0f));
    EXPECT_FLOAT_EQ(viewer.zoom(), 0.25f);
}

// The overflow is over the viewport's inner size: what the frame covers is not in view.
TEST(PreviewViewer, SetupGivesStepAndMaximumByOverflow) {
    struct Case {
        qint64 overflow;
        bool enabled;
        qint64 step;
        qint64 maximum;
    };
    const Case cases[] = {{-500, false, 0, 0}, {0, false, 0, 0}, {1, true, 1, 1}, {100, true, 1, 100},
                          {101, true, 10, 10}, {125, true, 10, 12}, {400000, true, 10, 40000}};
    for (const Case& c : cases) {
        ViewState view = withSurface(9270 + c.overflow, 7365 + c.overflow);
        view.surfaceLeft = -70;
        view.surfaceTop = -90;
        Viewer viewer;
        viewer.setupScrollbars(view);
        SCOPED_TRACE(c.overflow);
        EXPECT_EQ(QPoint(int(view.surfaceLeft), int(view.surfaceTop)), QPoint(0, 0));
        EXPECT_EQ(view.horizontal.enabled, c.enabled);
        EXPECT_EQ(view.vertical.enabled, c.enabled);
        EXPECT_EQ(view.horizontal.step, c.step);
        EXPECT_EQ(view.vertical.step, c.step);
        EXPECT_EQ(view.horizontal.maximum, c.maximum);
        EXPECT_EQ(view.vertical.maximum, c.maximum);
    }
}

TEST(PreviewViewer, DragKeepsThePictureEdgesAtTheViewportsInnerEdges) {
    ViewState view = withSurface(20000, 10000);
    Viewer viewer;
    grab(viewer, 3000, 3000);

    // No button held: nothing moves.
    EXPECT_FALSE(drag(viewer, view, Qt::NoButton, 1000, 1000));
    EXPECT_EQ(view.surfaceLeft, 0);

    // The grabbed point follows the pointer.
    ASSERT_TRUE(drag(viewer, view, Qt::LeftButton, 2000, 2500));
    EXPECT_EQ(view.surfaceLeft, -1000);
    EXPECT_EQ(view.surfaceTop, -500);

    // Beyond the left/top edge: stops at 0.
    drag(viewer, view, Qt::MiddleButton, 9000, 9000);
    EXPECT_EQ(view.surfaceLeft, 0);
    EXPECT_EQ(view.surfaceTop, 0);

    // Beyond the right/bottom edge: stops with the far edge at the inner edge.
    drag(viewer, view, Qt::RightButton, -50000, -50000);
    EXPECT_EQ(view.surfaceLeft, 9270 - 20000);
    EXPECT_EQ(view.surfaceTop, 7365 - 10000);

    // A picture narrower and lower than the viewport jumps to its far edges.
    ViewState small = withSurface(5000, 3000);
    grab(viewer, 100, 100);
    drag(viewer, small, Qt::LeftButton, 90, 90);
    EXPECT_EQ(small.surfaceLeft, 9270 - 5000);
    EXPECT_EQ(small.surfaceTop, 7365 - 3000);
}

TEST(PreviewViewer, ReleaseOnTheLongestRegisterLeavesThePictureWhereItWasDragged) {
    // At 2.75 a whole percent of this register is over 12,000 pixels: a release
    // that snapped to whole percents would jump thousands of rows away.
    PictureSetUp largest(kRegisterPictureWidth, registerPictureHeight(32768));
    for (int step = 0; step < 7; ++step) largest.zoom(ZoomDirection::In);
    largest.viewer.setScrollValue(largest.view, Axis::Vertical, 1'234'567);
    const qint64 before = largest.view.surfaceTop;
    grab(largest.viewer, 3000, 3000);
    drag(largest.viewer, largest.view, Qt::LeftButton, 3000, 3000 - 20 * 15);  // 20 pixels up
    release(largest.viewer, largest.view);
    EXPECT_NEAR(double(largest.view.surfaceTop), double(before - 20 * 15), 10.0);
    EXPECT_EQ(largest.view.surfaceTop, -10 * largest.view.vertical.value);
}

TEST(PreviewViewer, ReleaseSetsTheBarsByPercentWithinTheirRange) {
    // Halfway along: 50 % of the maximum.
    PictureSetUp middle(2000, 1000);
    middle.view.surfaceLeft = -(middle.view.surfaceWidth - 9270) / 2;
    release(middle.viewer, middle.view);
    EXPECT_EQ(middle.view.horizontal.value, roundHalfEven(middle.view.horizontal.maximum / 2.0));
    EXPECT_EQ(middle.view.surfaceLeft, -10 * middle.view.horizontal.value);

    // Dragged to the far edge: 100 %, the bar at its maximum and the picture's
    // far edges at the viewport's inner edges, though the ranges are rounded to whole steps.
    PictureSetUp farEdge(2000, 1000);
    grab(farEdge.viewer, 0, 0);
    drag(farEdge.viewer, farEdge.view, Qt::LeftButton, -1e6f, -1e6f);
    EXPECT_DOUBLE_EQ(Viewer::verticalPercent(farEdge.view), 100);
    release(farEdge.viewer, farEdge.view);
    EXPECT_EQ(farEdge.view.horizontal.value, farEdge.view.horizontal.maximum);
    EXPECT_EQ(farEdge.view.vertical.value, farEdge.view.vertical.maximum);
    EXPECT_EQ(farEdge.view.surfaceTop, 7365 - farEdge.view.surfaceHeight);
    EXPECT_EQ(farEdge.view.surfaceLeft, 9270 - farEdge.view.surfaceWidth);
    EXPECT_NE(farEdge.view.surfaceTop, -10 * farEdge.view.vertical.maximum);  // 14,998 - 7,365 is no whole step

    // A picture exactly as large as the viewport's inside: 0 %, no division by zero.
    ViewState equal = withSurface(9270, 7365);
    equal.surfaceLeft = -30;
    EXPECT_EQ(Viewer::horizontalPercent(equal), 0);
    EXPECT_EQ(Viewer::verticalPercent(equal), 0);
    Viewer viewer;
    viewer.setupScrollbar(equal, Axis::Horizontal);
    release(viewer, equal);
    EXPECT_EQ(equal.horizontal.value, 0);

    // Narrower than the viewport: a negative percent leaves the bar alone.
    ViewState narrow = withSurface(5000, 3000);
    narrow.horizontal = {true, 40, 7};
    narrow.surfaceLeft = 4270;
    EXPECT_LT(Viewer::horizontalPercent(narrow), 0);
    release(viewer, narrow);
    EXPECT_EQ(narrow.horizontal.value, 7);
    EXPECT_EQ(narrow.surfaceLeft, 4270);
}

TEST(PreviewViewer, ZoomOfAHundredTransactionRegisterRepaintsAndFollowsTheBars) {
    PictureSetUp register100(kRegisterPictureWidth, registerPictureHeight(100));
    ASSERT_TRUE(register100.last.repaint);
    const qint64 origHeight = register100.viewer.origHeight();
    EXPECT_EQ(origHeight, qint64(registerPictureHeight(100)) * 15 - 2);

    // Scrolled down, then zoomed in: the bar goes back to 0 and the range follows the new size.
    register100.viewer.setScrollValue(register100.view, Axis::Vertical, 100);
    EXPECT_EQ(register100.view.surfaceTop, -1000);
    const RedrawPlan in = register100.zoom(ZoomDirection::In);
    ASSERT_TRUE(in.repaint);
    EXPECT_EQ(in.targetHeight, qint64(1.25 * origHeight));
    EXPECT_EQ(in.sourceHeight, origHeight);
    EXPECT_EQ(register100.view.surfaceHeight, in.targetHeight);
    EXPECT_EQ(register100.view.surfaceTop, 0);
    EXPECT_EQ(register100.view.vertical.value, 0);
    EXPECT_EQ(register100.view.vertical.maximum, roundHalfEven((in.targetHeight - 7365) / 10.0));
    EXPECT_TRUE(register100.view.horizontal.enabled);  // 1,250 pixels no longer fit across
    EXPECT_EQ(register100.view.horizontal.step, 10);

    // Zoomed out to a quarter: the picture fits across, that bar is disabled and cannot move it.
    register100.zoom(ZoomDirection::Out);
    register100.zoom(ZoomDirection::Out);
    register100.zoom(ZoomDirection::Out);
    ASSERT_TRUE(register100.zoom(ZoomDirection::Out).repaint);
    EXPECT_FLOAT_EQ(register100.viewer.zoom(), 0.25f);
    EXPECT_FALSE(register100.view.horizontal.enabled);
    EXPECT_EQ(register100.view.horizontal.step, 0);
    EXPECT_EQ(register100.view.horizontal.maximum, 0);
}

TEST(PreviewViewer, EveryZoomRepaintsTheLargestRegister) {
    // 65,531 transactions are as many as a sheet takes below its header.
    PictureSetUp largest(kRegisterPictureWidth, registerPictureHeight(65531));
    ASSERT_TRUE(largest.last.repaint);
    for (int step = 0; step < 7; ++step) ASSERT_TRUE(largest.zoom(ZoomDirection::In).repaint) << "zoom in " << step;
    EXPECT_FLOAT_EQ(largest.viewer.zoom(), 2.75f);
    EXPECT_GT(pixelsFromTwips(largest.view.surfaceHeight), 4'000'000);
    // The bar still reaches the last row at the largest zoom.
    largest.viewer.setScrollValue(largest.view, Axis::Vertical, largest.view.vertical.maximum);
    EXPECT_EQ(largest.view.surfaceTop + largest.view.surfaceHeight, largest.view.viewportInnerHeight);
    for (int step = 0; step < 10; ++step) ASSERT_TRUE(largest.zoom(ZoomDirection::Out).repaint) << "zoom out " << step;
    EXPECT_FLOAT_EQ(largest.viewer.zoom(), 0.25f);
    EXPECT_FALSE(largest.zoom(ZoomDirection::Out).repaint);  // below a quarter nothing happens

    // Only a surface beyond a widget's size limit falls back.
    EXPECT_TRUE(surfaceCanTake(1000 * 15, kLargestSurfaceSide * 15));
    EXPECT_FALSE(surfaceCanTake(1000 * 15, (kLargestSurfaceSide + 1) * 15));
    EXPECT_FALSE(surfaceCanTake((kLargestSurfaceSide + 1) * 15, 1000 * 15));
}

TEST(PreviewViewer, BarsReachTheBottomRowOfAThousandTransactionRegister) {
    PictureSetUp register1000(kRegisterPictureWidth, registerPictureHeight(1000));
    ViewState& view = register1000.view;
    EXPECT_GT(view.vertical.maximum, 32767);  // beyond what a 16-bit bar could hold
    register1000.viewer.setScrollValue(view, Axis::Vertical, view.vertical.maximum);
    const qint64 lastRowTop = view.surfaceTop + view.surfaceHeight - 27 * 15;
    EXPECT_GE(lastRowTop, 0);
    EXPECT_LT(lastRowTop, view.viewportInnerHeight);
    // The last row's bottom edge meets the viewport's inner edge: the frame covers none of it.
    EXPECT_EQ(view.surfaceTop + view.surfaceHeight, view.viewportInnerHeight);

    // A release there keeps the bar at the bottom.
    release(register1000.viewer, view);
    EXPECT_EQ(view.vertical.value, view.vertical.maximum);
}

TEST(PreviewViewer, TheDisplayEndsShowingWhatTheViewHolds) {
    // What the window shows after each procedure: the surface and both bars as the view has them.
    struct Shown : ViewerDisplay {
        ViewState surface, bars;
        RedrawPlan painted;
        void showSurface(const ViewState& view) override { surface = view; }
        void showScrollBar(const ViewState& view, Axis axis) override {
            (axis == Axis::Horizontal ? bars.horizontal : bars.vertical) =
                axis == Axis::Horizontal ? view.horizontal : view.vertical;
        }
        void paintPicture(const RedrawPlan& plan) override { painted = plan; }
        void expectShows(const ViewState& view) const {
            EXPECT_EQ(QPoint(int(surface.surfaceLeft), int(surface.surfaceTop)),
                      QPoint(int(view.surfaceLeft), int(view.surfaceTop)));
            EXPECT_EQ(surface.surfaceHeight, view.surfaceHeight);
            EXPECT_EQ(bars.vertical.value, view.vertical.value);
            EXPECT_EQ(bars.vertical.maximum, view.vertical.maximum);
            EXPECT_EQ(bars.horizontal.enabled, view.horizontal.enabled);
        }
    } shown;
    PictureSetUp register100(kRegisterPictureWidth, registerPictureHeight(100), &shown);
    Viewer& viewer = register100.viewer;
    ViewState& view = register100.view;
    shown.expectShows(view);

    viewer.setScrollValue(view, Axis::Vertical, 50);
    shown.expectShows(view);
    grab(viewer, 3000, 3000);
    drag(viewer, view, Qt::LeftButton, 2000, 1000);
    shown.expectShows(view);
    release(viewer, view);
    shown.expectShows(view);

    register100.zoom(ZoomDirection::In);
    shown.expectShows(view);
    EXPECT_EQ(shown.painted.targetHeight, view.surfaceHeight);
}
