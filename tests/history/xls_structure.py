#!/usr/bin/python3
"""xls_structure.py FILE.xls: the structural faults of an Excel 97-2003 workbook, one a line.
Exit 0 when there are none, 1 when there are.

The readers used in the other tests pass over much that Excel refuses or repairs (sector
chains, counts, offsets, XF references), so this reads the compound file and the records
themselves. It expects the layout the program writes: one "Workbook" stream of at least
4096 bytes holding the globals and one substream per sheet, then zero padding."""
import re
import struct
import sys

END, FREE, FATSECT, DIFSECT = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFC
MAX_PAYLOAD = 8224
NAMES = {0x0809: "BOF", 0x000A: "EOF", 0x0042: "CODEPAGE", 0x003D: "WINDOW1", 0x0031: "FONT",
         0x00E0: "XF", 0x0293: "STYLE", 0x0085: "BOUNDSHEET", 0x00FC: "SST", 0x003C: "CONTINUE",
         0x00FF: "EXTSST", 0x020B: "INDEX", 0x0081: "WSBOOL", 0x0055: "DEFCOLWIDTH",
         0x007D: "COLINFO", 0x0200: "DIMENSIONS", 0x0208: "ROW", 0x00FD: "LABELSST", 0x027E: "RK",
         0x0203: "NUMBER", 0x00D7: "DBCELL", 0x023E: "WINDOW2", 0x041E: "FORMAT"}
# The record order of the globals and of a sheet, as names separated by spaces.
GLOBALS = re.compile(r"BOF CODEPAGE WINDOW1 (FONT ){5,}(FORMAT )*(XF ){16,}(STYLE )+(BOUNDSHEET )+"
                     r"(SST (CONTINUE )*EXTSST )?EOF ")
SHEET = re.compile(r"BOF (INDEX )?WSBOOL (DEFCOLWIDTH )?(COLINFO )*DIMENSIONS "
                   r"((ROW |LABELSST |RK |NUMBER |DBCELL ))*WINDOW2 EOF ")
CELL_SIZE = {"LABELSST": 10, "RK": 10, "NUMBER": 14}
FIXED_SIZE = {"BOF": 16, "EOF": 0, "CODEPAGE": 2, "WINDOW1": 18, "XF": 20, "WSBOOL": 2,
              "DEFCOLWIDTH": 2, "COLINFO": 12, "DIMENSIONS": 14, "ROW": 16, "WINDOW2": 18, **CELL_SIZE}


class Fault(Exception):
    """A fault after which the rest cannot be read."""


# ---- compound file -------------------------------------------------------------------------

