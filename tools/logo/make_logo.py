#!/usr/bin/env python3
"""Makes the logo the progress-bar loading screen shows (standard library only):

  data/common/images/velmorin_logo_16_9.png
      1280x720 RGB: on black, a ring with a chevron "V" inside it, drawn as
      strokes in the style of the vector shapes, and the word "VELMORIN" in
      square block letters below, in white over a red accent line.

Run from the project root:  python3 tools/logo/make_logo.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "effect_images"))
from make_effect_images import write_png  # noqa: E402

WIDTH, HEIGHT = 1280, 720

# 5x7 block letters, top row first.
LETTERS = {
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "E": ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"],
    "L": ["X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"],
    "M": ["X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "I": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "XXXXX"],
    "N": ["X...X", "XX..X", "X.X.X", "X.X.X", "X..XX", "X...X", "X...X"],
}


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def coverage(distance, half_width):
    """Anti-aliased coverage of a stroke of the given half width."""
    return max(0.0, min(1.0, half_width + 0.5 - distance))


def logo():
    cx, cy = WIDTH / 2, 300.0
    ring_radius, ring_half = 150.0, 9.0
    chevron = [(cx - 85, cy - 70), (cx, cy + 85), (cx + 85, cy - 70)]
    word = "VELMORIN"
    cell = 10
    letter_w, gap = 5 * cell, 3 * cell
    word_w = len(word) * letter_w + (len(word) - 1) * gap
    word_x, word_y = (WIDTH - word_w) // 2, 520
    accent_y, accent_half = 625.0, 3.0

    rows = []
    for y in range(HEIGHT):
        row = bytearray(WIDTH * 3)
        py = y + 0.5
        for x in range(WIDTH):
            px = x + 0.5
            white = 0.0
            red = 0.0
            # The ring and the chevron (only near them: the rest is far).
            if abs(px - cx) < 180 and abs(py - cy) < 180:
                white = coverage(abs(math.hypot(px - cx, py - cy) - ring_radius), ring_half)
                for (ax, ay), (bx, by) in zip(chevron, chevron[1:]):
                    white = max(white, coverage(segment_distance(px, py, ax, ay, bx, by), 12.0))
                # A red disc at the chevron's tip.
                red = coverage(math.hypot(px - chevron[1][0], py - chevron[1][1]), 16.0)
            # The word.
            if word_y <= y < word_y + 7 * cell and word_x <= x < word_x + word_w:
                i, within = divmod(x - word_x, letter_w + gap)
                if within < letter_w and LETTERS[word[i]][(y - word_y) // cell][within // cell] == "X":
                    white = 1.0
            # The accent line under the word, fading out to both sides.
            if abs(py - accent_y) < accent_half + 1:
                fade = max(0.0, 1.0 - abs(px - cx) / (word_w / 2 + 40))
                red = max(red, coverage(abs(py - accent_y), accent_half) * fade)
            r = max(white, red)
            g = b = white * (1.0 - red)
            row[3 * x:3 * x + 3] = bytes((round(r * 255), round(g * 255), round(b * 255)))
        rows.append(bytes(row))
    return rows


def main():
    root = os.getcwd()
    if not os.path.isdir(os.path.join(root, "data")):
        sys.exit("run from the project root")
    write_png(os.path.join(root, "data/common/images/velmorin_logo_16_9.png"), WIDTH, HEIGHT, 3, logo())


if __name__ == "__main__":
    main()
