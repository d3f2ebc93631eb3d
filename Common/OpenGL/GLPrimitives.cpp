// The chart primitives: coloured vertices, face normals, edges, walls,
// boxes and pie wedges in immediate mode, one material colour each.
#include <algorithm>
#include <cmath>

#include "GLInternal.h"
#include "OpenGL.h"

namespace {

constexpr float kByteToUnit = 0.003921568859f;
constexpr float kDegree = 0.0174532f;

// Ambient material from the vertex colour (white while a texture is on, so
// the texture shows its own colours) and the flat colour for unlit drawing.
void SetMaterial(const GLRenderer& r, const ChartVertex& v) {
    GLfloat m[4] = {v.red, v.green, v.blue, v.alpha};
    if (r.textureOn) {
        m[0] = m[1] = m[2] = 1.0f;
    }
    glMaterialfv(GL_FRONT, GL_AMBIENT, m);
    glColor4f(v.red, v.green, v.blue, v.alpha);
}

void Vertex(const ChartVertex& v, float z) {
    glVertex3f(v.x, v.y, z);
}

// A point of the arc at angle s (degrees clockwise from 12 o'clock).
ChartVertex ArcPoint(const ChartVertex& o, float s, float radius, float z) {
    float theta = (360.0f - s) * kDegree;
    ChartVertex p = o;
    p.x = o.x + std::sin(theta) * (o.x - radius);
    p.y = o.y + std::cos(theta) * (radius - o.y);
    p.z = z;
    return p;
}

void ArcTexture(float s) {
    float theta = (360.0f - s) * kDegree;
    glTexCoord2f((std::cos(theta) + 1.0f) * 0.5f, (std::sin(theta) + 1.0f) * 0.5f);
}

// The arc angles a, a + 2, ... below b - 2, then b (or the reverse).
std::vector<float> ArcAngles(float a, float b) {
    std::vector<float> angles;
    for (float s = a; s < b - 2.0f; s += 2.0f) {
        angles.push_back(s);
    }
    angles.push_back(b);
    return angles;
}

std::vector<float> ReverseArcAngles(float a, float b) {
    std::vector<float> angles;
    for (float s = b; s > a + 2.0f; s -= 2.0f) {
        angles.push_back(s);
    }
    angles.push_back(a);
    return angles;
}

void WedgeCap(const ChartVertex& o, const std::vector<float>& angles, float radius, float z, float nz) {
    glBegin(GL_POLYGON);
    glNormal3f(0.0f, 0.0f, nz);
    glTexCoord2f(0.5f, 0.5f);
    glVertex3f(o.x, o.y, z);
    for (float s : angles) {
        ArcTexture(s);
        Vertex(ArcPoint(o, s, radius, z), z);
    }
    glEnd();
}

void SidePair(const ChartVertex& top, const ChartVertex& bottom, const ChartVertex& point, float u, float z1,
              float z0) {
    float n[3];
    FaceNormal(top, bottom, point, n);
    glNormal3fv(n);
    glTexCoord2f(u, 0.0f);
    Vertex(point, z1);
    glTexCoord2f(u, 1.0f);
    Vertex(point, z0);
}

void WedgeSides(const ChartVertex& o, float a, float b, float radius, float z1, float z0) {
    ChartVertex top = o;
    top.z = z1;
    ChartVertex bottom = o;
    bottom.z = z0;
    glBegin(GL_QUAD_STRIP);
    {
        float n[3];
        FaceNormal(top, bottom, ArcPoint(o, a, radius, z0), n);
        glNormal3fv(n);
        glTexCoord2f(0.0f, 0.0f);
        Vertex(o, z1);
        glTexCoord2f(0.0f, 1.0f);
        Vertex(o, z0);
    }
    SidePair(top, bottom, ArcPoint(o, a, radius, z0), 1.0f, z1, z0);
    for (float s = a + 2.0f; s < b - 2.0f; s += 2.0f) {
        SidePair(top, bottom, ArcPoint(o, s, radius, z0), (s - a) / (b - a), z1, z0);
    }
    SidePair(top, bottom, ArcPoint(o, b, radius, z0), 1.0f, z1, z0);
    {
        float n[3];
        FaceNormal(top, bottom, bottom, n);
        glNormal3fv(n);
        glTexCoord2f(0.0f, 0.0f);
        Vertex(o, z1);
        glTexCoord2f(0.0f, 1.0f);
        Vertex(o, z0);
    }
    glEnd();
}

}  // namespace

ChartVertex MakeVertex(uint32_t color, float x, float y, float z, float alpha) {
    ChartVertex v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.red = static_cast<float>(color & 0xFF) * kByteToUnit;
    v.green = static_cast<float>((color >> 8) & 0xFF) * kByteToUnit;
    v.blue = static_cast<float>((color >> 16) & 0xFF) * kByteToUnit;
    v.alpha = alpha;
    v.tag = 0;
    return v;
}

