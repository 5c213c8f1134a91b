#include "util/music/xmldocument.h"

#include <string>

bool load_xml_document(TiXmlDocument& document, char* buffer, std::size_t length)
{
    if (!buffer) {
        // Let the library record its own error for a file that cannot be opened.
        document.LoadFile("");
        return false;
    }
    std::string text;
    text.reserve(length);
    // The text ends at the NUL that load_file appends; a buffer served back
    // without one (the packed data file keeps bytes as recorded) ends at its length.
    const std::size_t end = length;
    for (std::size_t i = 0; i < end && buffer[i] != '\0'; ++i) {
        if (buffer[i] == '\r') {
            text.push_back('\n');
            if (i + 1 < end && buffer[i + 1] == '\n')
                ++i;
        } else {
            text.push_back(buffer[i]);
        }
    }
    // The parser can step up to four bytes past the terminating NUL when the
    // text ends inside a multi-byte UTF-8 sequence: keep those bytes ours, and zero.
    text.append(4, '\0');
    document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return !document.Error();
}
