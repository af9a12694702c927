#!/usr/bin/python3
"""Draws every bitmap and icon resource of the launcher from scratch.

Run:  /usr/bin/python3 tools/art/draw_art.py [--preview]

Writes src/res/png/<id>.png and src/res/icons/*.ico (byte-for-byte the same on
every run) and, with --preview, tools/art/preview.png (a contact sheet showing
each image the way the program will show it, plus a few mock-up windows).

How the program uses these images:
  * every PNG becomes an opaque bitmap: alpha 255 keeps the colour, alpha 0
    becomes the key colour RGB(255,0,255) (see-through), partial alpha is
    composited over white.  Pictures that sit on a known dark surface are
    therefore "matted" here: their anti-aliased edges are blended with that
    surface and made opaque, and only clearly empty pixels stay at alpha 0.
  * button strips hold 4 frames (normal, hover, pressed, disabled), tab
    strips 3 frames (normal, hover, selected).
  * dialog skins are nine-sliced: 30-row title band, 4-px frame, and the
    window outline is taken from key pixels in the 9x9 corner blocks.
"""

import os
import struct
import sys
import io
import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
PNG_DIR = os.path.join(ROOT, "src", "res", "png")
ICO_DIR = os.path.join(ROOT, "src", "res", "icons")
FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

SS = 4                      # supersampling factor for shapes
KEY = (255, 0, 255)         # the program's transparent colour
CLEAR = KEY + (0,)          # how fully transparent pixels are stored


# --------------------------------------------------------------------------
# colours

def rgb(h):
    h = h.lstrip("#")
    return tuple(int(h[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


# light theme (small dialogs, login window)
BLUE_TOP = rgb("#1f6fd1")
BLUE_BOT = rgb("#1a5fb4")
BLUE_HI = rgb("#3a83db")      # one-pixel highlight under the top edge
BLUE_EDGE = rgb("#144d92")    # 1-px window outline
BODY = rgb("#f5f7fa")
# dark theme (launcher frame)
NAVY_TOP = rgb("#263549")
NAVY_BOT = rgb("#1b2636")
NAVY_HI = rgb("#33445c")
NAVY_EDGE = rgb("#0a0e14")
NAVY_BODY = rgb("#11161f")
# accents
ACCENT = rgb("#ff8a00")
ACCENT_BLUE = rgb("#2f80ed")
RED = rgb("#e81123")
RED_DARK = rgb("#b10d1b")
WHITE = (255, 255, 255)

# glyph colours on the title band
GLYPH = rgb("#dfe6ef")
GLYPH_HOVER = WHITE
GLYPH_PRESSED = rgb("#b7c2cf")
GLYPH_DISABLED = rgb("#5f6b7b")
# hover / pressed faces of buttons lying on the dark band
FACE_HOVER = rgb("#34465f")
FACE_PRESSED = rgb("#121923")

BAND_H = 30


def band_colour(top, bot, hi, edge, y):
    """Colour of row y of a title band (row 0 is the window outline)."""
    if y <= 0:
        return edge
    if y == 1:
        return hi
    return mix(top, bot, (y - 2) / float(BAND_H - 3))


def navy_band(y):
    return band_colour(NAVY_TOP, NAVY_BOT, NAVY_HI, NAVY_EDGE, min(y, BAND_H - 1))


def blue_band(y):
    return band_colour(BLUE_TOP, BLUE_BOT, BLUE_HI, BLUE_EDGE, min(y, BAND_H - 1))


def both_bands(y):
    """Matte for pictures used on the blue band and on the navy band alike."""
    return mix(navy_band(y), blue_band(y), 0.5)


# --------------------------------------------------------------------------
# drawing helpers (shapes are drawn at SS x size on transparent layers)

def hires(w, h):
    return Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))


def shrink(img, w, h):
    # Pillow resizes RGBA with premultiplied alpha, so edges do not darken
    return img.resize((w, h), Image.LANCZOS)


def paint(base, mask, colour, opacity=1.0):
    """Composite a solid colour (or an RGBA image) through an L mask."""
    a = mask if opacity >= 1.0 else mask.point(lambda v: int(round(v * opacity)))
    if isinstance(colour, Image.Image):
        layer = colour.convert("RGBA")
        a = ImageChops.multiply(a, layer.getchannel("A"))
    else:
        layer = Image.new("RGBA", base.size, tuple(colour[:3]) + (255,))
    layer = layer.copy()
    layer.putalpha(a)
    base.alpha_composite(layer)


def new_mask(img):
    m = Image.new("L", img.size, 0)
    return m, ImageDraw.Draw(m)


def vgrad(w, h, stops):
    """Vertical gradient image; stops = [(pos 0..1, rgb), ...]."""
    col = Image.new("RGBA", (1, h))
    px = col.load()
    for y in range(h):
        t = (y + 0.5) / h
        for i in range(len(stops) - 1):
            p0, c0 = stops[i]
            p1, c1 = stops[i + 1]
            if t <= p1 or i == len(stops) - 2:
                px[0, y] = mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0) + (255,)
                break
    return col.resize((w, h), Image.NEAREST)


def S(v):
    """1x coordinate -> hi-res coordinate."""
    return v * SS


def rrect(draw, x0, y0, x1, y1, r, fill=255):
    """Rounded rectangle in 1x coordinates (edges, not pixel centres)."""
    draw.rounded_rectangle([S(x0), S(y0), S(x1) - 1, S(y1) - 1], radius=S(r), fill=fill)


def rect(draw, x0, y0, x1, y1, fill=255):
    draw.rectangle([S(x0), S(y0), S(x1) - 1, S(y1) - 1], fill=fill)


def stroke(draw, pts, width, fill=255, caps=True):
    """Poly-line in 1x coordinates with round joins/caps."""
    sp = [(S(x), S(y)) for x, y in pts]
    w = S(width)
    draw.line(sp, fill=fill, width=int(round(w)), joint="curve")
    if caps:
        r = w / 2.0
        for x, y in sp:
            draw.ellipse([x - r, y - r, x + r, y + r], fill=fill)


def poly(draw, pts, fill=255):
    draw.polygon([(S(x), S(y)) for x, y in pts], fill=fill)


def ellipse(draw, cx, cy, rx, ry, fill=255):
    draw.ellipse([S(cx - rx), S(cy - ry), S(cx + rx), S(cy + ry)], fill=fill)


def arc(draw, cx, cy, r, a0, a1, width, fill=255):
    draw.arc([S(cx - r), S(cy - r), S(cx + r), S(cy + r)], a0, a1, fill=fill, width=int(round(S(width))))


