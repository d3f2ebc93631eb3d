// Outline fonts: the face is found through fontconfig, the glyph outlines of
// character codes 0-255 (Windows-1252) are read with FreeType and tessellated with the GLU
// tessellator into one display list per code (em height 1.0, each list
// ending with the pen moved by the glyph's advance), cached in four slots.
#include <GL/glu.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <array>
#include <cmath>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "CrossPlatform.h"
#include "GLInternal.h"
#include "OpenGL.h"
#include "Windows1252.h"

namespace {

constexpr int kGlyphCount = 256;
constexpr int kMeasurePixels = 12;
// Curves are cut into straight pieces about 1/24 em long, 2 to 8 per curve.
constexpr double kPiecesPerEm = 24.0;

int CurvePieces(double x0, double y0, double x1, double y1, double x2, double y2, double scale) {
    double length = (std::hypot(x1 - x0, y1 - y0) + std::hypot(x2 - x1, y2 - y1)) * scale;
    return std::clamp(static_cast<int>(length * kPiecesPerEm + 0.5), 2, 8);
}

struct FreeTypeLibrary {
    FT_Library library = nullptr;
    FreeTypeLibrary() {
        if (FT_Init_FreeType(&library) != 0)
            library = nullptr;
    }
    ~FreeTypeLibrary() {
        if (library)
            FT_Done_FreeType(library);
    }
};

FT_Library Library() {
    static FreeTypeLibrary owner;
    return owner.library;
}

struct FaceOwner {
    FT_Face face = nullptr;
    FaceOwner() = default;
    FaceOwner(const FaceOwner&) = delete;
    FaceOwner& operator=(const FaceOwner&) = delete;
    ~FaceOwner() {
        if (face)
            FT_Done_Face(face);
    }
};

struct PatternOwner {
    FcPattern* pattern = nullptr;
    explicit PatternOwner(FcPattern* p) : pattern(p) {}
    PatternOwner(const PatternOwner&) = delete;
    PatternOwner& operator=(const PatternOwner&) = delete;
    ~PatternOwner() {
        if (pattern)
            FcPatternDestroy(pattern);
    }
};

// "Family [foundry]", as font choosers list a family that several foundries
// make, split in two; a name without brackets is all family.
struct FamilyAndFoundry {
    std::string family;
    std::string foundry;
};

FamilyAndFoundry SplitFoundry(const std::string& name) {
    const size_t open = name.rfind(" [");
    if (open == std::string::npos || name.size() < open + 3 || name.back() != ']') {
        return FamilyAndFoundry{name, {}};
    }
    return FamilyAndFoundry{name.substr(0, open), name.substr(open + 2, name.size() - open - 3)};
}

bool SameName(const std::string& a, const std::string& b) {
    return FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a.c_str()),
                              reinterpret_cast<const FcChar8*>(b.c_str())) == 0;
}

std::vector<std::string> PatternFamilies(FcPattern* pattern) {
    std::vector<std::string> families;
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        families.emplace_back(reinterpret_cast<const char*>(family));
    }
    return families;
}

// The families a substituted pattern holds firmly: the name asked for and
// the faces the configuration gives as its equivalents (Liberation Sans for
// Arial); not the generic fallbacks, which it holds weakly.
std::vector<std::string> StrongFamilies(FcPattern* pattern) {
    std::vector<std::string> families;
    FcValue value;
    FcValueBinding binding = FcValueBindingWeak;
    for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i) {
        if (value.type == FcTypeString && binding != FcValueBindingWeak) {
            families.emplace_back(reinterpret_cast<const char*>(value.u.s));
        }
    }
    return families;
}

// Tells once per renderer that a face the show names is not on this
// machine, and which face the chart is drawn in instead.
void ReportStandIn(GLContextState& context, const char* faceName, const FontFaceMatch& found) {
    if (found.present || found.family.empty() || !context.reportedFaces.insert(faceName).second) {
        return;
    }
    const std::string text = std::string("The font \"") + faceName +
                             "\" is not on this machine: the chart is drawn in \"" + found.family +
                             "\", the nearest face.";
    ShowMessage(text.c_str(), kNoNumber);
}

