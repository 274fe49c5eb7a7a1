#include "app/wiring.h"

#include <QMenu>

#include "engine/embedded/embedded_host.h"
#include "frame/app_title.h"
#include "frame/disk_files.h"
#include "frame/prompter.h"
#include "generate/check_register.h"
#include "generate/generation_windows.h"
#include "host/connection.h"
#include "host/host_factory.h"
#include "preview/form2.h"
#include "preview/summary_option.h"
#include "register/form1.h"
#include "xls/xls_file.h"
#include "register/main_menu.h"

namespace brevanta::app {

namespace {

// A generation's effect on the two windows.
class RealWindows final : public generate::GenerationWindows {
public:
    RealWindows(reg::Form1& form1, ProgramWindows& windows) : form1_(form1), windows_(windows) {}
    void setMainPointer(int pointer) override { form1_.setPointer(pointer); }
    void hideMain() override { form1_.hide(); }
    void loadPreviewPicture(const QString& path) override { windows_.preview().loadPicture(path); }
    void setPreviewExcelFile(const QString& path) override { windows_.preview().mExcelFile = path; }
    void showPreview() override { windows_.preview().show(); }
    bool wantsCategorySummary() const override { return windows_.summaryOption().included(); }
    void tell(const QString& text) override {
        frame::prompter().message(frame::appTitle(), text, frame::Buttons::Ok, frame::Icon::Warning);
    }

private:
    reg::Form1& form1_;
    ProgramWindows& windows_;
};

}  // namespace

ProgramWindows::ProgramWindows(reg::Form1& form1) : QObject(&form1), form1_(form1) {}

ProgramWindows::~ProgramWindows() = default;

preview::Form2& ProgramWindows::preview() {
    if (!preview_) {
        preview_ = std::make_unique<preview::Form2>();
        preview_->showMainWindow = [this] { form1_.show(); };
        preview_->storeTransactionList = [this] { form1_.storeList(); };
        preview_->viewMenu()->addAction(summaryOption().action());
    }
    return *preview_;
}

preview::SummaryOption& ProgramWindows::summaryOption() {
    if (!summaryOption_) {
        summaryOption_ = new preview::SummaryOption(form1_.environment().savedList, this);
        // A new workbook with or without the summary; the preview shows the register as before.
        summaryOption_->regenerate = [this] {
            const QString previous = preview().mExcelFile;
            RealWindows effects(form1_, *this);
            generate::generateCheckRegister(1, form1_.transactions(), effects);
            if (!previous.isEmpty() && preview().mExcelFile != previous) frame::deleteFileQuietly(previous);
        };
    }
    return *summaryOption_;
}

QWidget* ProgramWindows::bringToFront() {
    QWidget* shown = nullptr;
    if (form1_.isVisible()) shown = &form1_;
    else if (preview_ && preview_->isVisible()) shown = preview_.get();
    if (!shown) return nullptr;
    shown->setWindowState(shown->windowState() & ~Qt::WindowMinimized);
    shown->raise();
    shown->activateWindow();
    return shown;
}

ProgramWindows& wireApplication(reg::Form1& form1) {
    // Unless something else (a test) installed one, the embedded engine is
    // the host, saving and opening its workbooks as .xls files.
    static xls::XlsWorkbookFiles xlsFiles;
    static engine::EmbeddedHostFactory embeddedHosts(xlsFiles);
    if (!host::hostFactory()) host::setHostFactory(&embeddedHosts);

    auto* windows = new ProgramWindows(form1);  // owned by form1
    new reg::MainMenu(form1);                   // owned by form1

    reg::Form1::Hooks hooks;
    // The palette is a constant table (generate/palette.h): start-up has
    // nothing to prepare, so its palette step is left without a hook.
    hooks.checkExcelInstalled = [] { host::checkExcelInstalled(); };
    hooks.warnIfExcelOpen = [] { return host::warnIfExcelOpen(); };
    hooks.generateCheckRegister = [&form1, windows](int selector) {
        RealWindows effects(form1, *windows);
        generate::generateCheckRegister(selector, form1.transactions(), effects);
    };
    form1.setHooks(std::move(hooks));
    return *windows;
}

}  // namespace brevanta::app
