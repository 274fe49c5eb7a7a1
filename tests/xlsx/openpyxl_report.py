#!/usr/bin/python3
# Prints what openpyxl reads from an .xlsx file, as JSON, for the tests:
# sheets, merges, cells (value, type, formula and cached result), fonts,
# fills, alignment, widths, heights, page set-up, print titles and area,
# active cell and selection. With --last-rows, only the values, formulas and
# fills of the last three rows, read as a stream (for long registers).
import json
import sys

import openpyxl


def colour(c):
    if c is None or c.type != "rgb" or not isinstance(c.rgb, str):
        return None
    return c.rgb[-6:].upper()


def plain(value):
    return value.isoformat() if hasattr(value, "isoformat") else value


def last_rows(path):
    # Read-only, streaming: a long register in seconds; merges and row
    # heights are not offered in this mode.
    book = openpyxl.load_workbook(path, read_only=True)
    cached = openpyxl.load_workbook(path, read_only=True, data_only=True)
    ws, cs = book.active, cached[book.active.title]
    first = ws.max_row - 2
    values = {(r, c): cell.value for r, row in enumerate(cs.iter_rows(min_row=first, max_col=9))
              for c, cell in enumerate(row)}
    cells = {}
    for r, row in enumerate(ws.iter_rows(min_row=first, max_col=9)):
        for c, cell in enumerate(row):
            if not hasattr(cell, "coordinate"):  # an empty cell of the stream
                continue
            cells[cell.coordinate] = {
                "value": plain(cell.value), "cached": plain(values.get((r, c))),
                "fill": colour(cell.fill.fgColor) if cell.fill.fill_type == "solid" else None,
            }
    json.dump({"max_row": ws.max_row, "cells": cells}, sys.stdout, ensure_ascii=False)


def main(path):
    book = openpyxl.load_workbook(path)
    cached = openpyxl.load_workbook(path, data_only=True)
    ws = book.active
    cs = cached[ws.title]
    cells = {}
    for row in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=min(ws.max_column, 12)):
        for cell in row:
            if cell.value is None and not cell.has_style:
                continue
            font, fill, align = cell.font, cell.fill, cell.alignment
            cells[cell.coordinate] = {
                "value": cell.value if not hasattr(cell.value, "isoformat") else cell.value.isoformat(),
                "type": cell.data_type,
                "cached": cs[cell.coordinate].value if not hasattr(cs[cell.coordinate].value, "isoformat")
                else cs[cell.coordinate].value.isoformat(),
                "font": {"name": font.name, "size": font.sz, "bold": bool(font.b), "italic": bool(font.i),
                         "colour": colour(font.color)},
                "fill": colour(fill.fgColor) if fill.fill_type == "solid" else None,
                "h": align.horizontal, "v": align.vertical, "wrap": bool(align.wrap_text),
                "format": cell.number_format,
            }
    view = ws.sheet_view
    ps, pm = ws.page_setup, ws.page_margins
    report = {
        "sheets": book.sheetnames,
        "active": book.active.title,
        "merged": sorted(str(r) for r in ws.merged_cells.ranges),
        "widths": {k: v.width for k, v in ws.column_dimensions.items() if v.customWidth},
        "hidden_columns": sorted(k for k, v in ws.column_dimensions.items() if v.hidden),
        "heights": {str(k): v.height for k, v in ws.row_dimensions.items() if v.height is not None},
        "default_height": ws.sheet_format.defaultRowHeight,
        "cells": cells,
        "max_row": ws.max_row,
        "page": {
            "paper": ps.paperSize and int(ps.paperSize), "orientation": ps.orientation,
            "fit": bool(ws.sheet_properties.pageSetUpPr and ws.sheet_properties.pageSetUpPr.fitToPage),
            "fit_wide": ps.fitToWidth if ps.fitToWidth is None else int(ps.fitToWidth),
            "fit_tall": ps.fitToHeight if ps.fitToHeight is None else int(ps.fitToHeight),
            "scale": ps.scale if ps.scale is None else int(ps.scale),
            "margins": [pm.left, pm.right, pm.top, pm.bottom, pm.header, pm.footer],
            "gridlines": bool(ws.print_options.gridLines),
            "centred": [bool(ws.print_options.horizontalCentered), bool(ws.print_options.verticalCentered)],
        },
        "print_titles": ws.print_title_rows,
        "print_title_columns": ws.print_title_cols,
        "print_area": ws.print_area,
        "active_cell": view.selection[0].activeCell if view.selection else None,
        "selection": str(view.selection[0].sqref) if view.selection else None,
    }
    json.dump(report, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    if "--last-rows" in sys.argv[2:]:
        last_rows(sys.argv[1])
    else:
        main(sys.argv[1])
