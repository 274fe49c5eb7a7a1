// What a person waits for in the real program: the main window, wired as the
// program wires it, with N transactions in its list; from "Start Creating
// Template" to the preview shown with its first viewport painted. With
// --interactions it also times, on the preview then shown, one zoom step, one
// scroll step and one drag move at zoom 0.25, 1.0 and 2.75, each from the
// event to the painted viewport. Runs on whatever platform Qt is given: under
// xvfb-run for a real X11 window, or QT_QPA_PLATFORM=offscreen.
//
//   window_bench [--rows N] [--runs R] [--interactions] [--file-size] [--typed] [--screenshot FILE.png]
//
// The list is restored from the stored list at Form_Load, as at every start
// of the program; with --typed it starts empty and the rows are added one by
// one (each an undoable "Add Transaction", as typed in).
//
// --file-size prints the size of the whole picture in its own file format
// (recording the whole picture, after the timed runs and interactions).
// Prints "time window <ms>" per run and a summary of medians; the process's
// peak memory is printed last.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/wiring.h"
#include "engine/embedded/embedded_host.h"
#include "picture/picture_codec.h"
#include "frame/error_report.h"
#include "frame/program_end.h"
#include "host/host_factory.h"
#include "ledger/saved_list.h"
#include "preview/form2.h"
#include "preview/image_surface.h"
#include "register/form1.h"

using namespace brevanta;

namespace {

// Everything goes to stderr, where the timing drivers read "time" lines.
void print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

class QuietReporter final : public frame::Reporter {
public:
    void report(const frame::ErrorReport& report) override {
        ++count;
        print(QStringLiteral("error: ") + report.text().replace(QLatin1Char('\r'), QLatin1Char(' ')) + QLatin1Char('\n'));
    }
    int count = 0;
};

// Notices when the preview's image surface has been painted. It watches the
// whole application: the generation itself lets pending events run once, so
// the first paint may come before the click returns.
class PaintWatch final : public QObject {
public:
    PaintWatch() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<preview::ImageSurface*>(watched)) painted = true;
        return false;
    }
};

// Processes events until the watched widget has painted (or 10 s passed).
void waitForPaint(PaintWatch& watch) {
    QElapsedTimer timeout;
    timeout.start();
    while (!watch.painted && timeout.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

std::vector<reg::Transaction> syntheticRows(int count) {
    static const char* kCategories[] = {"Groceries", "Automotive", "Utilities", "Salary", "Toys", "Rent"};
    std::vector<reg::Transaction> rows;
    for (int i = 0; i < count; ++i) {
        reg::Transaction t;
        t[reg::Date] = QStringLiteral("%1/%2/2024").arg(i % 12 + 1).arg(i % 28 + 1);
        t[reg::Number] = QString::number(count - i);
        t[reg::Description] = QStringLiteral("Transaction %1").arg(i + 1);
        t[reg::Category] = QLatin1String(kCategories[i % 6]);
        t[reg::Cleared] = i % 3 ? QStringLiteral("Yes") : QString();
        if (i % 5 == 0) t[reg::Credit] = QString::number(100 + i % 900);
        else t[reg::Debit] = QStringLiteral("%1.%2").arg(i % 97 + 1).arg(i % 100, 2, 10, QLatin1Char('0'));
        rows.push_back(std::move(t));
    }
    return rows;
}

preview::Form2* previewWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* form2 = qobject_cast<preview::Form2*>(widget)) return form2;
    return nullptr;
}

