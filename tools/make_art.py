#!/usr/bin/env python3
"""Draw the program's artwork: res/app.ico and res/banner.bmp.

Usage:
    python3 tools/make_art.py            # write res/app.ico, res/banner.bmp and res/banner_2x.bmp
    python3 tools/make_art.py --masks    # re-render the text masks (needs ImageMagick)

Only the Python 3 standard library is needed to draw the art.  Every shape is
described by a signed distance function and rasterised with supersampling
(many samples per pixel, averaged in premultiplied colour), so edges are
anti-aliased.  The output depends only on this file and tools/art/*.pgm, so
running it twice gives byte-identical files.

res/app.ico
    Three images, 48x48, 32x32 and 16x16, each a 32 bits per pixel DIB with an
    alpha channel and a 1 bit AND mask (the classic ICO layout that windres and
    old Windows versions read; no PNG-compressed entries).  The picture is a
    teal computer mouse, tilted, with its left button lit in amber and a small
    amber click burst beside it.  The 16x16 image is drawn from a simplified
    scene (no wheel, thicker lines) so it stays legible in the tray.

res/banner.bmp
    236x36, 24 bits per pixel, uncompressed, bottom-up, BITMAPINFOHEADER.
    It stands in for the web banner at the top of the main window and opens
    the maker's website when clicked: a green/teal gradient, the mouse mark on
    the left, the words "访问青梧网站" / "获取更多好软件" and a "立即访问" pill.

res/banner_2x.bmp
    The same picture at 472x72, drawn (not enlarged) from the same scene with
    the text masks rendered at twice their size (the *_2x masks).  The program
    shrinks it to the strip when the screen is scaled above 100 %.

Text masks (tools/art/*.pgm)
    No font rasteriser is used at draw time.  The Chinese text was rendered
    once with ImageMagick and the WenQuanYi Micro Hei font (Debian/Ubuntu
    package fonts-wqy-microhei) into 8-bit greyscale PGM masks (white = ink),
    trimmed to the ink, and committed.  Each mask was made with:

        convert -density 72 -background black -fill white \\
            -font /usr/share/fonts/truetype/wqy/wqy-microhei.ttc \\
            -pointsize SIZE label:"TEXT" -trim +repage -depth 8 \\
            tools/art/NAME.pgm

    with NAME, SIZE and TEXT taken from the MASKS table below.  To change the
    wording, edit MASKS, run `python3 tools/make_art.py --masks` (which runs
    exactly that command for each entry) and then run the script again
    without arguments.  Check the layout in draw_banner() if a mask's width
    changes much.
"""

import math
import os
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART_DIR = os.path.join(ROOT, "tools", "art")
RES_DIR = os.path.join(ROOT, "res")
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# name -> (pixel size, text)
MASKS = {
    "banner_title": (16, "访问青梧网站"),
    "banner_sub": (11, "获取更多好软件"),
    "banner_button": (11, "立即访问"),
}
# The banner is also drawn at twice its size, for screens scaled above 100 %; its
# text is rendered at twice the size too rather than enlarged.
for _name, (_size, _text) in list(MASKS.items()):
    MASKS[_name + "_2x"] = (_size * 2, _text)

# --------------------------------------------------------------------------
# Palette (sRGB, 0..255)

OUTLINE = (9, 72, 66)
BODY_LIGHT = (62, 206, 178)
BODY_DARK = (14, 132, 118)
BUTTON_LIGHT = (255, 224, 102)
BUTTON_DARK = (255, 170, 20)
BURST = (255, 176, 32)
WHEEL = (9, 72, 66)

BANNER_LEFT = (10, 112, 100)
BANNER_RIGHT = (38, 176, 140)


# --------------------------------------------------------------------------
# Small geometry helpers (all distances in design units)

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    t = clamp(t)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def sd_round_box(x, y, hx, hy, r):
    """Signed distance to a box centred at the origin with rounded corners."""
    qx = abs(x) - hx + r
    qy = abs(y) - hy + r
    ox = max(qx, 0.0)
    oy = max(qy, 0.0)
    return math.hypot(ox, oy) + min(max(qx, qy), 0.0) - r


def sd_segment(x, y, ax, ay, bx, by):
    """Distance to the segment a-b."""
    px, py = x - ax, y - ay
    dx, dy = bx - ax, by - ay
    h = clamp((px * dx + py * dy) / (dx * dx + dy * dy))
    return math.hypot(px - dx * h, py - dy * h)


