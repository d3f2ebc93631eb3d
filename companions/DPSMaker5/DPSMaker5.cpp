// libDPSMaker5.so: writes Motion-JPEG frames into a ".dps" file: a 64-byte
// header, the frames one after another (each a 4-byte size and the JPEG
// picture) and an index of offsets and sizes at the end. The layout is
// described in docs/movie-containers.md.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "CompanionAbi.h"

namespace {

constexpr uint32_t kHeaderBytes = 64;

struct IndexEntry {
    uint64_t offset;
    uint32_t size;
};

struct Maker : DpsMaker {
    FILE* file = nullptr;
    int lines = 525;
    uint32_t announced = 0;
    uint32_t flags = 0;
    uint64_t position = kHeaderBytes;
    std::vector<IndexEntry> index;
    bool failed = false;
};

void Put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void Put64(uint8_t* at, uint64_t value) {
    Put32(at, static_cast<uint32_t>(value));
    Put32(at + 4, static_cast<uint32_t>(value >> 32));
}

void MakeHeader(const Maker& m, uint32_t framesWritten, uint64_t indexOffset, uint8_t* header) {
    std::memset(header, 0, kHeaderBytes);
    std::memcpy(header, "TDPS", 4);
    Put32(header + 4, 1);  // version
    Put32(header + 8, kHeaderBytes);
    Put32(header + 12, static_cast<uint32_t>(m.lines));
    Put32(header + 16, 720);
    Put32(header + 20, m.lines == 625 ? 576 : 486);
    Put32(header + 24, m.lines == 625 ? 25 : 30000);
    Put32(header + 28, m.lines == 625 ? 1 : 1001);
    Put32(header + 32, m.announced);
    Put32(header + 36, framesWritten);
    std::memcpy(header + 40, "MJPG", 4);
    Put32(header + 44, m.flags);
    Put64(header + 48, indexOffset);
}

int Write(DpsMaker* base, const void* picture, uint32_t byteCount) {
    auto* m = static_cast<Maker*>(base);
    if (!m || !m->file || m->failed || !picture || byteCount == 0) {
        return 1;
    }
    uint8_t size[4];
    Put32(size, byteCount);
    if (std::fwrite(size, 4, 1, m->file) != 1 || std::fwrite(picture, byteCount, 1, m->file) != 1) {
        m->failed = true;
        return 2;
    }
    m->index.push_back(IndexEntry{m->position + 4, byteCount});
    m->position += 4u + byteCount;
    return 0;
}

bool WriteIndex(Maker& m) {
    uint8_t head[8];
    std::memcpy(head, "INDX", 4);
    Put32(head + 4, static_cast<uint32_t>(m.index.size()));
    if (std::fwrite(head, 8, 1, m.file) != 1) {
        return false;
    }
    for (const IndexEntry& entry : m.index) {
        uint8_t record[12];
        Put64(record, entry.offset);
        Put32(record + 8, entry.size);
        if (std::fwrite(record, 12, 1, m.file) != 1) {
            return false;
        }
    }
    uint8_t header[kHeaderBytes];
    MakeHeader(m, static_cast<uint32_t>(m.index.size()), m.position, header);
    return std::fseek(m.file, 0, SEEK_SET) == 0 && std::fwrite(header, kHeaderBytes, 1, m.file) == 1;
}

int Close(DpsMaker* base) {
    auto* m = static_cast<Maker*>(base);
    if (!m) {
        return 1;
    }
    // The frames written so far are indexed even after a failed write.
    bool ok = m->file && WriteIndex(*m) && !m->failed;
    if (m->file && std::fclose(m->file) != 0) {
        ok = false;
    }
    delete m;
    return ok ? 0 : 2;
}

constexpr DpsMakerOps kOps{Write, Close};

}  // namespace

extern "C" __attribute__((visibility("default"))) int CreateDpsMaker5(const char* path, int lines, int frameCount,
                                                                      int flags, DpsMaker** maker) {
    if (!path || !maker || (lines != 525 && lines != 625) || frameCount < 0) {
        return 1;
    }
    auto* m = new (std::nothrow) Maker;
    if (!m) {
        return 2;
    }
    m->ops = &kOps;
    m->lines = lines;
    m->announced = static_cast<uint32_t>(frameCount);
    m->flags = static_cast<uint32_t>(flags);
    m->file = std::fopen(path, "wb");
    uint8_t header[kHeaderBytes];
    MakeHeader(*m, 0, 0, header);
    if (!m->file || std::fwrite(header, kHeaderBytes, 1, m->file) != 1) {
        if (m->file) {
            std::fclose(m->file);
        }
        delete m;
        return 3;
    }
    *maker = m;
    return 0;
}
