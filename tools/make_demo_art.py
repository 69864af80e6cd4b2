#!/usr/bin/env python3
"""Draws the demo novel's pictures and packs some of them into its images archive.

Everything is drawn here from flat shapes and gradients, so the demo carries no third-party art.
Uses only the standard library: PNG is written with zlib, the archive with zipfile. The output is
byte-for-byte the same on every run (no clocks, a fixed random seed), so regenerating shows no
spurious changes.

    tools/make_demo_art.py [DEMO_DIR]     (default: examples/demo next to this script's folder)

Writes DEMO_DIR/Images/*.png (the loose images) and DEMO_DIR/Images.crvdat (a ZIP holding an
Images/ folder). Images listed in ARCHIVE_ONLY exist only inside the archive.
"""

import io
import math
import os
import random
import struct
import sys
import zipfile
import zlib

# --------------------------------------------------------------------------------------------
# Canvas: rows of RGBA bytes, painted with the "over" operator


class Canvas:
    def __init__(self, w, h, colour=(0, 0, 0, 0)):
        self.w, self.h = w, h
        row = bytes(colour) * w
        self.rows = [bytearray(row) for _ in range(h)]

    def blend(self, x, y, colour, coverage=1.0):
        """Paints one pixel with colour (r, g, b, a) scaled by coverage (0..1)."""
        if not (0 <= x < self.w and 0 <= y < self.h) or coverage <= 0:
            return
        r, g, b, a = colour
        sa = a / 255.0 * min(coverage, 1.0)
        row = self.rows[y]
        i = x * 4
        if sa >= 0.999:
            row[i:i + 4] = bytes((r, g, b, 255))
            return
        da = row[i + 3] / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        for k, s in enumerate((r, g, b)):
            d = row[i + k]
            row[i + k] = int(round((s * sa + d * da * (1 - sa)) / oa))
        row[i + 3] = int(round(oa * 255))

    def span(self, y, x0, x1, colour):
        """Fills row y from x0 to x1 (floats), with partial coverage at both ends."""
        if y < 0 or y >= self.h or x1 <= x0:
            return
        x0 = max(x0, 0.0)
        x1 = min(x1, float(self.w))
        if x1 <= x0:
            return
        a, b = int(math.floor(x0)), int(math.floor(x1))
        if a == b:
            self.blend(a, y, colour, x1 - x0)
            return
        self.blend(a, y, colour, (a + 1) - x0)
        if colour[3] == 255:
            self.rows[y][(a + 1) * 4:b * 4] = bytes(colour) * (b - a - 1)
        else:
            for x in range(a + 1, b):
                self.blend(x, y, colour)
        if b < self.w:
            self.blend(b, y, colour, x1 - b)

    def vgradient(self, y0, y1, top, bottom):
        """Opaque vertical gradient over whole rows y0..y1-1."""
        for y in range(max(y0, 0), min(y1, self.h)):
            t = (y - y0) / max(1, y1 - 1 - y0)
            c = tuple(int(round(top[k] + (bottom[k] - top[k]) * t)) for k in range(3)) + (255,)
            self.rows[y][:] = bytes(c) * self.w

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            # Sample the row at its centre; the horizontal ends get partial coverage.
            dy = (y + 0.5 - cy) / ry
            if abs(dy) >= 1:
                continue
            half = rx * math.sqrt(1 - dy * dy)
            self.span(y, cx - half, cx + half, colour)

    def circle(self, cx, cy, r, colour):
        self.ellipse(cx, cy, r, r, colour)

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(int(y0), int(math.ceil(y1))):
            cov = min(y + 1, y1) - max(y, y0)
            if cov <= 0:
                continue
            c = colour if cov >= 0.999 else colour[:3] + (int(colour[3] * cov),)
            self.span(y, x0, x1, c)

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        for y in range(int(y0), int(math.ceil(y1))):
            yc = y + 0.5
            inset = 0.0
            if yc < y0 + radius:
                d = (y0 + radius - yc) / radius
                inset = radius * (1 - math.sqrt(max(0.0, 1 - d * d)))
            elif yc > y1 - radius:
                d = (yc - (y1 - radius)) / radius
                inset = radius * (1 - math.sqrt(max(0.0, 1 - d * d)))
            self.span(y, x0 + inset, x1 - inset, colour)

    def polygon(self, points, colour):
        """Even-odd scanline fill, sampled at each row's centre."""
        ys = [p[1] for p in points]
        n = len(points)
        for y in range(max(0, int(min(ys))), min(self.h, int(math.ceil(max(ys))) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                self.span(y, xs[i], xs[i + 1], colour)

    def below_curve(self, f, colour, x0=0, x1=None):
        """Fills every pixel below y = f(x) (x at column centres), softening the edge pixel."""
        x1 = self.w if x1 is None else x1
        for x in range(max(0, x0), min(self.w, x1)):
            top = f(x + 0.5)
            first = int(math.floor(top))
            if first >= self.h:
                continue
            if first >= 0:
                self.blend(x, first, colour, (first + 1) - top)
            start = max(first + 1, 0)
            if colour[3] == 255:
                px = bytes(colour)
                for y in range(start, self.h):
                    self.rows[y][x * 4:x * 4 + 4] = px
            else:
                for y in range(start, self.h):
                    self.blend(x, y, colour)

    def line(self, xa, ya, xb, yb, width, colour):
        """A thick segment as a quadrilateral."""
        dx, dy = xb - xa, yb - ya
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny), (xa - nx, ya - ny)], colour)

    def glow(self, cx, cy, r, colour):
        """A soft radial glow fading to nothing at r."""
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) / r
                if d < 1:
                    self.blend(x, y, colour, (1 - d) ** 2)


