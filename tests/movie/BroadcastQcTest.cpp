// What a broadcast QC checks beyond the conformance matrix: the typed
// timecode (non-drop, and drop-frame with ";" where SMPTE 12M has it) in
// whole movies, parts and joins; the straight-alpha graphics mode of fills;
// the pixel shape of 16:9 standard-definition rasters; the shapes, fields
// and rates that are refused or forced; the EBU R 103 levels of every ProRes
// flavour. Expected values come from the conventions, as in
// ConformanceTest.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include "DemoShow.h"
#include "Draw.h"
#include "MovieBoxes.h"
#include "MovieProbe.h"
#include "MovieSegments.h"
#include "RenderMovie.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Utilities.h"

namespace {

MovieFrameSource Synthetic() {
    return [](Show&, double frame, int, CDib& image) {
        FillSyntheticFrame(image, frame);
        return true;
    };
}

RenderOptions Movie(const std::string& path, int width, int height, const char* fps) {
    RenderOptions options;
    options.outPath = path;
    options.width = width;
    options.height = height;
    options.fps = fps;
    options.start = "01:00:00:00";
    options.end = "01:00:00:02";
    return options;
}

// ---- timecode

TEST(BroadcastQc, TheTimecodeTrackReadsTheTypedTimecode) {
    ScopedSettings settings;
    TempFolder folder;
    struct Case {
        const char* fps;
        int32_t showRate;
        const char* timecode;  // --timecode, null: none
        const char* reads;
        bool drop;
    };
    for (Case c : {Case{"29.97", kRateNtsc, nullptr, "01:00:00:00", false},
                   Case{"29.97", kRateNtsc, "01:00:00;00", "01:00:00;00", true},
                   Case{"29.97", kRateNtsc, "10:00:00:00", "10:00:00:00", false},
                   Case{"59.94", kRateNtsc, "00:59:59;58", "00:59:59;58", true},
                   Case{"25", kRatePal, "09:59:30:00", "09:59:30:00", false},
                   Case{"23.976", kRateFilm, nullptr, "01:00:00:00", false}}) {
        const int32_t showRate = c.showRate;
        Show show;
        show.frameRate = showRate;
        RenderOptions options = Movie(folder.File("tc.mov"), 64, 48, c.fps);
        options.codec = "png";
        if (c.timecode) {
            options.timecode = c.timecode;
        }
        ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0) << c.fps;
        EXPECT_EQ(ProbeMovie(options.outPath, false).timecode, c.reads) << c.fps;
        const QuickTimeBoxFacts boxes = ReadQuickTimeBoxes(options.outPath);
        ASSERT_TRUE(boxes.timecodeTrack) << c.fps;
        EXPECT_EQ((boxes.timecodeFlags & 1u) != 0, c.drop) << c.reads;  // QuickTime's drop-frame flag
    }
}

TEST(BroadcastQc, ATimecodeTheRateCannotHaveIsRefusedBeforeAnythingIsWritten) {
    ScopedSettings settings;
    TempFolder folder;
    struct Case {
        const char* fps;
        const char* timecode;
        const char* reason;
    };
    for (Case c :
         {Case{"25", "01:00:00;00", "drop-frame timecode (HH:MM:SS;FF) runs only at 29.97 and 59.94"},
          Case{"23.976", "01:00:00;00", "runs only at 29.97 and 59.94"}, Case{"25", "01:00:00:25", "frames 00 to 24"},
          Case{"29.97", "01:01:00;01", "does not exist in drop-frame timecode"}}) {
        Show show;
        RenderOptions options = Movie(folder.File("no.mov"), 64, 48, c.fps);
        options.timecode = c.timecode;
        StepResult result = RenderMovieWith(show, options, Synthetic());
        EXPECT_EQ(result.status, 1) << c.timecode;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
        EXPECT_NE(result.error.find("--timecode"), std::string::npos) << result.error;
        EXPECT_FALSE(std::filesystem::exists(options.outPath)) << c.timecode;
    }
}

