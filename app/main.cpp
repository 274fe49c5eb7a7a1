// The program: the main window, wired to the rest of the program, runs its
// start-up and is shown; closing it ends the program. One copy runs per
// user: a second start brings the running copy's window to the front and
// ends before it shows anything of its own.

#include <QApplication>

#include "app/information_options.h"
#include "app/session_end.h"
#include "app/single_instance.h"
#include "app/test_script.h"
#include "app/wiring.h"
#include "frame/prompter.h"
#include "register/form1.h"
#include "register/program_icon.h"

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

int main(int argc, char** argv) {
    // Before the application object: asking for help must not need a display.
    if (const auto status = brevanta::app::answerInformationRequest(argc, argv, "brevanta", kUsage)) return *status;
    QApplication application(argc, argv);
    // Wayland compositors match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("app.brevanta.Brevanta"));
    brevanta::app::SingleInstance instance;
    if (instance.claim() == brevanta::app::SingleInstance::Role::Later) return 0;
    QApplication::setWindowIcon(brevanta::reg::programIcon());

    brevanta::reg::Form1 form1;
    brevanta::frame::setDialogParent(&form1);
    brevanta::app::wireApplication(form1);
    const auto script = brevanta::app::TestScript::fromEnvironment(form1);
    QObject::connect(&instance, &brevanta::app::SingleInstance::showRequested, &form1, [&] {
        QWidget* shown = brevanta::app::bringToFront(form1);
        if (script) script->noteShown(shown);
    });
    // The end of the session stores the list as closing the main window does.
    brevanta::app::SessionEnd sessionEnd([&form1] { form1.storeList(); });
    form1.Form_Load();
    form1.show();
    if (script) script->start();
    return QApplication::exec();
}