void FaceNormal(const ChartVertex& p0, const ChartVertex& p1, const ChartVertex& p2, float n[3]) {
    float ax = p0.x - p1.x, ay = p0.y - p1.y, az = p0.z - p1.z;
    float bx = p2.x - p1.x, by = p2.y - p1.y, bz = p2.z - p1.z;
    n[0] = ay * bz - az * by;
    n[1] = az * bx - ax * bz;
    n[2] = ax * by - ay * bx;
    float square = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    float factor = square >= 1e-8f ? 1.0f / std::sqrt(square) : 1e7f;
    for (int i = 0; i < 3; ++i) {
        n[i] *= factor;
    }
}

void DrawEdge(GLRenderer& r, const ChartVertex& a, const ChartVertex& b, float width, const float* normal) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    glLineWidth(width * r.lineScale);
    glBegin(GL_LINES);
    SetMaterial(r, a);
    if (normal) {
        glNormal3fv(normal);
    } else {
        glNormal3f(0.0f, 0.0f, 1.0f);
    }
    glColor4f(a.red, a.green, a.blue, a.alpha);
    Vertex(a, a.z);
    glColor4f(b.red, b.green, b.blue, a.alpha);
    Vertex(b, b.z);
    glEnd();
}

void DrawWall(GLRenderer& r, const ChartVertex p[4], int mask) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    float n[3];
    FaceNormal(p[0], p[1], p[2], n);
    static const float tex[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    glBegin(GL_QUADS);
    SetMaterial(r, p[0]);
    glNormal3fv(n);
    for (int i = 0; i < 4; ++i) {
        glColor4f(p[i].red, p[i].green, p[i].blue, p[0].alpha);
        glTexCoord2fv(tex[i]);
        Vertex(p[i], p[i].z);
    }
    glEnd();
    if (r.textureOn) {
        return;
    }
    if (!(mask & 1))
        DrawEdge(r, p[0], p[1], 2.0f, n);
    if (!(mask & 2))
        DrawEdge(r, p[1], p[2], 2.0f, n);
    if (!(mask & 4))
        DrawEdge(r, p[3], p[2], 2.0f, n);
    if (!(mask & 8))
        DrawEdge(r, p[0], p[3], 2.0f, n);
}

void DrawBox(GLRenderer& r, const ChartVertex p[4], float d) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    // Each face: normal and the four corners (index, back face?).
    struct Face {
        float normal[3];
        int corner[4];
        bool back[4];
    };
    static const Face faces[6] = {
        {{0, 0, 1}, {0, 1, 2, 3}, {false, false, false, false}}, {{0, 0, -1}, {0, 1, 2, 3}, {true, true, true, true}},
        {{0, -1, 0}, {3, 3, 2, 2}, {false, true, true, false}},  {{0, 1, 0}, {0, 0, 1, 1}, {false, true, true, false}},
        {{1, 0, 0}, {1, 1, 2, 2}, {false, true, true, false}},   {{-1, 0, 0}, {0, 0, 3, 3}, {false, true, true, false}},
    };
    static const float tex[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (const Face& face : faces) {
        glBegin(GL_QUADS);
        SetMaterial(r, p[0]);
        glNormal3fv(face.normal);
        for (int i = 0; i < 4; ++i) {
            const ChartVertex& v = p[face.corner[i]];
            glTexCoord2fv(tex[i]);
            Vertex(v, face.back[i] ? v.z - d : v.z);
        }
        glEnd();
    }
}

void DrawWedge(GLRenderer& r, const ChartVertex& o, float a, float b, float radius, float t, float e) {
    if (!std::isfinite(a) || !std::isfinite(b) || a >= b || !MakeRendererCurrent(r)) {
        return;
    }
    // At most one turn, starting within the first: the arc walk in 2-degree
    // steps stays short and exact whatever angles come in.
    if (b - a > 360.0f || a < 0.0f || a >= 360.0f) {
        float sweep = std::min(b - a, 360.0f);
        a = std::fmod(a, 360.0f);
        a = a < 0.0f ? a + 360.0f : a;
        b = a + sweep;
    }
    glPushMatrix();
    float mid = (360.0f - (a + (b - a) * 0.5f)) * kDegree;
    glTranslatef(-e * std::sin(mid), e * std::cos(mid), 0.0f);
    float z1 = o.z + t;
    float z0 = o.z;
    SetMaterial(r, o);
    WedgeCap(o, ArcAngles(a, b), radius, z1, 1.0f);
    WedgeSides(o, a, b, radius, z1, z0);
    WedgeCap(o, ReverseArcAngles(a, b), radius, z0, -1.0f);
    glPopMatrix();
}
