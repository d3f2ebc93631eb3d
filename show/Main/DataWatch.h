// What the main window keeps while a data file is watched (Options, Watch
// Data File): the watched file, the preview's data morph and the refusals
// still to be shown.
#pragma once

#include <string>
#include <vector>

#include "DataMorph.h"
#include "WatchedData.h"

struct DataWatch {
    WatchedDataFile file;
    DataMorph morph;
    bool morphing = false;
    std::vector<std::string> messages;  // shown when the main loop runs
};
