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
    if (Result loaded = picture.Load(MakeFileSpec(inPath)); !loaded) {
        return StepOf(loaded);
    }
    int kind = FileKindOf(outPath) == FileKind::Tga ? kDibTarga : kDibBitmap;
    return StepOf(picture.Save(MakeFileSpec(outPath), kind));
}
