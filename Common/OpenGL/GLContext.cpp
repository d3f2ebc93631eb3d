// The GL context of the renderer: an EGL display without a window system
// (the EGL device platform of a GPU driver when there is one, else Mesa's
// surfaceless platform), a compatibility-profile context, and a framebuffer
// object with colour and depth at the size the picture needs.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "GLInternal.h"
#include "OpenGL.h"

namespace {

// Why the last context could not be made; empty after a success.
std::string gContextError;

// The name of an EGL error code, as the EGL headers spell it.
std::string EglErrorName(EGLint code) {
    switch (code) {
        case EGL_SUCCESS:
            return "EGL_SUCCESS";
        case EGL_NOT_INITIALIZED:
            return "EGL_NOT_INITIALIZED";
        case EGL_BAD_ACCESS:
            return "EGL_BAD_ACCESS";
        case EGL_BAD_ALLOC:
            return "EGL_BAD_ALLOC";
        case EGL_BAD_ATTRIBUTE:
            return "EGL_BAD_ATTRIBUTE";
        case EGL_BAD_CONFIG:
            return "EGL_BAD_CONFIG";
        case EGL_BAD_CONTEXT:
            return "EGL_BAD_CONTEXT";
        case EGL_BAD_CURRENT_SURFACE:
            return "EGL_BAD_CURRENT_SURFACE";
        case EGL_BAD_DISPLAY:
            return "EGL_BAD_DISPLAY";
        case EGL_BAD_MATCH:
            return "EGL_BAD_MATCH";
        case EGL_BAD_NATIVE_PIXMAP:
            return "EGL_BAD_NATIVE_PIXMAP";
        case EGL_BAD_NATIVE_WINDOW:
            return "EGL_BAD_NATIVE_WINDOW";
        case EGL_BAD_PARAMETER:
            return "EGL_BAD_PARAMETER";
        case EGL_BAD_SURFACE:
            return "EGL_BAD_SURFACE";
        case EGL_CONTEXT_LOST:
            return "EGL_CONTEXT_LOST";
        default: {
            char text[32];
            std::snprintf(text, sizeof(text), "EGL error 0x%04X", static_cast<unsigned>(code));
            return text;
        }
    }
}

// Records why a context could not be made, with the EGL error pending.
void ContextFailed(const char* step) {
    gContextError = std::string(step) + ": " + EglErrorName(eglGetError());
}

bool HasExtension(const char* list, const char* name) {
    if (!list) {
        return false;
    }
    size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) {
            return true;
        }
    }
    return false;
}

