// tavrilo-render --picture IN -o OUT: reads a picture as the program's Load
// does (reporting errors) and writes it as a Windows bitmap, or as a Targa
// file when OUT ends in ".tga". Lets users check a texture or background.
#pragma once

// The exit status: 0 written, 1 when IN cannot be read or OUT written.
int ConvertPictureCommand(const char* inPath, const char* outPath);
