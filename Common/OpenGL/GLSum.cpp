// The anti-aliasing sum kept by GL: each pass is drawn into a picture of its
// own (the framebuffer's colour attachment is switched between passes), and
// one last draw adds the passes' 8-bit values as whole numbers (exact in
// float far beyond 8 passes of 255) and writes the rounded mean into the
// framebuffer's picture. Nothing is read back per pass.
#include <string>

#include "GLInternal.h"
#include "OpenGL.h"

namespace {

// The texture names of the pass pictures, beside the framebuffer's picture.
constexpr GLuint kFirstPassTexture = 100010;

const char* const kVertexShader =
    "#version 130\n"
    "void main() { gl_Position = gl_Vertex; }\n";

// The mean of `count` passes rounded half up, as (sum + count / 2) / count
// in integers; the extra half keeps the division clear of whole numbers.
// Alpha is opaque unless the frame keeps coverage.
std::string MeanShader(int count) {
    std::string source =
        "#version 130\n"
        "uniform float keepAlpha;\n";
    for (int i = 0; i < count; ++i) {
        source += "uniform sampler2D pass" + std::to_string(i) + ";\n";
    }
    source +=
        "void main() {\n"
        "    ivec2 at = ivec2(gl_FragCoord.xy);\n"
        "    vec4 sum = vec4(0.0);\n";
    for (int i = 0; i < count; ++i) {
        source += "    sum += floor(texelFetch(pass" + std::to_string(i) + ", at, 0) * 255.0 + 0.5);\n";
    }
    source += "    vec4 mean = floor((sum + " + std::to_string(count / 2) + ".5) / " + std::to_string(count) +
              ".0);\n"
              "    mean.a = keepAlpha > 0.5 ? mean.a : 255.0;\n"
              "    gl_FragColor = mean / 255.0;\n"
              "}\n";
    return source;
}

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
           Load(p.uniform1i, "glUniform1i") && Load(p.uniform1f, "glUniform1f") &&
           Load(p.activeTexture, "glActiveTexture");
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

// The program that averages `count` passes, made on first use.
GLuint MeanProgram(GLSumState& sum, int count) {
    GLuint& program = sum.meanPrograms[static_cast<size_t>(count)];
    if (program) {
        return program;
    }
    ShaderProcs& p = sum.procs;
    program = LinkProgram(p, MeanShader(count).c_str());
    if (!program) {
        return 0;
    }
    p.useProgram(program);
    for (int i = 0; i < count; ++i) {
        p.uniform1i(p.getUniformLocation(program, ("pass" + std::to_string(i)).c_str()), i);
    }
    p.useProgram(0);
    return program;
}

// The pass pictures at the size of the frame.
void SizePassTextures(GLSumState& sum, int width, int height) {
    if (sum.width == width && sum.height == height) {
        return;
    }
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    for (int i = 0; i < kMostGLSumPasses; ++i) {
        glBindTexture(GL_TEXTURE_2D, kFirstPassTexture + static_cast<GLuint>(i));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    sum.width = width;
    sum.height = height;
}

// Draws into the colour attachment `texture` from now on; false when GL
// cannot draw into it.
bool AttachColour(GLContextState& state, GLuint texture) {
    const FramebufferProcs& f = state.fbo;
    f.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    return f.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// Draws the whole viewport with `program` reading the first `count` pass
// pictures, with the chart's GL state put aside and restored afterwards.
void DrawMean(GLSumState& sum, GLuint program, int count) {
    const ShaderProcs& p = sum.procs;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DITHER);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    for (int i = count - 1; i >= 0; --i) {
        p.activeTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        glBindTexture(GL_TEXTURE_2D, kFirstPassTexture + static_cast<GLuint>(i));
    }
    p.useProgram(program);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    p.useProgram(0);
    for (int i = count - 1; i >= 1; --i) {
        p.activeTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    p.activeTexture(GL_TEXTURE0);
    glPopAttrib();
}

}  // namespace

bool BeginGLSum(GLContextState& state, int width, int height, int passes) {
    GLSumState& sum = state.sum;
    if (sum.unavailable || passes < 2 || passes > kMostGLSumPasses) {
        return false;
    }
    if (!sum.loaded && !(sum.loaded = LoadShaderProcs(sum.procs))) {
        sum.unavailable = true;
        return false;
    }
    if (!MeanProgram(sum, passes)) {
        sum.unavailable = true;
        return false;
    }
    SizePassTextures(sum, width, height);
    if (!AttachColour(state, kFirstPassTexture) || glGetError() != GL_NO_ERROR) {
        AttachColour(state, state.colorTexture);
        sum.unavailable = true;
        return false;
    }
    return true;
}

void NextGLSumPass(GLContextState& state, int done) {
    AttachColour(state, kFirstPassTexture + static_cast<GLuint>(std::min(done, kMostGLSumPasses - 1)));
}

void FinishGLSum(GLContextState& state, int passes, bool keepAlpha) {
    GLSumState& sum = state.sum;
    AttachColour(state, state.colorTexture);
    GLuint program = MeanProgram(sum, passes);
    sum.procs.useProgram(program);
    sum.procs.uniform1f(sum.procs.getUniformLocation(program, "keepAlpha"), keepAlpha ? 1.0f : 0.0f);
    DrawMean(sum, program, passes);
    glClear(GL_DEPTH_BUFFER_BIT);
}

void ReleaseGLSum(GLContextState& state) {
    GLSumState& sum = state.sum;
    if (sum.width) {
        for (int i = 0; i < kMostGLSumPasses; ++i) {
            const GLuint texture = kFirstPassTexture + static_cast<GLuint>(i);
            glDeleteTextures(1, &texture);
        }
    }
    for (GLuint program : sum.meanPrograms) {
        if (program)
            sum.procs.deleteProgram(program);
    }
    sum = GLSumState{};
}
