#!/usr/bin/env python3
"""Prints the title lettering of the text-mode canvas's picture 0 (the logo
the text-mode intro shows), as the C++ row strings that
src/util/ascii/asciiengine_images.cpp holds (standard library only).

The production's name, one word a line, in 5x7 block letters: every letter
pixel is two cells of '#' (cells are shown taller than wide), with a '8'
shadow one cell down and to the right, on the '.' background that callers
treat as transparent; a scatter of ':' and 'o' stars around it is kept from
the picture's own rows.

Run from the project root:  python3 tools/textlogo/make_intro_logo.py
and paste its rows over the lettering rows of kRows (see the comment there).
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "logo"))
from make_logo import LETTERS as BLOCK_LETTERS  # noqa: E402

WIDTH = 80
WORDS = ["GLASS", "HARBOUR", "SIGNAL"]
GAP = 1          # background cells between letters
LINE_GAP = 1     # background rows between a word's shadow and the next word

# 5x7 block letters, top row first: the loading screen logo's, and the rest
# of the title's.
LETTERS = dict(BLOCK_LETTERS)
LETTERS.update({
    "A": [".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "B": ["XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."],
    "G": [".XXX.", "X...X", "X....", "X.XXX", "X...X", "X...X", ".XXX."],
    "H": ["X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "S": [".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."],
    "U": ["X...X", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
})


def word_rows(word):
    """The word's 8 rows (7 letter rows and the shadow row), centred in 80."""
    cells = 2 * 5 * len(word) + GAP * (len(word) - 1)
    left = (WIDTH - cells - 1) // 2
    grid = [["."] * WIDTH for _ in range(8)]
    for i, ch in enumerate(word):
        x0 = left + i * (10 + GAP)
        for r, line in enumerate(LETTERS[ch]):
            for c, pixel in enumerate(line):
                if pixel == "X":
                    grid[r][x0 + 2 * c] = grid[r][x0 + 2 * c + 1] = "#"
    for r in range(7, -1, -1):
        for c in range(WIDTH - 1, -1, -1):
            if grid[r][c] != "#" and r > 0 and c > 0 and grid[r - 1][c - 1] == "#":
                grid[r][c] = "8"
    return ["".join(row) for row in grid]


def main():
    rows = []
    for n, word in enumerate(WORDS):
        if n:
            rows += ["." * WIDTH] * LINE_GAP
        rows += word_rows(word)
    for row in rows:
        assert len(row) == WIDTH
        print(f'    "{row}",')


if __name__ == "__main__":
    main()
