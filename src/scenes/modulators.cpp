#include "scenes/modulators.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "util/math/mat4.h"
#include "util/music/music.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/text/text.h"

namespace {
// Sample k (0 the newest) of note j of a history buffer.
float sample_at(const float* history, int note, std::uint32_t writeIndex, int k) {
    int slot = int(writeIndex % Modulators::kHistoryLength) - k;
    if (slot < 0)
        slot += Modulators::kHistoryLength;
    return history[note * Modulators::kHistoryLength + slot];
}

// Both the fixed-function colour and the plot program's "Color".
void set_colour(ShaderProgram* shader, float r, float g, float b, float a) {
    glColor4f(r, g, b, a);
    shader->set_float4("Color", r, g, b, a);
}
}  // namespace

Modulators::Modulators() : Scene(), histories() {}

void Modulators::init() {
    for (int t = 0; t < int(music->getTrackCount()); ++t) {
        const std::size_t count = std::size_t(music->getNoteCount(t)) * kHistoryLength;
        float* buffer = static_cast<float*>(std::malloc(count * sizeof(float)));
        histories.push_back(buffer);
        // All ones: every sample is a NaN until it is first written.
        std::memset(buffer, 0xFF, count * sizeof(float));
    }
    writeIndex = 0;
    historyTime = 0.0f;
    historyStep = 0.02f;
    labelFont = new Text("data/common/fonts/arial.ttf", 72, 0);
}

void Modulators::setViewport(int width, int height) {
    this->width = width;
    this->height = height;
    glViewport(0, 0, width, height);
    const int n = int(music->getTrackCount());
    if (n > 0) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, kHistoryLength, 0, n);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        labelFont->Reshape(width, height);
    }
}

void Modulators::deinit() {
    for (std::size_t t = 0; t < histories.size(); ++t)
        std::free(histories[t]);
    histories.clear();
}

void Modulators::updateHistory(float beat, float lookAhead) {
    const int n = int(music->getTrackCount());
    // The music went back: drop the newest samples, refilling each freed
    // slot with the value at the window's new left edge.
    while (historyTime > beat + lookAhead) {
        historyTime -= historyStep;
        writeIndex = (writeIndex == 0) ? kHistoryLength - 1 : writeIndex - 1;
        for (int t = 0; t < n; ++t) {
            const std::vector<float> v = music->getNoteValues(t, historyTime - 2.0f * lookAhead);
            for (std::size_t j = 0; j < v.size(); ++j)
                histories[t][j * kHistoryLength + (writeIndex + 1) % kHistoryLength] = v[j];
        }
    }
    while ((beat + lookAhead) - historyTime > historyStep) {
        historyTime += historyStep;
        writeIndex += 1;
        for (int t = 0; t < n; ++t) {
            const std::vector<float> v = music->getNoteValues(t, historyTime);
            for (std::size_t j = 0; j < v.size(); ++j)
                histories[t][j * kHistoryLength + writeIndex % kHistoryLength] = v[j];
        }
    }
}

