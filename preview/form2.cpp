#include "preview/form2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QGroupBox>
#include <QMenuBar>
#include <QPainter>
#include <QVBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <QSignalBlocker>
#include <cmath>
#include <limits>
#include <optional>

#include "picture/picture_file.h"
#include "frame/app_title.h"
#include "frame/disk_files.h"
#include "frame/window_look.h"
#include "frame/window_place.h"
#include "frame/error_report.h"
#include "frame/failure.h"
#include "frame/program_end.h"
#include "frame/last_folder.h"
#include "frame/prompter.h"
#include "frame/return_clicks.h"
#include "preview/image_surface.h"
#include "preview/workbook_copy.h"
#include "register/cursor_file.h"
#include "register/program_icon.h"

namespace brevanta::preview {
namespace {

const QString kModule = QStringLiteral("Form2");

// The window's layout is given in twips; widgets take pixels.
QRect twipsRect(int left, int top, int width, int height) {
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel);
}

// The client area at the window's opening size, and where each control stands in it then.
const QSize kClientSize = twipsRect(0, 0, 9840, 9390).size();
const QRect kViewportPlace = twipsRect(120, 120, 9330, 7425);
const QRect kVerticalBarPlace = twipsRect(9450, 120, 255, 7425);
const QRect kHorizontalBarPlace = twipsRect(120, 7545, 9330, 255);
const QRect kZoomFramePlace = twipsRect(120, 7860, 9600, 855);
const QRect kBackPlace = twipsRect(120, 8850, 4680, 405);
const QRect kSavePlace = twipsRect(4920, 8850, 4800, 405);
// On a screen too short for the opening size (a scale factor of 2 on a
// 1080-line screen) the viewport gives up height, down to this much, so the
// buttons below it stay on the screen. The width never shrinks: the buttons
// stand side by side across it.
constexpr int kShortestViewport = 120;
const QSize kSmallestClientSize(kClientSize.width(), kClientSize.height() - (kViewportPlace.height() - kShortestViewport));
// Room left for the window's title bar when the opening size is fitted to the screen.
constexpr int kTitleBarAllowance = 40;

int clampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int pixels(qint64 twips) { return clampToInt(pixelsFromTwips(twips)); }

// A pointer position on the surface, from pixels to twips.
float twips(double pixels) { return float(pixels * kTwipsPerPixel); }

// How far one click on a bar's arrow moves the picture.
constexpr qint64 kArrowStepPixels = 20;

// How much a repaint stretches the holder along one axis.
double stretch(qint64 target, qint64 source) { return source > 0 ? double(target) / double(source) : 1.0; }

QPushButton* makeButton(const QString& caption, QWidget* parent, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setMouseTracking(true);
    frame::clickOnReturn(button);
    return button;
}

}  // namespace

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form2"));
    setWindowFlags(windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMouseTracking(true);

    // The menu bar above, the client area below it: never smaller than at the opening size.
    MenuBar1 = new QMenuBar(this);
    MenuBar1->setObjectName(QStringLiteral("MenuBar1"));
    mClientArea = new QWidget(this);
    mClientArea->setObjectName(QStringLiteral("ClientArea"));
    mClientArea->setMinimumSize(kSmallestClientSize);
    mClientArea->setMouseTracking(true);
    auto* windowLayout = new QVBoxLayout(this);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->setSpacing(0);
    windowLayout->setMenuBar(MenuBar1);
    windowLayout->addWidget(mClientArea);

    Picture2 = new ViewportFrame(mClientArea);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(kViewportPlace);
    Picture1 = new ImageSurface(Picture2->clientArea());
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(0, 0, 0, 0);

    VScroll1 = new QScrollBar(Qt::Vertical, mClientArea);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setGeometry(kVerticalBarPlace);
    HScroll1 = new QScrollBar(Qt::Horizontal, mClientArea);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setGeometry(kHorizontalBarPlace);
    for (QScrollBar* scrollBar : {VScroll1, HScroll1}) {
        scrollBar->setRange(0, 0);
        scrollBar->setEnabled(false);
        scrollBar->setTracking(true);  // the picture follows the thumb while it is dragged
    }

    Frame1 = new QGroupBox(QStringLiteral("Zoom:"), mClientArea);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(kZoomFramePlace);
    Frame1->setMouseTracking(true);
    PushButton1 = makeButton(QStringLiteral("Zoom In"), Frame1, twipsRect(240, 300, 4440, 405));
    PushButton2 = makeButton(QStringLiteral("Zoom Out"), Frame1, twipsRect(4800, 300, 4560, 405));
    PushButton8 = makeButton(QStringLiteral("< Back"), mClientArea, kBackPlace);
    PushButton6 = makeButton(QStringLiteral("Save Results To Excel File"), mClientArea, kSavePlace);
    PushButton1->setObjectName(QStringLiteral("PushButton1"));
    PushButton2->setObjectName(QStringLiteral("PushButton2"));
    PushButton8->setObjectName(QStringLiteral("PushButton8"));
    PushButton6->setObjectName(QStringLiteral("PushButton6"));
    for (QWidget* watched : {static_cast<QWidget*>(PushButton1), static_cast<QWidget*>(PushButton2),
                             static_cast<QWidget*>(PushButton8), static_cast<QWidget*>(PushButton6),
                             static_cast<QWidget*>(Frame1)})
        watched->installEventFilter(this);
    mClientArea->installEventFilter(this);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
    connect(PushButton8, &QPushButton::clicked, this, [this] { PushButton8_Click(); });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int value) { HScroll1_Change(value); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int value) { VScroll1_Change(value); });
    connect(Picture1, &ImageSurface::pressed, this, &Form2::picture1_MouseDown);
    connect(Picture1, &ImageSurface::moved, this, &Form2::picture1_MouseMove);
    connect(Picture1, &ImageSurface::released, this, &Form2::Picture1_MouseUp);
    connect(Picture1, &ImageSurface::keyPressed, this, &Form2::pictureKeyPressed);
    connect(Picture1, &ImageSurface::wheelTurned, this, &Form2::wheelTurned);
    setUpPrintMenu();
    setUpMenuBar();
    describeControls();

    readViewportSize();
    Form_Load();
    followPalette();

    // The opening size, or as tall as the screen has room for.
    QSize opening = minimumSizeHint() + (kClientSize - kSmallestClientSize);
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        opening.setHeight(std::max(minimumSizeHint().height(),
                                   std::min(opening.height(), screen->availableGeometry().height() - kTitleBarAllowance)));
    resize(opening);
    frame::placeCentred(*this);
}

