// Fuzzes stream import: the first byte chooses the interval (also 0 and
// below), the rest is the text; the stream must hold whole rows and the
// key at its end must stay inside the show.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "DataImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const float intervals[8] = {30.0f, 1.0f, 0.5f, 0.0f, -3.0f, 1e30f, 29.97f, 1e-30f};
    auto show = CreateShow();
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    bool loaded = LoadStream(*show, text, intervals[data[0] % 8], (data[0] & 8) != 0).Ok();
    size_t rows = static_cast<size_t>(show->streamLastRow) + 1;
    if (loaded && (show->streamColumns < 1 || show->streamColumns > 4 ||
                   show->streamValues.size() != rows * show->streamColumns || rows > 32000)) {
        std::abort();
    }
    if (show->keyCount < 1 || show->keyCount > kMaxKeys || show->keys[show->keyCount - 1].frame > show->lengthFrames) {
        std::abort();
    }
    return 0;
}