// Opens the face for a name and style; with `synthesize`, a style the font
// file lacks (bold, italic) is made from the regular outline, as the system
// font machinery of the original platform does.
bool OpenFace(GLContextState* context, const char* faceName, int32_t flags, FaceOwner& owner, bool& embolden,
              bool& slant) {
    const FontFaceMatch found = MatchFontFace(faceName, flags);
    if (context) {
        ReportStandIn(*context, faceName, found);
    }
    if (found.file.empty() || !Library() ||
        FT_New_Face(Library(), found.file.c_str(), found.faceIndex, &owner.face) != 0) {
        return false;
    }
    embolden = (flags & 1) && !(owner.face->style_flags & FT_STYLE_FLAG_BOLD);
    slant = (flags & 2) && !(owner.face->style_flags & FT_STYLE_FLAG_ITALIC);
    return FT_IS_SCALABLE(owner.face);
}

// The face's character for a byte of text: texts are Windows-1252.
FT_ULong CharacterOfCode(int code) {
    return static_cast<FT_ULong>(Windows1252ToUnicode(static_cast<uint8_t>(code)));
}

// Loads the outline of a character code in font units, with any synthetic style.
FT_Outline* LoadOutline(FT_Face face, int code, bool embolden, bool slant) {
    const FT_ULong character = CharacterOfCode(code);
    if (FT_Get_Char_Index(face, character) == 0 ||
        FT_Load_Char(face, character, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        return nullptr;
    }
    FT_Outline* outline = &face->glyph->outline;
    if (embolden) {
        FT_Outline_Embolden(outline, face->units_per_EM / 24);
    }
    if (slant) {
        FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
        FT_Outline_Transform(outline, &shear);
    }
    return outline;
}

using Point = std::array<GLdouble, 3>;

// The contours of an outline flattened into polygons in em units.
struct Flattener {
    std::vector<std::vector<Point>> contours;
    double scale = 1.0;
    double lastX = 0;
    double lastY = 0;

    void Add(double x, double y) {
        contours.back().push_back(Point{x * scale, y * scale, 0.0});
        lastX = x;
        lastY = y;
    }
    static int MoveTo(const FT_Vector* to, void* self) {
        auto* f = static_cast<Flattener*>(self);
        f->contours.emplace_back();
        f->Add(to->x, to->y);
        return 0;
    }
    static int LineTo(const FT_Vector* to, void* self) {
        static_cast<Flattener*>(self)->Add(to->x, to->y);
        return 0;
    }
    static int ConicTo(const FT_Vector* c, const FT_Vector* to, void* self) {
        auto* f = static_cast<Flattener*>(self);
        double x0 = f->lastX, y0 = f->lastY;
        int pieces = CurvePieces(x0, y0, c->x, c->y, to->x, to->y, f->scale);
        for (int i = 1; i <= pieces; ++i) {
            double t = static_cast<double>(i) / pieces, u = 1.0 - t;
            f->Add(u * u * x0 + 2 * u * t * c->x + t * t * to->x, u * u * y0 + 2 * u * t * c->y + t * t * to->y);
        }
        return 0;
    }
    static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* self) {
        auto* f = static_cast<Flattener*>(self);
        double x0 = f->lastX, y0 = f->lastY;
        int pieces = std::max(CurvePieces(x0, y0, c1->x, c1->y, c2->x, c2->y, f->scale),
                              CurvePieces(c1->x, c1->y, c2->x, c2->y, to->x, to->y, f->scale));
        for (int i = 1; i <= pieces; ++i) {
            double t = static_cast<double>(i) / pieces, u = 1.0 - t;
            double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            f->Add(a * x0 + b * c1->x + c * c2->x + d * to->x, a * y0 + b * c1->y + c * c2->y + d * to->y);
        }
        return 0;
    }
};

void GLAPIENTRY TessBegin(GLenum mode) {
    glBegin(mode);
}
void GLAPIENTRY TessVertex(void* data) {
    glVertex3dv(static_cast<const GLdouble*>(data));
}
void GLAPIENTRY TessEnd() {
    glEnd();
}
void GLAPIENTRY TessError(GLenum) {}
// With an edge-flag callback the tessellator gives plain triangles only, so
// a glyph compiles into one run of triangles instead of many fans and strips.
void GLAPIENTRY TessEdgeFlag(GLboolean) {}
// Vertices the tessellator makes where contours cross live in the deque
// handed to gluTessBeginPolygon until the polygon ends.
void GLAPIENTRY TessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* polygon) {
    auto* combined = static_cast<std::deque<Point>*>(polygon);
    combined->push_back(Point{coords[0], coords[1], coords[2]});
    *out = combined->back().data();
}

