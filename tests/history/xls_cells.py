#!/usr/bin/python3
"""xls_cells.py FILE.xls: the sheets as xlrd reads them, as JSON [[name, [[cell, ...], ...]], ...];
a cell is null (empty), a number, a text, or {"bold": text}."""
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)


def cell(c):
    if c.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        return None
    if c.ctype == xlrd.XL_CELL_TEXT and book.font_list[book.xf_list[c.xf_index].font_index].bold:
        return {"bold": c.value}
    return c.value if c.ctype in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_NUMBER) else {"type": c.ctype}


print(json.dumps([[s.name, [[cell(s.cell(r, c)) for c in range(s.ncols)] for r in range(s.nrows)]]
                  for s in book.sheets()]))
