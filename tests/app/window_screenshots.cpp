// Pictures of both windows for the documentation (docs/screenshots.sh runs
// it): the main window with a few transactions and its menu bar, and the
// preview showing a register picture made by brevanta-register.
//
//   window_screenshots light|dark REGISTER.png OUTPUT-FOLDER SUFFIX
//
// writes OUTPUT-FOLDER/main-window-<theme><SUFFIX>.png and
// preview-<theme><SUFFIX>.png. The main window keeps its list in a settings
// file of its own, in a temporary folder; the user's settings are never read.

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QImage>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>

#include "preview/form2.h"
#include "ledger/transaction_model.h"
#include "register/form1.h"
#include "register/main_menu.h"
#include "tests/support/dark_theme.h"

using namespace brevanta;

namespace {

using testsupport::darkPalette;

void settle() {
    for (int round = 0; round < 10; ++round) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget& window, const QString& path) {
    const bool saved = window.grab().toImage().save(path, "PNG", 0);  // the smallest file
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 5 || (arguments[1] != QLatin1String("light") && arguments[1] != QLatin1String("dark"))) {
        std::fprintf(stderr, "usage: window_screenshots light|dark REGISTER.png OUTPUT-FOLDER SUFFIX\n");
        return 2;
    }
    const QString theme = arguments[1];
    const QDir output(arguments[3]);
    const QString suffix = arguments[4];
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (theme == QLatin1String("dark")) QApplication::setPalette(darkPalette());

    QTemporaryDir settings;
    reg::Form1 form1;
    reg::Form1::Environment environment;
    environment.programFolder = settings.path();
    environment.webSiteVisit.drawOneToHundred = [] { return 1; };
    environment.webSiteVisit.open = [](const QString&) {};
    environment.savedList = reg::SavedListStore(settings.filePath(QStringLiteral("settings.ini")));
    environment.rescueFolders = {settings.path()};
    form1.setEnvironment(environment);
    form1.Form_Load();
    new reg::MainMenu(form1);
    form1.PushButton4_Click();  // two examples added, a third in the fields
    for (const reg::Transaction& row : std::initializer_list<reg::Transaction>{
             {"2013-01-05", "101", "Grocery Mart", "Groceries", "Yes", "84.20", ""},
             {"2013-01-09", "102", "City Power & Light", "Utilities", "", "61.75", ""},
             {"2013-01-15", "", "Paycheck", "Salary", "Yes", "", "2,150.00"}})
        form1.appendTransaction(row);
    form1.dtpDate->setDate(QDate(2013, 1, 3));
    form1.ListView1->setCurrentIndex(form1.model().index(2, 0));
    form1.show();
    settle();
    bool saved = save(form1, output.filePath(QStringLiteral("main-window-%1%2.png").arg(theme, suffix)));

    preview::Form2 form2;
    const QImage picture(arguments[2]);
    if (picture.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(arguments[2]));
        return 1;
    }
    form2.setPicture(picture);
    form2.show();
    settle();
    form2.PushButton2_Click();  // 0.75, legible
    settle();
    saved = save(form2, output.filePath(QStringLiteral("preview-%1%2.png").arg(theme, suffix))) && saved;
    return saved ? 0 : 1;
}
