// The warning tavrilo-render prints when a data table holds more than a
// show takes (32 categories, 4 sets, the first 32768 bytes): one line that
// names what was left out.
#pragma once

#include <string>

// The warning for the data file at `path` (without the program's name), or
// empty when the show took all of it.
std::string DataLeftOutWarning(const std::string& path);
