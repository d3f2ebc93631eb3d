// The entry points of the movie companion libraries, shared by the libraries
// and the writers that load them by name: libMsMjpgEnc.so (Motion-JPEG
// encoder), libDPSMaker5.so (DPS file maker) and libPlinthRTV.so (Video
// Toaster RTV files). Plain C types only.
#pragma once

#include <cstdint>

extern "C" {

// Pixel layouts handed to CreateMsMjpgEnc: bottom-up rows, 720 pixels wide.
enum { kMjpgPixelsBgr24 = 12852, kMjpgPixelsBgra32 = 13106 };

// Compress reads the frame and writes one JPEG picture. On entry `byteCount`
// is the size of the frame and `capacity` the room at `destination`; on
// return `byteCount` is the size of the picture.
struct MjpgEncodeInfo {
    uint32_t byteCount;
    uint32_t capacity;
};

struct MsMjpgEncoder;
// The encoder's operations, in this order. 0 means success.
struct MsMjpgEncoderOps {
    int (*compress)(MsMjpgEncoder* self, const void* frame, void* destination, MjpgEncodeInfo* info);
    int (*setQuality)(MsMjpgEncoder* self, int quality);  // 0 .. 10000
    int (*release)(MsMjpgEncoder* self);                  // frees the encoder
};
struct MsMjpgEncoder {
    const MsMjpgEncoderOps* ops;
};
// lines: 525 (720 x 486 frames) or 625 (720 x 576). 0 on success.
typedef int (*CreateMsMjpgEncFunction)(int lines, int pixelFormat, MsMjpgEncoder** encoder);

struct DpsMaker;
// The maker's operations, in this order. 0 means success.
struct DpsMakerOps {
    int (*write)(DpsMaker* self, const void* picture, uint32_t byteCount);
    int (*close)(DpsMaker* self);  // finishes the file and frees the maker
};
struct DpsMaker {
    const DpsMakerOps* ops;
};
// Creates the ".dps" file for `frameCount` frames of `lines` lines; `flags`
// is stored in the header. 0 on success.
typedef int (*CreateDpsMaker5Function)(const char* path, int lines, int frameCount, int flags, DpsMaker** maker);

// RTV: non-zero means success. The movie is named by its path in every call.
typedef int (*VTOpenFunction)(const char* path, int width, int height, int bitsPerPixel);
typedef int (*VTWriteFunction)(const char* path, int frame, int width, int height, const void* pixels);
typedef int (*VTCloseFunction)(const char* path);
}
