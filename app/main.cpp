// The program: the main window, wired to the rest of the program, runs its
// start-up and is shown; closing it ends the program. One copy runs per
// user: a second start brings the running copy's window to the front and
// ends before it shows anything of its own.

#include <QApplication>

#include "app/session_end.h"
#include "app/single_instance.h"
#include "app/test_script.h"
#include "app/wiring.h"
#include "frame/prompter.h"
#include "register/form1.h"
#include "register/program_icon.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
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
