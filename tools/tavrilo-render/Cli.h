// tavrilo-render: the command-line face of Make Movie. Loads a show (or the
// built-in demo show), imports data, and renders frames to a movie or to
// pictures without a display.
#pragma once

int RunTavriloRender(int argc, char** argv);
