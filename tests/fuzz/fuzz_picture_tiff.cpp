// Fuzz target: the reader behind ReadTiffFile, on a file in memory.
#include <cstddef>
#include <cstdint>

#include "FuzzPicture.h"
#include "PictureReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzCursorReader(data, size, [](CDib& picture, ByteCursor& in) { ReadTiffFile(picture, in); });
}