def sd_egg(x, y, hx_top, hx_bottom, hy):
    """A mouse-like body: a rounded box whose half width grows from top to
    bottom.  y grows downwards, the top (buttons) is at y = -hy."""
    t = clamp((y + hy) / (2.0 * hy))
    hx = hx_top + (hx_bottom - hx_top) * t
    return sd_round_box(x, y, hx, hy, min(hx, hy) * 0.98) * 0.97


class Painter:
    """Accumulates colour layers for one sample point (straight RGB 0..255,
    alpha 0..1), composited with the "over" operator."""

    __slots__ = ("r", "g", "b", "a")

    def __init__(self, bg=None):
        if bg is None:
            self.r = self.g = self.b = 0.0
            self.a = 0.0
        else:
            self.r, self.g, self.b = bg
            self.a = 1.0

    def over(self, colour, alpha=1.0):
        if alpha <= 0.0:
            return
        # premultiplied accumulation
        inv = 1.0 - alpha
        self.r = colour[0] * alpha + self.r * self.a * inv
        self.g = colour[1] * alpha + self.g * self.a * inv
        self.b = colour[2] * alpha + self.b * self.a * inv
        na = alpha + self.a * inv
        if na > 0.0:
            self.r /= na
            self.g /= na
            self.b /= na
        self.a = na


# --------------------------------------------------------------------------
# The mouse mark

class MouseMark:
    """The mouse and its click burst, designed on a 48 x 48 unit canvas.

    px_units is the number of design units covered by one output pixel; line
    widths are given partly in pixels so thin strokes stay visible when small.
    """

    def __init__(self, px_units, simple=False, light_body=False, shadow=True):
        self.simple = simple
        self.light_body = light_body
        self.shadow = shadow
        if simple:
            # 16 x 16: bigger body, thick lines, no wheel
            self.cx, self.cy, deg = 30.0, 29.4, -18.0
            self.hx_top, self.hx_bottom, self.hy = 12.5, 13.5, 18.3
            self.outline = 1.0 * px_units
            self.divider = 1.0 * px_units
            self.split = -3.0
            self.burst_w = 1.0 * px_units
            bx, by, r0, r1 = 13.5, 13.5, 6.0, 13.0
            rays = (-90.0, -135.0, 180.0)
        else:
            self.cx, self.cy, deg = 30.0, 28.5, -24.0
            self.hx_top, self.hx_bottom, self.hy = 11.5, 13.0, 18.0
            self.outline = max(1.9, 1.25 * px_units)
            self.divider = max(1.3, 0.9 * px_units)
            self.split = -3.5
            self.burst_w = max(2.6, 1.4 * px_units)
            bx, by, r0, r1 = 14.5, 13.0, 5.5, 11.0
            rays = (-90.0, -136.0, 178.0)
        ang = math.radians(deg)
        self.cos, self.sin = math.cos(ang), math.sin(ang)
        # click burst: three short rays fanning out above and left of the
        # tip of the left button
        self.rays = []
        for deg in rays:
            a = math.radians(deg)
            ca, sa = math.cos(a), math.sin(a)
            self.rays.append((bx + ca * r0, by + sa * r0, bx + ca * r1, by + sa * r1))

    def local(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        # rotate by -angle into the mouse's own frame
        return dx * self.cos + dy * self.sin, -dx * self.sin + dy * self.cos

    def paint(self, p, x, y):
        lx, ly = self.local(x, y)
        d = sd_egg(lx, ly, self.hx_top, self.hx_bottom, self.hy)

        if self.shadow and not self.simple:
            sx, sy = self.local(x - 0.8, y - 1.6)
            ds = sd_egg(sx, sy, self.hx_top, self.hx_bottom, self.hy)
            if ds < 2.5:
                p.over((0, 40, 36), 0.22 * clamp((2.5 - ds) / 3.5))

        # burst rays
        w = self.burst_w * 0.5
        for ax, ay, bx, by in self.rays:
            if sd_segment(x, y, ax, ay, bx, by) < w:
                p.over(BURST)
                break

        if d >= 0.0:
            return
        if d > -self.outline:
            p.over(OUTLINE)
            return

        # interior
        t = (lx + ly * 0.8 + 22.0) / 40.0
        if self.light_body:
            body = mix((255, 255, 255), (206, 240, 230), t)
        else:
            body = mix(BODY_LIGHT, BODY_DARK, t)
        in_buttons = ly < self.split
        if in_buttons and lx < 0.0:
            tb = (ly + self.hy) / (self.hy + self.split)
            colour = mix(BUTTON_LIGHT, BUTTON_DARK, tb * 0.8 + (lx + 8) / 30.0)
        else:
            colour = body
        p.over(colour)

        # dividers between the buttons and between buttons and body
        half = self.divider * 0.5
        if abs(ly - self.split) < half or (in_buttons and abs(lx) < half):
            p.over(OUTLINE)
            return

        # scroll wheel
        if not self.simple:
            dw = sd_round_box(lx, ly - (self.split - 6.5), 1.7, 3.6, 1.7)
            if dw < 0.0:
                p.over(WHEEL)
                if sd_round_box(lx + 0.4, ly - (self.split - 7.6), 0.5, 1.3, 0.5) < 0.0:
                    p.over((120, 220, 200))


def render_rgba(size, scene, ss, units):
    """Render an RGBA image (rows top to bottom) of size x size pixels; each
    pixel averages ss x ss samples.  units = design units across the image."""
    scale = units / size
    offs = [(i + 0.5) / ss for i in range(ss)]
    n = ss * ss
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            ar = ag = ab = aa = 0.0
            for oy in offs:
                y = (py + oy) * scale
                for ox in offs:
                    x = (px + ox) * scale
                    p = Painter()
                    scene.paint(p, x, y)
                    ar += p.r * p.a
                    ag += p.g * p.a
                    ab += p.b * p.a
                    aa += p.a
            if aa > 0.0:
                row.append((ar / aa, ag / aa, ab / aa, aa / n))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


def to_byte(v):
    return int(clamp(v / 255.0) * 255.0 + 0.5)


# --------------------------------------------------------------------------
# ICO writer

def ico_image(rows):
    """One ICO entry: BITMAPINFOHEADER, BGRA pixels bottom-up, AND mask."""
    size = len(rows)
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            ab = int(clamp(a) * 255.0 + 0.5)
            if ab == 0:
                xor += b"\0\0\0\0"
            else:
                xor += bytes((to_byte(b), to_byte(g), to_byte(r), ab))
            if ab < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    """images: list of (size, rows)."""
    count = len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    blobs = [ico_image(rows) for _, rows in images]
    offset = 6 + 16 * count
    for (size, _), blob in zip(images, blobs):
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def draw_icon():
    images = []
    for size, ss in ((48, 8), (32, 10), (16, 12)):
        scene = MouseMark(48.0 / size, simple=(size == 16))
        images.append((size, render_rgba(size, scene, ss, 48.0)))
    return images


# --------------------------------------------------------------------------
# PGM masks

def read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            while data[pos:pos + 1] not in (b"\n", b""):
                pos += 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    if fields[0] != b"P5" or int(fields[3]) != 255:
        raise ValueError("%s: expected an 8-bit binary PGM" % path)
    w, h = int(fields[1]), int(fields[2])
    pix = data[pos:pos + w * h]
    if len(pix) != w * h:
        raise ValueError("%s: truncated" % path)
    return w, h, pix


def make_masks():
    os.makedirs(ART_DIR, exist_ok=True)
    for name, (size, text) in MASKS.items():
        out = os.path.join(ART_DIR, name + ".pgm")
        cmd = ["convert", "-density", "72", "-background", "black",
               "-fill", "white", "-font", FONT, "-pointsize", str(size),
               "label:" + text, "-trim", "+repage", "-depth", "8", out]
        print(" ".join(cmd))
        subprocess.run(cmd, check=True)


# --------------------------------------------------------------------------
# Banner

BANNER_W, BANNER_H = 236, 36


def write_bmp24(path, w, h, pixels):
    """pixels: rows top to bottom of (r, g, b) bytes."""
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0,
                       14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + bytes(body))


