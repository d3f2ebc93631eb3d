#include "Cli.h"

#include <cstdio>

#include "CrossPlatform.h"
#include "Doc.h"
#include "Settings.h"

int RunTavriloRender(int argc, char** argv) {
    LoadSettings("Tavrilo");
    auto show = CreateShow();
    gShow = show.get();
    std::printf("{\"keyCount\":%d}\n", show->keyCount);
    DestroyShow(*show);
    gShow = nullptr;
    return 0;
}
