#include "tests/app/scripted/test_script.h"

#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

#include "frame/prompter.h"
#include "register/form1.h"
#include "ledger/saved_list.h"
#include "ledger/transaction_model.h"

namespace brevanta::app {
namespace {

void say(FILE* stream, const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stream);
    std::fflush(stream);
}

}  // namespace

class TestScript::AnsweringPrompter final : public frame::Prompter {
public:
    frame::Answer message(const QString&, const QString& text, frame::Buttons buttons, frame::Icon) override {
        say(stderr, QStringLiteral("box ") + QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
        if (buttons == frame::Buttons::Ok) return frame::Answer::Ok;
        if (answers.empty()) return frame::Answer::No;
        const frame::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString saveFileName(const frame::SaveDialogRequest&) override { return {}; }
    bool printDialog(QPrinter&) override {
        say(stderr, QStringLiteral("print dialog"));
        return false;  // a scripted run never reaches a printer
    }
    std::deque<frame::Answer> answers;
};

std::unique_ptr<TestScript> TestScript::fromEnvironment(reg::Form1& form1) {
    const QString script = qEnvironmentVariable("BREVANTA_TEST_SCRIPT");
    if (script.isEmpty()) return nullptr;
    return std::unique_ptr<TestScript>(new TestScript(form1, script.split(QLatin1Char('\n'), Qt::SkipEmptyParts)));
}

TestScript::TestScript(reg::Form1& form1, QStringList actions)
    : form1_(form1), actions_(std::move(actions)), prompter_(std::make_unique<AnsweringPrompter>()) {
    frame::setPrompter(prompter_.get());
    reg::Form1::Environment environment;
    environment.webSiteVisit.open = [](const QString& url) { say(stderr, QStringLiteral("web site ") + url); };
    form1_.setEnvironment(std::move(environment));
}

TestScript::~TestScript() { frame::setPrompter(nullptr); }

void TestScript::start() { runFrom(0); }

// Each action in its own turn of the event loop, as a user's clicks come: the
// store a change schedules runs before the next action, and before "done".
void TestScript::runFrom(int index) {
    QTimer::singleShot(0, &form1_, [this, index] {
        if (index == actions_.size()) {
            say(stdout, QStringLiteral("done"));
            return;
        }
        run(actions_.at(index));
        runFrom(index + 1);
    });
}

void TestScript::noteShown(const QWidget* window) {
    say(stdout, QStringLiteral("shown ") + (window ? window->objectName() : QStringLiteral("nothing")));
}

void TestScript::run(const QString& action) {
    const QString verb = action.section(QLatin1Char(' '), 0, 0);
    const QStringList arguments = action.section(QLatin1Char(' '), 1).split(QLatin1Char('^'));
    auto number = [&](int index) { return arguments.value(index).toInt(); };
    if (verb == QLatin1String("add")) {
        QLineEdit* boxes[] = {form1_.txtNumber, form1_.txtDescription, form1_.txtCategory,
                              form1_.txtC,      form1_.txtDebit,       form1_.txtCredit};
        for (int i = 0; i < 6; ++i) boxes[i]->setText(arguments.value(i));
        form1_.PushButton2_Click();
    } else if (verb == QLatin1String("select")) {
        form1_.ListView1->setCurrentIndex(form1_.model().index(number(0) - 1, 0));
    } else if (verb == QLatin1String("delete")) {
        form1_.PushButton1_Click();
    } else if (verb == QLatin1String("clear")) {
        prompter_->answers.push_back(arguments.value(0) == QLatin1String("yes") ? frame::Answer::Yes
                                                                                 : frame::Answer::No);
        form1_.PushButton3_Click();
    } else if (verb == QLatin1String("sample")) {
        form1_.PushButton4_Click();
    } else if (verb == QLatin1String("edit")) {
        form1_.model().edit(number(0) - 1, number(1), arguments.value(2));
    } else if (verb == QLatin1String("import")) {
        for (int i = 1; i <= number(0); ++i)
            form1_.appendTransaction({QStringLiteral("1/2/2013"), QString::number(i),
                                      arguments.value(1) + QLatin1Char(' ') + QString::number(i), QStringLiteral("Import"),
                                      QString(), QString(), QString::number(i * 3)});
    } else if (verb == QLatin1String("generate")) {
        form1_.PushButton22_Click();
    } else if (verb == QLatin1String("print")) {
        say(stdout, QStringLiteral("list ") + reg::encodeSavedList(form1_.transactions()));
    } else if (verb == QLatin1String("churn")) {
        churn(1);
    } else if (verb == QLatin1String("quit")) {
        form1_.close();
    } else {
        say(stderr, QStringLiteral("unknown action ") + action);
    }
}

void TestScript::churn(int count) {
    form1_.model().edit(0, reg::Number, QString::number(count));
    form1_.storeChangedList();
    say(stdout, QStringLiteral("stored ") + QString::number(count));
    QTimer::singleShot(0, &form1_, [this, count] { churn(count + 1); });
}

}  // namespace brevanta::app
