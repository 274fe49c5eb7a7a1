#pragma once
// The embedded engine with chosen calls refused: a call named in `failing`
// throws HostError as a host refusing it would, and every other call goes
// through to the engine unchanged. The names: "Range(<address>)" and
// "Rows(<address>)" for taking a range, "Sort", and "FormulaR1C1=<entry>"
// (typed into one cell or as part of a row).

#include <QStringList>
#include <algorithm>
#include <memory>

#include "host/host_api.h"

namespace brevanta::testsupport {

class FailingRange final : public host::Range {
public:
    FailingRange(host::RangePtr inner, const QStringList& failing) : inner_(std::move(inner)), failing_(failing) {}
    static host::RangePtr wrap(host::RangePtr inner, const QStringList& failing) {
        if (!inner) return nullptr;
        return std::make_shared<FailingRange>(std::move(inner), failing);
    }

    void select() override { inner_->select(); }
    QString address() const override { return inner_->address(); }
    host::Font& font() override { return inner_->font(); }
    host::Interior& interior() override { return inner_->interior(); }
    host::Border& borders(int edge) override { return inner_->borders(edge); }
    int horizontalAlignment() const override { return inner_->horizontalAlignment(); }
    void setHorizontalAlignment(int alignment) override { inner_->setHorizontalAlignment(alignment); }
    int verticalAlignment() const override { return inner_->verticalAlignment(); }
    void setVerticalAlignment(int alignment) override { inner_->setVerticalAlignment(alignment); }
    bool wrapText() const override { return inner_->wrapText(); }
    void setWrapText(bool wrap) override { inner_->setWrapText(wrap); }
    double rowHeight() const override { return inner_->rowHeight(); }
    void setRowHeight(double points) override { inner_->setRowHeight(points); }
    double columnWidth() const override { return inner_->columnWidth(); }
    void setColumnWidth(double characters) override { inner_->setColumnWidth(characters); }
    bool hidden() const override { return inner_->hidden(); }
    void setHidden(bool hidden) override { inner_->setHidden(hidden); }
    void merge() override { inner_->merge(); }
    void sort(const host::SortOptions& options) override {
        refuse(QStringLiteral("Sort"));
        host::SortOptions engineOptions = options;  // the engine knows its own keys only
        for (host::RangePtr* key : {&engineOptions.key1, &engineOptions.key2, &engineOptions.key3})
            if (const auto* failing = dynamic_cast<const FailingRange*>(key->get())) *key = failing->inner_;
        inner_->sort(engineOptions);
    }
    void clear() override { inner_->clear(); }
    QString formulaR1C1() const override { return inner_->formulaR1C1(); }
    void setFormulaR1C1(const QString& entry) override {
        refuse(QStringLiteral("FormulaR1C1=") + entry);
        inner_->setFormulaR1C1(entry);
    }
    host::Value value() const override { return inner_->value(); }
    QString text() const override { return inner_->text(); }
    host::RangePtr rows() override { return wrap(inner_->rows(), failing_); }
    host::RangePtr columns() override { return wrap(inner_->columns(), failing_); }
    int count() const override { return inner_->count(); }
    host::RangePtr item(int index) override { return wrap(inner_->item(index), failing_); }
    int row() const override { return inner_->row(); }
    int column() const override { return inner_->column(); }
    void copyPicture() override { inner_->copyPicture(); }
    paint::SharedPicture picture() override { return inner_->picture(); }

private:
    void refuse(const QString& call) const {
        if (failing_.contains(call)) throw host::HostError(QStringLiteral("Refused for the test: ") + call);
    }
    host::RangePtr inner_;
    QStringList failing_;
};

class FailingApplication final : public host::Application {
public:
    FailingApplication(host::ApplicationPtr inner, const QStringList& failing)
        : inner_(std::move(inner)), failing_(failing) {}

    QString defaultValue() const override { return inner_->defaultValue(); }
    QString version() const override { return inner_->version(); }
    bool visible() const override { return inner_->visible(); }
    void setVisible(bool visible) override { inner_->setVisible(visible); }
    bool screenUpdating() const override { return inner_->screenUpdating(); }
    void setScreenUpdating(bool on) override { inner_->setScreenUpdating(on); }
    bool displayAlerts() const override { return inner_->displayAlerts(); }
    void setDisplayAlerts(bool on) override { inner_->setDisplayAlerts(on); }
    bool enableEvents() const override { return inner_->enableEvents(); }
    void setEnableEvents(bool on) override { inner_->setEnableEvents(on); }
    int enableCancelKey() const override { return inner_->enableCancelKey(); }
    void setEnableCancelKey(int mode) override { inner_->setEnableCancelKey(mode); }
    int cursor() const override { return inner_->cursor(); }
    void setCursor(int cursor) override { inner_->setCursor(cursor); }
    host::Workbooks& workbooks() override { return inner_->workbooks(); }
    host::WorkbookPtr activeWorkbook() override { return inner_->activeWorkbook(); }
    host::WorksheetPtr activeSheet() override { return inner_->activeSheet(); }
    host::Sheets& sheets() override { return inner_->sheets(); }
    host::RangePtr range(const QString& address) override {
        refuse(QStringLiteral("Range(") + address + QLatin1Char(')'));
        return wrap(inner_->range(address));
    }
    // A row goes to the engine in one call up to the first entry refused;
    // with a cell's range refused, cell by cell through Range(<address>).
    int writeRow(int row, int firstColumn, std::span<const host::CellEntry> entries) override {
        if (refusesRanges()) return host::Application::writeRow(row, firstColumn, entries);
        size_t allowed = 0;
        while (allowed < entries.size() && !failing_.contains(QStringLiteral("FormulaR1C1=") + entries[allowed].typed())) ++allowed;
        return inner_->writeRow(row, firstColumn, entries.first(allowed));
    }
    // Heights with a row refused go one by one through Rows(<address>).
    int setRowHeights(int firstRow, int lastRow, double points) override {
        return refuses(QLatin1String("Rows(")) ? host::Application::setRowHeights(firstRow, lastRow, points)
                                               : inner_->setRowHeights(firstRow, lastRow, points);
    }
    // Fills with a range refused go one by one through Range(<address>).
    int fillAreas(std::span<const host::AreaFill> fills) override {
        return refusesRanges() ? host::Application::fillAreas(fills) : inner_->fillAreas(fills);
    }
    host::RangePtr rows(const QString& address) override {
        refuse(QStringLiteral("Rows(") + address + QLatin1Char(')'));
        return wrap(inner_->rows(address));
    }
    host::RangePtr columns(const QString& address) override { return wrap(inner_->columns(address)); }
    host::RangePtr cells() override { return wrap(inner_->cells()); }
    host::RangePtr selection() override { return wrap(inner_->selection()); }
    host::RangePtr activeCell() override { return wrap(inner_->activeCell()); }
    double inchesToPoints(double inches) const override { return inner_->inchesToPoints(inches); }
    void quit() override { inner_->quit(); }

private:
    host::RangePtr wrap(host::RangePtr range) const { return FailingRange::wrap(std::move(range), failing_); }
    bool refuses(QLatin1String kind) const {
        return std::any_of(failing_.begin(), failing_.end(), [&](const QString& call) { return call.startsWith(kind); });
    }
    bool refusesRanges() const { return refuses(QLatin1String("Range(")); }
    void refuse(const QString& call) const {
        if (failing_.contains(call)) throw host::HostError(QStringLiteral("Refused for the test: ") + call);
    }
    host::ApplicationPtr inner_;
    QStringList failing_;
};

}  // namespace brevanta::testsupport