EGLDisplay InitializeDisplay(EGLDisplay display) {
    if (display == EGL_NO_DISPLAY) {
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0;
    EGLint minor = 0;
    return eglInitialize(display, &major, &minor) ? display : EGL_NO_DISPLAY;
}

// A display on a device of the EGL device platform; hardware devices first,
// a software device only when `software` is set.
EGLDisplay DeviceDisplay(PFNEGLGETPLATFORMDISPLAYEXTPROC getDisplay, bool software) {
    auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    auto queryString = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
    if (!queryDevices || !queryString) {
        return EGL_NO_DISPLAY;
    }
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (!queryDevices(16, devices, &count)) {
        return EGL_NO_DISPLAY;
    }
    for (EGLint i = 0; i < count; ++i) {
        bool isSoftware = HasExtension(queryString(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software");
        if (isSoftware != software) {
            continue;
        }
        EGLDisplay display = InitializeDisplay(getDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr));
        if (display != EGL_NO_DISPLAY) {
            return display;
        }
    }
    return EGL_NO_DISPLAY;
}

EGLDisplay FindDisplay() {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getDisplay) {
        return EGL_NO_DISPLAY;
    }
    bool device = HasExtension(clientExtensions, "EGL_EXT_platform_device");
    EGLDisplay display = device ? DeviceDisplay(getDisplay, false) : EGL_NO_DISPLAY;
    if (display == EGL_NO_DISPLAY && HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        display = InitializeDisplay(getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
    }
    if (display == EGL_NO_DISPLAY && device) {
        display = DeviceDisplay(getDisplay, true);
    }
    return display;
}

// The one display of the process; contexts of all renderers live on it.
EGLDisplay SharedDisplay() {
    static EGLDisplay display = FindDisplay();
    return display;
}

EGLContext CreateContext(EGLDisplay display) {
    if (!eglBindAPI(EGL_OPENGL_API)) {
        return EGL_NO_CONTEXT;
    }
    EGLConfig config = nullptr;
    if (!HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_no_config_context")) {
        const EGLint want[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint found = 0;
        if (!eglChooseConfig(display, want, &config, 1, &found) || found < 1) {
            return EGL_NO_CONTEXT;
        }
    }
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                    EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, compatibility);
    if (context == EGL_NO_CONTEXT) {
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    }
    return context;
}

template <typename T>
bool LoadProc(T& proc, const char* name) {
    proc = reinterpret_cast<T>(eglGetProcAddress(name));
    if (!proc) {
        std::string ext = std::string(name) + "EXT";
        proc = reinterpret_cast<T>(eglGetProcAddress(ext.c_str()));
    }
    return proc != nullptr;
}

bool LoadFramebufferProcs(FramebufferProcs& p) {
    return LoadProc(p.genFramebuffers, "glGenFramebuffers") && LoadProc(p.deleteFramebuffers, "glDeleteFramebuffers") &&
           LoadProc(p.bindFramebuffer, "glBindFramebuffer") && LoadProc(p.genRenderbuffers, "glGenRenderbuffers") &&
           LoadProc(p.deleteRenderbuffers, "glDeleteRenderbuffers") &&
           LoadProc(p.bindRenderbuffer, "glBindRenderbuffer") &&
           LoadProc(p.renderbufferStorage, "glRenderbufferStorage") &&
           LoadProc(p.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           LoadProc(p.checkFramebufferStatus, "glCheckFramebufferStatus") &&
           LoadProc(p.framebufferTexture2D, "glFramebufferTexture2D");
}

// The fixed state every bound context starts with.
void ApplyFixedState() {
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glAlphaFunc(GL_GREATER, 0.1f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Colour blends as above; the framebuffer's alpha gathers coverage
    // (what is drawn over what was there), so that a frame over a
    // transparent background carries the chart's coverage as its alpha.
    PFNGLBLENDFUNCSEPARATEPROC blendSeparate = nullptr;
    if (LoadProc(blendSeparate, "glBlendFuncSeparate")) {
        blendSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_TEXTURE_2D);
    glDepthFunc(GL_LEQUAL);
}

void EmptyCaches(GLRenderer& r) {
    r.nextTextureSlot = 0;
    r.texturesLoaded = 0;
    for (FileSpec& slot : r.textures) {
        slot.name[0] = '\0';
    }
    for (FontSlot& slot : r.fonts) {
        slot.listBase = 0;
        slot.flags = 0;
        std::strcpy(slot.face, " ");
    }
    r.nextFont = 0;
    r.textureOn = 0;
    r.failedTextures.clear();
}

// Makes a new context current with a framebuffer of the given size.
std::unique_ptr<GLContextState> NewContext(int width, int height) {
    EGLDisplay display = SharedDisplay();
    if (display == EGL_NO_DISPLAY) {
        ContextFailed("no EGL display could be opened");
        return nullptr;
    }
    auto state = std::make_unique<GLContextState>();
    state->display = display;
    state->context = CreateContext(display);
    if (state->context == EGL_NO_CONTEXT) {
        ContextFailed("no OpenGL context could be made");
        return nullptr;
    }
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, state->context)) {
        ContextFailed("the OpenGL context could not be made current");
        return nullptr;
    }
    if (!LoadFramebufferProcs(state->fbo)) {
        gContextError = "the OpenGL driver has no framebuffer objects";
        return nullptr;
    }
    state->fbo.genFramebuffers(1, &state->framebuffer);
    state->colorTexture = kFramebufferTexture;
    state->fbo.genRenderbuffers(1, &state->depthBuffer);
    if (!ResizeFramebuffer(*state, width, height)) {
        gContextError = "no " + std::to_string(width) + " x " + std::to_string(height) + " framebuffer could be made";
        return nullptr;
    }
    glViewport(0, 0, state->width, state->height);
    gContextError.clear();
    return state;
}

}  // namespace

GLContextState::~GLContextState() {
    if (context == EGL_NO_CONTEXT) {
        return;
    }
    if (eglGetCurrentContext() == context) {
        ReleaseGLSum(*this);
        if (framebuffer) {
            fbo.deleteFramebuffers(1, &framebuffer);
        }
        fbo.deleteRenderbuffers(1, &depthBuffer);
        glDeleteTextures(1, &colorTexture);
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroyContext(display, context);
}

bool ResizeFramebuffer(GLContextState& state, int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (state.width == width && state.height == height) {
        return true;
    }
    GLint limit = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &limit);
    if (limit > 0 && (width > limit || height > limit)) {
        return false;
    }
    const FramebufferProcs& p = state.fbo;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, state.colorTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    p.bindRenderbuffer(GL_RENDERBUFFER, state.depthBuffer);
    p.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    p.bindFramebuffer(GL_FRAMEBUFFER, state.framebuffer);
    p.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, state.colorTexture, 0);
    p.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, state.depthBuffer);
    if (p.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        return false;
    }
    state.width = width;
    state.height = height;
    return true;
}

void WriteFramebufferPicture(GLContextState& state, const uint8_t* rgba, int width, int height) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, state.colorTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    glClear(GL_DEPTH_BUFFER_BIT);
}

