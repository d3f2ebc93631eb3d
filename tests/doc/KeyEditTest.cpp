// Keyframe editing: Set key at the cursor, the undo ring, the Edit commands
// and the limits of the key table.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include "Doc.h"
#include "HeadlessPlatform.h"
#include "TestSupport.h"
#include "Utilities.h"

namespace {

bool SameKey(const KeyFrame& a, const KeyFrame& b) {
    return std::memcmp(&a, &b, sizeof(KeyFrame)) == 0;
}

class KeyEdit : public ::testing::Test {
protected:
    void SetUp() override {
        Headless().quiet = true;
        ResetHeadless();
        show_ = CreateShow();
        show_->frameRate = kRateNtsc;
        gCurrentFrame = 0;
        Evaluate(*show_, 0);
    }

    // Moves the cursor to `frame`, gives the live keyframe an x of `x` and presses Enter.
    bool EnterAt(int32_t frame, float x) {
        Evaluate(*show_, frame);
        show_->current.x = x;
        return SetKey(*show_);
    }

    // keyCount keys at frames 0, step, 2 step ... with x = 10 * index.
    void FillKeys(int count, int32_t step) {
        for (int k = 0; k < count; ++k) {
            KeyFrame key{};
            key.x = 10.0f * k;
            key.width = 1.0f;
            key.height = 1.0f;
            key.dataSet = static_cast<float>(k % 4);
            key.frame = k * step;
            show_->keys[k] = key;
        }
        show_->keyCount = count;
    }

    ScopedSettings settings_;
    std::unique_ptr<Show> show_;
};

struct RateCase {
    int32_t rate;
    int32_t oneSecond;
};

void PrintTo(const RateCase& c, std::ostream* os) {
    *os << c.rate;
}

class KeyEditRates : public KeyEdit, public ::testing::WithParamInterface<RateCase> {};

TEST_F(KeyEdit, MoveKeepsTheListSortedAndUndoRestoresEveryKey) {
    FillKeys(5, 30);  // 0, 30, 60, 90, 120
    KeyFrame before[5];
    std::memcpy(before, show_->keys, sizeof(before));
    show_->modified = 0;
    EXPECT_EQ(MoveKey(*show_, 4, 45), 2);  // 120 passes 60 and 90
    EXPECT_EQ(show_->keys[2].frame, 45);
    EXPECT_FLOAT_EQ(show_->keys[2].x, 40.0f);
    EXPECT_EQ(show_->keys[4].frame, 90);
    EXPECT_TRUE(show_->modified);
    EXPECT_EQ(MoveKey(*show_, 1, 30), -1);  // to where it is: nothing recorded
    EXPECT_EQ(show_->undoCount, 1);
    EXPECT_EQ(MoveKey(*show_, 3, 7), 1);
    Undo(*show_);
    Undo(*show_);
    for (int k = 0; k < 5; ++k) {
        EXPECT_TRUE(SameKey(show_->keys[k], before[k])) << k;
    }
    Redo(*show_);
    EXPECT_EQ(show_->keys[2].frame, 45);
    Redo(*show_);
    EXPECT_EQ(show_->keys[1].frame, 7);
    EXPECT_EQ(MoveKey(*show_, 0, 10), -1);  // the first key stays at 0
    EXPECT_EQ(show_->keys[0].frame, 0);
}

}  // namespace

TEST_P(KeyEditRates, EnterOnNewShowReplacesKeyZeroThenAddsOneKeyPerSecond) {
    const RateCase rate = GetParam();
    show_->frameRate = rate.rate;
    show_->modified = 0;

    EXPECT_FALSE(SetKey(*show_));
    EXPECT_EQ(show_->keyCount, 1);
    EXPECT_EQ(show_->keys[0].frame, 0);
    EXPECT_EQ(show_->keys[0].slow, 1000.0f);
    EXPECT_EQ(gCurrentFrame, rate.oneSecond);
    EXPECT_EQ(Headless().beeps, 1);
    EXPECT_EQ(show_->modified, 1);

    EXPECT_TRUE(SetKey(*show_));
    EXPECT_EQ(show_->keyCount, 2);
    EXPECT_EQ(show_->keys[1].frame, rate.oneSecond);
    EXPECT_EQ(show_->keys[1].slow, 0.0f);
    EXPECT_EQ(show_->keys[1].width, 1.0f);
    EXPECT_EQ(gCurrentFrame, 2 * rate.oneSecond);
    EXPECT_EQ(Headless().beeps, 2);
    EXPECT_EQ(show_->undoCount, 2);
}

