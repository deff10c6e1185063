"""The pictograms of the control-description font, one drawing per byte code.

Each entry of CODES gives a code its column of the description grid, its meaning and its
drawing. Codes with no entry get a box showing the code in hex (see build_font.py), so a sheet
that names a code we never drew shows that plainly instead of an empty cell.

Units: 1000 per em, a sheet cell is one em square; pictograms are centred on (500, 300) and
stay within about 120..880 by -80..680. Line pieces of the finish and route lines span the
whole advance (0..1000) at y = 300 so that neighbouring pieces join.
"""

import math

from geometry import (CX, CY, MID, THICK, THIN, arc, dashed, disc, ellipse_ring, frame, line,
                      mirror_x, outline, poly, polyline, rect, ring, rotate, wave)

CODES = {}  # code -> (column, meaning, shape)

DIRECTIONS = ["north", "north-east", "east", "south-east", "south", "south-west", "west",
              "north-west"]


def code(c, column, meaning):
    def register(fn):
        assert c not in CODES, hex(c)
        CODES[c] = (column, meaning, fn())
        return fn
    return register


# ---- start, finish and route lines (0x21-0x2F) ----------------------------------------------
# The finish row places pieces on the grid lines: '"' (the last control) in the first
# column, the pieces of the line one cell wide around the distance text, the finish in H.

ROW = "line"


def tape_piece(x0=0, x1=1000):
    shape = line(x0, CY, x1, CY, THIN, "butt")
    for x in (x0 + (x1 - x0) * 0.25, x0 + (x1 - x0) * 0.75):
        shape += poly([(x - 80, CY), (x + 80, CY), (x, CY - 130)])
    return shape


def dashed_piece(x0=0, x1=1000, dashes=3):
    period = (x1 - x0) / dashes
    shape = []
    for i in range(dashes):
        a = x0 + period * (i + 0.25)
        shape += line(a, CY, a + period / 2, CY, THIN, "butt")
    return shape


@code(0x21, "start", "start (triangle)")
def _():
    return outline([(500, 650), (196, 124), (804, 124)], MID)


@code(0x22, ROW, "last control before the finish, or the control a route line leaves")
def _():
    return ring(CX, CY, 250, MID)


@code(0x23, ROW, "finish (double circle)")
def _():
    return ring(CX, CY, 290, MID) + ring(CX, CY, 170, MID)


@code(0x24, ROW, "taped route, one cell of the line")
def _():
    return tape_piece()


@code(0x25, ROW, "compulsory crossing point")
def _():
    return arc(180, CY, 280, -50, 50, MID) + arc(820, CY, 280, 130, 230, MID)


@code(0x26, ROW, "route without tape (navigate), one cell of the line")
def _():
    return dashed_piece()


@code(0x27, ROW, "map exchange")
def _():
    shape = frame(180, 40, 560, 560, THIN)
    shape += arc(560, CY, 200, -70, 70, MID, "butt")
    shape += poly([(628, 112), (760, 80), (720, 220)])  # arrow head at the lower end
    return shape


@code(0x28, ROW, "taped route ending at the finish (right end of the tape)")
def _():
    return tape_piece(0, 800) + arc(1080, CY, 240, 140, 220, MID)


@code(0x29, ROW, "taped route leaving the last control (left end of the tape)")
def _():
    return mirror_x(CODES[0x28][2])


@code(0x2A, ROW, "compulsory passage through an out-of-bounds area")
def _():
    shape = line(120, CY, 880, CY, MID, "butt")
    for x in range(160, 900, 120):
        shape += line(x, 400, x, 640, THIN, "butt") + line(x, -40, x, 200, THIN, "butt")
    return shape


# ---- column C: which of several similar features (0x30-0x3A) --------------------------------

def which(direction):
    shape = disc(500, 560, 90) + ring(330, 120, 70, THIN) + ring(670, 120, 70, THIN)
    return rotate(shape, 45 * direction)


for _d, _name in enumerate(DIRECTIONS):
    CODES[0x30 + _d] = ("C", _name + "ern of several", which(_d))


def on_slope(chosen):
    shape = line(150, -40, 850, 560, THIN)
    for i, t in enumerate((0.15, 0.5, 0.85)):
        x, y = 150 + 700 * t - 70, -40 + 600 * t + 90
        shape += disc(x, y, 80) if i == chosen else ring(x, y, 62, THIN)
    return shape


