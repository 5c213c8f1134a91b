#pragma once
// Loading an XML document from a buffer that the data layer returned.
#include <cstddef>
#include <string>

#include <tinyxml.h>

// Elements nested deeper than this are refused before parsing: the parser
// recurses once per level, and tens of thousands of levels overflow the
// stack. Real descriptions and Ableton sets nest a few dozen deep.
constexpr int kMaxXmlDepth = 256;

// Parses the text in the first `length` bytes (up to the NUL that load_file
// appends, or all of them when there is none) after turning CR LF and lone
// CR into LF. A null buffer fails with the library's "Failed to open file".
// True when the parse records no error. A text nested deeper than
// kMaxXmlDepth is a fatal error naming `name`.
bool load_xml_document(TiXmlDocument& document, char* buffer, std::size_t length, const std::string& name);

// The deepest nesting of elements in the text, counted as the parser reads
// it (comments, declarations, CDATA and quoted attribute values skipped);
// counting stops once it passes `limit`.
int xml_nesting_depth(const std::string& text, int limit);