// A part starts at its own first frame's timecode, counted on in the
// movie's timecode (drop-frame too); the joined movie reads the first
// frame's, as a single run does, and keeps the boxes the muxer does not
// write.
TEST(BroadcastQc, PartsAndJoinsKeepTheFirstFramesTimecode) {
    ScopedSettings settings;
    TempFolder folder;
    const int32_t showRate = kRateNtsc;
    for (const char* typed : {"00:00:59;28", "01:00:00:00"}) {
        Show show;
        show.frameRate = showRate;
        RenderOptions options = Movie(folder.File("whole.mov"), 720, 486, "29.97");
        options.start = "0";
        options.end = "8";
        options.codec = "avc1";
        options.timecode = typed;
        ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0);
        std::vector<std::string> segments;
        RenderOptions part = options;
        part.outPath = folder.File("joined.mov");
        part.parts = 2;
        for (int k = 0; k < 2; ++k) {
            part.part = k;
            ASSERT_EQ(RenderMovieWith(show, part, Synthetic()).status, 0);
            segments.push_back(MovieSegmentPath(part.outPath, k));
        }
        // The second share starts 4 frames on: across the minute, drop-frame
        // skips 00:01:00;00 and ;01.
        const bool drop = std::string(typed).find(';') != std::string::npos;
        EXPECT_EQ(ProbeMovie(segments[1], false).timecode, drop ? "00:01:00;04" : "01:00:00:04");
        ASSERT_TRUE(JoinMovieSegments(part.outPath, segments).joined);
        EXPECT_EQ(ProbeMovie(part.outPath, false).timecode, typed);
        const QuickTimeBoxFacts single = ReadQuickTimeBoxes(options.outPath);
        const QuickTimeBoxFacts joined = ReadQuickTimeBoxes(part.outPath);
        EXPECT_EQ(joined.timecodeFlags, single.timecodeFlags);
        EXPECT_EQ(joined.fielDetail, 14);
        EXPECT_EQ(joined.clapWidth, 704.0);
        EXPECT_EQ(joined.clapHeight, 480.0);
        EXPECT_EQ(joined.paspH, 10);
        EXPECT_EQ(joined.paspV, 11);
    }
}

// ---- alpha

TEST(BroadcastQc, FillsSayStraightAlphaAndTheirKeysCopy) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    for (const char* code : {"ap4h", "ap4x", "rle", "png"}) {
        auto show = CreateShow();
        MakeDemoShow(*show);
        RenderOptions options = Movie(folder.File("fill.mov"), 360, 243, "29.97");
        options.start = "60";
        options.end = "61";
        options.codec = code;
        options.alpha = true;
        options.key = true;
        ASSERT_EQ(RenderMovieCommand(*show, options).status, 0) << code;
        DestroyShow(*show);
        const QuickTimeBoxFacts fill = ReadQuickTimeBoxes(options.outPath);
        const QuickTimeBoxFacts key = ReadQuickTimeBoxes(KeyMoviePath(options.outPath));
        EXPECT_EQ(fill.graphicsMode, 0x100) << code;  // straight alpha
        EXPECT_EQ(key.graphicsMode, 0) << code;       // copy
        EXPECT_EQ(fill.colrType, "nclc") << code;
        EXPECT_EQ(key.colrType, "nclc") << code;
        MovieFacts facts = ProbeMovie(options.outPath, true);
        ASSERT_EQ(facts.alphas.size(), 1u) << code;
        // Straight: where the chart covers a pixel only partly, its colour is
        // the chart's, not darkened by the coverage.
        int partly = 0;
        int bright = 0;
        for (size_t i = 0; i < facts.alphas[0].size(); ++i) {
            const uint8_t a = facts.alphas[0][i];
            if (a > 16 && a < 200) {
                ++partly;
                const uint8_t* bgr = &facts.frames[0][i * 3];
                bright += std::max({bgr[0], bgr[1], bgr[2]}) > a + 24 ? 1 : 0;
            }
        }
        ASSERT_GT(partly, 50) << code;
        EXPECT_GT(bright * 2, partly) << code;
    }
}