def matte(img, matte_fn, threshold=0.15):
    """Make every pixel either opaque or fully transparent.

    Pixels whose alpha is below `threshold` become transparent; the others are
    blended with matte_fn(x, y) (the surface they will sit on) and made opaque.
    matte_fn None means: keep partial alpha (light surroundings)."""
    out = img.copy()
    px = out.load()
    w, h = out.size
    for y in range(h):
        for x in range(w):
            r, g, b, a = px[x, y]
            if a == 255:
                continue
            if a == 0 or (matte_fn is not None and a < threshold * 255):
                px[x, y] = CLEAR
                continue
            if matte_fn is None:
                continue
            m = matte_fn(x, y)
            t = a / 255.0
            px[x, y] = (int(round(r * t + m[0] * (1 - t))),
                        int(round(g * t + m[1] * (1 - t))),
                        int(round(b * t + m[2] * (1 - t))), 255)
    return out


def clean(img):
    """Store fully transparent pixels as key colour with alpha 0."""
    px = img.load()
    w, h = img.size
    for y in range(h):
        for x in range(w):
            if px[x, y][3] == 0:
                px[x, y] = CLEAR
    return img


def hstrip(frames):
    w = sum(f.size[0] for f in frames)
    h = frames[0].size[1]
    out = Image.new("RGBA", (w, h), CLEAR)
    x = 0
    for f in frames:
        out.paste(f, (x, 0))
        x += f.size[0]
    return out


_fonts = {}


def font(size):
    if size not in _fonts:
        _fonts[size] = ImageFont.truetype(FONT_PATH, size, index=0)
    return _fonts[size]


def text_on(img, xy, s, size, colour, anchor="ls", opacity=1.0):
    """Draw text at 1x (hinted) onto img (RGBA, 1x)."""
    m = Image.new("L", img.size, 0)
    ImageDraw.Draw(m).text(xy, s, font=font(size), fill=255, anchor=anchor)
    paint(img, m, colour, opacity)


def text_width(s, size):
    b = font(size).getbbox(s, anchor="ls")
    return b[2] - b[0]


# --------------------------------------------------------------------------
# rounded-rectangle coverage (for crisp skins drawn pixel by pixel)

def _inside(px_, py_, x0, y0, x1, y1, r):
    if px_ < x0 or py_ < y0 or px_ > x1 or py_ > y1:
        return False
    dx = max(x0 + r - px_, 0.0, px_ - (x1 - r))
    dy = max(y0 + r - py_, 0.0, py_ - (y1 - r))
    return dx * dx + dy * dy <= r * r


def rr_cover(x, y, w, h, r, inset=0, n=8):
    x0, y0, x1, y1 = inset, inset, w - inset, h - inset
    rr = max(r - inset, 0)
    # fast paths away from corners
    if x0 + rr <= x and x + 1 <= x1 - rr and y0 <= y and y + 1 <= y1:
        return 1.0
    if y0 + rr <= y and y + 1 <= y1 - rr and x0 <= x and x + 1 <= x1:
        return 1.0
    if x + 1 <= x0 or x >= x1 or y + 1 <= y0 or y >= y1:
        return 0.0
    hit = 0
    for i in range(n):
        for j in range(n):
            if _inside(x + (i + 0.5) / n, y + (j + 0.5) / n, x0, y0, x1, y1, rr):
                hit += 1
    return hit / float(n * n)


def make_skin(w, h, interior, edge, radius):
    """Skin with a 1-px outline following rounded corners; pixels outside the
    rounded shape are key colour.  interior(x, y) gives the fill colour."""
    img = Image.new("RGBA", (w, h), CLEAR)
    px = img.load()
    for y in range(h):
        for x in range(w):
            co = rr_cover(x, y, w, h, radius)
            if co < 0.5:
                continue
            ci = rr_cover(x, y, w, h, radius, inset=1)
            px[x, y] = mix(edge, interior(x, y), ci / co if co > 0 else 0) + (255,)
    return img


# --------------------------------------------------------------------------
# skins

def skin_light(w, h):
    """Blue band, light body; the frame rows/columns carry the body colour,
    so only the 1-px outline shows around the body."""
    def interior(x, y):
        if y < BAND_H:
            return blue_band(max(y, 1))
        return BODY
    return make_skin(w, h, interior, BLUE_EDGE, 5)


def skin_131():
    return skin_light(30, 51)


def skin_134():
    w, h, frame = 30, 51, 4

    def interior(x, y):
        if y < BAND_H:
            return navy_band(max(y, 1))
        if x < frame or x >= w - frame or y >= h - frame:
            return NAVY_BOT
        return NAVY_BODY
    return make_skin(w, h, interior, NAVY_EDGE, 5)


def skin_162():
    return skin_light(284, 150)


# --------------------------------------------------------------------------
# title-bar buttons

def button_frames(w, h, glyph, face, glyph_colours, face_inset=(2, 2), radius=4,
                  matte_fn=None, threshold=0.15):
    """Generic 4-frame button: face = {state: colour or None}."""
    frames = []
    for state in ("normal", "hover", "pressed", "disabled"):
        im = hires(w, h)
        fc = face.get(state)
        if fc is not None:
            m, d = new_mask(im)
            ix, iy = face_inset
            rrect(d, ix, iy, w - ix, h - iy, radius)
            paint(im, m, fc)
        m, d = new_mask(im)
        glyph(d, state)
        paint(im, m, glyph_colours[state])
        small = shrink(im, w, h)
        frames.append(matte(small, matte_fn, threshold))
    return hstrip(frames)


DARK_FACES = {"hover": FACE_HOVER, "pressed": FACE_PRESSED}
DARK_GLYPHS = {"normal": GLYPH, "hover": GLYPH_HOVER, "pressed": GLYPH_PRESSED,
               "disabled": GLYPH_DISABLED}


def on_navy(dy):
    return lambda x, y: navy_band(y + dy)


def btn_132():
    w, h = 33, 28

    def glyph(d, state):
        c = 16.5
        m = 14.0
        a = 4.6
        stroke(d, [(c - a, m - a), (c + a, m + a)], 1.35)
        stroke(d, [(c - a, m + a), (c + a, m - a)], 1.35)
    faces = {"hover": RED, "pressed": RED_DARK}
    colours = {"normal": GLYPH, "hover": WHITE, "pressed": rgb("#f2d4d7"),
               "disabled": rgb("#7b8696")}
    return button_frames(w, h, glyph, faces, colours, face_inset=(2, 2), radius=4,
                         matte_fn=lambda x, y: both_bands(y + 1), threshold=0.3)


def btn_136():
    def glyph(d, state):
        rect(d, 8.5, 14, 18.5, 15)
    return button_frames(27, 28, glyph, DARK_FACES, DARK_GLYPHS, matte_fn=on_navy(1))


def btn_135():
    def glyph(d, state):
        rect(d, 8.5, 9, 18.5, 19)
        rect(d, 9.5, 10, 17.5, 18, fill=0)
    return button_frames(27, 28, glyph, DARK_FACES, DARK_GLYPHS, matte_fn=on_navy(1))


def btn_137():
    def glyph(d, state):
        # back window: top and right edges only
        rect(d, 10.5, 8, 19.5, 9)
        rect(d, 18.5, 8, 19.5, 17)
        rect(d, 10.5, 8, 11.5, 10)
        rect(d, 17.5, 16, 19.5, 17)
        # front window
        rect(d, 7.5, 11, 16.5, 20)
        rect(d, 8.5, 12, 15.5, 19, fill=0)
    return button_frames(27, 28, glyph, DARK_FACES, DARK_GLYPHS, matte_fn=on_navy(1))


