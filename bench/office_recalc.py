"""Times LibreOffice's full recalculation (calculateAll through UNO) of
registers, each beside the same sheet with its formulas cleared.

Usage: office_recalc.py PORT RUNS FILE...   (soffice listening on PORT)
Prints, per file, the median seconds of RUNS recalculations with and
without the formulas, and their ratio.
"""
import statistics
import sys
import time

import uno
from com.sun.star.beans import PropertyValue

FORMULA = 16  # com.sun.star.sheet.CellFlags.FORMULA


def connect(port):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    url = "uno:socket,host=127.0.0.1,port=%d;urp;StarOffice.ComponentContext" % port
    for _ in range(120):
        try:
            context = resolver.resolve(url)
            return context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        except Exception:
            time.sleep(0.5)
    raise SystemExit("soffice did not answer on port %d" % port)


def timed_recalculation(desktop, path, without_formulas):
    hidden = PropertyValue()
    hidden.Name, hidden.Value = "Hidden", True
    document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(path), "_blank", 0, (hidden,))
    try:
        if without_formulas:
            for sheet in document.Sheets:
                cursor = sheet.createCursor()
                cursor.gotoEndOfUsedArea(False)
                end = cursor.RangeAddress
                sheet.getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow).clearContents(FORMULA)
        start = time.perf_counter()
        document.calculateAll()
        return time.perf_counter() - start
    finally:
        document.close(True)


def main():
    port, runs, files = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3:]
    desktop = connect(port)
    print("%-40s %10s %12s %7s" % ("file", "formulas s", "no formula s", "ratio"))
    for path in files:
        with_formulas = statistics.median(timed_recalculation(desktop, path, False) for _ in range(runs))
        without = statistics.median(timed_recalculation(desktop, path, True) for _ in range(runs))
        print("%-40s %10.3f %12.3f %7.2f" % (path.rsplit("/", 1)[-1], with_formulas, without,
                                             with_formulas / without if without > 0 else float("inf")))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
