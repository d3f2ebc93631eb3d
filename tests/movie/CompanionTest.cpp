// DPS and RTV movies through the companion libraries, their file layouts,
// and the messages when a library is missing.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "Companion.h"
#include "HeadlessPlatform.h"
#include "MakeMovie.h"
#include "MakeMovieAVI.h"
#include "MovieProbe.h"
#include "TestSupport.h"

namespace {

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, &bytes.at(at + 3) - 3, 4);
    return value;
}

uint64_t Get64(const std::vector<uint8_t>& bytes, size_t at) {
    return Get32(bytes, at) | (static_cast<uint64_t>(Get32(bytes, at + 4)) << 32);
}

// Decodes one JPEG picture with FFmpeg; its width and height, 0 when it
// does not decode.
std::pair<int, int> DecodeJpeg(const uint8_t* data, size_t size) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::pair<int, int> size2{0, 0};
    if (avcodec_open2(context, codec, nullptr) == 0 && av_new_packet(packet, static_cast<int>(size)) == 0) {
        std::memcpy(packet->data, data, size);
        if (avcodec_send_packet(context, packet) == 0 && avcodec_receive_frame(context, frame) == 0) {
            size2 = {frame->width, frame->height};
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return size2;
}

struct CompanionFolderReset {
    ~CompanionFolderReset() { SetCompanionFolderOverride(""); }
};

TEST(DpsMovie, LayoutHeaderFramesAndIndex) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("movie.dps");
    MovieWriter writer;
    CDib image(720, 486, 24);
    ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 90, 4)) << writer.LastError();
    EXPECT_EQ(writer.Kind(), kWriterDps);
    for (int i = 0; i < 3; ++i) {
        FillSyntheticFrame(image, i);
        ASSERT_TRUE(writer.WriteFrame(-1, image));
    }
    ASSERT_TRUE(writer.Close());
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 64u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TDPS");
    EXPECT_EQ(Get32(bytes, 4), 1u);
    EXPECT_EQ(Get32(bytes, 8), 64u);
    EXPECT_EQ(Get32(bytes, 12), 525u);
    EXPECT_EQ(Get32(bytes, 16), 720u);
    EXPECT_EQ(Get32(bytes, 20), 486u);
    EXPECT_EQ(Get32(bytes, 24), 30000u);
    EXPECT_EQ(Get32(bytes, 28), 1001u);
    EXPECT_EQ(Get32(bytes, 32), 4u);  // announced
    EXPECT_EQ(Get32(bytes, 36), 3u);  // written
    EXPECT_EQ(std::string(bytes.begin() + 40, bytes.begin() + 44), "MJPG");
    EXPECT_EQ(Get32(bytes, 44), 4u);
    uint64_t indexAt = Get64(bytes, 48);
    ASSERT_LT(indexAt + 8, bytes.size());
    EXPECT_EQ(std::string(bytes.begin() + indexAt, bytes.begin() + indexAt + 4), "INDX");
    ASSERT_EQ(Get32(bytes, indexAt + 4), 3u);
    EXPECT_EQ(bytes.size(), indexAt + 8 + 3 * 12);
    uint64_t expectedOffset = 64 + 4;
    for (size_t i = 0; i < 3; ++i) {
        uint64_t offset = Get64(bytes, indexAt + 8 + i * 12);
        uint32_t size = Get32(bytes, indexAt + 16 + i * 12);
        EXPECT_EQ(offset, expectedOffset);
        EXPECT_EQ(Get32(bytes, offset - 4), size);
        EXPECT_EQ(bytes[offset], 0xFF);
        EXPECT_EQ(bytes[offset + 1], 0xD8);
        EXPECT_EQ(bytes[offset + size - 2], 0xFF);
        EXPECT_EQ(bytes[offset + size - 1], 0xD9);
        EXPECT_EQ(DecodeJpeg(&bytes[offset], size), std::make_pair(720, 486));
        expectedOffset = offset + size + 4;
    }
}

TEST(DpsMovie, PalAtExactly25FramesPerSecond) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("pal.dps");
    MovieWriter writer;
    CDib image(720, 576, 24);
    ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 25.0, 100, 1));
    ASSERT_TRUE(writer.WriteFrame(-1, image));
    ASSERT_TRUE(writer.Close());
    std::vector<uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(Get32(bytes, 12), 625u);
    EXPECT_EQ(Get32(bytes, 20), 576u);
    uint64_t indexAt = Get64(bytes, 48);
    uint64_t offset = Get64(bytes, indexAt + 8);
    EXPECT_EQ(DecodeJpeg(&bytes[offset], Get32(bytes, indexAt + 16)), std::make_pair(720, 576));
}

TEST(DpsMovie, ARangeRenderedBackwardsIsMade) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job;
    job.path = folder.File("back.dps");
    job.options.width = 720;
    job.options.height = 486;
    job.options.start = 5;
    job.options.end = 2;
    job.options.hold = 1;
    job.options.framesPerSecond = 29.97;
    RenderRangeHooks hooks;
    std::vector<double> grabbed;
    hooks.grab = [&grabbed](double frame, CDib& image) {
        grabbed.push_back(frame);
        FillSyntheticFrame(image, frame);
        return true;
    };
    MovieOutcome outcome = MakeMovieFile(job, hooks);
    ASSERT_TRUE(outcome.made) << outcome.message;
    EXPECT_EQ(outcome.framesAnnounced, -1);
    EXPECT_EQ(outcome.framesWritten, 5);  // 5 5 4 3 3
    EXPECT_EQ(grabbed, (std::vector<double>{5, 5, 4, 3}));
    std::vector<uint8_t> bytes = ReadBytes(job.path);
    ASSERT_GT(bytes.size(), 64u);
    EXPECT_EQ(Get32(bytes, 32), 0u);  // announced: not known
    EXPECT_EQ(Get32(bytes, 36), 5u);
    uint64_t indexAt = Get64(bytes, 48);
    ASSERT_EQ(Get32(bytes, indexAt + 4), 5u);
}

