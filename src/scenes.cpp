#include "scenes.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "effects/postproc.h"
#include "platform/messages.h"
#include "platform/timing.h"
#include "scenes/scene.h"
#include "system/dump_writer.h"
#include "system/fatal_error.h"
#include "system/frame_timer.h"
#include "system/log_message.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"
#include "util/ascii/asciiengine.h"
#include "util/camera/camera.h"
#include "util/data/loading_screen.h"
#include "util/fbo/fbo.h"
#include "util/math/mat4.h"
#include "util/math/random.h"
#include "util/music/music.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/text/text.h"
#include "util/texture/texture.h"

// Scenes of the productions.
#include "scenes/discotiles.h"
#include "scenes/droplets.h"
#include "scenes/geysirs.h"
#include "scenes/glowshapes.h"
#include "scenes/modulators.h"
#include "scenes/musicvectors.h"
#include "scenes/scene_fireworks/scene_fireworks.h"
#include "scenes/siriustext.h"
#include "scenes/sjakkvektor.h"
#include "scenes/squarepeeps.h"
#include "scenes/textdrop.h"
#include "scenes/textintro.h"
#include "scenes/textpiano.h"
#include "scenes/textribbons.h"
#include "scenes/textroto.h"
#include "scenes/trancetunnel.h"

namespace {

const char* const kActiveSceneTracks[4] = {"ActiveScene1st", "ActiveScene2nd", "ActiveScene3rd",
                                           "ActiveScene4rd"};

}  // namespace

bool comparePostProcOrder(const std::pair<int, float>& a, const std::pair<int, float>& b)
{
    return a.second < b.second;
}

SceneManager::SceneManager()
{
    aspect = static_cast<float>(VelmoSystem::aspectNumerator) /
             static_cast<float>(VelmoSystem::aspectDenominator);
    frame = 0;
    dumping = VelmoSystem::dumpVideo;
    dumpWidth = VelmoSystem::width;
    dumpHeight = VelmoSystem::height;
    pixels = nullptr;
    std::memset(keys, 0, sizeof keys);

    FrameTimer::init();

    debugFont = new Text("data/common/fonts/courier_new.ttf", 48, 0);

    // The framebuffers are made at the size resize gives them below, which
    // then finds nothing to change: no storage is made only to be replaced.
    int fboWidth = 0, fboHeight = 0;
    viewSize(VelmoSystem::width, VelmoSystem::height, &fboWidth, &fboHeight);
    fboWidth = std::max(fboWidth, 1);
    fboHeight = std::max(fboHeight, 1);
    sceneFBO = new FBO(fboWidth, fboHeight, 1, 0);
    samples = VelmoSystem::samples;
    fbos.push_back(new FBO(fboWidth, fboHeight, 5, samples));
    fbos.push_back(new FBO(fboWidth, fboHeight, 5, 0));
    fbos.push_back(new FBO(fboWidth, fboHeight, 5, 0));

    music = new Music();

    if (dumping) {
        const std::string name = VelmoSystem::title + ".avi";
        fps = 30;
        const WAVEFORMATEX& format = music->waveFormat;
        samplesPerFrame = music->dummy_mode ? 0 : format.nChannels * format.nSamplesPerSec / 30;
        if (!aviWriter.open(name.c_str(), 30.0f, AVIWriter::kAskCodec, 100))
            FATAL_ERROR("Failed to open video file " + name);
        aviWriter.set_size(dumpWidth, dumpHeight);
        dumpWriter = new DumpWriter(&aviWriter, static_cast<std::size_t>(dumpWidth) * dumpHeight * 3);
        if (!music->dummy_mode)
            aviWriter.set_audio_format(&music->waveFormat);
        log_message("Dumping to video file " + name + "\n");
    }

    music->addSyncValue("ActiveScene1st", 0, true);
    music->addSyncValue("ActiveScene2nd", -1, true);
    music->addSyncValue("ActiveScene3rd", -1, true);
    music->addSyncValue("ActiveScene4rd", -1, true);
    music->addSyncValue("cameraEyeX", -15, true);
    music->addSyncValue("cameraEyeY", -15, true);
    music->addSyncValue("cameraEyeZ", -15, true);
    music->addSyncValue("cameraDstX", 0, true);
    music->addSyncValue("cameraDstY", 0, true);
    music->addSyncValue("cameraDstZ", 0, true);
    music->addSyncValue("cameraUpX", 0, true);
    music->addSyncValue("cameraUpY", 1, true);
    music->addSyncValue("cameraUpZ", 0, true);
    music->addSyncValue("cameraFoV", 45, true);

    effects.push_back(new Effects::Dither());
    effects.push_back(new Effects::Fade());
    effects.push_back(new Effects::Blur());
    effects.push_back(new Effects::Radblur());
    effects.push_back(new Effects::Film());
    for (Effects::PostProc* effect : effects) {
        music->addSyncValue("pp" + effect->name(), -1, true);
        const auto& names = effect->paramNames();
        for (std::size_t j = 0; j < names.size(); ++j)
            music->addSyncValue("pp" + names[j], effect->getParam(static_cast<int>(j)), true);
    }

    resize(VelmoSystem::width, VelmoSystem::height);
    createScenes();
}

