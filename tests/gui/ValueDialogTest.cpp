// The value dialog driven through the queue: radio groups, check boxes,
// sliders, typed text, colour rows and the ways it closes.
#include <QTest>
#include <fstream>
#include <string>

#include "DialogFixture.h"

namespace {

constexpr int kA = 20;  // where the dialogs open
constexpr int kB = 30;

int RowY(int row) {
    return kB + 36 + 20 * row + 8;
}

class ValueDialogTest : public DialogTest {
protected:
    int Run(int count, const char* title = "Options") {
        return RunValueDialog(&owner_, kA, kB, count, labels_, values_, title);
    }
    DialogSlot labels_[12] = {};
    DialogSlot values_[12] = {};
};

TEST_F(ValueDialogTest, RadioGroupKeepsOneMarkAndCheckBoxesToggle) {
    SetSlots(labels_, {"Name", "@RSlows|In & Out", "@RIn", "@ROut", "@CLoop"});
    SetSlots(values_, {"abc", "1", "", "", ""});
    const int x = kA + Widest({"Name", "@RSlows|In & Out", "@RIn", "@ROut", "@CLoop"}) + 20;
    Click(x, RowY(2));
    Click(x, RowY(3));
    Click(x, RowY(4));
    Key(kKeyReturn);
    EXPECT_EQ(Run(5), kDialogOk);
    EXPECT_STREQ(values_[1], "");
    EXPECT_STREQ(values_[2], "");
    EXPECT_STREQ(values_[3], "1");
    EXPECT_STREQ(values_[4], "1");
    EXPECT_STREQ(values_[0], "abc");
    // A second press clears the check box; Escape answers Cancel but the
    // values keep what was clicked.
    Click(x, RowY(4));
    Key(kKeyEscape);
    EXPECT_EQ(Run(5), kDialogCancel);
    EXPECT_STREQ(values_[4], "");
}

TEST_F(ValueDialogTest, PressesOnTheLabelColumnAndAboveTheRowsChangeNothing) {
    SetSlots(labels_, {"@CLoop", "@CBounce"});
    SetSlots(values_, {"", "1"});
    const int w = Widest({"@CLoop", "@CBounce"});
    Click(kA + w + 12, RowY(0));  // the label column's edge
    Click(kA + w + 20, kB + 10);  // the title bar
    Key(kKeyReturn);
    EXPECT_EQ(Run(2), kDialogOk);
    EXPECT_STREQ(values_[0], "");
    EXPECT_STREQ(values_[1], "1");
}

TEST_F(ValueDialogTest, ButtonsAndPressesElsewhereClose) {
    SetSlots(labels_, {"Width", "Height"});
    SetSlots(values_, {"720", "486"});
    const int w = Widest({"Width", "Height"});
    Click(kA + 2 * w - 30, RowY(2));  // OK
    EXPECT_EQ(Run(2), kDialogOk);
    Click(kA + 2 * w - 30, RowY(3));  // Cancel
    EXPECT_EQ(Run(2), kDialogCancel);
    Click(kA + 2 * w + 40, RowY(0));  // right of the box
    EXPECT_EQ(Run(2), kDialogCancel);
    Click(kA + 20, RowY(3));  // Apply, offered by a negative count
    EXPECT_EQ(Run(-2), kDialogApply);
    Click(kA + 20, RowY(3));  // without Apply the same press cancels
    EXPECT_EQ(Run(2), kDialogCancel);
    Post(other_, kMsgLeftDown, 5, 5);
    EXPECT_EQ(Run(2), kDialogCancel);
    // Right presses are not answers.
    Post(owner_, kMsgRightDown, kA + 2 * w - 30, RowY(2));
    Key(kKeyReturn);
    EXPECT_EQ(Run(2), kDialogOk);
}

TEST_F(ValueDialogTest, AWindowClosingCancelsAndIsHandledAfterwards) {
    SetSlots(labels_, {"Width"});
    SetSlots(values_, {"720"});
    PostEvent(&other_, kMsgClose, 0, 0);
    EXPECT_EQ(Run(1), kDialogCancel);
    bool closeWaits = false;
    for (const PlatformEvent& event : TakeAll()) {
        closeWaits = closeWaits || (event.window == &other_ && event.message == kMsgClose);
    }
    EXPECT_TRUE(closeWaits);
}

TEST_F(ValueDialogTest, FolderRowStoresTheChosenFilesFolder) {
    TempFolder folder;
    const std::string picture = folder.File("wall.bmp");
    std::ofstream(picture) << "x";
    SetSlots(labels_, {"@FPictures"});
    SetSlots(values_, {"/somewhere/else/"});
    const int w = Widest({"@FPictures"});
    WhenModal([this, picture](QWidget* modal) {
        AnswerFileDialog(modal, picture);
        Key(kKeyReturn);
    });
    Click(kA + w + 20, RowY(0));
    EXPECT_EQ(Run(1), kDialogOk);
    EXPECT_EQ(std::string(values_[0]), folder.Path() + "/");
    // Cancelling the file chooser keeps the folder.
    WhenModal([this](QWidget* modal) {
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
        Key(kKeyReturn);
    });
    Click(kA + w + 20, RowY(0));
    EXPECT_EQ(Run(1), kDialogOk);
    EXPECT_EQ(std::string(values_[0]), folder.Path() + "/");
}

TEST_F(ValueDialogTest, SliderFollowsThePointerToBothLimits) {
    const char* labels[] = {"Frame Rate", "@SQuality"};
    SetSlots(labels_, {labels[0], labels[1]});
    SetSlots(values_, {"25", "40"});
    const int w = Widest({labels[0], labels[1]});
    const int left = kA + w + 16;
    Press(left, RowY(1));
    Release(left, RowY(1));
    Key(kKeyReturn);
    ASSERT_EQ(Run(2), kDialogOk);
    EXPECT_STREQ(values_[1], "0");
    // Dragged past the right end, then back to the middle and released:
    // moves after the release change nothing.
    Press(left + 3, RowY(1));
    Move(left + 500, RowY(1));
    Move(left + (w - 34) / 2, RowY(1));
    Release(left + (w - 34) / 2, RowY(1));
    Move(left, RowY(1));
    Key(kKeyReturn);
    ASSERT_EQ(Run(2), kDialogOk);
    const int middle = std::stoi(values_[1]);
    EXPECT_GE(middle, 45);
    EXPECT_LE(middle, 50);
    Press(left, RowY(1));
    Move(left - 300, RowY(1));
    Move(left + 1000, RowY(1));
    Key(kKeyReturn);
    ASSERT_EQ(Run(2), kDialogOk);
    EXPECT_STREQ(values_[1], "100");
}

TEST_F(ValueDialogTest, NarrowLabelsLeaveTheSliderOnlyItsLimits) {
    SetSlots(labels_, {"@Sa"});
    SetSlots(values_, {"50"});
    const int w = Widest({"@Sa"});
    ASSERT_LT(w, 35);
    Press(kA + 2 * w + 14, RowY(0));  // inside the box, right of the field's start
    Key(kKeyReturn);
    ASSERT_EQ(Run(1), kDialogOk);
    EXPECT_STREQ(values_[0], "100");
    Press(kA + w + 13, RowY(0));
    Key(kKeyReturn);
    ASSERT_EQ(Run(1), kDialogOk);
    EXPECT_STREQ(values_[0], "0");
}

TEST_F(ValueDialogTest, TypedTextIsKeptOnEnter) {
    SetSlots(labels_, {"Width", "Height"});
    SetSlots(values_, {"720", "486"});
    const int w = Widest({"Width", "Height"});
    Click(kA + w + 20, RowY(1));
    std::string shown;
    WhenTextField([&shown](QLineEdit* field) {
        shown = field->selectedText().toStdString();  // all of it, selected
        QTest::keyClicks(field, "1080");
        QTest::keyClick(field, Qt::Key_Return);
    });
    EXPECT_EQ(Run(2), kDialogOk);
    EXPECT_EQ(shown, "486");
    EXPECT_STREQ(values_[1], "1080");
    EXPECT_STREQ(values_[0], "720");
    EXPECT_EQ(WidgetOf(owner_)->findChild<QLineEdit*>(), nullptr);  // the field is gone
}

TEST_F(ValueDialogTest, EscapeInTheTextFieldCancelsAndKeepsTheText) {
    SetSlots(labels_, {"Width"});
    SetSlots(values_, {"720"});
    const int w = Widest({"Width"});
    Click(kA + w + 20, RowY(0));
    WhenTextField([](QLineEdit* field) {
        QTest::keyClicks(field, "576");
        QTest::keyClick(field, Qt::Key_Escape);
    });
    EXPECT_EQ(Run(1), kDialogCancel);
    EXPECT_STREQ(values_[0], "576");
}

TEST_F(ValueDialogTest, TypedTextIsKeptWhenAnotherWindowIsPressed) {
    SetSlots(labels_, {"Width", "Height"});
    SetSlots(values_, {"720", "486"});
    const int w = Widest({"Width", "Height"});
    Click(kA + w + 20, RowY(0));
    WhenTextField([this](QLineEdit* field) {
        QTest::keyClicks(field, "1920");
        Post(other_, kMsgLeftDown, 10, 10);
    });
    EXPECT_EQ(Run(2), kDialogCancel);
    EXPECT_STREQ(values_[0], "1920");
}

TEST_F(ValueDialogTest, PressOnAnotherRowStoresTheTextAndGoesOn) {
    SetSlots(labels_, {"Width", "@CFields"});
    SetSlots(values_, {"720", ""});
    const int w = Widest({"Width", "@CFields"});
    Click(kA + w + 20, RowY(0));
    WhenTextField([this, w](QLineEdit* field) {
        QTest::keyClicks(field, "640");
        Click(kA + w + 20, RowY(1));
        Key(kKeyEscape);
    });
    EXPECT_EQ(Run(2), kDialogCancel);
    EXPECT_STREQ(values_[0], "640");
    EXPECT_STREQ(values_[1], "1");
}

TEST_F(ValueDialogTest, ColourRowRunsTheChooserAndStoresTheNumber) {
    SetSlots(labels_, {"@LColor", "@LOther"});
    SetSlots(values_, {"255", "not a colour"});
    SetColorChooserMode(kChooserRgb);
    const int w = Widest({"@LColor", "@LOther"});
    Press(kA + w + 20, RowY(0));  // opens the chooser at the dialog's corner
    const int cx = kA + 115;
    Click(cx, kB + 40 + 111 + 9);  // the grey ramp's middle: 128
    Click(cx + 75, kB + 210);      // OK
    Key(kKeyReturn);
    EXPECT_EQ(Run(2), kDialogOk);
    EXPECT_STREQ(values_[0], std::to_string(0x808080).c_str());
    // A value that is no number edits black; Cancel keeps it black.
    Press(kA + w + 20, RowY(1));
    Key(kKeyEscape);  // the chooser
    Key(kKeyEscape);  // the dialog
    EXPECT_EQ(Run(2), kDialogCancel);
    EXPECT_STREQ(values_[1], "0");
}

TEST_F(ValueDialogTest, DrawsItsBoxTitleAndButtons) {
    SetSlots(labels_, {"Width", "@CFields", "@SQuality", "@LColor"});
    SetSlots(values_, {"720", "1", "50", "255"});
    const int w = Widest({"Width", "@CFields", "@SQuality", "@LColor"});
    Key(kKeyEscape);
    Run(4);
    PlatformPort port = WindowPort(owner_);
    const int right = kA + 2 * w + 16;
    const int bottom = kB + 20 * 4 + 78;
    EXPECT_EQ(PortPixel(port, kA, kB + 40), 0xFFFFFFu);                                    // bevel, left
    EXPECT_EQ(PortPixel(port, right - 1, kB + 40), 0x404040u);                             // bevel, right
    EXPECT_EQ(PortPixel(port, kA + 40, bottom - 2), 0xC0C0C0u);                            // fill
    EXPECT_EQ(PortPixel(port, kA + 10, kB + 16), 0x000000u);                               // title bar
    EXPECT_EQ(PortPixel(port, kA + w + 30, RowY(3)), 0x0000FFu);                           // the colour row, red
    EXPECT_EQ(PortPixel(port, kA + 2 * w, RowY(0)), 0xFFFFFFu);                            // the text field
    EXPECT_EQ(PortPixel(port, right + 2, kB + 40), PortPixel(port, right + 40, kB + 40));  // nothing outside
}

}  // namespace

