"""The pictures of the embedded slide show: one background per slide (the lake slide reuses the
library's lake at dusk) and the small pictures some lights take from their slide: the glyph strip
of the falling glyphs and the highlight, glint and stand of the glass ball.

Every picture is 1024 x 768 (4:3) unless said otherwise, seeded and deterministic."""

import math
import random

from imagefile import Image, clamp01
from noise import fbm_grid, fbm_line, mix, smoothstep

W, H = 1024, 768


def _gradient(stops, t):
    """Colour at t along a list of (t, colour) stops, smoothly blended."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, smoothstep(t0, t1, t))
    return stops[-1][1]


def _add(c, k, tint=(1.0, 1.0, 1.0)):
    return (c[0] + k * tint[0], c[1] + k * tint[1], c[2] + k * tint[2])


def _scale(c, k):
    return (c[0] * k, c[1] * k, c[2] * k)


def _ridge(width, base, amplitude, cells, seed, octaves=4):
    """Top line of a range of hills, in pixel rows, one value per column."""
    line = fbm_line(width, cells, octaves, seed)
    return [H * (base - amplitude * (v - 0.5) * 2.0) for v in line]


def _blend_disc(img, cx, cy, rx, ry, colour_at, alpha=1.0):
    """Paints an anti-aliased ellipse; colour_at(u, v, d) gives the colour from the position in the
    ellipse (u, v in -1..1, d the normalised distance from the centre)."""
    x0, x1 = max(0, int(cx - rx - 2)), min(img.width - 1, int(cx + rx + 2))
    y0, y1 = max(0, int(cy - ry - 2)), min(img.height - 1, int(cy + ry + 2))
    edge = 1.5 / max(1.0, min(rx, ry))
    for y in range(y0, y1 + 1):
        v = (y - cy) / ry
        for x in range(x0, x1 + 1):
            u = (x - cx) / rx
            d = math.sqrt(u * u + v * v)
            if d > 1.0 + edge:
                continue
            cover = (1.0 - smoothstep(1.0 - edge, 1.0 + edge, d)) * alpha
            under = img.get(x, y)
            img.set(x, y, mix(under[:3], colour_at(u, v, d), cover))


# --- Slide 1, picture only: a summer meadow -----------------------------------------------------

def meadow():
    img = Image(W, H, 3)
    clouds = fbm_grid(W, H // 2, 4, 3, 5, seed=1101)
    horizon = 0.47
    far = _ridge(W, 0.445, 0.05, 3, 1102)
    mid = _ridge(W, 0.50, 0.04, 5, 1103)
    near = _ridge(W, 0.60, 0.05, 3, 1104)
    grass = fbm_grid(W, H, 64, 6, 3, seed=1105)
    patches = fbm_grid(W, H, 6, 4, 4, seed=1106)
    sun_x, sun_y = W * 0.80, H * 0.12
    for y in range(H):
        for x in range(W):
            t = y / (H * horizon)
            c = _gradient([(0.0, (0.22, 0.45, 0.85)), (0.7, (0.50, 0.72, 0.95)),
                           (1.0, (0.80, 0.90, 0.98))], t)
            d = math.hypot((x - sun_x) / W, (y - sun_y) / H)
            c = _add(c, math.exp(-d * d / 0.02) * 0.35, (1.0, 0.95, 0.75))
            if y < H // 2:
                n = clouds[y * W + x]
                cover = smoothstep(0.55, 0.75, n) * (1.0 - smoothstep(0.7, 1.0, t))
                if cover > 0.0:
                    lit = mix((0.78, 0.80, 0.88), (1.0, 1.0, 1.0), smoothstep(0.55, 0.9, n))
                    c = mix(c, lit, cover * 0.9)
            if y >= far[x]:
                c = mix((0.45, 0.58, 0.72), (0.62, 0.72, 0.82), 0.5)
            if y >= mid[x]:
                depth = (y - mid[x]) / H
                c = mix((0.38, 0.58, 0.42), (0.30, 0.50, 0.32), smoothstep(0.0, 0.08, depth))
                c = mix(c, (0.70, 0.80, 0.85), 0.35 * math.exp(-depth * 30.0))
            if y >= near[x]:
                depth = (y - near[x]) / (H - near[x] + 1.0)
                g = grass[y * W + x]
                p = patches[y * W + x]
                base = mix((0.42, 0.66, 0.22), (0.24, 0.48, 0.12), smoothstep(0.0, 1.0, depth))
                base = mix(base, (0.56, 0.70, 0.24), smoothstep(0.55, 0.8, p) * 0.5)
                c = _scale(base, 0.82 + 0.36 * g)
            img.set(x, y, (clamp01(c[0]), clamp01(c[1]), clamp01(c[2])))

    # Flowers: small in the distance, larger in front; white, yellow, pink and violet heads.
    rng = random.Random(1107)
    colours = [(1.0, 1.0, 0.96), (1.0, 0.86, 0.20), (0.98, 0.55, 0.70), (0.70, 0.50, 0.95),
               (1.0, 0.96, 0.98)]
    for _ in range(1500):
        x = rng.random() * W
        depth = rng.random() ** 0.7
        top = near[min(W - 1, int(x))]
        y = top + 6 + depth * (H - top)
        r = 1.2 + depth * 5.0
        head = colours[rng.randrange(len(colours))]
        shade = 0.75 + 0.25 * rng.random()

        def flower(u, v, d, head=head, shade=shade):
            eye = 1.0 - smoothstep(0.25, 0.4, d)
            petal = _scale(head, shade * (1.0 - 0.25 * v))
            return mix(petal, (0.95, 0.75, 0.15), eye)
        _blend_disc(img, x, y, r, r * 0.8, flower)
    return img


# --- Slide 2, underwater: a coral reef ----------------------------------------------------------

def reef():
    img = Image(W, H, 3)
    caustic_a = fbm_grid(W, H, 16, 12, 3, seed=1201)
    caustic_b = fbm_grid(W, H, 16, 12, 3, seed=1202)
    floor_line = _ridge(W, 0.80, 0.05, 4, 1203)
    rock_line = _ridge(W, 0.70, 0.12, 6, 1204, octaves=5)
    rock_tex = fbm_grid(W, H, 24, 18, 4, seed=1205)
    rays = [(rng_x, w) for rng_x, w in
            ((0.12, 0.035), (0.27, 0.05), (0.41, 0.025), (0.55, 0.06), (0.71, 0.03),
             (0.86, 0.045))]
    for y in range(H):
        t = y / H
        for x in range(W):
            c = _gradient([(0.0, (0.30, 0.78, 0.88)), (0.35, (0.08, 0.48, 0.70)),
                           (1.0, (0.02, 0.16, 0.36))], t)
            # Shafts of light slanting down from the surface.
            shaft = 0.0
            for rx, rw in rays:
                sx = (x / W) - (rx + (t * 0.18))
                shaft += math.exp(-(sx / rw) ** 2)
            c = _add(c, shaft * 0.10 * (1.0 - t) ** 1.5, (0.7, 1.0, 1.0))
            # The bright, rippled underside of the surface.
            if t < 0.06:
                c = _add(c, (0.06 - t) * 6.0 * caustic_a[y * W + x], (0.8, 1.0, 1.0))
            # Sandy floor with moving light nets on it.
            if y >= floor_line[x]:
                depth = (y - floor_line[x]) / H
                sand = mix((0.55, 0.62, 0.55), (0.78, 0.74, 0.58), smoothstep(0.0, 0.2, depth))
                net = 1.0 - abs(caustic_a[y * W + x] - caustic_b[y * W + x]) * 4.0
                sand = _add(sand, smoothstep(0.6, 1.0, net) * 0.25, (0.8, 1.0, 0.95))
                c = mix(c, sand, 0.35 + 0.65 * smoothstep(0.0, 0.15, depth))
            # A rock ridge behind the corals, hazy in the blue.
            if y >= rock_line[x] and y < floor_line[x] + 30:
                r = rock_tex[y * W + x]
                rock = mix((0.10, 0.22, 0.30), (0.22, 0.34, 0.36), r)
                c = mix(c, rock, 0.75)
            img.set(x, y, (clamp01(c[0]), clamp01(c[1]), clamp01(c[2])))

    rng = random.Random(1206)
    # Kelp: swaying strands rising from the floor.
    for _ in range(26):
        x0 = rng.random() * W
        height = H * (0.2 + 0.35 * rng.random())
        phase = rng.random() * 6.28
        base_y = floor_line[min(W - 1, int(x0))] + 20
        green = mix((0.15, 0.42, 0.20), (0.32, 0.55, 0.18), rng.random())
        steps = int(height)
        for s in range(steps):
            k = s / steps
            cx = x0 + math.sin(phase + k * 5.0) * 14.0 * k
            cy = base_y - s
            half = 3.5 * (1.0 - 0.6 * k)
            for x in range(int(cx - half - 1), int(cx + half + 2)):
                if 0 <= x < W and 0 <= cy < H:
                    cover = clamp01(half + 0.5 - abs(x - cx))
                    shade = _scale(green, 0.7 + 0.5 * (1.0 - abs(x - cx) / (half + 1.0)))
                    img.set(x, int(cy), mix(img.get(x, int(cy)), shade, cover * 0.9))
    # Corals: rounded heads and sea fans in warm colours along the floor.
    palette = [(0.95, 0.45, 0.35), (0.98, 0.65, 0.30), (0.85, 0.35, 0.60), (0.60, 0.40, 0.85),
               (0.95, 0.80, 0.45), (0.40, 0.75, 0.70)]
    for _ in range(60):
        x = rng.random() * W
        ground = floor_line[min(W - 1, int(x))]
        y = ground + rng.random() * (H - ground) * 0.8
        r = 18 + 45 * rng.random() * (0.5 + (y / H - 0.75) * 2.0)
        colour = palette[rng.randrange(len(palette))]
        bumps = rng.random() * 6.28

        def coral(u, v, d, colour=colour, bumps=bumps):
            light = 1.1 - 0.5 * (v + 1.0) * 0.5 - 0.3 * d * d
            knob = 0.95 + 0.05 * math.sin(u * 9.0 + bumps) * math.sin(v * 7.0 + bumps)
            return _scale(colour, light * knob)
        _blend_disc(img, x, y, r, r * 0.7, coral)
    for _ in range(9):
        x0 = rng.random() * W
        y0 = floor_line[min(W - 1, int(x0))] + 20 + rng.random() * 60
        size = 70 + 80 * rng.random()
        colour = palette[rng.randrange(3)]
        for b in range(28):
            a = math.pi * (0.15 + 0.7 * b / 27.0) + (rng.random() - 0.5) * 0.05
            for s in range(int(size)):
                k = s / size
                x = int(x0 + math.cos(a) * s * 0.8)
                y = int(y0 - math.sin(a) * s)
                if 0 <= x < W and 0 <= y < H:
                    img.set(x, y, mix(img.get(x, y), _scale(colour, 1.0 - 0.4 * k), 0.8 - 0.4 * k))
    return img


# --- Slide 4, fire: a night by the fire ---------------------------------------------------------

def night_fire():
    img = Image(W, H, 3)
    rng = random.Random(1301)
    stars = {(rng.randrange(W), int(rng.random() ** 1.4 * H * 0.5)): 0.3 + 0.7 * rng.random()
             for _ in range(650)}
    haze = fbm_grid(W, H // 2, 5, 3, 5, seed=1302)
    hills = _ridge(W, 0.50, 0.06, 3, 1303)
    forest = fbm_line(W, 80, 3, 1304)
    ground_tex = fbm_grid(W, H, 20, 15, 4, seed=1305)
    moon_x, moon_y, moon_r = W * 0.78, H * 0.17, H * 0.05
    for y in range(H):
        t = y / H
        for x in range(W):
            c = _gradient([(0.0, (0.01, 0.02, 0.07)), (0.45, (0.05, 0.08, 0.20)),
                           (0.55, (0.16, 0.12, 0.22))], t)
            if y < H // 2:
                c = _add(c, smoothstep(0.5, 0.85, haze[y * W + x]) * 0.08, (0.5, 0.6, 1.0))
            s = stars.get((x, y))
            if s:
                c = _add(c, s * (1.0 - smoothstep(0.25, 0.5, t)))
            d = math.hypot(x - moon_x, y - moon_y)
            c = _add(c, math.exp(-(d / (moon_r * 4.0)) ** 2) * 0.18, (0.7, 0.8, 1.0))
            disc = 1.0 - smoothstep(moon_r - 1.2, moon_r + 1.2, d)
            if disc > 0.0:
                crater = haze[(int(y * 3) % (H // 2)) * W + int(x * 3) % W]
                c = mix(c, _scale((0.96, 0.95, 0.88), 0.9 + 0.1 * crater), disc)
            # Distant hills, then a ragged line of fir tops in front of them.
            if y >= hills[x]:
                c = mix((0.08, 0.07, 0.14), (0.05, 0.05, 0.10), smoothstep(0.0, 0.1, (y - hills[x]) / H))
            tree_top = H * 0.60 - forest[x] * H * 0.10 - abs(math.sin(x * 0.23)) * H * 0.025
            if y >= tree_top:
                c = (0.02, 0.025, 0.045)
            # Ground of the clearing, lit warm by the fire below.
            if t > 0.62:
                g = ground_tex[y * W + x]
                glow = smoothstep(0.62, 1.0, t) ** 1.5
                ground = mix((0.03, 0.03, 0.05), (0.55, 0.22, 0.06), glow)
                c = _scale(ground, 0.75 + 0.5 * g)
            img.set(x, y, (clamp01(c[0]), clamp01(c[1]), clamp01(c[2])))
    return img


# --- Slide 5, water rings: a pond seen from above -----------------------------------------------

def pond():
    img = Image(W, H, 3)
    sand = fbm_grid(W, H, 32, 24, 4, seed=1401)
    shade = fbm_grid(W, H, 4, 3, 4, seed=1402)
    for y in range(H):
        for x in range(W):
            i = y * W + x
            c = mix((0.42, 0.40, 0.30), (0.62, 0.58, 0.44), sand[i])
            c = mix(c, (0.10, 0.30, 0.30), 0.35 + 0.35 * shade[i])
            img.set(x, y, c)
    rng = random.Random(1403)
    stones = [(0.55, 0.52, 0.48), (0.40, 0.38, 0.36), (0.62, 0.55, 0.45), (0.35, 0.33, 0.30),
              (0.68, 0.64, 0.58), (0.50, 0.42, 0.35)]
    # Pebbles leave patches of bare sand between them, where the rings show best.
    for _ in range(300):
        x, y = rng.random() * W, rng.random() * H
        r = 6 + 22 * rng.random() ** 2
        colour = mix(stones[rng.randrange(len(stones))], (0.15, 0.35, 0.35), 0.35)

        def pebble(u, v, d, colour=colour):
            light = 1.15 - 0.35 * (u + v) * 0.5 - 0.45 * d ** 4
            return _scale(colour, light)
        _blend_disc(img, x, y, r * (0.8 + 0.4 * rng.random()), r, pebble)
    # Lily pads with a notch, and a few pink blossoms.
    for _ in range(16):
        x, y = rng.random() * W, rng.random() * H
        r = 38 + 40 * rng.random()
        notch = rng.random() * 6.28
        green = mix((0.18, 0.45, 0.14), (0.35, 0.58, 0.18), rng.random())

        def pad(u, v, d, green=green, notch=notch):
            a = math.atan2(v, u)
            vein = 0.92 + 0.08 * abs(math.cos((a - notch) * 7.0))
            rim = 1.0 - 0.25 * smoothstep(0.85, 1.0, d)
            return _scale(green, vein * rim * (1.05 - 0.2 * d))
        x0, y0 = int(x - r - 2), int(y - r - 2)
        _blend_disc(img, x, y, r, r, pad)
        # The notch: water shows through a narrow wedge.
        for yy in range(max(0, y0), min(H, int(y + r + 2))):
            for xx in range(max(0, x0), min(W, int(x + r + 2))):
                u, v = (xx - x) / r, (yy - y) / r
                if u * u + v * v < 1.05:
                    a = math.atan2(v, u) - notch
                    a = (a + math.pi) % (2 * math.pi) - math.pi
                    if abs(a) < 0.12:
                        img.set(xx, yy, mix(img.get(xx, yy), (0.12, 0.30, 0.30), 0.85))
        if rng.random() < 0.45:
            bx, by = x + r * 0.2, y - r * 0.15
            for k in range(8):
                a = k * math.pi / 4 + notch
                _blend_disc(img, bx + math.cos(a) * 10, by + math.sin(a) * 10, 11, 11,
                            lambda u, v, d: mix((1.0, 0.85, 0.90), (0.92, 0.45, 0.62), d))
            _blend_disc(img, bx, by, 7, 7, lambda u, v, d: (1.0, 0.85, 0.30))
    return img


# --- Slide 6, falling glyphs: northern lights over snowy mountains ------------------------------

def aurora():
    img = Image(W, H, 3)
    rng = random.Random(1501)
    stars = {(rng.randrange(W), rng.randrange(int(H * 0.6))): 0.3 + 0.7 * rng.random()
             for _ in range(700)}
    curtain = fbm_line(W, 5, 4, 1502)
    rays = fbm_line(W, 90, 3, 1503)
    high = fbm_line(W, 4, 4, 1507)
    peaks = [H * 0.62 - v * H * 0.14 for v in fbm_line(W, 5, 3, 1504)]
    snow = fbm_grid(W, H, 30, 20, 4, seed=1505)
    light = fbm_grid(W, H, 8, 3, 3, seed=1506)
    for y in range(H):
        t = y / H
        for x in range(W):
            c = _gradient([(0.0, (0.01, 0.02, 0.06)), (0.6, (0.03, 0.07, 0.15))], t)
            s = stars.get((x, y))
            if s:
                c = _add(c, s * 0.9)
            # The curtains: each a bright lower edge that wanders across the sky, with rays rising
            # from it; the main one broad and bright, so that glyphs drawing the picture by its
            # brightness show it plainly, a fainter one higher up.
            for base, sway, line, reach, strength in ((0.40, 0.07, curtain, 0.16, 1.6),
                                                      (0.17, 0.05, high, 0.08, 0.6)):
                edge = H * (base + sway * (line[x] - 0.5) * 2.0)
                above = (edge - y) / H
                if above > -0.02:
                    lower = math.exp(-max(0.0, -above) * 120.0)
                    rise = math.exp(-max(0.0, above) / (reach + 0.16 * rays[x]))
                    k = lower * rise * (0.6 + 0.6 * rays[x])
                    colour = mix((0.25, 1.0, 0.55), (0.60, 0.35, 0.90), smoothstep(0.04, 0.30, above))
                    c = _add(c, k * strength, colour)
            # Mountains with moonlit snow on the slopes that face left.
            top = peaks[x]
            if y >= top:
                lit = smoothstep(0.3, 0.7, light[y * W + x])
                depth = (y - top) / H
                n = snow[y * W + x]
                # Snow lies brightest along the ridges and thins into dark rock below.
                cap = math.exp(-depth * 9.0) * (0.45 + 0.55 * lit)
                snowy = mix((0.07, 0.09, 0.15), (0.82, 0.90, 0.98), cap * (0.75 + 0.25 * n))
                c = _add(snowy, math.exp(-depth * 60.0) * 0.08, (0.3, 1.0, 0.6))
            # A frozen lake at the foot of the mountains, faintly mirroring the green.
            if t > 0.78:
                ice = mix((0.10, 0.22, 0.24), (0.05, 0.10, 0.16), smoothstep(0.78, 1.0, t))
                glow = (0.5 + 0.8 * rays[x]) * 0.22 * (1.0 - smoothstep(0.78, 0.95, t))
                c = _add(_add(ice, snow[y * W + x] * 0.06, (0.6, 0.9, 0.8)), glow, (0.2, 0.9, 0.5))
            img.set(x, y, (clamp01(c[0]), clamp01(c[1]), clamp01(c[2])))
    return img


# --- Slide 7, glass ball: a small island in a bright sea ----------------------------------------

def island():
    img = Image(W, H, 3)
    sea_tex = fbm_grid(W, H, 24, 40, 3, seed=1601)
    clouds = fbm_grid(W, H * 3 // 4, 5, 4, 4, seed=1602)
    shore = fbm_line(W, 8, 4, 1603)
    # The ball is lifted above its stand, so its middle shows the scene a little below the
    # picture's middle: the horizon and the island lie there.
    horizon = H * 0.56
    cx, rx = W * 0.50, W * 0.30
    for y in range(H):
        for x in range(W):
            if y < horizon:
                t = y / horizon
                c = _gradient([(0.0, (0.25, 0.55, 0.92)), (1.0, (0.75, 0.88, 0.98))], t)
                cover = smoothstep(0.58, 0.78, clouds[y * W + x]) * (1.0 - t * 0.6)
                c = mix(c, (1.0, 1.0, 1.0), cover * 0.85)
            else:
                t = (y - horizon) / (H - horizon)
                c = _gradient([(0.0, (0.10, 0.42, 0.70)), (0.6, (0.08, 0.60, 0.72)),
                               (1.0, (0.20, 0.78, 0.78))], t)
                c = _add(c, (sea_tex[y * W + x] - 0.5) * 0.10)
            # The island: a low hump of sand ringed by shallow turquoise water.
            u = (x - cx) / rx
            top = horizon + H * 0.02 - H * 0.10 * max(0.0, 1.0 - u * u) ** 0.7
            top -= shore[x] * H * 0.015
            # Shallow water around it: a soft turquoise ellipse, the beach curving round in front.
            ev = (y - (horizon + H * 0.045)) / (H * 0.04)
            e = (u / 1.18) ** 2 + ev * ev
            if y > horizon and e < 1.0:
                c = mix(c, (0.38, 0.88, 0.80), 0.65 * (1.0 - smoothstep(0.55, 1.0, e)))
            bottom = horizon + H * (0.040 + 0.018 * max(0.0, 1.0 - u * u))
            if abs(u) < 1.0 and top <= y < bottom:
                sand = mix((0.95, 0.88, 0.66), (0.80, 0.70, 0.48), smoothstep(top, top + 40, y))
                c = mix(c, sand, clamp01(bottom - y))
            img.set(x, y, (clamp01(c[0]), clamp01(c[1]), clamp01(c[2])))
    # Palms: curved trunks and drooping fronds.
    rng = random.Random(1604)
    for px in (0.38, 0.47, 0.60):
        base_x = W * px
        base_y = horizon + H * 0.02
        lean = (rng.random() - 0.5) * 0.8
        height = H * (0.20 + 0.06 * rng.random())
        tip = (base_x, base_y)
        for s in range(int(height)):
            k = s / height
            x = base_x + lean * k * k * height * 0.5
            y = base_y - s
            tip = (x, y)
            for dx in range(-5, 6):
                xx = int(x + dx)
                if 0 <= xx < W and 0 <= y < H and abs(dx) <= 5 - 2 * k:
                    ring = 0.8 + 0.2 * math.sin(s * 0.8)
                    img.set(xx, int(y), _scale((0.45, 0.32, 0.18), ring * (1.0 - abs(dx) * 0.06)))
        for f in range(9):
            a = math.pi * (f / 8.0) + (rng.random() - 0.5) * 0.2
            length = 70 + 30 * rng.random()
            for s in range(int(length)):
                k = s / length
                x = tip[0] + math.cos(a) * s
                y = tip[1] - math.sin(a) * s * 0.5 + k * k * 45
                for dy in range(-3, 4):
                    yy = int(y + dy)
                    if 0 <= int(x) < W and 0 <= yy < H and abs(dy) <= 3 * (1.0 - k) + 0.5:
                        img.set(int(x), yy, mix((0.12, 0.45, 0.12), (0.30, 0.62, 0.20), 1.0 - k))
    return img


# --- The glyph strip of the falling glyphs ------------------------------------------------------
# One glyph wide, the glyphs stacked downward. The light cuts the strip into N = h / w + 2 bands,
# so 32 x 448 gives 16 bands of exactly 28 rows. Each glyph is drawn inside its band with clear
# rows above and below, so linear filtering never pulls in a neighbour. White on clear alpha:
# the light tints each glyph with its slide colours.

GLYPH_WIDTH, GLYPH_BANDS = 32, 16
GLYPH_BAND_HEIGHT = 28


def glyph_strip():
    height = GLYPH_BAND_HEIGHT * GLYPH_BANDS
    assert height // GLYPH_WIDTH + 2 == GLYPH_BANDS
    img = Image(GLYPH_WIDTH, height, 4)
    for y in range(height):
        for x in range(GLYPH_WIDTH):
            img.set(x, y, (1.0, 1.0, 1.0), 0.0)
    rng = random.Random(1701)
    # Strokes on a 4 x 6 lattice of points inside a 20 x 20 box in the middle of each band.
    for g in range(GLYPH_BANDS):
        ox, oy = 6.0, g * GLYPH_BAND_HEIGHT + 4.0
        points = [(ox + 20.0 * i / 3.0, oy + 20.0 * j / 5.0) for j in range(6) for i in range(4)]
        strokes = []
        for _ in range(3 + rng.randrange(3)):
            a = rng.randrange(len(points))
            ai, aj = a % 4, a // 4
            bi = min(3, max(0, ai + rng.choice((-3, -2, -1, 0, 1, 2, 3))))
            bj = min(5, max(0, aj + rng.choice((-4, -2, 0, 2, 4))))
            if (bi, bj) == (ai, aj):
                bj = 5 - aj
            strokes.append((points[a], points[bj * 4 + bi]))
        for y in range(g * GLYPH_BAND_HEIGHT + 2, (g + 1) * GLYPH_BAND_HEIGHT - 2):
            for x in range(GLYPH_WIDTH):
                best = 9.0
                for (x0, y0), (x1, y1) in strokes:
                    dx, dy = x1 - x0, y1 - y0
                    length2 = dx * dx + dy * dy
                    k = 0.0 if length2 == 0 else clamp01(((x - x0) * dx + (y - y0) * dy) / length2)
                    best = min(best, math.hypot(x - (x0 + k * dx), y - (y0 + k * dy)))
                alpha = 1.0 - smoothstep(1.8, 3.0, best)  # strokes bold enough for small glyphs
                img.set(x, y, (1.0, 1.0, 1.0), alpha)
    return img


# --- The glass ball's overlays ------------------------------------------------------------------
# Drawn over the whole lens square and trimmed to the disc by the light (the disc reaches 508 of
# 512 half-width): a soft highlight at the upper left with a darker glass rim, and a small
# glint at the lower right.

def ball_highlight(size=256):
    img = Image(size, size, 4)
    for y in range(size):
        for x in range(size):
            u = (x + 0.5) / size * 2.0 - 1.0
            v = (y + 0.5) / size * 2.0 - 1.0
            d = math.hypot(u, v)
            rim = smoothstep(0.80, 0.99, d) * 0.45
            hu, hv = (u + 0.38) / 0.30, (v + 0.42) / 0.20
            spot = math.exp(-(hu * hu + hv * hv)) * 0.75
            alpha = clamp01(rim + spot)
            colour = mix((0.08, 0.12, 0.20), (1.0, 1.0, 1.0), spot / (alpha + 1e-6))
            img.set(x, y, colour, alpha)
    return img


def ball_glint(size=256):
    img = Image(size, size, 4)
    for y in range(size):
        for x in range(size):
            u = (x + 0.5) / size * 2.0 - 1.0
            v = (y + 0.5) / size * 2.0 - 1.0
            d = math.hypot(u, v)
            # A thin crescent of light along the lower right, inside the rim.
            crescent = math.exp(-((d - 0.86) / 0.035) ** 2) * smoothstep(0.2, 0.9, (u + v) * 0.7)
            alpha = clamp01(crescent * 0.55)
            img.set(x, y, (0.85, 0.95, 1.0), alpha)
    return img


def ball_stand(width=512, height=206):
    """A turned wooden stand that cradles the ball: a bowl whose front lip follows the ball's
    curve, a slim stem with a brass band, a wide round-edged foot; clear around. The light puts
    the picture over the world rectangle x -230.4..232.9, y -185.6..-372.2, and the ball (the
    lens's disc) has radius 254 around the origin, so the lip is drawn 38 units above the
    ball's lower edge and the ball shows above it."""
    img = Image(width, height, 4)
    x0, x1, y0, y1 = -230.4, 232.9, -185.61412, -372.19293
    per_unit = width / (x1 - x0)  # texels per world unit, about 1.1 both ways

    def half_width(y):
        """Half width of the stand's outline at world height y (None above the bowl's base)."""
        if y > -265.0:  # the bowl, round towards its base
            s = clamp01((y + 265.0) / 79.0)
            return 60.0 + 58.0 * math.sqrt(s)
        if y > -320.0:  # the stem, with its brass band
            return 44.0 if -292.0 < y < -280.0 else 38.0
        # the foot: a rounded shoulder out to its full width, then a rounded lower edge
        shoulder = smoothstep(-320.0, -345.0, y)
        edge = math.sqrt(clamp01((y + 371.0) / 9.0))
        return (60.0 + 120.0 * shoulder) * (0.92 + 0.08 * edge)

    for ty in range(height):
        y = y0 + (ty + 0.5) / height * (y1 - y0)
        half = half_width(y)
        for tx in range(width):
            x = x0 + (tx + 0.5) / width * (x1 - x0)
            cover = clamp01((half - abs(x)) * per_unit + 0.5)
            cover *= clamp01((y + 371.0) * per_unit + 0.5)  # the foot's lower edge
            lip = -math.sqrt(max(0.0, 254.0 * 254.0 - x * x)) + 38.0
            cover *= clamp01((lip - y) * per_unit + 0.5)  # the ball shows above the lip
            if cover <= 0.0:
                img.set(tx, ty, (0.0, 0.0, 0.0), 0.0)
                continue
            # Turned wood, lit from the upper left like the ball's highlight.
            u = x / half
            roundness = math.sqrt(max(0.0, 1.0 - u * u))
            light = clamp01(0.35 + 0.65 * roundness * (1.0 - 0.35 * u))
            wood = mix((0.22, 0.11, 0.05), (0.66, 0.40, 0.18), light)
            grain = 0.92 + 0.08 * math.sin(x * 0.15 + math.sin(y * 0.06) * 2.5)
            c = _scale(wood, grain)
            if -292.0 < y < -280.0:
                c = mix((0.40, 0.30, 0.10), (1.0, 0.86, 0.48), light)
            # The lip catches the light; the foot's top face is a little brighter than its side.
            c = mix(c, (0.85, 0.62, 0.36), (1.0 - smoothstep(0.0, 5.0, lip - y)) * 0.6 * light)
            if -345.0 < y < -320.0:
                c = _scale(c, 1.08)
            img.set(tx, ty, (clamp01(c[0]), clamp01(c[1]), clamp01(c[2])), cover)
    return img


# The file names the scene generator looks for.
PICTURES = {
    "meadow.png": meadow,
    "reef.png": reef,
    "night_fire.png": night_fire,
    "pond.png": pond,
    "aurora.png": aurora,
    "island.png": island,
    "glyphs.png": glyph_strip,
    "ball_highlight.png": ball_highlight,
    "ball_glint.png": ball_glint,
    "ball_stand.png": ball_stand,
}
