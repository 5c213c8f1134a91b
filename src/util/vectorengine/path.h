#pragma once
// One 2D vector shape: segments in page units with a stroke and a fill. The
// first draw flattens the segments, builds the stroke triangles and the fill
// polygons, and uploads them into two vertex buffers; later draws replay them.
// The path owns its segments and buffers (a current OpenGL context is needed
// to construct and to destroy it).
#include <GL/glew.h>

#include <string>
#include <vector>

#include "util/math/vec3.h"
#include "util/vectorengine/flatten.h"
#include "util/vectorengine/segment.h"

class Path {
public:
    Path(std::string name, bool stroke, bool fill, const vec3& strokeColor, const vec3& fillColor);
    ~Path();
    Path(const Path&) = delete;
    Path& operator=(const Path&) = delete;

    void moveTo(float x, float y);
    void lineTo(float x, float y);
    void cubicTo(float x1, float y1, float x2, float y2, float x3, float y3);
    void close();
    // Takes ownership of the segment and keeps a copy of it to flatten.
    void addSegment(Vectors::Segment* segment);

    void setVisible(bool visible);
    unsigned getSegmentCount() const;
    void draw();

    void buildStroke(const std::vector<unsigned>& contourStarts, std::vector<unsigned>& strokeStarts);

    bool visible = true;
    bool stroke;
    bool fill;
    vec3 stroke_color;
    vec3 fill_color;
    float stroke_width = 10.0f;
    std::string name;
    SegmentList segments;
    SegmentList original_segments;
    bool dirty = true;
    GLuint stroke_vbo = 0;
    GLuint fill_vbo = 0;
    std::vector<double> points;
    std::vector<float> fill_vertices;
    std::vector<float> stroke_vertices;
    std::vector<unsigned> stroke_starts;
    std::vector<unsigned> fill_starts;

private:
    void rebuild();
};
