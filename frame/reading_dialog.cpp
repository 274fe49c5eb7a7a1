#include "frame/reading_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace brevanta::frame {

std::optional<std::vector<int>> showReadingDialog(const ReadingChoiceRequest& request, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(request.title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(request.text);
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);  // it quotes the file
    layout->addWidget(text);

    auto* form = new QFormLayout;
    std::vector<QComboBox*> boxes;
    for (const ReadingSetting& setting : request.settings) {
        auto* box = new QComboBox;
        box->addItems(setting.options);
        box->setCurrentIndex(setting.chosen);
        form->addRow(setting.label, box);
        boxes.push_back(box);
    }
    layout->addLayout(form);

    auto* table = new QTableWidget(0, int(request.columns.size()));
    table->setHorizontalHeaderLabels(request.columns);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);
    auto* problem = new QLabel;
    problem->setWordWrap(true);
    problem->setTextFormat(Qt::PlainText);
    layout->addWidget(problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto chosen = [&] {
        std::vector<int> indices;
        for (QComboBox* box : boxes) indices.push_back(box->currentIndex());
        return indices;
    };
    auto refresh = [&] {
        const std::vector<int> now = chosen();
        const std::vector<QStringList> rows = request.rows ? request.rows(now) : std::vector<QStringList>();
        table->setRowCount(int(rows.size()));
        for (int r = 0; r < int(rows.size()); ++r)
            for (int c = 0; c < int(rows[size_t(r)].size()) && c < table->columnCount(); ++c)
                table->setItem(r, c, new QTableWidgetItem(rows[size_t(r)][c]));
        const QString trouble = request.problem ? request.problem(now) : QString();
        problem->setText(trouble);
        problem->setVisible(!trouble.isEmpty());
        buttons->button(QDialogButtonBox::Ok)->setEnabled(trouble.isEmpty());
    };
    for (QComboBox* box : boxes) QObject::connect(box, &QComboBox::currentIndexChanged, &dialog, refresh);
    refresh();
    dialog.resize(720, 420);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return chosen();
}

}  // namespace brevanta::frame
