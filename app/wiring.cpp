#include "app/wiring.h"

#include "engine/embedded/embedded_host.h"
#include "frame/app_title.h"
#include "frame/prompter.h"
#include "generate/check_register.h"
#include "generate/generation_windows.h"
#include "generate/palette.h"
#include "host/connection.h"
#include "host/host_factory.h"
#include "preview/form2.h"
#include "register/form1.h"

namespace brevanta::app {

namespace {

// The preview window, made on first use and kept for the whole run like the
// main window; it goes when the main window goes.
preview::Form2* form2 = nullptr;

preview::Form2& previewWindow(reg::Form1& form1) {
    if (!form2) {
        form2 = new preview::Form2();
        form2->showMainWindow = [&form1] { form1.show(); };
        form2->storeTransactionList = [&form1] { form1.storeList(); };
        QObject::connect(&form1, &QObject::destroyed, [] {
            delete form2;
            form2 = nullptr;
        });
    }
    return *form2;
}

// A generation's effect on the two windows.
class RealWindows final : public generate::GenerationWindows {
public:
    explicit RealWindows(reg::Form1& form1) : form1_(form1) {}
    void setMainPointer(int pointer) override { form1_.setPointer(pointer); }
    void hideMain() override { form1_.hide(); }
    void loadPreviewPicture(const QString& path) override { previewWindow(form1_).loadPicture(path); }
    void setPreviewExcelFile(const QString& path) override { previewWindow(form1_).mExcelFile = path; }
    void showPreview() override { previewWindow(form1_).show(); }
    void tell(const QString& text) override {
        frame::prompter().message(frame::appTitle(), text, frame::Buttons::Ok, frame::Icon::Warning);
    }

private:
    reg::Form1& form1_;
};

}  // namespace

QWidget* bringToFront(reg::Form1& form1) {
    QWidget* shown = nullptr;
    if (form1.isVisible()) shown = &form1;
    else if (form2 && form2->isVisible()) shown = form2;
    if (!shown) return nullptr;
    shown->setWindowState(shown->windowState() & ~Qt::WindowMinimized);
    shown->raise();
    shown->activateWindow();
    return shown;
}

void wireApplication(reg::Form1& form1) {
    // Unless something else (a test) installed one, the embedded engine is the host.
    static engine::EmbeddedHostFactory embeddedHosts;
    if (!host::hostFactory()) host::setHostFactory(&embeddedHosts);

    reg::Form1::Hooks hooks;
    hooks.initPalette = [] { generate::initPalette(); };
    hooks.checkExcelInstalled = [] { host::checkExcelInstalled(); };
    hooks.warnIfExcelOpen = [] { return host::warnIfExcelOpen(); };
    hooks.generateCheckRegister = [&form1](int selector) {
        RealWindows windows(form1);
        generate::generateCheckRegister(selector, form1.transactions(), windows);
    };
    form1.setHooks(std::move(hooks));
}

}  // namespace brevanta::app
