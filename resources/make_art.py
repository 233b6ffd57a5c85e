#!/usr/bin/env python3
"""Draws morvi's own icon, cursors, tool buttons and free-space icons as PNG files in art/.

Run it again after changing a drawing; the PNGs are checked in so the build needs no Python."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "art")


def write_png(path, w, h, px):
    raw = b"".join(b"\0" + bytes(c for p in px[y * w:(y + 1) * w] for c in p) for y in range(h))

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# Every picture is drawn in its own coordinates; SCALE 2 draws the @2x version for screens with a
# display scale of 2, from the same drawing.
SCALE = 1


class Canvas:
    def __init__(self, w, h):
        self.k = SCALE
        self.w, self.h = w * self.k, h * self.k
        self.px = [(0, 0, 0, 0)] * (self.w * self.h)

    def blend(self, x, y, rgba, cover=1.0):
        if not (0 <= x < self.w and 0 <= y < self.h) or cover <= 0:
            return
        r, g, b, a = rgba
        a = a / 255.0 * min(cover, 1.0)
        R, G, B, A = self.px[y * self.w + x]
        A /= 255.0
        out = a + A * (1 - a)
        if out <= 0:
            return
        mix = lambda s, d: (s * a + d * A * (1 - a)) / out
        self.px[y * self.w + x] = (round(mix(r, R)), round(mix(g, G)), round(mix(b, B)), round(out * 255))

    def shape(self, inside, rgba, ss=4):
        for y in range(self.h):
            for x in range(self.w):
                hits = sum(inside((x + (i + 0.5) / ss) / self.k, (y + (j + 0.5) / ss) / self.k)
                           for i in range(ss) for j in range(ss))
                self.blend(x, y, rgba, hits / (ss * ss))

    def polygon(self, pts, rgba):
        def inside(px, py):
            c = False
            for i in range(len(pts)):
                (x1, y1), (x2, y2) = pts[i], pts[i - 1]
                if (y1 > py) != (y2 > py) and px < (x2 - x1) * (py - y1) / (y2 - y1) + x1:
                    c = not c
            return c
        self.shape(inside, rgba)

    def circle(self, cx, cy, r, rgba):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, rgba)

    def rect(self, x0, y0, x1, y1, rgba):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, rgba)

    def save(self, name):
        if self.k != 1:
            name = name.replace(".png", "@%dx.png" % self.k)
        write_png(os.path.join(OUT, name), self.w, self.h, self.px)


def along(x0, y0, x1, y1, t0, t1, half):
    """A quadrilateral around the segment from t0 to t1 of the line (x0,y0)-(x1,y1)."""
    dx, dy = x1 - x0, y1 - y0
    n = (dx * dx + dy * dy) ** 0.5
    nx, ny = -dy / n * half, dx / n * half
    a = (x0 + dx * t0, y0 + dy * t0)
    b = (x0 + dx * t1, y0 + dy * t1)
    return [(a[0] + nx, a[1] + ny), (b[0] + nx, b[1] + ny), (b[0] - nx, b[1] - ny), (a[0] - nx, a[1] - ny)]


OUTLINE = (24, 24, 32, 255)


def pencil(c, s, ox=0, oy=0):
    """A pencil from its tip at the bottom left to the top right, s the size of the box."""
    x0, y0, x1, y1 = ox + 1 * s / 32, oy + 31 * s / 32, ox + 29 * s / 32, oy + 3 * s / 32
    w = 4.2 * s / 32
    c.polygon(along(x0, y0, x1, y1, 0.0, 1.0, w + 1.2 * s / 32), OUTLINE)
    c.polygon(along(x0, y0, x1, y1, 0.25, 0.82, w), (250, 196, 40, 255))
    c.polygon(along(x0, y0, x1, y1, 0.25, 0.82, w / 3), (255, 226, 120, 255))
    c.polygon(along(x0, y0, x1, y1, 0.82, 0.88, w), (200, 200, 210, 255))
    c.polygon(along(x0, y0, x1, y1, 0.88, 0.98, w), (236, 120, 150, 255))
    tip = along(x0, y0, x1, y1, 0.25, 0.25, w)
    c.polygon([(x0 + 1.2 * s / 32 * 0.7, y0 - 1.2 * s / 32 * 0.7), tip[0], tip[3]], (238, 210, 170, 255))
    c.polygon([(x0, y0), ((x0 * 3 + tip[0][0]) / 4 + 0.6, (y0 * 3 + tip[0][1]) / 4 - 0.6),
               ((x0 * 3 + tip[3][0]) / 4 + 0.6, (y0 * 3 + tip[3][1]) / 4 - 0.6)], (40, 40, 48, 255))


def eraser(c, s, ox=0, oy=0):
    x0, y0, x1, y1 = ox + 3 * s / 32, oy + 29 * s / 32, ox + 28 * s / 32, oy + 4 * s / 32
    w = 6.5 * s / 32
    c.polygon(along(x0, y0, x1, y1, 0.0, 1.0, w + 1.3 * s / 32), OUTLINE)
    c.polygon(along(x0, y0, x1, y1, 0.03, 0.45, w), (245, 120, 140, 255))
    c.polygon(along(x0, y0, x1, y1, 0.45, 0.97, w), (90, 140, 230, 255))
    c.polygon(along(x0, y0, x1, y1, 0.5, 0.92, w / 3), (150, 190, 250, 255))
    c.polygon(along(x0, y0, x1, y1, 0.44, 0.46, w), OUTLINE)


def dropper(c, s, ox=0, oy=0):
    x0, y0, x1, y1 = ox + 1 * s / 32, oy + 31 * s / 32, ox + 25 * s / 32, oy + 7 * s / 32
    c.polygon(along(x0, y0, x1, y1, 0.0, 0.75, 2.6 * s / 32), OUTLINE)
    c.polygon(along(x0, y0, x1, y1, 0.05, 0.72, 1.5 * s / 32), (190, 235, 250, 255))
    c.polygon(along(x0, y0, x1, y1, 0.05, 0.35, 1.5 * s / 32), (60, 170, 90, 255))
    c.polygon(along(x0, y0, x1, y1, 0.7, 0.82, 4.6 * s / 32), OUTLINE)
    c.polygon(along(x0, y0, x1, y1, 0.72, 0.80, 3.4 * s / 32), (120, 120, 135, 255))
    c.circle(ox + 26.5 * s / 32, oy + 5.5 * s / 32, 5.0 * s / 32, OUTLINE)
    c.circle(ox + 26.5 * s / 32, oy + 5.5 * s / 32, 3.8 * s / 32, (60, 60, 72, 255))
    c.circle(ox + 25.5 * s / 32, oy + 4.5 * s / 32, 1.3 * s / 32, (140, 140, 160, 255))


def line_tool(c, s, ox=0, oy=0):
    """A line between two handles."""
    x0, y0, x1, y1 = ox + 5 * s / 32, oy + 27 * s / 32, ox + 27 * s / 32, oy + 5 * s / 32
    c.polygon(along(x0, y0, x1, y1, 0.0, 1.0, 2.4 * s / 32), OUTLINE)
    c.polygon(along(x0, y0, x1, y1, 0.0, 1.0, 1.2 * s / 32), (70, 150, 240, 255))
    for x, y in ((x0, y0), (x1, y1)):
        c.rect(x - 3.5 * s / 32, y - 3.5 * s / 32, x + 3.5 * s / 32, y + 3.5 * s / 32, OUTLINE)
        c.rect(x - 2.2 * s / 32, y - 2.2 * s / 32, x + 2.2 * s / 32, y + 2.2 * s / 32, (255, 255, 255, 255))


def rectangle_tool(c, s, ox=0, oy=0):
    k = s / 32
    c.rect(ox + 4 * k, oy + 7 * k, ox + 28 * k, oy + 25 * k, OUTLINE)
    c.rect(ox + 6.5 * k, oy + 9.5 * k, ox + 25.5 * k, oy + 22.5 * k, (70, 150, 240, 255))
    c.rect(ox + 8.5 * k, oy + 11.5 * k, ox + 23.5 * k, oy + 20.5 * k, (0, 0, 0, 0))
    c.shape(lambda x, y: ox + 8.5 * k <= x < ox + 23.5 * k and oy + 11.5 * k <= y < oy + 20.5 * k, OUTLINE)
    c.shape(lambda x, y: ox + 9.5 * k <= x < ox + 22.5 * k and oy + 12.5 * k <= y < oy + 19.5 * k, (226, 232, 246, 255))


def select_tool(c, s, ox=0, oy=0):
    """A dashed frame, black and white, with an arrow of moving at its corner."""
    k = s / 32
    x0, y0, x1, y1 = 4, 6, 26, 24
    c.rect(ox + x0 * k, oy + y0 * k, ox + x1 * k, oy + y1 * k, (255, 255, 255, 255))
    c.rect(ox + (x0 + 2) * k, oy + (y0 + 2) * k, ox + (x1 - 2) * k, oy + (y1 - 2) * k, (0, 0, 0, 0))
    c.shape(lambda x, y: (ox + (x0 + 2) * k <= x < ox + (x1 - 2) * k and oy + (y0 + 2) * k <= y < oy + (y1 - 2) * k), (0, 0, 0, 0))
    # black dashes along the white frame
    for t in range(x0, x1, 4):
        c.rect(ox + t * k, oy + y0 * k, ox + min(t + 2, x1) * k, oy + (y0 + 2) * k, OUTLINE)
        c.rect(ox + t * k, oy + (y1 - 2) * k, ox + min(t + 2, x1) * k, oy + y1 * k, OUTLINE)
    for t in range(y0, y1, 4):
        c.rect(ox + x0 * k, oy + t * k, ox + (x0 + 2) * k, oy + min(t + 2, y1) * k, OUTLINE)
        c.rect(ox + (x1 - 2) * k, oy + t * k, ox + x1 * k, oy + min(t + 2, y1) * k, OUTLINE)
    c.polygon([(ox + 18 * k, oy + 16 * k), (ox + 30 * k, oy + 22 * k), (ox + 25 * k, oy + 24 * k),
               (ox + 28 * k, oy + 30 * k), (ox + 26 * k, oy + 31 * k), (ox + 23 * k, oy + 25 * k), (ox + 19 * k, oy + 28 * k)],
              OUTLINE)
    c.polygon([(ox + 19.5 * k, oy + 18 * k), (ox + 27.5 * k, oy + 22 * k), (ox + 24 * k, oy + 23.2 * k),
               (ox + 19.8 * k, oy + 26 * k)], (255, 255, 255, 255))


def ellipse_tool(c, s, ox=0, oy=0):
    k = s / 32
    cx, cy = ox + 16 * k, oy + 16 * k
    ring = lambda rx, ry: (lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1)
    c.shape(ring(13 * k, 10 * k), OUTLINE)
    c.shape(ring(11.5 * k, 8.5 * k), (70, 150, 240, 255))
    c.shape(ring(9.5 * k, 6.5 * k), OUTLINE)
    c.shape(ring(8.5 * k, 5.5 * k), (226, 232, 246, 255))


def bucket(c, s, ox=0, oy=0):
    """A tipped paint bucket pouring a drop at the bottom left."""
    k = s / 32
    body = [(ox + 9 * k, oy + 12 * k), (ox + 19 * k, oy + 3 * k), (ox + 29 * k, oy + 14 * k), (ox + 19 * k, oy + 24 * k)]
    c.polygon([(x + (x - ox - 19 * k) * 0.12, y + (y - oy - 13 * k) * 0.12) for x, y in body], OUTLINE)
    c.polygon(body, (200, 205, 215, 255))
    c.polygon([(ox + 9 * k, oy + 12 * k), (ox + 19 * k, oy + 3 * k), (ox + 21 * k, oy + 5.5 * k), (ox + 11 * k, oy + 14.5 * k)],
              (120, 200, 90, 255))
    c.circle(ox + 6 * k, oy + 24 * k, 4.2 * k, OUTLINE)
    c.circle(ox + 6 * k, oy + 24 * k, 3 * k, (120, 200, 90, 255))
    c.polygon([(ox + 3.2 * k, oy + 22 * k), (ox + 6 * k, oy + 14 * k), (ox + 8.8 * k, oy + 22 * k)], (120, 200, 90, 255))


def dither_tool(c, s, ox=0, oy=0):
    """A checkerboard of blue squares: every other pixel painted."""
    k = s / 32
    c.rect(ox + 4 * k, oy + 4 * k, ox + 28 * k, oy + 28 * k, OUTLINE)
    c.rect(ox + 5.5 * k, oy + 5.5 * k, ox + 26.5 * k, oy + 26.5 * k, (226, 232, 246, 255))
    for ty in range(4):
        for tx in range(4):
            if (tx + ty) % 2 == 0:
                x0, y0 = ox + (5.5 + 5.25 * tx) * k, oy + (5.5 + 5.25 * ty) * k
                c.rect(x0, y0, x0 + 5.25 * k, y0 + 5.25 * k, (70, 150, 240, 255))


def crosshair(glyph):
    """A cursor for the shape tools: a crosshair at (7, 7) and the tool's picture small beside it."""
    c = Canvas(32, 32)
    for (x0, y0, x1, y1) in ((0, 6, 6, 9), (9, 6, 15, 9), (6, 0, 9, 6), (6, 9, 9, 15)):
        c.rect(x0, y0, x1, y1, (255, 255, 255, 255))
    for (x0, y0, x1, y1) in ((0, 7, 6, 8), (9, 7, 15, 8), (7, 0, 8, 6), (7, 9, 8, 15)):
        c.rect(x0, y0, x1, y1, OUTLINE)
    glyph(c, 17, 14, 14)
    return c


