#include "register/category_completion.h"

#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>
#include <QTimer>

#include "register/form1.h"

namespace brevanta::reg {
namespace {

QCompleter* completerFor(QLineEdit* field, QStringListModel* model) {
    auto* completer = new QCompleter(model, field);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setModelSorting(QCompleter::UnsortedModel);  // the model's order: most recent first
    completer->setCompletionMode(QCompleter::PopupCompletion);
    field->setCompleter(completer);
    return completer;
}

}  // namespace

CategoryCompletion::CategoryCompletion(Form1& form)
    : QObject(&form),
      form_(form),
      descriptions_(new QStringListModel(this)),
      categories_(new QStringListModel(this)),
      descriptionCompleter_(completerFor(form.txtDescription, descriptions_)),
      categoryCompleter_(completerFor(form.txtCategory, categories_)) {
    connect(&form_, &Form1::listChanged, this, &CategoryCompletion::listChanged);
    // textChanged, not textEdited: a completion chosen from the popup fills too.
    connect(form_.txtDescription, &QLineEdit::textChanged, this, &CategoryCompletion::descriptionChanged);
    connect(form_.txtCategory, &QLineEdit::textEdited, this, [this] { filled_.clear(); });
    listChanged();
}

// One click may change the list many times (an import adds every row): the
// list is read once, as soon as the handler that changed it has returned.
void CategoryCompletion::listChanged() {
    stale_ = true;
    if (readPending_) return;
    readPending_ = true;
    QTimer::singleShot(0, this, [this] {
        readPending_ = false;
        readListIfChanged();
    });
}

void CategoryCompletion::readListIfChanged() {
    if (!stale_) return;
    stale_ = false;
    memory_.clear();
    TransactionSource& rows = form_.transactions();
    for (int row = 1; row <= rows.rowCount(); ++row)
        memory_.remember(rows.field(row, Description), rows.field(row, Category));
    descriptions_->setStringList(memory_.descriptions());
    categories_->setStringList(memory_.categories());
}

void CategoryCompletion::descriptionChanged(const QString& description) {
    readListIfChanged();
    const QString shown = form_.txtCategory->text();
    const QString category = memory_.categoryForField(description, shown, filled_);
    if (category == shown) return;
    form_.txtCategory->setText(category);  // textChanged only: it stays the memory's fill
    filled_ = category;
}

}  // namespace brevanta::reg