SceneManager::~SceneManager()
{
    for (Scene* scene : scenes) {
        scene->deinit();
        delete scene;
    }
    scenes.clear();
    // A stopped dump (dumpWriter null) has closed its part already.
    if (dumping && dumpWriter) {
        // The last frame's writing is waited for, and must have worked.
        finishFrame();
        delete dumpWriter;
        dumpWriter = nullptr;
        pixels = nullptr;
        aviWriter.close();
        log_message("Finished AVI writing\n");
    }
    delete music;
    music = nullptr;
}

void SceneManager::addScene(Scene* scene)
{
    scenes.push_back(scene);
    scene->setMusic(music);
    scene->setFBO(sceneFBO);
    scene->setInput(&input);
    scene->setAspect(aspect);
    scene->setKeyTable(keys);
    scene->init();
    scene->setViewport(viewWidth, viewHeight);
    resetGLState();
}

void SceneManager::createScenes()
{
    switch (VelmoSystem::sceneSet) {
    case 0:
        // "Internal debugging": scene number 0.
        addScene(new Droplets());
        break;
    case 1:
        // "orvik - lantern", in this order (scene numbers 0 to 8).
        addScene(new DiscoTiles());
        addScene(new SjakkVektor());
        addScene(new Geysirs());
        addScene(new TranceTunnel());
        addScene(new Fireworks());
        addScene(new SquarePeeps());
        addScene(new GlowShapes());
        addScene(new SiriusText());
        addScene(new Droplets());
        break;
    case 2:
        // "Quibbo": scene number 0.
        addScene(new MusicVectors());
        break;
    case 3:
        // "Glass Harbour Signal", in this order (scene numbers 0 to 5):
        // TextIntro, TextRoto, TextPiano, TextDrop, TextRibbons, Modulators.
        addScene(new TextIntro());
        addScene(new TextRoto());
        addScene(new TextPiano());
        addScene(new TextDrop());
        addScene(new TextRibbons());
        addScene(new Modulators());
        break;
    default:
        FATAL_ERROR("Unrecognized production " + VelmoSystem::title);
    }
}

void SceneManager::viewSize(int width, int height, int* viewW, int* viewH) const
{
    if (height == 0)
        height = 1;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    if (w / h > aspect) {
        *viewH = height;
        *viewW = static_cast<int>(h * aspect);
    } else {
        *viewW = width;
        *viewH = static_cast<int>(w / aspect);
    }
}

void SceneManager::resize(int width, int height)
{
    if (height == 0)
        height = 1;
    windowWidth = width;
    windowHeight = height;
    viewSize(width, height, &viewWidth, &viewHeight);
    // A minimised window (width 0) keeps the framebuffers at one pixel.
    const int fboWidth = std::max(viewWidth, 1);
    const int fboHeight = std::max(viewHeight, 1);
    sceneFBO->resize(fboWidth, fboHeight);
    for (FBO* fbo : fbos)
        fbo->resize(fboWidth, fboHeight);
    debugFont->Reshape(windowWidth, windowHeight);
}

void SceneManager::start()
{
    velmo_srand(static_cast<unsigned int>(GetTickCount64()));
    loading_fade_out();
    volume = VelmoSystem::volume;
    music->setVolume(volume);
    music->start();
    while (music->getBeat() < 0.0f) {
    }
    if (dumping) {
        music->setBytePosition(0);
        music->togglePause();
    }
}

void SceneManager::setSkipUnseenWork(bool skip)
{
    skipUnseenWork = skip;
    for (Effects::PostProc* effect : effects)
        effect->set_skip_unseen_work(skip);
    if (FBO* canvas = AsciiEngine::shared_framebuffer())
        canvas->set_skip_unseen_work(skip);
}

int SceneManager::sceneIndex(float value) const
{
    // Truncation toward zero: values above -1 and below the scene count name
    // a scene; NaN and infinities name none.
    if (value > -1.0f && value < static_cast<float>(scenes.size()))
        return static_cast<int>(value);
    return -1;
}

