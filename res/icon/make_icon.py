#!/usr/bin/env python3
"""Draws the Hushdesk icon and writes it as a Windows .ico file.

This script is the icon's source: to change the picture, edit draw_icon()
below and run it again.  It needs nothing but the Python 3 standard library.

    python3 res/icon/make_icon.py [OUTPUT.ico] [--preview DIR]

OUTPUT defaults to res/hushdesk.ico (relative to the repository root, i.e.
two directories above this file).  With --preview, an 8x enlarged PNG of each
size (as it comes out of the .ico, palette and mask applied) is written to
DIR, plus a sheet showing all sizes at 1x and 8x on light and dark grounds.

The picture: an application window (light body, blue title bar with a red
close button at its right end) wearing a pair of dark sunglasses.

The .ico holds three 256-colour images, 48x48, 32x32 and 16x16, in that
order; each is a DIB with an 8-bit colour table of 256 entries and a 1-bit
AND mask that makes the background transparent.
"""

import math
import os
import struct
import sys
import zlib

SIZES = (48, 32, 16)
SUPERSAMPLE = 8  # sub-samples per pixel along each axis, for anti-aliasing


# ---------------------------------------------------------------------------
# Colours
# ---------------------------------------------------------------------------

def hex_rgb(text, alpha=1.0):
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


def mix(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vgradient(top_colour, bottom_colour, y0, y1):
    """A colour function that fades from top_colour at y0 to bottom_colour at y1."""
    span = max(1e-6, y1 - y0)
    return lambda x, y: mix(top_colour, bottom_colour, (y - y0) / span)


OUTLINE = hex_rgb("#22324F")        # window border
TITLE_TOP = hex_rgb("#5B9BF8")      # title bar, top edge
TITLE_BOTTOM = hex_rgb("#2D67D2")   # title bar, bottom edge
TITLE_RULE = hex_rgb("#1F4E9E")     # line under the title bar
BODY_TOP = hex_rgb("#FBFCFE")       # window body
BODY_BOTTOM = hex_rgb("#E3E9F2")
CONTENT = hex_rgb("#C9D3E3")        # faint "text" lines in the body
CLOSE = hex_rgb("#E8474C")          # close button
CLOSE_DARK = hex_rgb("#B8282E")
CLOSE_X = hex_rgb("#FFFFFF")
LENS_TOP = hex_rgb("#10131A")       # sunglasses
LENS_BOTTOM = hex_rgb("#343B4A")
GLASSES_FRAME = hex_rgb("#0B0D12")
GLINT = (255, 255, 255, 0.55)       # highlight on the lenses
GLINT_SOFT = (255, 255, 255, 0.22)


# ---------------------------------------------------------------------------
# Canvas and drawing primitives
#
# Every primitive takes coordinates in output pixels (floats are fine; pixel
# (i, j) spans [i, i+1) x [j, j+1)).  Internally the canvas is SUPERSAMPLE
# times finer and a shape covers a sub-sample when the sub-sample's centre is
# inside it, so shapes on whole-pixel boundaries come out crisp and curved
# edges get anti-aliased when the canvas is reduced.
# ---------------------------------------------------------------------------

class Canvas:
    def __init__(self, size, ss=SUPERSAMPLE):
        self.size = size
        self.ss = ss
        self.n = size * ss
        # premultiplied RGBA, 0..255 for colour and 0..1 for alpha
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.n * self.n)]

    def _plot(self, i, j, colour):
        r, g, b, a = colour
        if a <= 0.0:
            return
        p = self.px[j * self.n + i]
        k = 1.0 - a
        p[0] = r * a + p[0] * k
        p[1] = g * a + p[1] * k
        p[2] = b * a + p[2] * k
        p[3] = a + p[3] * k

    def fill(self, bbox, inside, colour, clip=None):
        """Paints every sub-sample within bbox for which inside(x, y) holds.

        colour is an (r, g, b, a) tuple or a function of (x, y) giving one;
        clip, if given, is a further predicate the point must satisfy.
        """
        x0, y0, x1, y1 = bbox
        ss = self.ss
        i0 = max(0, int(math.floor(x0 * ss)))
        i1 = min(self.n, int(math.ceil(x1 * ss)))
        j0 = max(0, int(math.floor(y0 * ss)))
        j1 = min(self.n, int(math.ceil(y1 * ss)))
        solid = not callable(colour)
        for j in range(j0, j1):
            y = (j + 0.5) / ss
            for i in range(i0, i1):
                x = (i + 0.5) / ss
                if inside(x, y) and (clip is None or clip(x, y)):
                    self._plot(i, j, colour if solid else colour(x, y))

    # -- shapes -------------------------------------------------------------

    def rect(self, x0, y0, x1, y1, colour, clip=None):
        self.fill((x0, y0, x1, y1), in_rect(x0, y0, x1, y1), colour, clip)

    def round_rect(self, x0, y0, x1, y1, radius, colour, clip=None):
        self.fill((x0, y0, x1, y1), in_round_rect(x0, y0, x1, y1, radius),
                  colour, clip)

    def ellipse(self, cx, cy, rx, ry, colour, clip=None):
        self.fill((cx - rx, cy - ry, cx + rx, cy + ry),
                  in_ellipse(cx, cy, rx, ry), colour, clip)

    def lens(self, x0, y0, x1, y1, colour, clip=None, power=2.6):
        self.fill((x0, y0, x1, y1), in_lens(x0, y0, x1, y1, power),
                  colour, clip)

    def line(self, xa, ya, xb, yb, width, colour, clip=None):
        h = width / 2.0
        bbox = (min(xa, xb) - h, min(ya, yb) - h, max(xa, xb) + h,
                max(ya, yb) + h)
        self.fill(bbox, in_line(xa, ya, xb, yb, width), colour, clip)

    # -- output -------------------------------------------------------------

    def reduce(self):
        """Averages the sub-samples down to size x size straight RGBA pixels
        (colour 0..255, alpha 0..1)."""
        ss, n, size = self.ss, self.n, self.size
        out = []
        area = float(ss * ss)
        for y in range(size):
            for x in range(size):
                r = g = b = a = 0.0
                for j in range(y * ss, (y + 1) * ss):
                    row = j * n
                    for i in range(x * ss, (x + 1) * ss):
                        p = self.px[row + i]
                        r += p[0]
                        g += p[1]
                        b += p[2]
                        a += p[3]
                if a > 0.0:
                    out.append((r / a, g / a, b / a, a / area))
                else:
                    out.append((0.0, 0.0, 0.0, 0.0))
        return out


