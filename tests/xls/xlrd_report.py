"""Prints what xlrd (a reader nobody here wrote) sees in a workbook, as JSON.

Usage: /usr/bin/python3 xlrd_report.py <file.xls>
"""
import json
import sys

import xlrd


def cell_report(book, sheet, row, col):
    cell = sheet.cell(row, col)
    xf = book.xf_list[cell.xf_index]
    font = book.font_list[xf.font_index]
    return {
        "type": cell.ctype,
        "value": cell.value,
        "fill": list(book.colour_map.get(xf.background.pattern_colour_index) or [])
        if xf.background.fill_pattern else None,
        "format": book.format_map[xf.format_key].format_str,
        "font": {"name": font.name, "height": font.height, "bold": font.bold,
                 "colour": font.colour_index, "italic": font.italic},
        "align": {"h": xf.alignment.hor_align, "v": xf.alignment.vert_align, "wrap": xf.alignment.text_wrapped},
    }


def main():
    book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
    sheet = book.sheet_by_index(0)
    report = {
        "sheets": book.sheet_names(),
        "merged": [list(m) for m in sheet.merged_cells],
        "rows": sheet.nrows,
        "cols": sheet.ncols,
        "widths": {str(c): info.width for c, info in sheet.colinfo_map.items()},
        "heights": {str(r): info.height for r, info in sheet.rowinfo_map.items() if info.has_default_height == 0},
        "palette": [list(book.colour_map[i]) for i in range(8, 64)],
        "cells": [[cell_report(book, sheet, r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)],
    }
    json.dump(report, sys.stdout)


main()
