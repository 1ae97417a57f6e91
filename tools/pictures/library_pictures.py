"""The pictures of the resource library common_res.dll: the default background, the butterfly
atlas, the flame picture with its offset map, the heat-haze bump map and two autumn leaves (the
sprite pictures come from sprite_pictures.py and fish_and_light_pictures.py)."""

import math
import random

import fish_and_light_pictures
import legacy_pictures
import sprite_pictures
from imagefile import Image, clamp01
from noise import fbm_grid, fbm_line, mix, smoothstep, lerp


# --- 5: default background ---------------------------------------------------------------------
# A lake valley at dusk: a violet-to-gold sky with a low sun, lit clouds and the first stars,
# layered hills fading into haze, the sky mirrored in still water, dark wooded slopes in front.

def _sky_colour(t):
    """Sky colour from the zenith (t = 0) down to the horizon (t = 1)."""
    stops = [(0.00, (0.05, 0.07, 0.22)),
             (0.40, (0.22, 0.20, 0.45)),
             (0.70, (0.70, 0.40, 0.48)),
             (0.88, (0.96, 0.62, 0.44)),
             (1.00, (1.00, 0.80, 0.52))]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, smoothstep(t0, t1, t) if t1 > t0 else 1.0)
    return stops[-1][1]


def background(width=1024, height=768):
    img = Image(width, height, 3)
    water_line = int(height * 0.70)
    sun_x, sun_y = width * 0.34, height * 0.585
    sun_r = height * 0.030

    clouds = fbm_grid(width, water_line, 3, 6, 5, seed=501)
    rng = random.Random(502)
    stars = {}
    for _ in range(420):
        sx = rng.randrange(width)
        sy = int(rng.random() ** 1.6 * water_line * 0.55)
        stars[(sx, sy)] = 0.35 + 0.65 * rng.random()

    # Hill layers, far to near: top line, colour of the ridge, haze mixed in.
    layers = []
    for k, (base, amp, colour, seed) in enumerate([
            (0.56, 0.08, (0.48, 0.36, 0.52), 511),
            (0.61, 0.07, (0.32, 0.25, 0.42), 512),
            (0.655, 0.05, (0.19, 0.15, 0.30), 513)]):
        line = fbm_line(width, 4 + 3 * k, 4, seed)
        tops = [height * (base - amp * (v - 0.5) * 2.0) for v in line]
        layers.append((tops, colour))
    haze = (1.0, 0.70, 0.55)

    def scene_above(x, y):
        t = y / water_line
        c = _sky_colour(t)
        # Sun glow and disc.
        dx = (x - sun_x) / width
        dy = (y - sun_y) / height
        d2 = dx * dx + dy * dy * 1.8
        glow = math.exp(-d2 / 0.012) * 0.55 + math.exp(-d2 / 0.0012) * 0.35
        c = (min(1.0, c[0] + glow * 1.0), min(1.0, c[1] + glow * 0.78), min(1.0, c[2] + glow * 0.45))
        dist = math.hypot(x - sun_x, y - sun_y)
        disc = 1.0 - smoothstep(sun_r - 1.5, sun_r + 1.5, dist)
        c = mix(c, (1.0, 0.96, 0.82), disc)
        # Clouds: thin bands, brighter toward the sun and the horizon.
        n = clouds[y * width + x]
        band = smoothstep(0.15, 0.55, t) * (1.0 - smoothstep(0.80, 0.98, t))
        cover = smoothstep(0.52, 0.78, n) * band * 0.75
        if cover > 0.0:
            lit = mix((0.42, 0.30, 0.52), (1.0, 0.66, 0.58), smoothstep(0.3, 0.95, t) + glow)
            c = mix(c, lit, cover)
        # Stars fade out toward the horizon and behind clouds.
        s = stars.get((x, y))
        if s:
            a = s * (1.0 - smoothstep(0.10, 0.50, t)) * (1.0 - cover)
            c = (c[0] + a, c[1] + a, c[2] + a * 0.9)
        # Hills: the nearest layer covering the pixel wins; haze thins with depth below the ridge.
        for tops, colour in layers:
            top = tops[x]
            if y >= top:
                depth = (y - top) / height
                mist = math.exp(-depth * 18.0) * 0.45
                shade = mix(colour, (colour[0] * 0.7, colour[1] * 0.7, colour[2] * 0.8),
                            smoothstep(0.0, 0.12, depth))
                c = mix(shade, haze, mist * (0.6 + 0.4 * glow))
        return (clamp01(c[0]), clamp01(c[1]), clamp01(c[2]))

    rows = []
    for y in range(water_line):
        row = [scene_above(x, y) for x in range(width)]
        rows.append(row)
        for x in range(width):
            img.set(x, y, row[x])

    # Water: the scene mirrored, darkened and tinted, with fine horizontal ripples and a
    # glitter path under the sun.
    ripple_rng = random.Random(520)
    phases = [ripple_rng.random() * 6.283 for _ in range(height)]
    for y in range(water_line, height):
        depth = (y - water_line) / (height - water_line)
        src_y = max(0, min(water_line - 1, 2 * water_line - y - 1))
        src = rows[src_y]
        wobble = 0.6 + depth * 2.5
        for x in range(width):
            sx = int(x + wobble * math.sin(x * 0.021 + phases[y]))
            sx = 0 if sx < 0 else (width - 1 if sx >= width else sx)
            r, g, b = src[sx]
            dim = 0.78 - 0.25 * depth
            c = (r * dim, g * dim * 0.93, b * dim * 0.97 + 0.02)
            glitter = math.exp(-((x - sun_x) / (width * (0.02 + 0.06 * depth))) ** 2)
            if glitter > 0.05 and ((x * 7919 + y * 104729 + int(phases[y] * 1000)) % 97) < 9:
                c = (c[0] + 0.45 * glitter, c[1] + 0.33 * glitter, c[2] + 0.15 * glitter)
            # A soft bright seam where water meets the far shore.
            c = mix(c, (0.95, 0.70, 0.55), 0.25 * math.exp(-(y - water_line) / 2.5))
            img.set(x, y, c)

    # Dark wooded slopes in front, rising on both sides.
    fg_line = fbm_line(width, 10, 4, 530)
    tree_rng = random.Random(531)
    trees = []
    for _ in range(70):
        side = tree_rng.random()
        tx = side ** 1.8 * width * 0.38 if tree_rng.random() < 0.62 else width - side ** 1.8 * width * 0.30
        trees.append((tx, height * (0.035 + 0.06 * tree_rng.random()), 0.22 + 0.12 * tree_rng.random()))

    def slope_top(x):
        left = max(0.0, 1.0 - x / (width * 0.42)) ** 1.6
        right = max(0.0, 1.0 - (width - x) / (width * 0.34)) ** 1.6
        return height * (0.985 - 0.30 * left - 0.22 * right - 0.025 * fg_line[int(x)])

    for x in range(width):
        top = slope_top(x)
        for tx, th, spread in trees:
            dx = abs(x - tx)
            half = th * spread
            if dx < half:
                ground = slope_top(min(width - 1, max(0, int(tx))))
                # A conifer: a narrow triangle with a slightly ragged outline.
                ragged = 0.10 * th * abs(math.sin(dx * 0.9 + tx))
                tip = ground - th + dx / spread + ragged * (dx / half)
                top = min(top, tip)
        y0 = max(0, int(math.floor(top)))
        for y in range(y0, height):
            cover = clamp01(y - top + 1.0)
            under = img.get(x, y)
            shade = (0.035, 0.030, 0.055)
            rim = math.exp(-(y - top) / 3.0) * 0.10
            fg = (shade[0] + rim * 0.9, shade[1] + rim * 0.5, shade[2] + rim * 0.5)
            img.set(x, y, mix(under, fg, cover))
    return img


