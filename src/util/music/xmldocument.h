#pragma once
// Loading an XML document from a buffer that the data layer returned.
#include <cstddef>

#include <tinyxml.h>

// Parses the text in the first `length` bytes (up to the NUL that load_file
// appends, or all of them when there is none) after turning CR LF and lone
// CR into LF. A null buffer fails with
// the library's "Failed to open file". True when the parse records no error.
bool load_xml_document(TiXmlDocument& document, char* buffer, std::size_t length);
