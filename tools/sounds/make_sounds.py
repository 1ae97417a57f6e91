#!/usr/bin/env python3
"""Writes the slide show's sound tracks: soft ambient pads that loop without a seam.

    make_sounds.py OUT_DIR
    make_sounds.py --clip OUT_FILE     a short tone for the sound tests (0.3 s)

Each track is a slow progression of chords. Every chord fades in and out with a raised-cosine
window; the windows of neighbouring chords overlap by half, so together they always add up to
one. Every frequency is a whole number of cycles per loop and every window and tremolo repeats
with the loop, so the last sample runs straight into the first. Mono, 16-bit, 22050 Hz WAV.
Standard library only; the same bytes on every run.
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
TABLE = 4096

# One cycle of a note: a warm tone with a few soft harmonics.
_HARMONICS = (1.0, 0.32, 0.12, 0.05, 0.02)
_WAVE = [sum(a * math.sin(2.0 * math.pi * (h + 1) * i / TABLE) for h, a in enumerate(_HARMONICS))
         for i in range(TABLE)]
_PEAK = max(abs(v) for v in _WAVE)
_WAVE = [v / _PEAK for v in _WAVE]


def _note_hz(name):
    """'A4' style names (sharps only) to frequencies in equal temperament."""
    steps = {"C": -9, "C#": -8, "D": -7, "D#": -6, "E": -5, "F": -4, "F#": -3, "G": -2,
             "G#": -1, "A": 0, "A#": 1, "B": 2}
    pitch, octave = name[:-1], int(name[-1])
    return 440.0 * 2.0 ** ((steps[pitch] + 12 * (octave - 4)) / 12.0)


def _cycles(hz, seconds):
    """Whole cycles per loop nearest to the frequency, at least one."""
    return max(1, int(round(hz * seconds)))


def pad(seconds, chords, detune_cycles=3, level=0.45):
    """A looping pad of len(chords) chords over `seconds`; returns float samples in -1..1."""
    n = int(RATE * seconds)
    out = [0.0] * n
    count = len(chords)
    for index, chord in enumerate(chords):
        # The chord sounds for two slots around its centre, fading in and out as cos^2.
        centre = index / count
        weights = [0.0] * n
        for i in range(n):
            # Distance from the centre along the loop (wrapping), in loop lengths.
            d = (i / n - centre + 0.5) % 1.0 - 0.5
            if abs(d) * count < 1.0:
                c = math.cos(0.5 * math.pi * count * d)
                weights[i] = c * c
        active = [i for i in range(n) if weights[i] > 0.0]
        voices = len(chord)
        for v, name in enumerate(chord):
            k = _cycles(_note_hz(name), seconds)
            amp = level / voices * (1.0 if v else 1.25)  # the root a little louder
            # Two voices a few cycles per loop apart: a slow, gentle chorus.
            for cycles, share in ((k, 0.6), (k + detune_cycles, 0.4)):
                step = cycles * TABLE
                tremolo = 2 + v  # whole tremolo periods per loop
                for i in active:
                    sample = _WAVE[(step * i // n) % TABLE]
                    swell = 0.85 + 0.15 * math.sin(2.0 * math.pi * tremolo * i / n + v)
                    out[i] += sample * amp * share * swell * weights[i]
    return out


def clip(seconds, hz=660.0, level=0.3, edge=0.02):
    """A plain tone that fades in and out over `edge` seconds; returns float samples."""
    n = int(RATE * seconds)
    ramp = int(RATE * edge)
    out = []
    for i in range(n):
        gain = 1.0
        if i < ramp:
            gain = math.sin(0.5 * math.pi * i / ramp) ** 2
        elif i >= n - ramp:
            gain = math.sin(0.5 * math.pi * (n - 1 - i) / ramp) ** 2
        out.append(level * gain * math.sin(2.0 * math.pi * hz * i / RATE))
    return out


def write_wav(path, samples):
    frames = bytearray()
    for s in samples:
        v = int(round(max(-1.0, min(1.0, s)) * 32767.0))
        frames += struct.pack("<h", v)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


# The tracks: (file name, loop length in seconds, chords).
TRACKS = [
    ("evening_pad.wav", 24.0, [
        ("D3", "A3", "F#4", "A4"),
        ("B2", "F#3", "D4", "A4"),
        ("G2", "D3", "B3", "F#4"),
        ("A2", "E3", "C#4", "E4"),
    ]),
    ("night_water.wav", 30.0, [
        ("A2", "E3", "C4", "G4"),
        ("F2", "C3", "A3", "E4"),
        ("C3", "G3", "E4", "G4"),
        ("G2", "D3", "B3", "D4"),
        ("E2", "B2", "G3", "D4"),
    ]),
]


def main(argv):
    if len(argv) == 3 and argv[1] == "--clip":
        folder = os.path.dirname(argv[2])
        if folder:
            os.makedirs(folder, exist_ok=True)
        write_wav(argv[2], clip(0.3))
        return 0
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    for name, seconds, chords in TRACKS:
        write_wav(os.path.join(argv[1], name), pad(seconds, chords))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