def btn_138():
    def glyph(d, state):
        stroke(d, [(8.5, 8.5), (17.5, 17.5)], 1.5)
        stroke(d, [(11.5, 17.5), (17.5, 17.5), (17.5, 11.5)], 1.5)
        rect(d, 7.5, 20.5, 19.5, 21.75)
    return button_frames(27, 27, glyph, DARK_FACES, DARK_GLYPHS, matte_fn=on_navy(1))


def speaker(d):
    poly(d, [(6, 11), (9, 11), (13.5, 7), (13.5, 20), (9, 16), (6, 16)])


def btn_148():
    def glyph(d, state):
        speaker(d)
        stroke(d, [(16.2, 10.7), (21.3, 15.8)], 1.5)
        stroke(d, [(16.2, 15.8), (21.3, 10.7)], 1.5)
    return button_frames(27, 27, glyph, DARK_FACES, DARK_GLYPHS, matte_fn=on_navy(1))


def btn_149():
    def glyph(d, state):
        speaker(d)
        arc(d, 13.5, 13.5, 4.2, -50, 50, 1.5)
        arc(d, 13.5, 13.5, 7.8, -52, 52, 1.5)
    return button_frames(27, 27, glyph, DARK_FACES, DARK_GLYPHS, matte_fn=on_navy(1))


def btn_139():
    def glyph(d, state):
        poly(d, [(35.5, 12.5), (41.5, 12.5), (38.5, 16)])
    colours = dict(DARK_GLYPHS)
    colours["normal"] = rgb("#aeb9c7")
    return button_frames(44, 28, glyph, DARK_FACES, colours, face_inset=(1, 3), radius=4,
                         matte_fn=on_navy(1))


def hall_button(highlight):
    w, h = 79, 28
    label = "游戏大厅"
    size = 12
    tw = text_width(label, size)
    icon_w = 11
    gap = 5
    x0 = int(round((w - (icon_w + gap + tw)) / 2.0))
    if highlight:
        faces = {
            "normal": [(0, rgb("#ff9d2b")), (1, rgb("#f07f00"))],
            "hover": [(0, rgb("#ffac4a")), (1, rgb("#ff8a00"))],
            "pressed": [(0, rgb("#d96f00")), (1, rgb("#e57800"))],
            "disabled": [(0, rgb("#6e6961")), (1, rgb("#655f57"))],
        }
        ink = {"normal": WHITE, "hover": WHITE, "pressed": rgb("#fff1e0"),
               "disabled": rgb("#d9d2ca")}
    else:
        faces = {"hover": [(0, FACE_HOVER), (1, FACE_HOVER)],
                 "pressed": [(0, FACE_PRESSED), (1, FACE_PRESSED)]}
        ink = {"normal": rgb("#eef2f7"), "hover": WHITE, "pressed": rgb("#c9d2dd"),
               "disabled": GLYPH_DISABLED}
    frames = []
    for state in ("normal", "hover", "pressed", "disabled"):
        im = hires(w, h)
        if state in faces:
            m, d = new_mask(im)
            rrect(d, 1, 2, w - 1, h - 2, 4)
            paint(im, m, vgrad(im.size[0], im.size[1], faces[state]))
            if highlight:
                # thin light line along the top of the face
                m, d = new_mask(im)
                rrect(d, 1, 2, w - 1, h - 2, 4)
                rrect(d, 1, 3, w - 1, h - 2, 4, fill=0)
                paint(im, m, WHITE, 0.25)
        # 2x2 grid icon
        m, d = new_mask(im)
        cell = 4.6
        gy = (h - icon_w) / 2.0
        for i in range(2):
            for j in range(2):
                x = x0 + i * (icon_w - cell)
                y = gy + j * (icon_w - cell)
                rrect(d, x, y, x + cell, y + cell, 1.2)
        paint(im, m, ink[state])
        small = shrink(im, w, h)
        base_y = 18
        text_on(small, (x0 + icon_w + gap, base_y), label, size, ink[state])
        frames.append(matte(small, on_navy(1)))
    return hstrip(frames)


# --------------------------------------------------------------------------
# push button (light, for black labels)

def btn_133():
    w, h = 57, 23
    looks = {
        "normal": ([(0, rgb("#fdfeff")), (1, rgb("#dde9f9"))], rgb("#4f8fdd")),
        "hover": ([(0, rgb("#ffffff")), (1, rgb("#eef5fe"))], ACCENT),
        "pressed": ([(0, rgb("#d3e2f6")), (1, rgb("#e3edfa"))], rgb("#1a5fb4")),
        "disabled": ([(0, rgb("#f1f2f4")), (1, rgb("#eceef1"))], rgb("#c5cad2")),
    }
    frames = []
    for state in ("normal", "hover", "pressed", "disabled"):
        grad, border = looks[state]
        im = hires(w, h)
        m, d = new_mask(im)
        rrect(d, 0, 0, w, h, 3.5)
        paint(im, m, border)
        m, d = new_mask(im)
        rrect(d, 1, 1, w - 1, h - 1, 2.5)
        paint(im, m, vgrad(im.size[0], im.size[1], grad))
        frames.append(matte(shrink(im, w, h), lambda x, y: BODY, 0.3))
    return hstrip(frames)


# --------------------------------------------------------------------------
# tabs and tab close glyphs

TAB_FACES = {
    "normal": [(0, rgb("#2e3e56")), (1, rgb("#283649"))],
    "hover": [(0, rgb("#3a4d69")), (1, rgb("#33445c"))],
    "selected": [(0, rgb("#3d8ef5")), (1, rgb("#2f80ed"))],
}
TAB_TOP = {"normal": rgb("#3b4c66"), "hover": rgb("#4a5e7d"), "selected": rgb("#6aaaf8")}


def img_140():
    w, h = 189, 22
    frames = []
    for state in ("normal", "hover", "selected"):
        im = hires(w, h)
        # outer shape gives the 1-px top highlight, inner shape the face
        m, d = new_mask(im)
        rrect(d, 0, 0, w - 1, h + 6, 5)
        paint(im, m, TAB_TOP[state])
        m, d = new_mask(im)
        rrect(d, 1, 1, w - 2, h + 6, 4)
        paint(im, m, vgrad(im.size[0], im.size[1], TAB_FACES[state]))
        small = shrink(im, w, h)
        frames.append(matte(small, lambda x, y: navy_band(y + BAND_H - h)))
    return hstrip(frames)


