"""Drawing primitives for the pictogram glyphs, in font units.

A shape is a list of contours; a contour is a list of points (x, y, on_curve) with quadratic
off-curve points, as TrueType stores them, and a flag saying whether it is a hole. Filled
contours are written clockwise and holes counter-clockwise, so the font renders under the
non-zero rule TrueType uses; overlapping filled contours simply merge.

Every primitive returns a new shape; shapes are combined by adding the lists.
"""

import math

# The design grid: 1000 units per em, ascent 800, descent 200. A cell of the sheet is one em
# wide and high, so a pictogram's centre is (500, 300) and a line piece runs from x 0 to 1000.
EM = 1000
ASCENT = 800
DESCENT = 200
CX = 500
CY = 300

THIN = 50  # stroke widths
MID = 70
THICK = 110


class Contour:
    def __init__(self, points, hole=False):
        self.points = points  # [(x, y, on_curve)]
        self.hole = hole


def _arc_points(cx, cy, rx, ry, a0, a1, include_start=True):
    """Points of an elliptic arc from angle a0 to a1 (degrees, either direction), split into
    quadratic segments of at most 45 degrees; the control point of each segment lies where the
    tangents at its ends meet."""
    n = max(1, math.ceil(abs(a1 - a0) / 45.0 - 1e-9))
    step = (a1 - a0) / n
    half = math.radians(step / 2)
    stretch = 1.0 / math.cos(half)
    pts = []
    for i in range(n):
        s = math.radians(a0 + i * step)
        m = s + half
        if include_start or i > 0:
            pts.append((cx + rx * math.cos(s), cy + ry * math.sin(s), True))
        pts.append((cx + rx * stretch * math.cos(m), cy + ry * stretch * math.sin(m), False))
    e = math.radians(a1)
    pts.append((cx + rx * math.cos(e), cy + ry * math.sin(e), True))
    return pts


def _signed_area(points):
    a = 0.0
    for i, (x0, y0, _) in enumerate(points):
        x1, y1, _ = points[(i + 1) % len(points)]
        a += x0 * y1 - x1 * y0
    return a / 2


def oriented(contour):
    """The contour's points in the direction TrueType expects for its kind."""
    pts = contour.points
    clockwise = _signed_area(pts) < 0
    if clockwise == contour.hole:
        pts = list(reversed(pts))
    # A TrueType contour is easiest to read starting at an on-curve point.
    first = next(i for i, p in enumerate(pts) if p[2])
    return pts[first:] + pts[:first]


# ---- filled areas -------------------------------------------------------------------------


def poly(points, hole=False):
    return [Contour([(x, y, True) for x, y in points], hole)]


def rect(x0, y0, x1, y1, hole=False):
    return poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], hole)


def ellipse(cx, cy, rx, ry, hole=False):
    pts = _arc_points(cx, cy, rx, ry, 0, 360)[:-1]
    return [Contour(pts, hole)]


def disc(cx, cy, r, hole=False):
    return ellipse(cx, cy, r, r, hole)


def sector(cx, cy, r, a0, a1):
    """A pie slice."""
    return [Contour([(cx, cy, True)] + _arc_points(cx, cy, r, r, a0, a1))]


# ---- strokes ------------------------------------------------------------------------------