def workbook_stream(raw, out):
    """The Workbook stream's bytes; faults of the container go to out."""
    if len(raw) < 1024 or len(raw) % 512:
        raise Fault("file size %d is not a 512-byte header plus whole 512-byte sectors" % len(raw))
    (magic, clsid, minor, major, order, shift, mini_shift, reserved, ndir, nfat, first_dir, txn,
     cutoff, first_minifat, nminifat, first_difat, ndifat) = struct.unpack_from("<8s16s5H6s9I", raw)
    for what, got, want in (("signature", magic, bytes.fromhex("D0CF11E0A1B11AE1")),
                            ("class id", clsid, bytes(16)), ("minor version", minor, 0x3E),
                            ("major version", major, 3), ("byte order", order, 0xFFFE),
                            ("sector shift", shift, 9), ("mini sector shift", mini_shift, 6),
                            ("reserved", reserved, bytes(6)), ("directory sector count", ndir, 0),
                            ("transaction signature", txn, 0), ("mini stream cutoff", cutoff, 4096),
                            ("first mini FAT sector", first_minifat, END), ("mini FAT sectors", nminifat, 0)):
        if got != want:
            out.append("header: %s is %r, expected %r" % (what, got, want))
    if magic[:4] != b"\xD0\xCF\x11\xE0" or shift != 9:
        raise Fault("not a compound file with 512-byte sectors")
    nsec = len(raw) // 512 - 1

    def sector(i):
        if i >= nsec:
            raise Fault("sector %d referenced, the file has %d" % (i, nsec))
        return raw[512 * (i + 1):512 * (i + 2)]

    # FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
    header_difat = struct.unpack_from("<109I", raw, 76)
    fat_sectors = list(header_difat[:min(nfat, 109)])
    if any(v != FREE for v in header_difat[nfat:]):
        out.append("header: unused DIFAT entries are not free")
    difat_sectors, nxt = [], first_difat
    for _ in range(ndifat):
        if nxt in difat_sectors:
            raise Fault("DIFAT chain loops at sector %d" % nxt)
        difat_sectors.append(nxt)
        entries = struct.unpack("<128I", sector(nxt))
        fat_sectors += entries[:127]
        nxt = entries[127]
    if nxt != END:
        out.append("DIFAT chain does not end after %d sectors" % ndifat)
    if any(v != FREE for v in fat_sectors[nfat:]):
        out.append("unused DIFAT entries are not free")
    fat_sectors = fat_sectors[:nfat]
    if len(fat_sectors) < nfat:
        raise Fault("DIFAT lists %d of %d FAT sectors" % (len(fat_sectors), nfat))
    fat = []
    for s in fat_sectors:
        fat += struct.unpack("<128I", sector(s))
    if len(fat) < nsec:
        raise Fault("FAT of %d entries for %d sectors" % (len(fat), nsec))
    if any(v != FREE for v in fat[nsec:]):
        out.append("FAT entries beyond the end of the file are not free")

    def chain(start, what):
        sectors, s = [], start
        while s != END:
            if s >= nsec:
                raise Fault("sector chain of %s: entry %d points outside the file" % (what, s))
            if s in seen:
                raise Fault("sector chain of %s: sector %d used twice" % (what, s))
            seen.add(s)
            sectors.append(s)
            s = fat[s]
        return sectors

    seen = set()
    directory = b"".join(sector(s) for s in chain(first_dir, "the directory"))
    entries = [struct.unpack_from("<64sHBB3I16sIQQIQ", directory, k) for k in range(0, len(directory), 128)]
    name = lambda e: e[0][:max(e[1] - 2, 0)].decode("utf-16-le", "replace")
    root = entries[0]
    if root[2] != 5 or name(root) != "Root Entry" or root[11] != END or root[12] != 0:
        out.append("directory: entry 0 is not an empty Root Entry")
    for i, e in enumerate(entries):
        if e[2] == 0 and (e[0] != bytes(64) or e[1:4] != (0, 0, 0) or e[4:7] != (FREE,) * 3
                       or e[7] != bytes(16) or any(e[8:])):
            out.append("directory: free entry %d is not cleared" % i)
    # Every entry in use must hang in the root's tree exactly once.
    reached, todo = set(), [root[6]]
    while todo:
        i = todo.pop()
        if i == FREE:
            continue
        if i >= len(entries) or i in reached or entries[i][2] == 0:
            raise Fault("directory tree: bad link to entry %d" % i)
        reached.add(i)
        todo += entries[i][4:7]
    if reached != {i for i, e in enumerate(entries) if i and e[2]}:
        out.append("directory: entries %s are not reached from the root" % sorted(
            {i for i, e in enumerate(entries) if i and e[2]} - reached))
    streams = {name(e): e for e in entries if e[2] == 2}
    if list(streams) != ["Workbook"]:
        raise Fault("directory: streams %s, expected only Workbook" % list(streams))
    start, size = streams["Workbook"][11], streams["Workbook"][12]
    if size < 4096:
        out.append("Workbook stream of %d bytes is below the mini stream cutoff of 4096" % size)
    sectors = chain(start, "the Workbook")
    if len(sectors) != (size + 511) // 512:
        out.append("sector chain of the Workbook: %d sectors for %d bytes" % (len(sectors), size))
    for s in fat_sectors:
        if s in seen or fat[s] != FATSECT:
            out.append("FAT sector %d is not marked as one" % s)
        seen.add(s)
    for s in difat_sectors:
        if s in seen or fat[s] != DIFSECT:
            out.append("DIFAT sector %d is not marked as one" % s)
        seen.add(s)
    unused = [s for s in range(nsec) if s not in seen and fat[s] != FREE]
    if unused:
        out.append("FAT marks sectors %s that nothing uses" % unused[:5])
    return b"".join(sector(s) for s in sectors)[:size]


# ---- BIFF records ---------------------------------------------------------------------------

