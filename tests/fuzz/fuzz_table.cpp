// Fuzzes table import: the first two bytes choose the start cell (also
// outside the table), the rest is the text. Every text slot must stay
// terminated.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "DataImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    static auto show = CreateShow();
    int column = data[0] % 7 - 1;  // -1 .. 5
    int row = data[1] % 36 - 1;    // -1 .. 34
    ImportTable(*show, std::string_view(reinterpret_cast<const char*>(data + 2), size - 2), column, row);
    for (const auto& name : show->setNames) {
        if (std::memchr(name, 0, sizeof(name)) == nullptr) {
            std::abort();
        }
    }
    for (const auto& label : show->labels) {
        if (std::memchr(label, 0, sizeof(label)) == nullptr) {
            std::abort();
        }
    }
    return 0;
}
