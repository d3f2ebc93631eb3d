// The show document: the record, evaluation, keyframe editing, the show file,
// data import and the background source. Include this to use any of them.
#pragma once

#include "Background.h"
#include "DataImport.h"
#include "DemoShow.h"
#include "Evaluate.h"
#include "KeyEdit.h"
#include "ShowFile.h"
#include "ShowRecord.h"
