#!/usr/bin/python3
"""Prints the register's data cells (rows 6 on, columns B to I) as another
reader sees them, as JSON with every character outside ASCII escaped:
one list per row of {"type", "value"}; a formula's type is "formula" and
its value the formula's text.

Usage: /usr/bin/python3 text_cells_report.py xlrd|openpyxl FILE
"""
import json
import sys


def xlrd_rows(path):
    import xlrd
    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    names = {xlrd.XL_CELL_EMPTY: "empty", xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_NUMBER: "number",
             xlrd.XL_CELL_DATE: "date", xlrd.XL_CELL_BOOLEAN: "boolean", xlrd.XL_CELL_ERROR: "error",
             xlrd.XL_CELL_BLANK: "empty"}
    return [[{"type": names[sheet.cell(r, c).ctype], "value": sheet.cell(r, c).value} for c in range(1, 9)]
            for r in range(5, sheet.nrows)]


def openpyxl_rows(path):
    import openpyxl
    sheet = openpyxl.load_workbook(path).active
    names = {"s": "text", "n": "number", "d": "date", "b": "boolean", "e": "error", "f": "formula"}
    rows = []
    for row in sheet.iter_rows(min_row=6, max_row=sheet.max_row, min_col=2, max_col=9):
        cells = []
        for cell in row:
            value = cell.value
            kind = "empty" if value is None else names.get(cell.data_type, cell.data_type)
            if hasattr(value, "isoformat"):
                kind, value = "date", value.isoformat()
            cells.append({"type": kind, "value": value})
        rows.append(cells)
    return rows


readers = {"xlrd": xlrd_rows, "openpyxl": openpyxl_rows}
json.dump(readers[sys.argv[1]](sys.argv[2]), sys.stdout, ensure_ascii=True)
