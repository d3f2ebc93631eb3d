// The boxes the QuickTime writer adds after the muxer: written into a
// finished movie FFmpeg still reads, read back as written, and refused
// without a change for files that are damaged or laid out otherwise.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "MakeMovieAVI.h"
#include "MovieBoxes.h"
#include "MovieProbe.h"
#include "QuickTimeBoxes.h"
#include "Settings.h"
#include "TestSupport.h"

namespace {

// A finished two-frame 256 x 144 movie in the codec (DNxHR's smallest size).
std::string MakeMovie(TempFolder& folder, const char* name, const char* code, int frames = 2) {
    const std::string path = folder.File(name);
    MovieWriter writer;
    writer.options.codec = code;
    writer.options.storeCodec = false;
    writer.options.pictureAspect = 0.75;
    CDib image(256, 144, 24);
    EXPECT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 25.0, 100, frames));
    for (int i = 0; i < frames; ++i) {
        FillSyntheticFrame(image, i);
        EXPECT_TRUE(writer.WriteFrame(-1, image));
    }
    EXPECT_TRUE(writer.Close());
    return path;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(QuickTimeBoxes, WrittenBoxesReadBackAndTheMovieStillPlays) {
    ScopedSettings settings;
    TempFolder folder;
    for (const char* code : {"png ", "avc1", "AVdh"}) {
        const std::string path = MakeMovie(folder, "boxes.mov", code);
        QuickTimeVideoBoxes boxes;
        std::string error;
        ASSERT_TRUE(ReadQuickTimeVideoBoxes(path, boxes, error)) << error;
        // The writer's: the whole picture, copy, whole frames.
        EXPECT_EQ(boxes.cleanWidth, 256) << code;
        EXPECT_EQ(boxes.cleanHeight, 144) << code;
        EXPECT_EQ(boxes.graphicsMode, kGraphicsModeCopy) << code;
        EXPECT_EQ(boxes.fielFields, 1) << code;
        // Rewritten in place: replacing boxes there are leaves the size.
        const size_t size = ReadBytes(path).size();
        QuickTimeVideoBoxes other{240, 136, kGraphicsModeStraightAlpha, 2, kFielLowerFirst};
        ASSERT_TRUE(WriteQuickTimeVideoBoxes(path, other, error)) << error;
        EXPECT_EQ(ReadBytes(path).size(), size) << code;
        QuickTimeVideoBoxes again;
        ASSERT_TRUE(ReadQuickTimeVideoBoxes(path, again, error)) << error;
        EXPECT_EQ(again.cleanWidth, 240) << code;
        EXPECT_EQ(again.cleanHeight, 136) << code;
        EXPECT_EQ(again.graphicsMode, kGraphicsModeStraightAlpha) << code;
        EXPECT_EQ(again.fielDetail, kFielLowerFirst) << code;
        // An independent reader sees the same, and FFmpeg still decodes.
        const QuickTimeBoxFacts facts = ReadQuickTimeBoxes(path);
        EXPECT_EQ(facts.clapWidth, 240.0) << code;
        EXPECT_EQ(facts.graphicsMode, 0x100) << code;
        EXPECT_EQ(ProbeMovie(path, true).frames.size(), 2u) << code;
    }
}

TEST(QuickTimeBoxes, AMovieWithoutFramesHasNothingToDescribe) {
    ScopedSettings settings;
    TempFolder folder;
    const std::string path = MakeMovie(folder, "empty.mov", "png ", 0);
    const std::vector<uint8_t> before = ReadBytes(path);
    std::string error;
    EXPECT_TRUE(WriteQuickTimeVideoBoxes(path, QuickTimeVideoBoxes{64, 48}, error)) << error;
    EXPECT_EQ(ReadBytes(path), before);
    QuickTimeVideoBoxes boxes;
    EXPECT_FALSE(ReadQuickTimeVideoBoxes(path, boxes, error));
    EXPECT_NE(error.find("no video track"), std::string::npos) << error;
}

// Damaged or otherwise laid out files are refused and left as they are.
TEST(QuickTimeBoxes, FilesTheWalkerCannotTrustAreRefusedUnchanged) {
    ScopedSettings settings;
    TempFolder folder;
    const std::string good = MakeMovie(folder, "good.mov", "png ");
    const std::vector<uint8_t> bytes = ReadBytes(good);
    auto moov = std::search(bytes.begin(), bytes.end(), "moov", "moov" + 4) - bytes.begin() - 4;
    ASSERT_GT(moov, 0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    std::vector<Case> cases;
    // Cut inside the movie box.
    cases.push_back({"cut", std::vector<uint8_t>(bytes.begin(), bytes.end() - 20), "past the end"});
    // A box after the movie box: writing would move it.
    std::vector<uint8_t> trailing = bytes;
    const uint8_t freeBox[8] = {0, 0, 0, 8, 'f', 'r', 'e', 'e'};
    trailing.insert(trailing.end(), freeBox, freeBox + 8);
    cases.push_back({"trailing", trailing, "not the file's last box"});
    // A track whose size claims more than the movie box holds.
    std::vector<uint8_t> oversized = bytes;
    auto trak = std::search(oversized.begin() + moov, oversized.end(), "trak", "trak" + 4) - oversized.begin() - 4;
    oversized[trak] = 0x7f;
    cases.push_back({"oversized", oversized, "damaged"});
    // Not a movie at all.
    cases.push_back({"text", std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', '\n'}, ""});
    for (const Case& c : cases) {
        const std::string path = folder.File(std::string(c.name) + ".mov");
        WriteBytes(path, c.bytes);
        std::string error;
        EXPECT_FALSE(WriteQuickTimeVideoBoxes(path, QuickTimeVideoBoxes{10, 10, 0x100, 2, 9}, error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(ReadBytes(path), c.bytes) << c.name;
    }
    std::string error;
    EXPECT_FALSE(WriteQuickTimeVideoBoxes(folder.File("missing.mov"), QuickTimeVideoBoxes{}, error));
}

}  // namespace