CODES[0x38] = ("C", "upper of several", on_slope(2))
CODES[0x39] = ("C", "lower of several", on_slope(0))
CODES[0x3A] = ("C", "middle of several", on_slope(1))


# ---- column F: combinations (0x3B-0x3D) ---------------------------------------------------

@code(0x3B, "F", "crossing (of two linear features)")
def _():
    return line(500, -60, 500, 660, MID) + line(140, CY, 860, CY, MID)


@code(0x3C, "F", "junction (of two linear features)")
def _():
    return polyline([(180, 640), (500, 300), (820, 640)], MID) + line(500, 300, 500, -60, MID)


@code(0x3D, "F", "bend (of a linear feature)")
def _():
    return (line(300, -60, 300, 260, MID, "butt") + arc(600, 260, 300, 180, 90, MID, "butt")
            + line(600, 560, 860, 560, MID))


# ---- column D: landforms (0x40-0x4F) ------------------------------------------------------

@code(0x40, "D", "terrace")
def _():
    return polyline([(140, 640), (360, 360), (640, 360), (860, -20)], MID)


@code(0x41, "D", "spur")
def _():
    return (arc(500, 150, 280, 180, 0, MID, "butt", ry=460) + line(220, 150, 220, -60, MID)
            + line(780, 150, 780, -60, MID))


@code(0x42, "D", "re-entrant")
def _():
    return (arc(500, 450, 280, 180, 360, MID, "butt", ry=460) + line(220, 450, 220, 660, MID)
            + line(780, 450, 780, 660, MID))


@code(0x43, "D", "earth bank")
def _():
    shape = line(140, 420, 860, 420, MID)
    for x in range(200, 860, 120):
        shape += line(x, 420, x, 240, THIN, "butt")
    return shape


@code(0x44, "D", "quarry")
def _():
    shape = arc(500, 480, 330, 180, 360, THICK)
    for a in (210, 240, 270, 300, 330):
        shape += rotate(line(500, 480 - 330, 500, 480 - 160, THIN, "butt"), a - 270, 500, 480)
    return shape


@code(0x45, "D", "earth wall")
def _():
    shape = line(130, 200, 870, 200, MID)
    for x in (230, 400, 570, 740):
        shape += poly([(x - 60, 200), (x + 60, 200), (x, 420)])
    return shape


@code(0x46, "D", "erosion gully")
def _():
    return poly([(410, 660), (590, 660), (500, -70)])


@code(0x47, "D", "small erosion gully")
def _():
    return disc(500, 580, 75) + disc(500, 300, 75) + disc(500, 20, 75)


@code(0x48, "D", "hill")
def _():
    return ellipse_ring(CX, CY, 340, 250, MID)


@code(0x49, "D", "knoll")
def _():
    return disc(CX, CY, 170)


@code(0x4A, "D", "saddle")
def _():
    return arc(500, 720, 340, 215, 325, MID) + arc(500, -120, 340, 35, 145, MID)


@code(0x4B, "D", "depression")
def _():
    shape = ellipse_ring(CX, CY, 340, 250, MID)
    for x, y0, y1 in ((500, 550, 420), (500, 50, 180)):
        shape += line(x, y0, x, y1, THIN, "butt")
    shape += line(160, CY, 290, CY, THIN, "butt") + line(840, CY, 710, CY, THIN, "butt")
    return shape


@code(0x4C, "D", "small depression")
def _():
    return arc(500, 420, 220, 180, 360, THICK)


@code(0x4D, "D", "pit")
def _():
    return polyline([(250, 600), (500, 20), (750, 600)], THICK)


@code(0x4E, "D", "broken ground")
def _():
    shape = []
    for x, y in ((220, 520), (500, 600), (760, 480), (320, 230), (640, 250), (240, -10),
                 (560, -30), (800, 100)):
        shape += ring(x, y, 55, THIN)
    return shape


@code(0x4F, "D", "ant hill")
def _():
    return ring(CX, CY, 240, MID) + disc(500, 390, 50) + disc(420, 240, 50) + disc(580, 240, 50)


# ---- column D: rock and boulders (0x50-0x58) ----------------------------------------------

@code(0x50, "D", "cliff")
def _():
    shape = line(130, 470, 870, 470, THICK, "butt")
    for x in (220, 500, 780):
        shape += line(x, 470, x, 160, THICK, "butt")
    return shape


@code(0x51, "D", "rock pillar")
def _():
    return poly([(410, -70), (590, -70), (560, 670), (440, 670)])


