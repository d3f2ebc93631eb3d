// A running program for the GUI tests: the show and the main window with
// its preview, built as the entry builds them, on the offscreen platform.
#pragma once

#include <QTest>
#include <memory>

#include "Doc.h"
#include "GuiSupport.h"
#include "MainWindow.h"

class ProgramTest : public GuiTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Types a key into the main window and handles what it queued.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Chooses a menu item and handles the command.
    void Choose(int command);
    Show& TheShow() { return *show_; }
    MainWindow& Window() { return *window_; }
    PreviewWindow& Preview() { return *window_->Preview(); }
    // The client point of a mode mark (0 move, 1 spin, 2 edit data).
    void ClickModeMark(int mode);

    std::unique_ptr<Show> show_;
    std::unique_ptr<MainWindow> window_;
};
