#pragma once
// Line breaking for message boxes. Both boxes size themselves to the longest
// line of their text, so one long line (a message naming two long paths)
// makes a box wider than the screen; breaking the lines keeps it on screen.
// They grow a line's height a line too, so a long text is cut to the lines
// that fit.
#include <functional>
#include <string>
#include <string_view>

// The widest line of text a box gets, in pixels: with the margins and icon
// of either box it stays within a 1024-pixel-wide screen.
constexpr int kMessageBoxTextWidth = 840;

// The width of a piece of text in pixels, as the box will draw it.
using TextWidth = std::function<int(std::string_view)>;

// `text` with every line wider than `maxWidth` broken: at the last blank
// that fits (the blanks at the break are dropped), or, when no blank fits,
// inside the word, at the last character that fits (at least one character
// per line). A UTF-8 sequence is never split. Line breaks already in the
// text stay, and so do the blanks a line starts with. A long line is only
// measured in pieces about as wide as a line.
std::string wrap_lines(const std::string& text, int maxWidth, const TextWidth& width);

// Columns of `text` in the window library's box: a character beyond U+FFFF
// (four UTF-8 bytes) is drawn two cells wide, and one from U+2000 to U+FFFF
// up to two and a half (the CJK faces of the core fonts, which also draw
// arrows, box lines and some symbols there), so it counts three.
std::size_t utf8_columns(std::string_view text);

// The tallest box either box may be, in pixels: on a 720-pixel-tall screen
// it leaves room for a window manager's title bar and a panel.
constexpr int kMessageBoxHeight = 600;

// `text` cut to its first `maxLines` lines (at least two) when it has more:
// the last line shown then says how many lines were left out.
std::string keep_lines(const std::string& text, int maxLines);
