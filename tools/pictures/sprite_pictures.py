"""The pictures of the moving and standing sprites in common_res.dll: a bubble, a rain streak, a
puff of smoke, a grass blade, two flowers and a mossy stone. Every one has transparent
surroundings (RGBA), power-of-two sides, and is seeded and deterministic.

Conventions the sprite kinds rely on:
- the rain streak is drawn upright, its bright leading end at the bottom (it falls downwards);
- the grass blade's foot spans the picture's bottom row (the blade stands on its bottom edge);
- a flower's stem ends at the bottom centre, the pivot it sways about."""

import math
import random

from imagefile import Image, clamp01
from noise import fbm_grid, mix, smoothstep


def _disc_alpha(d, radius, soft):
    """1 inside `radius`, fading to 0 over `soft` pixels."""
    return 1.0 - smoothstep(radius - soft, radius + soft, d)


# --- 21: bubble (64 x 64) -----------------------------------------------------------------------
# A clear disc with a thin bright rim and a small highlight at its upper left; the middle is
# nearly transparent, so that it looks right both blended and added.

def bubble(size=64):
    img = Image(size, size, 4)
    c = (size - 1) / 2.0
    r = size * 0.44
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            inside = _disc_alpha(d, r, 1.0)
            rim = math.exp(-((d - r * 0.93) / (r * 0.07)) ** 2)
            body = 0.10 + 0.25 * (d / r) ** 3
            hx, hy = x - (c - r * 0.38), y - (c - r * 0.38)
            highlight = math.exp(-(hx * hx + hy * hy) / (2.0 * (r * 0.14) ** 2))
            alpha = clamp01((body + 0.75 * rim + 0.9 * highlight) * inside)
            tint = mix((0.70, 0.90, 1.0), (1.0, 1.0, 1.0), clamp01(rim + highlight))
            img.set(x, y, tint, alpha)
    return img


# --- 24: rain streak (16 x 128) -----------------------------------------------------------------
# A thin vertical streak, brightest at its lower (leading) end and fading upwards.

def rain_streak(width=16, height=128):
    img = Image(width, height, 4)
    cx = (width - 1) / 2.0
    for y in range(height):
        t = y / (height - 1)  # 0 at the top, 1 at the leading end
        along = smoothstep(0.0, 0.9, t) * (1.0 - smoothstep(0.95, 1.0, t))
        for x in range(width):
            across = math.exp(-((x - cx) / (0.9 + 0.6 * t)) ** 2)
            alpha = clamp01(along * across * 0.9)
            img.set(x, y, (0.82, 0.88, 0.96), alpha)
    return img


# --- 25: smoke puff (128 x 128) -----------------------------------------------------------------
# A soft, ragged grey cloud, densest in the middle.

def smoke_puff(size=128):
    img = Image(size, size, 4)
    noise = fbm_grid(size, size, 4, 4, 4, seed=2501)
    c = (size - 1) / 2.0
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c) / (size * 0.5)
            n = noise[y * size + x]
            density = (1.0 - smoothstep(0.25, 0.95, d + (n - 0.5) * 0.5)) * (0.55 + 0.45 * n)
            grey = 0.55 + 0.25 * n
            img.set(x, y, (grey, grey * 0.98, grey * 0.96), clamp01(density * 0.8))
    return img


# --- 27: grass blade (32 x 256) -----------------------------------------------------------------
# A tapering green blade, slightly curved, whose foot fills the bottom row; darker along its
# midrib and at its foot.

def grass_blade(width=32, height=256):
    img = Image(width, height, 4)
    for y in range(height):
        t = 1.0 - y / (height - 1)  # 0 at the foot, 1 at the tip
        half = (width * 0.42) * (1.0 - t) ** 0.8 + 0.4
        centre = (width - 1) / 2.0 + (width * 0.18) * t * t  # bends a little to the right
        for x in range(width):
            d = abs(x - centre)
            alpha = _disc_alpha(d, half, 0.7)
            if t > 0.985:
                alpha *= smoothstep(1.0, 0.985, t)
            base = mix((0.16, 0.40, 0.08), (0.48, 0.74, 0.22), smoothstep(0.0, 0.8, t))
            rib = math.exp(-(d / max(0.6, half * 0.25)) ** 2) * 0.25
            edge = smoothstep(half * 0.4, half, d) * 0.15
            col = (base[0] * (1.0 - rib) + edge, base[1] * (1.0 - rib * 0.5) + edge, base[2] * (1.0 - rib))
            img.set(x, y, (clamp01(col[0]), clamp01(col[1]), clamp01(col[2])), alpha)
    return img


# --- 22 and 23: flowers (128 x 256) -------------------------------------------------------------
# A head of petals on a stem that ends at the bottom centre, with two leaves on the stem.

