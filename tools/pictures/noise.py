"""Seeded value noise that tiles: a lattice of random values with a whole-number period, smoothly
interpolated, summed over octaves. Every picture is reproducible because each noise owns its own
seeded generator."""

import math
import random


def smooth(t):
    return t * t * (3.0 - 2.0 * t)


def smoothstep(e0, e1, x):
    """0 at e0, 1 at e1, smooth between; e1 may lie below e0 for a falling edge."""
    t = (x - e0) / (e1 - e0)
    if t <= 0.0:
        return 0.0
    if t >= 1.0:
        return 1.0
    return smooth(t)


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c0, c1, t):
    return (c0[0] + (c1[0] - c0[0]) * t,
            c0[1] + (c1[1] - c0[1]) * t,
            c0[2] + (c1[2] - c0[2]) * t)


class Lattice:
    """Value noise with period (px, py) lattice cells; sample(x, y) takes lattice coordinates."""

    def __init__(self, px, py, rng):
        self.px = px
        self.py = py
        self.values = [[rng.random() for _ in range(px)] for _ in range(py)]

    def sample(self, x, y):
        xf = math.floor(x)
        yf = math.floor(y)
        tx = smooth(x - xf)
        ty = smooth(y - yf)
        x0 = int(xf) % self.px
        y0 = int(yf) % self.py
        x1 = (x0 + 1) % self.px
        y1 = (y0 + 1) % self.py
        r0 = self.values[y0]
        r1 = self.values[y1]
        a = r0[x0] + (r0[x1] - r0[x0]) * tx
        b = r1[x0] + (r1[x1] - r1[x0]) * tx
        return a + (b - a) * ty


def fbm_grid(width, height, cells_x, cells_y, octaves, seed, persistence=0.5):
    """Fractal noise over a width x height grid that tiles across its edges: octave 0 has
    cells_x x cells_y lattice cells over the grid, each further octave twice as many.
    Returns a flat row-major list normalised to [0, 1]."""
    rng = random.Random(seed)
    layers = []
    amplitude = 1.0
    for o in range(octaves):
        cx = cells_x << o
        cy = cells_y << o
        lattice = Lattice(cx, cy, rng)
        # Per-column lattice positions and weights, shared by every row.
        cols = []
        for x in range(width):
            fx = x * cx / width
            x0 = int(fx)
            cols.append((x0 % cx, (x0 + 1) % cx, smooth(fx - x0)))
        layers.append((lattice, cy, cols, amplitude))
        amplitude *= persistence
    out = [0.0] * (width * height)
    for y in range(height):
        base = y * width
        for lattice, cy, cols, amp in layers:
            fy = y * cy / height
            y0 = int(fy)
            ty = smooth(fy - y0)
            r0 = lattice.values[y0 % cy]
            r1 = lattice.values[(y0 + 1) % cy]
            for x in range(width):
                x0, x1, tx = cols[x]
                a = r0[x0] + (r0[x1] - r0[x0]) * tx
                b = r1[x0] + (r1[x1] - r1[x0]) * tx
                out[base + x] += amp * (a + (b - a) * ty)
    lo = min(out)
    hi = max(out)
    span = (hi - lo) or 1.0
    return [(v - lo) / span for v in out]


def fbm_line(length, cells, octaves, seed, persistence=0.5):
    """One-dimensional fractal noise over `length` samples, normalised to [0, 1]."""
    grid = fbm_grid(length, 1, cells, 1, octaves, seed, persistence)
    return grid
