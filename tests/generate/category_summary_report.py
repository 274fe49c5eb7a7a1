#!/usr/bin/python3
"""Reports the "Category Summary" sheet of workbooks as readers nobody here
wrote see it, as JSON (characters outside ASCII escaped):

  {FILE: {"cached": ROWS,       # the saved results (xlrd for .xls, openpyxl for .xlsx)
          "formulas": [TEXT],   # column C's formulas of the category rows (.xlsx only)
          "charts": N,          # bar charts on the summary sheet (.xlsx only)
          "office": ROWS,       # LibreOffice's results after recalculating everything
          "edited": ROWS,       # ... after adding 100 to the register's first debit (G6)
          "editedCategory": T}} # the register's category in that row (E6)

ROWS is one [label, count, debits, credits, net] per row from row 6 down,
the total row last. One LibreOffice process serves every file.

Usage: /usr/bin/python3 category_summary_report.py FILE...
"""
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import zipfile

SUMMARY = "Category Summary"
REGISTER = "Check Register"


def cached_rows(path):
    if path.endswith(".xls"):
        import xlrd
        sheet = xlrd.open_workbook(path).sheet_by_name(SUMMARY)
        return [[sheet.cell_value(r, c) for c in range(1, 6)] for r in range(5, sheet.nrows)], []
    import openpyxl
    values = openpyxl.load_workbook(path, data_only=True)[SUMMARY]
    formulas = openpyxl.load_workbook(path)[SUMMARY]
    rows = [[cell.value for cell in row] for row in values.iter_rows(min_row=6, max_row=values.max_row, min_col=2, max_col=6)]
    for row in rows:  # openpyxl leaves the format's _xHHHH_ escapes in texts
        if isinstance(row[0], str):
            row[0] = re.sub(r"_x([0-9A-Fa-f]{4})_", lambda match: chr(int(match.group(1), 16)), row[0])
    texts = [formulas.cell(row=r, column=3).value for r in range(6, values.max_row)]
    return rows, texts


def chart_count(path):
    if not path.endswith(".xlsx"):
        return 0
    with zipfile.ZipFile(path) as package:
        return sum(1 for name in package.namelist()
                   if name.startswith("xl/charts/chart") and b"<c:barChart>" in package.read(name))


class Office:
    """soffice.bin listening on a private port with a private profile."""

    def __init__(self):
        import uno
        self.uno = uno
        self.folder = tempfile.mkdtemp()
        with socket.socket() as probe:  # a port nobody listens on now
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        office = "/usr/lib/libreoffice/program/soffice.bin"
        profile = "-env:UserInstallation=file://" + self.folder
        subprocess.run([office, profile, "--headless", "--norestore", "--terminate_after_init"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        self.process = subprocess.Popen(
            [office, profile, "--headless", "--invisible", "--norestore", "--nologo",
             "--accept=socket,host=127.0.0.1,port=%d;urp;" % port],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        url = "uno:socket,host=127.0.0.1,port=%d;urp;StarOffice.ComponentContext" % port
        for _ in range(240):
            try:
                context = resolver.resolve(url)
                break
            except Exception:
                time.sleep(0.25)
        else:
            raise SystemExit("soffice did not answer")
        self.desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def report(self, path):
        from com.sun.star.beans import PropertyValue
        hidden = PropertyValue()
        hidden.Name, hidden.Value = "Hidden", True
        url = self.uno.systemPathToFileUrl(os.path.abspath(path))
        document = self.desktop.loadComponentFromURL(url, "_blank", 0, (hidden,))
        try:
            summary = document.Sheets.getByName(SUMMARY)
            register = document.Sheets.getByName(REGISTER)
            document.calculateAll()
            result = {"office": self.rows(summary)}
            debit = register.getCellByPosition(6, 5)
            result["editedCategory"] = register.getCellByPosition(4, 5).String
            debit.setValue(debit.getValue() + 100)
            document.calculateAll()
            result["edited"] = self.rows(summary)
            return result
        finally:
            document.close(True)

    @staticmethod
    def rows(sheet):
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        last = cursor.RangeAddress.EndRow
        rows = []
        for r in range(5, last + 1):
            label = sheet.getCellByPosition(1, r).String
            rows.append([label] + [sheet.getCellByPosition(c, r).getValue() for c in range(2, 6)])
        return rows


def main():
    files = sys.argv[1:]
    report = {}
    for path in files:
        rows, formulas = cached_rows(path)
        report[path] = {"cached": rows, "formulas": formulas, "charts": chart_count(path)}
    office = Office()
    try:
        for path in files:
            report[path].update(office.report(path))
    finally:
        office.close()
    print(json.dumps(report, ensure_ascii=True))


if __name__ == "__main__":
    main()
