// The manual pages tavrilo-render(1) and tavrilo(1) and the bash completion
// of tavrilo-render, made from the option table so that they list exactly
// the options the program takes. The build writes them with
// tavrilo-render-docs; the installation puts them in place.
#pragma once

#include <string>

#include "OptionTable.h"

// tavrilo-render(1) in man(7) markup.
std::string RenderManPage();
// tavrilo(1), the desktop program, in man(7) markup.
std::string DesktopManPage();
// A bash completion script for tavrilo-render.
std::string RenderBashCompletion();

// What the completion offers for an option's value.
enum class ValueCompletion {
    None,     // a number, a timecode, a size: nothing to offer
    Choices,  // the words of the value ("ntsc|pal|film")
    Codecs,   // the four-character codes the movie writers offer
    Files,    // any file
    Shows,    // .tvr files
    Tables,   // .tsv files
};
ValueCompletion CompletionOf(const OptionSpec& option);
