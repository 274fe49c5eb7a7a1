#pragma once
// The "Check Register" sheet: palette, sheet-wide format, widths and
// heights, title, header, banded transaction rows with a running balance,
// sorted by date, then number, then list order (rows whose date cannot be
// read last, as listed), and the printed page. Everything goes through the
// generation's host (its HostSession), select-then-act, on its active
// workbook and sheet.

#include <QString>
#include <span>
#include <vector>

#include "frame/error_report.h"
#include "host/connection.h"
#include "ledger/transaction_source.h"

namespace brevanta::generate {

// The sheet's rows: the transactions go from row 6 down to the format's last
// row, 65,536, so a register holds at most 65,531 of them.
inline constexpr int kFirstTransactionRow = 6;
inline constexpr int kLastSheetRow = 65536;
inline constexpr int kMostTransactions = kLastSheetRow - kFirstTransactionRow + 1;
// The most characters (UTF-16 code units) a cell's text holds.
inline constexpr int kLongestCellText = 32767;

// "The register holds at most 65,531 transactions; this list has 65,532. ..."
QString tooManyTransactionsMessage(int count);
// The list rows (1-based) with a field longer than a cell holds.
std::vector<int> rowsWithOverlongText(const reg::TransactionSource& transactions);
// Names those rows (the first ten) and says the texts are cut.
QString overlongTextMessage(const std::vector<int>& rows);
// The list rows (1-based) with a Debit or Credit beyond what a cell holds as a number.
std::vector<int> rowsWithAmountsBeyondLimit(const reg::TransactionSource& transactions);
// Names those rows (the first ten) and says they are shown as text.
QString amountsBeyondLimitMessage(const std::vector<int>& rows);

// The balance every data row carries: empty when both amounts are empty,
// otherwise the running total beside it; an amount that is text shows
// #VALUE! in its own row.
QString runningBalanceFormula();
// The running total in the hidden column J of every data row: the row
// above's total plus this row's credit minus its debit, amounts that are
// not numbers counting as nothing. Each row reads only its neighbours, so a
// recalculation takes time in step with the rows, and a row without amounts
// carries the total on.
QString runningTotalFormula();
// The column of the running totals.
inline constexpr const char* kRunningTotalColumn = "J:J";

// Lays out the register from the transactions, reporting each failing step
// under "CheckRegister.GenerateReport" and going on. `selector` is not consulted.
void generateReport(const host::HostSession& session, int selector, const reg::TransactionSource& transactions);

// A sheet's column widths and row heights, named as the host names them.
struct ColumnWidth {
    const char* columns;
    double characters;
};
struct RowHeight {
    const char* rows;
    double points;
};

// The steps every sheet of the workbook begins with, reported under the
// caller's procedure: the whole sheet cleared in Arial 10, centred
// vertically, wrapping, in the sheet fill (lines 104 to 116), then each
// column width from line 118 and each row height from line 140, two lines apart.
void setUpSheet(frame::Procedure& proc, const host::HostSession& session, std::span<const ColumnWidth> widths,
                std::span<const RowHeight> heights);

// A header cell and its text.
struct HeaderCell {
    const char* address;
    const char* text;
};

// The title, merged across `titleAddress` in bold 24 (lines 158 and 160),
// then each header cell written, centred, filled and in bold 9, from line
// 162, eight lines apart.
void writeTitleAndHeader(frame::Procedure& proc, const host::HostSession& session, const QString& titleAddress,
                         const QString& title, std::span<const HeaderCell> header);

// The formatting routines. They throw on a host failure, leaving the rest undone.
void writeCell(const host::HostSession& session, const QString& address, const QString& value, bool merge);
void fillRange(const host::HostSession& session, const QString& address, int colorIndex);
void setSelectionFont(const host::HostSession& session, const QString& style, int size, int colorIndex);
void alignSelection(const host::HostSession& session, bool centre, bool verticalCentre, bool wrap, bool right);
void setRowHeight(const host::HostSession& session, const QString& rowsAddress, double height);
void setColumnWidth(const host::HostSession& session, const QString& columnsAddress, double width);
void hideColumns(const host::HostSession& session, const QString& columnsAddress);
void setupPage(const host::HostSession& session);

}  // namespace brevanta::generate
