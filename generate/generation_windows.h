#pragma once
// What one generation does to the windows: the main window's pointer and
// hiding it, and handing the preview window its picture and workbook. The
// program implements it with the real windows, the headless generator
// without any.

#include <QString>

namespace brevanta::generate {

class GenerationWindows {
public:
    virtual ~GenerationWindows() = default;
    virtual void setMainPointer(int pointer) = 0;            // 0 default, 11 hourglass
    virtual void hideMain() = 0;
    virtual void loadPreviewPicture(const QString& path) = 0;  // throws when the file gives no picture
    virtual void setPreviewExcelFile(const QString& path) = 0;
    virtual void showPreview() = 0;
    // Tells the user something the generation cannot fix by itself (a list
    // too long for the workbook, texts cut): a box in the window, a line on
    // stderr without one.
    virtual void tell(const QString& text) = 0;
    // False when nobody will look at the picture (the headless generator
    // asked only for the workbook): the reopen and export are then left out.
    virtual bool wantsPicture() const { return true; }
    // False when the picture must not pass through the user's clipboard
    // (the headless generator): it is then taken from the sheet directly.
    virtual bool pictureThroughClipboard() const { return true; }
    // True when the workbook is to have the "Category Summary" sheet after the register.
    virtual bool wantsCategorySummary() const { return false; }
    // Called after each phase of the generation ("layout", "save", "reopen", "picture", "preview").
    virtual void phaseFinished(const char* phase) { (void)phase; }
};

}  // namespace brevanta::generate
