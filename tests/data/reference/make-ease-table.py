#!/usr/bin/env python3
"""Writes ease.csv: the keyframe ease sampled from its definition, computed
here apart from the program, for the evaluation tests to compare with.

Ease(t, p, q), with H = 1.5707 (this constant, not pi / 2) and
D = p/H + (q - p) + (1 - q)/H:
  t < p:       (p/H) (1 + sin(H t/p - H)) / D
  p <= t <= q: (p/H + t - p) / D
  t > q:       (p/H + (q - p) + ((1 - q)/H) sin(H (t - q)/(1 - q))) / D
t, p and q are single-precision numbers; the result is given to 9
significant digits (more than a single-precision result holds)."""
import math
import struct

H = 1.5707


def single(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def ease(t, p, q):
    d = p / H + (q - p) + (1.0 - q) / H
    if t < p:
        return (p / H) * (1.0 + math.sin(H * t / p - H)) / d
    if t <= q:
        return (p / H + t - p) / d
    return (p / H + (q - p) + ((1.0 - q) / H) * math.sin(H * (t - q) / (1.0 - q))) / d


def samples():
    # A grid over the whole segment for the shapes the slow codes make.
    shapes = [(0.5, 0.5), (1.0, 1.0), (0.0, 0.0), (0.4, 0.6), (0.25, 0.9), (0.0, 0.3), (0.7, 1.0),
              (0.495, 0.505), (0.79, 1.0), (0.0, 0.21), (0.0, 1.0)]
    for p, q in shapes:
        for k in range(21):
            yield k / 20.0, p, q
    # The positions of frames inside the segments the evaluation tests use.
    for frame in (3, 6, 12, 15, 20, 27):
        yield frame / 30.0, 0.5, 0.5
    for frame in (10, 30, 49, 50, 51, 70, 90):
        yield frame / 100.0, 0.495, 0.505
    for p, q in [(1.0, 1.0), (0.0, 0.0), (0.0, 1.0), (0.4, 0.6), (0.79, 1.0), (0.0, 0.21)]:
        for frame in (4, 10, 20, 33):
            yield frame / 40.0, p, q


def main():
    rows = []
    seen = set()
    for t, p, q in samples():
        key = (single(t), single(p), single(q))
        if key in seen:
            continue
        seen.add(key)
        rows.append(key + (ease(*key),))
    with open("ease.csv", "w") as out:
        out.write("t,p,q,ease\n")
        for t, p, q, e in rows:
            out.write(f"{t:.9g},{p:.9g},{q:.9g},{e:.9g}\n")


if __name__ == "__main__":
    main()