@code(0x52, "D", "cave")
def _():
    return polyline([(820, 620), (220, 300), (820, -20)], THICK) + poly(
        [(330, 300), (560, 420), (560, 180)])


@code(0x53, "D", "boulder")
def _():
    return poly([(500, 640), (830, 40), (170, 40)])


@code(0x54, "D", "boulder field")
def _():
    shape = []
    for x, y, turn in ((250, 480, 0), (680, 520, 25), (440, 160, -20), (780, 60, 10),
                       (180, 30, 35)):
        shape += rotate(poly([(x, y + 100), (x + 95, y - 70), (x - 95, y - 70)]), turn, x, y)
    return shape


@code(0x55, "D", "boulder cluster")
def _():
    shape = poly([(500, 650), (640, 380), (360, 380)])
    shape += poly([(340, 360), (500, 60), (180, 60)]) + poly([(660, 360), (820, 60), (500, 60)])
    return shape


@code(0x56, "D", "stony ground")
def _():
    shape = []
    for x, y in ((220, 540), (480, 620), (760, 520), (340, 300), (620, 320), (200, 40),
                 (480, 40), (780, 120)):
        shape += disc(x, y, 50)
    return shape


@code(0x57, "D", "bare rock")
def _():
    shape = outline([(180, 100), (450, -20), (820, 120), (780, 540), (420, 640), (160, 440)],
                    THIN)
    for x0, y0, x1, y1 in ((280, 160, 420, 420), (420, 60, 600, 520), (620, 130, 700, 330)):
        shape += line(x0, y0, x1, y1, THIN)
    return shape


@code(0x58, "D", "narrow passage")
def _():
    shape = line(390, -40, 390, 640, THICK, "butt") + line(610, -40, 610, 640, THICK, "butt")
    for y in (60, 300, 540):
        shape += line(390, y, 160, y, THIN, "butt") + line(610, y, 840, y, THIN, "butt")
    return shape


# ---- column D: water and marsh (0x60-0x6A) ------------------------------------------------

@code(0x60, "D", "lake")
def _():
    return (ellipse_ring(CX, CY, 360, 270, THIN) + wave(260, 740, 380, 50, 4, THIN)
            + wave(260, 740, 200, 50, 4, THIN))


@code(0x61, "D", "pond")
def _():
    return ellipse_ring(CX, CY, 220, 160, THIN) + wave(370, 630, CY, 40, 2, THIN)


@code(0x62, "D", "waterhole")
def _():
    return polyline([(220, 640), (500, 0), (780, 640)], MID) + wave(380, 620, 480, 40, 2, THIN)


@code(0x63, "D", "river or stream")
def _():
    return wave(130, 870, CY, 130, 4, MID)


@code(0x64, "D", "ditch")
def _():
    return dashed(130, CY, 870, CY, 4, THICK)


@code(0x65, "D", "narrow marsh")
def _():
    shape = []
    for i, x in enumerate((130, 290, 450, 610, 770)):
        y = 250 if i % 2 else 350
        shape += line(x, y, x + 100, y, MID, "butt")
    return shape


def marsh_rows(rows):
    shape = []
    for i, y in enumerate(rows):
        xs = (150, 400, 650) if i % 2 == 0 else (270, 520)
        for x in xs:
            shape += line(x, y, x + 200, y, MID, "butt")
    return shape


@code(0x66, "D", "marsh")
def _():
    return marsh_rows((560, 300, 40))


@code(0x67, "D", "firm ground in marsh")
def _():
    shape = marsh_rows((600, -20)) + ellipse_ring(CX, CY, 190, 120, THIN)
    return shape + line(130, CY, 250, CY, MID, "butt") + line(750, CY, 870, CY, MID, "butt")


@code(0x68, "D", "well")
def _():
    return ring(CX, CY, 230, MID) + disc(CX, CY, 75)


@code(0x69, "D", "spring")
def _():
    return arc(330, CY, 170, 50, 310, MID) + line(500, CY, 860, CY, MID)


@code(0x6A, "D", "water tank")
def _():
    return frame(200, 20, 800, 580, MID) + wave(300, 700, CY, 60, 4, THIN)


# ---- column D: vegetation (0x70-0x76) -----------------------------------------------------

def square_with(dots=(), rings=()):
    shape = frame(180, -20, 820, 620, THIN)
    for x, y in dots:
        shape += disc(x, y, 50)
    for x, y in rings:
        shape += ring(x, y, 80, THIN)
    return shape


