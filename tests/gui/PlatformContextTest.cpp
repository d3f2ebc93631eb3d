// The Qt platform keeps everything in one context: shutting down removes it
// and puts back the platform installed before, starting again makes a fresh
// one.
#include <QApplication>

#include "GuiSupport.h"
#include "HeadlessPlatform.h"
#include "TestSupport.h"

namespace {

class PlatformContextTest : public GuiTest {};

TEST_F(PlatformContextTest, AWholeContextIsMadeAndDestroyed) {
    ScopedSettings settings;  // shutting down saves the settings
    Platform* qt = &CurrentPlatform();
    EXPECT_EQ(dynamic_cast<HeadlessPlatform*>(qt), nullptr);
    SetCursorKind(kCursorTextBeam);
    SelectFont(UiFont(kUiFont20), -1, -1);
    PostEvent(nullptr, kMsgCommand, 7, 0);

    PlatformShutdown();
    EXPECT_NE(&CurrentPlatform(), qt);
    EXPECT_NE(dynamic_cast<HeadlessPlatform*>(&CurrentPlatform()), nullptr);
    EXPECT_STREQ(ApplicationName(), "");
    EXPECT_EQ(PendingEventCount(), 0);
    EXPECT_EQ(UiFont(kUiFont12), nullptr);

    PlatformInit("Second", kProgramIcon);
    EXPECT_STREQ(ApplicationName(), "Second");
    EXPECT_EQ(CurrentCursorKind(), kCursorArrow);
    EXPECT_EQ(PendingEventCount(), 0);
    EXPECT_EQ(ListedWindowCount(), 0);
    EXPECT_NE(UiFont(kUiFont12), nullptr);
    EXPECT_EQ(dynamic_cast<HeadlessPlatform*>(&CurrentPlatform()), nullptr);

    PlatformShutdown();
    PlatformInit("Tavrilo", kProgramIcon);
}

}  // namespace
