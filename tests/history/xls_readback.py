#!/usr/bin/python3
"""xls_readback.py FILE.xls EXPECTED.json: xlrd reads the file and compares it cell by cell
with {"sheets": [{"name", "rows": [[null | str | number]]}]}, first rows bold."""
import json
import sys

import xlrd


def main(path, expected_path):
    want = json.load(open(expected_path, encoding="utf-8"))["sheets"]
    book = xlrd.open_workbook(path, formatting_info=True)
    problems = []
    if book.nsheets != len(want):
        problems.append("sheets: %d, expected %d" % (book.nsheets, len(want)))
    for sheet, exp in zip(book.sheets(), want):
        if sheet.name != exp["name"]:
            problems.append("sheet name %r, expected %r" % (sheet.name, exp["name"]))
        rows = exp["rows"]
        if sheet.nrows != len(rows):
            problems.append("%s: %d rows, expected %d" % (sheet.name, sheet.nrows, len(rows)))
        for r, row in enumerate(rows[:sheet.nrows]):
            for c, value in enumerate(row):
                cell = sheet.cell(r, c) if c < sheet.ncols else None
                kind = cell.ctype if cell else xlrd.XL_CELL_EMPTY
                if value is None:
                    ok = kind in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK)
                elif isinstance(value, str):
                    ok = kind == xlrd.XL_CELL_TEXT and cell.value == value
                else:
                    ok = kind == xlrd.XL_CELL_NUMBER and cell.value == value
                if not ok:
                    problems.append("%s!R%dC%d: %r (type %d), expected %r"
                                    % (sheet.name, r, c, cell.value if cell else None, kind, value))
                if r == 0 and cell is not None and kind != xlrd.XL_CELL_EMPTY:
                    font = book.font_list[book.xf_list[cell.xf_index].font_index]
                    if not font.bold:
                        problems.append("%s: header cell %d not bold" % (sheet.name, c))
                if len(problems) > 20:
                    break
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
