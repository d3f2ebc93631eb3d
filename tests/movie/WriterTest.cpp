// The AVI and QuickTime writers, read back with FFmpeg.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "MakeMovieAVI.h"
#include "MovieProbe.h"
#include "Settings.h"
#include "TestSupport.h"

namespace {

struct CodecCase {
    const char* extension;
    const char* code;
    const char* decoder;
    bool lossless;
};

// Writes `count` synthetic frames; false when any step failed.
bool WriteMovie(const std::string& path, const std::string& code, int width, int height, double fps, int count,
                std::vector<std::vector<uint8_t>>* fed = nullptr) {
    MovieWriter writer;
    writer.options.codec = code;
    CDib image(width, height, 24);
    if (!writer.Open(MakeFileSpec(path.c_str()), image, fps, 100, count)) {
        ADD_FAILURE() << writer.LastError();
        return false;
    }
    for (int i = 0; i < count; ++i) {
        FillSyntheticFrame(image, i);
        if (fed) {
            fed->push_back(TopDownBgr(image));
        }
        if (!writer.WriteFrame(-1, image)) {
            ADD_FAILURE() << writer.LastError();
            return false;
        }
    }
    return writer.Close();
}

class EveryCodec : public testing::TestWithParam<CodecCase> {};

TEST_P(EveryCodec, ReadsBackWithCountSizeRateAndCodec) {
    ScopedSettings settings;
    TempFolder folder;
    const CodecCase& c = GetParam();
    std::string path = folder.File(std::string("out") + c.extension);
    std::vector<std::vector<uint8_t>> fed;
    ASSERT_TRUE(WriteMovie(path, c.code, 96, 64, 29.97, 7, &fed));
    MovieFacts facts = ProbeMovie(path, true);
    ASSERT_TRUE(facts.opened);
    EXPECT_EQ(facts.codecName, c.decoder);
    EXPECT_EQ(facts.width, 96);
    EXPECT_EQ(facts.height, 64);
    EXPECT_EQ(facts.packets, 7);
    ASSERT_EQ(facts.frames.size(), 7u);
    EXPECT_EQ(facts.rateNum, 30000);
    EXPECT_EQ(facts.rateDen, 1001);
    // The code used is remembered for the next movie.
    EXPECT_EQ(ReadSettingString("CodecType", ""), c.code);
    for (size_t i = 0; i < fed.size(); ++i) {
        int difference = MaxDifference(facts.frames[i], fed[i]);
        if (c.lossless) {
            EXPECT_EQ(difference, 0) << "frame " << i;
        } else {
            // Lossy, but the right picture: the marker and gradient survive.
            EXPECT_LT(difference, 255) << "frame " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Movies, EveryCodec,
    testing::Values(CodecCase{".avi", "DIB ", "rawvideo", true}, CodecCase{".avi", "MJPG", "mjpeg", false},
                    CodecCase{".avi", "avc1", "h264", false}, CodecCase{".avi", "png ", "png", true},
                    CodecCase{".mov", "raw ", "rawvideo", true}, CodecCase{".mov", "MJPG", "mjpeg", false},
                    CodecCase{".mov", "avc1", "h264", false}, CodecCase{".mov", "apch", "prores", false},
                    CodecCase{".mov", "ap4h", "prores", false}, CodecCase{".mov", "rle ", "qtrle", true},
                    CodecCase{".mov", "png ", "png", true}),
    [](const testing::TestParamInfo<CodecCase>& info) {
        std::string name = std::string(info.param.extension + 1) + "_" + info.param.code;
        for (char& ch : name) {
            if (ch == ' ') {
                ch = '_';
            }
        }
        return name;
    });

TEST(MovieWriter, LossyCodecsStayCloseToTheFramesFed) {
    ScopedSettings settings;
    TempFolder folder;
    for (const char* code : {"apch", "ap4h", "MJPG"}) {
        std::string path = folder.File(std::string("near_") + code + ".mov");
        std::vector<std::vector<uint8_t>> fed;
        ASSERT_TRUE(WriteMovie(path, code, 64, 48, 25.0, 2, &fed));
        MovieFacts facts = ProbeMovie(path, true);
        ASSERT_EQ(facts.frames.size(), 2u);
        // Compare the marker square's centre, away from chroma edges.
        const std::vector<uint8_t>& frame = facts.frames[1];
        size_t at = (8u * 64u + 8u) * 3u;
        EXPECT_GT(frame[at + 0], 200) << code;
        EXPECT_LT(frame[at + 1], 60) << code;
        EXPECT_LT(frame[at + 2], 60) << code;
    }
}

TEST(MovieWriter, UnknownOrEmptyCodeTakesTheContainerDefault) {
    ScopedSettings settings;
    TempFolder folder;
    ASSERT_TRUE(WriteMovie(folder.File("a.avi"), "xyz!", 32, 32, 25.0, 2));
    EXPECT_EQ(ProbeMovie(folder.File("a.avi"), false).codecName, "mjpeg");
    EXPECT_EQ(ReadSettingString("CodecType", ""), "MJPG");
    WriteSettingString("CodecType", "");
    ASSERT_TRUE(WriteMovie(folder.File("b.mov"), "", 32, 32, 25.0, 2));
    EXPECT_EQ(ProbeMovie(folder.File("b.mov"), false).codecName, "prores");
    EXPECT_EQ(ReadSettingString("CodecType", ""), "apch");
    // A code only QuickTime offers falls back to the AVI default.
    ASSERT_TRUE(WriteMovie(folder.File("c.avi"), "apch", 32, 32, 25.0, 2));
    EXPECT_EQ(ProbeMovie(folder.File("c.avi"), false).codecName, "mjpeg");
}

TEST(MovieWriter, CodecComesFromTheSettingAndIsNotStoredWhenToldNot) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("CodecType", "png ");
    MovieWriter writer;
    CDib image(32, 32, 24);
    ASSERT_TRUE(writer.Open(MakeFileSpec(folder.File("s.mov").c_str()), image, 25.0, 100, 1));
    EXPECT_EQ(writer.CodecUsed(), "png ");
    ASSERT_TRUE(writer.WriteFrame(-1, image));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ProbeMovie(folder.File("s.mov"), false).codecName, "png");

    WriteSettingString("CodecType", "");
    writer.options.codec = "rle ";
    writer.options.storeCodec = false;
    ASSERT_TRUE(writer.Open(MakeFileSpec(folder.File("t.mov").c_str()), image, 25.0, 100, 1));
    ASSERT_TRUE(writer.Close()) << writer.LastError();
    EXPECT_EQ(ReadSettingString("CodecType", "unset"), "");
}

// The AVI stream header's scale and rate.
std::pair<uint32_t, uint32_t> AviScaleAndRate(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    auto at = std::search(bytes.begin(), bytes.end(), "strh", "strh" + 4);
    if (at == bytes.end() || bytes.end() - at < 36 || std::memcmp(&*(at + 8), "vids", 4) != 0) {
        return {0, 0};
    }
    uint32_t scale = 0;
    uint32_t rate = 0;
    std::memcpy(&scale, &*(at + 28), 4);
    std::memcpy(&rate, &*(at + 32), 4);
    return {scale, rate};
}

struct RateCase {
    double typed;
    int rate;
    int scale;
};

// AVI rate and scale, QuickTime time scale and sample duration.
TEST(MovieWriter, RatesAreExactFractionsInBothContainers) {
    ScopedSettings settings;
    TempFolder folder;
    for (RateCase c : {RateCase{29.97, 30000, 1001}, RateCase{23.976, 24000, 1001}, RateCase{23.98, 24000, 1001},
                       RateCase{59.94, 60000, 1001}, RateCase{25.0, 2500, 100}, RateCase{24.0, 2400, 100},
                       RateCase{50.0, 5000, 100}, RateCase{12.345, 2469, 200}}) {
        std::string avi = folder.File("rate.avi");
        ASSERT_TRUE(WriteMovie(avi, "MJPG", 32, 32, c.typed, 3));
        auto [scale, rate] = AviScaleAndRate(avi);
        EXPECT_EQ(scale, static_cast<uint32_t>(c.scale)) << c.typed;
        EXPECT_EQ(rate, static_cast<uint32_t>(c.rate)) << c.typed;
        MovieFacts facts = ProbeMovie(avi, false);
        EXPECT_EQ(static_cast<int64_t>(facts.rateNum) * c.scale, static_cast<int64_t>(facts.rateDen) * c.rate);
        EXPECT_EQ(facts.packets, 3);

        std::string mov = folder.File("rate.mov");
        ASSERT_TRUE(WriteMovie(mov, "png ", 32, 32, c.typed, 3));
        facts = ProbeMovie(mov, false);
        EXPECT_EQ(facts.timeBaseNum, 1) << c.typed;
        EXPECT_EQ(facts.timeBaseDen, c.rate) << c.typed;
        EXPECT_EQ(facts.firstDuration, c.scale) << c.typed;
        EXPECT_EQ(static_cast<int64_t>(facts.rateNum) * c.scale, static_cast<int64_t>(facts.rateDen) * c.rate);
    }
    EXPECT_EQ(ExactMovieRate(0.0).rate, 0);
    EXPECT_EQ(ExactMovieRate(-3.0).rate, 0);
}

TEST(MovieWriter, UncompressedAviKeepsOddWidthsAndIsBottomUp) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("odd.avi");
    std::vector<std::vector<uint8_t>> fed;
    ASSERT_TRUE(WriteMovie(path, "DIB ", 37, 21, 25.0, 3, &fed));
    MovieFacts facts = ProbeMovie(path, true);
    ASSERT_EQ(facts.frames.size(), 3u);
    for (size_t i = 0; i < fed.size(); ++i) {
        EXPECT_EQ(MaxDifference(facts.frames[i], fed[i]), 0) << i;
    }
    // A classic bottom-up bitmap: positive height in the stream format.
    std::vector<uint8_t> bytes = ReadBytes(path);
    auto at = std::search(bytes.begin(), bytes.end(), "strf", "strf" + 4);
    ASSERT_NE(at, bytes.end());
    int32_t height = 0;
    std::memcpy(&height, &*(at + 16), 4);
    EXPECT_EQ(height, 21);
}

