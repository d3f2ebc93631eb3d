// The main window: start-up state, the menus, the keyboard table, the
// frame-rate and aspect commands, the title and the close question.
#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <cmath>
#include <functional>

#include "ProgramFixture.h"
#include "Settings.h"
#include "Utilities.h"

namespace {

int32_t MenuState(MainWindow& window, int command) {
    std::string text;
    int32_t options = -1;
    EXPECT_TRUE(GetMenuItemState(window.menu, command, text, options)) << command;
    return options;
}

// Three keys at 0, 100 and 200.
void ThreeKeys(Show& show) {
    for (int k = 0; k < 3; ++k) {
        show.keys[k] = KeyFrame{};
        show.keys[k].width = show.keys[k].height = 1.0f;
        show.keys[k].frame = 100 * k;
    }
    show.keyCount = 3;
}

TEST_F(ProgramTest, StartUpBuildsEveryWindowAndMenuItemInItsState) {
    EXPECT_EQ(gMainWindow, &Window());
    EXPECT_EQ(TheShow().views, &Window());  // the main window answers for its editors
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo");
    EXPECT_EQ(MenuTitles(Window().menu), (std::vector<std::string>{"File", "Edit", "Options", "Render", "Help"}));
    EXPECT_EQ(MenuCommands(Window().menu, 0),
              (std::vector<int>{2005, 2004, 2003, 1013, -1, 1011, 1014, 1012, 1010, -1, 1015, 1016, 1017, -1, 2001}));
    EXPECT_EQ(MenuCommands(Window().menu, 1), (std::vector<int>{9004, 9005, -1, 9001, 9000, 9002, 9003}));
    EXPECT_EQ(MenuCommands(Window().menu, 2), (std::vector<int>{1001, 1002, 1040}));
    EXPECT_EQ(MenuCommands(Window().menu, 3), (std::vector<int>{1030, -1, 1031, 1032, -1}));
    EXPECT_EQ(MenuCommands(Window().menu, 4), (std::vector<int>{1020, 1024}));
    EXPECT_EQ(MenuState(Window(), kCmdNtsc), kMenuChecked);
    EXPECT_EQ(MenuState(Window(), kCmdPal), 0);
    EXPECT_EQ(MenuState(Window(), kCmdFilm), 0);
    for (int command : {9001, 9002, 9003, 9004, 9005}) {
        EXPECT_EQ(MenuState(Window(), command), kMenuGreyed) << command;
    }
    // The timeline's cursor stands on the first key: it may be copied.
    EXPECT_EQ(MenuState(Window(), kCmdCopy), 0);
    EXPECT_EQ(MenuState(Window(), kCmdShowTVSafe), 0);
    EXPECT_EQ(MenuState(Window(), kCmdDrawFast), kMenuChecked);
    EXPECT_EQ(MenuState(Window(), kCmdWatchData), 0);
    EXPECT_EQ(MenuState(Window(), kCmdFieldSwap), 0);
    EXPECT_EQ(MenuState(Window(), kCmdAspect43), kMenuChecked);
    EXPECT_EQ(MenuState(Window(), kCmdAspect169), 0);
    std::string text;
    int32_t options = 0;
    GetMenuItemState(Window().menu, kCmdSaveShow, text, options);
    EXPECT_EQ(text, "Save Show\tCtrl+S");
    EXPECT_EQ(TheShow().lengthFrames, 17980);
    EXPECT_EQ(Preview().mode, PreviewMode::SpinChart);
}

TEST_F(ProgramTest, PreviewKeepsTheShowAspectInsideTheWindow) {
    const Rect main = GetWindowRect(Window());
    const Rect preview = GetWindowRect(Preview());
    const double aspect = double(preview.bottom - preview.top) / (preview.right - preview.left);
    EXPECT_NEAR(aspect, 0.75, 0.01);
    EXPECT_LE(preview.right, main.right);
    EXPECT_GE(preview.top, main.top + MenuBarHeight());
    Choose(kCmdAspect169);
    const Rect wide = GetWindowRect(Preview());
    EXPECT_NEAR(double(wide.bottom - wide.top) / (wide.right - wide.left), 0.5625, 0.01);
    EXPECT_FLOAT_EQ(TheShow().frameAspect, 0.5625f);
    EXPECT_EQ(ReadSettingInt("AspectMode", 0), 5625);
    EXPECT_EQ(MenuState(Window(), kCmdAspect169), kMenuChecked);
    EXPECT_EQ(MenuState(Window(), kCmdAspect43), 0);
}

TEST(PreviewLayout, ShrinksBelowTheMenuBarAndNeverGoesNegative) {
    const Rect tall = PreviewRectangle(Rect{0, 0, 900, 700}, 0.75f, 20, 20, 16);
    EXPECT_EQ(tall.right, 900 - 30);
    EXPECT_EQ(tall.right - tall.left, 630);
    EXPECT_EQ(tall.bottom, 700 - 30 - 16 - 88);
    const Rect shortWindow = PreviewRectangle(Rect{0, 0, 900, 400}, 0.75f, 20, 20, 16);
    EXPECT_GE(shortWindow.top, 900 / 20 + 40);
    EXPECT_LT(shortWindow.right - shortWindow.left, 630);
    const Rect tiny = PreviewRectangle(Rect{0, 0, 900, 150}, 0.75f, 20, 20, 16);
    EXPECT_GE(tiny.right - tiny.left, 0);
    EXPECT_GE(tiny.bottom - tiny.top, 0);
}

TEST_F(ProgramTest, EnterSetsAKeyAndMovesOneSecondOn) {
    ShowFrame(TheShow(), 100);
    Press(Qt::Key_Return);
    ASSERT_EQ(TheShow().keyCount, 2);
    EXPECT_EQ(TheShow().keys[1].frame, 100);
    EXPECT_EQ(gCurrentFrame, 130);
    EXPECT_EQ(MenuState(Window(), kCmdUndo), 0);  // the Edit menu follows
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(TheShow().keyCount, 1);
    EXPECT_EQ(MenuState(Window(), kCmdRedo), 0);
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(TheShow().keyCount, 2);
}

TEST_F(ProgramTest, TabJumpsToTheNextKeyAndWrapsToTheStart) {
    ThreeKeys(TheShow());
    Press(Qt::Key_Tab);
    EXPECT_EQ(gCurrentFrame, 100);
    Press(Qt::Key_Tab);
    EXPECT_EQ(gCurrentFrame, 200);
    Press(Qt::Key_Tab);
    EXPECT_EQ(gCurrentFrame, 0);
}

TEST_F(ProgramTest, HomeEndPlusAndMinusMoveTheFrame) {
    ThreeKeys(TheShow());
    Press(Qt::Key_End);
    EXPECT_EQ(gCurrentFrame, 200);
    Press(Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(gCurrentFrame, 201);
    Press(Qt::Key_Minus);
    Press(Qt::Key_Minus);
    EXPECT_EQ(gCurrentFrame, 199);
    Press(Qt::Key_Home);
    EXPECT_EQ(gCurrentFrame, 0);
    Press(Qt::Key_Minus);
    EXPECT_EQ(gCurrentFrame, 0);
    Press(Qt::Key_NumberSign, Qt::ShiftModifier);  // "#" acts as End
    EXPECT_EQ(gCurrentFrame, 200);
    Press(Qt::Key_Dollar, Qt::ShiftModifier);  // "$" acts as Home
    EXPECT_EQ(gCurrentFrame, 0);
}

TEST_F(ProgramTest, DeleteRemovesTheSelectedKeyOnce) {
    ThreeKeys(TheShow());
    TheShow().selectedKey = 1;
    Press(Qt::Key_Delete);
    EXPECT_EQ(TheShow().keyCount, 2);
    EXPECT_EQ(TheShow().keys[1].frame, 200);
    TheShow().selectedKey = 1;
    Press(Qt::Key_Backspace);
    EXPECT_EQ(TheShow().keyCount, 1);
    TheShow().selectedKey = 0;  // the first key is never removed
    Press(Qt::Key_Delete);
    EXPECT_EQ(TheShow().keyCount, 1);
    EXPECT_EQ(MenuState(Window(), kCmdCopy), 0);
    EXPECT_EQ(MenuState(Window(), kCmdCut), kMenuGreyed);
}

TEST_F(ProgramTest, CopyAndPasteThroughControlKeys) {
    ThreeKeys(TheShow());
    TheShow().selectedKey = 2;
    TheShow().keys[2].spin = 45.0f;
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(TheShow().clipKey.frame, 200);
    EXPECT_EQ(MenuState(Window(), kCmdPaste), 0);
    Press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(TheShow().keyCount, 2);
}

TEST_F(ProgramTest, FrameRateItemsCheckWriteAndRedrawTheReadout) {
    Window().Paint();
    const Rect client = GetClientRect(Window());
    const int32_t u = (GetWindowRect(Window()).right - GetWindowRect(Window()).left) / 30;
    const Rect rateArea{client.right - u - 120, client.bottom - u / 2 - 4, client.right - u, client.bottom - u / 2 + 8};
    PlatformPort port = WindowPort(Window());
    std::vector<uint32_t> before;
    for (int x = rateArea.left; x < rateArea.right; ++x) {
        for (int y = rateArea.top; y < rateArea.bottom; ++y) {
            before.push_back(PortPixel(port, x, y));
        }
    }
    EXPECT_GT(CountPixels(port, rateArea, 0x000000) + CountOtherPixels(port, rateArea, 0x000000), 0);
    Choose(kCmdPal);
    EXPECT_EQ(TheShow().frameRate, 2500);
    EXPECT_EQ(ReadSettingInt("FrameRate", 0), 2500);
    EXPECT_EQ(MenuState(Window(), kCmdPal), kMenuChecked);
    EXPECT_EQ(MenuState(Window(), kCmdNtsc), 0);
    EXPECT_EQ(TheShow().lengthFrames, 17980);  // kept from start-up
    int changed = 0;
    size_t i = 0;
    for (int x = rateArea.left; x < rateArea.right; ++x) {
        for (int y = rateArea.top; y < rateArea.bottom; ++y) {
            changed += PortPixel(port, x, y) != before[i++] ? 1 : 0;
        }
    }
    EXPECT_GT(changed, 10);  // "25.00 fps" replaced "29.97 fps"
    Choose(kCmdNtsc);
    EXPECT_EQ(TheShow().frameRate, 2997);
}

TEST_F(ProgramTest, OptionsToggleAndPersist) {
    Choose(kCmdShowTVSafe);
    EXPECT_EQ(Preview().showTVSafe, 1);
    EXPECT_EQ(MenuState(Window(), kCmdShowTVSafe), kMenuChecked);
    EXPECT_EQ(ReadSettingInt("ShowTVSafe", 0), 1);
    // The overlay: white outlines over the black chart area.
    const Rect client = GetClientRect(Preview());
    const int32_t inset = static_cast<int32_t>(0.048 * client.right);
    EXPECT_EQ(PortPixel(WindowPort(Preview()), inset, client.bottom / 2), 0xFFFFFFu);
    Choose(kCmdDrawFast);
    EXPECT_EQ(Preview().drawFast, 0);
    EXPECT_EQ(ReadSettingInt("DrawFast", 1), 0);
    // The rate read-out at the bottom right grows " / Field order swapped"
    // to the left of "29.97 fps".
    Window().Paint();
    const Rect main = GetClientRect(Window());
    const int32_t u = (GetWindowRect(Window()).right - GetWindowRect(Window()).left) / 30;
    const Rect rateArea{main.right - u - 200, main.bottom - u / 2 - 6, main.right - u - 70, main.bottom - u / 2 + 10};
    PlatformPort port = WindowPort(Window());
    auto snapshot = [&]() {
        std::vector<uint32_t> pixels;
        for (int y = rateArea.top; y < rateArea.bottom; ++y) {
            for (int x = rateArea.left; x < rateArea.right; ++x) {
                pixels.push_back(PortPixel(port, x, y));
            }
        }
        return pixels;
    };
    auto differing = [](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        int count = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            count += a[i] != b[i] ? 1 : 0;
        }
        return count;
    };
    const std::vector<uint32_t> plain = snapshot();
    Choose(kCmdFieldSwap);
    EXPECT_EQ(TheShow().fieldSwap, 1);
    EXPECT_EQ(ReadSettingInt("FieldSwap", 0), 1);
    EXPECT_EQ(MenuState(Window(), kCmdFieldSwap), kMenuChecked);
    EXPECT_GT(differing(plain, snapshot()), 20);
    Choose(kCmdFieldSwap);
    EXPECT_EQ(ReadSettingInt("FieldSwap", 1), 0);
    EXPECT_EQ(MenuState(Window(), kCmdFieldSwap), 0);
    EXPECT_EQ(differing(plain, snapshot()), 0);
}

TEST_F(ProgramTest, TitleCarriesTheShowName) {
    EXPECT_EQ(MainWindowTitle("/home/me/shows/my.chart.tvr"), "Quillon Tavrilo - my");
    EXPECT_EQ(MainWindowTitle(nullptr), "Quillon Tavrilo");
    Window().ShowTitle("/tmp/Budget.tvr");
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - Budget");
}

// An unsaved show has "*" before its name in the title; Save says so in
// the status read-out until the show changes again.
TEST_F(ProgramTest, TheTitleMarksAnUnsavedShowAndSaveSaysSaved) {
    EXPECT_EQ(MainWindowTitle("/shows/budget.tvr", true), "Quillon Tavrilo - *budget");
    EXPECT_EQ(MainWindowTitle(nullptr, true), "Quillon Tavrilo - *Untitled");
    ShowFrame(TheShow(), 100);
    Press(Qt::Key_Return);  // a key: the show changes
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - *Untitled");
    TempFolder folder;
    const std::string path = folder.File("budget.tvr");
    WhenModal([path](QWidget* modal) { AnswerFileDialog(modal, path); });
    Choose(kCmdSaveShow);
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - budget");
    EXPECT_EQ(Window().StatusText(), "Saved budget.tvr");
    Press(Qt::Key_Return);
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - *budget");
    EXPECT_EQ(Window().StatusText(), "");
    Press(Qt::Key_S, Qt::ControlModifier);  // quick save says it too
    EXPECT_EQ(Window().StatusText(), "Saved budget.tvr");
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - budget");
}

TEST_F(ProgramTest, QuickSaveWritesSilentlyAndKeepsTheFrame) {
    TempFolder folder;
    const std::string path = folder.File("quick.tvr");
    TheShow().showFile = MakeFileSpec(path.c_str());
    ShowFrame(TheShow(), 42);
    TheShow().modified = 1;
    Press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_GT(ReadBytes(path).size(), 5000u);
    EXPECT_EQ(gCurrentFrame, 42);
    EXPECT_EQ(TheShow().modified, 0);
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - quick");
}

TEST_F(ProgramTest, SaveAndLoadThroughTheFileDialogs) {
    TempFolder folder;
    const std::string path = folder.File("round.tvr");
    std::snprintf(TheShow().title, sizeof(TheShow().title), "Round trip");
    WhenModal([path](QWidget* modal) { AnswerFileDialog(modal, path); });
    Choose(kCmdSaveShow);
    ASSERT_GT(ReadBytes(path).size(), 5000u);
    ResetShow(TheShow());
    EXPECT_STRNE(TheShow().title, "Round trip");
    WhenModal([path](QWidget* modal) { AnswerFileDialog(modal, path); });
    Choose(kCmdLoadShow);
    EXPECT_STREQ(TheShow().title, "Round trip");
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - round");
    EXPECT_EQ(ReadSettingString("InitialFolder", ""), folder.Path() + "/");
}

TEST_F(ProgramTest, AShowGivenAtStartIsLoaded) {
    const std::string sample = std::string(TAVRILO_TEST_DATA) + "/../../examples/sample.tvr";
    ASSERT_TRUE(Window().OpenShowFile(sample.c_str()));
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - sample");
    EXPECT_GT(TheShow().keyCount, 1);
    QString message;
    WhenModal([&message](QWidget* modal) {
        message = qobject_cast<QMessageBox*>(modal)->text();
        qobject_cast<QMessageBox*>(modal)->accept();
    });
    EXPECT_FALSE(Window().OpenShowFile("/nonexistent/none.tvr"));
    EXPECT_NE(message.toStdString().find("Can't read show file"), std::string::npos);
    EXPECT_EQ(WindowTitle(Window()), "Quillon Tavrilo - sample");
}

// The desktop shows why a picture was refused, in words, naming the file;
// the show keeps the background it had.
TEST_F(ProgramTest, ARefusedBackgroundPictureSaysWhyInWords) {
    TempFolder folder;
    const std::string path = folder.File("junk.bmp");
    ASSERT_TRUE(WriteText(path, std::string(64, 'j')));
    QString message;
    std::function<void(QWidget*)> readBox = [&message, &readBox](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            WhenModal(readBox);  // the file dialog is still closing
            return;
        }
        message = box->text();
        box->accept();
    };
    WhenModal([path, &readBox](QWidget* modal) {
        AnswerFileDialog(modal, path);
        WhenModal(readBox);
    });
    Choose(kCmdLoadBackground);
    EXPECT_NE(message.toStdString().find("Can't read image file \"" + path +
                                         "\": it is not a picture file the program reads"),
              std::string::npos)
        << message.toStdString();
    EXPECT_STREQ(TheShow().background.name, "");
}

