"""The fish and light sprite pictures of the resource library (ids 10 to 16): a reef fish with a
tail-beat strip, a gull with a wing-beat strip, a ghost, a fog patch, a sparkle glint, a light ray
and a lightning bolt. All carry alpha; every side is a power of two. The fish and the bird face +x
(the program mirrors sprites that move left); the colours are light, since the objects' tint
multiplies them."""

import math
import random

from imagefile import Image, clamp01
from noise import fbm_grid, mix, smoothstep


def _coverage(distance, softness=1.0):
    """Alpha of a shape edge: 1 inside (distance < 0), 0 outside, smooth over `softness` pixels."""
    return 1.0 - smoothstep(-softness, softness, distance)


def _ellipse_distance(x, y, cx, cy, rx, ry):
    """Approximate signed distance in pixels to an axis-aligned ellipse."""
    q = math.hypot((x - cx) / rx, (y - cy) / ry)
    return (q - 1.0) * min(rx, ry)


def _segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0.0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy)), t


def _over(dst, dst_alpha, src, src_alpha):
    """`src` painted over `dst` (straight alpha)."""
    out_alpha = src_alpha + dst_alpha * (1.0 - src_alpha)
    if out_alpha <= 0.0:
        return (0.0, 0.0, 0.0), 0.0
    k = dst_alpha * (1.0 - src_alpha)
    colour = tuple((src[i] * src_alpha + dst[i] * k) / out_alpha for i in range(3))
    return colour, out_alpha


# --- 10: reef fish, four tail-beat frames of 128 x 64 side by side ----------------------------

def fish(frame_width=128, height=64, frames=4):
    img = Image(frame_width * frames, height, 4)
    cx, cy, rx, ry = 70.0, 32.0, 42.0, 17.0
    for k in range(frames):
        beat = math.sin(2.0 * math.pi * k / frames)
        for y in range(height):
            for x in range(frame_width):
                px, py = x + 0.5, y + 0.5
                colour, alpha = (0.0, 0.0, 0.0), 0.0
                # Tail: a forked fan behind the body whose tip swings up and down.
                if px < 36.0:
                    along = (36.0 - px) / 30.0                      # 0 at the root, 1 at the tip
                    centre = cy + beat * 7.0 * along ** 1.5
                    half = 3.0 + 13.0 * along
                    off = abs(py - centre)
                    fork = 0.0 if along < 0.55 else (along - 0.55) * 18.0
                    inside = min(half - off, off - fork + 1.0, 30.0 - (36.0 - px) + 0.5)
                    a = clamp01(inside) * 0.92
                    fin = mix((1.0, 0.72, 0.22), (1.0, 0.92, 0.55), along)
                    colour, alpha = _over(colour, alpha, fin, a)
                # Dorsal and belly fins: thin translucent fans.
                dorsal = _ellipse_distance(px, py, 66.0, 15.0, 22.0, 7.0)
                if dorsal < 1.0 and py < cy:
                    colour, alpha = _over(colour, alpha, (1.0, 0.80, 0.35), _coverage(dorsal) * 0.75)
                belly = _ellipse_distance(px, py, 62.0, 48.0, 12.0, 5.0)
                if belly < 1.0 and py > cy:
                    colour, alpha = _over(colour, alpha, (1.0, 0.85, 0.45), _coverage(belly) * 0.7)
                # Body: golden back, pale belly, two white bands with dark rims.
                d = _ellipse_distance(px, py, cx, cy, rx, ry)
                if d < 1.0:
                    t = (py - (cy - ry)) / (2.0 * ry)
                    body = mix((1.0, 0.62, 0.12), (1.0, 0.93, 0.70), smoothstep(0.35, 0.95, t))
                    for band_x in (58.0, 86.0):
                        b = abs(px - band_x - 2.0 * math.sin((py - cy) * 0.12))
                        if b < 4.0:
                            body = (0.98, 0.98, 0.96)
                        elif b < 5.5:
                            body = mix((0.10, 0.08, 0.12), body, (b - 4.0) / 1.5)
                    # Shading toward the outline, so the body looks round.
                    rim = smoothstep(-6.0, 0.0, d)
                    body = mix(body, (body[0] * 0.72, body[1] * 0.62, body[2] * 0.55), rim * 0.6)
                    colour, alpha = _over(colour, alpha, body, _coverage(d))
                # Eye with a highlight, and a small mouth line at the head.
                e = math.hypot(px - 100.0, py - 28.0)
                if e < 5.0:
                    eye = (0.05, 0.05, 0.08) if math.hypot(px - 101.5, py - 26.5) > 1.3 else (1.0, 1.0, 1.0)
                    colour, alpha = _over(colour, alpha, eye, _coverage(e - 3.6))
                img.set(k * frame_width + x, y, colour, alpha)
    return img