TEST(MovieWriter, InterlacedStreamsAreMarkedWithTheirFieldOrder) {
    ScopedSettings settings;
    TempFolder folder;
    for (FieldOrder order : {FieldOrder::UpperFirst, FieldOrder::LowerFirst}) {
        for (const char* code : {"apch", "avc1", "MJPG", "rle ", "png ", "raw "}) {
            std::string path = folder.File(std::string("f") + code + ".mov");
            MovieWriter writer;
            writer.options.codec = code;
            writer.options.fieldOrder = order;
            CDib image(64, 48, 24);
            ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 80, 2));
            FillSyntheticFrame(image, 0);
            ASSERT_TRUE(writer.WriteFrame(-1, image));
            ASSERT_TRUE(writer.WriteFrame(-1, image));
            ASSERT_TRUE(writer.Close());
            MovieFacts facts = ProbeMovie(path, true);
            // QuickTime flags the samples as frames of interleaved fields
            // ('fiel' 9 or 14, H.264's too), which FFmpeg reads as TB and BT.
            int expected = order == FieldOrder::UpperFirst ? AV_FIELD_TB : AV_FIELD_BT;
            EXPECT_EQ(facts.fieldOrder, expected) << code;
            ASSERT_FALSE(facts.interlaced.empty());
            std::string_view fieldCoded = code;
            if (fieldCoded == "apch" || fieldCoded == "avc1") {
                EXPECT_TRUE(facts.interlaced[0]) << code;
            }
        }
    }
}

