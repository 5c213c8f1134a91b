// Text pictures: line lengths, padding, line ends (carriage returns are
// dropped as a Windows text-mode read would) and the missing-file error.
#include <string>
using namespace std::string_literals;
#include <vector>

#include "util/ascii/ascii_fixtures.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/asciiloader.h"

namespace {

using AsciiLoaderTest = ascii_test::FixtureTest;

// The loaded cells as strings, zero bytes shown as '0'.
std::vector<std::string> rows_of(const AsciiLoader& l)
{
    std::vector<std::string> out;
    for (int r = 0; r < l.get_height(); ++r) {
        std::string line;
        for (int c = 0; c < l.get_width(); ++c)
            line += l.get_cell(r, c) ? static_cast<char>(l.get_cell(r, c)) : '0';
        out.push_back(line);
    }
    return out;
}

TEST_F(AsciiLoaderTest, LinesArePaddedToTheLongest)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    struct Case {
        std::string file;
        std::vector<std::string> rows;
    } cases[] = {
        {"abc\ndefghij\nklmno\n", {"abc0000", "defghij", "klmno00"}},
        {"a\nb\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"ab\r\n\r\ncd\r", {"ab", "00", "cd"}},
        {"x\ry\r\nz", {"x\ry", "z00"}},  // a lone carriage return inside a line is a character
        {"12\n34\0ignored\nlines"s, {"12", "34"}},
        {"..##..\n", {"..##.."}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = write_file("art" + std::to_string(n++) + ".asc", c.file);
        AsciiLoader loader(&e, path.c_str());
        EXPECT_EQ(rows_of(loader), c.rows) << "file " << n - 1;
    }
}

TEST_F(AsciiLoaderTest, MissingFileIsFatal)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    const std::string path = (folder / "nothing.asc").string();
    EXPECT_EQ(fatal_message([&] { AsciiLoader loader(&e, path.c_str()); }), "Failed to load " + path);
}

}  // namespace