def _flower(petal_colour, eye_colour, petals, petal_length, petal_width, seed, width=128, height=256):
    img = Image(width, height, 4)
    rng = random.Random(seed)
    cx, cy = (width - 1) / 2.0, height * 0.24
    head_r = width * petal_length
    offsets = [rng.uniform(-0.12, 0.12) for _ in range(petals)]
    stem_green = (0.20, 0.46, 0.12)
    for y in range(height):
        for x in range(width):
            colour, alpha = (0.0, 0.0, 0.0), 0.0
            # The stem: from below the head straight down to the bottom centre, slightly wavy.
            if y > cy:
                sx = cx + 2.0 * math.sin((y - cy) / height * 5.0) * (1.0 - (y - cy) / (height - cy))
                ds = abs(x - sx)
                a = _disc_alpha(ds, 2.6, 0.7)
                if a > alpha:
                    colour, alpha = mix(stem_green, (0.32, 0.58, 0.18), smoothstep(2.6, 0.0, ds)), a
                # Two leaves, one on each side.
                for ly, side in ((0.62, -1.0), (0.76, 1.0)):
                    lx0, ly0 = cx, height * ly
                    u = (x - lx0) * side
                    v = y - ly0 + u * 0.55
                    if u > 0:
                        lw = 9.0 * math.sin(min(1.0, u / 38.0) * math.pi)
                        a = _disc_alpha(abs(v), lw, 0.8) if u < 38 else 0.0
                        if a > alpha:
                            colour, alpha = mix((0.18, 0.44, 0.10), (0.36, 0.62, 0.20), u / 38.0), a
            # Petals: ellipses around the eye.
            dx, dy = x - cx, y - cy
            d = math.hypot(dx, dy)
            ang = math.atan2(dy, dx)
            sector = (ang / (2.0 * math.pi)) * petals
            k = int(math.floor(sector + 0.5)) % petals
            centre_ang = (k + offsets[k]) * 2.0 * math.pi / petals
            along = d * math.cos(ang - centre_ang)
            across = d * math.sin(ang - centre_ang)
            if along > 0:
                e = ((along - head_r * 0.55) / (head_r * 0.5)) ** 2 + (across / (head_r * petal_width)) ** 2
                a = _disc_alpha(e, 1.0, 0.12)
                if a > 0.0 and a >= alpha * 0.5:
                    shade = 0.80 + 0.20 * (along / head_r)
                    colour, alpha = tuple(clamp01(c * shade) for c in petal_colour), max(a, alpha)
            eye = _disc_alpha(d, head_r * 0.22, 1.0)
            if eye > 0.0:
                dots = 0.85 + 0.15 * math.sin(dx * 1.7) * math.sin(dy * 1.7)
                colour = mix(colour, tuple(c * dots for c in eye_colour), eye)
                alpha = max(alpha, eye)
            img.set(x, y, colour, alpha)
    return img


def daisy():
    return _flower((1.0, 0.98, 0.94), (0.95, 0.72, 0.12), 14, 0.40, 0.17, 2201)


def poppy():
    return _flower((0.92, 0.18, 0.10), (0.12, 0.08, 0.06), 5, 0.36, 0.42, 2301)


# --- 20: mossy stone (256 x 128) ----------------------------------------------------------------
# A rounded grey field stone with moss on its top, lit from the upper left, a soft shadow below.

def mossy_stone(width=256, height=128):
    img = Image(width, height, 4)
    rock = fbm_grid(width, height, 8, 4, 5, seed=2001)
    moss = fbm_grid(width, height, 12, 6, 4, seed=2002)
    cx, cy = width / 2.0, height * 0.58
    rx, ry = width * 0.44, height * 0.40
    for y in range(height):
        for x in range(width):
            u, v = (x - cx) / rx, (y - cy) / ry
            n = rock[y * width + x]
            r = math.hypot(u, v * (1.0 + 0.25 * (v > 0))) + (n - 0.5) * 0.18
            alpha = _disc_alpha(r, 1.0, 0.02)
            # Shading from a sphere-like normal, light from the upper left.
            nz = math.sqrt(max(0.0, 1.0 - min(1.0, u * u + v * v)))
            light = clamp01(0.35 + 0.65 * (-0.5 * u - 0.6 * v + 0.62 * nz))
            grey = (0.36 + 0.30 * n) * (0.45 + 0.75 * light)
            c = (grey * 1.02, grey, grey * 0.95)
            m = moss[y * width + x]
            cover = smoothstep(0.45, 0.7, m) * smoothstep(0.1, -0.5, v)
            c = mix(c, (0.28 * (0.6 + light), 0.42 * (0.6 + light), 0.12), cover)
            if alpha < 1.0 and v > 0.5:
                # A soft contact shadow under the stone.
                shadow = 0.45 * (1.0 - smoothstep(0.0, 1.0, abs(u) * 1.1)) * smoothstep(1.0, 0.6, v)
                if shadow > alpha:
                    c, alpha = (0.05, 0.07, 0.03), shadow
            img.set(x, y, (clamp01(c[0]), clamp01(c[1]), clamp01(c[2])), alpha)
    return img


PICTURES = {
    "stone.png": mossy_stone,
    "bubble.png": bubble,
    "daisy.png": daisy,
    "poppy.png": poppy,
    "rain_streak.png": rain_streak,
    "smoke_puff.png": smoke_puff,
    "grass_blade.png": grass_blade,
}