INSTANTIATE_TEST_SUITE_P(AllRates, KeyEditRates,
                         ::testing::Values(RateCase{kRateNtsc, 30}, RateCase{kRatePal, 25}, RateCase{kRateFilm, 24}),
                         [](const ::testing::TestParamInfo<RateCase>& info) {
                             return "Rate" + std::to_string(info.param.rate);
                         });

TEST_F(KeyEdit, EnterWithinFourFramesReplacesAndSnapsUndoPutsItBack) {
    ASSERT_TRUE(EnterAt(30, 5.0f));
    const KeyFrame before = show_->keys[1];

    EXPECT_FALSE(EnterAt(33, 7.0f));
    EXPECT_EQ(show_->keyCount, 2);
    EXPECT_EQ(show_->keys[1].frame, 33);
    EXPECT_EQ(show_->keys[1].x, 7.0f);
    EXPECT_EQ(gCurrentFrame, 33);  // a replaced key other than key 0 keeps the cursor

    Undo(*show_);
    EXPECT_EQ(show_->keyCount, 2);
    EXPECT_TRUE(SameKey(show_->keys[1], before));
    EXPECT_EQ(show_->keys[1].frame, 30);
    EXPECT_EQ(show_->keys[1].x, 5.0f);

    // Four frames away still replaces; five frames away adds.
    EXPECT_FALSE(EnterAt(26, 1.0f));
    EXPECT_EQ(show_->keys[1].frame, 26);
    EXPECT_TRUE(EnterAt(31, 1.0f));
    EXPECT_EQ(show_->keyCount, 3);
}

TEST_F(KeyEdit, EnterNearFrameZeroKeepsKeyZeroAtZero) {
    EXPECT_FALSE(EnterAt(4, 9.0f));
    EXPECT_EQ(show_->keyCount, 1);
    EXPECT_EQ(show_->keys[0].frame, 0);
    EXPECT_EQ(show_->keys[0].x, 9.0f);
    EXPECT_EQ(gCurrentFrame, 4 + 30);
}

TEST_F(KeyEdit, EnterAtTheEndOfTheShowKeysTheLastFrameBeforeIt) {
    EXPECT_TRUE(EnterAt(show_->lengthFrames, 2.0f));
    EXPECT_EQ(show_->keys[1].frame, show_->lengthFrames - 1);
    EXPECT_EQ(gCurrentFrame, show_->lengthFrames);  // evaluation clamps one second on
}

TEST_F(KeyEdit, AddUndoRedoRestoresTheSameContents) {
    Evaluate(*show_, 90);
    KeyFrame& live = show_->current;
    live.x = 1.5f;
    live.spin = 20.0f;
    live.tilt = -4.0f;
    live.dataSet = 3.0f;
    live.reserved54 = 5;
    ASSERT_TRUE(SetKey(*show_));
    const KeyFrame added = show_->keys[1];
    EXPECT_EQ(added.reserved54, 0);
    EXPECT_EQ(added.spin, 20.0f);

    Undo(*show_);
    EXPECT_EQ(show_->keyCount, 1);
    EXPECT_TRUE(CanRedo(*show_));
    EXPECT_FALSE(CanUndo(*show_));
    EXPECT_EQ(gCurrentFrame, 120);  // Undo evaluates the current frame

    Redo(*show_);
    EXPECT_EQ(show_->keyCount, 2);
    EXPECT_TRUE(SameKey(show_->keys[1], added));

    Undo(*show_);
    Redo(*show_);
    EXPECT_TRUE(SameKey(show_->keys[1], added));
}

TEST_F(KeyEdit, DeletingKeyTwoOfFourAndUndoSortsItBack) {
    FillKeys(4, 30);
    const KeyFrame removed = show_->keys[2];
    const KeyFrame last = show_->keys[3];
    show_->modified = 0;

    DeleteKey(*show_, 2);
    EXPECT_EQ(show_->keyCount, 3);
    EXPECT_TRUE(SameKey(show_->keys[2], last));
    EXPECT_EQ(show_->modified, 1);

    Undo(*show_);
    ASSERT_EQ(show_->keyCount, 4);
    EXPECT_TRUE(SameKey(show_->keys[2], removed));
    EXPECT_TRUE(SameKey(show_->keys[3], last));

    Redo(*show_);
    EXPECT_EQ(show_->keyCount, 3);
    EXPECT_TRUE(SameKey(show_->keys[2], last));
}

