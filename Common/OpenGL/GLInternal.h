// Inside the OpenGL module: the GL headers and the context state shared by
// its files.
#pragma once

#define GL_GLEXT_PROTOTYPES 0
#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "CDib.h"

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
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
};

struct ShaderProcs {
    PFNGLCREATESHADERPROC createShader = nullptr;
    PFNGLSHADERSOURCEPROC shaderSource = nullptr;
    PFNGLCOMPILESHADERPROC compileShader = nullptr;
    PFNGLGETSHADERIVPROC getShaderiv = nullptr;
    PFNGLDELETESHADERPROC deleteShader = nullptr;
    PFNGLCREATEPROGRAMPROC createProgram = nullptr;
    PFNGLATTACHSHADERPROC attachShader = nullptr;
    PFNGLLINKPROGRAMPROC linkProgram = nullptr;
    PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
    PFNGLDELETEPROGRAMPROC deleteProgram = nullptr;
    PFNGLUSEPROGRAMPROC useProgram = nullptr;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation = nullptr;
    PFNGLUNIFORM1IPROC uniform1i = nullptr;
    PFNGLUNIFORM1FPROC uniform1f = nullptr;
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
};

// Frames of up to this many anti-aliasing passes are summed by GL.
constexpr int kMostGLSumPasses = 8;

// The anti-aliasing sum on the GL side: a picture per pass and the programs
// that average 2 to kMostGLSumPasses of them.
struct GLSumState {
    ShaderProcs procs;
    bool loaded = false;
    std::array<GLuint, kMostGLSumPasses + 1> meanPrograms{};
    int width = 0;  // size of the pass pictures
    int height = 0;
    bool unavailable = false;  // the driver could not do it: the sum is kept on the CPU
};

// The texture name of the framebuffer's picture, apart from the cache's 0-63
// and the background's 99999.
constexpr GLuint kFramebufferTexture = 100001;

// Pixel advances of the 256 character codes of a face and style at the
// 12-pixel measuring size.
struct MeasuredFont {
    std::string face;
    int32_t flags = 0;
    std::array<int, 256> advance{};
};

// One EGL context with its framebuffer; destroying it deletes both.
struct GLContextState {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    FramebufferProcs fbo;
    GLuint framebuffer = 0;
    GLuint colorTexture = 0;  // the picture: a texture, so a finished average can be written straight in
    GLuint depthBuffer = 0;
    int width = 0;  // framebuffer size
    int height = 0;
    float uploadedS = 1.0f;  // texture coordinates of the picture in the last upload
    float uploadedT = 1.0f;
    std::vector<uint8_t> readBuffer;  // pixels of an anti-aliasing pass
    std::deque<MeasuredFont> measuredFonts;
    std::set<std::string> reportedFaces;  // faces drawn in another, already said
    GLSumState sum;
    GLContextState() = default;
    GLContextState(const GLContextState&) = delete;
    GLContextState& operator=(const GLContextState&) = delete;
    ~GLContextState();
};

// Gives the framebuffer the size (the context is current); false when GL
// cannot make a framebuffer that large.
bool ResizeFramebuffer(GLContextState& state, int width, int height);
// Readies the GL sum for `passes` passes of width x height (the context is
// current): the first pass draws into the first pass picture. False when the
// count is beyond kMostGLSumPasses, and for good when the driver cannot do it.
bool BeginGLSum(GLContextState& state, int width, int height, int passes);
// After `done` passes: the next pass draws into a picture of its own.
void NextGLSumPass(GLContextState& state, int done);
// Replaces the framebuffer's picture with the rounded mean of the passes
// (alpha opaque unless `keepAlpha`), draws there again from now on, and
// clears the depth buffer.
void FinishGLSum(GLContextState& state, int passes, bool keepAlpha);
// Deletes the pass pictures and programs (the context is current).
void ReleaseGLSum(GLContextState& state);
// Replaces the framebuffer's picture with the rounded mean of `passes`
// passes (alpha opaque unless `keepAlpha`) and clears the depth buffer.
void FinishGLSum(GLContextState& state, int passes, bool keepAlpha);
// Deletes the sum's framebuffer, texture and programs (the context is current).
void ReleaseGLSum(GLContextState& state);
// Replaces the framebuffer's picture with bottom-up RGBA rows of the
// viewport's size and clears the depth buffer.
void WriteFramebufferPicture(GLContextState& state, const uint8_t* rgba, int width, int height);
