// The anti-aliasing sum kept by GL: each pass is added, as whole 8-bit
// values, to a 32-bit float colour buffer by additive blending (exact: the
// largest sum, 257 x 255, is far below 2^24), and one last draw writes the
// rounded mean into the framebuffer's picture. Nothing is read back per pass.
#include <cstdio>

#include "GLInternal.h"
#include "OpenGL.h"

namespace {

// The texture name of the sum, beside the framebuffer's picture.
constexpr GLuint kSumTexture = 100002;

const char* const kVertexShader =
    "#version 130\n"
    "void main() { gl_Position = gl_Vertex; }\n";

// A pass, as its whole 8-bit values.
const char* const kAddShader =
    "#version 130\n"
    "uniform sampler2D pass;\n"
    "void main() {\n"
    "    gl_FragColor = floor(texelFetch(pass, ivec2(gl_FragCoord.xy), 0) * 255.0 + 0.5);\n"
    "}\n";

// The mean of `count` passes rounded half up, as (sum + count / 2) / count
// in integers; the extra half keeps the division clear of whole numbers.
// Alpha is opaque unless the frame keeps coverage.
const char* const kMeanShader =
    "#version 130\n"
    "uniform sampler2D sum;\n"
    "uniform float count;\n"
    "uniform float keepAlpha;\n"
    "void main() {\n"
    "    vec4 s = texelFetch(sum, ivec2(gl_FragCoord.xy), 0);\n"
    "    vec4 mean = floor((s + floor(count / 2.0) + 0.5) / count);\n"
    "    mean.a = keepAlpha > 0.5 ? mean.a : 255.0;\n"
    "    gl_FragColor = mean / 255.0;\n"
    "}\n";

template <typename T>
bool Load(T& proc, const char* name) {
    proc = reinterpret_cast<T>(eglGetProcAddress(name));
    return proc != nullptr;
}

bool LoadShaderProcs(ShaderProcs& p) {
    return Load(p.createShader, "glCreateShader") && Load(p.shaderSource, "glShaderSource") &&
           Load(p.compileShader, "glCompileShader") && Load(p.getShaderiv, "glGetShaderiv") &&
           Load(p.deleteShader, "glDeleteShader") && Load(p.createProgram, "glCreateProgram") &&
           Load(p.attachShader, "glAttachShader") && Load(p.linkProgram, "glLinkProgram") &&
           Load(p.getProgramiv, "glGetProgramiv") && Load(p.deleteProgram, "glDeleteProgram") &&
           Load(p.useProgram, "glUseProgram") && Load(p.getUniformLocation, "glGetUniformLocation") &&
           Load(p.uniform1i, "glUniform1i") && Load(p.uniform1f, "glUniform1f");
}

GLuint CompileShader(const ShaderProcs& p, GLenum kind, const char* source) {
    GLuint shader = p.createShader(kind);
    p.shaderSource(shader, 1, &source, nullptr);
    p.compileShader(shader);
    GLint compiled = GL_FALSE;
    p.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        p.deleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint LinkProgram(const ShaderProcs& p, const char* fragmentSource) {
    GLuint vertex = CompileShader(p, GL_VERTEX_SHADER, kVertexShader);
    GLuint fragment = CompileShader(p, GL_FRAGMENT_SHADER, fragmentSource);
    GLuint program = 0;
    if (vertex && fragment) {
        program = p.createProgram();
        p.attachShader(program, vertex);
        p.attachShader(program, fragment);
        p.linkProgram(program);
        GLint linked = GL_FALSE;
        p.getProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            p.deleteProgram(program);
            program = 0;
        }
    }
    if (vertex)
        p.deleteShader(vertex);
    if (fragment)
        p.deleteShader(fragment);
    return program;
}

bool MakePrograms(GLSumState& sum) {
    ShaderProcs& p = sum.procs;
    if (!LoadShaderProcs(p)) {
        return false;
    }
    sum.addProgram = LinkProgram(p, kAddShader);
    sum.meanProgram = LinkProgram(p, kMeanShader);
    if (!sum.addProgram || !sum.meanProgram) {
        return false;
    }
    p.useProgram(sum.addProgram);
    p.uniform1i(p.getUniformLocation(sum.addProgram, "pass"), 0);
    p.useProgram(sum.meanProgram);
    p.uniform1i(p.getUniformLocation(sum.meanProgram, "sum"), 0);
    sum.countLocation = p.getUniformLocation(sum.meanProgram, "count");
    sum.keepAlphaLocation = p.getUniformLocation(sum.meanProgram, "keepAlpha");
    p.useProgram(0);
    return true;
}

// The float buffer at the size of the frame; false when GL cannot make it.
bool SizeSumBuffer(GLContextState& state, int width, int height) {
    GLSumState& sum = state.sum;
    if (sum.width == width && sum.height == height) {
        return true;
    }
    const FramebufferProcs& f = state.fbo;
    if (!sum.framebuffer) {
        f.genFramebuffers(1, &sum.framebuffer);
    }
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, kSumTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, width, height, 0, GL_RGBA, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    f.bindFramebuffer(GL_FRAMEBUFFER, sum.framebuffer);
    f.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, kSumTexture, 0);
    bool complete = f.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    f.bindFramebuffer(GL_FRAMEBUFFER, state.framebuffer);
    sum.width = complete ? width : 0;
    sum.height = complete ? height : 0;
    return complete;
}

// Draws the whole viewport with `program` reading `texture`, with the chart's
// GL state put aside and restored afterwards.
void DrawWhole(GLSumState& sum, GLuint program, GLuint texture, bool add) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DITHER);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (add) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glDisable(GL_BLEND);
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    sum.procs.useProgram(program);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    sum.procs.useProgram(0);
    glPopAttrib();
}

}  // namespace

bool BeginGLSum(GLContextState& state, int width, int height) {
    GLSumState& sum = state.sum;
    if (sum.unavailable) {
        return false;
    }
    if (!sum.addProgram && !MakePrograms(sum)) {
        sum.unavailable = true;
        return false;
    }
    if (!SizeSumBuffer(state, width, height)) {
        sum.unavailable = true;
        return false;
    }
    return glGetError() == GL_NO_ERROR || (sum.unavailable = true, false);
}

void AddToGLSum(GLContextState& state, bool first) {
    GLSumState& sum = state.sum;
    state.fbo.bindFramebuffer(GL_FRAMEBUFFER, sum.framebuffer);
    DrawWhole(sum, sum.addProgram, state.colorTexture, !first);
    state.fbo.bindFramebuffer(GL_FRAMEBUFFER, state.framebuffer);
}

void FinishGLSum(GLContextState& state, int passes, bool keepAlpha) {
    GLSumState& sum = state.sum;
    sum.procs.useProgram(sum.meanProgram);
    sum.procs.uniform1f(sum.countLocation, static_cast<float>(passes));
    sum.procs.uniform1f(sum.keepAlphaLocation, keepAlpha ? 1.0f : 0.0f);
    DrawWhole(sum, sum.meanProgram, kSumTexture, false);
    glClear(GL_DEPTH_BUFFER_BIT);
}

void ReleaseGLSum(GLContextState& state) {
    GLSumState& sum = state.sum;
    if (sum.framebuffer) {
        state.fbo.deleteFramebuffers(1, &sum.framebuffer);
        const GLuint texture = kSumTexture;
        glDeleteTextures(1, &texture);
    }
    if (sum.addProgram)
        sum.procs.deleteProgram(sum.addProgram);
    if (sum.meanProgram)
        sum.procs.deleteProgram(sum.meanProgram);
    sum = GLSumState{};
}
