"""The program's own pictures: the lake's height picture and the configuration dialog's picture."""

import math
import random

from imagefile import Image
from noise import fbm_grid, mix, smoothstep


def lake_height(size=256):
    """Grey heights (the red channel is what the lake reads): long low swells crossed by finer
    ripples, wider than tall as water looks from the shore. Tiles, so mirrored repeats stay calm."""
    img = Image(size, size, 3)
    swell = fbm_grid(size, size, 2, 6, 4, seed=201, persistence=0.5)
    ripple = fbm_grid(size, size, 4, 16, 3, seed=202, persistence=0.5)
    for y in range(size):
        for x in range(size):
            i = y * size + x
            h = 0.5 + (swell[i] - 0.5) * 0.75 + (ripple[i] - 0.5) * 0.35
            img.set(x, y, (h, h, h))
    return img


def config_picture(size=120):
    """A paper lantern glowing in a night sky over dark water: the product's emblem."""
    img = Image(size, size, 3)
    rng = random.Random(1201)
    stars = {(rng.randrange(size), rng.randrange(int(size * 0.6))): 0.4 + 0.6 * rng.random()
             for _ in range(40)}
    cx, cy = size * 0.5, size * 0.46
    rx, ry = size * 0.20, size * 0.25
    water = int(size * 0.80)
    for y in range(size):
        for x in range(size):
            t = y / size
            c = mix((0.04, 0.05, 0.16), (0.20, 0.14, 0.32), t)
            s = stars.get((x, y))
            if s:
                c = (c[0] + s * 0.7, c[1] + s * 0.7, c[2] + s * 0.6)
            # Warm halo around the lantern.
            d = math.hypot((x - cx) / (size * 0.5), (y - cy) / (size * 0.5))
            halo = math.exp(-d * d * 4.0) * 0.6
            c = (c[0] + halo, c[1] + halo * 0.55, c[2] + halo * 0.18)
            if y >= water:
                # Water: a dim, rippled reflection of the halo.
                ry_src = 2 * water - y
                dd = math.hypot((x - cx) / (size * 0.5), (ry_src - cy) / (size * 0.5))
                ref = math.exp(-dd * dd * 4.0) * 0.35 * (0.6 + 0.4 * math.sin(y * 1.7 + x * 0.15))
                c = (0.03 + ref, 0.04 + ref * 0.55, 0.10 + ref * 0.2)
            # The lantern body: a glowing ellipse with vertical ribs, caps top and bottom.
            e = math.hypot((x - cx) / rx, (y - cy) / ry)
            if e < 1.0:
                glow = 1.0 - e * e * 0.55
                rib = abs(math.sin((x - cx) / rx * math.pi * 2.2 / max(0.25, math.sqrt(1 - min(0.94, ((y - cy) / ry) ** 2)))))
                body = mix((0.86, 0.30, 0.10), (1.0, 0.86, 0.50), glow)
                body = mix(body, (0.55, 0.14, 0.05), smoothstep(0.06, 0.0, rib) * 0.6)
                edge = smoothstep(0.93, 1.0, e)
                c = mix(body, c, edge)
            for cap_y in (cy - ry * 0.97, cy + ry * 0.97):
                if abs(y - cap_y) < size * 0.025 and abs(x - cx) < rx * 0.45:
                    c = (0.12, 0.07, 0.05)
            # The cord above.
            if abs(x - cx) < 0.6 and y < cy - ry:
                c = (0.10, 0.07, 0.06)
            img.set(x, y, c)
    return img
