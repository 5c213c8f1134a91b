#pragma once
// Generates the GLSL text of a vertex and a fragment shader from ordered lists
// of literal lines and shader piece files, in the fixed shape: version line,
// banner, globals, functions, main body.
#include <string>
#include <vector>

struct ShaderEntry {
    int kind; // 1 literal line, anything else a piece file
    std::string text;
};

class ShaderConstructor {
public:
    enum ListIndex { vert_globals = 0, vert_functions, vert_body, frag_globals, frag_functions, frag_body };

    ShaderConstructor(std::string name, std::string version);

    void add_vert_global_line(std::string line);
    void add_vert_body_line(std::string line);
    void add_frag_global_line(std::string line);
    void add_frag_function_line(std::string line);
    void add_frag_body_line(std::string line);

    void add_vert_global_piece(std::string path);
    void add_vert_function_piece(std::string path);
    void add_vert_body_piece(std::string path);
    void add_frag_global_piece(std::string path);
    void add_frag_function_piece(std::string path);
    void add_frag_body_piece(std::string path);

    std::string get_vertex_source();
    std::string get_fragment_source();
    std::string build_source(int offset);
    std::string resolve_entry(const ShaderEntry& entry);

    const std::string& get_name() const { return name; }

private:
    void add(int list, int kind, std::string text);

    std::string name;
    std::string version;
    std::vector<ShaderEntry> lists[6];
};
