// The system dialogs (font and file choosers), the help page and the plain
// text helpers they use. Forward to the installed platform; no Qt here.
#pragma once

#include <string>
#include <vector>

#include "PlatformEvents.h"

// ---------------------------------------------------------------- dialogs

// The font and file choosers and the help page, described in
// PlatformCalls.def.
#define PLATFORM_DIALOGS(result, name, parameters, arguments) result name parameters;
#include "PlatformCalls.def"

// ---------------------------------------------------------------- plain helpers

// "label|pattern|..." -> the toolkit's "label (pattern pattern);;..." form.
std::string ConvertFileFilter(const char* filter);
// Point size <-> character height for the font chooser.
int PointsToHeight(float points);
float HeightToPoints(int height);
// Removes a trailing "/" or "\" from a folder.
std::string TrimFolder(const char* folder);
