// libPlinthRTV.so: writes uncompressed frames into a ".rtv" file: a 32-byte
// header and the frames at fixed places, each the frame's bottom-up rows as
// handed in. The layout is described in docs/movie-containers.md. Movies
// are named by their path in every call.
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "CompanionAbi.h"

namespace {

constexpr long kHeaderBytes = 32;

struct RtvMovie {
    FILE* file = nullptr;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    uint32_t frames = 0;
    bool failed = false;
    long FrameBytes() const { return static_cast<long>(((bitsPerPixel / 8) * width + 3) & ~3) * height; }
};

std::mutex gLock;
std::map<std::string, RtvMovie>& Movies() {
    static std::map<std::string, RtvMovie> movies;
    return movies;
}

void Put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

bool WriteHeader(const RtvMovie& m) {
    uint8_t header[kHeaderBytes] = {};
    std::memcpy(header, "TRTV", 4);
    Put32(header + 4, 1);
    Put32(header + 8, static_cast<uint32_t>(m.width));
    Put32(header + 12, static_cast<uint32_t>(m.height));
    Put32(header + 16, static_cast<uint32_t>(m.bitsPerPixel));
    Put32(header + 20, static_cast<uint32_t>(((m.bitsPerPixel / 8) * m.width + 3) & ~3));
    Put32(header + 24, m.frames);
    return std::fseek(m.file, 0, SEEK_SET) == 0 && std::fwrite(header, kHeaderBytes, 1, m.file) == 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int VTOpen(const char* path, int width, int height,
                                                             int bitsPerPixel) {
    if (!path || width < 1 || height < 1 || width > 8192 || height > 8192 ||
        (bitsPerPixel != 24 && bitsPerPixel != 32)) {
        return 0;
    }
    std::lock_guard<std::mutex> hold(gLock);
    if (Movies().count(path)) {
        return 0;
    }
    RtvMovie m;
    m.width = width;
    m.height = height;
    m.bitsPerPixel = bitsPerPixel;
    m.file = std::fopen(path, "w+b");
    if (!m.file) {
        return 0;
    }
    if (!WriteHeader(m)) {
        std::fclose(m.file);
        return 0;
    }
    Movies()[path] = m;
    return 1;
}

extern "C" __attribute__((visibility("default"))) int VTWrite(const char* path, int frame, int width, int height,
                                                              const void* pixels) {
    std::lock_guard<std::mutex> hold(gLock);
    auto found = path ? Movies().find(path) : Movies().end();
    if (found == Movies().end() || !pixels || frame < 0) {
        return 0;
    }
    RtvMovie& m = found->second;
    if (m.failed || width != m.width || height != m.height) {
        return 0;
    }
    long bytes = m.FrameBytes();
    if (std::fseek(m.file, kHeaderBytes + static_cast<long>(frame) * bytes, SEEK_SET) != 0 ||
        std::fwrite(pixels, static_cast<size_t>(bytes), 1, m.file) != 1 || std::fflush(m.file) != 0) {
        m.failed = true;
        return 0;
    }
    if (static_cast<uint32_t>(frame) + 1 > m.frames) {
        m.frames = static_cast<uint32_t>(frame) + 1;
    }
    return 1;
}

extern "C" __attribute__((visibility("default"))) int VTClose(const char* path) {
    std::lock_guard<std::mutex> hold(gLock);
    auto found = path ? Movies().find(path) : Movies().end();
    if (found == Movies().end()) {
        return 0;
    }
    RtvMovie m = found->second;
    Movies().erase(found);
    bool ok = WriteHeader(m) && !m.failed;
    if (std::fclose(m.file) != 0) {
        ok = false;
    }
    return ok ? 1 : 0;
}