TEST_F(KeyEdit, ThirtyThreeChangesLoseTheFirst) {
    for (int change = 1; change <= 33; ++change) {
        EnterAt(0, static_cast<float>(change));
    }
    EXPECT_EQ(show_->keys[0].x, 33.0f);
    EXPECT_EQ(show_->undoCount, 32);
    for (int step = 0; step < 32; ++step) {
        Undo(*show_);
    }
    EXPECT_EQ(show_->keys[0].x, 1.0f);
    EXPECT_FALSE(CanUndo(*show_));
    Undo(*show_);
    EXPECT_EQ(show_->keys[0].x, 1.0f);
    EXPECT_EQ(show_->redoCount, 32);
}

TEST_F(KeyEdit, ThirtyTwoUndoAndRedoStepsWalkTheWholeRing) {
    for (int change = 1; change <= 32; ++change) {
        EnterAt(0, static_cast<float>(change));
    }
    for (int step = 1; step <= 32; ++step) {
        Undo(*show_);
        EXPECT_EQ(show_->keys[0].x, static_cast<float>(32 - step));
        EXPECT_GE(show_->undoPos, 0);
        EXPECT_LT(show_->undoPos, kUndoSteps);
    }
    EXPECT_EQ(show_->undoCount, 0);
    for (int step = 1; step <= 32; ++step) {
        Redo(*show_);
        EXPECT_EQ(show_->keys[0].x, static_cast<float>(step));
        EXPECT_GE(show_->undoPos, 0);
        EXPECT_LT(show_->undoPos, kUndoSteps);
    }
    EXPECT_EQ(show_->undoCount, 32);
    EXPECT_EQ(show_->redoCount, 0);
    Redo(*show_);
    EXPECT_EQ(show_->keys[0].x, 32.0f);
}

TEST_F(KeyEdit, ANewChangeClearsWhatCouldBeRedone) {
    ASSERT_TRUE(EnterAt(60, 1.0f));
    ASSERT_TRUE(EnterAt(120, 2.0f));
    Undo(*show_);
    Undo(*show_);
    EXPECT_EQ(show_->keyCount, 1);
    EXPECT_EQ(show_->redoCount, 2);

    ASSERT_TRUE(EnterAt(300, 3.0f));
    EXPECT_FALSE(CanRedo(*show_));
    Redo(*show_);
    EXPECT_EQ(show_->keyCount, 2);
    EXPECT_EQ(show_->keys[1].frame, 300);

    // Undo still steps back through the new change, then the older ring.
    Undo(*show_);
    EXPECT_EQ(show_->keyCount, 1);
}

TEST_F(KeyEdit, UndoAndRedoStayInsideTheRingWhateverTheState) {
    const int32_t positions[] = {-1, -2, 31, 32, 1000, INT_MAX, INT_MIN};
    const int32_t counts[] = {-5, 0, 1, 32, 33, INT_MAX, INT_MIN};
    for (int32_t position : positions) {
        for (int32_t count : counts) {
            show_->undoPos = position;
            show_->undoCount = count;
            Undo(*show_);
            if (count > 0) {
                EXPECT_GE(show_->undoPos, 0);
                EXPECT_LT(show_->undoPos, kUndoSteps);
            }
            show_->undoPos = position;
            show_->redoCount = count;
            Redo(*show_);
            if (count > 0) {
                EXPECT_GE(show_->undoPos, 0);
                EXPECT_LT(show_->undoPos, kUndoSteps);
            }
            show_->undoPos = position;
            show_->undoCount = count;
            PushUndo(*show_, show_->keys[0], 0);
            EXPECT_GE(show_->undoPos, 0);
            EXPECT_LT(show_->undoPos, kUndoSteps);
            EXPECT_GE(show_->undoCount, 1);
            EXPECT_LE(show_->undoCount, kUndoSteps);
        }
    }
    EXPECT_GE(show_->keyCount, 1);
    EXPECT_LE(show_->keyCount, kMaxKeys);
}

