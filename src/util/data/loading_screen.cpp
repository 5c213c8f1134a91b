#include "util/data/loading_screen.h"

#include <GL/glew.h>

#include <cstdlib>

#include "platform/messages.h"
#include "platform/timing.h"
#include "system/fatal_error.h"
#include "system/log_message.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"
#include "util/ascii/asciiengine.h"
#include "util/data/data_entry.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"
#include "util/easydraw/easydraw.h"
#include "util/easydraw/easydrawcustom.h"
#include "util/fbo/fbo.h"
#include "util/math/mat4.h"
#include "util/math/vec4.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/texture/texture.h"

namespace {

// The loading screen's state: one per program.
struct LoadingScreen {
    bool started = false;  // loading_init has run: there is a window to draw in
    int windowWidth = 0;
    int windowHeight = 0;
    float aspect = 16.0f / 9.0f;
    Texture* texLoading = nullptr;
    std::uint32_t nextTick = 0;
    std::uint32_t done = 0;
    std::uint32_t total = 150;
    AsciiEngine* ascii = nullptr;
    FBO* asciiFBO = nullptr;
    ShaderProgram* circlesProgram = nullptr;
};

LoadingScreen screen;

float progress_fraction(int done, int total)
{
    return total == 0 ? 0.0f : static_cast<float>(done) / static_cast<float>(total);
}

void clear_buffers()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

}  // namespace

void loading_init(int width, int height, float aspect)
{
    screen.windowWidth = width;
    screen.windowHeight = height;
    screen.aspect = aspect;
    screen.started = true;
    for (int i = 0; i < 2; ++i) {
        clear_buffers();
        swapBuffers();
    }
    screen.texLoading = nullptr;
    loading_tick(1.0f, false);
}

void load_loading_texture()
{
    Texture* tex_loading = new Texture(VelmoSystem::logoImage, true, false, GL_LINEAR, GL_LINEAR);
    VELMO_ASSERT(tex_loading);
    screen.texLoading = tex_loading;
    loading_tick(1.0f, false);
}

void loading_tick(float alpha, bool force)
{
    // Files loaded before the window exists (tools, tests, "Get &mp3") tick nothing.
    if (loading_finished || !screen.started)
        return;
    if (GetAsyncKeyState(VK_ESCAPE) != 0) {
        delete_temp_files();
        std::exit(1);
    }
    const std::uint32_t now = GetTickCount();
    if (!force && now < screen.nextTick)
        return;
    screen.nextTick = now + 40;

    // Pending window messages are thrown away, not handled, while loading.
    MSG message;
    while (PeekMessageA(&message, VelmoSystem::hWnd, 0, 0, PM_REMOVE)) {
        if (message.message == WM_PAINT)
            break;
    }

    if (get_datafile_mode() == DataFileMode::Read) {
        screen.total = static_cast<std::uint32_t>(data_entries.size());
        screen.done = 0;
        for (const DataEntry* entry : data_entries)
            screen.done += entry->loaded ? 1 : 0;
    } else {
        screen.done = (screen.done + 1) % screen.total;
    }

    const int windowHeight = screen.windowHeight == 0 ? 1 : screen.windowHeight;
    int width, height;
    if (static_cast<float>(screen.windowWidth) / static_cast<float>(windowHeight) > screen.aspect) {
        height = windowHeight;
        width = static_cast<int>(static_cast<float>(windowHeight) * screen.aspect);
    } else {
        width = screen.windowWidth;
        height = static_cast<int>(static_cast<float>(screen.windowWidth) / screen.aspect);
    }
    glViewport((screen.windowWidth - width) / 2, (windowHeight - height) / 2, width, height);

    const int done = static_cast<int>(screen.done);
    const int total = static_cast<int>(screen.total);
    switch (VelmoSystem::loadingScreenType) {
    case LoadingScreenType::ProgressBar:
        draw_progress_bar_screen(alpha, width, height, done, total);
        break;
    case LoadingScreenType::Ascii:
        draw_ascii_loading_screen(alpha, width, height, done, total);
        break;
    case LoadingScreenType::Circles:
        draw_circles_loading_screen(alpha, width, height, done, total);
        break;
    default:
        FATAL_ERROR("Unknown loading screen");
    }
    swapBuffers();
}

void loading_fade_out()
{
    const int fadeMs = VelmoSystem::loadingFadeMs;
    const std::uint32_t start = GetTickCount();
    const std::uint32_t end = start + static_cast<std::uint32_t>(fadeMs);
    std::uint32_t now;
    do {
        now = GetTickCount();
        float alpha = 0.0f;
        if (fadeMs != 0)
            alpha = (static_cast<float>(end) - static_cast<float>(now)) / static_cast<float>(fadeMs);
        if (alpha < 0.0f)
            alpha = 0.0f;
        loading_tick(alpha, true);
    } while (now < end);
    loading_tick(0.0f, true);
    loading_finished = true;
    // From here on Escape ends the show instead of aborting the load.
    log_message("Loading finished\n");
}

