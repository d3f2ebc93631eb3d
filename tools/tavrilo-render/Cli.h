// tavrilo-render: the command-line face of Make Movie. Loads a show (or the
// built-in demo show), imports data, and renders frames to a movie or to
// pictures without a display.
#pragma once

#include "HeadlessPlatform.h"

int RunTavriloRender(int argc, char** argv);

// The program's platform: a message the core shows while it renders (a
// texture that cannot be read, a writer's own complaint) is printed as
// "tavrilo-render: <message>", escaped for the terminal.
class CommandLinePlatform : public HeadlessPlatform {
public:
    void ShowMessage(const char* text, long number) override;
};
