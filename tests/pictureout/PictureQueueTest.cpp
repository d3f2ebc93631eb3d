// The writer threads of picture sequences: every picture written once with
// its own pixels, no more pictures alive than the bound, and the first
// failure in submission order reported with later pictures dropped.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "PictureQueue.h"

namespace {

TEST(PictureQueue, WritesEveryPictureWithItsOwnPixelsWithinTheBound) {
    std::mutex mutex;
    std::set<std::string> written;
    bool pixelsMatch = true;
    PictureQueue queue(
        [&](const CDib& picture, const std::string& name) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            std::lock_guard<std::mutex> lock(mutex);
            pixelsMatch = pixelsMatch && std::to_string(picture.Row(0)[0]) == name;
            return written.insert(name).second;
        },
        2, 3, 24);
    std::set<CDib*> seen;
    for (int i = 0; i < 40; ++i) {
        CDib* picture = queue.Free();
        ASSERT_NE(picture, nullptr);
        seen.insert(picture);
        ASSERT_TRUE(picture->Create(4, 4, 24));
        picture->Row(0)[0] = static_cast<uint8_t>(i);
        queue.Submit(picture, std::to_string(i));
    }
    EXPECT_EQ(queue.Finish(), "");
    EXPECT_EQ(written.size(), 40u);
    EXPECT_TRUE(pixelsMatch);
    EXPECT_LE(seen.size(), 3u);  // the pictures are reused, not one a frame
}

TEST(PictureQueue, ReportsTheFirstFailureAndStopsHandingOutPictures) {
    std::atomic<int> writes{0};
    PictureQueue queue(
        [&](const CDib&, const std::string& name) {
            ++writes;
            return name != "3" && name != "5";
        },
        2, 3, 24);
    int submitted = 0;
    for (int i = 0; i < 100; ++i) {
        CDib* picture = queue.Free();
        if (!picture)
            break;
        queue.Submit(picture, std::to_string(i));
        ++submitted;
    }
    EXPECT_EQ(queue.Finish(), "3");
    EXPECT_LT(submitted, 100);
    EXPECT_LT(writes.load(), 100);
    EXPECT_EQ(queue.Free(), nullptr);
}

}  // namespace
