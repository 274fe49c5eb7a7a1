// Writes a register workbook: make_register_file <path> <transactions> [zero|stale|stream]
// "zero" empties the first row's amounts; "stale" stores 0 as every formula's cached result, to see whether a
// reader recalculates; "stream" writes the bare workbook stream, without
// its compound-file container (seeds for the stream decoder's fuzzing).

#include <QCoreApplication>
#include <QFile>

#include "tests/xls/register_workbook.h"
#include "xls/workbook_stream.h"
#include "xls/xls_file.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    auto workbook = brevanta::xlstest::registerWorkbook(atoi(argv[2]));
    if (argc > 3 && QByteArray(argv[3]) == "zero" && workbook->sheets[0]->rowExtent() > 8) {
        // The first data row with both amounts zero (empty): an empty balance.
        workbook->sheets[0]->at(5, 6).value = brevanta::model::Value();
        workbook->sheets[0]->at(5, 7).value = brevanta::model::Value();
        brevanta::xlstest::computeValues(*workbook);
    }
    if (argc > 3 && QByteArray(argv[3]) == "stale")
        for (auto& sheet : workbook->sheets)
            for (int r = 0; r < sheet->rowExtent(); ++r)
                for (auto& [c, cell] : sheet->rowCells(r))
                    if (cell.formula) cell.value = 0.0;
    if (argc > 3 && QByteArray(argv[3]) == "stream") {
        QFile out(QString::fromLocal8Bit(argv[1]));
        if (!out.open(QIODevice::WriteOnly)) return 1;
        out.write(brevanta::xls::encodeWorkbookStream(*workbook));
        return 0;
    }
    brevanta::xls::writeWorkbook(*workbook, QString::fromLocal8Bit(argv[1]));
    return 0;
}
