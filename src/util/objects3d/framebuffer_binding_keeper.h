#pragma once
// Keeps the draw and read framebuffer bindings across code that binds
// framebuffer 0 when it is done (creating or resizing an FBO does): the
// bindings in force at construction are bound again at destruction.
#include <GL/glew.h>

class FramebufferBindingKeeper {
public:
    FramebufferBindingKeeper()
    {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    }
    ~FramebufferBindingKeeper()
    {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
    }
    FramebufferBindingKeeper(const FramebufferBindingKeeper&) = delete;
    FramebufferBindingKeeper& operator=(const FramebufferBindingKeeper&) = delete;

private:
    GLint draw = 0;
    GLint read = 0;
};
