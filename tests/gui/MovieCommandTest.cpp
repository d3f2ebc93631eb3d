// Make Movie File from the menu: the options dialog, the file from the
// chooser, the compressor, the frames from the renderer, and the closing
// message.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include "Draw.h"
#include "MakeMovieAVI.h"
#include "ProgramFixture.h"
#include "Settings.h"

namespace {

// The option dialog's rows, where the program draws it over the preview.
constexpr int kDialogLeft = 50;
constexpr int kDialogTop = 50;
int RowY(int row) {
    return kDialogTop + 36 + 20 * row + 8;
}
int Widest(std::initializer_list<std::string> labels) {
    SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
    int widest = 0;
    for (const std::string& label : labels) {
        widest = std::max(widest, TextWidth(label.c_str()));
    }
    SelectFont(nullptr, -1, -1);
    return widest;
}
// The options dialog's widest label, its rows' fields start right of it.
int OptionsWidest() {
    return Widest({"Width", "Height", "Start Timecode", "End Timecode", "Head/Tail Holds", "FrameRate", "@SQuality",
                   "@CRender Fields?", "@CReverse too?", "@CAlpha channel", "@CKey movie too"});
}
constexpr int kAlphaRow = 9;
constexpr int kKeyRow = 10;

// Whether the movie's first video stream keeps an alpha channel.
bool HasAlpha(const std::string& path) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
        return false;
    }
    bool alpha = false;
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        const AVPixFmtDescriptor* pixels =
            index < 0 ? nullptr
                      : av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format->streams[index]->codecpar->format));
        alpha = pixels && (pixels->flags & AV_PIX_FMT_FLAG_ALPHA);
    }
    avformat_close_input(&format);
    return alpha;
}

size_t FilesIn(const std::string& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

class MovieCommandTest : public ProgramTest {
protected:
    // Chooses Make Movie File and confirms the options dialog as it opens.
    void MakeMovie(uint32_t answer = kKeyReturn) {
        ASSERT_TRUE(ChooseMenuItem(Window().menu, kCmdMakeMovie));
        PostEvent(&Preview(), kMsgKeyDown, answer, 0);
        DispatchPending();
    }
    // Answers the file chooser with `path`, then `then` (the compression
    // dialog's turn), then notes the closing message.
    void AnswerChooser(const std::string& path, std::function<void()> then = {}) {
        WhenModal([this, path, then](QWidget* modal) {
            AnswerFileDialog(modal, path);
            if (then) {
                then();
            }
            WhenModal([this](QWidget* box) {
                if (auto* shown = qobject_cast<QMessageBox*>(box)) {
                    said_ = shown->text().toStdString();
                    shown->accept();
                }
            });
        });
    }
    void Confirm() { PostEvent(&Preview(), kMsgKeyDown, kKeyReturn, 0); }
    std::string said_;
};

TEST_F(MovieCommandTest, MakeMovieFileWritesTheMovieAndSaysSo) {
    MakeDemoShow(TheShow());
    TheShow().keys[2].frame = 12;
    WriteSettingString("MovieWid", "96");
    WriteSettingString("MovieHgt", "72");
    WriteSettingString("MovieFields", "");
    ShowFrame(TheShow(), 5);
    TempFolder folder;
    const std::string path = folder.File("clip.avi");
    AnswerChooser(path, [this] { Confirm(); });
    MakeMovie();
    EXPECT_EQ(said_, "Movie file successfully made");
    EXPECT_GT(ReadBytes(path).size(), 1000u);
    EXPECT_EQ(gCurrentFrame, 5);  // back where it was
    // The preview has its own size again.
    int width = 0;
    int height = 0;
    ViewportSize(*TheShow().renderer, width, height);
    EXPECT_EQ(width, GetClientRect(Preview()).right);
}

TEST_F(MovieCommandTest, CancellingTheMovieChooserMakesNothing) {
    WhenModal([](QWidget* modal) { QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection); });
    MakeMovie();
    EXPECT_EQ(ReadSettingString("MovieWid", "unset"), "unset");
}

