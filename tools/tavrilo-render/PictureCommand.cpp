// Converting one picture file for the command line.
#include "PictureCommand.h"

#include <cstdio>
#include <cstring>

#include "CDib.h"
#include "CrossPlatform.h"

namespace {

bool EndsWith(const char* text, const char* suffix) {
    size_t length = std::strlen(text);
    size_t suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(text + length - suffixLength, suffix) == 0;
}

}  // namespace

int ConvertPictureCommand(const char* inPath, const char* outPath) {
    if (!inPath || !*inPath || !outPath || !*outPath) {
        std::fprintf(stderr, "tavrilo-render: --picture needs a picture file and -o OUT\n");
        return 1;
    }
    CDib picture(16, 16, 8);
    if (picture.Load(MakeFileSpec(inPath), nullptr, true) != kDibLoaded) {
        return 1;
    }
    int kind = EndsWith(outPath, ".tga") || EndsWith(outPath, ".TGA") ? kDibTarga : kDibBitmap;
    if (!picture.Save(MakeFileSpec(outPath), kind)) {
        std::fprintf(stderr, "tavrilo-render: could not write %s\n", outPath);
        return 1;
    }
    return 0;
}
