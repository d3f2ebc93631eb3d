#include "ProgramFixture.h"

#include <QApplication>

void ProgramTest::SetUp() {
    GuiTest::SetUp();
    show_ = CreateShow();
    gShow = show_.get();
    gCurrentFrame = 0;
    window_ = std::make_unique<MainWindow>();
    ASSERT_TRUE(window_->Create());
    ASSERT_NE(window_->Preview(), nullptr);
    ShowAndActivate(*window_);
    DispatchPending();
}

void ProgramTest::TearDown() {
    window_->Destroy();
    window_.reset();
    DestroyShow(*show_);
    gShow = nullptr;
    show_.reset();
    GuiTest::TearDown();
}

void ProgramTest::Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(HandleOf(*window_), key, modifiers);
    DispatchPending();
}

void ProgramTest::Choose(int command) {
    ASSERT_TRUE(ChooseMenuItem(window_->menu, command));
    DispatchPending();
}

void ProgramTest::ClickModeMark(int mode) {
    const Rect& e = window_->previewEdges;
    ClickAt(*window_, e.left - 20, e.bottom + 20 + 17 * mode);
}
