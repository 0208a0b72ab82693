#!/usr/bin/python3
"""cfb_check.py CHECKER FILE SIZE: the checker's container rules and olefile (strict) on a
compound file whose "Workbook" stream must hold bytes (i * 7) % 251. Prints "difat=<n>"."""
import importlib.machinery
import sys

import olefile


def main(checker, path, size):
    check = importlib.machinery.SourceFileLoader("xls_check", checker).load_module()
    raw = open(path, "rb").read()
    probs, stats = [], {}
    check.check_cfb(raw, probs, stats)
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    data = ole.openstream("Workbook").read()
    want = bytes((i * 7) % 251 for i in range(size))
    if data != want:
        probs.append("stream content differs (%d bytes read, %d expected)" % (len(data), size))
    print("difat=%d" % stats.get("difat_sectors", -1))
    for p in probs:
        print(p)
    return 1 if probs else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], int(sys.argv[3])))
