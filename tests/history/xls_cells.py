#!/usr/bin/python3
"""xls_cells.py FILE.xls: the sheets as xlrd reads them, as JSON [[name, [[cell, ...], ...]], ...];
a cell is null (empty), a number, a text, {"bold": text}, or {"format": code, "value": number} for a
number in a format other than General."""
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)


def cell(c):
    if c.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        return None
    xf = book.xf_list[c.xf_index]
    if c.ctype == xlrd.XL_CELL_TEXT and book.font_list[xf.font_index].bold:
        return {"bold": c.value}
    if c.ctype == xlrd.XL_CELL_NUMBER and book.format_map[xf.format_key].format_str != "General":
        return {"format": book.format_map[xf.format_key].format_str, "value": c.value}
    return c.value if c.ctype in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_NUMBER) else {"type": c.ctype}


print(json.dumps([[s.name, [[cell(s.cell(r, c)) for c in range(s.ncols)] for r in range(s.nrows)]]
                  for s in book.sheets()]))