def img_141():
    w = h = 13
    frames = []
    tab_mid = mix(rgb("#2b3a4f"), rgb("#3587f0"), 0.5)
    for state in ("normal", "hover", "pressed"):
        im = hires(w, h)
        if state != "normal":
            m, d = new_mask(im)
            ellipse(d, 6.5, 6.5, 6.5, 6.5)
            paint(im, m, RED if state == "hover" else RED_DARK)
        m, d = new_mask(im)
        a = 2.6 if state == "normal" else 2.4
        stroke(d, [(6.5 - a, 6.5 - a), (6.5 + a, 6.5 + a)], 1.3)
        stroke(d, [(6.5 - a, 6.5 + a), (6.5 + a, 6.5 - a)], 1.3)
        paint(im, m, rgb("#c3ccd8") if state == "normal" else WHITE)
        frames.append(matte(shrink(im, w, h), lambda x, y: tab_mid, 0.3))
    return hstrip(frames)


def img_142():
    w, h = 14, 16
    im = hires(w, h)
    m, d = new_mask(im)
    ellipse(d, 5.5, 5.5, 2.9, 2.9)                 # head
    # shoulders: upper half of an ellipse, flat bottom
    d.pieslice([S(0.5), S(9.3), S(10.5), S(19.3)], 180, 360, fill=255)
    rect(d, 0.5, 14.3, 10.5, 14.8)
    # cut a ring around the "+" so it stands apart
    ellipse(d, 10.5, 11.5, 3.9, 3.9, fill=0)
    stroke(d, [(10.5, 9.2), (10.5, 13.8)], 1.5, caps=False)
    stroke(d, [(8.2, 11.5), (12.8, 11.5)], 1.5, caps=False)
    paint(im, m, rgb("#eef3f9"))
    return matte(shrink(im, w, h), on_navy(7))


# --------------------------------------------------------------------------
# progress bar

PROGRESS_W, PROGRESS_H = 390, 21
TRACK_MATTE = rgb("#9aa4b2")


def track_hires():
    w, h = PROGRESS_W, PROGRESS_H
    r = h / 2.0
    im = hires(w, h)
    m, d = new_mask(im)
    rrect(d, 0, 0, w, h, r)
    paint(im, m, rgb("#c3ccd8"))
    m, d = new_mask(im)
    rrect(d, 1, 1, w - 1, h - 1, r - 1)
    paint(im, m, vgrad(im.size[0], im.size[1],
                        [(0, rgb("#dde3eb")), (0.35, rgb("#e9edf2")), (1, rgb("#f1f4f7"))]))
    return im


def img_152():
    w, h = PROGRESS_W, PROGRESS_H
    return matte(shrink(track_hires(), w, h), lambda x, y: TRACK_MATTE, 0.3)


def img_153():
    w, h = PROGRESS_W, PROGRESS_H
    r = h / 2.0
    im = hires(w, h)
    m, d = new_mask(im)
    rrect(d, 0, 0, w, h, r)
    paint(im, m, rgb("#1a5fb4"))
    m, d = new_mask(im)
    rrect(d, 1, 1, w - 1, h - 1, r - 1)
    paint(im, m, vgrad(im.size[0], im.size[1],
                        [(0, rgb("#6fb2ff")), (0.45, rgb("#3d8ef5")), (1, rgb("#2370d8"))]))
    # glossy band on the upper half
    m, d = new_mask(im)
    rrect(d, 3, 2, w - 3, h / 2.0, (h / 2.0 - 2) / 2.0)
    paint(im, m, WHITE, 0.18)
    fill = shrink(im, w, h)
    # the fill is drawn over the track: blend its edges with the track
    track = img_152()
    tpx = track.load()

    def under(x, y):
        c = tpx[x, y]
        return c[:3] if c[3] else TRACK_MATTE
    out = matte(fill, under, 0.5)
    return out


# --------------------------------------------------------------------------
# icons

def z_emblem(size, n=8):
    """Rounded blue square with a bold white Z; drawn at n x size."""
    big = size * n
    im = Image.new("RGBA", (big, big), (0, 0, 0, 0))

    def sc(v):
        return v * big

    pad = 0.02 if size >= 32 else 0.0
    r = 0.22
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).rounded_rectangle([sc(pad), sc(pad), sc(1 - pad) - 1, sc(1 - pad) - 1],
                                        radius=sc(r), fill=255)
    paint(im, m, rgb("#0f4a94"))
    inner = 0.035 if size >= 32 else 1.0 / size
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).rounded_rectangle([sc(pad + inner), sc(pad + inner),
                                         sc(1 - pad - inner) - 1, sc(1 - pad - inner) - 1],
                                        radius=sc(r - inner), fill=255)
    paint(im, m, vgrad(big, big, [(0, rgb("#4a9bff")), (0.55, rgb("#2273dc")), (1, rgb("#1a5fb4"))]))
    # the Z
    if size <= 16:
        L, R, T, B, t, dx = 0.22, 0.78, 0.2, 0.8, 0.18, 0.26
    elif size <= 24:
        L, R, T, B, t, dx = 0.24, 0.76, 0.22, 0.78, 0.16, 0.24
    else:
        L, R, T, B, t, dx = 0.26, 0.74, 0.23, 0.77, 0.14, 0.21
    zpoly = [(L, T), (R, T), (R, T + t), (L + dx, B - t), (R, B - t), (R, B),
             (L, B), (L, B - t), (R - dx, T + t), (L, T + t)]
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).polygon([(sc(x), sc(y)) for x, y in zpoly], fill=255)
    paint(im, m, WHITE)
    # orange speed mark on the bottom bar
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).polygon([(sc(x), sc(y)) for x, y in
                               [(L, B - t), (R, B - t), (R, B), (L, B)]], fill=255)
    paint(im, m, ACCENT)
    return im.resize((size, size), Image.LANCZOS)


def star_points(cx, cy, ro, ri, k=5):
    pts = []
    for i in range(2 * k):
        ang = -math.pi / 2 + i * math.pi / k
        r = ro if i % 2 == 0 else ri
        pts.append((cx + r * math.cos(ang), cy + r * math.sin(ang)))
    return pts


def star_icon(size, n=8):
    big = size * n
    im = Image.new("RGBA", (big, big), (0, 0, 0, 0))

    def sc(p):
        return [(x * big, y * big) for x, y in p]

    cx, cy = 0.5, 0.54
    ro = 0.5 if size <= 16 else 0.48
    ri = ro * 0.48
    outline = 1.0 / size * (1.0 if size <= 24 else 1.4)
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).polygon(sc(star_points(cx, cy, ro, ri)), fill=255)
    paint(im, m, rgb("#c96500"))
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).polygon(sc(star_points(cx, cy + outline * 0.15, ro - outline * 1.9,
                                             ri - outline * 0.9)), fill=255)
    paint(im, m, vgrad(big, big, [(0, rgb("#ffd45c")), (0.55, rgb("#ffab1f")), (1, rgb("#ff8a00"))]))
    if size >= 24:
        # soft highlight on the upper-left arms
        m = Image.new("L", im.size, 0)
        ImageDraw.Draw(m).polygon(sc([(cx, cy - ro + outline * 3), (cx - ri * 0.55, cy - ri * 0.2),
                                      (cx - ro * 0.62, cy - ri * 0.62), (cx - ri * 0.2, cy - ri * 0.45)]),
                                  fill=255)
        paint(im, m, WHITE, 0.35)
    return im.resize((size, size), Image.LANCZOS)


