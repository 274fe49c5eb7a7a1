// The preview's menu bar and the help every control and action gives.
// File, View and Help hold no behaviour of their own beyond Actual Size and
// the two boxes: each other command runs the handler of the button or
// right-click command it stands for, so both report under one name.

#include <QAction>
#include <QGroupBox>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

#include "frame/app_title.h"
#include "frame/error_report.h"
#include "frame/prompter.h"
#include "preview/form2.h"
#include "preview/image_surface.h"

namespace brevanta::preview {
namespace {

const QString kModule = QStringLiteral("Form2");

QString keyText(const QKeySequence& keys) { return keys.toString(QKeySequence::NativeText); }

const QKeySequence kActualSizeKeys(Qt::CTRL | Qt::Key_0);

QAction* addCommand(QMenu* menu, const QString& name, const QString& text, const QString& help,
                    const QKeySequence& keys = {}) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(keys);
    action->setToolTip(help);
    action->setStatusTip(help);
    return action;
}

void describe(QAction* action, const QString& help) {
    action->setToolTip(help);
    action->setStatusTip(help);
}

void describe(QWidget* control, const QString& help) {
    control->setToolTip(help);
    control->setStatusTip(help);
}

}  // namespace

void Form2::setUpMenuBar() {
    mnuFile = MenuBar1->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuSaveCopy = addCommand(mnuFile, QStringLiteral("mnuSaveCopy"), QStringLiteral("&Save Copy…"),
                             QStringLiteral("Save a copy of the register as an Excel workbook"), QKeySequence::Save);
    // Print… and Export PDF… are the right-click menu's own actions.
    mnuFile->addAction(mnuPrint);
    mnuPrint->setShortcut(QKeySequence::Print);
    describe(mnuPrint, QStringLiteral("Print the register"));
    mnuFile->addAction(mnuExportPdf);
    describe(mnuExportPdf, QStringLiteral("Save the register's printed pages as a PDF file"));
    mnuFile->addSeparator();
    mnuBack = addCommand(mnuFile, QStringLiteral("mnuBack"), QStringLiteral("&Back"),
                         QStringLiteral("Close the preview and go back to the list of transactions"));

    mnuView = MenuBar1->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuZoomIn = addCommand(mnuView, QStringLiteral("mnuZoomIn"), QStringLiteral("Zoom &In"),
                           QStringLiteral("Enlarge the picture one step, up to 275 %"), QKeySequence::ZoomIn);
    // Ctrl+= too: on most keyboards + is the Shift of that key, and the picture took Ctrl+= already.
    mnuZoomIn->setShortcuts({QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    mnuZoomOut = addCommand(mnuView, QStringLiteral("mnuZoomOut"), QStringLiteral("Zoom &Out"),
                            QStringLiteral("Reduce the picture one step, down to 25 %"), QKeySequence::ZoomOut);
    mnuActualSize = addCommand(mnuView, QStringLiteral("mnuActualSize"), QStringLiteral("&Actual Size"),
                               QStringLiteral("Show the picture at 100 %"), kActualSizeKeys);
    // Options of what the preview shows follow here (see viewMenu()); the
    // separator shows only once one is added.
    mnuView->addSeparator();

    mnuHelp = MenuBar1->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuKeyboardShortcuts = addCommand(mnuHelp, QStringLiteral("mnuKeyboardShortcuts"),
                                      QStringLiteral("&Keyboard Shortcuts"),
                                      QStringLiteral("List the keys the preview understands"));
    mnuAbout = addCommand(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("&About Brevanta"),
                          QStringLiteral("The program's name and version"));
    for (QMenu* menu : {mnuFile, mnuView, mnuHelp}) menu->setToolTipsVisible(true);

    connect(mnuSaveCopy, &QAction::triggered, this, [this] { PushButton6_Click(); });
    connect(mnuBack, &QAction::triggered, this, [this] { PushButton8_Click(); });
    connect(mnuZoomIn, &QAction::triggered, this, [this] { PushButton1_Click(); });
    connect(mnuZoomOut, &QAction::triggered, this, [this] { PushButton2_Click(); });
    connect(mnuActualSize, &QAction::triggered, this, [this] { mnuActualSize_Click(); });
    connect(mnuKeyboardShortcuts, &QAction::triggered, this, [this] { mnuKeyboardShortcuts_Click(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });
}

void Form2::describeControls() {
    const QString picture = QStringLiteral(
        "The register as it will be saved. Drag it to move it, Ctrl+wheel zooms around the pointer, "
        "a right-click offers Print and Export PDF");
    describe(Picture2, picture);
    describe(Picture1, picture);
    describe(VScroll1, QStringLiteral("Move the picture up or down"));
    describe(HScroll1, QStringLiteral("Move the picture sideways"));
    describe(Frame1, QStringLiteral("The size of the picture, from 25 % to 275 % (the title shows it)"));
    describe(PushButton1, QStringLiteral("Enlarge the picture one step (%1)").arg(keyText(QKeySequence::ZoomIn)));
    describe(PushButton2, QStringLiteral("Reduce the picture one step (%1)").arg(keyText(QKeySequence::ZoomOut)));
    describe(PushButton8, QStringLiteral("Close the preview and go back to the list of transactions"));
    describe(PushButton6, QStringLiteral("Save a copy of the register as an Excel workbook (%1)")
                              .arg(keyText(QKeySequence::Save)));
}

void Form2::mnuActualSize_Click() {
    frame::Procedure proc(kModule, QStringLiteral("mnuActualSize_Click"));
    // At 100 % already: the picture stays where it is.
    if (proc.trueOrFailed(100, [&] { return viewer().zoom() != kNaturalZoom; }))
        proc.step(102, [&] {
            if (viewer_.setZoom(kNaturalZoom)) RedrawImage();
        });
}

void Form2::mnuKeyboardShortcuts_Click() {
    frame::Procedure proc(kModule, QStringLiteral("mnuKeyboardShortcuts_Click"));
    QString text;
    proc.step(100, [&] {
        const QStringList lines = {
            QStringLiteral("Keys in the preview:"),
            QString(),
            keyText(QKeySequence::ZoomIn) + QStringLiteral("\tZoom in"),
            keyText(QKeySequence::ZoomOut) + QStringLiteral("\tZoom out"),
            keyText(kActualSizeKeys) + QStringLiteral("\tActual size (100 %)"),
            QStringLiteral("Ctrl+wheel\tZoom around the pointer"),
            keyText(QKeySequence::Save) + QStringLiteral("\tSave a copy as an Excel workbook"),
            keyText(QKeySequence::Print) + QStringLiteral("\tPrint"),
            QStringLiteral("Wheel, Shift+wheel\tMove the picture up and down, sideways"),
            QStringLiteral("Arrow keys\tMove the picture (after a click on it)"),
            QStringLiteral("Page Up, Page Down\tMove the picture a page up or down"),
            QStringLiteral("Home, End\tGo to the top or the bottom"),
        };
        text = lines.join(QLatin1Char('\n'));
    });
    proc.step(102, [&] {
        frame::prompter().message(frame::appTitle(), text, frame::Buttons::Ok, frame::Icon::None);
    });
}

void Form2::mnuAbout_Click() {
    frame::Procedure proc(kModule, QStringLiteral("mnuAbout_Click"));
    proc.step(100, [&] {
        frame::prompter().message(
            frame::appTitle(),
            QString::fromLatin1(frame::kProductTitle) + QStringLiteral(" " BREVANTA_VERSION "\n\n") +
                QStringLiteral("Keeps a checkbook register and lays it out as an Excel worksheet."),
            frame::Buttons::Ok, frame::Icon::None);
    });
}

}  // namespace brevanta::preview
