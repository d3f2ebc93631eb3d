// Broadcast conformance: every codec in every container at the four
// broadcast rasters and the program's three rates, made by tavrilo-render's
// movie command from two frames and read back with FFmpeg's libraries and
// the container's own boxes. The expected values come from the conventions
// table below (SMPTE 125M / ITU-R BT.601 and BT.656, SMPTE 296M and 274M,
// Apple's QuickTime File Format and TN2162, ITU-T H.264 Table E-1,
// SMPTE 12M timecode), not from the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "MovieBoxes.h"
#include "MovieProbe.h"
#include "RenderMovie.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Utilities.h"

namespace {

// ---- the conventions

struct Raster {
    int width;
    int height;
    int pasp[2];      // Apple's 'pasp' table at the raster's own shape (4:3 SD, 16:9 HD)
    int clean[2];     // the clean aperture: 704 x 480 (525 lines), 702 x 576 (625), HD the picture
    int colr[3];      // 'nclc' primaries, transfer, matrix: 6-1-6, 5-1-6 (625 lines), 1-1-1 (HD)
    bool lowerFirst;  // 525 lines show the lower field first, 625 and 1080 lines the upper
    int aspect[2];    // the frame's shape, as AVI's vprp says it
    int h264Sar[2];   // H.264 Table E-1: 10:11 (525), 12:11 (625), 1:1 (HD)
};
constexpr Raster kRasters[] = {
    {720, 486, {10, 11}, {704, 480}, {6, 1, 6}, true, {4, 3}, {10, 11}},
    {720, 576, {59, 54}, {702, 576}, {5, 1, 6}, false, {4, 3}, {12, 11}},
    {1280, 720, {1, 1}, {1280, 720}, {1, 1, 1}, false, {16, 9}, {1, 1}},
    {1920, 1080, {1, 1}, {1920, 1080}, {1, 1, 1}, false, {16, 9}, {1, 1}},
};

struct Rate {
    const char* typed;  // --fps
    int32_t showRate;   // the show runs at it, so --start is read at it
    int num;            // exactly num / den frames per second
    int den;
    uint32_t timeScale;  // QuickTime's media time scale: the rate's numerator
    uint32_t aviScale;   // AVI's scale and rate as written
    uint32_t aviRate;
    int timecodeBase;  // frames of a timecode second
};
constexpr Rate kRates[] = {
    {"29.97", kRateNtsc, 30000, 1001, 30000, 1001, 30000, 30},
    {"25", kRatePal, 25, 1, 2500, 100, 2500, 25},
    {"23.976", kRateFilm, 24000, 1001, 24000, 1001, 24000, 24},
};

// Interlaced: 525 lines at 29.97, 625 lines at 25, 1080 lines at 25 and
// 29.97 (1080i). Film rates, 720 lines and other pairs are progressive.
bool Interlaced(const Raster& r, const Rate& rate) {
    return (r.height == 486 && rate.showRate == kRateNtsc) || (r.height == 576 && rate.showRate == kRatePal) ||
           (r.height == 1080 && rate.showRate != kRateFilm);
}

enum class Kind {
    ProRes,  // fields coded separately; FFmpeg names the flavour as its profile
    H264,    // High 4:2:0, High 4:2:2 where 4:2:0 fields cannot be (486 lines interlaced)
    Jpeg,    // JFIF: the BT.601 matrix at every size
    Rgb,     // Animation, PNG, uncompressed: RGB as rendered
    Dnxhr,   // whole frames only: interlaced formats are refused
};

struct Codec {
    const char* file;        // the movie's extension
    const char* code;        // --codec
    const char* decoder;     // FFmpeg's decoder
    const char* sampleType;  // QuickTime's sample description type
    const char* profile;     // FFmpeg's name of the flavour, empty where none is checked
    Kind kind;
};

// How a run names its codec: "apch in .mov".
void PrintTo(const Codec& c, std::ostream* out) {
    *out << c.code << " in " << c.file;
}

std::string Profile(const Codec& c, const Raster& r, bool interlaced) {
    if (c.kind == Kind::H264) {
        return r.height == 486 && interlaced ? "High 4:2:2" : "High";
    }
    return c.profile;
}

// ---- one movie

// Renders two frames from 01:00:00:00; the writer's message when refused.
std::string Make(const Codec& c, const Raster& r, const Rate& rate, const std::string& path) {
    Show show;
    show.frameRate = rate.showRate;
    RenderOptions options;
    options.outPath = path;
    options.width = r.width;
    options.height = r.height;
    options.fps = rate.typed;
    options.codec = c.code;
    options.start = "01:00:00:00";
    options.end = "01:00:00:02";
    MovieFrameSource source = [](Show&, double frame, int, CDib& image) {
        FillSyntheticFrame(image, frame);
        return true;
    };
    const StepResult result = RenderMovieWith(show, options, source);
    return result.Ok() ? "" : result.error + " ";
}

void CheckStream(const Codec& c, const Raster& r, const Rate& rate, const MovieFacts& f, bool interlaced) {
    ASSERT_TRUE(f.opened);
    EXPECT_EQ(f.codecName, c.decoder);
    EXPECT_EQ(f.width, r.width);
    EXPECT_EQ(f.height, r.height);
    EXPECT_EQ(int64_t{f.rateNum} * rate.den, int64_t{rate.num} * f.rateDen);
    ASSERT_EQ(f.frames.size(), 2u);
    if (!Profile(c, r, interlaced).empty()) {
        EXPECT_EQ(f.profile, Profile(c, r, interlaced));
    }
    if (c.kind == Kind::ProRes || c.kind == Kind::H264) {
        EXPECT_EQ(f.interlaced[0], interlaced);
    }
    if (c.kind == Kind::H264) {
        EXPECT_EQ(f.codedSarNum, r.h264Sar[0]);
        EXPECT_EQ(f.codedSarDen, r.h264Sar[1]);
    }
}

void CheckQuickTime(const Codec& c, const Raster& r, const Rate& rate, const std::string& path, bool interlaced) {
    const QuickTimeBoxFacts b = ReadQuickTimeBoxes(path);
    ASSERT_TRUE(b.readable);
    EXPECT_EQ(b.sampleType, c.sampleType);
    EXPECT_EQ(b.mediaTimeScale, rate.timeScale);
    // The movie lasts exactly its two frames.
    EXPECT_EQ(int64_t{b.movieDuration} * rate.num, 2LL * rate.den * b.movieTimeScale);
    // Frames of two interleaved fields: 9 the upper first, 14 the lower.
    EXPECT_EQ(b.fielFields, interlaced ? 2 : 1);
    EXPECT_EQ(b.fielDetail, !interlaced ? 0 : r.lowerFirst ? 14 : 9);
    EXPECT_EQ(b.colrType, "nclc");
    EXPECT_EQ(b.colrPrimaries, r.colr[0]);
    EXPECT_EQ(b.colrTransfer, r.colr[1]);
    EXPECT_EQ(b.colrMatrix, c.kind == Kind::Jpeg ? 6 : r.colr[2]);
    EXPECT_EQ(b.paspH, r.pasp[0]);
    EXPECT_EQ(b.paspV, r.pasp[1]);
    EXPECT_EQ(b.clapWidth, r.clean[0]);
    EXPECT_EQ(b.clapHeight, r.clean[1]);
    EXPECT_EQ(b.clapHorizOff, 0.0);
    EXPECT_EQ(b.clapVertOff, 0.0);
    if (r.pasp[0] != r.pasp[1]) {
        // The track's clean mode: the clean aperture at the pixel aspect.
        EXPECT_NEAR(b.cleanDisplayWidth, r.clean[0] * r.pasp[0] / static_cast<double>(r.pasp[1]), 0.01);
        EXPECT_EQ(b.cleanDisplayHeight, r.clean[1]);
    } else {
        EXPECT_EQ(b.cleanDisplayWidth, 0.0);  // square pixels: the track header's size serves every mode
    }
    EXPECT_EQ(b.graphicsMode, 0);  // copy: no alpha
    EXPECT_TRUE(b.timecodeTrack);
    EXPECT_EQ(b.timecodeFlags & 1u, 0u);  // non-drop
    EXPECT_EQ(b.timecodeFrames, rate.timecodeBase);
}

void CheckAvi(const Raster& r, const Rate& rate, const std::string& path, bool interlaced) {
    const AviBoxFacts b = ReadAviBoxes(path);
    ASSERT_TRUE(b.readable);
    EXPECT_EQ(b.scale, rate.aviScale);
    EXPECT_EQ(b.rate, rate.aviRate);
    ASSERT_TRUE(b.videoProperties);
    EXPECT_EQ(b.frameAspect, static_cast<uint32_t>(r.aspect[0] << 16 | r.aspect[1]));
    EXPECT_EQ(b.fieldsPerFrame, interlaced ? 2u : 1u);
    if (interlaced) {
        EXPECT_EQ(b.firstFieldStartLine, r.lowerFirst ? 1u : 0u);
    }
}

class Conformance : public testing::TestWithParam<Codec> {};

TEST_P(Conformance, EveryRasterAtEveryRate) {
    ScopedSettings settings;
    TempFolder folder;
    const Codec& c = GetParam();
    const bool quickTime = std::string(c.file) == ".mov";
    for (const Raster& r : kRasters) {
        for (const Rate& rate : kRates) {
            SCOPED_TRACE(std::string(c.code) + " " + std::to_string(r.width) + "x" + std::to_string(r.height) + " at " +
                         rate.typed);
            const bool interlaced = Interlaced(r, rate);
            const std::string path = folder.File(std::string("m") + c.file);
            const std::string refused = Make(c, r, rate, path);
            if (c.kind == Kind::Dnxhr && interlaced) {
                EXPECT_NE(refused.find("whole frames only"), std::string::npos) << refused;
                EXPECT_FALSE(std::filesystem::exists(path));
                continue;
            }
            ASSERT_EQ(refused, "");
            const MovieFacts facts = ProbeMovie(path, true);
            CheckStream(c, r, rate, facts, interlaced);
            if (quickTime) {
                CheckQuickTime(c, r, rate, path, interlaced);
                EXPECT_EQ(facts.timecode, "01:00:00:00");  // the start as typed
            } else {
                CheckAvi(r, rate, path, interlaced);
            }
            std::filesystem::remove(path);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, Conformance,
                         testing::Values(Codec{".mov", "apco", "prores", "apco", "Proxy", Kind::ProRes},
                                         Codec{".mov", "apcs", "prores", "apcs", "LT", Kind::ProRes},
                                         Codec{".mov", "apcn", "prores", "apcn", "Standard", Kind::ProRes},
                                         Codec{".mov", "apch", "prores", "apch", "HQ", Kind::ProRes},
                                         Codec{".mov", "ap4h", "prores", "ap4h", "4444", Kind::ProRes},
                                         Codec{".mov", "ap4x", "prores", "ap4x", "XQ", Kind::ProRes},
                                         Codec{".mov", "avc1", "h264", "avc1", "", Kind::H264},
                                         Codec{".mov", "MJPG", "mjpeg", "jpeg", "", Kind::Jpeg},
                                         Codec{".mov", "rle", "qtrle", "rle ", "", Kind::Rgb},
                                         Codec{".mov", "png", "png", "png ", "", Kind::Rgb},
                                         Codec{".mov", "raw", "rawvideo", "raw ", "", Kind::Rgb},
                                         Codec{".mov", "AVdh", "dnxhd", "AVdh", "", Kind::Dnxhr},
                                         Codec{".avi", "avc1", "h264", "", "", Kind::H264},
                                         Codec{".avi", "MJPG", "mjpeg", "", "", Kind::Jpeg},
                                         Codec{".avi", "png", "png", "", "", Kind::Rgb},
                                         Codec{".avi", "DIB", "rawvideo", "", "", Kind::Rgb}),
                         [](const testing::TestParamInfo<Codec>& info) {
                             std::string name = std::string(info.param.code) +
                                                (std::string(info.param.file) == ".mov" ? "Mov" : "Avi");
                             return name;
                         });

}  // namespace