void Form2::setPicture(const QImage& bitmap) {
    setPicture(std::make_shared<const paint::SheetPicture>(paint::SheetPicture::fromImage(bitmap)));
}

void Form2::setPicture(paint::SharedPicture picture) {
    Picture1->setPicture(std::move(picture), 1.0, 1.0);
    fitSurfaceToPicture();
    // Every new picture gets the initial set-up, not only the first one.
    mFirstActivate = true;
    if (isVisible()) Form_Activate();
}

bool Form2::loadPicture(const QString& path) {
    if (!frame::fileExists(path)) throw frame::Failure(QStringLiteral("File not found: ") + path);
    paint::SharedPicture picture = paint::loadPictureFile(path);
    if (!picture || picture->isNull()) throw frame::Failure(QStringLiteral("Invalid picture"));
    setPicture(std::move(picture));
    return true;
}

void Form2::Form_Load() {
    frame::Procedure proc(kModule, QStringLiteral("Form_Load"));
    proc.step(100, [&] { mFirstActivate = true; });
    proc.step(102, [&] { frame::useButtonFaceColors(this); });
    proc.step(104, [&] { setWindowTitle(QString::fromLatin1(frame::kProductTitle)); });
    proc.step(104, [&] { setWindowIcon(reg::programIcon()); });
    const QString cursorPath = reg::handCursorPath(frame::programFolder());
    if (proc.trueOrFailed(108, [&] { return frame::fileExists(cursorPath); }))
        proc.step(110, [&] { mHandCursor = reg::loadCursorFile(cursorPath); });
}

void Form2::Form_Activate() {
    frame::Procedure proc(kModule, QStringLiteral("Form_Activate"));
    if (proc.trueOrFailed(100, [&] { return mFirstActivate; })) {
        // The surface paints all it covers from the picture, keeps the
        // picture's size and shows white where there is none. (The holder
        // is the picture itself: it has no visibility or size to set.)
        proc.step(102, [&] { Picture1->setAttribute(Qt::WA_OpaquePaintEvent); });
        proc.step(104, [&] { fitSurfaceToPicture(); });
        proc.step(106, [&] { Picture1->setAutoFillBackground(true); });
        proc.step(122, [&] { Zoom_Ori = Picture1->picture(); });
        viewer_.beginPicture(proc, holderInnerWidth(), holderInnerHeight());  // 124 ... 132
        proc.step(134, [&] { RedrawImage(); });
        proc.step(136, [&] { viewer_.setupScrollbars(view_); });
    }
    proc.step(138, [&] { mFirstActivate = false; });
}

