#include "util/ioutils/ioutils.h"

#include <cstdlib>
#include <sstream>

#include "platform/fileapi.h"
#include "util/data/data_layer.h"

char* read_text_file(std::string name)
{
    int size = 0;
    return reinterpret_cast<char*>(load_file(name.c_str(), "rt", &size, true));
}

void declare_file(std::string name)
{
    const int mode = get_datafile_mode();
    if (mode == DataFileMode::Read)
        mark_loaded(name.c_str());
    else if (mode == DataFileMode::Write)
        std::free(read_text_file(name));
}

bool file_exists(std::string path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void replace_all(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.erase(pos, from.size());
        text.insert(pos, to);
        pos += to.size();
    }
}

std::string to_string(int value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string to_string(float value, int precision)
{
    std::ostringstream out;
    out.precision(precision);
    out << value;
    return out.str();
}
