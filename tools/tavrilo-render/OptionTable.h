// The option table of tavrilo-render: every option once, with the value it
// takes, its help line and the function that applies it. The usage text,
// the parser (which options take values) and the batch rows' rules all
// read this one table.
#pragma once

#include <string>
#include <vector>

#include "MovieFfmpeg.h"

struct RenderOptions;

struct OptionSpec {
    const char* name;       // "--size"
    const char* shortName;  // "-o", "-h", or null
    // What the option takes, as the usage shows it ("WxH"); null for a flag.
    const char* value;
    // The usage text; a "\n" starts a continuation line under it.
    const char* help;
    // Applies the option (`value` is empty for a flag); false with a one-line
    // message in `error` naming the option and the value.
    bool (*apply)(const std::string& name, const std::string& value, RenderOptions& options, std::string& error);
    // Whether a row of a --batch table may give it in its options column.
    bool batchRow;
    // The heading of the usage section the option is listed under.
    const char* section;
};

const std::vector<OptionSpec>& RenderOptionTable();
// The option named `name` (its long or short name); null when none is.
const OptionSpec* FindRenderOption(const std::string& name);
// The usage text that --help prints, made from the table.
std::string RenderUsage();

// Shared with the checks of options that go together: a path option's value
// (a file name that fits its slot), and whether a container offers a codec
// ("rle" is "rle ").
bool ParsePathValue(const std::string& name, const std::string& value, std::string& path, std::string& error);
bool CodecOffered(const std::string& code, MovieContainer container);
