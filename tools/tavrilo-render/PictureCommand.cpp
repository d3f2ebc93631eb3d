// Converting one picture file for the command line.
#include "PictureCommand.h"

#include "CDib.h"
#include "CrossPlatform.h"
#include "Options.h"

StepResult ConvertPictureCommand(const char* inPath, const char* outPath) {
    if (!inPath || !*inPath || !outPath || !*outPath) {
        return StepFailed("--picture needs a picture file and -o OUT");
    }
    CDib picture(16, 16, 8);
    if (picture.Load(MakeFileSpec(inPath), nullptr, true) != kDibLoaded) {
        return StepFailedUnlessSaid("can't read picture file \"" + TerminalText(inPath) + "\"");
    }
    int kind = FileKindOf(outPath) == FileKind::Tga ? kDibTarga : kDibBitmap;
    if (!picture.Save(MakeFileSpec(outPath), kind)) {
        return StepFailed("could not write " + TerminalText(outPath));
    }
    return StepDone();
}
