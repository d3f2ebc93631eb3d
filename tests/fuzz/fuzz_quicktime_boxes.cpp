// Fuzzes the QuickTime box walker that reads a join's segments and finishes
// written movies: any bytes as a file are read, and written to when read;
// neither may touch memory outside the file's boxes, and a file that cannot
// be written must stay as it was.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "QuickTimeBoxes.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        int c = 0;
        while ((c = std::fgetc(file)) != EOF) {
            bytes.push_back(static_cast<uint8_t>(c));
        }
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char path[] = "/tmp/fuzz-quicktime-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        return 0;
    }
    const bool written = write(descriptor, data, size) == static_cast<ssize_t>(size);
    close(descriptor);
    if (written) {
        QuickTimeVideoBoxes boxes;
        std::string error;
        ReadQuickTimeVideoBoxes(path, boxes, error);
        if (!WriteQuickTimeVideoBoxes(path, QuickTimeVideoBoxes{704, 480, kGraphicsModeStraightAlpha, 2, 9}, error) &&
            ReadAll(path) != std::vector<uint8_t>(data, data + size) && error.find("write") == std::string::npos) {
            std::abort();  // refused, yet changed
        }
    }
    unlink(path);
    return 0;
}
