#pragma once
// Excel 97-2003 workbook files (BIFF8 in a compound file).

#include <QString>
#include <memory>

#include "engine/model/workbook.h"
#include "engine/model/workbook_files.h"

namespace brevanta::xls {

// Writes the workbook. Every formula cell's Cell::value must hold its
// current result (it becomes the cached result readers show). Written
// through frame::writeFileSafely: complete and verified on disk, or the old
// file left as it was. Throws frame::Failure with the system's reason.
void writeWorkbook(const model::Workbook& workbook, const QString& path);

// Reads a workbook. Throws frame::Failure with a clear description for a
// file that is not a readable BIFF8 workbook.
std::unique_ptr<model::Workbook> readWorkbook(const QString& path);

// The two above as the embedded host saves and opens its workbooks.
class XlsWorkbookFiles final : public model::WorkbookFiles {
public:
    void save(const model::Workbook& workbook, const QString& path) override { writeWorkbook(workbook, path); }
    std::unique_ptr<model::Workbook> open(const QString& path) override { return readWorkbook(path); }
};

}  // namespace brevanta::xls