TEST(MovieWriter, WriteToAFullDiskFailsAndCloseStillReturns) {
    ScopedSettings settings;
    TempFolder folder;
    MovieWriter writer;
    writer.options.codec = "DIB ";
    CDib image(320, 240, 24);
    FileSizeLimit limit(1024 * 1024);
    ASSERT_TRUE(limit.Active());
    ASSERT_TRUE(writer.Open(MakeFileSpec(folder.File("full.avi").c_str()), image, 25.0, 100, 100));
    bool failed = false;
    for (int i = 0; i < 100 && !failed; ++i) {
        failed = !writer.WriteFrame(-1, image);
    }
    EXPECT_TRUE(failed);
    EXPECT_NE(writer.LastError().find("File too large"), std::string::npos) << writer.LastError();
    EXPECT_FALSE(writer.Close());
    EXPECT_FALSE(writer.IsOpen());
}

TEST(MovieWriter, ADeviceOrFifoIsNeverWrittenAsAMovie) {
    ScopedSettings settings;
    TempFolder folder;
    std::string fifo = folder.File("pipe.avi");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string link = folder.File("full.mov");
    ASSERT_EQ(symlink("/dev/full", link.c_str()), 0);
    for (const std::string& path : {fifo, link}) {
        MovieWriter writer;
        CDib image(32, 32, 24);
        EXPECT_FALSE(writer.Open(MakeFileSpec(path.c_str()), image, 25.0, 100, 1)) << path;
        EXPECT_NE(writer.LastError().find("not a regular file"), std::string::npos) << writer.LastError();
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST(MovieWriter, DispatchFollowsCaseSensitiveExtensions) {
    EXPECT_EQ(MovieWriterKindFor("/a/b.mov"), kWriterQuickTime);
    EXPECT_EQ(MovieWriterKindFor("/a/b.MOV"), kWriterAvi);
    EXPECT_EQ(MovieWriterKindFor("/a/b.dps"), kWriterDps);
    EXPECT_EQ(MovieWriterKindFor("/a/b.rtv"), kWriterRtv);
    EXPECT_EQ(MovieWriterKindFor("/a/b.avi"), kWriterAvi);
    EXPECT_EQ(MovieWriterKindFor("/a.mov/b.rtv"), kWriterQuickTime);
}

}  // namespace

namespace {

// Bytes of a 3-frame movie of noisy pictures at a quality.
size_t MovieBytes(const std::string& path, const char* code, int quality) {
    MovieWriter writer;
    writer.options.codec = code;
    writer.options.storeCodec = false;
    CDib image(128, 96, 24);
    if (!writer.Open(MakeFileSpec(path.c_str()), image, 25.0, quality, 3)) {
        return 0;
    }
    uint32_t seed = 12345;
    for (int i = 0; i < 3; ++i) {
        for (size_t b = 0; b < image.PixelBytes(); ++b) {
            seed = seed * 1664525u + 1013904223u;
            image.Pixels()[b] = static_cast<uint8_t>((seed >> 24) / 2 + b % 97);
        }
        if (!writer.WriteFrame(-1, image)) {
            return 0;
        }
    }
    return writer.Close() ? ReadBytes(path).size() : 0;
}

// Motion-JPEG and H.264 shrink with the quality. A ProRes file keeps its
// flavour's data rate whatever the quality (a smaller file would carry a
// flavour's label without its rate), and the rates rise from Proxy to HQ and
// from 4444 to 4444 XQ.
TEST(MovieWriter, QualityShrinksMotionJpegAndH264ButNotAProResFlavour) {
    ScopedSettings settings;
    TempFolder folder;
    for (const char* code : {"MJPG", "avc1"}) {
        size_t best = MovieBytes(folder.File("q100.mov"), code, 100);
        size_t middle = MovieBytes(folder.File("q50.mov"), code, 50);
        size_t worst = MovieBytes(folder.File("q0.mov"), code, 0);
        ASSERT_GT(worst, 0u) << code;
        EXPECT_GT(best, middle) << code;
        EXPECT_GT(middle, worst) << code;
    }
    std::vector<size_t> sizes;
    for (const char* code : {"apco", "apcs", "apcn", "apch", "ap4h", "ap4x"}) {
        size_t best = MovieBytes(folder.File("p100.mov"), code, 100);
        size_t worst = MovieBytes(folder.File("p0.mov"), code, 0);
        ASSERT_GT(best, 0u) << code;
        EXPECT_EQ(worst, best) << code;
        EXPECT_EQ(ReadBytes(folder.File("p0.mov")), ReadBytes(folder.File("p100.mov"))) << code;
        sizes.push_back(best);
    }
    EXPECT_LT(sizes[0], sizes[1]);
    EXPECT_LT(sizes[1], sizes[2]);
    EXPECT_LT(sizes[2], sizes[3]);
    EXPECT_LT(sizes[4], sizes[5]);
}

}  // namespace

namespace {

// The vprp chunk's fields per frame and frame aspect (x:y), or 0s.
std::pair<uint32_t, uint32_t> AviVideoProperties(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    auto at = std::search(bytes.begin(), bytes.end(), "vprp", "vprp" + 4);
    if (at == bytes.end() || bytes.end() - at < 44) {
        return {0, 0};
    }
    uint32_t aspect = 0;
    uint32_t fields = 0;
    std::memcpy(&aspect, &*(at + 8 + 20), 4);
    std::memcpy(&fields, &*(at + 8 + 32), 4);
    return {fields, aspect};
}

TEST(MovieWriter, AviMarksFieldsAndFrameAspectInItsVideoProperties) {
    ScopedSettings settings;
    TempFolder folder;
    for (const char* code : {"DIB ", "MJPG", "avc1", "png "}) {
        for (FieldOrder order : {FieldOrder::Progressive, FieldOrder::UpperFirst}) {
            std::string path = folder.File("props.avi");
            MovieWriter writer;
            writer.options.codec = code;
            writer.options.fieldOrder = order;
            writer.options.pictureAspect = 0.75;
            CDib image(720, 486, 24);
            ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 100, 1)) << code << writer.LastError();
            ASSERT_TRUE(writer.WriteFrame(-1, image));
            ASSERT_TRUE(writer.Close());
            auto [fields, aspect] = AviVideoProperties(path);
            EXPECT_EQ(fields, order == FieldOrder::Progressive ? 1u : 2u) << code;
            EXPECT_EQ(aspect, (4u << 16) | 3u) << code;
            MovieFacts facts = ProbeMovie(path, false);
            EXPECT_EQ(facts.width, 720);
        }
    }
}

}  // namespace

