#pragma once
// File and string helpers shared by the shader, effect and 3D code.
#include <string>

// The file as NUL-terminated text through the data layer (free() it), or null.
char* read_text_file(std::string name);
// Makes the data layer aware of a file read some other way: read mode marks
// it loaded, write mode records it (as text with its NUL), off mode nothing.
void declare_file(std::string name);
// Whether the path exists on the disk and is not a directory (never looks
// at the packed data file).
bool file_exists(std::string path);
// Replaces every `from` by `to`, searching on after each inserted `to`.
// An empty `from` changes nothing.
void replace_all(std::string& text, const std::string& from, const std::string& to);
// Decimal text as a standard stream writes it.
std::string to_string(int value);
// `precision` significant digits, default floating format.
std::string to_string(float value, int precision);
