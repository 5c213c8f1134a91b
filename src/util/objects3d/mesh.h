#pragma once
// Shared vertex data of the 3D scene graph: flat float lists of positions,
// normals, tangents and texture coordinates, each with its number of floats
// per vertex (0 = the attribute is absent). Geometry objects index into it.
#include <cstdint>
#include <string>
#include <vector>

class Mesh {
public:
    std::string name;
    std::vector<float> vertices;
    std::vector<float> normals;
    std::vector<float> tangents;
    std::vector<float> texcoords;
    int32_t vertices_stride = 0;
    int32_t normals_stride = 0;
    int32_t tangents_stride = 0;
    int32_t texcoords_stride = 0;
};
