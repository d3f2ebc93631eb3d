// GLRenderer: the program's one OpenGL drawing object. It owns an off-screen
// GL context (EGL, no display), draws into a framebuffer of the size asked
// for, caches textures and outline fonts, and offers the projection, light,
// accumulation, read-back and chart primitives that the frame drawing of the
// show calls. It knows nothing of the show itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CDib.h"
#include "CrossPlatform.h"

// ---------------------------------------------------------------- records

// A point of a chart element with its colour (0-1) and opacity.
struct ChartVertex {
    float x = 0;
    float y = 0;
    float z = 0;
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 0;
    int32_t tag = 0;
};

enum class AccumStep : int32_t { Begin = 0, First = 1, Next = 2, Finish = 3 };

// Text alignment of DrawText3D.
enum TextAlign : int32_t { kAlignStart = 0, kAlignEnd = 2, kAlignCenter = 6 };
// Style bit of a chart font: the text is lit like the chart instead of flat.
constexpr int32_t kFontLit = 1 << 12;

constexpr int kFontSlots = 4;
constexpr int kTextureSlots = 64;
constexpr uint32_t kBackgroundTexture = 99999;
constexpr uint32_t kNoTexture = 0xFFFFFFFFu;  // UploadTexture failed

#pragma pack(push, 1)
struct FontSlot {
    int32_t listBase = 0;  // 0: empty
    char face[128] = {};
    int32_t flags = 0;
};
#pragma pack(pop)
static_assert(sizeof(FontSlot) == 136);

// A chart font: size in points, style flags (bit 0 bold, bit 1 italic,
// bit 2 underline, bit 12 lit), face name and colour 0x00BBGGRR. The same
// layout as the show's font record.
#pragma pack(push, 1)
struct ChartFont {
    float size = 0;
    int32_t style = 0;
    char face[256] = {};
    uint32_t color = 0;
};
#pragma pack(pop)
static_assert(sizeof(ChartFont) == 268);

// What a renderer is bound to: the picture size and where Present with swap
// hands the finished picture (a window's port, a bitmap). `present` may be
// empty: the picture then stays in the framebuffer for GrabFrame.
struct GLTarget {
    int width = 0;
    int height = 0;
    std::function<void(const CDib& picture)> present;
};

struct GLContextState;

enum class AccumulationPath { Gpu, Cpu };

class GLRenderer {
public:
    GLRenderer();
    ~GLRenderer();
    GLRenderer(const GLRenderer&) = delete;
    GLRenderer& operator=(const GLRenderer&) = delete;

    int32_t nextTextureSlot = 0;
    uint8_t ready = 0;
    FontSlot fonts[kFontSlots] = {};
    int32_t nextFont = 0;
    FileSpec textures[kTextureSlots] = {};
    uint8_t textureOn = 0;
    GLTarget target;
    bool bound = false;
    std::unique_ptr<CDib> accumA;
    std::unique_ptr<CDib> accumB;
    float frameAspect = 0.75f;

    // Below: what the Linux binding needs beyond the record.
    std::unique_ptr<GLContextState> context;
    int32_t texturesLoaded = 0;               // uploads into the cache since binding
    std::vector<std::string> failedTextures;  // pictures that could not be loaded, once each
    int32_t textureSizeLimit = 0;             // 0: GL's own maximum; lower for tests
    std::vector<uint16_t> accumSum;           // exact sum of the passes
    int32_t accumPasses = 0;
    CDib presentPicture{16, 16, 24};
    CDib* bitmapTarget = nullptr;  // AttachBitmap's picture
    // The frame keeps the chart's coverage as alpha (anti-aliasing averages
    // it like colour) and GrabFrame reads 32-bit pictures.
    bool keepAlpha = false;
    // Where the anti-aliasing passes are summed: by GL (nothing read back
    // until the mean) where the driver can keep the sum, or on the CPU (each
    // pass read back), the fallback. TAVRILO_AA_SUM=cpu in the environment
    // makes new renderers sum on the CPU (to compare drivers and timings).
    AccumulationPath accumulation = AccumulationPath::Gpu;
    bool gpuSumActive = false;  // this frame's passes go to GL's sum
    // Fields drawn at half height (SetRendererFieldLines): the shift of
    // every pass in rows of the picture (upwards), and the width of lines.
    double rowShift = 0.0;
    float lineScale = 1.0f;
};

using GLRendererPtr = std::unique_ptr<GLRenderer, void (*)(GLRenderer*)>;

// ---------------------------------------------------------------- context

