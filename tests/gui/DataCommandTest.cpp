// The data and file commands with their dialogs: data from a file, the
// clipboard and a stream file, New Show's question, and the background.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include "ProgramFixture.h"
#include "Settings.h"

namespace {

TEST_F(ProgramTest, LoadDataFromFileImportsAtTheSelectedCell) {
    TempFolder folder;
    const std::string path = folder.File("table.txt");
    ASSERT_TRUE(WriteText(path, "\tNorth\tSouth\nJan\t1.5\t2\nFeb\t3\t4\n"));
    WhenModal([path](QWidget* modal) { AnswerFileDialog(modal, path); });
    Choose(kCmdLoadData);
    EXPECT_STREQ(TheShow().setNames[0], "North");
    EXPECT_STREQ(TheShow().labels[1], "Feb");
    EXPECT_FLOAT_EQ(TheShow().values[1][1], 4.0f);
    EXPECT_EQ(ReadSettingString("InitialFolder", "none"), "none");  // data files leave the folder alone
}

TEST_F(ProgramTest, ClipboardDataGoesIntoTheOpenGrid) {
    ClickModeMark(2);
    ASSERT_TRUE(Preview().EditingData());
    // Select column B, row 2 and paste a two-by-two block there.
    const int cw = (GetClientRect(Preview()).right - 24) / 5;
    ClickAt(Preview(), cw * 2 + 10, 19 + 14 * 2 + 6);
    QApplication::clipboard()->setText(QStringLiteral("7\t8\n9\t10\n"));
    Choose(kCmdClipboardData);
    EXPECT_TRUE(Preview().EditingData());
    EXPECT_FLOAT_EQ(TheShow().values[1][1], 7.0f);
    EXPECT_FLOAT_EQ(TheShow().values[2][2], 10.0f);
    EXPECT_STREQ(Preview().grid.cells[2][2], "7");
    EXPECT_STREQ(Preview().grid.cells[3][3], "10");
}

TEST_F(ProgramTest, StreamDataAsksForTheInterval) {
    TempFolder folder;
    const std::string path = folder.File("stream.txt");
    ASSERT_TRUE(WriteText(path, "1\t2\n3\t4\n5\t6\n"));
    QString prompt;
    WhenModal([path, &prompt](QWidget* modal) {
        AnswerFileDialog(modal, path);
        WhenModal([&prompt](QWidget* dialog) {
            prompt = dialog->windowTitle();
            auto* field = dialog->findChild<QLineEdit*>();
            EXPECT_EQ(field->text().toStdString(), "30");
            field->setText(QStringLiteral("10"));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
    });
    Choose(kCmdLoadStream);
    EXPECT_EQ(prompt.toStdString(), "Load Stream");
    EXPECT_EQ(TheShow().streamColumns, 2);
    EXPECT_FLOAT_EQ(TheShow().streamInterval, 10.0f);
}

TEST_F(ProgramTest, NewShowAsksAboutChangesAndCancelKeepsThem) {
    std::snprintf(TheShow().title, sizeof(TheShow().title), "Keep me");
    TheShow().modified = 1;
    QString caption;
    WhenModal([&caption](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        caption = box->windowTitle();
        box->button(QMessageBox::Cancel)->click();
    });
    Choose(kCmdNewShow);
    EXPECT_EQ(caption.toStdString(), "New Show");
    EXPECT_STREQ(TheShow().title, "Keep me");
    WhenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
    Choose(kCmdNewShow);
    EXPECT_STRNE(TheShow().title, "Keep me");
    EXPECT_EQ(gCurrentFrame, 0);
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo");
}

TEST_F(ProgramTest, CancellingLoadBackgroundRemovesTheBackground) {
    std::snprintf(TheShow().background.name, sizeof(TheShow().background.name), "/somewhere/old.bmp");
    WhenModal([](QWidget* modal) { QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection); });
    Choose(kCmdLoadBackground);
    EXPECT_STREQ(TheShow().background.name, "");
}

TEST_F(ProgramTest, LoadBackgroundRemembersTheFolderOfTheChosenFile) {
    TempFolder folder;
    const std::string path = folder.File("broken.bmp");
    ASSERT_TRUE(WriteText(path, "not a picture"));
    std::snprintf(TheShow().background.name, sizeof(TheShow().background.name), "/somewhere/old.bmp");
    QString message;
    WhenModal([path, &message](QWidget* chooser) {
        AnswerFileDialog(chooser, path);
        WhenModal([&message](QWidget* box) {
            if (auto* shown = qobject_cast<QMessageBox*>(box)) {
                message = shown->text();
                shown->accept();
            }
        });
    });
    Choose(kCmdLoadBackground);
    EXPECT_FALSE(message.isEmpty());  // the unreadable picture is reported
    EXPECT_STREQ(TheShow().background.name, "/somewhere/old.bmp");
    // The next chooser starts where the user went, whatever the file held.
    EXPECT_EQ(ReadSettingString("InitialFolder", ""), folder.Path() + "/");
}

TEST_F(ProgramTest, TheCharacterOfThePlayKeyDoesNotRestartPlayback) {
    MakeDemoShow(TheShow());
    QWindow* handle = HandleOf(Window());
    QTimer::singleShot(300, [handle]() { QTest::keyClick(handle, Qt::Key_K); });
    Press(Qt::Key_L);
    const int32_t stoppedAt = gCurrentFrame;
    EXPECT_GT(stoppedAt, 0);
    DispatchPending();
    EXPECT_EQ(gCurrentFrame, stoppedAt);
    EXPECT_EQ(Window().playback.direction, 0);
}

TEST_F(ProgramTest, TransportButtonsPressAndAddKeys) {
    const Rect add = Window().buttons[kButtonAddKey].rect;
    QTest::mousePress(HandleOf(Window()), Qt::LeftButton, Qt::NoModifier,
                      ClientToWindow(Window(), add.left + 5, add.top + 5));
    DispatchPending();
    EXPECT_EQ(Window().buttons[kButtonAddKey].state, ToolButton::kPressed);
    ShowFrame(TheShow(), 60);
    QTest::mouseRelease(HandleOf(Window()), Qt::LeftButton, Qt::NoModifier,
                        ClientToWindow(Window(), add.left + 5, add.top + 5));
    DispatchPending();
    EXPECT_EQ(Window().buttons[kButtonAddKey].state, ToolButton::kNormal);
    EXPECT_EQ(TheShow().keyCount, 2);
    EXPECT_EQ(TheShow().keys[1].frame, 60);
}

TEST_F(ProgramTest, ImportedDataShowsAtOnce) {
    TheShow().animateData = 1;
    ShowFrame(TheShow(), 0);
    TempFolder folder;
    const std::string path = folder.File("table.txt");
    ASSERT_TRUE(WriteText(path, "\tA\tB\tC\tD\nJan\t61\t62\t63\t64\n"));
    WhenModal([path](QWidget* modal) { AnswerFileDialog(modal, path); });
    Choose(kCmdLoadData);
    const float loaded = TheShow().currentValues[0];
    EXPECT_TRUE(loaded >= 61.0f && loaded <= 64.0f) << loaded;

    QApplication::clipboard()->setText(QStringLiteral("\tA\tB\tC\tD\nJan\t71\t72\t73\t74\n"));
    Choose(kCmdClipboardData);
    const float pasted = TheShow().currentValues[0];
    EXPECT_TRUE(pasted >= 71.0f && pasted <= 74.0f) << pasted;
}

TEST_F(ProgramTest, AButtonReleasedAwayFromItRests) {
    const Rect add = Window().buttons[kButtonAddKey].rect;
    const int keys = TheShow().keyCount;
    QTest::mousePress(HandleOf(Window()), Qt::LeftButton, Qt::NoModifier,
                      ClientToWindow(Window(), add.left + 5, add.top + 5));
    DispatchPending();
    ASSERT_EQ(Window().buttons[kButtonAddKey].state, ToolButton::kPressed);
    QTest::mouseRelease(HandleOf(Window()), Qt::LeftButton, Qt::NoModifier,
                        ClientToWindow(Window(), add.left - 40, add.top - 60));
    DispatchPending();
    EXPECT_EQ(Window().buttons[kButtonAddKey].state, ToolButton::kNormal);
    EXPECT_EQ(TheShow().keyCount, keys);  // released away: nothing happens
}

}  // namespace