// Samples never written hold a NaN; they are left out, and each run of
// written samples is drawn as a strip of its own: first every note's filled
// area, then every note's outline. An outline starts and ends on the track's
// base line where its run reaches the newest or the oldest sample.
//
// Most notes are silent most of the time, and a silent stretch shows
// nothing: its area triangles have no area, and its outline runs along the
// base line, under the grid line drawn later (wider, opaque, across the
// whole band). Those pieces are not sent; the strips are cut around them,
// each piece starting on a sample, so that every segment and every area
// triangle that is sent keeps its vertices and their order. A held value
// (a note without modulators, an envelope's sustain) makes a level stretch,
// whose area goes as one rectangle: the same samples, each blended once.
void Modulators::plotTrack(ShaderProgram* shader, int t, int n) {
    const float y0 = float(n - 1 - t);
    const int notes = int(music->getNoteCount(t));
    const float* history = histories[t];

    // The outline's points of one note: (511, y0), the samples from the
    // newest at x = 511 to the oldest at x = 0, (0, y0). A NaN height marks
    // a sample never written, and the base-line ends beside such a sample.
    constexpr int kPoints = kHistoryLength + 2;
    float x[kPoints], y[kPoints];
    x[0] = float(kHistoryLength - 1);
    x[kPoints - 1] = 0.0f;
    for (int k = 0; k < kHistoryLength; ++k)
        x[k + 1] = float(kHistoryLength - 1 - k);
    auto heights = [&](int j) {
        for (int k = 0; k < kHistoryLength; ++k) {
            const float v = sample_at(history, j, writeIndex, k);
            y[k + 1] = std::isnan(v) ? NAN : y0 + 0.9f * v;
        }
        y[0] = std::isnan(y[1]) ? NAN : y0;
        y[kPoints - 1] = std::isnan(y[kPoints - 2]) ? NAN : y0;
    };
    // Whether the piece from point i to point i + 1 is drawn.
    auto shown = [&](int i) {
        return !std::isnan(y[i]) && !std::isnan(y[i + 1]) && !(y[i] == y0 && y[i + 1] == y0);
    };

    for (int j = notes - 1; j >= 0; --j) {
        const float f = float(j) / float(notes);
        set_colour(shader, 0.0f, 1.0f - f, f, 0.6f);
        heights(j);
        // Between two samples: the triangles (top, base, next top) and
        // (base, next top, next base).
        bool open = false;
        for (int i = 1; i + 1 < kPoints - 1; ++i) {
            if (!shown(i)) {
                if (open)
                    glEnd();
                open = false;
                continue;
            }
            if (!open) {
                glBegin(GL_TRIANGLE_STRIP);
                glVertex2f(x[i], y[i]);
                glVertex2f(x[i], y0);
                open = true;
            }
            // Through a stretch of equal heights the strip goes on as one
            // rectangle, which covers the same samples as its columns.
            const bool level = i + 2 < kPoints - 1 && y[i] == y[i + 1] && y[i + 1] == y[i + 2];
            if (!level) {
                glVertex2f(x[i + 1], y[i + 1]);
                glVertex2f(x[i + 1], y0);
            }
        }
        if (open)
            glEnd();
    }

    for (int j = notes - 1; j >= 0; --j) {
        const float f = float(j) / float(notes);
        set_colour(shader, 0.0f, 1.0f - f, f, 1.0f);
        heights(j);
        bool open = false;
        for (int i = 0; i + 1 < kPoints; ++i) {
            if (!shown(i)) {
                if (open)
                    glEnd();
                open = false;
                continue;
            }
            if (!open) {
                glBegin(GL_LINE_STRIP);
                glVertex2f(x[i], y[i]);
                open = true;
            }
            glVertex2f(x[i + 1], y[i + 1]);
        }
        if (open)
            glEnd();
    }
}

void Modulators::draw() {
    // Built on the first call. The program lives as long as the GL context;
    // the matrix is released at exit.
    static ShaderProgram* plotShader = new ShaderProgram(make_color2d_shader("SceneStagelightsColor2d"));
    static mat4 plotProjection(1);

    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const int n = int(music->getTrackCount());
    plotProjection.ortho(0.0f, float(kHistoryLength), 0.0f, float(n), -1.0f, 1.0f);
    plotShader->bind();
    plotShader->set_mat4("ProjectionMatrix", plotProjection.data(), 1, false);
    plotShader->set_float4("Color", white[0], white[1], white[2], white[3]);

    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    // The plot and the labels draw without the depth test: the cleared depth
    // serves only what follows the scene.
    if (depthReadAfter)
        glClear(GL_DEPTH_BUFFER_BIT);

    const float b = music->getBeat();
    const float lookAhead = float(kHistoryLength / 2) * historyStep;
    if (n == 0)
        return;

    updateHistory(b, lookAhead);

    glLineWidth(2.0f);
    for (int t = 0; t < n; ++t)
        plotTrack(plotShader, t, n);

    set_colour(plotShader, 0.7f, 0.7f, 0.7f, 1.0f);
    glLineWidth(3.0f);
    for (int t = 0; t < n; ++t) {
        glBegin(GL_LINE_STRIP);
        glVertex2f(0.0f, float(t));
        glVertex2f(float(kHistoryLength), float(t));
        glEnd();
    }
    glBegin(GL_LINE_STRIP);
    glVertex2f(float(kHistoryLength / 2), 0.0f);
    glVertex2f(float(kHistoryLength / 2), float(n));
    glEnd();

    labelFont->BindShader();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (int t = 0; t < n; ++t) {
        glPushMatrix();
        glTranslatef(0.0f, float(n - 1 - t) + 0.1f, 0.0f);
        glScalef(0.2f, 0.01f + 0.005f * music->getTrackIntensity(t, b), 1.0f);
        labelFont->Print("%2i: %s", t, music->getTrackName(t).c_str());
        glPopMatrix();
    }
}