void Form2::Form_QueryUnload() {
    frame::Procedure proc(kModule, QStringLiteral("Form_QueryUnload"));
    proc.step(100, [&] { frame::deleteFileQuietly(mExcelFile); });
    proc.step(102, [&] { QCoreApplication::processEvents(); });
    proc.step(104, [&] { QCoreApplication::processEvents(); });
    // Ending the program here skips the main window's closing, so the list
    // typed since the start is stored on this path as well.
    proc.step(106, [&] {
        if (storeTransactionList) storeTransactionList();
    });
}

void Form2::PushButton1_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton1_Click"));
    proc.step(100, [&] {
        if (viewer_.stepZoom(ZoomDirection::In)) RedrawImage();
    });
}

void Form2::PushButton2_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton2_Click"));
    proc.step(100, [&] {
        if (viewer_.stepZoom(ZoomDirection::Out)) RedrawImage();
    });
}

void Form2::PushButton6_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton6_Click"));
    frame::SaveDialogRequest request;
    QString chosenName, chosenFilter;
    std::optional<frame::Answer> answer;
    bool copyFailed = false;
    proc.step(100, [&] { request.fileName = QStringLiteral("Check Register.xls"); });
    proc.step(102, [&] { request.title = QStringLiteral("Save File"); });
    proc.step(104, [&] { request.filter = kXlsFilter + QStringLiteral(";;") + kXlsxFilter; });
    QString dialogName;
    proc.step(106, [&] {
        request.chosenFilter = &chosenFilter;
        dialogName = frame::askSaveFileName(request);
    });
    proc.step(108, [&] {
        chosenName = frame::withFilterExtension(dialogName, chosenFilter.isEmpty() ? request.filter : chosenFilter);
    });
    if (proc.trueOrFailed(110, [&] { return !chosenName.isEmpty(); })) {
        if (proc.trueOrFailed(112, [&] { return frame::fileExists(chosenName); })) {
            proc.step(114, [&] { answer = askToOverwrite(chosenName); });
            // The old file is not deleted first: the copy at 124 replaces it
            // only once complete, so a failed copy leaves it in place.
        } else {
            proc.step(120, [&] { answer = frame::Answer::Yes; });
        }
    }
    if (proc.trueOrFailed(122, [&] { return answer == frame::Answer::Yes; })) {
        const int failuresBefore = proc.failures();
        proc.step(124, [&] { saveWorkbookAs(mExcelFile, chosenName, wantsXlsx(chosenName, chosenFilter)); });
        copyFailed = proc.failures() != failuresBefore;
    }
    if (!copyFailed)
        proc.step(126, [&] {
            frame::sayDone(chosenName);
        });
}

void Form2::PushButton8_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton8_Click"));
    proc.step(102, [&] { frame::deleteFileQuietly(mExcelFile); });
    proc.step(104, [&] {
        if (showMainWindow) showMainWindow();
    });
    proc.step(106, [&] { hide(); });
}

void Form2::picture1_MouseDown(Qt::MouseButtons, QPointF pixels) {
    frame::Procedure proc(kModule, QStringLiteral("picture1_MouseDown"));
    viewer_.grab(proc, twips(pixels.x()), twips(pixels.y()));
}

void Form2::picture1_MouseMove(Qt::MouseButtons buttons, QPointF pixels) {
    frame::Procedure proc(kModule, QStringLiteral("picture1_MouseMove"));
    viewer_.drag(proc, view_, buttons, twips(pixels.x()), twips(pixels.y()));
}

void Form2::Picture1_MouseUp(Qt::MouseButtons, QPointF) {
    frame::Procedure proc(kModule, QStringLiteral("Picture1_MouseUp"));
    viewer_.release(proc, view_);
}

void Form2::RedrawImage() {
    frame::Procedure proc(kModule, QStringLiteral("RedrawImage"));
    viewer_.redrawImage(proc, view_, holderInnerWidth(), holderInnerHeight());
}

void Form2::fitSurfaceToPicture() {
    const paint::SharedPicture& picture = Picture1->picture();
    view_.surfaceWidth = picture ? qint64(picture->width) * kTwipsPerPixel : 0;
    view_.surfaceHeight = picture ? qint64(picture->height) * kTwipsPerPixel : 0;
    showSurface(view_);
}

void Form2::HScroll1_Change(int value) { viewer_.scrollBarMoved(view_, Axis::Horizontal, value); }

void Form2::VScroll1_Change(int value) { viewer_.scrollBarMoved(view_, Axis::Vertical, value); }

