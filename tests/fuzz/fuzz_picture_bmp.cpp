// Fuzz target: the reader behind ReadBitmapFile, on a file in memory.
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
    ReadBitmapFile(picture, in);
    return 0;
}
