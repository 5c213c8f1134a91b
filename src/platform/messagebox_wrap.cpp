#include "platform/messagebox_wrap.h"

namespace {

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
    while (width(line) > maxWidth) {
        // The first byte that does not fit: one character always does.
        std::size_t cut = next_character(line, 0);
        while (cut < line.size()) {
            const std::size_t next = next_character(line, cut);
            if (width(line.substr(0, next)) > maxWidth)
                break;
            cut = next;
        }
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

std::size_t utf8_characters(std::string_view text)
{
    std::size_t n = 0;
    for (char c : text)
        n += continuation(c) ? 0 : 1;
    return n;
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
