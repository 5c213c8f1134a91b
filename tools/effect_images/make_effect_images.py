#!/usr/bin/env python3
"""Makes the images of the scene effects (standard library only):

  data/common/images/own_particle_256.png
      256x256 RGBA particle sprite: white, with a soft round falloff in the
      alpha channel, which carries the brightness (the particles blend with
      source alpha, one).
  data/effects/skybox/spacescape_desat_nebula_complex/desat_nebula_complex_<face>.png
      the six faces (left, right, down, up, back, front) of a desaturated
      nebula sky box, 256x256 RGB each. The nebula is a function of the look-up
      direction, so the faces meet without seams.
  data/effects/flagwave/flag.png, data/effects/skydome/clouds.png,
  data/effects/skydome/stars.png
      the flag's cloth and the sky dome's two layers.
  data/effects/skydome/dome.sgl
      the sky dome's half sphere as an SGL model (GL_T2F_N3F_V3F triangles).

Run from the project root:  python3 tools/effect_images/make_effect_images.py
"""
import math
import os
import struct
import sys
import zlib


def write_png(path, width, height, channels, rows):
    """rows: list of bytes objects, top row first, 8 bits per channel."""
    colour_type = {3: 2, 4: 6}[channels]
    raw = b"".join(b"\x00" + bytes(r) for r in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def clamp_byte(v):
    return max(0, min(255, int(round(v * 255.0))))


# --- value noise on a 3D lattice --------------------------------------------

def lattice(ix, iy, iz, seed):
    h = (ix * 374761393 + iy * 668265263 + iz * 2147483647 + seed * 144665) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


def smooth(t):
    return t * t * (3.0 - 2.0 * t)


def value_noise(x, y, z, seed):
    ix, iy, iz = math.floor(x), math.floor(y), math.floor(z)
    fx, fy, fz = smooth(x - ix), smooth(y - iy), smooth(z - iz)
    c = [lattice(ix + dx, iy + dy, iz + dz, seed) for dz in (0, 1) for dy in (0, 1) for dx in (0, 1)]
    x00 = c[0] + (c[1] - c[0]) * fx
    x10 = c[2] + (c[3] - c[2]) * fx
    x01 = c[4] + (c[5] - c[4]) * fx
    x11 = c[6] + (c[7] - c[6]) * fx
    y0 = x00 + (x10 - x00) * fy
    y1 = x01 + (x11 - x01) * fy
    return y0 + (y1 - y0) * fz


def fbm(x, y, z, seed, octaves):
    total, amplitude, norm = 0.0, 1.0, 0.0
    for _ in range(octaves):
        total += value_noise(x, y, z, seed) * amplitude
        norm += amplitude
        x, y, z = x * 2.03, y * 2.03, z * 2.03
        amplitude *= 0.5
        seed += 17
    return total / norm


# --- the particle sprite ----------------------------------------------------

def particle_sprite(size=256):
    rows = []
    centre = (size - 1) / 2.0
    for j in range(size):
        row = bytearray()
        for i in range(size):
            r = math.hypot(i - centre, j - centre) / (size / 2.0)
            glow = math.exp(-r * r * 9.0) if r < 1.0 else 0.0
            core = max(0.0, 1.0 - r * 4.0)
            # Fades to exactly 0 at the rim so the square never shows.
            edge = max(0.0, min(1.0, (1.0 - r) * 8.0))
            alpha = min(1.0, (glow * 0.85 + core * 0.35) * edge)
            row += bytes((255, 255, 255, clamp_byte(alpha)))
        rows.append(row)
    return rows


# --- the sky box ------------------------------------------------------------

# Cube-map face directions for the face coordinates sc, tc (-1..1; tc = -1 on
# the image's top row, which the cube map takes as its first row).
FACES = {
    "left": lambda sc, tc: (-1.0, -tc, sc),   # negative x
    "right": lambda sc, tc: (1.0, -tc, -sc),  # positive x
    "down": lambda sc, tc: (sc, -1.0, -tc),   # negative y
    "up": lambda sc, tc: (sc, 1.0, tc),       # positive y
    "back": lambda sc, tc: (-sc, -tc, -1.0),  # negative z
    "front": lambda sc, tc: (sc, -tc, 1.0),   # positive z
}


def nebula_colour(d):
    x, y, z = d
    n = 1.0 / math.sqrt(x * x + y * y + z * z)
    x, y, z = x * n, y * n, z * n
    cloud = fbm(x * 2.2 + 5.1, y * 2.2 + 1.7, z * 2.2 + 3.3, 11, 5)
    veil = fbm(x * 4.0 + 9.0, y * 4.0, z * 4.0 + 2.0, 53, 3)
    density = max(0.0, cloud - 0.42) * 2.4
    density = density * density * (0.6 + 0.8 * veil)
    tint = fbm(x * 1.3, y * 1.3 + 4.0, z * 1.3, 97, 2)
    # Desaturated: grey-blue to grey-violet, little colour.
    r = 0.02 + density * (0.55 + 0.15 * tint)
    g = 0.02 + density * (0.55 + 0.05 * (1.0 - tint))
    b = 0.035 + density * 0.68
    # Stars: sparse points from a hash of the direction cell.
    cell = (int(math.floor(x * 300)), int(math.floor(y * 300)), int(math.floor(z * 300)))
    s = lattice(cell[0], cell[1], cell[2], 7)
    if s > 0.9975:
        star = (s - 0.9975) / 0.0025
        r, g, b = r + star, g + star, b + star * 0.95
    return (clamp_byte(r), clamp_byte(g), clamp_byte(b))


def sky_face(face, size=256):
    direction = FACES[face]
    rows = []
    for j in range(size):
        tc = (j + 0.5) / size * 2.0 - 1.0
        row = bytearray()
        for i in range(size):
            sc = (i + 0.5) / size * 2.0 - 1.0
            row += bytes(nebula_colour(direction(sc, tc)))
        rows.append(row)
    return rows


# --- the flag and the sky dome ----------------------------------------------

def flag_cloth(w=128, h=64):
    rows = []
    for j in range(h):
        row = bytearray()
        for i in range(w):
            stripe = (j * 5 // h) % 2
            cross = abs(i - w * 0.35) < w * 0.06 or abs(j - h * 0.5) < h * 0.09
            if cross:
                c = (240, 236, 220)
            elif stripe:
                c = (30, 70, 150)
            else:
                c = (180, 40, 45)
            row += bytes(c)
        rows.append(row)
    return rows


def tiled_noise(size, seed, octaves, scale, shape):
    """A texture that repeats: the noise is read on a torus."""
    rows = []
    for j in range(size):
        row = bytearray()
        v = j / size * 2.0 * math.pi
        for i in range(size):
            u = i / size * 2.0 * math.pi
            x = (2.0 + math.cos(v)) * math.cos(u) * scale
            y = (2.0 + math.cos(v)) * math.sin(u) * scale
            z = math.sin(v) * scale
            row += bytes(shape(fbm(x, y, z, seed, octaves)))
        rows.append(row)
    return rows


def clouds(size=128):
    def shape(n):
        c = max(0.0, min(1.0, (n - 0.45) * 3.0))
        return (clamp_byte(0.45 + 0.55 * c), clamp_byte(0.55 + 0.45 * c), clamp_byte(0.85 + 0.15 * c), clamp_byte(c))
    return tiled_noise(size, 31, 5, 1.2, shape)


def stars(size=128):
    def shape(n):
        s = max(0.0, (n - 0.7) * 3.3)
        return (clamp_byte(s), clamp_byte(s), clamp_byte(s * 0.9 + 0.05), 255)
    return tiled_noise(size, 71, 2, 6.0, shape)


def dome_sgl(slices=24, stacks=8):
    """Half sphere of radius 1 over y >= 0, seen from inside: triangles with
    texture coordinates (around, up), inward normals and positions."""
    def vertex(a, b):
        theta = a / slices * 2.0 * math.pi
        phi = b / stacks * 0.5 * math.pi
        x, y, z = math.cos(phi) * math.cos(theta), math.sin(phi), math.cos(phi) * math.sin(theta)
        return (a / slices, b / stacks, -x, -y, -z, x, y, z)

    records = []
    for b in range(stacks):
        for a in range(slices):
            p00, p10 = vertex(a, b), vertex(a + 1, b)
            p01, p11 = vertex(a, b + 1), vertex(a + 1, b + 1)
            records += [p00, p01, p10, p10, p01, p11]
    data = struct.pack("<iii", len(records), 0x2A2B, 4)  # GL_T2F_N3F_V3F, GL_TRIANGLES
    data += b"".join(struct.pack("<8f", *r) for r in records)
    return data


def main():
    root = os.getcwd()
    if not os.path.isdir(os.path.join(root, "data")):
        sys.exit("run from the project root")
    write_png(os.path.join(root, "data/common/images/own_particle_256.png"), 256, 256, 4, particle_sprite())
    sky = os.path.join(root, "data/effects/skybox/spacescape_desat_nebula_complex/desat_nebula_complex_")
    for face in FACES:
        write_png(sky + face + ".png", 256, 256, 3, sky_face(face))
    write_png(os.path.join(root, "data/effects/flagwave/flag.png"), 128, 64, 3, flag_cloth())
    write_png(os.path.join(root, "data/effects/skydome/clouds.png"), 128, 128, 4, clouds())
    write_png(os.path.join(root, "data/effects/skydome/stars.png"), 128, 128, 4, stars())
    with open(os.path.join(root, "data/effects/skydome/dome.sgl"), "wb") as f:
        f.write(dome_sgl())


if __name__ == "__main__":
    main()
