"""The library pictures that documents of the older format name by id alone (ids 17, 19 and 39):
a slender silver fish (17, the picture the earliest records size to 120 by 60), a drifting
dandelion seed for flows (19) and a firefly glow for sparkles (39). All carry alpha, clear along
every border; every side is a power of two; the colours are light, since the tint multiplies them."""

import math

from imagefile import Image, clamp01
from noise import mix, smoothstep


def _coverage(distance, softness=1.0):
    """Alpha of a shape edge: 1 inside (distance < 0), 0 outside, smooth over `softness` pixels."""
    return 1.0 - smoothstep(-softness, softness, distance)


# --- 17: slender fish, head to +x, 128 x 64 ----------------------------------------------------
# A long silver body with a blue-grey back, a thin stripe along its side and a forked tail.

def long_fish(width=128, height=64):
    img = Image(width, height, 4)
    cx, cy = 68.0, 32.0
    for y in range(height):
        for x in range(width):
            px, py = x + 0.5, y + 0.5
            # Body: a long spindle, thickest a little behind the head.
            u = (px - cx) / 48.0
            half = 11.0 * max(0.0, 1.0 - u * u) ** 0.6 * (1.0 - 0.25 * u)
            body = abs(py - cy) - half
            alpha = _coverage(body) if abs(u) < 1.0 else 0.0
            t = clamp01((py - (cy - half)) / (2.0 * half + 1e-6))
            colour = mix((0.55, 0.66, 0.80), (0.97, 0.98, 1.0), smoothstep(0.25, 0.8, t))
            if abs(py - cy + 1.0) < 1.2 and abs(u) < 0.85:
                colour = mix(colour, (0.45, 0.55, 0.70), 0.6)
            # Forked tail behind the body.
            if px < 26.0 and px > 4.0:
                along = (26.0 - px) / 22.0
                off = abs(py - cy)
                fork = 2.0 + 12.0 * along
                tail = max(off - fork, (fork * 0.45) - off)
                a = _coverage(tail) * 0.9
                if a > alpha:
                    colour, alpha = (0.80, 0.86, 0.95), a
            # Eye.
            if math.hypot(px - 102.0, py - 30.0) < 2.2:
                colour = (0.05, 0.05, 0.08)
            img.set(x, y, colour, clamp01(alpha))
    return img


# --- 19: dandelion seed, 64 x 64 ---------------------------------------------------------------
# A white tuft of fine hairs spread above a thin stalk with the seed at its foot.

def _segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def seed(size=64):
    img = Image(size, size, 4)
    top_x, top_y = 32.0, 26.0
    hairs = []
    for k in range(11):
        angle = math.radians(-165.0 + k * 15.0)  # fanning upwards (y runs down)
        hairs.append((top_x + 19.0 * math.cos(angle), top_y + 19.0 * math.sin(angle)))
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            alpha = 0.0
            for hx, hy in hairs:
                d = _segment_distance(px, py, top_x, top_y, hx, hy)
                alpha = max(alpha, _coverage(d - 0.45, 0.7) * 0.8)
                alpha = max(alpha, _coverage(math.hypot(px - hx, py - hy) - 1.6) * 0.9)
            # Stalk and seed.
            stalk = _segment_distance(px, py, top_x, top_y, top_x, 50.0)
            alpha = max(alpha, _coverage(stalk - 0.5, 0.7) * 0.9)
            seed_d = math.hypot((px - top_x) / 1.6, (py - 53.0) / 4.0) - 1.0
            alpha = max(alpha, _coverage(seed_d * 2.0))
            colour = (0.80, 0.72, 0.60) if py > 49.0 else (1.0, 1.0, 0.98)
            img.set(x, y, colour, clamp01(alpha))
    return img


# --- 39: firefly glow, 64 x 64 -----------------------------------------------------------------
# A small hot core in a wide soft yellow-green halo.

def firefly(size=64):
    img = Image(size, size, 4)
    c = size * 0.5
    for y in range(size):
        for x in range(size):
            r = math.hypot(x + 0.5 - c, y + 0.5 - c) / c
            core = math.exp(-(r / 0.12) ** 2)
            halo = math.exp(-(r / 0.45) ** 2) * 0.7
            colour = mix((0.80, 1.0, 0.45), (1.0, 1.0, 0.90), core)
            alpha = clamp01(core + halo) * (1.0 - smoothstep(0.8, 1.0, r))
            img.set(x, y, colour, alpha)
    return img


PICTURES = {
    "sprite_long_fish.png": long_fish,
    "sprite_seed.png": seed,
    "sprite_firefly.png": firefly,
}