TEST_F(MovieCommandTest, CancellingTheOptionsAsksForNoFile) {
    int modals = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&modals]() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++modals;
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
        }
    });
    watch.start(10);
    MakeMovie(kKeyEscape);
    QTest::qWait(100);
    EXPECT_EQ(modals, 0);
    EXPECT_EQ(ReadSettingString("MovieWid", "unset"), "unset");
    EXPECT_EQ(ReadSettingInt("MovieType", -1), -1);
}

TEST_F(MovieCommandTest, OptionsTypedInTheDialogAndTheChosenCompressorAreUsedAndStored) {
    MakeDemoShow(TheShow());
    WriteSettingString("MovieFields", "");
    WriteSettingString("CodecType", "MJPG");
    TempFolder folder;
    const std::string path = folder.File("typed.avi");
    const int w = OptionsWidest();
    // Width and End Timecode typed in their text fields, each kept by the
    // press on the next row.
    auto type = [this, w](int row, const char* text, std::function<void()> next) {
        PostEvent(&Preview(), kMsgLeftDown, kMouseLeft, MakePointParam(kDialogLeft + w + 20, RowY(row)));
        PostEvent(&Preview(), kMsgLeftUp, 0, MakePointParam(kDialogLeft + w + 20, RowY(row)));
        auto poll = std::make_shared<std::function<void()>>();
        QWidget* preview = WidgetOf(Preview());
        *poll = [poll, preview, text, next]() {
            QLineEdit* field = preview->findChild<QLineEdit*>();
            if (!field || !field->isVisible()) {
                QTimer::singleShot(10, *poll);
                return;
            }
            QTest::keyClicks(field, text);
            next();
        };
        QTimer::singleShot(10, *poll);
    };
    // The compression dialog: the AVI compressors, PNG the fourth.
    const std::vector<std::string> codes = MovieCodecCodes(MovieContainer::Avi);
    ASSERT_EQ(codes[3], "png ");
    std::vector<std::string> names;
    for (const std::string& code : codes) {
        names.push_back("@R" + MovieCodecName(code));
    }
    names[0] = "@RCompressor|" + MovieCodecName(codes[0]);
    const int cw = Widest({names[0], names[1], names[2], names[3], "@SQuality"});
    AnswerChooser(path, [this, cw]() {
        const int x = kDialogLeft + cw + 20;
        PostEvent(&Preview(), kMsgLeftDown, kMouseLeft, MakePointParam(x, RowY(3)));
        Confirm();
    });
    ASSERT_TRUE(ChooseMenuItem(Window().menu, kCmdMakeMovie));
    type(0, "40", [&]() { type(1, "30", [&]() { type(3, "6", [&]() { Confirm(); }); }); });
    DispatchPending();
    EXPECT_EQ(said_, "Movie file successfully made");
    EXPECT_EQ(ReadSettingString("CodecType", ""), "png ");
    EXPECT_EQ(ReadSettingString("MovieWid", ""), "40");
    EXPECT_EQ(ReadSettingString("MovieHgt", ""), "30");
    EXPECT_EQ(ReadSettingInt("MovieType", -1), 0);
    CDib first(16, 16, 24);
    BackgroundMovie* movie = OpenBackgroundMovie(path.c_str(), first);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(first.Width(), 40);
    EXPECT_EQ(first.Height(), 30);
    EXPECT_EQ(BackgroundMovieFrameCount(*movie), 6);
    ReleaseBackgroundMovie(movie);
}

TEST_F(MovieCommandTest, CancellingTheCompressorMakesNothing) {
    WriteSettingString("MovieWid", "32");
    TempFolder folder;
    const std::string path = folder.File("never.mov");
    WhenModal([this, path](QWidget* modal) {
        AnswerFileDialog(modal, path);
        PostEvent(&Preview(), kMsgKeyDown, kKeyEscape, 0);
    });
    MakeMovie();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ReadSettingString("CodecType", "unset"), "unset");
    EXPECT_EQ(ReadSettingString("MovieHgt", "unset"), "unset");
}