# --------------------------------------------------------------------------------------------
# PNG writer


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_bytes(canvas, alpha=True):
    """PNG of the canvas (RGBA, or RGB when alpha is False); each row gets the cheaper of the None,
    Sub and Up filters by the usual sum-of-magnitudes estimate."""
    bpp = 4 if alpha else 3
    raw = bytearray()
    prev = bytes(canvas.w * bpp)
    for row in canvas.rows:
        data = bytes(row) if alpha else bytes(b for i, b in enumerate(row) if i % 4 != 3)
        sub = bytes(data[:bpp]) + bytes((data[i] - data[i - bpp]) & 255 for i in range(bpp, len(data)))
        up = bytes((a - b) & 255 for a, b in zip(data, prev))

        def cost(bs):
            return sum(v if v < 128 else 256 - v for v in bs)

        best = min(((0, data), (1, sub), (2, up)), key=lambda c: cost(c[1]))
        raw.append(best[0])
        raw += best[1]
        prev = data
    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _chunk(b"IEND", b""))


# --------------------------------------------------------------------------------------------
# Backgrounds (1280 x 720, the demo's view)

W, H = 1280, 720


def cloud(c, x, y, s):
    white = (255, 255, 255, 235)
    for dx, dy, r in ((0, 0, 38), (42, -14, 46), (90, 0, 36), (45, 14, 40), (-34, 8, 26), (124, 10, 24)):
        c.circle(x + dx * s, y + dy * s, r * s, white)


def tree(c, x, ground, s, leaf):
    c.rect(x - 12 * s, ground - 150 * s, x + 12 * s, ground, (110, 78, 52, 255))
    dark = tuple(int(v * 0.82) for v in leaf[:3]) + (255,)
    for dx, dy, r in ((0, -190, 70), (-55, -150, 52), (55, -150, 52), (-25, -235, 50), (30, -230, 48)):
        c.circle(x + dx * s, ground + dy * s + 8 * s, r * s, dark)
    for dx, dy, r in ((0, -195, 64), (-52, -155, 46), (52, -155, 46), (-22, -240, 44), (28, -236, 42)):
        c.circle(x + dx * s, ground + dy * s, r * s, leaf)


