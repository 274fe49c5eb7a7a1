#pragma once
// The preview window: shows the picture of the generated register, zooms
// it from 0.25 to 2.75, pans it with two scroll bars or by dragging, saves
// the generated workbook under a name the user chooses, and goes back to the
// main window. The zoom, the bars and dragging are Viewer's, steps and all;
// this window hands it events and shows what it changes.
//
// A menu bar sits above the client area, which holds every control where it
// has always been. The window opens at the client area's own size and may be
// enlarged or maximised: the viewport and its bars take the added room, the
// zoom frame and the two buttons below them keep their distance to the
// client area's bottom-left corner. The title shows the zoom in use.

#include <QCursor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

#include "picture/sheet_picture.h"
#include "preview/viewer.h"

class QAction;
class QGroupBox;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollBar;

namespace brevanta::preview {

class ImageSurface;
class ViewportFrame;

class Form2 final : public QWidget, private ViewerDisplay {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    // Hand-over from the generation driver.
    QString mExcelFile;  // the temporary workbook; Save copies it, Back and closing delete it
    // Puts a new picture on the image surface at its natural size. The
    // initial set-up (zoom 1.0, sizes, bars) runs for it on the next
    // activation, or at once when the window is already showing.
    void setPicture(paint::SharedPicture picture);
    void setPicture(const QImage& bitmap);
    // Reads the picture from a file and hands it over as setPicture does;
    // throws frame::Failure when the file gives no picture.
    bool loadPicture(const QString& path);

    // Connected by the program: Back shows the main window; closing stores
    // the transaction list before the program ends.
    std::function<void()> showMainWindow;
    std::function<void()> storeTransactionList;

    // Event handlers, each reporting its own failures.
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload();
    void PushButton1_Click();  // "Zoom In"
    void PushButton2_Click();  // "Zoom Out"
    void PushButton6_Click();  // "Save Results To Excel File"
    void PushButton8_Click();  // "< Back"
    void picture1_MouseDown(Qt::MouseButtons buttons, QPointF pixels);
    void picture1_MouseMove(Qt::MouseButtons buttons, QPointF pixels);
    void Picture1_MouseUp(Qt::MouseButtons buttons, QPointF pixels);
    void RedrawImage();
    // The picture's right-click menu and File's Print… and Export PDF… (form2_print.cpp).
    void mnuPrint_Click();      // "Print…"
    void mnuExportPdf_Click();  // "Export PDF…"
    // The menu bar's own commands (form2_menus.cpp); the others are the buttons' handlers.
    void mnuActualSize_Click();        // View, "Actual Size"
    void mnuKeyboardShortcuts_Click(); // Help, "Keyboard Shortcuts"
    void mnuAbout_Click();             // Help, "About Brevanta"

    // The View menu. Options that change what the preview shows go at its
    // end, below the zoom commands, as checkable actions added here.
    QMenu* viewMenu() const { return mnuView; }
    // Where the controls live, below the menu bar: 656 x 626 pixels at the
    // window's opening size.
    QWidget* clientArea() const { return mClientArea; }

    const Viewer& viewer() const { return viewer_; }
    const ViewState& view() const { return view_; }
    bool setupPending() const { return mFirstActivate; }
    const QCursor& handCursor() const { return mHandCursor; }

    // The controls.
    ViewportFrame* Picture2;
    ImageSurface* Picture1;
    QScrollBar* VScroll1;
    QScrollBar* HScroll1;
    QGroupBox* Frame1;
    QPushButton* PushButton1;
    QPushButton* PushButton2;
    QPushButton* PushButton8;
    QPushButton* PushButton6;
    paint::SharedPicture Zoom_Ori;  // hidden holder of the unscaled picture every repaint scales from
    QMenu* PopupMenu1;              // the picture's right-click menu
    QAction* mnuPrint;              // in PopupMenu1 and File, Ctrl+P
    QAction* mnuExportPdf;          // in PopupMenu1 and File
    // The menu bar.
    QMenuBar* MenuBar1;
    QMenu* mnuFile;
    QMenu* mnuView;
    QMenu* mnuHelp;
    QAction* mnuSaveCopy;  // PushButton6, Ctrl+S
    QAction* mnuBack;      // PushButton8
    QAction* mnuZoomIn;    // PushButton1, Ctrl++
    QAction* mnuZoomOut;   // PushButton2, Ctrl+-
    QAction* mnuActualSize;
    QAction* mnuKeyboardShortcuts;
    QAction* mnuAbout;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // The wheel anywhere over the window moves the picture (Shift: sideways);
    // with Ctrl it steps the zoom, keeping the point under the pointer there.
    void wheelEvent(QWheelEvent* event) override;

private:
    void setUpPrintMenu();
    void setUpMenuBar();
    void describeControls();
    // Places the controls in the client area at its present size.
    void layOutClientArea();
    // The face colour with its own text colour, from the palette in use now,
    // on the window and the zoom frame: never light text on a light face.
    void followPalette();
    void showZoomInTitle();
    // Keys while the picture has the focus: arrows, Page Up/Down and Home/End
    // move it through the bars, Ctrl++ and Ctrl+- step the zoom through the
    // zoom buttons, so each does exactly what that control does.
    void pictureKeyPressed(int key, Qt::KeyboardModifiers modifiers);
    void wheelTurned(QPoint angle, Qt::KeyboardModifiers modifiers, QPointF globalPosition);
    void scrollByWheel(QScrollBar* scrollBar, int angle);
    void HScroll1_Change(int value);
    void VScroll1_Change(int value);
    void readViewportSize();
    // The surface takes the size of the picture it holds, unscaled.
    void fitSurfaceToPicture();
    // ViewerDisplay: the viewer's changes shown on the controls.
    void showSurface(const ViewState& view) override;
    void showScrollBar(const ViewState& view, Axis axis) override;
    void clearPicture() override;
    void paintPicture(const RedrawPlan& plan) override;
    void restorePointer() override;
    // The hand over the four buttons, the arrow over the background and the
    // zoom frame; never while the hourglass shows.
    void pointerMovedTo(const QPointF& globalPosition);
    bool pointerIsHourglass() const;
    qint64 holderInnerWidth() const;
    qint64 holderInnerHeight() const;

    QWidget* mClientArea;
    Viewer viewer_{this};
    ViewState view_;
    QCursor mHandCursor{Qt::ArrowCursor};
    bool mFirstActivate = true;
    int mWheelZoomAngle = 0;  // Ctrl+wheel turns not yet making a whole step
};

}  // namespace brevanta::preview