def substream(data, pos, what, out):
    """The records (position, name, payload) from the BOF at pos to its EOF."""
    recs = []
    while True:
        if pos + 4 > len(data):
            raise Fault("%s: the stream ends before its EOF" % what)
        rid, n = struct.unpack_from("<HH", data, pos)
        name = NAMES.get(rid, "0x%04X" % rid)
        if pos + 4 + n > len(data):
            raise Fault("%s: %s record at %d runs past the end of the stream" % (what, name, pos))
        if n > MAX_PAYLOAD:
            out.append("%s: %s record at %d has %d bytes (at most %d)" % (what, name, pos, n, MAX_PAYLOAD))
        if name in FIXED_SIZE and n != FIXED_SIZE[name]:
            raise Fault("%s: %s record at %d has %d bytes, expected %d" % (what, name, pos, n, FIXED_SIZE[name]))
        if recs and name == "BOF":
            raise Fault("%s: BOF at %d before its EOF" % (what, pos))
        if not recs and name != "BOF":
            raise Fault("%s: starts at %d with %s instead of BOF" % (what, pos, name))
        recs.append((pos, name, data[pos + 4:pos + 4 + n]))
        pos += 4 + n
        if name == "EOF":
            return recs


def check_order(recs, grammar, what, out):
    names = "".join(r[1] + " " for r in recs)
    if not grammar.fullmatch(names):
        out.append("%s: record order %s" % (what, re.sub(r"(\w+ )\1+", r"\1... ", names)[:300]))


def short_string(p, at):
    """A name with a one-byte length: (text, end)."""
    cch, flags = p[at], p[at + 1]
    width = 2 if flags & 1 else 1
    end = at + 2 + cch * width
    if flags & ~1 or end > len(p):
        raise Fault("malformed name at byte %d of a record" % at)
    return p[at + 2:end].decode("utf-16-le" if width == 2 else "latin-1"), end


