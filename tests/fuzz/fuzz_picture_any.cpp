// Fuzz target: CDib::Read, choosing the reader from the first bytes, on a
// temporary file whose name does not suggest JPEG.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "FuzzPicture.h"
#include "PictureReaders.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KeepJpegLibraryLoaded();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlatformFile file;
    std::string path = OpenFuzzFile(file, data, size, ".picture");
    if (file.handle) {
        CDib picture(16, 16, 8);
        picture.Read(file);
    }
    CloseFile(file);
    std::remove(path.c_str());
    return 0;
}
