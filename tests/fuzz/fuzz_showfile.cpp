// Fuzzes the show file reader: any bytes are checked and read into a fresh
// show (evaluating frame 0); an accepted image must write back as an image
// the reader accepts again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ShowFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto show = CreateShow();
    long length = static_cast<long>(size);
    bool accepted = CheckShowImage(data, length);
    if (ReadShowImage(*show, data, length, true) != accepted) {
        std::abort();
    }
    if (accepted) {
        std::vector<uint8_t> image;
        int written = WriteShowImage(*show, 1, image);
        auto again = CreateShow();
        if (written != ShowImageLength(*show) || !ReadShowImage(*again, image.data(), written, false) ||
            again->keyCount != show->keyCount) {
            std::abort();
        }
    }
    return 0;
}
