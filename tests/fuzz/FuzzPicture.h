// Shared by the picture fuzz targets: the input as an open file, either in
// memory or, for readers that open the file by name, as a temporary file.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "ByteCursor.h"
#include "CDib.h"
#include "CrossPlatform.h"
#include "JpegDll.h"

// The JPEG companion library is built with coverage counters; were it
// unloaded after each read, the fuzzer would touch counters that are gone.
// Loading it once more, never to be unloaded, keeps them in place.
inline void KeepJpegLibraryLoaded() {
    char self[4096] = {};
    ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string folder(self, length > 0 ? static_cast<size_t>(length) : 0);
    folder = folder.substr(0, folder.rfind('/') + 1);
    dlopen((folder + kJpegLibraryName).c_str(), RTLD_NOW | RTLD_NODELETE);
}

// Opens the bytes as a read-only file in memory; false for an empty input.
inline bool OpenFuzzInput(PlatformFile& file, const uint8_t* data, size_t size) {
    if (size == 0) {
        return false;
    }
    file.handle = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    return file.handle != nullptr;
}

// Writes the bytes to a temporary file of this process ending in `suffix`
// and opens it; the path for removal afterwards.
inline std::string OpenFuzzFile(PlatformFile& file, const uint8_t* data, size_t size, const char* suffix) {
    std::string path = "/tmp/tavrilo-fuzz-" + std::to_string(getpid()) + suffix;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        return path;
    }
    std::fwrite(data, 1, size, out);
    std::fclose(out);
    OpenFile(file, MakeFileSpec(path.c_str()), kFileRead);
    return path;
}

// Runs one reader that reads through a ByteCursor on the bytes as a file in
// memory, into a small picture, and closes the file.
template <typename Reader>
int FuzzCursorReader(const uint8_t* data, size_t size, Reader read) {
    PlatformFile file;
    if (!OpenFuzzInput(file, data, size)) {
        return 0;
    }
    {
        CDib picture(16, 16, 8);
        ByteCursor in(file);
        read(picture, in);
    }
    CloseFile(file);
    return 0;
}