// Times one action from its event to the painted viewport.
double timeToPaint(preview::Form2& form, const std::function<void()>& action) {
    Q_UNUSED(form);
    PaintWatch watch;
    QElapsedTimer timer;
    timer.start();
    action();
    waitForPaint(watch);
    return timer.nsecsElapsed() / 1e6;
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint position, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(position), QPointF(target->mapToGlobal(position)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void zoomTo(preview::Form2& form, float zoom) {
    while (form.viewer().zoom() < zoom - 0.01f) form.PushButton1_Click();
    while (form.viewer().zoom() > zoom + 0.01f) form.PushButton2_Click();
    QCoreApplication::processEvents();
}

void measureInteractions(preview::Form2& form) {
    constexpr int kRepeats = 15;
    for (const float zoom : {0.25f, 1.0f, 2.75f}) {
        zoomTo(form, zoom);
        std::vector<double> zoomSteps, scrollSteps, dragMoves;
        for (int i = 0; i < kRepeats; ++i) {
            // Away from the zoom and back: each click repaints.
            const bool up = zoom < 2.7f;
            zoomSteps.push_back(timeToPaint(form, [&] { up ? form.PushButton1_Click() : form.PushButton2_Click(); }));
            zoomSteps.push_back(timeToPaint(form, [&] { up ? form.PushButton2_Click() : form.PushButton1_Click(); }));
        }
        // Halfway down the register, then arrow steps of the vertical bar.
        form.VScroll1->setValue(form.VScroll1->maximum() / 2);
        QCoreApplication::processEvents();
        for (int i = 0; i < kRepeats; ++i)
            scrollSteps.push_back(timeToPaint(form, [&] {
                form.VScroll1->triggerAction(i % 2 ? QAbstractSlider::SliderSingleStepSub
                                                   : QAbstractSlider::SliderSingleStepAdd);
            }));
        // A drag: press, then moves of 20 pixels up and down.
        const QPoint start(200, 200);
        sendMouse(form.Picture1, QEvent::MouseButtonPress, start, Qt::LeftButton);
        for (int i = 0; i < kRepeats; ++i)
            dragMoves.push_back(timeToPaint(form, [&] {
                sendMouse(form.Picture1, QEvent::MouseMove, start + QPoint(0, i % 2 ? 20 : -20), Qt::LeftButton);
            }));
        sendMouse(form.Picture1, QEvent::MouseButtonRelease, start, Qt::NoButton);
        print(QStringLiteral("zoom %1: zoom step %2 ms, scroll step %3 ms, drag move %4 ms (medians of %5)\n")
                  .arg(zoom, 0, 'f', 2)
                  .arg(median(zoomSteps), 0, 'f', 2)
                  .arg(median(scrollSteps), 0, 'f', 2)
                  .arg(median(dragMoves), 0, 'f', 2)
                  .arg(kRepeats));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int rows = 1000, runs = 5;
    bool interactions = false;
    bool fileSize = false;
    bool typed = false;  // the rows added one by one, each an entry of the list's history
    QString screenshot;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows") && i + 1 < args.size()) rows = args[++i].toInt();
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--interactions")) interactions = true;
        else if (args[i] == QLatin1String("--file-size")) fileSize = true;
        else if (args[i] == QLatin1String("--typed")) typed = true;
        else if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) screenshot = args[++i];
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QuietReporter reporter;
    frame::setReporter(&reporter);
    frame::setProgramEndAction([](int) {});
    QTemporaryDir folder;
    qputenv("TEMP", folder.path().toLocal8Bit());

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        reg::Form1 form1;
        reg::Form1::Environment environment;
        environment.programFolder = folder.path();
        environment.webSiteVisit.drawOneToHundred = [] { return 1; };
        environment.webSiteVisit.open = [](const QString&) {};
        environment.savedList = reg::SavedListStore(folder.filePath(QStringLiteral("settings.ini")));
        // As a person starts the program: the list comes back from where the
        // last run stored it (every run, so a run never finds two lists).
        environment.savedList.write(typed ? QString() : reg::encodeSavedList(syntheticRows(rows)));
        form1.setEnvironment(environment);
        app::wireApplication(form1);
        form1.Form_Load();
        // The rows go into the list and nowhere else: a copy kept here would be
        // counted in the peak as if the program held it.
        if (typed)
            for (const reg::Transaction& transaction : syntheticRows(rows)) form1.appendTransaction(transaction);
        form1.show();
        QCoreApplication::processEvents();

        if (run == 0) {
            // The main window with its list, before Start: the part of the peak that is not the window path's.
            rusage before{};
            getrusage(RUSAGE_SELF, &before);
            print(QStringLiteral("peak before Start %1 MiB\n").arg(before.ru_maxrss / 1024.0, 0, 'f', 0));
        }
        // From the click to the first painted viewport of the preview.
        PaintWatch watch;
        QElapsedTimer timer;
        timer.start();
        form1.PushButton22_Click();
        preview::Form2* form2 = previewWindow();
        if (!form2) {
            print(QStringLiteral("no preview window\n"));
            return 1;
        }
        waitForPaint(watch);
        times.push_back(timer.nsecsElapsed() / 1e6);
        print(QStringLiteral("time window %1 ms\n").arg(times.back(), 0, 'f', 2));

        if (run == runs - 1) {
            // The interactions first: they record the bands they show, as a person's scrolling does.
            if (interactions) measureInteractions(*form2);
            // Recording the whole picture costs memory the window path itself does not: on request only.
            if (fileSize) {
                const qsizetype fileBytes = form2->Zoom_Ori ? paint::encodePicture(*form2->Zoom_Ori).size() : 0;
                print(QStringLiteral("picture file %1 bytes (the whole picture in its own format)\n").arg(fileBytes));
            }
            if (!screenshot.isEmpty()) {
                form2->VScroll1->setValue(form2->VScroll1->maximum());
                QCoreApplication::processEvents();
                form2->grab().save(screenshot);
            }
        }
        form2->PushButton8_Click();  // Back: the temporary workbook goes
        QCoreApplication::processEvents();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    print(QStringLiteral("rows %1 platform %2: window path median %3 ms of %4 runs, peak %5 MiB, errors %6\n")
              .arg(rows)
              .arg(QGuiApplication::platformName())
              .arg(median(times), 0, 'f', 1)
              .arg(runs)
              .arg(usage.ru_maxrss / 1024.0, 0, 'f', 0)
              .arg(reporter.count));
    return reporter.count ? 1 : 0;
}
