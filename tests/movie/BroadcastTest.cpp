// What a broadcast user checks in a movie: colour conversion and tags by
// frame size, the AVI field descriptions, timecodes, alpha and key movies,
// DNxHR. Read back with FFmpeg's libraries.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

extern "C" {
#include <libavutil/pixfmt.h>
}

#include "MakeMovieAVI.h"
#include "MovieProbe.h"
#include "Settings.h"
#include "TestSupport.h"

namespace {

// Opens, writes `count` copies of `image` and closes; the writer's error on failure.
std::string WriteFrames(MovieWriter& writer, const std::string& path, const CDib& image, int count,
                        double fps = 29.97) {
    if (!writer.Open(MakeFileSpec(path.c_str()), image, fps, 100, count)) {
        return writer.LastError();
    }
    for (int i = 0; i < count; ++i) {
        if (!writer.WriteFrame(-1, image)) {
            return writer.LastError();
        }
    }
    return writer.Close() ? "" : writer.LastError();
}

void Fill(CDib& image, uint8_t blue, uint8_t green, uint8_t red) {
    int bytes = image.BitsPerPixel() / 8;
    for (int row = 0; row < image.Height(); ++row) {
        for (int x = 0; x < image.Width(); ++x) {
            uint8_t* p = image.Row(row) + x * bytes;
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
}

struct ColourCase {
    int width;
    int height;
    int primaries;
    int matrix;
    int redLuma;  // Y of pure red: 82 with the BT.601 matrix, 63 with BT.709
};

TEST(Broadcast, ColourIsConvertedAndTaggedByFrameSize) {
    ScopedSettings settings;
    TempFolder folder;
    for (ColourCase c : {ColourCase{720, 486, AVCOL_PRI_SMPTE170M, AVCOL_SPC_SMPTE170M, 82},
                         ColourCase{720, 576, AVCOL_PRI_BT470BG, AVCOL_SPC_SMPTE170M, 82},
                         ColourCase{1920, 1080, AVCOL_PRI_BT709, AVCOL_SPC_BT709, 63}}) {
        CDib image(c.width, c.height, 24);
        Fill(image, 0, 0, 255);
        for (const char* code : {"avc1", "apch"}) {
            std::string path = folder.File(std::string("colour_") + code + ".mov");
            MovieWriter writer;
            writer.options.codec = code;
            ASSERT_EQ(WriteFrames(writer, path, image, 1), "") << code;
            MovieFacts facts = ProbeMovie(path, true);
            EXPECT_EQ(facts.colourPrimaries, c.primaries) << code << " " << c.height;
            EXPECT_EQ(facts.colourMatrix, c.matrix) << code << " " << c.height;
            EXPECT_EQ(facts.colourTransfer, AVCOL_TRC_BT709) << code << " " << c.height;
            EXPECT_EQ(facts.colourRange, AVCOL_RANGE_MPEG) << code << " " << c.height;
            if (std::string(code) == "avc1") {
                EXPECT_NEAR(facts.firstLuma, c.redLuma, 2) << c.height;
            }
        }
    }
}

TEST(Broadcast, AviFieldDescriptionsDifferByFieldOrder) {
    ScopedSettings settings;
    TempFolder folder;
    std::vector<uint8_t> headers[2];
    int i = 0;
    for (FieldOrder order : {FieldOrder::UpperFirst, FieldOrder::LowerFirst}) {
        std::string path = folder.File("order.avi");
        MovieWriter writer;
        writer.options.codec = "MJPG";
        writer.options.fieldOrder = order;
        writer.options.pictureAspect = 0.75;
        CDib image(720, 486, 24);
        ASSERT_EQ(WriteFrames(writer, path, image, 1), "");
        std::vector<uint8_t> bytes = ReadBytes(path);
        auto at = std::search(bytes.begin(), bytes.end(), "vprp", "vprp" + 4);
        ASSERT_GT(bytes.end() - at, 8 + 36 + 64);
        headers[i] = std::vector<uint8_t>(at, at + 8 + 36 + 64);
        uint32_t fields = 0;
        uint32_t firstStartLine = 0;
        uint32_t secondStartLine = 0;
        std::memcpy(&fields, &headers[i][8 + 32], 4);
        std::memcpy(&firstStartLine, &headers[i][8 + 36 + 28], 4);
        std::memcpy(&secondStartLine, &headers[i][8 + 36 + 32 + 28], 4);
        EXPECT_EQ(fields, 2u);
        // The field first in time starts on line 0 (upper) or 1 (lower).
        EXPECT_EQ(firstStartLine, order == FieldOrder::UpperFirst ? 0u : 1u);
        EXPECT_EQ(secondStartLine, order == FieldOrder::UpperFirst ? 1u : 0u);
        ++i;
    }
    EXPECT_NE(headers[0], headers[1]);
}

TEST(Broadcast, TimecodesCountAsSmpteDoes) {
    ExactRate ntsc = ExactMovieRate(29.97);
    // Drop-frame: the first minute has no frames 00 and 01, the tenth has.
    EXPECT_EQ(MovieTimecode(ntsc, 300, true), "00:00:10;00");
    EXPECT_EQ(MovieTimecode(ntsc, 1800, true), "00:01:00;02");
    EXPECT_EQ(MovieTimecode(ntsc, 17982, true), "00:10:00;00");
    EXPECT_EQ(MovieTimecode(ExactMovieRate(59.94), 3600, true), "00:01:00;04");
    // Without dropping, every frame is a number: 108000 frames read one hour.
    EXPECT_EQ(MovieTimecode(ntsc, 108000, false), "01:00:00:00");
    EXPECT_EQ(MovieTimecode(ntsc, 1800, false), "00:01:00:00");
    EXPECT_EQ(MovieTimecode(ExactMovieRate(23.976), 1440, false), "00:01:00:00");
    EXPECT_EQ(MovieTimecode(ExactMovieRate(25.0), 90000, false), "01:00:00:00");
    // Before midnight, counted back from the end of the day.
    EXPECT_EQ(MovieTimecode(ExactMovieRate(25.0), -25, false), "23:59:59:00");
    EXPECT_EQ(MovieTimecode(ExactMovieRate(12.5), 10, false), "");
    EXPECT_EQ(MovieTimecode(ExactMovieRate(25.0), 10, true), "");  // no drop-frame at 25
}

TEST(Broadcast, TypedTimecodesAreReadAtTheMoviesRate) {
    struct Case {
        const char* text;
        double fps;
        int64_t frame;  // -1: refused
        bool drop;
    };
    for (Case c : {Case{"01:00:00:00", 29.97, 108000, false}, Case{"01:00:00;00", 29.97, 107892, true},
                   Case{"00:01:00;02", 29.97, 1800, true}, Case{"00:10:00;00", 29.97, 17982, true},
                   Case{"01:00:00;00", 59.94, 215784, true}, Case{"00:00:00:29", 29.97, 29, false},
                   Case{"10:00:00:00", 25.0, 900000, false}, Case{"23:59:59:23", 23.976, 2073599, false},
                   // Frames a minute skips, a frame the second lacks, drop-frame off its rates.
                   Case{"00:01:00;00", 29.97, -1, false}, Case{"00:01:00;03", 59.94, -1, false},
                   Case{"00:00:00:25", 25.0, -1, false}, Case{"01:00:00;00", 25.0, -1, false},
                   Case{"01:00:00;00", 23.976, -1, false}, Case{"24:00:00:00", 25.0, -1, false},
                   Case{"1:00:00:00", 25.0, -1, false}, Case{"01:00:00.00", 29.97, -1, false},
                   Case{"01:60:00:00", 25.0, -1, false}, Case{"01:00:00:00", 12.5, -1, false}}) {
        MovieTimecodeStart start;
        std::string error;
        const ExactRate rate = ExactMovieRate(c.fps);
        const bool read = ParseMovieTimecode(c.text, rate, start, error);
        ASSERT_EQ(read, c.frame >= 0) << c.text << " at " << c.fps << ": " << error;
        if (!read) {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(start.frame, c.frame) << c.text;
        EXPECT_EQ(start.dropFrame, c.drop) << c.text;
        // What was read is written back as typed.
        EXPECT_EQ(MovieTimecode(rate, start.frame, start.dropFrame), c.text);
    }
}

// A 32-bit frame: transparent, with an opaque red square and a half
// covered green one.
void FillAlphaFrame(CDib& image) {
    std::memset(image.Pixels(), 0, image.PixelBytes());
    for (int row = 8; row < 24; ++row) {
        for (int x = 8; x < 24; ++x) {
            uint8_t* p = image.Row(image.Height() - 1 - row) + 4 * x;
            p[2] = 255;
            p[3] = 255;
            uint8_t* q = image.Row(image.Height() - 1 - row) + 4 * (x + 24);
            q[1] = 255;
            q[3] = 128;
        }
    }
}

TEST(Broadcast, AlphaMoviesKeepTheCoverageAndTheKeyMovieShowsIt) {
    ScopedSettings settings;
    TempFolder folder;
    CDib image(64, 32, 32);
    FillAlphaFrame(image);
    for (const char* code : {"ap4h", "rle ", "png "}) {
        std::string path = folder.File("fill.mov");
        MovieWriter writer;
        writer.options.codec = code;
        writer.options.alpha = true;
        writer.options.key = true;
        ASSERT_EQ(WriteFrames(writer, path, image, 2), "") << code;
        MovieFacts fill = ProbeMovie(path, true);
        ASSERT_EQ(fill.alphas.size(), 2u) << code;
        const std::vector<uint8_t>& alpha = fill.alphas[1];
        EXPECT_EQ(alpha[0], 0) << code;               // empty corner
        EXPECT_EQ(alpha[16 * 64 + 16], 255) << code;  // inside the red square
        EXPECT_NEAR(alpha[16 * 64 + 40], 128, 1) << code;
        EXPECT_GT(fill.frames[1][(16 * 64 + 16) * 3 + 2], 240) << code;

        MovieFacts key = ProbeMovie(KeyMoviePath(path), true);
        ASSERT_EQ(key.frames.size(), 2u) << code;
        EXPECT_TRUE(key.alphas.empty()) << code;
        const std::vector<uint8_t>& k = key.frames[1];
        EXPECT_LT(k[0], 8) << code;
        for (int c = 0; c < 3; ++c) {
            EXPECT_GT(k[(16 * 64 + 16) * 3 + c], 247) << code;  // white where the fill is opaque
            EXPECT_NEAR(k[(16 * 64 + 40) * 3 + c], 128, 3) << code;
        }
    }
    EXPECT_EQ(KeyMoviePath("/a.b/show.mov"), "/a.b/show-key.mov");
    EXPECT_EQ(KeyMoviePath("/a.b/show"), "/a.b/show-key");
}

TEST(Broadcast, CodecsWithoutAlphaRefuseIt) {
    ScopedSettings settings;
    TempFolder folder;
    EXPECT_EQ(MovieAlphaProblem("a.mov", "ap4h"), "");
    EXPECT_EQ(MovieAlphaProblem("a.avi", "png "), "");
    EXPECT_EQ(MovieAlphaProblem("a.rtv", ""), "");
    EXPECT_NE(MovieAlphaProblem("a.dps", ""), "");
    std::string problem = MovieAlphaProblem("a.mov", "avc1");
    EXPECT_NE(problem.find("\"avc1\" (H.264) keeps no alpha channel"), std::string::npos) << problem;
    MovieWriter writer;
    writer.options.codec = "apch";
    writer.options.alpha = true;
    CDib image(32, 32, 32);
    std::string path = folder.File("none.mov");
    EXPECT_FALSE(writer.Open(MakeFileSpec(path.c_str()), image, 25.0, 100, 1));
    EXPECT_NE(writer.LastError().find("ProRes 422 HQ"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Broadcast, DnxhrHqInQuickTime) {
    ScopedSettings settings;
    TempFolder folder;
    CDib image(1280, 720, 24);
    FillSyntheticFrame(image, 3);
    MovieWriter writer;
    writer.options.codec = "AVdh";
    std::string path = folder.File("dnxhr.mov");
    ASSERT_EQ(WriteFrames(writer, path, image, 2, 59.94), "");
    MovieFacts facts = ProbeMovie(path, true);
    EXPECT_EQ(facts.codecName, "dnxhd");
    EXPECT_EQ(FourCC(facts.codecTag), "AVdh");
    EXPECT_EQ(facts.frames.size(), 2u);
    EXPECT_EQ(facts.rateNum, 60000);
    EXPECT_EQ(facts.rateDen, 1001);
    EXPECT_EQ(facts.colourMatrix, AVCOL_SPC_BT709);
}

}  // namespace
