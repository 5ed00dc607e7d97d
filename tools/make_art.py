#!/usr/bin/env python3
"""Generate the bitmap artwork used by nadeshiro's resource script.

Writes:
    res/banner.bmp     400x60, 24-bit banner shown across the top of the window
    res/nadeshiro.ico  application icon (32x32 mono, 32x32 16-colour, 16x16 16-colour)

Everything is drawn procedurally with plain maths, so the only dependency is
the Python 3 standard library.  There is no randomness: running the script
again produces byte-identical files, which keeps the binary diffs in version
control quiet.

Usage:  python3 tools/make_art.py   (from anywhere; paths are repo-relative)
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RES_DIR = os.path.normpath(os.path.join(HERE, "..", "res"))
BANNER_PATH = os.path.join(RES_DIR, "banner.bmp")
ICON_PATH = os.path.join(RES_DIR, "nadeshiro.ico")

TAU = 2.0 * math.pi


# ---------------------------------------------------------------------------
# small maths helpers
# ---------------------------------------------------------------------------

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def mix(c0, c1, t):
    return (c0[0] + (c1[0] - c0[0]) * t,
            c0[1] + (c1[1] - c0[1]) * t,
            c0[2] + (c1[2] - c0[2]) * t)


def tri(x):
    """Triangle wave, 0 at integers, 1 at half-integers."""
    f = x - math.floor(x)
    return 1.0 - abs(2.0 * f - 1.0)


def seg_dist(px, py, ax, ay, bx, by):
    """Distance from (px, py) to segment a-b, plus the position t along it."""
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    ll = vx * vx + vy * vy
    t = clamp((wx * vx + wy * vy) / ll) if ll > 0 else 0.0
    dx, dy = wx - vx * t, wy - vy * t
    return math.hypot(dx, dy), t


def bezier(p0, p1, p2, steps):
    pts = []
    for i in range(steps + 1):
        t = i / steps
        a, b, c = (1 - t) * (1 - t), 2 * (1 - t) * t, t * t
        pts.append((a * p0[0] + b * p1[0] + c * p2[0],
                    a * p0[1] + b * p1[1] + c * p2[1]))
    return pts


# ---------------------------------------------------------------------------
# the flower shape
#
# A fringed pink has five wedge-shaped petals: narrow where they meet the
# centre, wide at the end, and the outer edge cut into small teeth.  Work in
# polar coordinates around the flower centre.  `u` is the position across the
# current petal (-1 .. 1, 0 on the petal's midline) and `t` is the radius
# normalised to the flower radius.
# ---------------------------------------------------------------------------

def petal_field(dx, dy, radius, rot, teeth=3.5, depth=0.16, spread=0.45):
    """Return (inside, t, u, margin) for a point relative to a flower centre.

    `margin` is a rough signed distance to the petal edge in units of the
    radius (positive inside); it is used for edge shading and outlines.
    `spread` controls how far the petals separate towards the rim; the icons
    use a larger value so the petals still read as petals at 16 pixels.
    """
    r = math.hypot(dx, dy)
    t = r / radius
    if t > 1.05:
        return False, t, 0.0, -1.0
    theta = math.atan2(dy, dx) - rot
    sector = TAU / 5.0
    a = (theta + sector / 2.0) % sector - sector / 2.0
    u = a / (sector / 2.0)
    # petal outline: rounded end with a serrated rim
    tip = 0.80 + 0.20 * math.cos(u * math.pi / 2.0) - depth * tri(u * teeth + 0.5)
    # petals overlap towards the centre and separate near the rim,
    # leaving a narrow notch between neighbours
    half = clamp(1.30 - spread * t, 0.0, 1.0)
    m_tip = tip - t
    m_side = (half - abs(u)) * max(t, 0.2) * (sector / 2.0)
    margin = min(m_tip, m_side)
    return margin > 0.0, t, u, margin


# ---------------------------------------------------------------------------
# banner
# ---------------------------------------------------------------------------

BANNER_W, BANNER_H = 400, 60
PLAIN_ROWS = 4          # bottom rows kept as bare background
DRAW_LIMIT = BANNER_H - PLAIN_ROWS

SKY_TOP = (250, 226, 236)
SKY_BOTTOM = (255, 251, 252)

STEM = (104, 150, 92)
LEAF = (120, 170, 104)
LEAF_DARK = (86, 132, 76)

PETAL_RIM = (250, 178, 206)
PETAL_MID = (238, 112, 164)
PETAL_EYE = (176, 40, 102)
PETAL_EDGE = (206, 70, 132)
HEART = (252, 240, 246)
STAMEN = (150, 40, 96)


def background(x, y):
    t = clamp(y / (BANNER_H - 1))
    c = mix(SKY_TOP, SKY_BOTTOM, smoothstep(0.0, 1.0, t))
    # a faint, broad lightening in the middle so the flowers frame the space
    glow = math.exp(-((x - 200.0) / 130.0) ** 2) * 0.35 * (1.0 - t)
    return mix(c, (255, 255, 255), glow)


class Flower:
    def __init__(self, cx, cy, radius, rot, alpha=1.0):
        self.cx, self.cy, self.radius, self.rot = cx, cy, radius, rot
        self.alpha = alpha
        pad = radius * 1.1 + 3
        self.bbox = (cx - pad, cy - pad, cx + pad, cy + pad)

    def shadow(self, x, y):
        ok, _, _, margin = petal_field(x - self.cx - 1.2, y - self.cy - 1.6,
                                       self.radius, self.rot)
        if not ok:
            return None
        return (150, 60, 100), 0.16 * self.alpha

    def sample(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        ok, t, u, margin = petal_field(dx, dy, self.radius, self.rot)
        if not ok:
            return None
        # body colour: dark eye near the centre, warm pink, pale rim
        c = mix(PETAL_MID, PETAL_RIM, smoothstep(0.45, 1.0, t))
        c = mix(PETAL_EYE, c, smoothstep(0.16, 0.40, t))
        # thin veins along each petal, fading out before the rim
        vein = math.cos(u * 7.0 * math.pi) * 0.5 + 0.5
        c = mix(c, PETAL_EYE, 0.10 * vein * smoothstep(0.85, 0.3, t))
        # darker line right at the edge for definition against the sky
        edge_px = margin * self.radius
        c = mix(PETAL_EDGE, c, smoothstep(0.0, 0.9, edge_px))
        # faint crease where neighbouring petals overlap
        crease_px = (1.0 - abs(u)) * t * (TAU / 10.0) * self.radius
        c = mix(c, PETAL_EDGE, 0.45 * smoothstep(0.8, 0.0, crease_px)
                * smoothstep(0.15, 0.35, t))
        # pale heart with a ring of tiny stamens
        if t < 0.16:
            c = mix(HEART, c, smoothstep(0.10, 0.16, t))
        ang = math.atan2(dy, dx) - self.rot + TAU / 10.0
        ring = abs(t - 0.12)
        if ring < 0.05 and tri(ang * 5.0 / TAU) < 0.35:
            c = mix(c, STAMEN, 0.8 * smoothstep(0.05, 0.02, ring))
        return c, self.alpha


class Stem:
    def __init__(self, p0, p1, p2, width=1.1):
        self.pts = bezier(p0, p1, p2, 24)
        self.width = width
        xs = [p[0] for p in self.pts]
        ys = [p[1] for p in self.pts]
        self.bbox = (min(xs) - 3, min(ys) - 3, max(xs) + 3, max(ys) + 3)

    def sample(self, x, y):
        best = 1e9
        for i in range(len(self.pts) - 1):
            (ax, ay), (bx, by) = self.pts[i], self.pts[i + 1]
            d, _ = seg_dist(x, y, ax, ay, bx, by)
            best = min(best, d)
        if best > self.width:
            return None
        # stems fade out just above the plain strip at the bottom
        fade = smoothstep(DRAW_LIMIT, DRAW_LIMIT - 8, y)
        if fade <= 0.0:
            return None
        return STEM, fade


class Leaf:
    """A narrow lance-shaped leaf from `base`, pointing along `angle`."""

    def __init__(self, base, angle, length, width):
        self.bx, self.by = base
        self.ang, self.length, self.width = angle, length, width
        pad = length + 2
        self.bbox = (self.bx - pad, self.by - pad, self.bx + pad, self.by + pad)

    def sample(self, x, y):
        dx, dy = x - self.bx, y - self.by
        ca, sa = math.cos(self.ang), math.sin(self.ang)
        along = dx * ca + dy * sa
        across = -dx * sa + dy * ca
        s = along / self.length
        if s <= 0.0 or s >= 1.0:
            return None
        # slight curl so the leaf is not perfectly symmetric
        across -= 0.18 * self.length * s * s
        half = self.width * math.sin(math.pi * s) ** 0.8
        if abs(across) > half:
            return None
        c = LEAF if across > 0 else mix(LEAF, LEAF_DARK, 0.45)
        if abs(across) < 0.35:
            c = mix(c, LEAF_DARK, 0.6)
        fade = smoothstep(DRAW_LIMIT, DRAW_LIMIT - 8, y)
        if fade <= 0.0:
            return None
        return c, fade


def banner_scene():
    """Build the list of drawables, back to front."""
    flowers = [
        # right-hand cluster
        (330.0, 22.0, 16.0, -1.45),
        (364.0, 33.0, 12.5, -1.10),
        (298.0, 37.0, 10.5, -1.80),
        (388.0, 13.0, 8.5, -1.30),
        # left-hand pair
        (34.0, 25.0, 14.0, -1.62),
        (66.0, 38.0, 9.5, -1.25),
    ]
    stems = [
        Stem((330, 22), (334, 42), (326, 58), 1.2),
        Stem((364, 33), (360, 46), (368, 58), 1.0),
        Stem((298, 37), (302, 48), (296, 58), 0.9),
        Stem((388, 13), (392, 38), (384, 58), 0.9),
        Stem((34, 25), (30, 44), (38, 58), 1.1),
        Stem((66, 38), (70, 50), (62, 58), 0.9),
        # a couple of buds on bare stems
        Stem((250, 40), (254, 50), (248, 58), 0.8),
        Stem((100, 44), (96, 52), (102, 58), 0.8),
    ]
    leaves = [
        Leaf((332, 45), -0.55, 14, 2.2),
        Leaf((330, 49), -2.55, 13, 2.0),
        Leaf((362, 48), -0.45, 11, 1.8),
        Leaf((301, 50), -2.70, 11, 1.8),
        Leaf((390, 44), -2.35, 10, 1.6),
        Leaf((31, 42), -2.60, 13, 2.1),
        Leaf((33, 47), -0.50, 12, 2.0),
        Leaf((69, 50), -0.60, 10, 1.7),
        Leaf((252, 51), -0.50, 9, 1.5),
        Leaf((98, 53), -2.50, 8, 1.4),
    ]
    buds = [
        Bud(250.0, 38.0, 3.2, -0.15),
        Bud(100.0, 42.0, 2.8, 0.20),
    ]
    petals = [
        # a few loose petals drifting across the open middle
        LoosePetal(150.0, 16.0, 3.2, 0.6, 0.55),
        LoosePetal(196.0, 30.0, 2.6, 2.1, 0.45),
        LoosePetal(232.0, 12.0, 2.9, 4.0, 0.50),
        LoosePetal(124.0, 34.0, 2.3, 1.2, 0.40),
    ]
    fl = [Flower(*f) for f in flowers]
    shadows = [Shadow(f) for f in fl]
    return stems + leaves + buds + shadows + petals + fl


class Shadow:
    def __init__(self, flower):
        self.flower = flower
        self.bbox = flower.bbox

    def sample(self, x, y):
        return self.flower.shadow(x, y)


class Bud:
    def __init__(self, cx, cy, size, tilt):
        self.cx, self.cy, self.size, self.tilt = cx, cy, size, tilt
        pad = size * 2.5 + 2
        self.bbox = (cx - pad, cy - pad, cx + pad, cy + pad)

    def sample(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        ca, sa = math.cos(self.tilt), math.sin(self.tilt)
        lx = dx * ca + dy * sa
        ly = -dx * sa + dy * ca
        # pink tip peeking out of a green calyx
        if (lx / self.size) ** 2 + ((ly + self.size * 0.6) / (self.size * 1.5)) ** 2 < 1.0:
            c = mix(PETAL_MID, PETAL_RIM, clamp(-ly / (self.size * 2.0)))
            if ly > -0.2 * self.size:
                c = mix(STEM, LEAF, 0.5)
            return c, 1.0
        return None


class LoosePetal:
    def __init__(self, cx, cy, size, ang, alpha):
        self.cx, self.cy, self.size, self.ang, self.alpha = cx, cy, size, ang, alpha
        pad = size * 2 + 2
        self.bbox = (cx - pad, cy - pad, cx + pad, cy + pad)

    def sample(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        ca, sa = math.cos(self.ang), math.sin(self.ang)
        lx = (dx * ca + dy * sa) / (self.size * 1.5)
        ly = (-dx * sa + dy * ca) / self.size
        # a little wedge, wider at one end with a notched rim
        s = (lx + 1.0) / 2.0
        if s <= 0.0 or s >= 1.0:
            return None
        half = 0.25 + 0.75 * s
        if abs(ly) > half:
            return None
        if s > 0.88 - 0.12 * tri(ly * 2.5 + 0.5):
            return None
        return mix(PETAL_MID, PETAL_RIM, 0.5), self.alpha


def render_banner(ss=4):
    scene = banner_scene()
    rows = []
    offs = [(i + 0.5) / ss for i in range(ss)]
    for y in range(BANNER_H):
        row = []
        for x in range(BANNER_W):
            if y >= DRAW_LIMIT:
                row.append(background(x + 0.5, y + 0.5))
                continue
            live = [e for e in scene
                    if e.bbox[0] <= x + 1 and x <= e.bbox[2]
                    and e.bbox[1] <= y + 1 and y <= e.bbox[3]]
            if not live:
                row.append(background(x + 0.5, y + 0.5))
                continue
            acc = [0.0, 0.0, 0.0]
            for oy in offs:
                for ox in offs:
                    px, py = x + ox, y + oy
                    c = background(px, py)
                    for e in live:
                        hit = e.sample(px, py)
                        if hit is not None:
                            c = mix(c, hit[0], hit[1])
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
            n = float(ss * ss)
            row.append((acc[0] / n, acc[1] / n, acc[2] / n))
        rows.append(row)
    return rows


def to_byte(v):
    return int(clamp(round(v), 0, 255))


def write_banner(path):
    rows = render_banner()
    stride = BANNER_W * 3              # 1200, already a multiple of four
    assert stride % 4 == 0
    pixels = bytearray()
    for row in reversed(rows):         # DIBs are stored bottom-up
        for (r, g, b) in row:
            pixels += bytes((to_byte(b), to_byte(g), to_byte(r)))
    image_size = stride * BANNER_H
    file_size = 14 + 40 + image_size + 2
    header = struct.pack("<2sIHHI", b"BM", file_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, BANNER_W, BANNER_H, 1, 24, 0,
                       image_size, 2835, 2835, 0, 0)
    data = header + info + bytes(pixels) + b"\0\0"
    with open(path, "wb") as f:
        f.write(data)
    return data


# ---------------------------------------------------------------------------
# icon
# ---------------------------------------------------------------------------

# The standard 16-colour VGA palette, in index order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, PURPLE, SILVER, RED, YELLOW, MAGENTA, WHITE = 0, 1, 5, 7, 9, 11, 13, 15

OUT, PETAL, EYE, HEART_ZONE, CREASE = 0, 1, 2, 3, 4


def icon_labels(size, ss=4):
    """Classify each icon pixel as outside / petal / eye / heart / crease."""
    c = size / 2.0
    radius = size / 2.0 - 0.3
    # a five-petal flower with one petal up is taller above its centre than
    # below it; nudge it down so it sits in the middle of the square
    cy = c + radius * (1.0 - math.cos(math.pi / 5.0)) / 2.0
    # at icon sizes a coarse fringe reads better than a fine one
    teeth = 2.5 if size >= 32 else 1.5
    depth = 0.12 if size >= 32 else 0.0
    crease_w = 0.10 if size >= 32 else 0.16
    rot = -math.pi / 2.0               # one petal pointing straight up
    labels = []
    for y in range(size):
        row = []
        for x in range(size):
            counts = [0, 0, 0, 0, 0]
            for j in range(ss):
                for i in range(ss):
                    px = x + (i + 0.5) / ss
                    py = y + (j + 0.5) / ss
                    ok, t, u, _ = petal_field(px - c, py - cy, radius, rot,
                                              teeth, depth, 0.80)
                    if not ok:
                        counts[OUT] += 1
                    elif t > 0.36 and abs(u) > 1.0 - crease_w / t:
                        counts[CREASE] += 1
                    elif t < 0.17:
                        counts[HEART_ZONE] += 1
                    elif t < 0.32:
                        counts[EYE] += 1
                    else:
                        counts[PETAL] += 1
            inside = ss * ss - counts[OUT]
            if inside * 2 < ss * ss:
                row.append(OUT)
            else:
                row.append(max((PETAL, EYE, HEART_ZONE, CREASE),
                               key=lambda k: counts[k]))
        labels.append(row)
    return labels


def is_edge(labels, x, y):
    size = len(labels)
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        nx, ny = x + dx, y + dy
        if not (0 <= nx < size and 0 <= ny < size) or labels[ny][nx] == OUT:
            return True
    return False


def icon_colour_indices(size):
    labels = icon_labels(size)
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            lab = labels[y][x]
            if lab == OUT:
                row.append(None)
            elif is_edge(labels, x, y) or lab == CREASE:
                row.append(PURPLE)
            elif lab == HEART_ZONE:
                row.append(YELLOW if size >= 32 else WHITE)
            elif lab == EYE:
                row.append(PURPLE if size >= 32 else RED)
            else:
                row.append(MAGENTA)
        out.append(row)
    return out


def icon_mono_indices(size):
    """Black outline, white fill, black ring round the heart; 0 = black."""
    labels = icon_labels(size)
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            lab = labels[y][x]
            if lab == OUT:
                row.append(None)
            elif is_edge(labels, x, y) or lab == CREASE:
                row.append(0)
            elif lab == EYE and any(
                    labels[y + dy][x + dx] == HEART_ZONE
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                row.append(0)
            else:
                row.append(1)
        out.append(row)
    return out


def pack_rows(rows, bpp):
    """Pack rows of indices (None = 0) bottom-up, each padded to 4 bytes."""
    data = bytearray()
    for row in reversed(rows):
        bits = 0
        nbits = 0
        line = bytearray()
        for v in row:
            bits = (bits << bpp) | (v or 0)
            nbits += bpp
            if nbits == 8:
                line.append(bits)
                bits = nbits = 0
        if nbits:
            line.append(bits << (8 - nbits))
        while len(line) % 4:
            line.append(0)
        data += line
    return bytes(data)


def icon_image(rows, bpp, palette):
    size = len(rows)
    xor = pack_rows(rows, bpp)
    mask = pack_rows([[1 if v is None else 0 for v in row] for row in rows], 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + table + xor + mask


def write_icon(path):
    images = [
        (32, 2, 1, icon_image(icon_mono_indices(32), 1,
                              [(0, 0, 0), (255, 255, 255)])),
        (32, 16, 4, icon_image(icon_colour_indices(32), 4, VGA16)),
        (16, 16, 4, icon_image(icon_colour_indices(16), 4, VGA16)),
    ]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    body = b""
    for size, colours, bpp, blob in images:
        entries += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bpp,
                               len(blob), offset)
        body += blob
        offset += len(blob)
    data = head + entries + body
    with open(path, "wb") as f:
        f.write(data)
    return data


# ---------------------------------------------------------------------------
# self-check
# ---------------------------------------------------------------------------

def check_banner(data):
    assert len(data) == 72056, len(data)
    magic, size, _, _, off = struct.unpack_from("<2sIHHI", data, 0)
    assert magic == b"BM" and size == 72056 and off == 54
    (hsize, w, h, planes, bpp, comp, img, _, _, used,
     _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert (hsize, w, h, planes, bpp, comp) == (40, 400, 60, 1, 24, 0)
    assert img == 72000 and used == 0
    assert data[-2:] == b"\0\0"
    # bottom rows (stored first) must be bare background
    for y in range(PLAIN_ROWS):
        row = data[54 + y * 1200: 54 + (y + 1) * 1200]
        top_down_y = BANNER_H - 1 - y
        for x in range(BANNER_W):
            r, g, b = (to_byte(v) for v in background(x + 0.5, top_down_y + 0.5))
            assert row[x * 3: x * 3 + 3] == bytes((b, g, r))


def check_icon(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind, count) == (0, 1, 3)
    expected = [(32, 2, 1), (32, 16, 4), (16, 16, 4)]
    end = 6 + 16 * count
    for i, (size, colours, bpp) in enumerate(expected):
        (w, h, cc, res, planes, bits, nbytes,
         off) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert (w, h, cc, res, planes, bits) == (size, size, colours, 0, 1, bpp)
        assert off == end, (off, end)
        (hsize, bw, bh, bplanes, bbits,
         comp) = struct.unpack_from("<IiiHHI", data, off)
        assert (hsize, bw, bh, bplanes, bbits, comp) == (40, size, size * 2, 1, bpp, 0)
        xor_stride = ((size * bpp + 31) // 32) * 4
        and_stride = ((size + 31) // 32) * 4
        assert nbytes == 40 + 4 * colours + (xor_stride + and_stride) * size
        end = off + nbytes
    assert end == len(data) == 1398, len(data)


def main():
    os.makedirs(RES_DIR, exist_ok=True)
    banner = write_banner(BANNER_PATH)
    icon = write_icon(ICON_PATH)
    check_banner(banner)
    check_icon(icon)
    print("wrote %s (%d bytes)" % (BANNER_PATH, len(banner)))
    print("wrote %s (%d bytes)" % (ICON_PATH, len(icon)))


if __name__ == "__main__":
    main()
