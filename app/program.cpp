#include "app/program.h"

#include <QApplication>

#include "app/information_options.h"
#include "app/session_end.h"
#include "app/single_instance.h"
#include "app/wiring.h"
#include "frame/prompter.h"
#include "register/form1.h"
#include "register/program_icon.h"

namespace brevanta::app {
namespace {

const char kUsage[] =
    "Usage: brevanta [--help | --version]\n"
    "\n"
    "Opens the checkbook register window. When the program already runs for this\n"
    "user, brings its window to the front instead.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Qt's own options, such as -platform or -style, are accepted as well.\n";

}  // namespace

int runProgram(int argc, char** argv, ProgramDriver* driver) {
    // Before the application object: asking for help must not need a display.
    if (const auto status = answerInformationRequest(argc, argv, "brevanta", kUsage)) return *status;
    QApplication application(argc, argv);
    // Wayland compositors match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("app.brevanta.Brevanta"));
    SingleInstance instance;
    if (instance.claim() == SingleInstance::Role::Later) return 0;
    QApplication::setWindowIcon(reg::programIcon());

    reg::Form1 form1;
    frame::setDialogParent(&form1);
    ProgramWindows& windows = wireApplication(form1);
    if (driver) driver->attach(form1);
    QObject::connect(&instance, &SingleInstance::showRequested, &form1, [&] {
        QWidget* shown = windows.bringToFront();
        if (driver) driver->broughtToFront(shown);
    });
    // The end of the session stores the list as closing the main window does.
    SessionEnd sessionEnd([&form1] { form1.storeList(); });
    form1.Form_Load();
    form1.show();
    if (driver) driver->started();
    return QApplication::exec();
}

}  // namespace brevanta::app
