// Picture files: placeholder until the readers land.
#include "CDib.h"

int CDib::Load(const FileSpec& file, const FileSpec* fallbackFolder, bool reportErrors) { return kDibLoadFailed; }
int CDib::Read(PlatformFile& file) { return kDibUnreadable; }
bool CDib::Save(const FileSpec& file, int kind) { return false; }
bool CDib::Write(PlatformFile& file, int kind) { return false; }