TEST(DpsMovie, ThePalSizeFollowsTheRateTheWriterUses) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("near25.dps");
    // 25.0004 frames per second is 25000 thousandths: 625 lines.
    MovieWriter writer;
    CDib ntsc(720, 486, 24);
    EXPECT_FALSE(writer.Open(MakeFileSpec(path.c_str()), ntsc, 25.0004, 100, 1));
    CDib pal(720, 576, 24);
    FillSyntheticFrame(pal, 1);
    ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), pal, 25.0004, 100, 1)) << writer.LastError();
    ASSERT_TRUE(writer.WriteFrame(-1, pal)) << writer.LastError();
    ASSERT_TRUE(writer.Close());
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 64u);
    EXPECT_EQ(Get32(bytes, 12), 625u);
    EXPECT_EQ(Get32(bytes, 36), 1u);
}

TEST(DpsMovie, OtherSizesMakeNoFileAndNoMessage) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("small.dps");
    MovieWriter writer;
    CDib image(640, 480, 24);
    EXPECT_FALSE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 100, 1));
    CDib pal(720, 576, 24);
    EXPECT_FALSE(writer.Open(MakeFileSpec(path.c_str()), pal, 29.97, 100, 1));
    EXPECT_TRUE(ReadBytes(path).empty());
    EXPECT_TRUE(Headless().messages.empty());
}

TEST(RtvMovie, LayoutHeaderAndFramesAsHandedIn) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("movie.rtv");
    MovieWriter writer;
    CDib image(50, 30, 24);  // rows of 150 bytes padded to 152
    ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 100, 3)) << writer.LastError();
    std::vector<std::vector<uint8_t>> stores;
    for (int i = 0; i < 3; ++i) {
        FillSyntheticFrame(image, i);
        stores.emplace_back(image.Pixels(), image.Pixels() + 152 * 30);
        ASSERT_TRUE(writer.WriteFrame(-1, image));
    }
    ASSERT_TRUE(writer.Close());
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 32u + 3u * 152u * 30u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TRTV");
    EXPECT_EQ(Get32(bytes, 4), 1u);
    EXPECT_EQ(Get32(bytes, 8), 50u);
    EXPECT_EQ(Get32(bytes, 12), 30u);
    EXPECT_EQ(Get32(bytes, 16), 24u);
    EXPECT_EQ(Get32(bytes, 20), 152u);
    EXPECT_EQ(Get32(bytes, 24), 3u);
    for (size_t i = 0; i < 3; ++i) {
        auto start = bytes.begin() + 32 + static_cast<long>(i * 152 * 30);
        EXPECT_TRUE(std::equal(stores[i].begin(), stores[i].end(), start)) << i;
    }
}

TEST(Companions, MissingRtvLibraryIsTheReasonAndNothingIsShown) {
    ScopedSettings settings;
    TempFolder empty;
    TempFolder folder;
    CompanionFolderReset reset;
    SetCompanionFolderOverride(empty.Path());
    MovieWriter writer;
    CDib image(32, 32, 24);
    EXPECT_FALSE(writer.Open(MakeFileSpec(folder.File("m.rtv").c_str()), image, 29.97, 100, 1));
    EXPECT_EQ(writer.LastError(), "libPlinthRTV.so is not installed!");
    EXPECT_TRUE(Headless().messages.empty());
}

TEST(Companions, MissingDpsLibrariesFailWithoutAMessage) {
    ScopedSettings settings;
    TempFolder empty;
    TempFolder folder;
    CompanionFolderReset reset;
    SetCompanionFolderOverride(empty.Path());
    MovieWriter writer;
    CDib image(720, 486, 24);
    EXPECT_FALSE(writer.Open(MakeFileSpec(folder.File("m.dps").c_str()), image, 29.97, 100, 1));
    EXPECT_NE(writer.LastError().find("libMsMjpgEnc.so"), std::string::npos);
    EXPECT_TRUE(Headless().messages.empty());
}

TEST(Companions, FullDiskFailsTheFrameWrites) {
    ScopedSettings settings;
    TempFolder folder;
    for (const char* name : {"full.rtv", "full.dps"}) {
        std::string path = folder.File(name);
        MovieWriter writer;
        CDib image(720, 486, 24);
        FillSyntheticFrame(image, 1);
        FileSizeLimit limit(2 * 1024 * 1024);
        ASSERT_TRUE(limit.Active());
        ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 100, 50)) << name;
        bool failed = false;
        for (int i = 0; i < 50 && !failed; ++i) {
            failed = !writer.WriteFrame(-1, image);
        }
        EXPECT_TRUE(failed) << name;
        EXPECT_FALSE(writer.Close()) << name;
        EXPECT_FALSE(std::filesystem::exists(path)) << name;  // nothing half-made is left
    }
}

}  // namespace