// ---- pixel shape

TEST(BroadcastQc, WideStandardDefinitionFollowsAppleAndTableE1) {
    ScopedSettings settings;
    TempFolder folder;
    struct Case {
        int height;
        const char* fps;
        int pasp[2];
        int clean[2];
        int sar[2];
    };
    for (Case c :
         {Case{486, "29.97", {40, 33}, {704, 480}, {40, 33}}, Case{480, "29.97", {40, 33}, {704, 480}, {40, 33}},
          Case{576, "25", {118, 81}, {702, 576}, {16, 11}}}) {
        Show show;
        RenderOptions options = Movie(folder.File("wide.mov"), 720, c.height, c.fps);
        options.codec = "avc1";
        options.aspect = 0.5625f;
        ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0) << c.height;
        const QuickTimeBoxFacts boxes = ReadQuickTimeBoxes(options.outPath);
        EXPECT_EQ(boxes.paspH, c.pasp[0]) << c.height;
        EXPECT_EQ(boxes.paspV, c.pasp[1]) << c.height;
        EXPECT_EQ(boxes.clapWidth, c.clean[0]) << c.height;
        EXPECT_EQ(boxes.clapHeight, c.clean[1]) << c.height;
        MovieFacts facts = ProbeMovie(options.outPath, true);
        EXPECT_EQ(facts.codedSarNum, c.sar[0]) << c.height;
        EXPECT_EQ(facts.codedSarDen, c.sar[1]) << c.height;
        // High 4:2:0 where 4:2:0 fields are whole lines: 480 and 576.
        EXPECT_EQ(facts.profile, c.height == 486 ? "High 4:2:2" : "High") << c.height;
    }
}

TEST(BroadcastQc, HdIsSixteenByNineAndRefusesFourByThree) {
    ScopedSettings settings;
    TempFolder folder;
    for (auto [width, height] : {std::pair{1280, 720}, std::pair{1920, 1080}, std::pair{1024, 576}}) {
        Show show;
        show.frameAspect = 0.75f;  // the show's 4:3 is not taken at HD
        RenderOptions options = Movie(folder.File("hd.mov"), width, height, "25");
        options.codec = "png";
        ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0) << width;
        EXPECT_FLOAT_EQ(show.frameAspect, 0.5625f) << width;  // drawn 16:9
        const QuickTimeBoxFacts boxes = ReadQuickTimeBoxes(options.outPath);
        EXPECT_EQ(boxes.paspH, 1) << width;
        EXPECT_EQ(boxes.paspV, 1) << width;
        std::filesystem::remove(options.outPath);
        options.aspect = 0.75f;
        StepResult refused = RenderMovieWith(show, options, Synthetic());
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.error.find("--aspect 4:3"), std::string::npos) << refused.error;
        EXPECT_NE(refused.error.find("16:9 picture of square pixels"), std::string::npos) << refused.error;
        EXPECT_FALSE(std::filesystem::exists(options.outPath));
    }
}

// ---- fields

TEST(BroadcastQc, FieldsAreAskedForOrRefusedWhateverTheFormat) {
    ScopedSettings settings;
    TempFolder folder;
    Show show;
    // Forced at 720 lines, where the format has none.
    RenderOptions forced = Movie(folder.File("forced.mov"), 1280, 720, "29.97");
    forced.codec = "apch";
    forced.fields = true;
    ASSERT_EQ(RenderMovieWith(show, forced, Synthetic()).status, 0);
    EXPECT_EQ(ReadQuickTimeBoxes(forced.outPath).fielDetail, 9);
    // Refused at 486 lines, by the option and by the MovieFields setting.
    RenderOptions refused = Movie(folder.File("whole.mov"), 720, 486, "29.97");
    refused.codec = "apch";
    refused.fields = false;
    ASSERT_EQ(RenderMovieWith(show, refused, Synthetic()).status, 0);
    EXPECT_EQ(ReadQuickTimeBoxes(refused.outPath).fielFields, 1);
    WriteSettingString("MovieFields", "");
    refused.fields.reset();
    ASSERT_EQ(RenderMovieWith(show, refused, Synthetic()).status, 0);
    EXPECT_EQ(ReadQuickTimeBoxes(refused.outPath).fielFields, 1);
}