# Point-in-shape tests, also usable as clip regions.

def in_rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def in_round_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def in_ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def in_lens(x0, y0, x1, y1, power=2.6):
    """A sunglasses lens: flat along the top edge y0, the lower part a
    super-ellipse bulging down to y1, a little wider at the top."""
    cx = (x0 + x1) / 2.0
    rx = (x1 - x0) / 2.0
    ry = y1 - y0

    def inside(x, y):
        if y < y0 or y >= y1:
            return False
        t = (y - y0) / ry
        # narrow the lens slightly towards the bottom, wayfarer style
        half = rx * (1.0 - 0.12 * t)
        u = abs(x - cx) / half
        return u ** power + t ** power <= 1.0
    return inside


def in_line(xa, ya, xb, yb, width):
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy or 1e-9
    h2 = (width / 2.0) ** 2

    def inside(x, y):
        t = ((x - xa) * dx + (y - ya) * dy) / length2
        t = min(1.0, max(0.0, t))
        px, py = xa + t * dx - x, ya + t * dy - y
        return px * px + py * py <= h2
    return inside


# ---------------------------------------------------------------------------
# The picture
# ---------------------------------------------------------------------------

# Geometry for the two larger sizes, in pixels.  16x16 is drawn by hand in
# draw_small() because scaling the big layout down turns it to mush.
LAYOUTS = {
    48: dict(
        window=(1, 4, 47, 44), radius=3.5,
        title_bottom=15,                      # first body row
        close=(38, 6, 45, 13),                # close button box
        close_x=5,                            # the X is n x n whole pixels
        content=[(6, 18, 30), (6, 39, 24)],   # (x0, y, x1) text lines
        content_h=2,
        lenses=((5, 24.5, 22.5, 36), (25.5, 24.5, 43, 36)),
        brow=(4, 23, 44, 26.5),               # bar across the top of both lenses
        temples=(2, 23.5, 4, 25.5),           # stubs running to the window edge
        temple_r=(44, 23.5, 46, 25.5),
        glint_w=1.6,
        second_glint=True,
    ),
    32: dict(
        window=(0, 3, 32, 30), radius=2.5,
        title_bottom=10,
        close=(25, 4, 30, 9),
        close_x=3,
        content=[(4, 13, 18)],
        content_h=1,
        lenses=((3, 16.5, 15, 24), (17, 16.5, 29, 24)),
        brow=(2.5, 16, 29.5, 18),
        temples=(1, 16, 2.5, 17.5),
        temple_r=(29.5, 16, 31, 17.5),
        glint_w=1.4,
        second_glint=False,                   # two streaks are noise at 32
    ),
}


