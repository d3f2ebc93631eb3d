// Inside the OpenGL module: the GL headers and the context state shared by
// its files.
#pragma once

#define GL_GLEXT_PROTOTYPES 0
#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

struct FramebufferProcs {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
};

// One EGL context with its framebuffer; destroying it deletes both.
struct GLContextState {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    FramebufferProcs fbo;
    GLuint framebuffer = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    int width = 0;  // framebuffer size
    int height = 0;
    float uploadedS = 1.0f;  // texture coordinates of the picture in the last upload
    float uploadedT = 1.0f;
    GLContextState() = default;
    GLContextState(const GLContextState&) = delete;
    GLContextState& operator=(const GLContextState&) = delete;
    ~GLContextState();
};

// Gives the framebuffer the size (the context is current); false when GL
// cannot make a framebuffer that large.
bool ResizeFramebuffer(GLContextState& state, int width, int height);
