// The show as JSON: its stored fields (--info) and the values of one
// evaluated frame (--eval).
#pragma once

#include <string>

#include "ShowRecord.h"

// The show's stored fields, after "program": "tavrilo-render VERSION".
std::string ShowInfoJson(const Show& show);
// The show's evaluated state at the current frame.
std::string FrameJson(const Show& show);