def icon(size):
    c = Canvas(size, size)
    k = size / 32
    c.shape(lambda x, y: 1 * k <= x < 31 * k and 1 * k <= y < 31 * k and
            min(x - 1 * k, 31 * k - x, y - 1 * k, 31 * k - y) + 0.0 >= 0, (36, 40, 78, 255))
    # a checker of SNES tiles behind
    for ty in range(4):
        for tx in range(4):
            if (tx + ty) % 2:
                c.rect((2 + 7 * tx) * k, (2 + 7 * ty) * k, (2 + 7 * tx + 7) * k, (2 + 7 * ty + 7) * k, (52, 58, 104, 255))
    # a little horned creature
    c.circle(16 * k, 18 * k, 10 * k, OUTLINE)
    c.circle(16 * k, 18 * k, 8.8 * k, (120, 200, 90, 255))
    c.polygon([(8 * k, 12 * k), (6 * k, 3 * k), (12 * k, 9 * k)], (245, 235, 200, 255))
    c.polygon([(24 * k, 12 * k), (26 * k, 3 * k), (20 * k, 9 * k)], (245, 235, 200, 255))
    c.circle(12 * k, 16 * k, 2.6 * k, (255, 255, 255, 255))
    c.circle(20 * k, 16 * k, 2.6 * k, (255, 255, 255, 255))
    c.circle(12.6 * k, 16.4 * k, 1.3 * k, (20, 20, 30, 255))
    c.circle(20.6 * k, 16.4 * k, 1.3 * k, (20, 20, 30, 255))
    c.rect(11 * k, 22 * k, 21 * k, 24 * k, (40, 90, 40, 255))
    c.rect(13 * k, 22 * k, 15 * k, 25 * k, (255, 255, 255, 255))
    c.rect(17 * k, 22 * k, 19 * k, 25 * k, (255, 255, 255, 255))
    return c