bool MakeRendererCurrent(GLRenderer& r) {
    if (!r.ready || !r.context) {
        return false;
    }
    if (eglGetCurrentContext() != r.context->context) {
        return eglMakeCurrent(r.context->display, EGL_NO_SURFACE, EGL_NO_SURFACE, r.context->context);
    }
    return true;
}

const std::string& GLContextError() {
    return gContextError;
}

std::string GLUnavailableMessage() {
    std::string message = "OpenGL is not installed!";
    if (!gContextError.empty()) {
        message += "\n" + gContextError;
    }
    return message;
}

GLRenderer::GLRenderer() = default;
GLRenderer::~GLRenderer() = default;

bool Attach(GLRenderer& r, const GLTarget* target) {
    r.context.reset();
    r.bitmapTarget = nullptr;
    if (!target) {
        r.bound = false;
        r.target = GLTarget{};
        return true;
    }
    r.target = *target;
    r.context = NewContext(target->width, target->height);
    if (!r.context) {
        r.bound = false;
        return false;
    }
    r.bound = true;
    ApplyFixedState();
    EmptyCaches(r);
    return true;
}

namespace {

// The accumulation path the environment asks for: TAVRILO_AA_SUM=cpu sums
// on the CPU; anything else, or nothing, lets GL keep the sum.
AccumulationPath AccumulationFromEnvironment() {
    const char* value = std::getenv("TAVRILO_AA_SUM");
    return value && std::strcmp(value, "cpu") == 0 ? AccumulationPath::Cpu : AccumulationPath::Gpu;
}

}  // namespace

GLRendererPtr CreateGLRenderer(const GLTarget& target, float frameAspect) {
    GLRendererPtr renderer(new GLRenderer, DestroyGLRenderer);
    if (Attach(*renderer, &target)) {
        renderer->accumA = std::make_unique<CDib>(16, 16, 8);
        renderer->accumB = std::make_unique<CDib>(16, 16, 8);
        renderer->ready = 1;
        renderer->frameAspect = frameAspect;
        renderer->accumulation = AccumulationFromEnvironment();
    }
    return renderer;
}

void DestroyGLRenderer(GLRenderer* renderer) {
    if (!renderer) {
        return;
    }
    if (renderer->ready) {
        ClearTextureCache(*renderer, 0, kTextureSlots);
        MakeRendererCurrent(*renderer);
        renderer->context.reset();
        renderer->accumA.reset();
        renderer->accumB.reset();
    }
    delete renderer;
}

uint8_t* AttachBitmap(GLRenderer& r, int width, int height, int depth, CDib& bitmap) {
    if (width < 0) {
        // Releases the bitmap binding; the caller binds a target again.
        if (r.bitmapTarget) {
            r.context.reset();
            r.bitmapTarget = nullptr;
            r.bound = false;
        }
        return nullptr;
    }
    if (!bitmap.Create(width, height, depth)) {
        return nullptr;
    }
    GLTarget target;
    target.width = width;
    target.height = height;
    if (!Attach(r, &target)) {
        return nullptr;
    }
    r.bitmapTarget = &bitmap;
    size_t bytes = static_cast<size_t>(bitmap.Stride()) * static_cast<size_t>(height);
    std::memset(bitmap.Pixels(), 255, bytes);
    return bitmap.Pixels();
}

void Present(GLRenderer& r, bool swap) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    glFlush();
    if (!swap) {
        return;
    }
    if (r.bitmapTarget) {
        CDib grabbed(16, 16, 8);
        if (GrabFrame(r, grabbed) && r.bitmapTarget->BitsPerPixel() == 24 &&
            grabbed.Width() == r.bitmapTarget->Width() && grabbed.Height() == r.bitmapTarget->Height()) {
            r.bitmapTarget->Swap(grabbed);
        }
        return;
    }
    if (r.target.present && GrabFrame(r, r.presentPicture)) {
        r.target.present(r.presentPicture);
    }
}

void SetRendererFrameAspect(GLRenderer& r, float aspect) {
    r.frameAspect = aspect;
}

void SetRendererAlpha(GLRenderer& r, bool keepAlpha) {
    r.keepAlpha = keepAlpha;
}

void SetRendererFieldLines(GLRenderer& r, FieldLines lines) {
    // Row j of a half-height picture is centred on line 2j + 1 of the frame;
    // the upper field's line 2j lies a quarter of a row above it, the lower
    // field's 2j + 1 a quarter below.
    constexpr double kQuarterRow = 0.25;
    constexpr float kFieldLineScale = 0.5f;
    r.rowShift = lines == FieldLines::Upper ? -kQuarterRow : (lines == FieldLines::Lower ? kQuarterRow : 0.0);
    r.lineScale = lines == FieldLines::Whole ? 1.0f : kFieldLineScale;
}

std::string RendererDescription(GLRenderer& r) {
    if (!MakeRendererCurrent(r)) {
        return "none";
    }
    const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return std::string(name ? name : "?") + ", " + (version ? version : "?");
}