void draw_progress_bar_screen(float alpha, int, int, int done, int total)
{
    clear_buffers();
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);

    static const mat4 projection(1);
    static ShaderProgram* barProgram = new ShaderProgram(make_color2d_shader("ProgressBar"));
    static ShaderProgram* textureProgram =
        new ShaderProgram(make_texture_color2d_shader("ProgressBarTexture"));
    static EasyDrawCustom* quads = new EasyDrawCustom();

    const vec4 color = done <= total / 2 ? vec4(1.0f, 1.0f, 1.0f, 1.0f) : vec4(alpha);

    if (screen.texLoading) {
        textureProgram->bind();
        textureProgram->set_vec4("Color", color, 1);
        textureProgram->set_mat4("ProjectionMatrix", projection.data(), 1, false);
        screen.texLoading->draw_fullscreen(0.0f, 0.0f, 1.0f, 1.0f);
    }

    const float t = 0.005f;
    const float th = 0.005f * screen.aspect;
    const float fx = 0.1f + 0.8f * progress_fraction(done, total);
    static float vertices[40];
    const float v[40] = {
        0.1f, 0.1f,  0.9f, 0.1f,  0.9f, 0.1f - th,   0.1f, 0.1f - th,    // top line
        0.1f, 0.05f, 0.9f, 0.05f, 0.9f, 0.05f + th,  0.1f, 0.05f + th,   // bottom line
        0.1f, 0.1f,  0.1f - t, 0.1f, 0.1f - t, 0.05f, 0.1f, 0.05f,       // left line
        0.9f, 0.1f,  0.9f + t, 0.1f, 0.9f + t, 0.05f, 0.9f, 0.05f,       // right line
        0.1f, 0.1f,  fx, 0.1f,    fx, 0.05f,         0.1f, 0.05f,        // fill
    };
    for (int i = 0; i < 40; ++i)
        vertices[i] = v[i];
    barProgram->bind();
    barProgram->set_vec4("Color", color, 1);
    barProgram->set_mat4("ProjectionMatrix", projection.data(), 1, false);
    quads->set_attribute(0, 2, 40, vertices, 0);
    quads->draw(GL_QUADS);
}

void draw_ascii_loading_screen(float, int width, int height, int done, int total)
{
    clear_buffers();
    if (!screen.ascii)
        screen.ascii = new AsciiEngine();
    screen.ascii->set_viewport(width, height, 4.0f / 3.0f);

    const int length = total == 0 ? 1 : 3 * done / total + 1;
    for (int c = 0; c < 80 && c < length; ++c) {
        screen.ascii->put(46, c, 0xB2, 15, 0);
        screen.ascii->put(45, c, 0xB1, 15, 0);
        screen.ascii->put(44, c, 0xB0, 15, 0);
    }

    if (!screen.asciiFBO)
        screen.asciiFBO = new FBO(width, height, 5, 0);
    screen.asciiFBO->push(true);
    screen.ascii->render(true);
    screen.asciiFBO->pop();

    static const mat4 projection(1);
    static ShaderProgram* copyProgram = new ShaderProgram(make_texture2d_shader("SceneManager"));
    copyProgram->bind();
    copyProgram->set_mat4("ProjectionMatrix", projection.data(), 1, false);
    screen.asciiFBO->draw();
}

void draw_circles_loading_screen(float alpha, int, int, int done, int total)
{
    clear_buffers();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);

    static const mat4 projection(1);
    if (!screen.circlesProgram) {
        static ShaderConstructor* shader =
            new ShaderConstructor("CirclesLoadingScreenShader", "#version 420");
        shader->add_vert_global_line("uniform mat4 ProjectionMatrix;");
        shader->add_vert_global_line("out vec2 FragPosition;");
        shader->add_vert_global_line("layout (location = " + std::string("0") +
                                     ") in vec2 Position;");
        shader->add_vert_body_line("\tFragPosition = Position;");
        shader->add_vert_body_line("\tgl_Position = ProjectionMatrix * vec4( Position, 0.0, 1.0 );");
        shader->add_frag_global_line("uniform vec4 Color;");
        shader->add_frag_global_line("uniform float Progress;");
        shader->add_frag_global_line("out vec4 FragColor;");
        shader->add_frag_global_line("in vec2 FragPosition;");
        shader->add_frag_body_line("float intensity = 0.0;");
        shader->add_frag_body_line(
            "float distance = sqrt( pow( 0.1 - FragPosition.x, 2 ) + pow( 0.1 - FragPosition.y, 2 ) );");
        shader->add_frag_body_line("distance -= Progress * 0.5;");
        shader->add_frag_body_line("intensity += Progress / ( distance * 1.8 );");
        shader->add_frag_body_line("\tFragColor = Color * intensity;");
        screen.circlesProgram = new ShaderProgram(shader);
    }
    screen.circlesProgram->bind();
    screen.circlesProgram->set_vec4("Color", vec4(alpha), 1);
    screen.circlesProgram->set_float("Progress", progress_fraction(done, total) * 0.07f);
    screen.circlesProgram->set_mat4("ProjectionMatrix", projection.data(), 1, false);
    EasyDraw::draw_fullscreen_quad();
}