def bg_park():
    c = Canvas(W, H)
    c.vgradient(0, 460, (92, 160, 232), (200, 228, 246))
    c.vgradient(460, H, (200, 228, 246), (200, 228, 246))
    c.glow(1020, 120, 150, (255, 246, 200, 160))
    c.circle(1020, 120, 54, (255, 244, 196, 255))
    cloud(c, 180, 110, 1.1)
    cloud(c, 560, 70, 0.8)
    cloud(c, 820, 190, 0.7)
    c.below_curve(lambda x: 420 + 40 * math.sin(x / 170.0) + 18 * math.sin(x / 53.0 + 1), (150, 190, 170, 255))
    c.below_curve(lambda x: 500 + 30 * math.sin(x / 230.0 + 2) + 10 * math.sin(x / 71.0), (112, 176, 96, 255))
    c.below_curve(lambda x: 590 + 14 * math.sin(x / 300.0 + 0.5), (86, 150, 70, 255))
    # A path that widens towards the viewer.
    c.polygon([(600, 560), (680, 560), (900, H), (380, H)], (222, 200, 158, 255))
    tree(c, 190, 610, 1.25, (74, 140, 64, 255))
    tree(c, 1130, 600, 1.05, (88, 156, 70, 255))
    # A bench by the path.
    c.rect(820, 588, 1000, 600, (140, 96, 60, 255))
    c.rect(820, 560, 1000, 572, (150, 104, 66, 255))
    for x in (832, 980):
        c.rect(x, 600, x + 10, 628, (70, 60, 56, 255))
    return c


def bg_classroom():
    c = Canvas(W, H)
    c.vgradient(0, 520, (238, 226, 200), (222, 206, 176))
    c.vgradient(520, H, (168, 118, 76), (132, 88, 54))
    for y in range(540, H, 36):  # floor boards
        c.rect(0, y, W, y + 2, (110, 72, 44, 255))
    c.rect(0, 510, W, 522, (150, 120, 90, 255))  # skirting board
    # Window with sky and a frame cross.
    c.rect(860, 90, 1220, 420, (246, 244, 236, 255))
    for y in range(104, 406):
        t = (y - 104) / 302
        col = (int(120 + 90 * t), int(180 + 50 * t), int(238 + 10 * t), 255)
        c.span(y, 874, 1206, col)
    cloud(c, 960, 190, 0.55)
    c.rect(1034, 104, 1046, 406, (246, 244, 236, 255))
    c.rect(874, 250, 1206, 262, (246, 244, 236, 255))
    # Blackboard with a few chalk strokes.
    c.rect(90, 110, 760, 400, (120, 92, 64, 255))
    c.rect(104, 124, 746, 386, (46, 84, 66, 255))
    chalk = (232, 236, 228, 220)
    c.line(150, 180, 330, 180, 4, chalk)
    c.line(150, 220, 420, 220, 4, chalk)
    c.line(150, 260, 300, 260, 4, chalk)
    c.circle(560, 240, 50, chalk)
    c.circle(560, 240, 45, (46, 84, 66, 255))
    c.rect(330, 386, 520, 394, (200, 196, 190, 255))  # chalk tray
    # Two desks in front.
    for x in (120, 880):
        c.rect(x, 560, x + 300, 580, (196, 150, 98, 255))
        c.rect(x + 10, 580, x + 290, 600, (170, 126, 80, 255))
        for lx in (x + 20, x + 270):
            c.rect(lx, 600, lx + 10, 700, (90, 90, 96, 255))
    return c