def draw_icon(size):
    """Returns the picture at the given size as a list of straight RGBA
    pixels (row by row, top first)."""
    if size not in LAYOUTS:
        return draw_small(size)
    L = LAYOUTS[size]
    c = Canvas(size)
    wx0, wy0, wx1, wy1 = L["window"]
    r = L["radius"]
    tb = L["title_bottom"]

    # Window: dark border, then the body and title bar one pixel inside it.
    c.round_rect(wx0, wy0, wx1, wy1, r, OUTLINE)
    inner = in_round_rect(wx0 + 1, wy0 + 1, wx1 - 1, wy1 - 1, r - 1)
    c.rect(wx0 + 1, tb, wx1 - 1, wy1 - 1,
           vgradient(BODY_TOP, BODY_BOTTOM, tb, wy1 - 1), clip=inner)
    c.rect(wx0 + 1, wy0 + 1, wx1 - 1, tb - 1,
           vgradient(TITLE_TOP, TITLE_BOTTOM, wy0 + 1, tb - 1), clip=inner)
    c.rect(wx0 + 1, tb - 1, wx1 - 1, tb, TITLE_RULE)
    # a soft sheen along the top of the title bar
    c.rect(wx0 + 1, wy0 + 1, wx1 - 1, wy0 + 2, (255, 255, 255, 0.25),
           clip=inner)

    # Close button with its X.
    bx0, by0, bx1, by1 = L["close"]
    c.round_rect(bx0, by0, bx1, by1, 1.2, CLOSE_DARK)
    c.round_rect(bx0, by0, bx1, by1 - 0.6, 1.2,
                 vgradient(hex_rgb("#F2686C"), CLOSE, by0, by1))
    # The X is laid pixel by pixel, centred: anti-aliased strokes this small
    # smear into a pink blob.
    n = L["close_x"]
    pixel_x(c, bx0 + (bx1 - bx0 - n) // 2, by0 + (by1 - by0 - n) // 2, n, CLOSE_X)

    # A few faint lines of "text" in the body, peeking out around the glasses.
    h = L["content_h"]
    for x0, y, x1 in L["content"]:
        c.round_rect(x0, y, x1, y + h, h / 2.0, CONTENT)

    # Sunglasses: temples, brow bar and bridge, then the lenses.
    c.rect(*L["temples"], GLASSES_FRAME)
    c.rect(*L["temple_r"], GLASSES_FRAME)
    bx0, by0, bx1, by1 = L["brow"]
    c.round_rect(bx0, by0, bx1, by1, (by1 - by0) / 2.0, GLASSES_FRAME)
    for lx0, ly0, lx1, ly1 in L["lenses"]:
        lens = in_lens(lx0, ly0, lx1, ly1)
        # a thin dark rim, then the tinted glass inside it
        c.lens(lx0 - 0.6, ly0 - 0.5, lx1 + 0.6, ly1 + 0.6, GLASSES_FRAME)
        c.lens(lx0, ly0, lx1, ly1, vgradient(LENS_TOP, LENS_BOTTOM, ly0, ly1))
        # highlights: a bold diagonal streak (and a fainter one beside it)
        w = lx1 - lx0
        hgt = ly1 - ly0
        gw = L["glint_w"]
        c.line(lx0 + w * 0.22, ly0 + hgt * 0.62, lx0 + w * 0.45, ly0 + hgt * 0.12,
               gw, GLINT, clip=lens)
        if L["second_glint"]:
            c.line(lx0 + w * 0.42, ly0 + hgt * 0.68, lx0 + w * 0.58,
                   ly0 + hgt * 0.30, gw * 0.7, GLINT_SOFT, clip=lens)
    return c.reduce()


def pixel_x(c, x0, y0, n, colour):
    """An n x n X made of whole pixels, top-left corner at (x0, y0)."""
    for k in range(n):
        c.rect(x0 + k, y0 + k, x0 + k + 1, y0 + k + 1, colour)
        c.rect(x0 + n - 1 - k, y0 + k, x0 + n - k, y0 + k + 1, colour)


def draw_small(size=16):
    """The 16x16 icon, placed pixel by pixel: 1 px border, 3 px title bar,
    close button, and the glasses as two dark blobs with a bridge."""
    c = Canvas(size, ss=1)
    # window 16 x 14, corners knocked off
    c.rect(0, 1, 16, 15, OUTLINE)
    for x, y in ((0, 1), (15, 1), (0, 14), (15, 14)):
        c.px[y * size + x] = [0.0, 0.0, 0.0, 0.0]
    c.rect(1, 2, 15, 5, vgradient(TITLE_TOP, TITLE_BOTTOM, 2, 4))
    c.rect(1, 5, 15, 14, vgradient(BODY_TOP, BODY_BOTTOM, 5, 13))
    # close button: a red 5x3 block with a white 3x3 X in the middle
    c.rect(10, 2, 15, 5, CLOSE)
    pixel_x(c, 11, 2, 3, CLOSE_X)
    # glasses: a bar across the top running out to the border, then two
    # 5 px lenses with their bottom corners rounded off, and the bridge
    lens = vgradient(LENS_TOP, LENS_BOTTOM, 8, 12)
    c.rect(1, 7, 15, 8, GLASSES_FRAME)
    for x0 in (2, 9):
        c.rect(x0, 8, x0 + 5, 11, lens)
        c.rect(x0 + 1, 11, x0 + 4, 12, lens)
    c.rect(7, 8, 9, 9, GLASSES_FRAME)
    # a glint on each lens
    glint = hex_rgb("#7F8796")
    c.rect(3, 8, 4, 9, glint)
    c.rect(10, 8, 11, 9, glint)
    return c.reduce()


# ---------------------------------------------------------------------------
# Palette: each image gets its own 256-entry colour table.  Entry 0 is black,
# which is also what the transparent pixels hold (the AND mask lets the
# screen show through there).  If the opaque pixels use 255 colours or fewer
# they are kept exactly; otherwise a median cut picks 255.
# ---------------------------------------------------------------------------

def opaque_and_colours(pixels):
    """Splits RGBA pixels into a mask (True = opaque) and 8-bit RGB colours."""
    mask, rgb = [], []
    for r, g, b, a in pixels:
        on = a >= 0.5
        mask.append(on)
        rgb.append((int(round(r)), int(round(g)), int(round(b))) if on else None)
    return mask, rgb


def median_cut(counts, n):
    """Reduces a {colour: count} histogram to at most n colours."""
    boxes = [list(counts.items())]
    while len(boxes) < n:
        best, best_score = None, -1
        for k, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spread = max(max(c[0][ch] for c in box) - min(c[0][ch] for c in box)
                         for ch in range(3))
            score = spread * sum(c[1] for c in box)
            if score > best_score:
                best, best_score = k, score
        if best is None:
            break
        box = boxes.pop(best)
        ch = max(range(3), key=lambda ch: max(c[0][ch] for c in box) -
                 min(c[0][ch] for c in box))
        box.sort(key=lambda c: c[0][ch])
        total = sum(c[1] for c in box)
        acc, cut = 0, 1
        for k, (_, cnt) in enumerate(box):
            acc += cnt
            if acc * 2 >= total:
                cut = min(max(1, k + 1), len(box) - 1)
                break
        boxes.append(box[:cut])
        boxes.append(box[cut:])
    palette = []
    for box in boxes:
        total = sum(cnt for _, cnt in box)
        palette.append(tuple(int(round(sum(col[ch] * cnt for col, cnt in box) / total))
                             for ch in range(3)))
    return palette


def build_palette(rgb):
    counts = {}
    for col in rgb:
        if col is not None:
            counts[col] = counts.get(col, 0) + 1
    if len(counts) <= 255:
        used = sorted(counts)
    else:
        used = median_cut(counts, 255)
    palette = [(0, 0, 0)] + [col for col in used if col != (0, 0, 0)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette


def index_pixels(rgb, palette):
    lookup = {col: k for k, col in reversed(list(enumerate(palette)))}
    cache = {}
    out = []
    for col in rgb:
        if col is None:
            out.append(0)
        elif col in lookup:
            out.append(lookup[col])
        else:
            if col not in cache:
                cache[col] = min(range(1, 256), key=lambda k: sum(
                    (a - b) ** 2 for a, b in zip(col, palette[k])))
            out.append(cache[col])
    return out


# ---------------------------------------------------------------------------
# ICO writer
# ---------------------------------------------------------------------------

def dib_image(size, indices, mask, palette):
    """An 8-bit DIB as stored in an .ico: header (height doubled), colour
    table, XOR rows bottom-up, AND mask rows bottom-up (1 = transparent)."""
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for y in range(size - 1, -1, -1):
        row = indices[y * size:(y + 1) * size]
        xor += bytes(row) + bytes(xor_stride - size)
        bits = bytearray(and_stride)
        for x in range(size):
            if not mask[y * size + x]:
                bits[x >> 3] |= 0x80 >> (x & 7)
        andm += bits
    header = struct.pack("<IiiHHIIiiII",
                         40,              # biSize
                         size,            # biWidth
                         size * 2,        # biHeight: XOR + AND
                         1,               # biPlanes
                         8,               # biBitCount
                         0,               # biCompression = BI_RGB
                         len(xor) + len(andm),
                         0, 0,            # resolution
                         256, 0)          # colours used / important
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + bytes(xor) + bytes(andm)


def build_images():
    """Draws and quantises every size: a list of (size, indices, mask, palette)."""
    images = []
    for size in SIZES:
        mask, rgb = opaque_and_colours(draw_icon(size))
        palette = build_palette(rgb)
        images.append((size, index_pixels(rgb, palette), mask, palette))
    return images


def ico_bytes(images):
    blobs = [dib_image(*img) for img in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for (size, _, _, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size & 0xFF, size & 0xFF, 0, 0, 1, 8,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------------------
# PNG previews
# ---------------------------------------------------------------------------

def write_png(path, width, height, rgb_rows):
    """rgb_rows: a list of height rows, each a list of (r, g, b)."""
    raw = bytearray()
    for row in rgb_rows:
        raw.append(0)
        for r, g, b in row:
            raw += bytes((r, g, b))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
           chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def final_pixel(img, x, y):
    """The colour of an image pixel as the .ico shows it, or None if clear."""
    size, indices, mask, palette = img
    k = y * size + x
    return palette[indices[k]] if mask[k] else None


def write_previews(images, directory):
    os.makedirs(directory, exist_ok=True)
    scale = 8

    def checker(x, y):
        return (204, 204, 204) if ((x // 8) + (y // 8)) % 2 else (244, 244, 244)

    for img in images:
        size = img[0]
        rows = []
        for Y in range(size * scale):
            row = []
            for X in range(size * scale):
                col = final_pixel(img, X // scale, Y // scale)
                row.append(col if col is not None else checker(X, Y))
            rows.append(row)
        write_png(os.path.join(directory, "icon-%d.png" % size),
                  size * scale, size * scale, rows)

    # One sheet: every size at 1x and 8x, on a light and on a dark ground.
    grounds = ((240, 240, 240), (45, 48, 56))
    gap = 16
    width = gap + sum(s * scale + gap for s in SIZES) + sum(s + gap for s in SIZES)
    band = max(SIZES) * scale + 2 * gap
    height = band * len(grounds)
    sheet = [[grounds[Y // band] for _ in range(width)] for Y in range(height)]
    for g in range(len(grounds)):
        x = gap
        for img in images:
            for factor in (1, scale):
                size = img[0]
                top = g * band + gap
                for Y in range(size * factor):
                    for X in range(size * factor):
                        col = final_pixel(img, X // factor, Y // factor)
                        if col is not None:
                            sheet[top + Y][x + X] = col
                x += size * factor + gap
    write_png(os.path.join(directory, "sheet.png"), width, height, sheet)


# ---------------------------------------------------------------------------

def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    output = os.path.join(here, "..", "hushdesk.ico")
    preview = None
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--preview":
            if not args:
                sys.exit("--preview needs a directory")
            preview = args.pop(0)
        elif arg in ("-h", "--help"):
            print(__doc__.strip())
            return 0
        elif arg.startswith("-"):
            sys.exit("unknown option: %s" % arg)
        else:
            output = arg
    images = build_images()
    data = ico_bytes(images)
    with open(output, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.normpath(output), len(data)))
    if preview:
        write_previews(images, preview)
        print("previews in %s" % preview)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