def banner_background(x, y):
    t = x / BANNER_W
    c = mix(BANNER_LEFT, BANNER_RIGHT, t * 0.9 + (1.0 - y / BANNER_H) * 0.15)
    # faint large rings for a little depth
    for cx, cy, r, a in ((200.0, -30.0, 62.0, 0.07), (150.0, 58.0, 40.0, 0.05),
                         (18.0, 40.0, 34.0, 0.05)):
        if math.hypot(x - cx, y - cy) < r:
            c = mix(c, (255, 255, 255), a)
    # light top edge and dark bottom edge
    if y < 1.0:
        c = mix(c, (255, 255, 255), 0.25)
    if y > BANNER_H - 1.0:
        c = mix(c, (0, 50, 44), 0.35)
    return c


class BannerScene:
    def __init__(self, button_text_w):
        # the mark: its 48 unit canvas drawn 34 px tall at the left
        self.mark_px = 34.0
        self.mark_x, self.mark_y = 2.0, 1.5
        self.mark = MouseMark(48.0 / self.mark_px, shadow=True, light_body=True)
        # the pill button at the right: padding, text, gap, chevron, padding
        x1 = BANNER_W - 7.0
        x0 = x1 - (9 + button_text_w + 5 + 4 + 9)
        self.pill = (x0, 8.0, x1, 28.0)

    def paint(self, p, x, y):
        s = 48.0 / self.mark_px
        mx, my = (x - self.mark_x) * s, (y - self.mark_y) * s
        if -2.0 <= mx <= 50.0 and -2.0 <= my <= 50.0:
            self.mark.paint(p, mx, my)
        x0, y0, x1, y1 = self.pill
        hx, hy = (x1 - x0) / 2.0, (y1 - y0) / 2.0
        cx, cy = x0 + hx, y0 + hy
        d = sd_round_box(x - cx, y - cy, hx, hy, hy)
        if d < 0.0:
            p.over((255, 255, 255), 0.16)
        if abs(d + 0.5) < 0.5:
            p.over((255, 255, 255), 0.55)
        # chevron inside the pill
        ax, ay = x1 - 9.0 - 3.5, cy - 3.5
        if (sd_segment(x, y, ax, ay, ax + 3.5, cy) < 0.75 or
                sd_segment(x, y, ax + 3.5, cy, ax, cy + 3.5) < 0.75):
            p.over((255, 255, 255))