# --- 11: gull, four wing-beat frames of 64 x 64 side by side ----------------------------------

def bird(frame_size=64, frames=4):
    img = Image(frame_size * frames, frame_size, 4)
    # Elbow and tip of the far wing over a beat: up, level, down, level.
    beats = [((28.0, 16.0), (18.0, 5.0)), ((25.0, 26.0), (10.0, 24.0)),
             ((27.0, 42.0), (19.0, 56.0)), ((25.0, 30.0), (11.0, 33.0))]
    shoulder = (32.0, 33.0)
    for k, (elbow, tip) in enumerate(beats):
        for y in range(frame_size):
            for x in range(frame_size):
                px, py = x + 0.5, y + 0.5
                colour, alpha = (0.0, 0.0, 0.0), 0.0
                # The wing: two tapering segments, shoulder to elbow to a dark tip.
                d1, t1 = _segment_distance(px, py, shoulder[0], shoulder[1], elbow[0], elbow[1])
                d2, t2 = _segment_distance(px, py, elbow[0], elbow[1], tip[0], tip[1])
                w1 = d1 - (4.5 - 1.0 * t1)
                w2 = d2 - (3.5 - 2.6 * t2)
                wing = min(w1, w2)
                if wing < 1.0:
                    shade = mix((0.80, 0.82, 0.86), (0.20, 0.20, 0.24), smoothstep(0.5, 1.0, t2) if w2 < w1 else 0.0)
                    colour, alpha = _over(colour, alpha, shade, _coverage(wing, 0.8))
                # Body, tail wedge, head and beak.
                body = _ellipse_distance(px, py, 32.0, 35.0, 15.0, 5.0)
                tail, _ = _segment_distance(px, py, 14.0, 34.0, 20.0, 35.0)
                head = math.hypot(px - 47.0, py - 31.5) - 5.0
                shape = min(body, tail - 2.5, head)
                if shape < 1.0:
                    white = mix((1.0, 1.0, 1.0), (0.78, 0.80, 0.85), smoothstep(30.0, 40.0, py))
                    colour, alpha = _over(colour, alpha, white, _coverage(shape, 0.8))
                beak, bt = _segment_distance(px, py, 51.0, 32.0, 58.0, 33.5)
                if beak < 2.5:
                    colour, alpha = _over(colour, alpha, (1.0, 0.78, 0.20), _coverage(beak - (1.6 - bt), 0.6))
                if math.hypot(px - 48.5, py - 30.0) < 1.3:
                    colour, alpha = _over(colour, alpha, (0.05, 0.05, 0.05), 1.0)
                img.set(k * frame_size + x, y, colour, alpha)
    return img


# --- 12: ghost ---------------------------------------------------------------------------------
# A pale sheet with a round head, hollow eyes and a wavy hem, its edges soft as mist.

def ghost(size=128):
    img = Image(size, size, 4)
    cx = size * 0.5
    head_y, head_r = 44.0, 30.0
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            # Half width of the sheet: the head's circle above, widening below it.
            if py < head_y:
                d = math.hypot(px - cx, py - head_y) - head_r
            else:
                half = head_r + (py - head_y) * 0.22
                hem = 112.0 + 6.0 * math.sin((px - cx) * 0.28)
                d = max(abs(px - cx) - half, py - hem)
            a = _coverage(d, 5.0)
            # The lower sheet thins out like smoke.
            a *= 1.0 - 0.55 * smoothstep(70.0, 118.0, py)
            glow = (0.88, 0.94, 1.0)
            # Hollow eyes and mouth.
            for ex in (cx - 11.0, cx + 11.0):
                e = _ellipse_distance(px, py, ex, 40.0, 5.0, 7.5)
                glow = mix(glow, (0.10, 0.12, 0.25), _coverage(e, 1.5))
            m = _ellipse_distance(px, py, cx, 60.0, 6.0, 4.0)
            glow = mix(glow, (0.15, 0.18, 0.32), _coverage(m, 1.5) * 0.8)
            img.set(x, y, glow, clamp01(a))
    return img


# --- 13: fog patch -----------------------------------------------------------------------------
# Soft cloudy noise under an elliptic window: alpha is exactly 0 along every border, so a
# turning patch shows no edge.

def fog(width=256, height=128):
    img = Image(width, height, 4)
    noise = fbm_grid(width, height, 4, 2, 5, seed=1301, persistence=0.55)
    for y in range(height):
        for x in range(width):
            u = x / (width - 1) * 2.0 - 1.0
            v = y / (height - 1) * 2.0 - 1.0
            r = math.hypot(u, v)
            window = 1.0 - smoothstep(0.15, 1.0, r)
            n = noise[y * width + x]
            a = window * (0.3 + 0.7 * smoothstep(0.2, 0.8, n)) * 0.9
            shade = 0.86 + 0.14 * n
            img.set(x, y, (shade, shade, min(1.0, shade + 0.03)), clamp01(a))
    return img