namespace {

TEST(MovieWriter, EveryCodecTakesOddSizesAndNtscFields) {
    ScopedSettings settings;
    TempFolder folder;
    for (const char* extension : {".avi", ".mov"}) {
        MovieContainer container = std::string(extension) == ".avi" ? MovieContainer::Avi : MovieContainer::QuickTime;
        for (const std::string& code : MovieCodecCodes(container)) {
            for (auto [width, height] : {std::pair{37, 21}, std::pair{720, 486}}) {
                std::string path = folder.File(std::string("odd") + extension);
                MovieWriter writer;
                writer.options.codec = code;
                writer.options.fieldOrder = FieldOrder::LowerFirst;
                CDib image(width, height, 24);
                FillSyntheticFrame(image, 1);
                if (code == "AVdh") {
                    // DNxHR has a smallest frame and codes no fields: refused with the reason.
                    EXPECT_FALSE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 90, 2));
                    EXPECT_NE(writer.LastError().find(width < 256 ? "at least 256 x 120" : "whole frames only"),
                              std::string::npos);
                    continue;
                }
                if (code == "avc1" && height % 2 != 0) {
                    // H.264 codes no fields at an odd height: refused, not written as whole frames unsaid.
                    EXPECT_FALSE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 90, 2));
                    EXPECT_NE(writer.LastError().find("H.264 codes fields only at an even height"), std::string::npos)
                        << writer.LastError();
                    continue;
                }
                ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 90, 2))
                    << code << " " << width << ": " << writer.LastError();
                ASSERT_TRUE(writer.WriteFrame(-1, image));
                ASSERT_TRUE(writer.WriteFrame(-1, image));
                ASSERT_TRUE(writer.Close()) << code;
                MovieFacts facts = ProbeMovie(path, true);
                EXPECT_EQ(facts.width, width) << code;
                EXPECT_EQ(facts.height, height) << code;
                EXPECT_EQ(facts.frames.size(), 2u) << code << " " << width;
            }
        }
    }
}

}  // namespace
