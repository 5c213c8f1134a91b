#include "util/ascii/asciiloader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "system/fatal_error.h"
#include "util/data/data_layer.h"

namespace {

// The largest picture side taken: ample for art that scrolls across the
// 80 x 50 canvas, and a bound on what a short file of long lines, or of
// many short ones, can make the loader allocate (width x height cells).
constexpr int kMaxSide = 1024;

// The text up to its first zero byte, with the line ends a Windows text-mode
// read would give: "\r\n" becomes "\n", and a carriage return that ends the
// text is dropped.
std::string text_mode_lines(const std::uint8_t* bytes, int size)
{
    const char* text = reinterpret_cast<const char*>(bytes);
    const size_t length = strnlen(text, static_cast<size_t>(size));
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\r' && (i + 1 == length || text[i + 1] == '\n'))
            continue;
        out.push_back(text[i]);
    }
    return out;
}

// Lines split at line feeds; text after the last line feed is a line too.
std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

AsciiLoader::AsciiLoader(AsciiEngine* canvas, const char* path) : canvas(canvas)
{
    int size = 0;
    std::uint8_t* bytes = load_file(path, "r", &size, true);
    if (!bytes)
        FATAL_ERROR(std::string("Failed to load ") + path);
    const std::vector<std::string> lines = split_lines(text_mode_lines(bytes, size));
    std::free(bytes);

    std::size_t longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, line.size());
    if (lines.size() > static_cast<std::size_t>(kMaxSide) || longest > static_cast<std::size_t>(kMaxSide))
        FATAL_ERROR(std::string("ASCII picture ") + path + " is " + std::to_string(longest) + " columns by " +
                    std::to_string(lines.size()) + " lines, more than the " + std::to_string(kMaxSide) + " by " +
                    std::to_string(kMaxSide) + " a canvas can use");
    height = static_cast<int>(lines.size());
    width = static_cast<int>(longest);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    cells = static_cast<std::uint8_t*>(std::calloc(std::max<size_t>(count, 1), 1));
    if (!cells)
        FATAL_ERROR(std::string("Failed to allocate memory buffer for ascii image ") + path);
    for (int i = 0; i < height; ++i)
        std::memcpy(cells + static_cast<size_t>(i) * width, lines[i].data(), lines[i].size());
}

AsciiLoader::~AsciiLoader()
{
    std::free(cells);
}