TEST_F(KeyEdit, EntriesThatCannotApplyChangeNoKey) {
    FillKeys(3, 30);
    KeyFrame snapshot[kMaxKeys];
    std::memcpy(snapshot, show_->keys, sizeof(snapshot));

    KeyFrame contents{};
    contents.frame = 500;
    PushUndo(*show_, contents, 80);          // unknown code
    PushUndo(*show_, contents, kUndoAdded);  // no key at frame 500
    contents.frame = 0;
    PushUndo(*show_, contents, kUndoAdded);  // key 0 is never removed
    for (int step = 0; step < 3; ++step) {
        Undo(*show_);
    }
    EXPECT_EQ(show_->keyCount, 3);
    EXPECT_EQ(std::memcmp(snapshot, show_->keys, sizeof(snapshot)), 0);

    // A removed key cannot come back into a full table.
    FillKeys(kMaxKeys, 10);
    PushUndo(*show_, contents, kUndoRemoved);
    Undo(*show_);
    EXPECT_EQ(show_->keyCount, kMaxKeys);
}

TEST_F(KeyEdit, CutAndDeleteNeverRemoveKeyZeroCopyOfKeyZeroWorks) {
    FillKeys(3, 30);
    show_->keys[0].spin = 12.0f;
    const KeyFrame clipBefore = show_->clipKey;
    for (int selected : {0, -1, 3, 99}) {
        show_->selectedKey = selected;
        CutKeyCommand(*show_);
        DeleteKeyCommand(*show_);
    }
    DeleteKey(*show_, 0);
    EXPECT_EQ(show_->keyCount, 3);
    EXPECT_EQ(Headless().beeps, 0);
    EXPECT_EQ(show_->undoCount, 0);
    EXPECT_TRUE(SameKey(show_->clipKey, clipBefore));

    show_->selectedKey = 0;
    CopyKeyCommand(*show_);
    EXPECT_TRUE(SameKey(show_->clipKey, show_->keys[0]));
    EXPECT_EQ(show_->keyCount, 3);
}

TEST_F(KeyEdit, CutPutsTheKeyOnTheClipboardAndUndoBringsItBack) {
    FillKeys(3, 30);
    const KeyFrame cut = show_->keys[1];
    show_->selectedKey = 1;
    CutKeyCommand(*show_);
    EXPECT_EQ(show_->keyCount, 2);
    EXPECT_TRUE(SameKey(show_->clipKey, cut));
    EXPECT_EQ(Headless().beeps, 1);

    Undo(*show_);
    EXPECT_EQ(show_->keyCount, 3);
    EXPECT_TRUE(SameKey(show_->keys[1], cut));

    show_->selectedKey = 2;
    DeleteKeyCommand(*show_);
    EXPECT_EQ(show_->keyCount, 2);
    EXPECT_EQ(Headless().beeps, 2);
}

TEST_F(KeyEdit, PasteOntoSelectedKeyKeepsFrameAndDataSet) {
    FillKeys(3, 30);
    show_->keys[1].reserved54 = 1;
    show_->keys[1].reserved44 = 8.0f;
    KeyFrame clip{};
    clip.x = 1.0f;
    clip.reserved4 = 1.5f;
    clip.y = 2.0f;
    clip.width = 3.0f;
    clip.height = 4.0f;
    clip.spin = 5.0f;
    clip.tilt = 6.0f;
    clip.slow = 2000.0f;
    clip.dataSet = 4.0f;
    clip.frame = 999;
    show_->clipKey = clip;
    show_->selectedKey = 1;
    show_->modified = 0;
    Evaluate(*show_, 45);

    PasteKeyCommand(*show_);
    const KeyFrame& key = show_->keys[1];
    EXPECT_EQ(key.x, 1.0f);
    EXPECT_EQ(key.reserved4, 1.5f);
    EXPECT_EQ(key.y, 2.0f);
    EXPECT_EQ(key.width, 3.0f);
    EXPECT_EQ(key.height, 4.0f);
    EXPECT_EQ(key.spin, 5.0f);
    EXPECT_EQ(key.tilt, 6.0f);
    EXPECT_EQ(key.slow, 2000.0f);
    EXPECT_EQ(key.dataSet, 1.0f);
    EXPECT_EQ(key.frame, 30);
    EXPECT_EQ(key.reserved44, 8.0f);
    EXPECT_EQ(key.reserved54, 1);
    EXPECT_EQ(show_->keyCount, 3);
    EXPECT_EQ(show_->undoCount, 0);  // the paste itself is not undoable
    EXPECT_EQ(show_->modified, 1);
    EXPECT_EQ(Headless().beeps, 1);
    EXPECT_EQ(gCurrentFrame, 45);
}

