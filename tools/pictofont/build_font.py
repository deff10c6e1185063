#!/usr/bin/env python3
"""Builds the pictogram font QZ_Pikt04.TTF (family "QZ-Davovazedi04") from glyphs.py.

    build_font.py OUTPUT.TTF        writes the font
    build_font.py --table CODES.md  writes the code table documented in the tree

Every byte code 1..255 gets a glyph, reachable at its Latin-1 code point and at U+F000 + code.
The output is the same byte for byte on every run (fixed time stamps), so a rebuild changes
nothing that did not change.
"""

import os
import sys

# The build must not write into the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from fontTools.fontBuilder import FontBuilder  # noqa: E402
from fontTools.pens.ttGlyphPen import TTGlyphPen  # noqa: E402
from fontTools.ttLib.tables._g_l_y_f import flagOverlapSimple  # noqa: E402

from geometry import ASCENT, DESCENT, EM, THIN, frame, hex_text, oriented  # noqa: E402
from glyphs import CODES  # noqa: E402

FAMILY = "QZ-Davovazedi04"
FILE_NAME = "QZ_Pikt04.TTF"
PRIVATE_BASE = 0xF000
VERSION = "Version 1.000"
# 2024-01-01; the font's own dates, fixed so that builds are reproducible.
TIMESTAMP = 3786912000

COLUMN_NAMES = {
    "start": "start",
    "line": "finish and route lines",
    "C": "C (which of similar features)",
    "D": "D (control feature)",
    "E": "E (appearance)",
    "F": "F (combinations)",
    "G": "G (location of the flag)",
    "H": "H (other information)",
}


def free_code_shape(c):
    """A box with the code in hex: unmistakable for a pictogram, and says which code it was."""
    return frame(80, -60, 920, 660, THIN) + hex_text("%02X" % c, 266, 120, 360)


def notdef_shape():
    return frame(80, -60, 920, 660, THIN)


def glyph_name(c):
    return "pikt%02X" % c


def to_glyph(shape):
    pen = TTGlyphPen(None)
    for contour in shape:
        pts = oriented(contour)
        pen.moveTo((round(pts[0][0]), round(pts[0][1])))
        i = 1
        while i < len(pts):
            if pts[i][2]:
                pen.lineTo((round(pts[i][0]), round(pts[i][1])))
                i += 1
            else:
                offs = []
                while i < len(pts) and not pts[i][2]:
                    offs.append((round(pts[i][0]), round(pts[i][1])))
                    i += 1
                end = pts[i] if i < len(pts) else pts[0]
                pen.qCurveTo(*offs, (round(end[0]), round(end[1])))
                i += 1
        pen.closePath()
    glyph = pen.glyph()
    if len(shape) > 1:
        # Contours of one glyph may overlap (strokes meet at joins); say so, as the format asks.
        glyph.flags[0] |= flagOverlapSimple
    return glyph


def shapes():
    """Glyph name -> shape for .notdef and every code 1..255."""
    result = {".notdef": notdef_shape()}
    for c in range(1, 256):
        result[glyph_name(c)] = CODES[c][2] if c in CODES else free_code_shape(c)
    return result


def build(path):
    all_shapes = shapes()
    order = list(all_shapes)
    fb = FontBuilder(EM, isTTF=True)
    fb.setupGlyphOrder(order)
    cmap = {}
    for c in range(1, 256):
        cmap[c] = glyph_name(c)
        cmap[PRIVATE_BASE + c] = glyph_name(c)
    fb.setupCharacterMap(cmap)
    glyphs = {name: to_glyph(shape) for name, shape in all_shapes.items()}
    fb.setupGlyf(glyphs)
    glyf = fb.font["glyf"]
    fb.setupHorizontalMetrics({name: (EM, glyf[name].xMin) for name in order})
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT)
    fb.setupNameTable({
        "copyright": "Pictograms for orienteering control descriptions, drawn for this project.",
        "familyName": FAMILY,
        "styleName": "Regular",
        "uniqueFontIdentifier": FAMILY + " " + VERSION,
        "fullName": FAMILY,
        "version": VERSION,
        "psName": FAMILY,
    })
    fb.setupOS2(
        sTypoAscender=ASCENT, sTypoDescender=-DESCENT, sTypoLineGap=0,
        usWinAscent=ASCENT, usWinDescent=DESCENT,
        fsType=0,  # installable: PDF output embeds the font, so a PDF prints anywhere
        achVendID="QZSI", usWeightClass=400, fsSelection=0x40,
        ulCodePageRange1=1, ulCodePageRange2=0)
    fb.setupPost(keepGlyphNames=True)
    head = fb.font["head"]
    head.created = head.modified = TIMESTAMP
    fb.font.recalcTimestamp = False
    fb.save(path)


def markdown_char(c):
    if c < 0x21 or 0x7F <= c <= 0xA0 or c == 0xAD:
        return ""
    ch = chr(c)
    if ch == "`":
        return "`` ` ``"
    if ch == "|":
        return "`\\|`"
    return "`%s`" % ch


def ranges(codes):
    out = []
    for c in codes:
        if out and out[-1][1] == c - 1:
            out[-1][1] = c
        else:
            out.append([c, c])
    return ", ".join("0x%02X" % a if a == b else "0x%02X-0x%02X" % (a, b) for a, b in out)


def table():
    lines = [
        "# Pictogram font: code table",
        "",
        "<!-- Written by build_font.py --table; edit glyphs.py, not this file. -->",
        "",
        "The font `%s` (family \"%s\") has one glyph per byte code 1 to 255. A "
        "control-description file names pictograms by these byte codes; each glyph is reached "
        "at the code's Latin-1 code point and at the private-use code point U+F000 + code. "
        "The sheets draw the private-use code points: control codes (1-31, 127-159), the "
        "no-break space and the soft hyphen would otherwise be dropped or laid out as white "
        "space by the text engine, and a missing font would silently turn pictograms into "
        "ordinary letters of a fallback font." % (FILE_NAME, FAMILY),
        "",
        "A cell of the sheet is one em: pictograms are centred in it, the pieces of finish and "
        "route lines are one cell wide and join their neighbours.",
        "",
        "A finish row is put together from pieces: `\"` (0x22) in the first column for the last "
        "control; on both sides of the distance text one piece per cell, `&` (0x26) where the "
        "route is not taped, `$` (0x24) where it is, `)` (0x29) and `(` (0x28) for the ends of "
        "a tape next to the last control and next to the finish; `#` (0x23) in column H.",
        "",
        "| code | char | column | meaning |",
        "|---|---|---|---|",
    ]
    for c in sorted(CODES):
        column, meaning, _ = CODES[c]
        lines.append("| 0x%02X | %s | %s | %s |" % (c, markdown_char(c), COLUMN_NAMES[column],
                                                    meaning))
    free = [c for c in range(1, 256) if c not in CODES]
    lines += [
        "",
        "Column G with a direction follows a rule: code 0xC0 + kind × 8 + direction, kinds "
        "side, edge, part, inside corner, outside corner, tip, end, foot (0 to 7), directions "
        "north, north-east, east, south-east, south, south-west, west, north-west (0 to 7).",
        "",
        "Free codes (%d), drawn as a box with the code in hex: %s." % (len(free), ranges(free)),
        "",
    ]
    return "\n".join(lines)


def main(argv):
    if len(argv) == 3 and argv[1] == "--table":
        with open(argv[2], "w", encoding="utf-8") as f:
            f.write(table())
        return 0
    if len(argv) == 2 and not argv[1].startswith("-"):
        build(argv[1])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
