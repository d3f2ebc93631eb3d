// Fuzz target: JPEG pictures through the companion library, which reads the
// file by its name.
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
    std::string path = OpenFuzzFile(file, data, size, ".jpg");
    if (file.handle) {
        CDib picture(16, 16, 8);
        ReadJpegFile(picture, file);
    }
    CloseFile(file);
    std::remove(path.c_str());
    return 0;
}