def draw_banner(k=1):
    """The banner at k times its design size (k = 1 or 2): the same scene, the
    text from the masks rendered at k times their size."""
    w, h = BANNER_W * k, BANNER_H * k
    suffix = "" if k == 1 else "_%dx" % k
    ss = 4
    offs = [(i + 0.5) / ss for i in range(ss)]
    bw, bh = read_pgm(os.path.join(ART_DIR, "banner_button.pgm"))[:2]
    scene = BannerScene(bw)
    img = []
    for py in range(h):
        row = []
        for px in range(w):
            ar = ag = ab = 0.0
            for oy in offs:
                for ox in offs:
                    x, y = (px + ox) / k, (py + oy) / k
                    p = Painter(banner_background(x, y))
                    scene.paint(p, x, y)
                    ar += p.r
                    ag += p.g
                    ab += p.b
            n = ss * ss
            row.append([ar / n, ag / n, ab / n])
        img.append(row)

    def stamp(name, left, top, colour, opacity=1.0, shadow=0.0):
        mw, mh, pix = read_pgm(os.path.join(ART_DIR, name + suffix + ".pgm"))
        for layer in ((k, (0, 52, 46), shadow), (0, colour, opacity)):
            off, col, op = layer
            if op <= 0.0:
                continue
            for j in range(mh):
                yy = top + j + off
                if not 0 <= yy < h:
                    continue
                for i in range(mw):
                    xx = left + i + off
                    if not 0 <= xx < w:
                        continue
                    a = pix[j * mw + i] / 255.0 * op
                    if a > 0.0:
                        img[yy][xx] = list(mix(img[yy][xx], col, a))
        return mw, mh

    # text block, left aligned after the mark
    tw, th = read_pgm(os.path.join(ART_DIR, "banner_title" + suffix + ".pgm"))[:2]
    sw, sh = read_pgm(os.path.join(ART_DIR, "banner_sub" + suffix + ".pgm"))[:2]
    kbw, kbh = read_pgm(os.path.join(ART_DIR, "banner_button" + suffix + ".pgm"))[:2]
    gap = 3 * k
    top = (h - (th + gap + sh)) // 2
    stamp("banner_title", 42 * k, top, (255, 255, 255), 1.0, 0.35)
    stamp("banner_sub", 42 * k, top + th + gap, (214, 250, 236), 1.0, 0.25)
    x0, y0, x1, y1 = scene.pill
    # centred in the pill's text room (the pill is sized for the 1x text)
    room = (x1 - x0 - 9 - 5 - 4 - 9) * k
    stamp("banner_button", int((x0 + 9) * k + (room - kbw) / 2.0 + 0.5),
          int(((y0 + y1) * k - kbh) / 2.0 + 0.5), (255, 255, 255), 1.0, 0.0)

    return [[tuple(to_byte(v) for v in px) for px in row] for row in img]


# --------------------------------------------------------------------------

def main(argv):
    if "--masks" in argv[1:]:
        make_masks()
        return 0
    os.makedirs(RES_DIR, exist_ok=True)
    write_ico(os.path.join(RES_DIR, "app.ico"), draw_icon())
    write_bmp24(os.path.join(RES_DIR, "banner.bmp"), BANNER_W, BANNER_H,
                draw_banner())
    write_bmp24(os.path.join(RES_DIR, "banner_2x.bmp"), BANNER_W * 2,
                BANNER_H * 2, draw_banner(2))
    print("wrote res/app.ico, res/banner.bmp and res/banner_2x.bmp")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
