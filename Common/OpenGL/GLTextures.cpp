// The texture cache: pictures named by file, converted to RGBA textures of
// power-of-two size once per context, plus the background picture and the
// accumulated frame under the reserved name 99999.
#include <cstring>

#include "GLInternal.h"
#include "OpenGL.h"

namespace {

int TextureLimit(GLRenderer& r) {
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    if (r.textureSizeLimit > 0 && (limit <= 0 || r.textureSizeLimit < limit)) {
        limit = r.textureSizeLimit;
    }
    return std::max<GLint>(limit, 2);
}

// Unpacks one source pixel to red, green, blue, alpha.
void UnpackPixel(const uint8_t* p, int bits, const PaletteEntry* palette, uint8_t* out) {
    switch (bits) {
        case 8: {
            const PaletteEntry& e = palette[p[0]];
            out[0] = e.red;
            out[1] = e.green;
            out[2] = e.blue;
            out[3] = 255;
            break;
        }
        case 16: {
            unsigned w = p[0] | (p[1] << 8);
            out[0] = static_cast<uint8_t>((w >> 7) & 248);
            out[1] = static_cast<uint8_t>((w >> 2) & 248);
            out[2] = static_cast<uint8_t>((w & 31) * 8);
            out[3] = 255;
            break;
        }
        case 24:
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            out[3] = 255;
            break;
        default:
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            out[3] = p[3];
            break;
    }
}

// A copy of the picture scaled down (nearest pixel) to fit within limit x
// limit, in the picture's own depth.
bool ShrinkToFit(const CDib& picture, int limit, CDib& out) {
    int w = picture.Width();
    int h = picture.Height();
    double scale = std::min(1.0, std::min(static_cast<double>(limit) / w, static_cast<double>(limit) / h));
    int nw = std::max(1, static_cast<int>(w * scale));
    int nh = std::max(1, static_cast<int>(h * scale));
    int bits = picture.BitsPerPixel();
    if (!out.Create(nw, nh, bits)) {
        return false;
    }
    if (bits == 8) {
        std::memcpy(out.Palette(), picture.Palette(), 256 * sizeof(PaletteEntry));
    }
    int bytes = bits / 8;
    for (int y = 0; y < nh; ++y) {
        const uint8_t* src = picture.Row(static_cast<int>(static_cast<int64_t>(y) * h / nh));
        uint8_t* dst = out.Row(y);
        for (int x = 0; x < nw; ++x) {
            std::memcpy(dst + x * bytes, src + static_cast<int64_t>(x) * w / nw * bytes, bytes);
        }
    }
    return true;
}

}  // namespace

int TextureExtent(int size) {
    int extent = 2;
    while (extent < size && extent < (1 << 30)) {
        extent *= 2;
    }
    return extent;
}

bool ConvertPictureToTexture(const CDib& picture, int width, int height, std::vector<uint8_t>& texels) {
    int bits = picture.BitsPerPixel();
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    texels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    uint8_t padAlpha = bits == 32 ? 0 : 255;
    int bytes = bits / 8;
    int pw = std::min(picture.Width(), width);
    const PaletteEntry* palette = picture.Palette();
    for (int y = 0; y < height; ++y) {
        uint8_t* out = texels.data() + static_cast<size_t>(y) * width * 4;
        const uint8_t* row = y < picture.Height() ? picture.Row(y) : nullptr;
        int x = 0;
        for (; row && x < pw; ++x) {
            UnpackPixel(row + x * bytes, bits, palette, out + x * 4);
        }
        for (; x < width; ++x) {
            out[x * 4 + 3] = padAlpha;
        }
    }
    return true;
}

uint32_t UploadTexture(GLRenderer& r, const CDib& source, bool isBackground) {
    if (!MakeRendererCurrent(r) || !source.HasHeader()) {
        return kNoTexture;
    }
    int limit = TextureLimit(r);
    // A picture larger than GL allows is scaled down to fit, not cut off.
    CDib shrunk(16, 16, 8);
    const CDib* picture = &source;
    if (TextureExtent(source.Width()) > limit || TextureExtent(source.Height()) > limit) {
        if (!ShrinkToFit(source, limit, shrunk)) {
            return kNoTexture;
        }
        picture = &shrunk;
    }
    int width = TextureExtent(picture->Width());
    int height = TextureExtent(picture->Height());
    std::vector<uint8_t> texels;
    if (!ConvertPictureToTexture(*picture, width, height, texels)) {
        return kNoTexture;
    }
    uint32_t name = kBackgroundTexture;
    if (!isBackground) {
        // The cache has 64 slots; once full, the least recently loaded one
        // is reused.
        name = static_cast<uint32_t>(r.texturesLoaded % kTextureSlots);
        r.textures[name].name[0] = '\0';
        ++r.texturesLoaded;
        r.nextTextureSlot = std::min(r.nextTextureSlot + 1, kTextureSlots);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    r.context->uploadedS = static_cast<float>(picture->Width()) / static_cast<float>(width);
    r.context->uploadedT = static_cast<float>(picture->Height()) / static_cast<float>(height);
    return name;
}

void ClearTextureCache(GLRenderer& r, int first, int end) {
    auto clampSlot = [](int v) { return v < 1 ? 0 : (v > 63 ? kTextureSlots : v); };
    first = clampSlot(first);
    end = clampSlot(end);
    for (int k = first; k < end; ++k) {
        r.textures[k].name[0] = '\0';
    }
}

void SelectTexture(GLRenderer& r, const FileSpec* spec) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    if (!spec || spec->name[0] == '\0') {
        glDisable(GL_TEXTURE_2D);
        r.textureOn = 0;
        return;
    }
    glEnable(GL_TEXTURE_2D);
    for (int k = 0; k < kTextureSlots; ++k) {
        if (std::strncmp(r.textures[k].name, spec->name, sizeof(spec->name)) == 0) {
            glBindTexture(GL_TEXTURE_2D, k);
            r.textureOn = 1;
            return;
        }
    }
    std::string name(spec->name, strnlen(spec->name, sizeof(spec->name)));
    bool failedBefore = std::find(r.failedTextures.begin(), r.failedTextures.end(), name) != r.failedTextures.end();
    CDib picture(16, 16, 8);
    // A picture that cannot be read is reported once per context, not at
    // every frame; the element is drawn in its plain colour.
    if (!failedBefore) {
        const Result loaded = picture.Load(*spec);
        if (loaded) {
            uint32_t k = UploadTexture(r, picture, false);
            if (k < static_cast<uint32_t>(kTextureSlots)) {
                r.textures[k] = *spec;
                glBindTexture(GL_TEXTURE_2D, k);
                r.textureOn = 1;
                return;
            }
        }
        // Remembered before the message is shown: a paint while the message
        // is up must not try the picture again and stack a second message.
        r.failedTextures.push_back(name);
        ShowFailure(loaded);
    }
    glDisable(GL_TEXTURE_2D);
    r.textureOn = 0;
}