# --- 14: sparkle -------------------------------------------------------------------------------
# A white glint: a bright core, four long rays and four short diagonal ones.

def sparkle(size=64):
    img = Image(size, size, 4)
    c = size * 0.5
    for y in range(size):
        for x in range(size):
            dx, dy = (x + 0.5 - c) / c, (y + 0.5 - c) / c
            r = math.hypot(dx, dy)
            core = math.exp(-(r / 0.16) ** 2)
            rays = math.exp(-abs(dx) / 0.035) * (1.0 - smoothstep(0.0, 1.0, abs(dy)))
            rays += math.exp(-abs(dy) / 0.035) * (1.0 - smoothstep(0.0, 1.0, abs(dx)))
            p, q = (dx + dy) * 0.7071, (dx - dy) * 0.7071
            diag = (math.exp(-abs(p) / 0.03) * (1.0 - smoothstep(0.0, 0.55, abs(q))) +
                    math.exp(-abs(q) / 0.03) * (1.0 - smoothstep(0.0, 0.55, abs(p)))) * 0.5
            a = clamp01(core + rays + diag) * (1.0 - smoothstep(0.85, 1.0, r))
            img.set(x, y, (1.0, 1.0, 0.96), a)
    return img


# --- 15: light ray -----------------------------------------------------------------------------
# A beam from above: brightest along its middle column, fading to nothing at both sides, strong
# near the top and dying out toward the bottom.

def light_ray(width=64, height=256):
    img = Image(width, height, 4)
    for y in range(height):
        v = y / (height - 1)
        along = smoothstep(0.0, 0.06, v) * (1.0 - smoothstep(0.25, 1.0, v)) ** 1.4
        for x in range(width):
            u = x / (width - 1) * 2.0 - 1.0
            across = math.exp(-(u / 0.45) ** 2) * (1.0 - smoothstep(0.7, 1.0, abs(u)))
            img.set(x, y, (1.0, 0.97, 0.86), clamp01(across * along * 0.9))
    return img


# --- 16: lightning bolt ------------------------------------------------------------------------
# A jagged bolt from top to bottom with two branches: a white core in a pale blue glow, on black
# with the glow as alpha, so additive drawing adds nothing around it.

def _bolt(rng, x0, y0, x1, y1, depth, jag):
    if depth == 0:
        return [(x0, y0), (x1, y1)]
    mx = (x0 + x1) * 0.5 + rng.uniform(-jag, jag)
    my = (y0 + y1) * 0.5 + rng.uniform(-jag, jag) * 0.3
    first = _bolt(rng, x0, y0, mx, my, depth - 1, jag * 0.55)
    return first[:-1] + _bolt(rng, mx, my, x1, y1, depth - 1, jag * 0.55)


def lightning(width=128, height=256):
    img = Image(width, height, 4)
    rng = random.Random(1601)
    trunk = _bolt(rng, 64.0, 2.0, 58.0, 250.0, 6, 34.0)
    segments = [(a, b, 1.6) for a, b in zip(trunk, trunk[1:])]
    for start, end in ((trunk[20], (104.0, 150.0)), (trunk[36], (24.0, 214.0))):
        branch = _bolt(rng, start[0], start[1], end[0], end[1], 4, 16.0)
        segments += [(a, b, 0.9) for a, b in zip(branch, branch[1:])]
    for y in range(height):
        for x in range(width):
            px, py = x + 0.5, y + 0.5
            core = 0.0
            glow = 0.0
            for (ax, ay), (bx, by), w in segments:
                # Only segments near the pixel matter.
                if min(ax, bx) - 14 > px or max(ax, bx) + 14 < px or min(ay, by) - 14 > py or max(ay, by) + 14 < py:
                    continue
                d, _ = _segment_distance(px, py, ax, ay, bx, by)
                core = max(core, _coverage(d - w, 0.8))
                glow = max(glow, math.exp(-d / (3.0 * w)) * w / 1.6)
            colour = mix((0.55, 0.70, 1.0), (1.0, 1.0, 1.0), core)
            fade = 1.0 - smoothstep(0.0, 1.0, abs(y - height * 0.5) / (height * 0.5)) ** 6
            img.set(x, y, colour, clamp01(max(core, glow * 0.85)) * fade)
    return img


PICTURES = {
    "sprite_fish.png": fish,
    "sprite_bird.png": bird,
    "sprite_ghost.png": ghost,
    "sprite_fog.png": fog,
    "sprite_sparkle.png": sparkle,
    "sprite_light_ray.png": light_ray,
    "sprite_lightning.png": lightning,
}
