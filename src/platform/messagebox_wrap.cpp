#include "platform/messagebox_wrap.h"

namespace {

// A line of more bytes than this is not measured whole but only as far as it
// fits: a measure costs as much as the text is long, and the toolkit's
// measure wraps around past 32,767 pixels.
constexpr std::size_t kMeasuredWhole = 1024;

bool continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte index where the character after the one starting at `i` starts.
std::size_t next_character(std::string_view line, std::size_t i)
{
    ++i;
    while (i < line.size() && continuation(line[i]))
        ++i;
    return i;
}

void wrap_line(std::string_view line, int maxWidth, const TextWidth& width, std::string& out)
{
    while (line.size() > kMeasuredWhole || width(line) > maxWidth) {
        // The first byte that does not fit: one character always does.
        std::size_t cut = next_character(line, 0);
        while (cut < line.size()) {
            const std::size_t next = next_character(line, cut);
            if (width(line.substr(0, next)) > maxWidth)
                break;
            cut = next;
        }
        if (cut == line.size())
            break; // a long line that fits after all
        // A break needs something other than blanks before it: a line's
        // leading blanks stay with its first word.
        const std::size_t text = line.find_first_not_of(' ');
        const std::size_t blank = line.rfind(' ', cut);
        std::size_t headEnd = cut, restStart = cut;
        if (blank != std::string_view::npos && text != std::string_view::npos && blank > text) {
            headEnd = line.find_last_not_of(' ', blank) + 1;
            restStart = blank;
        }
        restStart = line.find_first_not_of(' ', restStart);
        out += line.substr(0, headEnd);
        if (restStart == std::string_view::npos)
            return; // only blanks were left
        out += '\n';
        line.remove_prefix(restStart);
    }
    out += line;
}

} // namespace

std::size_t utf8_columns(std::string_view text)
{
    std::size_t n = 0;
    for (char c : text) {
        const auto lead = static_cast<unsigned char>(c);
        if (continuation(c))
            continue;
        n += lead >= 0xF0 ? 2 : lead >= 0xE2 ? 3 : 1;
    }
    return n;
}

std::string keep_lines(const std::string& text, int maxLines)
{
    const std::size_t shown = static_cast<std::size_t>(maxLines > 2 ? maxLines : 2) - 1;
    std::size_t end = 0;
    for (std::size_t line = 0; line < shown; ++line) {
        end = text.find('\n', end);
        if (end == std::string::npos)
            return text;
        ++end;
    }
    std::size_t more = 1;
    for (std::size_t i = text.find('\n', end); i != std::string::npos; i = text.find('\n', i + 1))
        ++more;
    if (more == 1)
        return text; // the last line fits in the note's place
    return text.substr(0, end) + "... and " + std::to_string(more) +
           " more lines (the whole text is on standard output)";
}

std::string wrap_lines(const std::string& text, int maxWidth, const TextWidth& width)
{
    std::string out;
    out.reserve(text.size() + text.size() / 64 + 1);
    const std::string_view all(text);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = all.find('\n', start);
        wrap_line(all.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), maxWidth,
                  width, out);
        if (end == std::string_view::npos)
            return out;
        out += '\n';
        start = end + 1;
    }
}