void SceneManager::setViewRect()
{
    const int x = (windowWidth - viewWidth) / 2;
    const int y = (windowHeight - viewHeight) / 2;
    glViewport(x, y, viewWidth, viewHeight);
    glScissor(x, y, viewWidth, viewHeight);
}

void SceneManager::run()
{
    FrameTimer::update();
    music->update();
    input.update(static_cast<int>(frame));

    if (VelmoSystem::syncClient == 0 && !music->isRunning() && !VelmoSystem::quitPosted) {
        PostQuitMessage(0);
        VelmoSystem::quitPosted = true;
    }
    if (VelmoSystem::quitPosted)
        return;

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);

    int active[4];
    for (int i = 0; i < 4; ++i)
        active[i] = sceneIndex(music->getSyncValue(kActiveSceneTracks[i]));

    // Scenes 1st to 3rd into the multisampled framebuffer, resolved into 1.
    drawScenes(active, 3);
    int current = 1;

    std::vector<std::pair<int, float>> enabled;
    for (std::size_t i = 0; i < effects.size(); ++i) {
        Effects::PostProc* effect = effects[i];
        const float value = music->getSyncValue("pp" + effect->name());
        if (!(value >= 0.0f))
            continue;
        const auto& names = effect->paramNames();
        for (std::size_t j = 0; j < names.size(); ++j)
            effect->setParam(static_cast<int>(j), music->getSyncValue("pp" + names[j]));
        enabled.emplace_back(static_cast<int>(i), value);
    }
    std::stable_sort(enabled.begin(), enabled.end(), comparePostProcOrder);
    if (skipUnseenWork)
        leaveOutCopies(&enabled);

    if (enabled.empty()) {
        drawToView(fbos[current], false);
    } else {
        for (std::size_t k = 0; k < enabled.size(); ++k) {
            Effects::PostProc* effect = effects[enabled[k].first];
            resetGLState();
            effect->prepare(viewWidth, viewHeight, music->getBeat(), fbos[current]);
            effect->apply(viewWidth, viewHeight, music->getBeat());
            if (k + 1 == enabled.size()) {
                setViewRect();
                fbos[current]->draw();
            } else {
                const int next = current % static_cast<int>(fbos.size() - 1) + 1;
                // The pass draws every pixel with blending off, and nothing
                // reads this framebuffer's depth: a clear would change nothing.
                fbos[next]->push(!skipUnseenWork);
                effect->draw(fbos[current]);
                popFBO(fbos[next]);
                current = next;
            }
        }
    }

    // The overlay scene, blended over the finished picture. When
    // "ActiveScene4rd" names no scene the picture blended is fully
    // transparent and changes nothing, so the step is left out.
    if (active[3] >= 0 || !skipUnseenWork) {
        drawScenes(active + 3, 1);
        drawToView(fbos[1], true);
    }

    if (dumping && dumpWriter)
        dumpFrame();

    swapBuffers();
    frame += 1;

    if (dumping && !VelmoSystem::quitPosted) {
        const std::int32_t position = music->getBytePosition();
        music->seekSeconds(static_cast<float>(frame) / static_cast<float>(fps));
        if (music->getBytePosition() == position)
            endDump();
    }
}

void SceneManager::leaveOutCopies(std::vector<std::pair<int, float>>* passes) const
{
    // A pass that copies the picture as it is changes no pixel when the next
    // pass reads the same picture from the framebuffer before it. A last
    // copy stays wherever leaving it out would make another pass draw into
    // the window in its place: a filter drawn into the window need not give
    // the bytes it gives in a framebuffer (one step apart in places on some
    // renderers), and grain and scan lines follow window coordinates. It is
    // left out only when it is the only pass (the picture then goes to the
    // view through the plain copy) and the view fills the window.
    const bool viewAtOrigin = windowWidth == viewWidth && windowHeight == viewHeight;
    std::vector<std::pair<int, float>> kept;
    for (std::size_t k = 0; k < passes->size(); ++k) {
        const bool last = k + 1 == passes->size();
        const bool copy = effects[(*passes)[k].first]->leaves_picture_unchanged();
        // Every pass kept so far draws something: a last copy after one of
        // them stays.
        if (copy && (!last || (kept.empty() && viewAtOrigin)))
            continue;
        kept.push_back((*passes)[k]);
    }
    *passes = std::move(kept);
}

