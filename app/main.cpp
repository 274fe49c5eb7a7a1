// The program: the main window, wired to the rest of the program, runs its
// start-up and is shown; closing it ends the program.

#include <QApplication>

#include "app/wiring.h"
#include "frame/prompter.h"
#include "register/form1.h"
#include "register/program_icon.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(brevanta::reg::programIcon());

    brevanta::reg::Form1 form1;
    brevanta::frame::setDialogParent(&form1);
    brevanta::app::wireApplication(form1);
    form1.Form_Load();
    form1.show();
    return QApplication::exec();
}