TEST_F(KeyEdit, PasteWithoutSelectionSetsAKeyAtTheCursor) {
    KeyFrame clip{};
    clip.x = 0.25f;
    clip.spin = 45.0f;
    clip.dataSet = 4.0f;
    show_->clipKey = clip;
    show_->selectedKey = -1;
    Evaluate(*show_, 200);
    show_->current.dataSet = 2.0f;

    PasteKeyCommand(*show_);
    ASSERT_EQ(show_->keyCount, 2);
    EXPECT_EQ(show_->keys[1].frame, 200);
    EXPECT_EQ(show_->keys[1].x, 0.25f);
    EXPECT_EQ(show_->keys[1].spin, 45.0f);
    EXPECT_EQ(show_->keys[1].dataSet, 2.0f);
    EXPECT_EQ(gCurrentFrame, 200);  // back at the frame of the paste
    EXPECT_EQ(show_->undoCount, 1);
}

TEST_F(KeyEdit, SixtyThreeKeysRefuseSilently) {
    FillKeys(kSetKeyLimit, 10);
    show_->modified = 0;
    const int undoBefore = show_->undoCount;

    EXPECT_FALSE(EnterAt(5000, 1.0f));
    EXPECT_EQ(show_->keyCount, kSetKeyLimit);
    EXPECT_EQ(Headless().beeps, 0);
    EXPECT_EQ(show_->undoCount, undoBefore);
    EXPECT_EQ(show_->modified, 0);
    EXPECT_EQ(gCurrentFrame, 5000);

    // A key within four frames can still be replaced.
    EXPECT_FALSE(EnterAt(102, 7.0f));
    EXPECT_EQ(show_->keys[10].x, 7.0f);
    EXPECT_EQ(show_->keys[10].frame, 102);
    EXPECT_EQ(Headless().beeps, 1);
}

TEST_F(KeyEdit, SortKeepsTheFirstOfEqualFramesInPlace) {
    FillKeys(4, 0);
    const int32_t frames[] = {0, 50, 0, 20};
    for (int k = 0; k < 4; ++k) {
        show_->keys[k].frame = frames[k];
    }
    SortKeys(*show_);
    EXPECT_EQ(show_->keys[0].x, 0.0f);
    EXPECT_EQ(show_->keys[1].x, 20.0f);
    EXPECT_EQ(show_->keys[2].frame, 20);
    EXPECT_EQ(show_->keys[3].frame, 50);
    EXPECT_EQ(show_->keys[3].x, 10.0f);
}

TEST_F(KeyEdit, GetPutAndFindKeyNearRespectTheirRanges) {
    KeyFrame out{};
    out.x = 3.0f;
    EXPECT_FALSE(GetKey(*show_, -1, out));
    EXPECT_FALSE(GetKey(*show_, kMaxKeys, out));
    EXPECT_EQ(out.x, 3.0f);
    EXPECT_TRUE(GetKey(*show_, 63, out));  // any slot, used or not
    EXPECT_EQ(out.x, 0.0f);

    show_->modified = 0;
    PutKey(*show_, kMaxKeys, out);
    PutKey(*show_, -1, out);
    EXPECT_EQ(show_->modified, 0);
    KeyFrame key = show_->keys[0];
    key.tilt = 11.0f;
    PutKey(*show_, 0, key);
    EXPECT_EQ(show_->keys[0].tilt, 11.0f);
    EXPECT_EQ(show_->modified, 1);

    FillKeys(3, 30);
    show_->keys[3].frame = 90;
    EXPECT_EQ(FindKeyNear(*show_, 33), 1);
    EXPECT_EQ(FindKeyNear(*show_, 34), -1);
    EXPECT_EQ(FindKeyNear(*show_, 57), 2);
    EXPECT_EQ(FindKeyNear(*show_, -3), 0);
    EXPECT_EQ(FindKeyNear(*show_, INT_MIN), -1);
    EXPECT_EQ(FindKeyNear(*show_, 90), -1);  // slot 3 is not in use
}

TEST_F(KeyEdit, UndoAndRedoMarkTheShowModified) {
    ASSERT_TRUE(EnterAt(60, 1.0f));
    show_->modified = 0;  // as after saving
    Undo(*show_);
    EXPECT_EQ(show_->modified, 1);
    show_->modified = 0;
    Redo(*show_);
    EXPECT_EQ(show_->modified, 1);
}
