// The drawn dialogs under test: an owner window for them to draw into,
// another window to press in, and helpers that queue pointer and key
// messages for the dialog's loop to take.
#pragma once

#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <memory>

#include "Dialogs.h"
#include "GuiSupport.h"

class DialogTest : public GuiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void Press(int x, int y) { Post(owner_, kMsgLeftDown, x, y); }
    void Release(int x, int y) { Post(owner_, kMsgLeftUp, x, y); }
    void Move(int x, int y) { Post(owner_, kMsgMouseMove, x, y); }
    void Click(int x, int y) {
        Press(x, y);
        Release(x, y);
    }
    void Key(uint32_t key) { PostEvent(&owner_, kMsgKeyDown, key, 0); }
    void Post(PlatformWindow& window, uint32_t message, int x, int y);
    // Calls `act` with the dialog's text field once it is shown.
    void WhenTextField(std::function<void(QLineEdit*)> act);

    // The widest of the labels in the dialogs' 10-pixel font.
    static int Widest(std::initializer_list<const char*> labels);

    PlatformWindow owner_;
    PlatformWindow other_;
    // Ends a dialog that waits for more than a test gives it.
    std::unique_ptr<QTimer> watchdog_;
};

// Fills the dialog's parallel arrays.
void SetSlots(DialogSlot* items, std::initializer_list<const char*> texts);