@code(0x70, "D", "open land")
def _():
    return square_with(dots=((340, 140), (660, 140), (340, 460), (660, 460)))


@code(0x71, "D", "semi-open land")
def _():
    return square_with(dots=((340, 460), (660, 140)), rings=((650, 450), (350, 150)))


@code(0x72, "D", "thicket")
def _():
    shape = frame(180, -20, 820, 620, THIN)
    for t in (393, 607):
        shape += line(t, -20, t, 620, THIN, "butt")
    for t in (193, 407):
        shape += line(180, t, 820, t, THIN, "butt")
    return shape


@code(0x73, "D", "vegetation boundary")
def _():
    shape = []
    for i in range(7):
        a = math.radians(160 - i * 140 / 6)
        shape += disc(500 + 380 * math.cos(a), -100 + 600 * math.sin(a), 45)
    return shape


@code(0x74, "D", "copse")
def _():
    return ring(360, 220, 170, THIN) + ring(640, 220, 170, THIN) + ring(500, 440, 170, THIN)


@code(0x75, "D", "distinct tree")
def _():
    return ring(500, 430, 200, MID) + line(500, 230, 500, -60, MID)


@code(0x76, "D", "tree stump or root stock")
def _():
    return (rect(420, 150, 580, 460) + line(430, 160, 240, 10, MID) + line(570, 160, 760, 10, MID)
            + line(500, 160, 500, -30, MID))


# ---- column D: man-made features (0x80-0x95) ----------------------------------------------

@code(0x80, "D", "road")
def _():
    return line(140, 100, 640, 600, MID) + line(360, 0, 860, 500, MID)


@code(0x81, "D", "track or path")
def _():
    return dashed(160, -40, 840, 640, 4, MID)


@code(0x82, "D", "ride")
def _():
    shape = []
    for i in range(3):
        x0, y0 = 160 + i * 240, -40 + i * 240
        shape += line(x0, y0, x0 + 120, y0 + 120, THIN, "butt")
        if i < 2:
            shape += disc(x0 + 180, y0 + 180, 35)
    return shape


@code(0x83, "D", "bridge")
def _():
    return (polyline([(130, 60), (280, 180), (720, 180), (870, 60)], MID)
            + polyline([(130, 540), (280, 420), (720, 420), (870, 540)], MID))


@code(0x84, "D", "power line")
def _():
    return (line(200, CY, 800, CY, THIN, "butt") + line(200, 170, 200, 430, MID)
            + line(800, 170, 800, 430, MID))


@code(0x85, "D", "power line pylon")
def _():
    return (frame(230, 30, 770, 570, MID) + line(230, 30, 770, 570, THIN)
            + line(230, 570, 770, 30, THIN))


@code(0x86, "D", "tunnel")
def _():
    return arc(500, 100, 280, 0, 180, THICK, "butt") + line(130, 100, 870, 100, THIN)


@code(0x87, "D", "stone wall")
def _():
    shape = line(130, CY, 870, CY, THIN)
    for x in (190, 345, 500, 655, 810):
        shape += disc(x, CY, 70)
    return shape


@code(0x88, "D", "fence")
def _():
    shape = line(130, CY, 870, CY, MID)
    for x in (230, 420, 610, 800):
        shape += line(x - 80, 170, x + 80, 430, THIN)
    return shape


@code(0x89, "D", "crossing point (through a fence or wall)")
def _():
    return (line(130, CY, 400, CY, MID, "butt") + line(600, CY, 870, CY, MID, "butt")
            + line(400, 120, 400, 480, MID) + line(600, 120, 600, 480, MID))


@code(0x8A, "D", "building")
def _():
    return rect(230, 30, 770, 570)


@code(0x8B, "D", "paved area")
def _():
    shape = frame(200, 0, 800, 600, THIN)
    for c in (-300, -100, 100, 300):  # hatch lines y - 300 = x - 500 + c, cut by the square
        x0, x1 = max(200, 200 - c), min(800, 800 - c)
        shape += line(x0, x0 - 200 + c, x1, x1 - 200 + c, THIN, "butt")
    return shape


@code(0x8C, "D", "ruin")
def _():
    shape = []
    for sx, sy in ((1, 1), (1, -1), (-1, 1), (-1, -1)):
        cx, cy = 500 + 280 * sx, 300 + 280 * sy
        shape += polyline([(cx, cy - 150 * sy), (cx, cy), (cx - 150 * sx, cy)], MID)
    return shape