void SceneManager::drawScenes(const int* indices, int count)
{
    fbos[0]->push(true);
    for (int i = 0; i < count; ++i) {
        if (indices[i] < 0)
            continue;
        // The resolve copies colour only: the depth a scene leaves is read
        // only by the scenes after it.
        bool sceneFollows = false;
        for (int k = i + 1; k < count; ++k)
            sceneFollows = sceneFollows || indices[k] >= 0;
        resetGLState();
        scenes[indices[i]]->setDepthReadAfter(sceneFollows || !skipUnseenWork);
        scenes[indices[i]]->setViewport(fbos[0]->get_width(), fbos[0]->get_height());
        scenes[indices[i]]->draw();
    }
    popFBO(fbos[0]);
    // The blit replaces every pixel's colour, and nothing reads this
    // framebuffer's depth: a clear would change nothing.
    fbos[1]->push(!skipUnseenWork);
    fbos[0]->blit();
    popFBO(fbos[1]);
}

void SceneManager::popFBO(FBO* fbo)
{
    fbo->pop();
    // The compositing framebuffers' textures have no mipmaps: pop leaves
    // their chains alone, as nothing samples them.
    if (!skipUnseenWork)
        fbo->generate_mipmaps();
}

void SceneManager::drawToView(FBO* fbo, bool blend)
{
    static ShaderProgram* program = new ShaderProgram(make_texture2d_shader("SceneManager"));
    static const mat4 projection(1);
    resetGLState();
    program->bind();
    program->set_mat4("ProjectionMatrix", projection.data(), 1, false);
    setViewRect();
    if (blend) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    fbo->draw();
}

void SceneManager::dumpFrame()
{
    // Rows tightly packed: the buffer holds exactly width x 3 bytes per row.
    pixels = dumpWriter->frame_buffer();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, dumpWidth, dumpHeight, GL_BGR, GL_UNSIGNED_BYTE, pixels);

    if (music->dummy_mode) {
        // No music, no audio: a fixed length of video.
        submitFrame(nullptr, 0, "Dumped frame " + std::to_string(frame) + " and wrote 0 samples of audio\n");
        if (frame + 1 >= kSilentDumpFrames)
            endDump();
        return;
    }

    // Whole sample frames per video frame, the remainder carried: frame f
    // holds the sample frames from f x rate / 30 up to (f + 1) x rate / 30.
    const std::uint64_t channels = music->waveFormat.nChannels;
    const std::uint64_t rate = music->waveFormat.nSamplesPerSec;
    const std::uint64_t total = music->num_samples / channels;
    const std::uint64_t first = frame * rate / fps;
    const std::uint64_t last = std::min<std::uint64_t>((frame + 1ull) * rate / fps, total);
    const std::uint64_t count = last > first ? last - first : 0;
    // An empty song has no slice to write.
    submitFrame(music->u16_buffer + first * channels, static_cast<int>(count),
                "Dumped frame " + std::to_string(frame) + " and wrote " + std::to_string(count * channels) +
                    " samples of audio\n");
    // The song's audio is all written: this was the last frame.
    if (last >= total)
        endDump();
}

// A frame or its audio could not be written (a full disk): the part is
// closed with what it holds, so the frames before stay playable, and the
// dump stops naming the file and the reason. The failing frame is the last:
// no frame after it is written, and its line is not logged.
void SceneManager::stopDump()
{
    // The worker has ended before the writer's state is read.
    delete dumpWriter;
    dumpWriter = nullptr;
    pixels = nullptr;
    dumpedLine.clear();
    const std::string file = aviWriter.part_file_name();
    const int error = aviWriter.write_error();
    aviWriter.close();
    FATAL_ERROR("Failed assert success: video file " + file + " not written (" +
                (error ? std::strerror(error) : "the writer refused the frame") +
                "); the frames written before it are kept");
}

void SceneManager::submitFrame(const std::int16_t* audio, int audioFrames, std::string line)
{
    if (!dumpWriter->submit(audio, audioFrames))
        stopDump();
    // The frame before is written.
    if (!dumpedLine.empty())
        log_message(dumpedLine);
    dumpedLine = std::move(line);
    if (!skipUnseenWork)
        finishFrame();
}

void SceneManager::finishFrame()
{
    if (!dumpWriter->finish())
        stopDump();
    if (!dumpedLine.empty())
        log_message(dumpedLine);
    dumpedLine.clear();
}

void SceneManager::endDump()
{
    if (VelmoSystem::quitPosted)
        return;
    if (dumpWriter)
        finishFrame();
    PostQuitMessage(0);
    VelmoSystem::quitPosted = true;
    log_message("  Finished dumping, quit event posted\n");
}