def bg_night():
    c = Canvas(W, H)
    c.vgradient(0, H, (14, 18, 52), (70, 48, 104))
    rng = random.Random(7)
    for _ in range(170):
        x, y = rng.uniform(0, W), rng.uniform(0, 470)
        r = rng.choice((0.8, 1.0, 1.2, 1.6))
        c.circle(x, y, r, (255, 255, 240, rng.randint(150, 255)))
    c.circle(300, 150, 50, (246, 242, 214, 255))
    c.circle(322, 138, 46, tuple(c.rows[138][0:3]) + (255,))  # sky over the disc makes a crescent
    c.glow(300, 150, 120, (230, 230, 255, 70))
    # Skyline: flat towers with lit windows.
    x = 0
    while x < W:
        w = rng.randint(70, 150)
        top = rng.randint(400, 560)
        c.rect(x, top, x + w, H, (24, 22, 40, 255))
        for wy in range(top + 18, H - 20, 30):
            for wx in range(x + 12, x + w - 18, 26):
                if rng.random() < 0.35:
                    c.rect(wx, wy, wx + 12, wy + 14, (250, 214, 120, 255))
        x += w + rng.randint(0, 12)
    return c


# --------------------------------------------------------------------------------------------
# Characters (transparent 400 x 680 figures, waist up)

CW, CH = 400, 680


def character(hair, hair_dark, top, accent, skin, eyes, mouth):
    c = Canvas(CW, CH)
    cx = CW / 2
    # Hair behind the head.
    c.ellipse(cx, 210, 128, 150, hair_dark)
    c.round_rect(cx - 122, 180, cx + 122, 390, 40, hair_dark)
    # Shoulders and body.
    c.round_rect(cx - 150, 400, cx + 150, CH + 40, 70, top)
    c.polygon([(cx - 46, 400), (cx + 46, 400), (cx, 470)], skin)  # neckline
    c.polygon([(cx - 70, 404), (cx - 10, 404), (cx, 500), (cx - 50, 470)], accent)  # collar
    c.polygon([(cx + 70, 404), (cx + 10, 404), (cx, 500), (cx + 50, 470)], accent)
    c.rect(cx - 26, 330, cx + 26, 410, skin)  # neck
    # Head.
    c.ellipse(cx, 220, 104, 128, skin)
    # Fringe over the forehead.
    c.ellipse(cx, 130, 116, 66, hair)
    for dx in (-80, -40, 0, 40, 80):
        c.polygon([(cx + dx - 34, 150), (cx + dx + 34, 150), (cx + dx + 6, 196)], hair)
    # Face.
    eyes(c, cx)
    mouth(c, cx)
    c.ellipse(cx - 62, 270, 18, 9, (250, 160, 160, 110))  # cheeks
    c.ellipse(cx + 62, 270, 18, 9, (250, 160, 160, 110))
    return c


def open_eyes(iris):
    def draw(c, cx):
        for side in (-1, 1):
            ex = cx + side * 44
            c.ellipse(ex, 238, 20, 26, (255, 255, 255, 255))
            c.ellipse(ex, 242, 15, 21, iris)
            c.ellipse(ex, 244, 7, 10, (20, 20, 30, 255))
            c.circle(ex - 5, 233, 4, (255, 255, 255, 255))
            c.line(ex - 20, 212, ex + 20, 210 - side * 2, 4, (60, 40, 30, 255))  # brow
    return draw


def smiling_eyes(c, cx):
    for side in (-1, 1):
        ex = cx + side * 44
        c.polygon([(ex - 20, 246), (ex, 230), (ex + 20, 246), (ex + 16, 250), (ex, 238), (ex - 16, 250)],
                  (40, 30, 36, 255))
        c.line(ex - 20, 212, ex + 20, 210 - side * 2, 4, (60, 40, 30, 255))


def small_mouth(c, cx):
    c.line(cx - 12, 300, cx + 12, 300, 4, (170, 80, 80, 255))


def smile(c, cx):
    c.ellipse(cx, 296, 22, 13, (180, 70, 80, 255))
    c.rect(cx - 24, 282, cx + 24, 296, (253, 226, 206, 255))  # skin over the top half: an open smile


def surprised_mouth(c, cx):
    c.ellipse(cx, 302, 11, 15, (150, 60, 70, 255))