@code(0x8D, "D", "pipeline")
def _():
    shape = line(130, CY, 870, CY, THICK)
    for x in (300, 500, 700):
        shape += line(x, 120, x, 480, THIN, "butt")
    return shape


@code(0x8E, "D", "tower")
def _():
    return (polyline([(290, -60), (440, 660), (560, 660), (710, -60)], MID)
            + line(360, 270, 640, 270, THIN) + line(320, 70, 560, 660, THIN))


@code(0x8F, "D", "shooting platform")
def _():
    return (frame(370, 420, 630, 650, MID) + line(400, 420, 320, -60, MID)
            + line(600, 420, 680, -60, MID) + line(370, 180, 630, 180, THIN))


@code(0x90, "D", "boundary stone or cairn")
def _():
    return disc(500, 470, 120) + disc(370, 220, 120) + disc(630, 220, 120)


@code(0x91, "D", "fodder rack")
def _():
    return (polyline([(230, -40), (230, 420), (500, 640), (770, 420), (770, -40)], MID)
            + line(230, 420, 770, 420, THIN) + line(230, 200, 770, 200, THIN))


@code(0x92, "D", "charcoal burning ground")
def _():
    shape = []
    for i in range(10):
        a = math.radians(i * 36)
        shape += disc(500 + 300 * math.cos(a), 300 + 300 * math.sin(a), 45)
    return shape


@code(0x93, "D", "monument or statue")
def _():
    return (poly([(320, -60), (680, -60), (620, 140), (380, 140)]) + line(500, 140, 500, 470, THICK)
            + disc(500, 570, 90))


@code(0x94, "D", "building pass-through")
def _():
    return rect(230, 30, 770, 230) + rect(230, 370, 770, 570)


@code(0x95, "D", "stairway")
def _():
    return polyline([(130, 20), (320, 20), (320, 220), (510, 220), (510, 420), (700, 420),
                     (700, 620), (870, 620)], MID)


# ---- column D: special items ---------------------------------------------------------------

@code(0x96, "D", "special item (x)")
def _():
    return line(270, 70, 730, 530, THICK) + line(270, 530, 730, 70, THICK)


@code(0x97, "D", "special item (o)")
def _():
    return ring(CX, CY, 230, THICK)


# ---- column E: appearance (0xA0-0xAA) -----------------------------------------------------

@code(0xA0, "E", "low")
def _():
    return arc(500, 80, 300, 0, 180, MID, "butt", ry=260) + line(130, 80, 870, 80, MID)


@code(0xA1, "E", "shallow")
def _():
    return arc(500, 500, 300, 180, 360, MID, "butt", ry=260) + line(130, 500, 870, 500, MID)


@code(0xA2, "E", "deep")
def _():
    return arc(500, 600, 220, 180, 360, MID, "butt", ry=620) + line(130, 600, 870, 600, MID)


@code(0xA3, "E", "overgrown")
def _():
    shape = ring(CX, CY, 290, THIN)
    for c in (-200, 0, 200):  # chords x - y = c, cut by the circle
        h = math.sqrt(290 ** 2 - (c / math.sqrt(2)) ** 2) / math.sqrt(2)
        mx, my = 500 + c / 2, 300 - c / 2
        shape += line(mx - h, my - h, mx + h, my + h, THIN, "butt")
    return shape


@code(0xA4, "E", "open")
def _():
    return ring(CX, CY, 290, THIN) + disc(400, 380, 50) + disc(600, 380, 50) + disc(500, 200, 50)


@code(0xA5, "E", "rocky, stony")
def _():
    return (poly([(500, 560), (650, 290), (350, 290)]) + disc(250, 100, 50) + disc(500, 60, 50)
            + disc(750, 100, 50))


@code(0xA6, "E", "marshy")
def _():
    shape = line(130, 0, 870, 0, MID)
    for x in (270, 500, 730):
        shape += (line(x, 0, x, 420, THIN) + line(x, 0, x - 110, 330, THIN)
                  + line(x, 0, x + 110, 330, THIN))
    return shape


@code(0xA7, "E", "sandy")
def _():
    shape = []
    for row, y in enumerate((560, 300, 40)):
        for x in ((220, 500, 780) if row % 2 == 0 else (360, 640)):
            shape += disc(x, y, 42)
    return shape


@code(0xA8, "E", "needle leaves")
def _():
    return outline([(500, 680), (680, 440), (590, 440), (760, 160), (240, 160), (410, 440),
                    (320, 440)], THIN) + line(500, 160, 500, -70, MID)


