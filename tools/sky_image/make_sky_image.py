#!/usr/bin/env python3
"""Makes the sky photograph of the SquarePeeps scene:

  data/common/images/FullskiesBlueClear0009_1_S.jpg
      512x512 RGB: a clear blue sky, deep at the top and pale towards the
      horizon at the bottom, with a few soft white clouds from a smooth
      value noise of fixed seed (the picture is the same on every run).

The picture is written as a PPM by the standard library and turned into the
JPEG by ImageMagick's convert (quality 90, no metadata).

Run from the project root:  python3 tools/sky_image/make_sky_image.py
"""
import math
import os
import random
import subprocess
import sys
import tempfile

SIZE = 512
OUT = "data/common/images/FullskiesBlueClear0009_1_S.jpg"


def lattice(seed, cells):
    rng = random.Random(seed)
    return [[rng.random() for _ in range(cells + 1)] for _ in range(cells + 1)]


def smooth_noise(grid, cells, u, v):
    """Value noise on a (cells x cells) lattice at u, v in [0, 1)."""
    x, y = u * cells, v * cells
    ix, iy = int(x), int(y)
    fx, fy = x - ix, y - iy
    fx = fx * fx * (3 - 2 * fx)
    fy = fy * fy * (3 - 2 * fy)
    a = grid[iy][ix] + (grid[iy][ix + 1] - grid[iy][ix]) * fx
    b = grid[iy + 1][ix] + (grid[iy + 1][ix + 1] - grid[iy + 1][ix]) * fx
    return a + (b - a) * fy


def cloud(octaves, u, v):
    total, weight = 0.0, 0.0
    amplitude = 1.0
    for cells, grid in octaves:
        total += amplitude * smooth_noise(grid, cells, u, v)
        weight += amplitude
        amplitude *= 0.5
    return total / weight


def main():
    octaves = [(cells, lattice(9 + cells, cells)) for cells in (4, 8, 16, 32)]
    pixels = bytearray()
    for row in range(SIZE):
        v = row / SIZE
        # Deep blue at the top, pale blue at the horizon.
        sky = (0.10 + 0.45 * v, 0.32 + 0.40 * v, 0.78 + 0.17 * v)
        for col in range(SIZE):
            u = col / SIZE
            c = cloud(octaves, u, v)
            # Only the densest noise becomes cloud, thinning towards the top.
            cover = max(0.0, min(1.0, (c - 0.58) * 4.0)) * (0.4 + 0.6 * v)
            cover = cover * cover * (3 - 2 * cover)
            for k in range(3):
                value = sky[k] * (1 - cover) + 0.97 * cover
                pixels.append(max(0, min(255, int(round(value * 255)))))
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "sky.ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (SIZE, SIZE))
            f.write(bytes(pixels))
        subprocess.run(["convert", ppm, "-strip", "-quality", "90", OUT], check=True)
    print("wrote", OUT)
    return 0


if __name__ == "__main__":
    sys.exit(main())