// Creates a renderer bound to `target`; ready stays 0 when no GL context can
// be made (the caller then shows "OpenGL is not installed!" and
// GLContextError()).
GLRendererPtr CreateGLRenderer(const GLTarget& target, float frameAspect);
// Why the last GL context could not be made, with the EGL error ("no OpenGL
// context could be made: EGL_BAD_MATCH"); empty after a success.
const std::string& GLContextError();
// "OpenGL is not installed!", then a line with GLContextError() when known.
std::string GLUnavailableMessage();
// The deleter of GLRendererPtr: empties the texture cache, deletes the
// context and the accumulation bitmaps.
void DestroyGLRenderer(GLRenderer* renderer);
// Binds to a target (new context, fixed state, empty caches), or unbinds
// with null. False when no context could be made.
bool Attach(GLRenderer& renderer, const GLTarget* target);
// Renders from now on into `bitmap`, created as width x height x depth; a
// negative width releases the bitmap binding. The bitmap's pixels, or null.
uint8_t* AttachBitmap(GLRenderer& renderer, int width, int height, int depth, CDib& bitmap);
// glFlush; with swap the picture goes to the target.
void Present(GLRenderer& renderer, bool swap);
void SetRendererFrameAspect(GLRenderer& renderer, float aspect);
// Whether frames keep their alpha (the chart's coverage over a transparent
// background) for GrabFrame.
void SetRendererAlpha(GLRenderer& renderer, bool keepAlpha);
// What the pictures drawn hold: whole frames, or one field of a frame at
// half its height (upper: lines 0, 2, 4 ... of the frame, lower: 1, 3, 5
// ...). A field's passes are shifted a quarter row onto its own lines, and
// lines are drawn half as wide, since a row of the field is two of the frame.
enum class FieldLines { Whole, Upper, Lower };
void SetRendererFieldLines(GLRenderer& renderer, FieldLines lines);
// Makes the renderer's context current; false while it is not ready.
bool MakeRendererCurrent(GLRenderer& renderer);
// The GL renderer and version strings, for diagnostics.
std::string RendererDescription(GLRenderer& renderer);

// ---------------------------------------------------------------- frame

// Viewport (resizing the framebuffer to at least width x height) and
// perspective with a jitter in pixels; height <= 0 keeps the viewport.
void SetProjection(GLRenderer& renderer, int width, int height, double jitterX, double jitterY);
// Model-view of the chart from a keyframe's placement and size.
void SetChartTransform(GLRenderer& renderer, float x, float y, float width, float height, float spin, float tilt);
void SetLighting(GLRenderer& renderer, int level);
void ClearBuffers(GLRenderer& renderer, bool withDepth);
void Accumulate(GLRenderer& renderer, AccumStep step, int passes);
// Covers the frame with the picture: cleared to black, the picture over it
// (transparent pixels black), the depth buffer cleared.
void DrawBackground(GLRenderer& renderer, const CDib& picture);
// Reads the viewport into a bottom-up 24-bit picture; with the renderer's
// alpha kept, a 32-bit picture whose alpha is the coverage and whose colour
// is straight (not multiplied by the alpha).
bool GrabFrame(GLRenderer& renderer, CDib& picture);
// The current viewport's width and height.
void ViewportSize(GLRenderer& renderer, int& width, int& height);

// ---------------------------------------------------------------- textures

void SelectTexture(GLRenderer& renderer, const FileSpec* spec);
// Loads the picture as a texture; its texture name (99999 for the
// background), kNoTexture on failure.
uint32_t UploadTexture(GLRenderer& renderer, const CDib& picture, bool isBackground);
void ClearTextureCache(GLRenderer& renderer, int first, int end);
// Smallest power of two at least `size`, and at least 2.
int TextureExtent(int size);
// Converts a 8, 16, 24 or 32-bit picture into `width` x `height` RGBA texels,
// the picture at the origin, the rest opaque black (transparent for 32-bit).
bool ConvertPictureToTexture(const CDib& picture, int width, int height, std::vector<uint8_t>& texels);

// ---------------------------------------------------------------- primitives

ChartVertex MakeVertex(uint32_t color, float x, float y, float z, float alpha);
// Unit normal of the plane through three points (see FaceNormal rules).
void FaceNormal(const ChartVertex& p0, const ChartVertex& p1, const ChartVertex& p2, float normal[3]);
void DrawEdge(GLRenderer& renderer, const ChartVertex& a, const ChartVertex& b, float width, const float* normal);
void DrawWall(GLRenderer& renderer, const ChartVertex p[4], int edgeMask);
void DrawBox(GLRenderer& renderer, const ChartVertex p[4], float depth);
// A pie slice from startAngle to endAngle (degrees clockwise from the top);
// nothing unless start < end, both finite; at most one whole turn.
void DrawWedge(GLRenderer& renderer, const ChartVertex& centre, float startAngle, float endAngle, float radius,
               float thickness, float explode);

// ---------------------------------------------------------------- text

// Builds the 256 outline display lists of a face and style; 0 on failure.
uint32_t MakeFont(GLRenderer& renderer, const char* face, int32_t flags);
// The slot index holding the font, built or rebuilt as needed; -1 on failure.
int LookupFont(GLRenderer& renderer, const ChartFont& font);
void DrawText3D(GLRenderer& renderer, const char* text, const ChartVertex& anchor, const ChartFont& font, int alignment,
                float angle);
float TextWidth3D(GLRenderer& renderer, const char* text, const ChartFont& font);
// The face fontconfig picks for a face name and style. A name may carry its
// foundry as a chooser lists it ("Nimbus Sans Narrow [urw]"). `present`
// tells whether the face found is the one named or one the configuration
// gives as its equivalent (Liberation Sans for Arial), not merely the nearest.
struct FontFaceMatch {
    std::string file;
    int faceIndex = 0;
    std::string family;  // fontconfig's name of the face found
    bool present = false;
};
FontFaceMatch MatchFontFace(const char* face, int32_t flags);
// The path of the font file fontconfig picks for a face and style.
std::string MatchFontFile(const char* face, int32_t flags, int* faceIndex);
// The family name to store for a face chosen by name: the family fontconfig
// matches, without a foundry.
std::string FontFamilyFor(const char* face);
