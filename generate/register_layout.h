#pragma once
// The "Check Register" sheet: palette, sheet-wide format, widths and
// heights, title, header, banded transaction rows with a running balance,
// sort by number and the printed page. Everything goes through the host in
// host::mExcelApp, select-then-act, on its active workbook and sheet.

#include <QString>

#include "register/transaction_source.h"

namespace brevanta::generate {

// The balance every data row carries: empty when both amounts are empty,
// otherwise credits minus debits of all rows up to this one.
QString runningBalanceFormula();

// Lays out the register from the transactions, reporting each failing step
// under "CheckRegister.GenerateReport" and going on. `selector` is not consulted.
void generateReport(int selector, const reg::TransactionSource& transactions);

// The formatting routines. They throw on a host failure, leaving the rest undone.
void writeCell(const QString& address, const QString& value, bool merge);
void fillRange(const QString& address, int colorIndex);
void setSelectionFont(const QString& style, int size, int colorIndex);
void alignSelection(bool centre, bool verticalCentre, bool wrap, bool right);
void setRowHeight(const QString& rowsAddress, double height);
void setColumnWidth(const QString& columnsAddress, double width);
void setupPage();

}  // namespace brevanta::generate