TEST_F(ProgramTest, CloseWithoutChangesQuits) {
    SendEvent(&Window(), kMsgClose, 0, 0);
    PlatformEvent event;
    ASSERT_TRUE(WaitEvent(event));
    EXPECT_EQ(event.message, kMsgClosing);
    EXPECT_FALSE(WaitEvent(event));  // the quit message
}

void ClickButton(QWidget* modal, QMessageBox::StandardButton which) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        box->button(which)->click();
    }
}

TEST_F(ProgramTest, CloseAsksToSaveAChangedShowAndNoQuits) {
    TheShow().modified = 1;
    QString asked;
    QString caption;
    bool offersCancel = false;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        asked = box->text();
        caption = box->windowTitle();
        offersCancel = box->button(QMessageBox::Cancel) != nullptr;
        ClickButton(modal, QMessageBox::No);
    });
    SendEvent(&Window(), kMsgClose, 0, 0);
    EXPECT_EQ(asked.toStdString(), "Do you want to save this show?");
    EXPECT_EQ(caption.toStdString(), "Exit Application");
    EXPECT_TRUE(offersCancel);
    PlatformEvent event;
    ASSERT_TRUE(WaitEvent(event));
    EXPECT_EQ(event.message, kMsgClosing);
    EXPECT_FALSE(WaitEvent(event));
}