// Esc ends the whole render, "Reverse too?" included: a key taken before
// the first frame is written leaves no movie at all.
TEST_F(MovieCommandTest, EscapeWhileRenderingStopsTheWholeRender) {
    MakeDemoShow(TheShow());
    TheShow().keys[2].frame = 40;
    WriteSettingString("MovieWid", "32");
    WriteSettingString("MovieHgt", "24");
    WriteSettingString("MovieHold", "00:00:00:02");
    WriteSettingString("MovieFields", "");
    WriteSettingString("MovieReverse", "1");
    WriteSettingString("CodecType", "png ");
    TempFolder folder;
    const std::string path = folder.File("cut.avi");
    AnswerChooser(path, [this]() {
        Confirm();
        PostEvent(&Window(), kMsgKeyDown, kKeyEscape, 0);  // taken by the render loop
    });
    MakeMovie();
    EXPECT_EQ(said_, "Rendering was cancelled before the first frame was written. No file was made.");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(FilesIn(folder.Path()), 0u);
}

// The two rows after the others: with both ticked, the fill keeps the
// chart's coverage as alpha and the key movie is made beside it; the
// closing message names both files and the rows are stored.
TEST_F(MovieCommandTest, AlphaAndKeyRowsMakeTheFillWithAlphaAndItsKey) {
    MakeDemoShow(TheShow());
    TheShow().keys[2].frame = 3;
    WriteSettingString("MovieWid", "64");
    WriteSettingString("MovieHgt", "48");
    WriteSettingString("MovieFields", "");
    WriteSettingString("CodecType", "png ");
    WriteSettingInt("MovieType", 1);
    TempFolder folder;
    const std::string path = folder.File("fill.mov");
    AnswerChooser(path, [this] { Confirm(); });
    ASSERT_TRUE(ChooseMenuItem(Window().menu, kCmdMakeMovie));
    const int x = kDialogLeft + OptionsWidest() + 20;
    PostEvent(&Preview(), kMsgLeftDown, kMouseLeft, MakePointParam(x, RowY(kAlphaRow)));
    PostEvent(&Preview(), kMsgLeftDown, kMouseLeft, MakePointParam(x, RowY(kKeyRow)));
    Confirm();
    DispatchPending();
    const std::string key = folder.File("fill-key.mov");
    EXPECT_EQ(said_, "Movie files successfully made: " + path + " and " + key);
    EXPECT_TRUE(HasAlpha(path));
    EXPECT_TRUE(std::filesystem::exists(key));
    EXPECT_FALSE(HasAlpha(key));
    EXPECT_EQ(ReadSettingString("MovieAlpha", ""), "1");
    EXPECT_EQ(ReadSettingString("MovieKey", ""), "1");
}

// With a compressor that keeps no alpha the Alpha row is greyed: a press
// does not tick it. The key movie is still made, as switchers take fill and
// key in any codec.
TEST_F(MovieCommandTest, TheAlphaRowIsGreyedForACompressorWithoutAlpha) {
    MakeDemoShow(TheShow());
    TheShow().keys[2].frame = 2;
    WriteSettingString("MovieWid", "32");
    WriteSettingString("MovieHgt", "24");
    WriteSettingString("MovieFields", "");
    WriteSettingString("MovieAlpha", "1");
    WriteSettingString("CodecType", "MJPG");
    WriteSettingInt("MovieType", 0);
    TempFolder folder;
    const std::string path = folder.File("plain.avi");
    AnswerChooser(path, [this] { Confirm(); });
    ASSERT_TRUE(ChooseMenuItem(Window().menu, kCmdMakeMovie));
    const int x = kDialogLeft + OptionsWidest() + 20;
    PostEvent(&Preview(), kMsgLeftDown, kMouseLeft, MakePointParam(x, RowY(kAlphaRow)));
    PostEvent(&Preview(), kMsgLeftDown, kMouseLeft, MakePointParam(x, RowY(kKeyRow)));
    Confirm();
    DispatchPending();
    const std::string key = folder.File("plain-key.avi");
    EXPECT_EQ(said_, "Movie files successfully made: " + path + " and " + key);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::exists(key));
    EXPECT_EQ(ReadSettingString("MovieAlpha", "unset"), "");
    EXPECT_EQ(ReadSettingString("MovieKey", ""), "1");
}

}  // namespace