@code(0xA9, "E", "broad leaves")
def _():
    # A leaf: two arcs of radius 374 through its tips (500, 0) and (500, 640).
    shape = arc(694, 320, 374, 121.3, 238.7, THIN) + arc(306, 320, 374, -58.7, 58.7, THIN)
    return shape + line(500, 0, 500, 560, THIN) + line(500, 0, 500, -80, MID)


@code(0xAA, "E", "ruined")
def _():
    return (polyline([(640, 580), (220, 580), (220, 20), (780, 20), (780, 420)], MID)
            + polyline([(640, 580), (700, 500), (650, 440), (780, 420)], THIN))


# ---- column H: other information (0xB0-0xB3) ----------------------------------------------

@code(0xB0, "H", "first aid post")
def _():
    return rect(420, 20, 580, 580) + rect(220, 220, 780, 380)


@code(0xB1, "H", "refreshment point")
def _():
    return (polyline([(240, 620), (330, 0), (630, 0), (720, 620)], MID)
            + arc(720, 330, 140, 100, -80, THIN))


@code(0xB2, "H", "radio or TV control")
def _():
    return (frame(180, -20, 820, 440, MID) + line(500, 440, 330, 660, THIN)
            + line(500, 440, 670, 660, THIN) + disc(500, 210, 90))


@code(0xB3, "H", "manned control")
def _():
    return (disc(500, 580, 90) + line(500, 470, 500, 180, MID) + line(300, 380, 700, 380, MID)
            + line(500, 180, 340, -60, MID) + line(500, 180, 660, -60, MID))


# ---- column G: location without a direction (0xB8-0xBD) -----------------------------------

HILL = [(150, 0), (500, 640), (850, 0)]


@code(0xB8, "G", "upper part")
def _():
    return outline(HILL, THIN) + poly([(500, 640), (390, 440), (610, 440)])


@code(0xB9, "G", "lower part")
def _():
    return outline(HILL, THIN) + poly([(150, 0), (850, 0), (740, 200), (260, 200)])


@code(0xBA, "G", "top")
def _():
    return outline(HILL, THIN) + disc(500, 560, 90)


@code(0xBB, "G", "beneath")
def _():
    return rect(140, 520, 860, 640) + disc(500, 250, 100) + line(140, -20, 860, -20, THIN)


@code(0xBC, "G", "foot")
def _():
    return rect(270, 0, 420, 640) + disc(620, 90, 90) + line(140, -20, 860, -20, THIN)


@code(0xBD, "G", "between")
def _():
    return rect(140, 200, 340, 400) + rect(660, 200, 860, 400) + disc(CX, CY, 80)


# ---- column G: location with a direction (0xC0-0xFF) --------------------------------------
# Eight kinds of location, each in the eight directions: code 0xC0 + kind * 8 + direction,
# directions clockwise from north. Each kind is drawn for north (corners for north-east) and
# turned: a feature outline with the flag's place filled.

SQUARE = [(320, 120), (680, 120), (680, 480), (320, 480)]


def side():
    return outline(SQUARE, THIN) + rect(320, 540, 680, 620)


def edge():
    return outline(SQUARE, THIN) + rect(300, 420, 700, 530)


def part():
    return outline(SQUARE, THIN) + rect(320, 340, 680, 480)


def inside_corner():  # drawn pointing north-east
    return (outline([(320, 120), (680, 120), (680, 300), (500, 300), (500, 480), (320, 480)],
                    THIN) + disc(565, 365, 55))


def outside_corner():  # drawn pointing north-east
    return outline(SQUARE, THIN) + disc(730, 530, 60)


def tip():
    return outline([(320, 80), (680, 80), (500, 620)], THIN) + poly(
        [(500, 620), (447, 460), (553, 460)])


def end():
    return frame(430, 40, 570, 560, THIN) + rect(430, 420, 570, 560)


def foot():
    return ring(500, 260, 170, THIN) + disc(500, 560, 60)


G_KINDS = [("side", side, 0), ("edge", edge, 0), ("part", part, 0),
           ("inside corner", inside_corner, 1), ("outside corner", outside_corner, 1),
           ("tip", tip, 0), ("end", end, 0), ("foot", foot, 0)]

for _k, (_name, _fn, _drawn_at) in enumerate(G_KINDS):
    for _d, _dir in enumerate(DIRECTIONS):
        CODES[0xC0 + _k * 8 + _d] = ("G", _dir + " " + _name, rotate(_fn(), 45 * (_d - _drawn_at)))