void SceneManager::resetGLState()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(1.0f);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glDisable(GL_TEXTURE_GEN_Q);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_NORMALIZE);
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    for (int i = 1; i < 8; ++i)
        glDisable(GL_LIGHT0 + i);
    glDisable(GL_LIGHTING);
    glEnable(GL_MULTISAMPLE);
    glEnable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glClearDepth(1.0);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glBindTexture(GL_TEXTURE_1D, 0);
    for (int unit = 0; unit < 6; ++unit)
        Texture::unbind(unit);
    glActiveTexture(GL_TEXTURE0);
    const GLfloat zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 8; ++i) {
        glLightfv(GL_LIGHT0 + i, GL_AMBIENT, zero);
        glLightfv(GL_LIGHT0 + i, GL_DIFFUSE, zero);
        glLightfv(GL_LIGHT0 + i, GL_SPECULAR, zero);
        glLightfv(GL_LIGHT0 + i, GL_POSITION, zero);
    }
    glDisable(GL_FRAMEBUFFER_SRGB);
}

void SceneManager::onKeyDown(std::uint8_t) {}
void SceneManager::onKeyUp(std::uint8_t) {}
void SceneManager::onF12() {}
void SceneManager::onMouseMove(int, int) {}
void SceneManager::onMouseButton(int, int) {}
void SceneManager::onMouseWheel(int) {}
void SceneManager::setFullscreen(bool) {}
bool SceneManager::isMouseGrabbed() { return input.is_mouse_grabbed(); }

void update_camera_control(Camera* camera, const std::uint8_t* keys, InputState* input,
                           float speed, Music* music)
{
    static bool freeFlight = false;
    static bool f11WasDown = false;

    if (input->was_key_pressed(1))
        camera->debug_print();
    const bool f11Down = keys[122] != 0;
    if (f11Down && !f11WasDown)
        freeFlight = !freeFlight;
    f11WasDown = f11Down;

    if (!freeFlight) {
        camera->look_at(music->getSyncValue("cameraEyeX"), music->getSyncValue("cameraEyeY"),
                        music->getSyncValue("cameraEyeZ"), music->getSyncValue("cameraDstX"),
                        music->getSyncValue("cameraDstY"), music->getSyncValue("cameraDstZ"),
                        music->getSyncValue("cameraUpX"), music->getSyncValue("cameraUpY"),
                        music->getSyncValue("cameraUpZ"));
        camera->set_vfov(music->getSyncValue("cameraFoV"));
        return;
    }

    const float d = FrameTimer::frame_delta();
    const bool shift = keys[16] != 0;
    const bool control = keys[17] != 0;

    const float look = shift ? 0.1f / 3.0f : control ? 0.1f / 10.0f : 0.1f;
    if (input->is_key_down(2) || input->is_mouse_grabbed()) {
        int dx = 0, dy = 0;
        input->get_mouse_delta(&dx, &dy);
        camera->rotate(static_cast<float>(dx) * look, 0.0f, 1.0f, 0.0f);
        camera->rotate(static_cast<float>(dy) * look, 1.0f, 0.0f, 0.0f);
    }

    const float turn = shift ? 50.0f : control ? 15.0f : 150.0f;
    if (keys[37])
        camera->rotate(-d * turn, 0.0f, 1.0f, 0.0f);
    if (keys[39])
        camera->rotate(d * turn, 0.0f, 1.0f, 0.0f);
    if (keys[38])
        camera->rotate(-d * turn, 1.0f, 0.0f, 0.0f);
    if (keys[40])
        camera->rotate(d * turn, 1.0f, 0.0f, 0.0f);
    if (keys[81])
        camera->rotate(-d * turn, 0.0f, 0.0f, 1.0f);
    if (keys[69])
        camera->rotate(d * turn, 0.0f, 0.0f, 1.0f);

    float move = speed;
    if (shift)
        move = speed * 0.1f;
    if (control)
        move = speed * 0.01f;

    camera->add_fov(-move * 0.005f * static_cast<float>(input->take_wheel()));

    if (keys[87])
        camera->move_forward(d * move);
    if (keys[83])
        camera->move_forward(-d * move);
    if (keys[65])
        camera->move_left(d * move);
    if (keys[68])
        camera->move_left(-d * move);
    if (keys[90])
        camera->move_up(d * move);
    if (keys[88])
        camera->move_up(-d * move);

    if (keys[107])
        camera->add_fov(-d * 60.0f);
    if (keys[109])
        camera->add_fov(d * 60.0f);
}
