#pragma once
// The embedded engine's workbook files in tests: .xls, as the program wires it.

#include "xls/xls_file.h"

namespace brevanta::testsupport {

inline model::WorkbookFiles& xlsFiles() {
    static xls::XlsWorkbookFiles files;  // holds nothing: one serves every host
    return files;
}

}  // namespace brevanta::testsupport