// A stray Esc on the question at Exit, or closing the question, is Cancel:
// the program keeps running with the show unsaved but there.
TEST_F(ProgramTest, EscapeOrClosingTheExitQuestionKeepsTheProgramAndTheShow) {
    std::snprintf(TheShow().title, sizeof(TheShow().title), "Unsaved work");
    for (bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Esc" : "closed");
        TheShow().modified = 1;
        bool asked = false;
        WhenModal([&asked, escape](QWidget* modal) {
            asked = true;
            if (escape) {
                QTest::keyClick(modal, Qt::Key_Escape);
            } else {
                modal->close();
            }
        });
        Choose(kCmdExit);
        EXPECT_TRUE(asked);
        EXPECT_EQ(PendingEventCount(), 0);  // no closing, no quit
        EXPECT_EQ(TheShow().modified, 1);
        EXPECT_STREQ(TheShow().title, "Unsaved work");
        EXPECT_NE(gMainWindow, nullptr);
    }
}

// Load asks about unsaved changes under its own name.
TEST_F(ProgramTest, LoadAsksUnderItsOwnCaption) {
    TheShow().modified = 1;
    QString caption;
    WhenModal([&caption](QWidget* modal) {
        caption = modal->windowTitle();
        ClickButton(modal, QMessageBox::Cancel);
    });
    Choose(kCmdLoadShow);
    EXPECT_EQ(caption.toStdString(), "Load Show");
    EXPECT_EQ(TheShow().modified, 1);
}