namespace {

// Every row and button of a dialog asked for near the owner's lower right
// corner is inside the owner: the box moves up and left, whatever its rows.
TEST_F(ValueDialogTest, TheBoxMovesInsideTheOwnerForAnyRowCount) {
    const Rect client = GetClientRect(owner_);
    for (int rows : {2, 9, 11, 12}) {
        SCOPED_TRACE(rows);
        for (int k = 0; k < rows; ++k) {
            std::snprintf(labels_[k], kDialogSlotSize, "Row %d", k);
            std::snprintf(values_[k], kDialogSlotSize, "%d", k);
        }
        const Rect box = ValueDialogBox(owner_, client.right - 10, client.bottom - 10, rows, labels_, "Options");
        EXPECT_GE(box.left, 0);
        EXPECT_GE(box.top, 0);
        EXPECT_LE(box.right, client.right);
        EXPECT_LE(box.bottom, client.bottom);
        EXPECT_EQ(box.bottom - box.top, 20 * rows + 78);
        // OK is the first button row, at the box's right.
        const int okY = box.top + 36 + 20 * rows + 8;
        Click(box.right - 68 + 30, okY);
        EXPECT_EQ(RunValueDialog(&owner_, client.right - 10, client.bottom - 10, rows, labels_, values_, "Options"),
                  kDialogOk);
        Key(kKeyReturn);
        EXPECT_EQ(RunValueDialog(&owner_, client.right - 10, client.bottom - 10, rows, labels_, values_, "Options"),
                  kDialogOk);
    }
}

// A title wider than the rows widens the box; the rows stay where they are.
TEST_F(ValueDialogTest, ALongTitleWidensTheBox) {
    SetSlots(labels_, {"Width", "Height"});
    SetSlots(values_, {"720", "486"});
    const char* title = "Set KeyFrame Options - Key 12 at 00:10:00:00";
    const Rect narrow = ValueDialogBox(owner_, kA, kB, 2, labels_, "W");
    const Rect wide = ValueDialogBox(owner_, kA, kB, 2, labels_, title);
    EXPECT_EQ(narrow.right - narrow.left, 2 * Widest({"Width", "Height"}) + 16);
    EXPECT_GE(wide.right - wide.left, Widest({title}) + 24);
    Click(wide.right - 68 + 30, RowY(2));  // OK at the wide box's right
    EXPECT_EQ(Run(2, title), kDialogOk);
}

}  // namespace