# --- 6: butterfly atlas --------------------------------------------------------------------------
# 256 x 256 RGBA. The wing (one wing, the other is its mirror) fills u 0 to 0.75: u runs from the
# hinge on the body (0) out to the wing tip, v from the front edge (0) to the rear (1). The body
# strip fills u 0.8 to 0.95, v from the nose (0) to the tail (1). Everything else is clear, and
# clear texels carry the dark colour of the wing margin, so filtering never pulls in a foreign
# colour.

def _ellipse(u, v, cu, cv, ru, rv, angle):
    ca, sa = math.cos(angle), math.sin(angle)
    du, dv = u - cu, v - cv
    a = (du * ca + dv * sa) / ru
    b = (-du * sa + dv * ca) / rv
    return math.sqrt(a * a + b * b)


def butterfly(size=256):
    img = Image(size, size, 4)
    margin = (0.06, 0.035, 0.03)
    wing_width = 0.75 * size - 4
    for y in range(size):
        v = y / (size - 1)
        for x in range(size):
            u = x / (size - 1)
            if x < 0.75 * size:
                # Wing coordinates: s along the span (0 at the hinge, 1 at the tip), v as is.
                s = x / wing_width
                fore = _ellipse(s, v, 0.50, 0.27, 0.56, 0.20, -0.42)
                hind = _ellipse(s, v, 0.34, 0.64, 0.36, 0.30, 0.35)
                d = min(fore, hind)
                px = 1.0 / (0.5 * size * 0.2)  # about one texel in ellipse units
                alpha = 1.0 - smoothstep(1.0 - px, 1.0 + px, d)
                # Keep four texels clear at the atlas edges and at the hinge side.
                if x < 1 or y < 4 or y > size - 5 or x > wing_width:
                    alpha = 0.0
                # Colour: warm amber, deeper near the body, with dark veins radiating from the
                # hinge, a dark border carrying pale spots, and a pale band across the forewing.
                base = mix((0.98, 0.62, 0.12), (0.80, 0.28, 0.05), smoothstep(0.7, 0.0, s))
                ang = math.atan2(v - 0.5, s + 0.08)
                vein = abs(math.sin(ang * 9.0))
                vein = smoothstep(0.10, 0.0, vein) * smoothstep(0.05, 0.25, s)
                c = mix(base, margin, vein * 0.85)
                # A dark apex on the forewing tip.
                apex = smoothstep(0.62, 0.85, s) * smoothstep(0.42, 0.22, v)
                c = mix(c, margin, apex * 0.9)
                border = smoothstep(0.76, 0.82, d)
                c = mix(c, margin, border)
                # Pale dots in two rows inside the border, and a pale bar across the dark apex.
                for ring, rows_k, width_k in ((0.905, 34.0, 0.045), (0.74, 24.0, 0.05)):
                    dots = smoothstep(0.55, 0.95, math.sin(ang * rows_k))
                    near = 1.0 - smoothstep(width_k * 0.5, width_k, abs(d - ring))
                    c = mix(c, (0.98, 0.93, 0.80), dots * near * (border if ring > 0.9 else apex))
                band = _ellipse(s, v, 0.72, 0.19, 0.12, 0.04, -0.45)
                c = mix(c, (1.0, 0.93, 0.78), (1.0 - smoothstep(0.7, 1.0, band)) * apex)
                body_shade = smoothstep(0.12, 0.0, s) * 0.5
                c = mix(c, margin, body_shade)
                if alpha <= 0.0:
                    c = margin
                img.set(x, y, c, alpha)
            elif x < 0.8 * size - 4 or x > 0.95 * size + 4:
                # Clear gaps beside the body strip, so that neither the wing's outer edge
                # (u = 0.75) nor the strip's sides filter in a foreign texel.
                img.set(x, y, margin, 0.0)
            else:
                # Body strip (with four texels of padding on each side): dark, with a furred
                # thorax and a banded abdomen. Opaque along its whole length so the body looks
                # the same with blending on or off.
                if v < 0.14:
                    c = (0.07, 0.05, 0.05)
                elif v < 0.42:
                    fur = 0.5 + 0.5 * math.sin(x * 2.1 + y * 0.7) * math.sin(y * 1.3)
                    c = mix((0.22, 0.15, 0.09), (0.34, 0.24, 0.14), fur)
                else:
                    ring = 0.5 + 0.5 * math.cos((v - 0.42) * 60.0)
                    c = mix((0.09, 0.06, 0.05), (0.36, 0.26, 0.14), smoothstep(0.75, 1.0, ring))
                img.set(x, y, c, 1.0)
    return img