struct TessOwner {
    GLUtesselator* tess = gluNewTess();
    TessOwner() {
        if (!tess)
            return;
        gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(TessBegin));
        gluTessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(TessVertex));
        gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(TessEnd));
        gluTessCallback(tess, GLU_TESS_ERROR, reinterpret_cast<_GLUfuncptr>(TessError));
        gluTessCallback(tess, GLU_TESS_EDGE_FLAG, reinterpret_cast<_GLUfuncptr>(TessEdgeFlag));
        gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(TessCombine));
        gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
        gluTessNormal(tess, 0.0, 0.0, 1.0);
    }
    TessOwner(const TessOwner&) = delete;
    TessOwner& operator=(const TessOwner&) = delete;
    ~TessOwner() {
        if (tess)
            gluDeleteTess(tess);
    }
};

// Compiles one glyph: the filled outline, then the pen moves by the advance.
void CompileGlyph(GLUtesselator* tess, FT_Face face, int code, bool embolden, bool slant, GLuint list) {
    double scale = 1.0 / face->units_per_EM;
    Flattener flat;
    flat.scale = scale;
    FT_Outline* outline = LoadOutline(face, code, embolden, slant);
    double advance = outline ? face->glyph->advance.x * scale : 0.0;
    if (outline) {
        FT_Outline_Funcs funcs = {
            &Flattener::MoveTo, &Flattener::LineTo, &Flattener::ConicTo, &Flattener::CubicTo, 0, 0};
        FT_Outline_Decompose(outline, &funcs, &flat);
    }
    std::deque<Point> combined;
    glNewList(list, GL_COMPILE);
    if (!flat.contours.empty()) {
        gluTessBeginPolygon(tess, &combined);
        for (auto& contour : flat.contours) {
            gluTessBeginContour(tess);
            for (Point& p : contour)
                gluTessVertex(tess, p.data(), p.data());
            gluTessEndContour(tess);
        }
        gluTessEndPolygon(tess);
    }
    glTranslated(advance, 0.0, 0.0);
    glEndList();
}

const MeasuredFont* Measure(GLContextState& context, const char* faceName, int32_t flags) {
    flags &= 3;  // only bold and italic change the outlines
    for (const MeasuredFont& m : context.measuredFonts) {
        if (m.face == faceName && m.flags == flags)
            return &m;
    }
    FaceOwner owner;
    bool embolden = false;
    bool slant = false;
    if (!OpenFace(&context, faceName, flags, owner, embolden, slant)) {
        return nullptr;
    }
    MeasuredFont m;
    m.face = faceName;
    m.flags = flags;
    FT_Set_Pixel_Sizes(owner.face, 0, kMeasurePixels);
    for (int code = 0; code < kGlyphCount; ++code) {
        const FT_ULong character = CharacterOfCode(code);
        if (FT_Get_Char_Index(owner.face, character) == 0 ||
            FT_Load_Char(owner.face, character, FT_LOAD_DEFAULT) != 0) {
            continue;
        }
        int bold = embolden ? 1 : 0;
        m.advance[code] = static_cast<int>((owner.face->glyph->advance.x + 32) >> 6) + bold;
    }
    context.measuredFonts.push_back(m);
    return &context.measuredFonts.back();
}

}  // namespace

FontFaceMatch MatchFontFace(const char* face, int32_t flags) {
    FontFaceMatch found;
    if (!FcInit()) {
        return found;
    }
    const FamilyAndFoundry asked = SplitFoundry(face ? face : "");
    PatternOwner pattern(FcPatternCreate());
    FcPatternAddString(pattern.pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(asked.family.c_str()));
    if (!asked.foundry.empty()) {
        FcPatternAddString(pattern.pattern, FC_FOUNDRY, reinterpret_cast<const FcChar8*>(asked.foundry.c_str()));
    }
    FcPatternAddInteger(pattern.pattern, FC_WEIGHT, (flags & 1) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.pattern, FC_SLANT, (flags & 2) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern.pattern);
    FcResult result = FcResultNoMatch;
    PatternOwner match(FcFontMatch(nullptr, pattern.pattern, &result));
    FcChar8* file = nullptr;
    if (!match.pattern || FcPatternGetString(match.pattern, FC_FILE, 0, &file) != FcResultMatch) {
        return found;
    }
    found.file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match.pattern, FC_INDEX, 0, &found.faceIndex);
    const std::vector<std::string> families = PatternFamilies(match.pattern);
    const std::vector<std::string> equivalents = StrongFamilies(pattern.pattern);
    found.family = families.empty() ? std::string() : families.front();
    for (const std::string& family : families) {
        if (SameName(family, asked.family)) {
            found.family = family;  // a face with several family names: the one asked for
        }
        for (const std::string& equivalent : equivalents) {
            found.present = found.present || SameName(family, equivalent);
        }
    }
    return found;
}