SKIN = (253, 226, 206, 255)


def aoi(expression):
    eyes, mouth = {"normal": (open_eyes((60, 110, 200, 255)), small_mouth),
                   "smile": (smiling_eyes, smile)}[expression]
    return character((70, 110, 190, 255), (48, 80, 150, 255), (240, 244, 250, 255), (60, 90, 170, 255),
                     SKIN, eyes, mouth)


def ren(expression):
    eyes, mouth = {"normal": (open_eyes((140, 90, 50, 255)), small_mouth),
                   "surprised": (open_eyes((140, 90, 50, 255)), surprised_mouth)}[expression]
    return character((130, 80, 50, 255), (96, 58, 36, 255), (190, 50, 60, 255), (250, 240, 230, 255),
                     SKIN, eyes, mouth)


# --------------------------------------------------------------------------------------------
# Small pictures: the wait-input icon and transition masks


def wait_icon():
    c = Canvas(32, 32)
    c.polygon([(4, 9), (28, 9), (16, 27)], (40, 40, 60, 200))  # shadow
    c.polygon([(3, 6), (27, 6), (15, 24)], (255, 255, 255, 255))
    c.polygon([(8, 9), (22, 9), (15, 19)], (250, 200, 90, 255))
    return c


def rule_wipe():
    """Mask for rule transitions: dark on the left, bright on the right."""
    c = Canvas(320, 180)
    for y in range(180):
        c.rows[y][:] = b"".join(bytes((v, v, v, 255)) for v in (x * 255 // 319 for x in range(320)))
    return c


def rule_circle():
    """Mask for rule transitions: dark in the middle, bright at the corners."""
    c = Canvas(320, 180)
    far = math.hypot(160, 90)
    for y in range(180):
        c.rows[y][:] = b"".join(
            bytes((v, v, v, 255)) for v in (int(math.hypot(x + 0.5 - 160, y + 0.5 - 90) / far * 255) for x in range(320)))
    return c


# name -> (painter, keeps an alpha channel)
IMAGES = {
    "bg_park.png": (bg_park, False),
    "bg_classroom.png": (bg_classroom, False),
    "bg_night.png": (bg_night, False),
    "aoi_normal.png": (lambda: aoi("normal"), True),
    "aoi_smile.png": (lambda: aoi("smile"), True),
    "ren_normal.png": (lambda: ren("normal"), True),
    "ren_surprised.png": (lambda: ren("surprised"), True),
    "wait_icon.png": (wait_icon, True),
    "rule_wipe.png": (rule_wipe, False),
    "rule_circle.png": (rule_circle, False),
}

# Packed into Images.crvdat and not written as loose files.
ARCHIVE_ONLY = {"bg_night.png", "ren_surprised.png", "rule_circle.png"}
# Packed into Images.crvdat as well as written loose (the loose copy wins at run time).
ARCHIVE_TOO = {"aoi_normal.png"}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    demo = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "examples", "demo")
    images = os.path.join(demo, "Images")
    os.makedirs(images, exist_ok=True)
    packed = {}
    for name, (paint, alpha) in IMAGES.items():
        data = png_bytes(paint(), alpha)
        if name in ARCHIVE_ONLY or name in ARCHIVE_TOO:
            packed[name] = data
        path = os.path.join(images, name)
        if name in ARCHIVE_ONLY:
            if os.path.exists(path):
                os.remove(path)
            continue
        tmp = path + ".tmp"
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, path)
        print(f"{name:20} {len(data):7} bytes")

    archive = os.path.join(demo, "Images.crvdat")
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for name in sorted(packed):
            info = zipfile.ZipInfo("Images/" + name, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, packed[name])
    with open(archive + ".tmp", "wb") as f:
        f.write(buffer.getvalue())
    os.replace(archive + ".tmp", archive)
    print(f"Images.crvdat        {len(buffer.getvalue()):7} bytes: " + ", ".join(sorted(packed)))


if __name__ == "__main__":
    main()
