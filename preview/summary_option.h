#pragma once
// "Include Category Summary": whether generated workbooks get the Category
// Summary sheet after the register. A checkable action whose state is kept
// beside the transaction list in the program's settings; toggling it stores
// the new state and asks for the preview to be generated again. The preview
// keeps showing the register's sheet either way.

#include <QObject>
#include <functional>

#include "ledger/saved_list.h"

class QAction;

namespace brevanta::preview {

// The settings key, in the list's section.
inline constexpr char kSummaryOptionKey[] = "Include Category Summary";

class SummaryOption final : public QObject {
public:
    // The state is read from `store` now; off unless "True" is stored there.
    SummaryOption(reg::SavedListStore store, QObject* parent = nullptr);

    QAction* action() const { return action_; }
    bool included() const;

    // Called after the user toggled the option and it was stored.
    std::function<void()> regenerate;

private:
    void toggled(bool on);

    reg::SavedListStore store_;
    QAction* action_;
};

}  // namespace brevanta::preview
