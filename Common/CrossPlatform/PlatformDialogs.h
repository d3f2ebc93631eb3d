// The system dialogs (font and file choosers), the help page and the plain
// text helpers they use. Forward to the installed platform; no Qt here.
#pragma once

#include <string>
#include <vector>

#include "PlatformEvents.h"

// ---------------------------------------------------------------- dialogs

// The system font chooser on `choice`; false when cancelled.
bool ChooseFontDialog(PlatformWindow* owner, FontChoice& choice);
// File choosers. `filter` is "label|pattern|label|pattern|"; `defaultExtension`
// like ".tvr" (may be null).
bool ChooseFileToOpen(PlatformWindow* owner, FileSpec& file, const char* filter, const char* title,
                      const char* initialFolder, const char* defaultExtension);
// Several files: one record each, ended by an empty record.
bool ChooseFilesToOpen(PlatformWindow* owner, std::vector<FileSpec>& files, const char* filter, const char* title,
                       const char* initialFolder);
// `file` holds the suggested name on entry.
bool ChooseFileToSave(PlatformWindow* owner, FileSpec& file, const char* filter, const char* defaultName,
                      const char* initialFolder, const char* defaultExtension);

// Shows the help page that stands for the help file in a help window of the
// program (no web browser needed); false, with a message, when it is missing.
bool ShowHelp(PlatformWindow* window, const char* helpFile);

// ---------------------------------------------------------------- plain helpers

// "label|pattern|..." -> the toolkit's "label (pattern pattern);;..." form.
std::string ConvertFileFilter(const char* filter);
// Point size <-> character height for the font chooser.
int PointsToHeight(float points);
float HeightToPoints(int height);
// Removes a trailing "/" or "\" from a folder.
std::string TrimFolder(const char* folder);
