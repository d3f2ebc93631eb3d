// What the editor windows ask of the window that owns them (the main
// window): the preview's, the tabs' and the timeline's needs in one.
#pragma once

#include "PreviewWindow.h"
#include "TabsWindow.h"
#include "TimelineWindow.h"

class EditorOwner : public PreviewOwner, public TabsOwner, public TimelineOwner {};
