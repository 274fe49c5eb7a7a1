#include "preview/summary_option.h"

#include <QAction>

#include "frame/error_report.h"

namespace brevanta::preview {

namespace {
const QString kOn = QStringLiteral("True");
const QString kOff = QStringLiteral("False");
}  // namespace

SummaryOption::SummaryOption(reg::SavedListStore store, QObject* parent)
    : QObject(parent), store_(std::move(store)), action_(new QAction(QStringLiteral("Include Category Summary"), this)) {
    action_->setCheckable(true);
    bool on = false;
    frame::Procedure proc(QStringLiteral("SummaryOption"), QStringLiteral("Load"));
    proc.step(100, [&] { on = store_.readBeside(QLatin1String(kSummaryOptionKey)).compare(kOn, Qt::CaseInsensitive) == 0; });
    action_->setChecked(on);
    connect(action_, &QAction::toggled, this, [this](bool checked) { toggled(checked); });
}

bool SummaryOption::included() const { return action_->isChecked(); }

void SummaryOption::toggled(bool on) {
    frame::Procedure proc(QStringLiteral("SummaryOption"), QStringLiteral("Toggled"));
    proc.step(100, [&] { store_.writeBeside(QLatin1String(kSummaryOptionKey), on ? kOn : kOff); });
    proc.step(102, [&] {
        if (regenerate) regenerate();
    });
}

}  // namespace brevanta::preview