def portal_icon(size, n=8):
    big = size * n
    im = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    u = big

    def box(cx, cy, rx, ry):
        return [(cx - rx) * u, (cy - ry) * u, (cx + rx) * u - 1, (cy + ry) * u - 1]

    small = size <= 16
    # centre the globe on a pixel centre so its straight lines stay sharp
    cx = cy = (round(0.42 * size - 0.5) + 0.5) / size
    r = cx if small else cx - 0.02
    line = (1.0 / size) * (1.0 if size <= 24 else 1.3)
    # globe
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).ellipse(box(cx, cy, r, r), fill=255)
    paint(im, m, rgb("#0f4a94"))
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).ellipse(box(cx, cy, r - line, r - line), fill=255)
    paint(im, m, vgrad(big, big, [(0, rgb("#4a9bff")), (0.6, rgb("#2273dc")), (1, rgb("#1a5fb4"))]))
    # meridians and parallels, clipped to the globe
    lines = Image.new("L", im.size, 0)
    d = ImageDraw.Draw(lines)
    w = max(1, int(round(line * u)))
    rin = r - line * 1.5
    d.ellipse(box(cx, cy, rin * 0.45, rin), outline=255, width=w)
    d.line([(cx * u, (cy - rin) * u), (cx * u, (cy + rin) * u)], fill=255, width=w)
    d.line([((cx - rin) * u, cy * u), ((cx + rin) * u, cy * u)], fill=255, width=w)
    if not small:
        for off in (-0.5, 0.5):
            yy = cy + off * rin
            half = (rin * rin - (off * rin) ** 2) ** 0.5
            d.line([((cx - half) * u, yy * u), ((cx + half) * u, yy * u)], fill=255, width=w)
    clip = Image.new("L", im.size, 0)
    ImageDraw.Draw(clip).ellipse(box(cx, cy, r - line, r - line), fill=255)
    lines = ImageChops.multiply(lines, clip)
    paint(im, lines, WHITE, 0.85)
    # orange game badge (rounded square with a play triangle)
    bs = 0.5 if small else 0.46
    x0, y0 = 1 - bs, 1 - bs
    m = Image.new("L", im.size, 0)
    # ring cut from the globe so the badge reads at small sizes
    gap = line * 1.2
    ImageDraw.Draw(m).rounded_rectangle([(x0 - gap) * u, (y0 - gap) * u, u - 1, u - 1],
                                        radius=(bs * 0.28 + gap) * u, fill=255)
    cut = im.getchannel("A")
    cut = ImageChops.subtract(cut, m)
    im.putalpha(cut)
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).rounded_rectangle([x0 * u, y0 * u, u - 1, u - 1], radius=bs * 0.28 * u, fill=255)
    paint(im, m, rgb("#c96500"))
    m = Image.new("L", im.size, 0)
    ImageDraw.Draw(m).rounded_rectangle([(x0 + line) * u, (y0 + line) * u, (1 - line) * u - 1,
                                         (1 - line) * u - 1], radius=(bs * 0.28 - line) * u, fill=255)
    paint(im, m, vgrad(big, big, [(0, rgb("#ffb347")), (0.6, rgb("#ff9a1a")), (1, rgb("#ff8a00"))]))
    m = Image.new("L", im.size, 0)
    bx, by = x0 + bs / 2.0, y0 + bs / 2.0
    tr = bs * 0.24
    ImageDraw.Draw(m).polygon([((bx - tr * 0.7) * u, (by - tr) * u), ((bx + tr) * u, by * u),
                               ((bx - tr * 0.7) * u, (by + tr) * u)], fill=255)
    paint(im, m, WHITE)
    return im.resize((size, size), Image.LANCZOS)


ICON_SIZES = (16, 24, 32, 48, 256)


