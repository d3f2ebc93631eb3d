// MediaInfo, the reader broadcast QC desks use, on the four movies a
// delivery most often is: 29.97 NTSC, PAL, 1080i and 23.976 1080p, made by
// tavrilo-render's movie command. What it reads is checked against the
// conventions (SMPTE 125M, ITU-R BT.601 and BT.709, SMPTE 274M), not
// against the program.
#include <gtest/gtest.h>

#include <cstdio>

#include "MovieProbe.h"
#include "RenderMovie.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Utilities.h"

namespace {

// mediainfo's answer to an --Inform template, without the line end.
std::string Inform(const std::string& file, const std::string& layout) {
    const std::string command = "mediainfo '--Inform=" + layout + "' '" + file + "' 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof(buffer), pipe)) {
            out += buffer;
        }
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) {
        out.pop_back();
    }
    return out;
}

struct Delivery {
    const char* name;
    int width;
    int height;
    const char* fps;
    int32_t showRate;
    // What MediaInfo should say: scan type, scan order, rate, display
    // aspect, primaries, matrix.
    const char* video;
};

TEST(MediaInfo, TheFourDeliveriesReadAsTheirFormats) {
    ASSERT_EQ(std::system("mediainfo --Version > /dev/null 2>&1"), 0) << "mediainfo is missing: run scripts/setup";
    ScopedSettings settings;
    TempFolder folder;
    const Delivery deliveries[] = {
        {"ntsc", 720, 486, "29.97", kRateNtsc, "Interlaced|BFF|30000/1001|4:3|BT.601 NTSC|BT.601"},
        {"pal", 720, 576, "25", kRatePal, "Interlaced|TFF|25/1|4:3|BT.601 PAL|BT.601"},
        {"1080i", 1920, 1080, "29.97", kRateNtsc, "Interlaced|TFF|30000/1001|16:9|BT.709|BT.709"},
        {"1080p", 1920, 1080, "23.976", kRateFilm, "Progressive||24000/1001|16:9|BT.709|BT.709"},
    };
    for (const Delivery& d : deliveries) {
        Show show;
        show.frameRate = d.showRate;
        RenderOptions options;
        options.outPath = folder.File(std::string(d.name) + ".mov");
        options.width = d.width;
        options.height = d.height;
        options.fps = d.fps;
        options.codec = "apch";
        options.start = "01:00:00:00";
        options.end = "01:00:00:02";
        MovieFrameSource source = [](Show&, double frame, int, CDib& image) {
            FillSyntheticFrame(image, frame);
            return true;
        };
        const int status = RenderMovieWith(show, options, source).status;
        ASSERT_EQ(status, 0) << d.name;
        const std::string& file = options.outPath;
        EXPECT_EQ(Inform(file,
                         "Video;%ScanType%|%ScanOrder%|%FrameRate_Num%/%FrameRate_Den%|"
                         "%DisplayAspectRatio/String%|%colour_primaries%|%matrix_coefficients%"),
                  d.video)
            << d.name;
        // Interleaved fields ('fiel' 9, 14), not separately stored ones.
        const bool interlaced = std::string(d.video).rfind("Interlaced", 0) == 0;
        EXPECT_EQ(Inform(file, "Video;%ScanType_StoreMethod%"), interlaced ? "InterleavedFields" : "") << d.name;
        EXPECT_EQ(Inform(file, "Video;%transfer_characteristics%|%Format_Profile%"), "BT.709|422 HQ") << d.name;
        EXPECT_EQ(Inform(file, "Other;%TimeCode_FirstFrame%"), "01:00:00:00") << d.name;
    }
}

}  // namespace
