#!/usr/bin/env python3
"""Checks a built pictogram font:

    check_font.py FONT.TTF CODES.md

- the name table gives the family "QZ-Davovazedi04";
- every code 1..255 reaches a glyph with an outline, the same one at its Latin-1 and at its
  private-use code point;
- no two codes share a drawing (a copied glyph would print a wrong pictogram unnoticed);
- the code table in the tree is the one the glyph source gives.
Exit status 0 when all hold; every failure is listed.
"""

import hashlib
import os
import sys

# The build must not write into the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from fontTools.ttLib import TTFont  # noqa: E402

import build_font  # noqa: E402


def check(font_path, table_path):
    errors = []
    font = TTFont(font_path)
    names = {(n.nameID, n.platformID): n.toUnicode() for n in font["name"].names}
    for key in ((1, 3), (4, 3), (6, 3)):
        if names.get(key) != build_font.FAMILY:
            errors.append("name %d is %r, not %r" % (key[0], names.get(key), build_font.FAMILY))

    cmap = font.getBestCmap()
    glyf = font["glyf"]
    seen = {}
    for c in range(1, 256):
        latin, private = cmap.get(c), cmap.get(build_font.PRIVATE_BASE + c)
        if latin is None or private is None or latin != private:
            errors.append("code 0x%02X: Latin-1 %s, private use %s" % (c, latin, private))
            continue
        g = glyf[latin]
        if g.numberOfContours <= 0 or g.xMax <= g.xMin or g.yMax <= g.yMin:
            errors.append("code 0x%02X: empty glyph %s" % (c, latin))
            continue
        coords, ends, flags = g.getCoordinates(glyf)
        digest = hashlib.sha1(repr((list(coords), ends, [f & 1 for f in flags])).encode())
        other = seen.setdefault(digest.hexdigest(), c)
        if other != c:
            errors.append("codes 0x%02X and 0x%02X have the same drawing" % (other, c))
        if font["hmtx"][latin][0] != build_font.EM:
            errors.append("code 0x%02X: advance is not one em" % c)

    with open(table_path, encoding="utf-8") as f:
        if f.read() != build_font.table():
            errors.append("%s is out of date: run build_font.py --table %s"
                          % (table_path, table_path))
    return errors


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    errors = check(argv[1], argv[2])
    for e in errors:
        print("FAIL:", e)
    print("%s: %s" % (argv[1], "failed" if errors else "all 255 codes drawn"))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