# --- 7, 8: flames and their offset map ----------------------------------------------------------
# The flame picture is stretched over the lower part of the picture with v growing downward:
# a row of flame tongues, white-hot at the bottom, through yellow and orange to a transparent
# red at the tips, with clear air above. Its top rows are fully transparent because displaced
# look-ups clamp to them. The offset map is smooth red and green noise around 128 that tiles.

def _flame_colour(heat):
    stops = [(0.00, (0.50, 0.05, 0.00)),
             (0.30, (0.85, 0.22, 0.02)),
             (0.55, (1.00, 0.52, 0.08)),
             (0.80, (1.00, 0.82, 0.30)),
             (1.00, (1.00, 0.97, 0.80))]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if heat <= t1:
            return mix(c0, c1, (heat - t0) / (t1 - t0))
    return stops[-1][1]


def flames(width=512, height=256):
    img = Image(width, height, 4)
    rng = random.Random(701)
    tongues = []
    x = 0.0
    while x < width + 40:
        tongues.append((x, 0.45 + 0.5 * rng.random(), 14 + 22 * rng.random()))
        x += 18 + 26 * rng.random()
    flicker = fbm_grid(width, height, 8, 4, 4, seed=702)
    for y in range(height):
        up = 1.0 - y / (height - 1)  # 0 at the bottom edge, 1 at the top edge
        for x in range(width):
            # The flame's reach at this column: the tallest tongue nearby.
            reach = 0.25
            for tx, th, tw in tongues:
                d = (x - tx) / tw
                if -2.0 < d < 2.0:
                    reach = max(reach, th * math.exp(-d * d))
            n = flicker[y * width + x]
            heat = (1.0 - up / reach) * 1.15 + (n - 0.5) * 0.35
            heat = clamp01(heat)
            alpha = smoothstep(0.0, 0.35, heat)
            if y < 6:
                alpha = 0.0
            c = _flame_colour(heat)
            img.set(x, y, c, alpha)
    return img


