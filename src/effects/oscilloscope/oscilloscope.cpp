#include "effects/oscilloscope/oscilloscope.h"

#include <GL/glew.h>

#include <algorithm>
#include <new>

#include "effects/fixed_function.h"
#include "system/fatal_error.h"
#include "util/music/music.h"

namespace Effects {

Oscilloscope::Oscilloscope(Music* music_, int width, int height)
    : framebuffer(std::make_unique<FBO>(width, height, FBO_TYPE_RGBA8, 0)), music(music_)
{
}

Oscilloscope::~Oscilloscope() = default;

void Oscilloscope::add_channel(int sampleCount, vec4 color, float offset)
{
    Channel channel{{}, color, offset};
    try {
        channel.samples.assign(static_cast<std::size_t>(std::max(sampleCount, 0)), 0.0f);
    } catch (const std::bad_alloc&) {
        FATAL_ERROR("tempbuf is NULL");
    }
    channels.push_back(std::move(channel));
}

std::vector<float> Oscilloscope::strip_points(const std::vector<float>& samples, float offset)
{
    std::vector<float> points;
    const std::size_t count = samples.size();
    points.reserve(count);
    for (std::size_t k = 0; k + 1 < count; k += 2) {
        points.push_back(static_cast<float>(k) / static_cast<float>(count));
        points.push_back((samples[k] + samples[k + 1]) * 0.75f + offset);
    }
    return points;
}

void Oscilloscope::render(float)
{
    begin_line_drawing();
    framebuffer->push(true);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
    if (channels.empty())
        add_channel(1024, vec4(1.0f, 1.0f, 0.0f, 1.0f), 0.0f);
    for (Channel& channel : channels) {
        load_unit_view(-1, 1);
        // The silent clock gives no samples: the line lies on its offset.
        std::fill(channel.samples.begin(), channel.samples.end(), 0.0f);
        if (!channel.samples.empty())
            music->getWaveform(channel.samples.data(), static_cast<std::int32_t>(channel.samples.size()));
        glColor4fv(channel.color.data());
        glLineWidth(2.0f);
        const std::vector<float> points = strip_points(channel.samples, channel.offset);
        glBegin(GL_LINE_STRIP);
        for (std::size_t i = 0; i + 1 < points.size(); i += 2)
            glVertex2f(points[i], points[i + 1]);
        glEnd();
    }
    framebuffer->pop();
}

}  // namespace Effects
