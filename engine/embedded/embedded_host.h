#pragma once
// The embedded spreadsheet engine behind host/host_api.h: an in-process
// host with no separate running instance.
//
// Reading a format property of a range whose cells differ gives the
// "mixed" answers below, as a spreadsheet gives Null:
//   ColorIndex, HorizontalAlignment, VerticalAlignment: kMixedNumber;
//   Size, RowHeight, ColumnWidth: NaN; Name, FontStyle: the empty text;
//   WrapText: false.

#include <limits>

#include "engine/formula/calc.h"
#include "engine/model/workbook.h"
#include "engine/model/workbook_files.h"
#include "host/host_api.h"

namespace brevanta::engine {

inline constexpr int kMixedNumber = std::numeric_limits<int>::min();

// Hands out engine applications that save and open workbooks through
// `files`, which must outlive them.
class EmbeddedHostFactory final : public host::HostFactory {
public:
    explicit EmbeddedHostFactory(model::WorkbookFiles& files) : files_(files) {}
    host::ApplicationPtr create() override;
    host::ApplicationPtr attachRunning() override { return nullptr; }

private:
    model::WorkbookFiles& files_;
};

// A fresh engine application, hidden, with no workbook, saving and opening
// workbooks through `files` (which must outlive it).
host::ApplicationPtr createEmbeddedApplication(model::WorkbookFiles& files);

// The model behind a worksheet of the embedded engine, for code that works
// on it directly (the picture renderer). Throws host::HostError for a
// worksheet of another host or one that is gone.
struct SheetModel {
    model::Workbook& workbook;
    model::Sheet& sheet;
    Calculator& calculator;
};
SheetModel sheetModel(host::Worksheet& worksheet);

}  // namespace brevanta::engine
