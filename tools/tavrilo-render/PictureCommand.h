// tavrilo-render --picture IN -o OUT: reads a picture as the program's Load
// does (reporting errors) and writes it as a Windows bitmap, or as a Targa
// file when OUT ends in ".tga". Lets users check a texture or background.
#pragma once

#include "StepResult.h"

// Fails when IN cannot be read (the reader shows why) or OUT written.
StepResult ConvertPictureCommand(const char* inPath, const char* outPath);