std::string MatchFontFile(const char* face, int32_t flags, int* faceIndex) {
    const FontFaceMatch found = MatchFontFace(face, flags);
    if (faceIndex) {
        *faceIndex = found.faceIndex;
    }
    return found.file;
}

std::string FontFamilyFor(const char* face) {
    const FontFaceMatch found = MatchFontFace(face, 0);
    return found.family.empty() ? SplitFoundry(face ? face : "").family : found.family;
}

uint32_t MakeFont(GLRenderer& r, const char* face, int32_t flags) {
    if (!MakeRendererCurrent(r)) {
        return 0;
    }
    FaceOwner owner;
    bool embolden = false;
    bool slant = false;
    TessOwner tess;
    if (!OpenFace(r.context.get(), face, flags, owner, embolden, slant) || !tess.tess) {
        return 0;
    }
    GLuint base = glGenLists(kGlyphCount);
    if (base == 0) {
        return 0;
    }
    for (int code = 0; code < kGlyphCount; ++code) {
        CompileGlyph(tess.tess, owner.face, code, embolden, slant, base + code);
    }
    return base;
}

int LookupFont(GLRenderer& r, const ChartFont& font) {
    if (!MakeRendererCurrent(r)) {
        return -1;
    }
    char face[sizeof(FontSlot::face)] = {};
    std::memcpy(face, font.face, std::min(sizeof(face) - 1, strnlen(font.face, sizeof(font.face))));
    for (int i = 0; i < kFontSlots; ++i) {
        if (r.fonts[i].listBase != 0 && std::strcmp(r.fonts[i].face, face) == 0 && r.fonts[i].flags == font.style) {
            return i;
        }
    }
    int slot = -1;
    for (int i = 0; i < kFontSlots && slot < 0; ++i) {
        if (r.fonts[i].listBase == 0)
            slot = i;
    }
    if (slot < 0) {
        slot = r.nextFont;
        glDeleteLists(r.fonts[slot].listBase, kGlyphCount);
        r.fonts[slot].listBase = 0;
    }
    r.nextFont = (r.nextFont + 1) % kFontSlots;
    uint32_t base = MakeFont(r, face, font.style);
    if (base == 0) {
        return -1;
    }
    r.fonts[slot].listBase = static_cast<int32_t>(base);
    std::memcpy(r.fonts[slot].face, face, sizeof(face));
    r.fonts[slot].flags = font.style;
    return slot;
}

float TextWidth3D(GLRenderer& r, const char* text, const ChartFont& font) {
    if (!r.ready || !text || !r.context) {
        return 0.0f;
    }
    const MeasuredFont* measured = Measure(*r.context, font.face, font.style);
    if (!measured) {
        return 0.0f;
    }
    int pixels = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        pixels += measured->advance[*p];
    }
    return font.size * 0.083333336f * static_cast<float>(pixels) * 0.005f;
}

void DrawText3D(GLRenderer& r, const char* text, const ChartVertex& anchor, const ChartFont& font, int alignment,
                float angle) {
    if (!text || !MakeRendererCurrent(r)) {
        return;
    }
    int slot = LookupFont(r, font);
    if (slot < 0) {
        return;
    }
    glPushMatrix();
    GLboolean lighting = glIsEnabled(GL_LIGHTING);
    if (font.style & kFontLit) {
        const GLfloat m[4] = {anchor.red, anchor.green, anchor.blue, anchor.alpha};
        glMaterialfv(GL_FRONT, GL_AMBIENT, m);
        glNormal3f(0.0f, 0.0f, 1.0f);
    } else {
        glDisable(GL_LIGHTING);
    }
    glColor4f(anchor.red, anchor.green, anchor.blue, anchor.alpha);
    float shift = 0.0f;
    if (alignment == kAlignEnd) {
        shift = TextWidth3D(r, text, font);
    } else if (alignment == kAlignCenter) {
        shift = TextWidth3D(r, text, font) * 0.5f;
    }
    glTranslatef(anchor.x - shift, anchor.y, anchor.z);
    glRotatef(angle, 1.0f, 0.0f, 0.0f);
    float s = font.size * 0.005f;
    glScalef(s, s, s);
    glListBase(static_cast<GLuint>(r.fonts[slot].listBase));
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glPopMatrix();
    if (lighting)
        glEnable(GL_LIGHTING);
}
