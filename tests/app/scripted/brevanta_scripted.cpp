// brevanta_scripted: the program exactly as `brevanta` runs it, with the
// test script driver added. Tests start it as a process, drive it through
// BREVANTA_TEST_SCRIPT, and kill it; it is never installed.

#include <memory>

#include "app/program.h"
#include "tests/app/scripted/test_script.h"

namespace {

class ScriptDriver final : public brevanta::app::ProgramDriver {
public:
    void attach(brevanta::reg::Form1& form1) override { script_ = brevanta::app::TestScript::fromEnvironment(form1); }
    void started() override {
        if (script_) script_->start();
    }
    void broughtToFront(const QWidget* shown) override {
        if (script_) script_->noteShown(shown);
    }

private:
    std::unique_ptr<brevanta::app::TestScript> script_;
};

}  // namespace

int main(int argc, char** argv) {
    ScriptDriver driver;
    return brevanta::app::runProgram(argc, argv, &driver);
}