def button(tool, current):
    c = Canvas(42, 42)
    face = (70, 120, 210, 255) if current else (226, 226, 232, 255)
    edge = (30, 60, 140, 255) if current else (140, 140, 150, 255)
    c.rect(0, 0, 42, 42, edge)
    c.rect(1, 1, 41, 41, face)
    if current:
        c.rect(1, 1, 41, 3, (40, 80, 170, 255))
        c.rect(1, 1, 3, 41, (40, 80, 170, 255))
    tool(c, 32, 5, 5)
    return c


def free_space_ok():
    c = Canvas(20, 20)
    c.circle(10, 10, 9.5, (30, 110, 50, 255))
    c.circle(10, 10, 8.2, (60, 180, 80, 255))
    c.polygon([(4.5, 10.5), (6.5, 8.5), (9, 11), (14, 5.5), (16, 7.5), (9, 15)], (255, 255, 255, 255))
    return c


def free_space_over():
    c = Canvas(20, 20)
    c.polygon([(10, 0.5), (19.5, 19), (0.5, 19)], (150, 20, 20, 255))
    c.polygon([(10, 3), (17.5, 17.8), (2.5, 17.8)], (230, 50, 40, 255))
    c.rect(9, 7, 11, 13.5, (255, 255, 255, 255))
    c.rect(9, 15, 11, 17, (255, 255, 255, 255))
    return c


def main():
    global SCALE
    os.makedirs(OUT, exist_ok=True)
    icon(32).save("morvi-32.png")
    icon(64).save("morvi-64.png")
    icon(128).save("morvi-128.png")
    icon(256).save("morvi-256.png")
    for SCALE in (1, 2):
        draw_scaled()


def draw_scaled():
    for name, tool in (("draw", pencil), ("erase", eraser), ("pick", dropper), ("fill", bucket)):
        cur = Canvas(32, 32)
        tool(cur, 32)
        cur.save("cursor-%s.png" % name)
        button(tool, False).save("tool-%s.png" % name)
        button(tool, True).save("tool-%s-current.png" % name)
    for name, tool in (("line", line_tool), ("rectangle", rectangle_tool), ("ellipse", ellipse_tool),
                       ("select", select_tool), ("dither", dither_tool)):
        crosshair(tool).save("cursor-%s.png" % name)
        button(tool, False).save("tool-%s.png" % name)
        button(tool, True).save("tool-%s-current.png" % name)
    free_space_ok().save("space-ok.png")
    free_space_over().save("space-over.png")


if __name__ == "__main__":
    main()