def _centred(values, reach):
    """Noise moved so that its mean sits exactly at 0.5, its largest swing reaching +-reach."""
    mean = sum(values) / len(values)
    swing = max(abs(v - mean) for v in values) or 1.0
    return [0.5 + (v - mean) / swing * reach for v in values]


def offset_map(size=256):
    img = Image(size, size, 3)
    red = _centred(fbm_grid(size, size, 4, 4, 5, seed=801, persistence=0.55), 0.45)
    green = _centred(fbm_grid(size, size, 4, 4, 5, seed=802, persistence=0.55), 0.45)
    for y in range(size):
        for x in range(size):
            i = y * size + x
            img.set(x, y, (red[i], green[i], 0.5))
    return img


# --- 62: heat-haze bump map ---------------------------------------------------------------------
# Finer red and green noise around 128 that tiles, stretched upward like rising hot air.

def haze_bump(size=256):
    img = Image(size, size, 3)
    red = _centred(fbm_grid(size, size, 8, 4, 4, seed=6201, persistence=0.6), 0.4)
    green = _centred(fbm_grid(size, size, 8, 4, 4, seed=6202, persistence=0.6), 0.4)
    for y in range(size):
        for x in range(size):
            i = y * size + x
            img.set(x, y, (red[i], green[i], 0.5))
    return img


# --- 30, 31: autumn leaves ----------------------------------------------------------------------
# One leaf for the falling leaves, laid over the leaf mesh once: u across the blade (midrib at
# 0.5), v along it from the tip (0) to the end of the stalk (1). A pointed blade with a finely
# toothed edge, pale veins and a few brown spots, on a brown stalk; 30 is deep red at the rim
# through orange to gold along the midrib, 31 ochre at the rim through gold to pale yellow.
# Everything outside is clear and carries the rim's colour, so filtering at the outline never
# pulls in a foreign one.

