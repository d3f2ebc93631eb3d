// Converting one picture file for the command line.
#include "PictureCommand.h"

#include <cstring>

#include "CDib.h"
#include "CrossPlatform.h"
#include "Options.h"

namespace {

bool EndsWith(const char* text, const char* suffix) {
    size_t length = std::strlen(text);
    size_t suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(text + length - suffixLength, suffix) == 0;
}

}  // namespace

StepResult ConvertPictureCommand(const char* inPath, const char* outPath) {
    if (!inPath || !*inPath || !outPath || !*outPath) {
        return StepFailed("--picture needs a picture file and -o OUT");
    }
    CDib picture(16, 16, 8);
    if (picture.Load(MakeFileSpec(inPath), nullptr, true) != kDibLoaded) {
        return StepFailedUnlessSaid("can't read picture file \"" + TerminalText(inPath) + "\"");
    }
    int kind = EndsWith(outPath, ".tga") || EndsWith(outPath, ".TGA") ? kDibTarga : kDibBitmap;
    if (!picture.Save(MakeFileSpec(outPath), kind)) {
        return StepFailed("could not write " + TerminalText(outPath));
    }
    return StepDone();
}