void Form2::readViewportSize() {
    view_.viewportOuterWidth = qint64(Picture2->width()) * kTwipsPerPixel;
    view_.viewportOuterHeight = qint64(Picture2->height()) * kTwipsPerPixel;
    view_.viewportInnerWidth = qint64(Picture2->contentsRect().width()) * kTwipsPerPixel;
    view_.viewportInnerHeight = qint64(Picture2->contentsRect().height()) * kTwipsPerPixel;
}

void Form2::showSurface(const ViewState& view) {
    Picture1->setGeometry(pixels(view.surfaceLeft), pixels(view.surfaceTop), pixels(view.surfaceWidth),
                          pixels(view.surfaceHeight));
}

void Form2::showScrollBar(const ViewState& view, Axis axis) {
    const bool horizontal = axis == Axis::Horizontal;
    QScrollBar* scrollBar = horizontal ? HScroll1 : VScroll1;
    const ScrollBarState& state = horizontal ? view.horizontal : view.vertical;
    // The viewer has already moved the surface for these values.
    const QSignalBlocker blocker(scrollBar);
    scrollBar->setRange(0, clampToInt(state.maximum));
    scrollBar->setValue(clampToInt(state.value));
    scrollBar->setEnabled(state.enabled);
    if (state.step > 0) {
        // About an arrow's worth of pixels a click, a viewport a page.
        const qint64 viewportSize = horizontal ? view.viewportInnerWidth : view.viewportInnerHeight;
        scrollBar->setSingleStep(clampToInt(std::max<qint64>(1, kArrowStepPixels * kTwipsPerPixel / state.step)));
        scrollBar->setPageStep(clampToInt(std::max<qint64>(1, viewportSize / state.step)));
    }
}

void Form2::clearPicture() { Picture1->clearPicture(); }

void Form2::paintPicture(const RedrawPlan& plan) {
    Picture1->setPicture(Zoom_Ori, stretch(plan.targetWidth, plan.sourceWidth),
                         stretch(plan.targetHeight, plan.sourceHeight));
    showZoomInTitle();
}

void Form2::showZoomInTitle() {
    // The zoom the picture is painted at; a zoom that fell back without a repaint is not shown.
    // The program's name comes last: window systems that add the name to
    // every window's title add nothing to a title that already ends with it.
    const int percent = int(std::lround(double(viewer_.zoom()) * 100.0));
    setWindowTitle(QStringLiteral("%1 % \u2014 ").arg(percent) + QString::fromLatin1(frame::kProductTitle));
}

void Form2::layOutClientArea() {
    // What the client area grew by over its opening size goes to the viewport and its bars, as
    // does what it lost in height on a short screen.
    const QSize grown = (mClientArea->size() - kClientSize).expandedTo(kSmallestClientSize - kClientSize);
    const int right = grown.width(), down = grown.height();
    Picture2->setGeometry(kViewportPlace.adjusted(0, 0, right, down));
    VScroll1->setGeometry(kVerticalBarPlace.adjusted(right, 0, right, down));
    HScroll1->setGeometry(kHorizontalBarPlace.adjusted(0, down, right, down));
    Frame1->setGeometry(kZoomFramePlace.translated(0, down));
    PushButton8->setGeometry(kBackPlace.translated(0, down));
    PushButton6->setGeometry(kSavePlace.translated(0, down));
    const qint64 innerWidth = view_.viewportInnerWidth, innerHeight = view_.viewportInnerHeight;
    readViewportSize();
    if (view_.viewportInnerWidth != innerWidth || view_.viewportInnerHeight != innerHeight)
        viewer_.viewportResized(view_);
}

void Form2::followPalette() {
    const QPalette current = QApplication::palette(this);
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame1)}) {
        QPalette palette = widget->palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Window, current.color(group, QPalette::Button));
            palette.setColor(group, QPalette::WindowText, current.color(group, QPalette::ButtonText));
        }
        widget->setPalette(palette);
    }
}

void Form2::restorePointer() { unsetCursor(); }

qint64 Form2::holderInnerWidth() const { return Zoom_Ori ? qint64(Zoom_Ori->width) * kTwipsPerPixel : 0; }
qint64 Form2::holderInnerHeight() const { return Zoom_Ori ? qint64(Zoom_Ori->height) * kTwipsPerPixel : 0; }

bool Form2::pointerIsHourglass() const {
    if (const QCursor* override = QApplication::overrideCursor(); override && override->shape() == Qt::WaitCursor)
        return true;
    return testAttribute(Qt::WA_SetCursor) && cursor().shape() == Qt::WaitCursor;
}

