#include "util/vectorengine/path.h"

#include <memory>

#include "system/fatal_error.h"
#include "util/vectorengine/stroke.h"
#include "util/vectorengine/tesselator.h"

namespace {

std::unique_ptr<Vectors::Segment> copy_segment(const Vectors::Segment& segment)
{
    switch (segment.GetType()) {
    case Vectors::SEGMENT_MOVE:
        return std::make_unique<Vectors::SegmentMove>(dynamic_cast<const Vectors::SegmentMove&>(segment));
    case Vectors::SEGMENT_LINE:
        return std::make_unique<Vectors::SegmentLine>(dynamic_cast<const Vectors::SegmentLine&>(segment));
    case Vectors::SEGMENT_CUBIC:
    case Vectors::SEGMENT_SMOOTH_CUBIC:
        return std::make_unique<Vectors::SegmentCubic>(dynamic_cast<const Vectors::SegmentCubic&>(segment));
    case Vectors::SEGMENT_CLOSE:
        return std::make_unique<Vectors::SegmentClose>(dynamic_cast<const Vectors::SegmentClose&>(segment));
    default:
        FATAL_ERROR("Invalid segment type for copy constructor!");
    }
}

void upload(GLuint buffer, const std::vector<float>& vertices)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                 vertices.empty() ? nullptr : vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// Draws runs of vertices: run k starts at float offset starts[k] and ends
// where the next one starts (the last at the end of the vertices).
void draw_runs(GLuint buffer, const vec3& color, GLenum mode, const std::vector<unsigned>& starts,
               std::size_t floatCount)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glColor4fv(color.data());
    for (std::size_t k = 0; k < starts.size(); k++) {
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : floatCount;
        if (end <= starts[k])
            continue;
        glDrawArrays(mode, static_cast<GLint>(starts[k] / 3), static_cast<GLsizei>((end - starts[k]) / 3));
    }
}

}

Path::Path(std::string name_, bool stroke_, bool fill_, const vec3& strokeColor, const vec3& fillColor)
    : stroke(stroke_), fill(fill_), stroke_color(strokeColor.x, strokeColor.y, strokeColor.z),
      fill_color(fillColor.x, fillColor.y, fillColor.z), name(std::move(name_))
{
    glGenBuffers(1, &stroke_vbo);
    glGenBuffers(1, &fill_vbo);
}

Path::~Path()
{
    glDeleteBuffers(1, &stroke_vbo);
    glDeleteBuffers(1, &fill_vbo);
}

void Path::moveTo(float x, float y)
{
    addSegment(new Vectors::SegmentMove(x, y, 0.0f));
}

void Path::lineTo(float x, float y)
{
    addSegment(new Vectors::SegmentLine(x, y, 0.0f));
}

void Path::cubicTo(float x1, float y1, float x2, float y2, float x3, float y3)
{
    addSegment(new Vectors::SegmentCubic(vec3(x1, y1, 0.0f), vec3(x2, y2, 0.0f), vec3(x3, y3, 0.0f)));
}

void Path::close()
{
    addSegment(new Vectors::SegmentClose());
}

void Path::addSegment(Vectors::Segment* segment)
{
    original_segments.emplace_back(segment);
    segments.push_back(copy_segment(*segment));
}

void Path::setVisible(bool visible_)
{
    visible = visible_;
}

unsigned Path::getSegmentCount() const
{
    return static_cast<unsigned>(segments.size());
}

void Path::buildStroke(const std::vector<unsigned>& contourStarts, std::vector<unsigned>& strokeStarts)
{
    if (points.size() % 3 != 0) {
        stroke_vertices.clear();
        FATAL_ERROR(stroke_input_error(points.size()));
    }
    const bool closed = !segments.empty() && segments.back()->GetType() == Vectors::SEGMENT_CLOSE;
    build_stroke(points, contourStarts, closed, stroke_width, stroke_vertices, strokeStarts);
}

void Path::rebuild()
{
    std::vector<unsigned> contourStarts;
    stroke_starts.clear();
    flatten_path(segments, points, contourStarts);
    if (stroke) {
        buildStroke(contourStarts, stroke_starts);
        upload(stroke_vbo, stroke_vertices);
    }
    if (fill) {
        tessellate_path(points, contourStarts, fill_vertices, fill_starts);
        upload(fill_vbo, fill_vertices);
    }
    dirty = false;
}

void Path::draw()
{
    if (segments.empty() || !visible)
        return;
    if (dirty)
        rebuild();
    glEnableClientState(GL_VERTEX_ARRAY);
    if (fill)
        draw_runs(fill_vbo, fill_color, GL_TRIANGLE_FAN, fill_starts, fill_vertices.size());
    if (stroke)
        draw_runs(stroke_vbo, stroke_color, GL_TRIANGLES, stroke_starts, stroke_vertices.size());
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
