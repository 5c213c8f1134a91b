#include "util/music/xmldocument.h"

#include <cstring>

#include "system/fatal_error.h"

namespace {

// Position just past `close` from `from` on, or the end of the text.
std::size_t skip_past(const std::string& text, std::size_t from, const char* close)
{
    const std::size_t at = text.find(close, from);
    return at == std::string::npos ? text.size() : at + std::strlen(close);
}

} // namespace

int xml_nesting_depth(const std::string& text, int limit)
{
    int depth = 0;
    int deepest = 0;
    std::size_t i = 0;
    while ((i = text.find('<', i)) != std::string::npos) {
        if (text.compare(i, 4, "<!--") == 0) {
            i = skip_past(text, i + 4, "-->");
        } else if (text.compare(i, 9, "<![CDATA[") == 0) {
            i = skip_past(text, i + 9, "]]>");
        } else if (text.compare(i, 2, "<?") == 0 || text.compare(i, 2, "<!") == 0) {
            i = skip_past(text, i + 2, ">");
        } else if (text.compare(i, 2, "</") == 0) {
            if (depth > 0)
                --depth;
            i = skip_past(text, i + 2, ">");
        } else {
            // A start tag: up to its '>' outside quoted attribute values.
            std::size_t j = i + 1;
            char quote = 0;
            for (; j < text.size(); ++j) {
                const char c = text[j];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                }
            }
            const bool empty = j < text.size() && text[j - 1] == '/';
            if (!empty && ++depth > deepest) {
                deepest = depth;
                if (deepest > limit)
                    return deepest;
            }
            i = j;
        }
    }
    return deepest;
}

bool load_xml_document(TiXmlDocument& document, char* buffer, std::size_t length, const std::string& name)
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
    if (xml_nesting_depth(text, kMaxXmlDepth) > kMaxXmlDepth)
        FATAL_ERROR("XML document " + name + " nests its elements deeper than " + std::to_string(kMaxXmlDepth) +
                    " levels");
    // The parser can step up to four bytes past the terminating NUL when the
    // text ends inside a multi-byte UTF-8 sequence: keep those bytes ours, and zero.
    text.append(4, '\0');
    document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return !document.Error();
}
