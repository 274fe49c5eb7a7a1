#include "register/control_tips.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "register/form1.h"

namespace brevanta::reg {

void giveControlTips(Form1& form) {
    auto tip = [](QWidget* control, const char* text) { control->setToolTip(QString::fromUtf8(text)); };
    // A field and its caption say the same.
    auto field = [&](QWidget* control, int label, const char* text) {
        tip(control, text);
        if (QLabel* caption = form.Label4[size_t(label)]) {
            tip(caption, text);
            caption->setBuddy(control);
        }
    };
    tip(form.PushButton22, "Lay out the Check Register workbook from the list and show its preview, "
                           "to save, print or export as PDF");
    tip(form.PushButton3, "Empty the entry fields; you are asked before the list is cleared too");
    tip(form.PushButton4, "Add two example transactions and fill in a third, to see how the register works");
    tip(form.Frame1[0], "Type a transaction here, then press Return or Add Transaction");
    field(form.dtpDate, 4,
          "The transaction's date. Type over the day, the month (its first letters will do) or the year; "
          "Up and Down step the part the cursor is in; Alt+Down opens a calendar");
    field(form.txtNumber, 0, "The cheque or reference number, if any");
    field(form.txtDescription, 1, "Who was paid or who paid you; completes from the list as you type");
    field(form.txtCategory, 2, "A category such as Rent or Groceries; completes from the list as you type");
    field(form.txtC, 6, "Mark the transaction cleared (Yes) once the bank shows it; leave empty otherwise");
    field(form.txtDebit, 7, "Money out: 12.50, 1,234.50 or $12");
    field(form.txtCredit, 8, "Money in: 12.50, 1,234.50 or $12");
    tip(form.PushButton2, "Add the fields above to the list (Return in any field does the same)");
    tip(form.Frame1[1], "The transactions, in the order they were added");
    tip(form.ListView1, "Double-click or press F2 to edit a field, Del deletes the selected transaction; "
                        "right-click to import a bank statement or export the list; drop statement files here");
    tip(form.PushButton1, "Delete the selected transaction (Del in the list)");
}

}  // namespace brevanta::reg
