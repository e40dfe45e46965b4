#!/usr/bin/env python3
"""Composes Festmark's two sounds and writes them as 8-bit mono PCM wave files.

146.wav: a short, friendly chime for the info box (22,254 samples per second, 59,904 samples).
151.wav: a festive little waltz that loops for a jubilee on today (8,000 samples per second,
97,783 samples). Both lengths are exact, so the loops keep their rhythm.

Deterministic: running it again gives the same bytes. Standard library only.
Usage: tools/make-sounds.py [output folder, default res/sounds]
"""

import math
import pathlib
import struct
import sys


def note_hz(midi):
    return 440.0 * 2.0 ** ((midi - 69) / 12.0)


def write_wave(path, rate, samples):
    """samples: floats in [-1, 1]; written as unsigned 8-bit PCM, silence at 128."""
    data = bytes(max(0, min(255, round(128 + 127 * s))) for s in samples)
    pad = b"\0" if len(data) % 2 else b""  # RIFF chunks are padded to an even size
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt +
            b"data" + struct.pack("<I", len(data)) + data + pad)
    path.write_bytes(b"RIFF" + struct.pack("<I", len(body)) + body)


def chime(rate=22254, length=59904):
    """Three bell strokes rising through a major chord, dying away before the loop comes round."""
    out = [0.0] * length
    # (start in seconds, MIDI note); the partials of a small bell with their own decay.
    strokes = [(0.00, 76), (0.22, 79), (0.44, 84)]
    partials = [(1.0, 1.0, 2.2), (2.0, 0.45, 3.5), (2.76, 0.25, 5.0), (5.4, 0.12, 8.0)]
    for start, midi in strokes:
        base = note_hz(midi)
        first = int(start * rate)
        for i in range(first, length):
            t = (i - first) / rate
            attack = min(1.0, t / 0.004)
            value = 0.0
            for ratio, level, decay in partials:
                value += level * math.exp(-decay * t) * math.sin(2 * math.pi * base * ratio * t)
            out[i] += 0.33 * attack * value
    # The last tenth of a second fades to silence so that the repeat starts cleanly.
    fade = int(0.1 * rate)
    for k in range(fade):
        out[length - fade + k] *= 1.0 - (k + 1) / fade
    return out


# The waltz: eight bars of three beats in F major, as (MIDI note, beats). Bass per bar: the
# chord's root on one, the chord on two and three.
MELODY = [
    (65, 1), (69, 1), (72, 1),
    (79, 2), (76, 1),
    (77, 1), (74, 1), (70, 1),
    (69, 2), (72, 1),
    (74, 1), (77, 1), (82, 1),
    (81, 2), (77, 1),
    (79, 1), (76, 1), (72, 1),
    (77, 3),
]
CHORDS = [  # root, then the two notes of the off-beats
    (41, (57, 60)), (36, (55, 58)), (34, (58, 62)), (41, (57, 60)),
    (34, (58, 62)), (41, (57, 60)), (36, (55, 58)), (41, (57, 60)),
]


def tone(out, rate, first, count, hz, level, decay, harmonics):
    """Adds one note with a soft attack and a release at its end (no clicks)."""
    release = min(count, int(0.03 * rate))
    for k in range(count):
        t = k / rate
        env = min(1.0, t / 0.006) * math.exp(-decay * t)
        if k >= count - release:
            env *= (count - k) / release
        value = 0.0
        for n, amp in harmonics:
            if hz * n < rate / 2:  # nothing above Nyquist, or it folds back as noise
                value += amp * math.sin(2 * math.pi * hz * n * t)
        out[first + k] += level * env * value


def waltz(rate=8000, length=97783):
    out = [0.0] * length
    beats = sum(b for _, b in MELODY)  # 24
    at = lambda beat: round(beat * length / beats)
    bright = [(1, 1.0), (2, 0.35), (3, 0.2), (4, 0.08)]
    soft = [(1, 1.0), (2, 0.2)]
    beat = 0
    for midi, length_beats in MELODY:
        first, last = at(beat), at(beat + length_beats)
        tone(out, rate, first, last - first, note_hz(midi), 0.42, 1.2, bright)
        beat += length_beats
    for bar, (root, offbeat) in enumerate(CHORDS):
        b = bar * 3
        tone(out, rate, at(b), at(b + 1) - at(b), note_hz(root), 0.3, 2.0, soft)
        for off in (1, 2):
            first, last = at(b + off), at(b + off + 1)
            for midi in offbeat:
                tone(out, rate, first, last - first, note_hz(midi), 0.12, 4.0, soft)
    peak = max(abs(s) for s in out)
    return [0.9 * s / peak for s in out]


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "res/sounds")
    folder.mkdir(parents=True, exist_ok=True)
    write_wave(folder / "146.wav", 22254, chime())
    write_wave(folder / "151.wav", 8000, waltz())


if __name__ == "__main__":
    main()
