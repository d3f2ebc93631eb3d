// The built-in demo show: a bar chart of four sets of eight categories
// that moves, spins, tilts and morphs from set 1 to set 2 over ten seconds.
#pragma once

#include "ShowRecord.h"

void MakeDemoShow(Show& show);