# Midrib, middle and rim colours of each leaf.
_LEAF_COLOURS = {
    "red": ((1.0, 0.78, 0.16), (0.95, 0.42, 0.06), (0.70, 0.10, 0.04), (0.45, 0.07, 0.03)),
    "golden": ((1.0, 0.93, 0.45), (0.96, 0.74, 0.12), (0.80, 0.45, 0.05), (0.50, 0.24, 0.03)),
}

def _leaf_half_width(v):
    """Half the blade's width (in u) at v, 0 outside the blade: a pointed tip, the widest part
    past the middle, a rounded base and a finely toothed edge."""
    t = (v - 0.03) / 0.78
    if t <= 0.0 or t >= 1.0:
        return 0.0
    body = math.sin(math.pi * t ** 1.4) ** 0.6 * 0.36
    teeth = 1.0 - 0.035 * abs(math.sin(t * math.pi * 17.0))
    return body * teeth


def leaf(size=128, colours="red", seed=3001):
    inner, middle, outer, rim = _LEAF_COLOURS[colours]
    img = Image(size, size, 4)
    spots = fbm_grid(size, size, 8, 8, 3, seed=seed)
    blush = fbm_grid(size, size, 3, 3, 3, seed=seed + 1)
    px = 1.0 / size
    for y in range(size):
        v = (y + 0.5) / size
        for x in range(size):
            u = (x + 0.5) / size
            du = abs(u - 0.5)
            half = _leaf_half_width(v)
            blade = 1.0 - smoothstep(half - px, half + px, du) if half > 0.0 else 0.0
            stalk = 0.0
            if 0.76 <= v <= 0.97:
                stalk = 1.0 - smoothstep(0.012, 0.012 + px * 1.5, du)
            alpha = max(blade, stalk)
            if x == 0 or y == 0 or x == size - 1 or y == size - 1:
                alpha = 0.0
            if alpha <= 0.0:
                img.set(x, y, rim, 0.0)
                continue
            if blade < stalk:
                img.set(x, y, (0.36, 0.20, 0.08), alpha)
                continue
            # Colour from the rim (r = 1) to the midrib (r = 0), shifted by a soft blush.
            r = du / half if half > 0.0 else 1.0
            i = y * size + x
            k = clamp01(r * 0.85 + (blush[i] - 0.5) * 0.6)
            c = mix(inner, middle, smoothstep(0.0, 0.6, k))
            c = mix(c, outer, smoothstep(0.5, 1.0, k))
            # Veins: the midrib and side veins that run out and up toward the tip.
            mid = 1.0 - smoothstep(0.006, 0.016, du)
            side = abs(math.sin((v + du * 1.1) * math.pi * 8.0))
            side = (1.0 - smoothstep(0.0, 0.16, side)) * smoothstep(0.02, 0.06, du) * (1.0 - smoothstep(0.6, 0.9, r))
            vein = max(mid, side * 0.6) * (1.0 - smoothstep(0.78, 0.82, v))
            c = mix(c, (1.0, 0.88, 0.55), vein * 0.7)
            # Brown spots and a darker rim.
            spot = smoothstep(0.76, 0.82, spots[i])
            c = mix(c, (0.40, 0.17, 0.05), spot * 0.7)
            c = mix(c, rim, smoothstep(0.88, 1.0, r) * 0.6)
            img.set(x, y, c, alpha)
    return img


PICTURES = {
    "background.png": background,
    "butterfly.png": butterfly,
    "flames.png": flames,
    "flame_offsets.png": offset_map,
    "haze_bump.png": haze_bump,
    "leaf.png": leaf,
    "leaf_golden.png": lambda: leaf(colours="golden", seed=3101),
}
# The sprite pictures of flows, rain, grass, static pictures and flowers (ids 20 to 29).
PICTURES.update(sprite_pictures.PICTURES)
# The fish, bird, ghost, fog, sparkle, light-ray and lightning pictures (ids 10 to 16).
PICTURES.update(fish_and_light_pictures.PICTURES)
# The pictures that older documents name by id alone (ids 17, 19 and 39).
PICTURES.update(legacy_pictures.PICTURES)