def ico_bytes(images):
    """ICO file: sizes below 256 as 32-bit DIBs with AND mask, 256 as PNG."""
    entries = []
    blobs = []
    for im in images:
        w, h = im.size
        if w >= 256:
            buf = io.BytesIO()
            im.save(buf, format="PNG", optimize=False, compress_level=9)
            data = buf.getvalue()
        else:
            px = im.load()
            header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
            rows = []
            for y in range(h - 1, -1, -1):
                row = bytearray()
                for x in range(w):
                    r, g, b, a = px[x, y]
                    if a == 0:
                        r = g = b = 0
                    row += bytes((b, g, r, a))
                rows.append(bytes(row))
            mask_stride = ((w + 31) // 32) * 4
            mask_rows = []
            for y in range(h - 1, -1, -1):
                bits = bytearray(mask_stride)
                for x in range(w):
                    if px[x, y][3] == 0:
                        bits[x // 8] |= 0x80 >> (x % 8)
                mask_rows.append(bytes(bits))
            data = header + b"".join(rows) + b"".join(mask_rows)
        entries.append((w, h, data))
        blobs.append(data)
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in blobs:
        out += data
    return bytes(out)


# --------------------------------------------------------------------------
# login backdrop

def img_129():
    W, H = 851, 521
    M = 12                                   # shadow margin
    px0, py0, px1, py1 = M, M, W - M, H - M  # panel edges
    R = 8
    HEADER = 60                              # header strip height

    # drop shadow (1x is enough, it is blurred anyway)
    sh = Image.new("L", (W, H), 0)
    ImageDraw.Draw(sh).rounded_rectangle([px0, py0 + 3, px1 - 1, py1 - 1 + 3], radius=R, fill=255)
    sh = sh.filter(ImageFilter.GaussianBlur(5))
    sh = sh.point(lambda v: int(round(v * 0.30)))
    # a cool dark grey shadow
    shadow = Image.new("RGBA", (W, H), rgb("#1c2838") + (0,))
    shadow.putalpha(sh)
    img = shadow

    # panel drawn at SS x
    big = Image.new("RGBA", (W * SS, H * SS), (0, 0, 0, 0))
    m, d = new_mask(big)
    rrect(d, px0, py0, px1, py1, R)
    paint(big, m, BLUE_EDGE)
    body_grad = vgrad(W * SS, H * SS, [(0, BODY), (0.6, BODY), (1, rgb("#e9eff7"))])
    m, d = new_mask(big)
    rrect(d, px0 + 1, py0 + 1, px1 - 1, py1 - 1, R - 1)
    paint(big, m, body_grad)

    # decorative waves at the bottom of the body, kept very pale
    def wave(y_base, amp, phase, colour, opacity):
        pts = []
        for i in range(0, 201):
            x = px0 + (px1 - px0) * i / 200.0
            y = y_base + amp * math.sin(phase + i / 200.0 * math.pi * 2.2)
            pts.append((x, y))
        pts += [(px1, py1), (px0, py1)]
        m, d = new_mask(big)
        poly(d, pts)
        clip, dc = new_mask(big)
        rrect(dc, px0 + 1, py0 + 1, px1 - 1, py1 - 1, R - 1)
        paint(big, ImageChops.multiply(m, clip), colour, opacity)

    wave(452, 10, 0.3, rgb("#cfe0f6"), 0.55)
    wave(468, 9, 2.2, rgb("#b9d3f2"), 0.45)
    wave(484, 7, 4.0, rgb("#a6c6ee"), 0.35)

    # faint dot grid in the lower-left and upper-right corners of the body
    m, d = new_mask(big)
    for gx in range(7):
        for gy in range(5):
            ellipse(d, px0 + 28 + gx * 12, 330 + gy * 12, 1.3, 1.3)
            ellipse(d, px1 - 28 - gx * 12, py0 + HEADER + 130 + gy * 12, 1.3, 1.3)
    paint(big, m, rgb("#9fbde6"), 0.45)

    # soft bar at the top right of the body (where the page puts its links)
    m, d = new_mask(big)
    rrect(d, 700, 86, px1 - 14, 118, 6)
    g = Image.new("L", (big.size[0], 1))
    gp = g.load()
    for x in range(big.size[0]):
        t = (x / float(SS) - 700) / 90.0
        gp[x, 0] = int(255 * max(0.0, min(1.0, t)))
    g = g.resize(big.size, Image.NEAREST)
    paint(big, ImageChops.multiply(m, g), rgb("#e3ebf6"))

    # header strip
    m, d = new_mask(big)
    rrect(d, px0 + 1, py0 + 1, px1 - 1, py0 + HEADER + 10, R - 1)
    rect(d, px0 + 1, py0 + HEADER, px1 - 1, py0 + HEADER + 12, fill=0)
    paint(big, m, vgrad(W * SS, H * SS, [(0, rgb("#2a7be0")), ((py0 + HEADER + 1) / float(H), BLUE_BOT),
                                         (1, BLUE_BOT)]))
    # header decoration: large faint rings and a diagonal sheen on the right
    deco, dd = new_mask(big)
    for (cx, cy, rr) in ((760, 10, 70), (700, 90, 46), (560, 0, 30)):
        dd.ellipse([S(cx - rr), S(cy - rr), S(cx + rr), S(cy + rr)], outline=255, width=int(S(1.5)))
    poly(dd, [(610, py0 + 1), (650, py0 + 1), (600, py0 + HEADER), (560, py0 + HEADER)])
    poly(dd, [(665, py0 + 1), (680, py0 + 1), (630, py0 + HEADER), (615, py0 + HEADER)])
    hclip, hc = new_mask(big)
    rrect(hc, px0 + 1, py0 + 1, px1 - 1, py0 + HEADER + 10, R - 1)
    rect(hc, px0 + 1, py0 + HEADER, px1 - 1, py0 + HEADER + 12, fill=0)
    paint(big, ImageChops.multiply(deco, hclip), WHITE, 0.09)
    # accent line under the header: orange fading into blue
    lg = Image.new("RGBA", (big.size[0], 1))
    lp = lg.load()
    for x in range(big.size[0]):
        t = (x / float(SS) - px0) / float(px1 - px0)
        c = mix(ACCENT, rgb("#ffb24d"), t * 2) if t < 0.5 else mix(rgb("#ffb24d"), rgb("#7fb2f0"), (t - 0.5) * 2)
        lp[x, 0] = c + (255,)
    lg = lg.resize(big.size, Image.NEAREST)
    m, d = new_mask(big)
    rect(d, px0 + 1, py0 + HEADER, px1 - 1, py0 + HEADER + 2)
    paint(big, m, lg)

    # emblem in the header
    panel = shrink(big, W, H)
    emb = z_emblem(32)
    panel.alpha_composite(emb, (px0 + 18, py0 + (HEADER - 32) // 2))
    # title
    text_on(panel, (px0 + 62, py0 + HEADER // 2 + 7), "MirelCorvale 极速登录器", 19, WHITE)

    img.alpha_composite(panel)
    # faint shadow pixels would turn into an opaque light halo: drop them
    img = img.copy()
    p = img.load()
    for y in range(H):
        for x in range(W):
            if p[x, y][3] < 10:
                p[x, y] = CLEAR
    return img


# --------------------------------------------------------------------------
# checks

def program_view(img):
    """The opaque bitmap the program makes from a PNG; key colour for clear."""
    out = Image.new("RGB", img.size)
    src = img.load()
    dst = out.load()
    w, h = img.size
    for y in range(h):
        for x in range(w):
            r, g, b, a = src[x, y]
            if a == 0:
                dst[x, y] = KEY
            else:
                t = a / 255.0
                dst[x, y] = (int(round(r * t + 255 * (1 - t))),
                             int(round(g * t + 255 * (1 - t))),
                             int(round(b * t + 255 * (1 - t))))
    return out


EXPECTED = {
    129: (851, 521), 131: (30, 51), 132: (132, 28), 133: (228, 23), 134: (30, 51),
    135: (108, 28), 136: (108, 28), 137: (108, 28), 138: (108, 27), 139: (176, 28),
    140: (567, 22), 141: (39, 13), 142: (14, 16), 148: (108, 27), 149: (108, 27),
    150: (316, 28), 151: (316, 28), 152: (390, 21), 153: (390, 21), 162: (284, 150),
}


def check(images):
    for k, size in EXPECTED.items():
        assert k in images, "missing %d" % k
        im = images[k]
        assert im.mode == "RGBA", (k, im.mode)
        assert im.size == size, "%d is %r, want %r" % (k, im.size, size)
        # the key colour must only appear where the pixel is clear
        px = program_view(im)
        a = im.getchannel("A").load()
        pv = px.load()
        for y in range(size[1]):
            for x in range(size[0]):
                if a[x, y] != 0:
                    assert pv[x, y] != KEY, "key colour at %d (%d,%d)" % (k, x, y)
    # skins: rounded corners cut by key pixels, inside of the corner opaque
    for k in (131, 134, 162):
        im = images[k]
        w, h = im.size
        a = im.getchannel("A").load()
        for (x, y) in ((0, 0), (1, 0), (0, 1), (2, 0), (0, 2)):
            for (cx, cy) in ((x, y), (w - 1 - x, y), (x, h - 1 - y), (w - 1 - x, h - 1 - y)):
                assert a[cx, cy] == 0, "skin %d corner (%d,%d) not clear" % (k, cx, cy)
        for (cx, cy) in ((4, 0), (0, 4), (w - 5, 0), (w - 1, h - 5), (8, 8), (w // 2, h // 2)):
            assert a[cx, cy] == 255, "skin %d (%d,%d) not opaque" % (k, cx, cy)
        # key pixels only inside the four 9x9 corner blocks
        for y in range(h):
            for x in range(w):
                if a[x, y] == 0:
                    assert (x < 9 or x >= w - 9) and (y < 9 or y >= h - 9), (k, x, y)
    # nine-slice skins: rows and columns of the stretched parts are uniform
    for k in (131, 134):
        im = images[k]
        p = im.load()
        for y in range(30, 47):
            assert len({p[x, y] for x in range(4, 26)}) == 1, (k, "row", y)
        for x in range(4, 26):
            assert len({p[x, y] for y in range(30, 47)}) == 1, (k, "column", x)
        for y in range(9, 42):
            for x in list(range(0, 4)) + list(range(26, 30)):
                assert p[x, y] == p[x, 42] or y < 30, (k, x, y)
        for x in range(9, 21):
            assert all(p[x, y] == p[9, y] for y in range(51)), (k, "band column", x)
    # dark-band pictures must be fully opaque or fully clear
    for k in (132, 134, 135, 136, 137, 138, 139, 140, 141, 142, 148, 149, 150, 151, 153):
        vals = set(images[k].getchannel("A").getdata())
        assert vals <= {0, 255}, (k, sorted(vals)[:5])
    # progress fill: uniform between its rounded ends
    p = images[153].load()
    for x in range(12, PROGRESS_W - 12):
        for y in range(PROGRESS_H):
            assert p[x, y] == p[12, y], ("153 not uniform", x, y)
    p = images[152].load()
    for x in range(12, PROGRESS_W - 12):
        for y in range(PROGRESS_H):
            assert p[x, y] == p[12, y], ("152 not uniform", x, y)


# --------------------------------------------------------------------------
# preview sheet (not a resource)

def checker(w, h, cell=8):
    im = Image.new("RGB", (w, h), (204, 204, 204))
    d = ImageDraw.Draw(im)
    for y in range(0, h, cell):
        for x in range(0, w, cell):
            if (x // cell + y // cell) % 2 == 0:
                d.rectangle([x, y, x + cell - 1, y + cell - 1], fill=(236, 236, 236))
    return im


def context_bg(k, w, h):
    """What a picture will sit on in the program (checker when unknown)."""
    if k in (135, 136, 137, 138, 139, 142, 148, 149, 150, 151, 132, 140):
        dy = {140: BAND_H - h, 142: 7}.get(k, 1)
        bg = Image.new("RGB", (w, h))
        d = ImageDraw.Draw(bg)
        for y in range(h):
            d.line([(0, y), (w, y)], fill=navy_band(y + dy))
        return bg
    if k == 141:
        return Image.new("RGB", (w, h), rgb("#2b3a4f"))
    if k in (133, 152):
        return Image.new("RGB", (w, h), BODY)
    return checker(w, h, 4)


def keyed(img_rgb):
    """Program bitmap -> RGBA with the key colour see-through."""
    out = img_rgb.convert("RGBA")
    p = out.load()
    w, h = out.size
    for y in range(h):
        for x in range(w):
            if p[x, y][:3] == KEY:
                p[x, y] = (0, 0, 0, 0)
    return out


def nine_slice(skin_rgb, w, h, top=BAND_H, side=4, bottom=4):
    sw, sh = skin_rgb.size
    out = Image.new("RGB", (w, h))
    xs = [(0, side, 0, side), (side, sw - side, side, w - side), (sw - side, sw, w - side, w)]
    ys = [(0, top, 0, top), (top, sh - bottom, top, h - bottom), (sh - bottom, sh, h - bottom, h)]
    for sx0, sx1, dx0, dx1 in xs:
        for sy0, sy1, dy0, dy1 in ys:
            part = skin_rgb.crop((sx0, sy0, sx1, sy1)).resize((dx1 - dx0, dy1 - dy0), Image.NEAREST)
            out.paste(part, (dx0, dy0))
    # window outline from the key pixels of the four 9x9 corner blocks
    sp = skin_rgb.load()
    op = out.load()
    for y in range(h):
        for x in range(w):
            if 9 <= x < w - 9 or 9 <= y < h - 9:
                if op[x, y] == KEY:
                    op[x, y] = (1, 1, 1)    # not see-through away from corners
                continue
            sx = x if x < 9 else sw - (w - x)
            sy = y if y < 9 else sh - (h - y)
            op[x, y] = KEY if sp[sx, sy] == KEY else op[x, y]
    return out


def put(dst, img_rgb, xy):
    dst.alpha_composite(keyed(img_rgb), xy)


def frame_of(strip, i, n):
    w = strip.size[0] // n
    return strip.crop((i * w, 0, (i + 1) * w, strip.size[1]))


def label_text(img, xy, s, colour, size=12, anchor="ls"):
    m = Image.new("L", img.size, 0)
    ImageDraw.Draw(m).text(xy, s, font=font(size), fill=255, anchor=anchor)
    layer = Image.new("RGBA", img.size, colour + (255,))
    layer.putalpha(m)
    img.alpha_composite(layer)


def mock_launcher(v):
    W, H = 1300, 190
    win = keyed(nine_slice(v[134], W, H))
    # account icon and tabs
    put(win, v[142], (10, 7))
    label_text(win, (28, 19), "登录其他账号", (230, 236, 244), 12)
    x = 110
    for i, (st, title) in enumerate(((2, "一区 魔法之森"), (0, "三区 龙之谷"), (1, "七区 雪原"))):
        put(win, frame_of(v[140], st, 3), (x, BAND_H - 22))
        label_text(win, (x + 12, BAND_H - 6), title, (255, 255, 255), 12)
        put(win, frame_of(v[141], (0, 0, 1)[i], 3), (x + 189 - 22, BAND_H - 22 + 5))
        x += 189
    # hall button and the right-hand tools
    xr = W - 1
    tools = [(132, 0, 33, 1), (135, 0, 27, 1), (136, 1, 27, 1), (138, 0, 27, 1), (148, 0, 27, 1),
             (149, 1, 27, 1), (139, 1, 44, 1)]
    for k, st, w, y in tools:
        xr -= w
        put(win, frame_of(v[k], st, 4), (xr, y if k not in (138, 148, 149) else 2))
        if k == 139:
            label_text(win, (xr + 20, 19), "系统", (255, 255, 255), 12, anchor="ms")
    put(win, frame_of(v[150], 0, 4), (x + 6, 1))
    for i in range(4):
        put(win, frame_of(v[151], i, 4), (x + 6 + 85 * i, 50))
        put(win, frame_of(v[150], i, 4), (x + 6 + 85 * i, 90))
    put(win, v[152].crop((0, 0, 390, 21)), (40, 120))
    fill = v[153]
    part = Image.new("RGB", (230, 21))
    part.paste(fill.crop((0, 0, 11, 21)), (0, 0))
    part.paste(fill.crop((11, 0, 12, 21)).resize((208, 21)), (11, 0))
    part.paste(fill.crop((379, 0, 390, 21)), (219, 0))
    put(win, part, (40, 120))
    label_text(win, (40, 110), "正在载入游戏 58%", (200, 210, 222), 12)
    return win


def mock_dialog(v):
    W, H = (420, 170)
    win = keyed(nine_slice(v[131], W, H))
    label_text(win, (10, 20), "设置", (255, 255, 255), 13)
    put(win, frame_of(v[132], 0, 4), (W - 34, 1))
    label_text(win, (20, 60), "确定要退出游戏吗？", (30, 30, 30), 12)
    put(win, v[152], (15, 75))
    part = Image.new("RGB", (150, 21))
    part.paste(v[153].crop((0, 0, 11, 21)), (0, 0))
    part.paste(v[153].crop((11, 0, 12, 21)).resize((128, 21)), (11, 0))
    part.paste(v[153].crop((379, 0, 390, 21)), (139, 0))
    put(win, part, (15, 75))
    for i, (st, s) in enumerate(((0, "确定"), (1, "取消"), (2, "应用"), (3, "帮助"))):
        bx = W - 4 * 65 + i * 65 - 10
        put(win, frame_of(v[133], st, 4), (bx, H - 40))
        label_text(win, (bx + 28, H - 40 + 16), s, (0, 0, 0) if st != 3 else (150, 150, 150), 12,
                   anchor="ms")
    return win


def mock_162(v):
    win = keyed(v[162])     # shown 1:1
    label_text(win, (10, 20), "登录其他账号", (255, 255, 255), 13)
    for i, s in enumerate(("您可以在新标签页中登录其他账号，", "多个账号互不影响，同时进行游戏。", "是否继续？")):
        label_text(win, (16, 56 + i * 18), s, (40, 40, 40), 12)
    for i, s in enumerate(("确定", "取消")):
        bx = 284 - 140 + i * 65
        put(win, frame_of(v[133], 0, 4), (bx, 150 - 36))
        label_text(win, (bx + 28, 150 - 36 + 16), s, (0, 0, 0), 12, anchor="ms")
    return win


def make_preview(images, icons):
    views = {k: program_view(im) for k, im in images.items()}
    tiles = []
    for k in sorted(images):
        if k == 129:
            continue
        v = views[k]
        w, h = v.size
        t = context_bg(k, w, h).resize((w * 2, h * 2), Image.NEAREST).convert("RGBA")
        t.alpha_composite(keyed(v).resize((w * 2, h * 2), Image.NEAREST))
        tiles.append(("%d  (%dx%d)" % (k, w, h), t))
    for name, ims in icons:
        row = Image.new("RGBA", (sum(i.size[0] for i in ims[:-1]) * 2 + 8 * len(ims) + 128, 130),
                        (0, 0, 0, 0))
        x = 0
        for i in ims:
            s = i.size[0]
            disp = i if s == 256 else i.resize((s * 2, s * 2), Image.NEAREST)
            if s == 256:
                disp = i.resize((128, 128), Image.LANCZOS)
            bg = checker(disp.size[0], disp.size[1], 4).convert("RGBA")
            bg.alpha_composite(disp)
            row.alpha_composite(bg, (x, 0))
            x += disp.size[0] + 8
        tiles.append((name, row))
    W = 1900
    pad = 16
    # layout tiles in rows
    rows = []
    cur, cw, ch = [], 0, 0
    for lab, t in tiles:
        if cur and cw + t.size[0] + pad > W - pad:
            rows.append((cur, ch))
            cur, cw, ch = [], 0, 0
        cur.append((lab, t))
        cw += t.size[0] + pad
        ch = max(ch, t.size[1] + 20)
    if cur:
        rows.append((cur, ch))
    launcher = mock_launcher(views)
    dialog = mock_dialog(views)
    small = mock_162(views)
    login = keyed(views[129])
    mock_h = launcher.size[1] + 30 + max(dialog.size[1], small.size[1]) + 30 + login.size[1] + 40
    H = pad + sum(h + pad for _, h in rows) + mock_h + 60
    sheet = Image.new("RGBA", (W, H), (58, 66, 78, 255))
    y = pad
    for cur, ch in rows:
        x = pad
        for lab, t in cur:
            label_text(sheet, (x, y + 13), lab, (255, 255, 255), 13)
            sheet.alpha_composite(t, (x, y + 18))
            x += t.size[0] + pad
        y += ch + pad
    # mock-ups on a "desktop"
    sheet.alpha_composite(launcher, (pad, y))
    y += launcher.size[1] + 30
    sheet.alpha_composite(dialog, (pad, y))
    sheet.alpha_composite(small, (pad + dialog.size[0] + 40, y))
    y += max(dialog.size[1], small.size[1]) + 30
    desk = Image.new("RGBA", (login.size[0] + 40, login.size[1] + 40), (120, 150, 175, 255))
    desk.alpha_composite(login, (20, 20))
    sheet.alpha_composite(desk, (pad, y))
    light = Image.new("RGBA", (login.size[0] + 40, login.size[1] + 40), (240, 240, 240, 255))
    light.alpha_composite(login, (20, 20))
    if pad + desk.size[0] + 20 + light.size[0] <= W:
        sheet.alpha_composite(light, (pad + desk.size[0] + 20, y))
    return sheet.convert("RGB")


# --------------------------------------------------------------------------

def save_png(img, path):
    img.save(path, format="PNG", optimize=False, compress_level=9)


def main():
    images = {
        129: img_129(),
        131: skin_131(),
        132: btn_132(),
        133: btn_133(),
        134: skin_134(),
        135: btn_135(),
        136: btn_136(),
        137: btn_137(),
        138: btn_138(),
        139: btn_139(),
        140: img_140(),
        141: img_141(),
        142: img_142(),
        148: btn_148(),
        149: btn_149(),
        150: hall_button(False),
        151: hall_button(True),
        152: img_152(),
        153: img_153(),
        162: skin_162(),
    }
    images = {k: clean(v) for k, v in images.items()}
    check(images)

    icons = [
        ("program.ico", [z_emblem(s) for s in ICON_SIZES]),
        ("portal.ico", [portal_icon(s) for s in ICON_SIZES]),
        ("favorite.ico", [star_icon(s) for s in ICON_SIZES]),
    ]
    for name, ims in icons:
        assert [i.size for i in ims] == [(s, s) for s in ICON_SIZES], name
        for i in ims:
            assert i.mode == "RGBA"

    os.makedirs(PNG_DIR, exist_ok=True)
    os.makedirs(ICO_DIR, exist_ok=True)
    for k, im in sorted(images.items()):
        save_png(im, os.path.join(PNG_DIR, "%d.png" % k))
    for name, ims in icons:
        with open(os.path.join(ICO_DIR, name), "wb") as f:
            f.write(ico_bytes(ims))
    # read back what was written
    for k, size in EXPECTED.items():
        with Image.open(os.path.join(PNG_DIR, "%d.png" % k)) as im:
            assert im.size == size and im.mode == "RGBA", k
    for name, _ in icons:
        with Image.open(os.path.join(ICO_DIR, name)) as im:
            assert set(im.info["sizes"]) == {(s, s) for s in ICON_SIZES}, name

    if "--preview" in sys.argv:
        save_png(make_preview(images, icons), os.path.join(HERE, "preview.png"))
    print("wrote %d images and %d icons" % (len(images), len(icons)))


if __name__ == "__main__":
    main()
