#pragma once
// Saving a workbook to a file and reading one back, in some file format.
// The embedded host is handed one by whoever wires the program, so the
// engine knows no file format of its own.

#include <QString>
#include <memory>

#include "engine/model/workbook.h"

namespace brevanta::model {

class WorkbookFiles {
public:
    virtual ~WorkbookFiles() = default;
    // Writes the workbook, complete and verified, or throws frame::Failure.
    // Every formula cell's value holds its current result.
    virtual void save(const Workbook& workbook, const QString& path) = 0;
    // Reads a workbook, or throws frame::Failure describing what is wrong.
    virtual std::unique_ptr<Workbook> open(const QString& path) = 0;
};

}  // namespace brevanta::model
