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

// Pictures larger than a canvas can use are refused before their cells are
// allocated: a short file can claim 60,000 lines, or a line of 60,000
// columns; 1024 by 1024 is still taken.
TEST_F(AsciiLoaderTest, HugePicturesAreRefused)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    const std::string most = write_file("most.asc", std::string(1024, 'x') + "\n" + std::string(1023, '\n'));
    AsciiLoader loader(&e, most.c_str());
    EXPECT_EQ(loader.get_width(), 1024);
    EXPECT_EQ(loader.get_height(), 1024);

    const std::string lines = write_file("lines.asc", std::string(60000, '\n'));
    EXPECT_EQ(fatal_message([&] { AsciiLoader l(&e, lines.c_str()); }),
              "ASCII picture " + lines + " is 0 columns by 60000 lines, more than the 1024 by 1024 a canvas can use");
    const std::string wide = write_file("wide.asc", "a\n" + std::string(60000, 'x') + "\n");
    EXPECT_EQ(fatal_message([&] { AsciiLoader l(&e, wide.c_str()); }),
              "ASCII picture " + wide + " is 60000 columns by 2 lines, more than the 1024 by 1024 a canvas can use");
}

}  // namespace