void Form2::pointerMovedTo(const QPointF& globalPosition) {
    if (pointerIsHourglass()) return;
    // Moves over a button also reach its parent, so decide by what lies
    // under the pointer rather than by who received the move.
    const QWidget* under = childAt(mapFromGlobal(globalPosition).toPoint());
    if (under == PushButton1 || under == PushButton2 || under == PushButton6 || under == PushButton8)
        setCursor(mHandCursor);
    else if (under == nullptr || under == mClientArea || under == Frame1)
        setCursor(QCursor(Qt::ArrowCursor));
}

bool Form2::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Form_Activate();
    // A palette or style chosen while the window exists: face and text follow it together.
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::StyleChange) followPalette();
    return QWidget::event(event);
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mClientArea) {
        if (event->type() == QEvent::Resize) layOutClientArea();
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseMove)
        pointerMovedTo(static_cast<QMouseEvent*>(event)->globalPosition());
    else if (event->type() == QEvent::Enter)
        pointerMovedTo(static_cast<QEnterEvent*>(event)->globalPosition());
    return QWidget::eventFilter(watched, event);
}

void Form2::mouseMoveEvent(QMouseEvent* event) {
    pointerMovedTo(event->globalPosition());
    QWidget::mouseMoveEvent(event);
}

void Form2::wheelEvent(QWheelEvent* event) {
    wheelTurned(event->angleDelta(), event->modifiers(), event->globalPosition());
    event->accept();
}

void Form2::wheelTurned(QPoint angle, Qt::KeyboardModifiers modifiers, QPointF globalPosition) {
    if (modifiers & Qt::ControlModifier) {
        // The buttons' steps and limits; then the point under the pointer (or,
        // with the pointer off the picture, the viewport's middle) stays put.
        const ViewState before = view_;
        const float zoomBefore = viewer_.zoom();
        mWheelZoomAngle += angle.y();
        for (; mWheelZoomAngle >= QWheelEvent::DefaultDeltasPerStep; mWheelZoomAngle -= QWheelEvent::DefaultDeltasPerStep)
            PushButton1_Click();
        for (; mWheelZoomAngle <= -QWheelEvent::DefaultDeltasPerStep; mWheelZoomAngle += QWheelEvent::DefaultDeltasPerStep)
            PushButton2_Click();
        if (viewer_.zoom() == zoomBefore) return;
        const QWidget* viewport = Picture2->clientArea();
        QPointF pointer = viewport->mapFromGlobal(globalPosition);
        if (!QRectF(viewport->rect()).contains(pointer)) pointer = QRectF(viewport->rect()).center();
        viewer_.keepPointUnder(view_, before, roundHalfEven(pointer.x() * kTwipsPerPixel),
                               roundHalfEven(pointer.y() * kTwipsPerPixel));
    } else if (modifiers & Qt::ShiftModifier) {
        scrollByWheel(HScroll1, angle.y() ? angle.y() : angle.x());
    } else {
        if (angle.y()) scrollByWheel(VScroll1, angle.y());
        if (angle.x()) scrollByWheel(HScroll1, angle.x());
    }
}

void Form2::scrollByWheel(QScrollBar* scrollBar, int angle) {
    // The desktop's lines per notch, each a bar's arrow step.
    const double steps = double(angle) / double(QWheelEvent::DefaultDeltasPerStep) * QApplication::wheelScrollLines();
    int units = int(std::lround(steps * scrollBar->singleStep()));
    if (units == 0 && angle != 0) units = angle > 0 ? 1 : -1;
    scrollBar->setValue(scrollBar->value() - units);
}

void Form2::pictureKeyPressed(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ControlModifier) {
        if (key == Qt::Key_Plus || key == Qt::Key_Equal) PushButton1_Click();
        else if (key == Qt::Key_Minus || key == Qt::Key_Underscore) PushButton2_Click();
        return;
    }
    switch (key) {
        case Qt::Key_Up: VScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
        case Qt::Key_Down: VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
        case Qt::Key_Left: HScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
        case Qt::Key_Right: HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
        case Qt::Key_PageUp: VScroll1->triggerAction(QAbstractSlider::SliderPageStepSub); break;
        case Qt::Key_PageDown: VScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
        case Qt::Key_Home: VScroll1->triggerAction(QAbstractSlider::SliderToMinimum); break;
        case Qt::Key_End: VScroll1->triggerAction(QAbstractSlider::SliderToMaximum); break;
        default: break;
    }
}

void Form2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Platforms without a window manager may never activate the window.
    if (mFirstActivate) Form_Activate();
}

void Form2::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    frame::endProgram();
}

}  // namespace brevanta::preview
