#include "DialogFixture.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>

void DialogTest::SetUp() {
    GuiTest::SetUp();
    ASSERT_TRUE(CreatePlatformWindow(owner_, nullptr, kWindowOverlapped));
    MoveWindowTo(owner_, 10, 10, 650, 490, true);
    ASSERT_TRUE(CreatePlatformWindow(other_, nullptr, kWindowOverlapped));
    MoveWindowTo(other_, 700, 10, 900, 200, true);
    ShowAndActivate(other_);
    ShowAndActivate(owner_);
    TakeAll();
    watchdog_ = std::make_unique<QTimer>();
    watchdog_->setSingleShot(true);
    QObject::connect(watchdog_.get(), &QTimer::timeout, [this]() {
        ADD_FAILURE() << "the dialog was still open";
        PostEvent(&owner_, kMsgKeyDown, kKeyEscape, 0);
    });
    watchdog_->start(10000);
}

void DialogTest::TearDown() {
    watchdog_.reset();
    DestroyPlatformWindow(other_);
    DestroyPlatformWindow(owner_);
    GuiTest::TearDown();
}

void DialogTest::Post(PlatformWindow& window, uint32_t message, int x, int y) {
    PostEvent(&window, message,
              message == kMsgMouseMove || message == kMsgLeftDown ? uintptr_t{kMouseLeft} : uintptr_t{0},
              MakePointParam(x, y));
}

void DialogTest::WhenTextField(std::function<void(QLineEdit*)> act) {
    auto poll = std::make_shared<std::function<void()>>();
    QWidget* widget = WidgetOf(owner_);
    *poll = [act, poll, widget]() {
        if (QLineEdit* field = widget->findChild<QLineEdit*>(); field && field->isVisible()) {
            act(field);
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(10, *poll);
}

int DialogTest::Widest(std::initializer_list<const char*> labels) {
    SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
    int widest = 0;
    for (const char* label : labels) {
        widest = std::max(widest, TextWidth(label));
    }
    SelectFont(nullptr, -1, -1);
    return widest;
}

void SetSlots(DialogSlot* items, std::initializer_list<const char*> texts) {
    int k = 0;
    for (const char* text : texts) {
        std::snprintf(items[k++], kDialogSlotSize, "%s", text);
    }
}