def read_sst(recs, out):
    """The SST strings and, per string, (absolute position, position in its record incl. header)."""
    pieces = [(pos, p) for pos, name, p in recs if name in ("SST", "CONTINUE")]
    total, unique = struct.unpack_from("<II", pieces[0][1])
    strings, starts, k, off = [], [], 0, 8
    for i in range(unique):
        pos, p = pieces[k]
        if off == len(p):  # a string may start a CONTINUE record; then it has no flag byte
            k, off = k + 1, 0
            if k == len(pieces):
                raise Fault("SST: cstUnique %d but the records end after %d strings" % (unique, i))
            pos, p = pieces[k]
        if len(p) - off < 3:
            raise Fault("SST: header of string %d split between records" % i)
        cch, flags = struct.unpack_from("<HB", p, off)
        if flags & ~1:
            raise Fault("SST: string %d has flags 0x%02X" % (i, flags))
        starts.append((pos + 4 + off, 4 + off))
        off, width, left, parts = off + 3, 1 + (flags & 1), cch, []
        if cch and len(p) - off < width:
            out.append("SST: first character of string %d not in the record of its header" % i)
        while left:
            fit = min((len(p) - off) // width, left)
            if fit == 0:
                if off != len(p):
                    out.append("SST: a character of string %d split between records" % i)
                k += 1
                if k == len(pieces):
                    raise Fault("SST: cstUnique %d but the records end inside string %d" % (unique, i))
                pos, p = pieces[k]
                if not p or p[0] not in (0, 1):
                    raise Fault("SST: CONTINUE at %d inside string %d lacks its flag byte" % (pos, i))
                off, width = 1, 1 + p[0]
                continue
            parts.append(p[off:off + fit * width].decode("utf-16-le" if width == 2 else "latin-1"))
            off, left = off + fit * width, left - fit
        strings.append("".join(parts))
    if k != len(pieces) - 1 or off != len(pieces[k][1]):
        out.append("SST: bytes left after cstUnique = %d strings" % unique)
    return total, strings, starts


def check_extsst(payload, starts, out):
    (dsst,) = struct.unpack_from("<H", payload)
    buckets = -(-len(starts) // dsst) if dsst else -1
    if dsst < 8 or buckets > 128 or len(payload) != 2 + 8 * buckets:
        out.append("EXTSST: %d strings per bucket and %d bytes for %d strings" % (dsst, len(payload), len(starts)))
        return
    for b in range(buckets):
        ib, cb, zero = struct.unpack_from("<IHH", payload, 2 + 8 * b)
        if (ib, cb) != starts[b * dsst] or zero:
            out.append("EXTSST: bucket %d points to %d/%d, string %d is at %d/%d"
                       % ((b, ib, cb, b * dsst) + starts[b * dsst]))


def check_sheet(recs, what, nxf, is_cell_xf, strings, out):
    """Cells, their XFs, DIMENSIONS, INDEX, ROW and DBCELL of one sheet: (LABELSST count, selected)."""
    cells, rows, labels, selected = {}, {}, 0, False
    at = {name: pos for pos, name, _ in recs if name in ("INDEX", "DEFCOLWIDTH")}
    row_at, first_cell_at, dbcells = {}, {}, []
    for pos, name, p in recs:
        if name in CELL_SIZE:
            r, c, xf = struct.unpack_from("<HHH", p)
            if (r, c) in cells:
                out.append("%s: two cells at row %d, column %d" % (what, r, c))
            cells[(r, c)] = pos
            first_cell_at.setdefault(r, pos)
            if xf >= nxf or not is_cell_xf[xf]:
                out.append("%s: cell at row %d, column %d uses XF %d, not a cell XF" % (what, r, c, xf))
            if name == "LABELSST":
                labels += 1
                if struct.unpack_from("<I", p, 6)[0] >= len(strings):
                    out.append("%s: cell at row %d, column %d names a string beyond the SST" % (what, r, c))
        elif name == "ROW":
            r, mic, mac = struct.unpack_from("<HHH", p)
            rows[r] = (mic, mac)
            row_at[r] = pos
        elif name == "DBCELL":
            dbcells.append((pos, p))
        elif name == "WINDOW2":
            selected = bool(struct.unpack_from("<H", p)[0] & 0x0200)
    rs, cs = {r for r, _ in cells}, {c for _, c in cells}
    want = (min(rs), max(rs) + 1, min(cs), max(cs) + 1, 0) if cells else (0, 0, 0, 0, 0)
    got = next(struct.unpack("<IIHHH", p) for _, name, p in recs if name == "DIMENSIONS")
    if got != want:
        out.append("%s: DIMENSIONS %s, the cells need %s" % (what, got[:4], want[:4]))
    spans, in_block = {}, {}
    for r, c in cells:  # one pass: sheets reach 65,536 rows
        mic, mac = spans.get(r, (c, c + 1))
        spans[r] = (min(mic, c), max(mac, c + 1))
    for r in sorted(rs):
        in_block.setdefault(r // 32, []).append(r)
    if rows != spans:
        differ = sorted(set(rows.items()) ^ set(spans.items()))[:4]
        out.append("%s: ROW records %s do not match the cells' columns" % (what, differ))
    blocks = sorted({r // 32 for r in rs})
    if "INDEX" in at:
        p = next(p for pos, name, p in recs if name == "INDEX")
        zero, mic, mac, defcol = struct.unpack_from("<4I", p)
        pointers = list(struct.unpack_from("<%dI" % ((len(p) - 16) // 4), p, 16))
        if (zero, mic, mac) != (0, want[0], want[1]):
            out.append("%s: INDEX rows %d..%d, the cells need %d..%d" % (what, mic, mac, want[0], want[1]))
        if defcol != at.get("DEFCOLWIDTH"):
            out.append("%s: INDEX does not point at DEFCOLWIDTH" % what)
        dbcell_at = [pos for pos, _ in dbcells]
        if pointers != dbcell_at or len(dbcells) != len(blocks):
            out.append("%s: INDEX points at %s, DBCELL records are at %s for %d row blocks"
                       % (what, pointers[:4], dbcell_at[:4], len(blocks)))
    for (pos, p), block in zip(dbcells, blocks):
        block_rows = in_block[block]
        back = struct.unpack_from("<I", p)[0]
        steps = list(struct.unpack_from("<%dH" % ((len(p) - 4) // 2), p, 4))
        first_row = row_at.get(block_rows[0], -1)
        want_steps = [b - a for a, b in zip([first_row + 20] + [first_cell_at[r] for r in block_rows],
                                             [first_cell_at[r] for r in block_rows])]
        if pos - back != first_row or steps != want_steps:
            out.append("%s: DBCELL at %d does not lead to the rows of block %d" % (what, pos, block))
    return labels, selected


def check_workbook(data, out):
    glob = substream(data, 0, "globals", out)
    check_order(glob, GLOBALS, "globals", out)
    if struct.unpack_from("<HH", glob[0][2]) != (0x0600, 0x0005):
        out.append("globals: BOF is not a BIFF8 workbook BOF")
    if [p for _, name, p in glob if name == "CODEPAGE"] != [struct.pack("<H", 1200)]:
        out.append("globals: CODEPAGE is not 1200 (UTF-16)")
    # Font indices skip 4: the fifth FONT record is font 5.
    nfont = sum(1 for r in glob if r[1] == "FONT")
    fonts = [i for i in range(nfont + 1) if i != 4]
    formats = set()
    for _, name, p in glob:
        if name == "FORMAT":
            ifmt, cch, flags = struct.unpack_from("<HHB", p)
            if ifmt < 164 or ifmt in formats or flags & ~1 or len(p) != 5 + cch * (1 + (flags & 1)):
                out.append("globals: FORMAT %d is malformed or repeated" % ifmt)
            formats.add(ifmt)
    xfs = [struct.unpack_from("<HHHBBBB", p) for _, name, p in glob if name == "XF"]
    is_cell_xf = []
    for i, (font, fmt, flags, align, rot, indent, used) in enumerate(xfs):
        style = bool(flags & 0x0004)
        is_cell_xf.append(not style)
        if font not in fonts:
            out.append("globals: XF %d uses font %d, which does not exist" % (i, font))
        if fmt > 49 and fmt not in formats:  # 0-49 are built in
            out.append("globals: XF %d uses number format %d, which does not exist" % (i, fmt))
        if style != (i < 15):
            out.append("globals: XF %d is a %s XF" % (i, "style" if style else "cell"))
        elif not style and ((flags >> 4) >= 15 or (font != xfs[flags >> 4][0] and not used & 0x08)
                            or (fmt != xfs[flags >> 4][1] and not used & 0x04)):
            out.append("globals: cell XF %d has a bad parent or its own font or format without marking it" % i)
    sheets = []
    for pos, name, p in glob:
        if name == "BOUNDSHEET":
            sheet_name, end = short_string(p, 6)
            sheets.append((sheet_name, struct.unpack_from("<I", p)[0]))
            if p[4:6] != b"\0\0" or end != len(p):
                out.append("globals: BOUNDSHEET of %r is not a visible worksheet" % sheet_name)
            if not 1 <= len(sheet_name) <= 31 or re.search(r"[:\\/?*\[\]]|^'|'$", sheet_name):
                out.append("globals: sheet name %r not allowed" % sheet_name)
    if len({n.casefold() for n, _ in sheets}) != len(sheets):
        out.append("globals: sheet names repeat")
    total, strings, starts = 0, [], []
    if any(name == "SST" for _, name, _ in glob):
        total, strings, starts = read_sst(glob, out)
        check_extsst(next(p for _, name, p in glob if name == "EXTSST"), starts, out)

    pos, labels, selected = glob[-1][0] + 4, 0, 0
    for sheet_name, offset in sheets:
        what = "sheet %r" % sheet_name
        if offset != pos:
            out.append("%s: BOUNDSHEET offset %d, its BOF is at %d" % (what, offset, pos))
        recs = substream(data, pos, what, out)
        if struct.unpack_from("<HH", recs[0][2]) != (0x0600, 0x0010):
            out.append("%s: BOF is not a BIFF8 worksheet BOF" % what)
        check_order(recs, SHEET, what, out)
        n, sel = check_sheet(recs, what, len(xfs), is_cell_xf, strings, out)
        labels, selected = labels + n, selected + sel
        pos = recs[-1][0] + 4
    if selected != 1:
        out.append("%d sheets selected, expected 1" % selected)
    if total != labels:
        out.append("SST: cstTotal %d but %d LABELSST cells" % (total, labels))
    if any(data[pos:]):
        out.append("non-zero bytes after the last sheet's EOF (at %d)" % pos)


def problems(raw):
    out = []
    try:
        check_workbook(workbook_stream(raw, out), out)
    except Fault as f:
        out.append(str(f))
    except (struct.error, IndexError, StopIteration, UnicodeDecodeError, UnboundLocalError) as e:
        out.append("unreadable: %s: %s" % (type(e).__name__, e))
    return out


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f:
        found = problems(f.read())
    print("\n".join(found))
    sys.exit(1 if found else 0)