// ---- DPS

TEST(BroadcastQc, DpsRefusesRatesItsHeaderCannotCarry) {
    ScopedSettings settings;
    TempFolder folder;
    Show show;
    for (const char* fps : {"23.976", "24", "30"}) {
        RenderOptions options = Movie(folder.File("film.dps"), 720, 486, fps);
        StepResult refused = RenderMovieWith(show, options, Synthetic());
        EXPECT_EQ(refused.status, 1) << fps;
        EXPECT_NE(refused.error.find("DPS"), std::string::npos) << refused.error;
        EXPECT_FALSE(std::filesystem::exists(options.outPath)) << fps;
    }
    EXPECT_NE(DpsMovieProblem(720, 486, 23.976).find("23.976 is a film rate"), std::string::npos);
    EXPECT_EQ(DpsMovieProblem(720, 486, 29.97), "");
    EXPECT_EQ(DpsMovieProblem(720, 576, 25.0), "");
    EXPECT_NE(DpsMovieProblem(720, 576, 29.97), "");
    // The writer refuses on its own too (the desktop's path), writing nothing.
    MovieWriter writer;
    CDib image(720, 486, 24);
    const std::string path = folder.File("writer.dps");
    EXPECT_FALSE(writer.Open(MakeFileSpec(path.c_str()), image, 23.976, 100, 1));
    EXPECT_NE(writer.LastError().find("film rate"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace

namespace {

// ---- EBU R 103 levels

// 100% colour bars, the hardest picture for a codec's overshoot: white,
// yellow, cyan, green, magenta, red, blue, black with sharp edges.
void FillColourBars(CDib& image) {
    static const uint8_t kBars[8][3] = {{255, 255, 255}, {0, 255, 255}, {255, 255, 0}, {0, 255, 0},
                                        {255, 0, 255},   {0, 0, 255},   {255, 0, 0},   {0, 0, 0}};  // BGR
    for (int row = 0; row < image.Height(); ++row) {
        uint8_t* p = image.Row(row);
        for (int x = 0; x < image.Width(); ++x) {
            std::memcpy(p + 3 * x, kBars[x * 8 / image.Width()], 3);
        }
    }
}

struct Gamut {
    double outside = 1.0;  // share of the picture's pixels outside -5% ... 105%
    bool decoded = false;
};

// The first frame's R', G', B' and Y' from its video-range samples at 10 or
// 12 bits: BT.601 below 720 lines, BT.709 from 720 lines up.
Gamut MeasureGamut(const std::string& path) {
    Gamut gamut;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        return gamut;
    }
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> format(
        raw, [](AVFormatContext* f) { avformat_close_input(&f); });
    if (avformat_find_stream_info(raw, nullptr) < 0) {
        return gamut;
    }
    const AVCodecParameters* par = raw->streams[0]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> decoder(
        avcodec_alloc_context3(codec), [](AVCodecContext* c) { avcodec_free_context(&c); });
    std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
    std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
    if (avcodec_parameters_to_context(decoder.get(), par) < 0 || avcodec_open2(decoder.get(), codec, nullptr) < 0 ||
        av_read_frame(raw, packet.get()) < 0 || avcodec_send_packet(decoder.get(), packet.get()) < 0 ||
        avcodec_receive_frame(decoder.get(), frame.get()) < 0) {
        return gamut;
    }
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!d || d->comp[0].depth < 10 || d->comp[0].depth > 16 || (d->flags & AV_PIX_FMT_FLAG_RGB)) {
        return gamut;
    }
    // Video range at the samples' depth: black 16, white 235, chroma 128 +- 112 at 8 bits.
    const double unit = 1 << (d->comp[0].depth - 8);
    auto sample = [&](int plane, int x, int y) {
        return reinterpret_cast<const uint16_t*>(frame->data[plane] +
                                                 static_cast<size_t>(y) * frame->linesize[plane])[x];
    };
    struct {
        double redPr, greenPb, greenPr, bluePb;
    } const k = frame->height >= 720 ? decltype(k){1.5748, -0.187324, -0.468124, 1.8556}
                                     : decltype(k){1.402, -0.344136, -0.714136, 1.772};
    int64_t outside = 0;
    for (int y = 0; y < frame->height; ++y) {
        for (int x = 0; x < frame->width; ++x) {
            const double luma = (sample(0, x, y) - 16 * unit) / (219 * unit);
            // 4:2:2 chroma sits on the even samples; the odd ones take the
            // mean of their neighbours, as a gamut monitor interpolates.
            const int cx = x >> d->log2_chroma_w;
            const int next =
                (x & d->log2_chroma_w) && ((x + 1) >> d->log2_chroma_w) < (frame->width + 1) >> d->log2_chroma_w
                    ? cx + 1
                    : cx;
            const double pb = ((sample(1, cx, y) + sample(1, next, y)) / 2.0 - 128 * unit) / (224 * unit);
            const double pr = ((sample(2, cx, y) + sample(2, next, y)) / 2.0 - 128 * unit) / (224 * unit);
            const double rgb[4] = {luma + k.redPr * pr, luma + k.greenPb * pb + k.greenPr * pr, luma + k.bluePb * pb,
                                   luma};
            bool bad = false;
            for (double v : rgb) {
                bad = bad || v < -0.05 || v > 1.05;
            }
            outside += bad ? 1 : 0;
        }
    }
    gamut.outside = static_cast<double>(outside) / (static_cast<double>(frame->width) * frame->height);
    gamut.decoded = true;
    return gamut;
}

// At every flavour and quality at most 1% of the picture lies outside
// -5% ... 105% (EBU R 103), for colour bars and for the chart, in standard
// definition and HD.
TEST(BroadcastQc, EveryProResFlavourKeepsEbuR103Levels) {
    ScopedSettings settings;
    TempFolder folder;
    for (auto [width, height] : {std::pair{720, 486}, std::pair{1920, 1080}}) {
        CDib bars(width, height, 24);
        FillColourBars(bars);
        auto show = CreateShow();
        MakeDemoShow(*show);
        if (width == 1920) {
            SetFrameAspect(*show, 0.5625f);
        }
        CDib chart(16, 16, 24);
        ASSERT_TRUE(RenderShowFrame(*show, 60, width, height, 75, chart));
        DestroyShow(*show);
        for (const char* code : {"apco", "apcs", "apcn", "apch", "ap4h", "ap4x"}) {
            for (int quality : {0, 100}) {
                for (const CDib* picture : {&bars, &chart}) {
                    const std::string path = folder.File("levels.mov");
                    MovieWriter writer;
                    writer.options.codec = code;
                    writer.options.storeCodec = false;
                    ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), *picture, 29.97, quality, 1)) << code;
                    ASSERT_TRUE(writer.WriteFrame(-1, *picture));
                    ASSERT_TRUE(writer.Close());
                    const Gamut gamut = MeasureGamut(path);
                    ASSERT_TRUE(gamut.decoded) << code;
                    EXPECT_LE(gamut.outside, 0.01)
                        << code << " at " << quality << " " << height << (picture == &bars ? " bars" : " chart");
                }
            }
        }
    }
}

}  // namespace
