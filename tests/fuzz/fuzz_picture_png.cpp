// Fuzz target: the reader behind ReadPngFile, on a file in memory.
#include <cstddef>
#include <cstdint>

#include "FuzzPicture.h"
#include "PictureReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlatformFile file;
    if (!OpenFuzzInput(file, data, size)) {
        return 0;
    }
    CDib picture(16, 16, 8);
    ByteCursor in(file);
    ReadPngFile(picture, in);
    CloseFile(file);
    return 0;
}