TEST_F(ProgramTest, AFailedSaveAtExitKeepsTheProgramAndTheShow) {
    TheShow().modified = 1;
    std::snprintf(TheShow().title, sizeof(TheShow().title), "Unsaved");
    QString message;
    WhenModal([&message](QWidget* modal) {
        ClickButton(modal, QMessageBox::Yes);
        WhenModal([&message](QWidget* chooser) {
            AnswerFileDialog(chooser, "/proc/tavrilo-cannot-write.tvr");
            WhenModal([&message](QWidget* box) {
                message = qobject_cast<QMessageBox*>(box)->text();
                qobject_cast<QMessageBox*>(box)->accept();
            });
        });
    });
    SendEvent(&Window(), kMsgClose, 0, 0);
    EXPECT_NE(message.toStdString().find("Can't save show file"), std::string::npos);
    EXPECT_EQ(PendingEventCount(), 0);  // no quit
    EXPECT_EQ(TheShow().modified, 1);
    EXPECT_STREQ(TheShow().title, "Unsaved");
}

}  // namespace

namespace {

// Help, Contents shows the manual in a window of the program, with its
// pictures, without a web browser.
TEST_F(ProgramTest, HelpOpensTheManualInAWindowOfTheProgram) {
    Choose(kCmdHelp);
    QApplication::processEvents();
    QTextBrowser* browser = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = widget->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
            found && widget->isVisible()) {
            browser = found;
        }
    }
    ASSERT_NE(browser, nullptr);
    const std::string text = browser->document()->toPlainText().toStdString();
    for (const char* part : {"The four tabs, row by row", "Data Min", "HOLD", "Set KeyFrame Options", "Make Movie",
                             "Reverse too?", "Load Stream Data", "Edit Data", "tavrilo-render", "Ctrl+S"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    // Every picture the manual shows is found beside it.
    int pictures = 0;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) {
                continue;
            }
            const QString name = format.toImageFormat().name();
            EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource, QUrl(name)).isNull())
                << name.toStdString();
            ++pictures;
        }
    }
    EXPECT_GE(pictures, 8);
    // A second call shows the same window again.
    Choose(kCmdHelp);
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        windows += widget->objectName() == QStringLiteral("helpWindow") ? 1 : 0;
    }
    EXPECT_EQ(windows, 1);
    browser->window()->close();
}

}  // namespace