def line(x0, y0, x1, y1, w=MID, cap="round"):
    """A straight stroke of width w; cap is 'round', 'butt' or 'square'."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    nx, ny = -uy * w / 2, ux * w / 2
    if cap == "square":
        x0, y0 = x0 - ux * w / 2, y0 - uy * w / 2
        x1, y1 = x1 + ux * w / 2, y1 + uy * w / 2
    shape = poly([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])
    if cap == "round":
        shape += disc(x0, y0, w / 2) + disc(x1, y1, w / 2)
    return shape


def polyline(points, w=MID, cap="round"):
    """Segments joined by round joins."""
    shape = []
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        shape += line(x0, y0, x1, y1, w, "butt")
    for x, y in points[1:-1]:
        shape += disc(x, y, w / 2)
    if cap == "round":
        shape += disc(*points[0], w / 2) + disc(*points[-1], w / 2)
    elif cap == "square":
        shape += line(*points[0], *points[1], w, "square")[:1]
        shape += line(*points[-2], *points[-1], w, "square")[:1]
    return shape


def _offset(points, d):
    """The closed polygon moved d units outwards (mitred corners); points in any direction."""
    if _signed_area([(x, y, True) for x, y in points]) < 0:
        d = -d  # clockwise input: the outward normal is the other side
    out = []
    n = len(points)
    for i in range(n):
        p_prev, p, p_next = points[i - 1], points[i], points[(i + 1) % n]
        lines = []
        for a, b in ((p_prev, p), (p, p_next)):
            dx, dy = b[0] - a[0], b[1] - a[1]
            ln = math.hypot(dx, dy)
            nx, ny = dy / ln, -dx / ln  # right-hand normal: outwards for counter-clockwise
            lines.append(((a[0] + nx * d, a[1] + ny * d), (dx, dy)))
        (ax, ay), (adx, ady) = lines[0]
        (bx, by), (bdx, bdy) = lines[1]
        den = adx * bdy - ady * bdx
        if abs(den) < 1e-9:
            out.append((ax + adx, ay + ady))
        else:
            t = ((bx - ax) * bdy - (by - ay) * bdx) / den
            out.append((ax + adx * t, ay + ady * t))
    return out


def outline(points, w=MID):
    """The outline of a closed polygon, centred on its edges, with mitred corners."""
    return poly(_offset(points, w / 2)) + poly(_offset(points, -w / 2), hole=True)


def frame(x0, y0, x1, y1, w=MID):
    return outline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], w)


def ellipse_ring(cx, cy, rx, ry, w=MID):
    return ellipse(cx, cy, rx + w / 2, ry + w / 2) + ellipse(cx, cy, rx - w / 2, ry - w / 2, True)


def ring(cx, cy, r, w=MID):
    return ellipse_ring(cx, cy, r, r, w)


def arc(cx, cy, r, a0, a1, w=MID, cap="round", ry=None):
    """A stroked circular (or, with ry, elliptic) arc from angle a0 to a1 in degrees."""
    ry = r if ry is None else ry
    outer = _arc_points(cx, cy, r + w / 2, ry + w / 2, a0, a1)
    inner = _arc_points(cx, cy, r - w / 2, ry - w / 2, a1, a0)
    shape = [Contour(outer + inner)]
    if cap == "round":
        for a in (a0, a1):
            shape += disc(cx + r * math.cos(math.radians(a)), cy + ry * math.sin(math.radians(a)),
                          w / 2)
    return shape


def wave(x0, x1, y, amp, halves, w=MID):
    """A wavy stroke of `halves` half-waves made of half-circle-like arcs that meet tangentially."""
    step = (x1 - x0) / halves
    shape = []
    for i in range(halves):
        cx = x0 + step * (i + 0.5)
        if i % 2 == 0:
            shape += arc(cx, y, step / 2, 180, 0, w, "butt", ry=amp)
        else:
            shape += arc(cx, y, step / 2, 180, 360, w, "butt", ry=amp)
    shape += disc(x0, y, w / 2) + disc(x1, y, w / 2)
    return shape


def dashed(x0, y0, x1, y1, dashes, w=MID, ratio=0.6):
    """A line of `dashes` dashes, each `ratio` of its period long, the ends on the end points."""
    dx, dy = x1 - x0, y1 - y0
    period = 1.0 / (dashes - 1 + ratio)
    shape = []
    for i in range(dashes):
        a, b = i * period, i * period + ratio * period
        shape += line(x0 + dx * a, y0 + dy * a, x0 + dx * b, y0 + dy * b, w, "butt")
    return shape


# ---- transformations ----------------------------------------------------------------------


def transform(shape, fn):
    return [Contour([(*fn(x, y), on) for x, y, on in c.points], c.hole) for c in shape]


def rotate(shape, degrees, cx=CX, cy=CY):
    """Turns clockwise by `degrees` (compass sense) around (cx, cy)."""
    a = math.radians(-degrees)
    ca, sa = math.cos(a), math.sin(a)
    return transform(shape, lambda x, y: (cx + (x - cx) * ca - (y - cy) * sa,
                                          cy + (x - cx) * sa + (y - cy) * ca))


def translate(shape, dx, dy):
    return transform(shape, lambda x, y: (x + dx, y + dy))


def scale(shape, sx, sy=None, cx=CX, cy=CY):
    sy = sx if sy is None else sy
    return transform(shape, lambda x, y: (cx + (x - cx) * sx, cy + (y - cy) * sy))


def mirror_x(shape, cx=CX):
    return transform(shape, lambda x, y: (2 * cx - x, y))


# ---- hex digits for the codes the table leaves free ----------------------------------------

# Stroke skeletons on a grid 0..2 wide, 0..4 high.
_DIGITS = {
    "0": [[(0, 0), (2, 0), (2, 4), (0, 4), (0, 0)], [(0, 0), (2, 4)]],
    "1": [[(0, 3), (1, 4), (1, 0)], [(0, 0), (2, 0)]],
    "2": [[(0, 4), (2, 4), (2, 2), (0, 2), (0, 0), (2, 0)]],
    "3": [[(0, 4), (2, 4), (2, 0), (0, 0)], [(0.6, 2), (2, 2)]],
    "4": [[(0, 4), (0, 2), (2, 2)], [(2, 4), (2, 0)]],
    "5": [[(2, 4), (0, 4), (0, 2), (2, 2), (2, 0), (0, 0)]],
    "6": [[(2, 4), (0, 4), (0, 0), (2, 0), (2, 2), (0, 2)]],
    "7": [[(0, 4), (2, 4), (0.8, 0)]],
    "8": [[(0, 0), (2, 0), (2, 4), (0, 4), (0, 0)], [(0, 2), (2, 2)]],
    "9": [[(0, 0), (2, 0), (2, 4), (0, 4), (0, 2), (2, 2)]],
    "A": [[(0, 0), (0, 4), (2, 4), (2, 0)], [(0, 2), (2, 2)]],
    "B": [[(0, 0), (0, 4), (1.4, 4), (1.4, 2), (2, 2), (2, 0), (0, 0)], [(0, 2), (1.4, 2)]],
    "C": [[(2, 4), (0, 4), (0, 0), (2, 0)]],
    "D": [[(0, 0), (0, 4), (1.2, 4), (2, 3.2), (2, 0.8), (1.2, 0), (0, 0)]],
    "E": [[(2, 4), (0, 4), (0, 0), (2, 0)], [(0, 2), (1.5, 2)]],
    "F": [[(2, 4), (0, 4), (0, 0)], [(0, 2), (1.5, 2)]],
}


def hex_text(text, x0, y0, height, w=THIN):
    """Stroke digits of the given height with their lower left corner at (x0, y0)."""
    unit = height / 4
    shape = []
    x = x0
    for ch in text:
        for stroke in _DIGITS[ch]:
            shape += polyline([(x + px * unit, y0 + py * unit) for px, py in stroke], w, "square")
        x += 3.2 * unit
    return shape
