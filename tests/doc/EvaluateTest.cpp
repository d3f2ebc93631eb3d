// Keyframe evaluation: easing, interpolation between keys, the values derived
// from the current keyframe, the data morph and stream rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Doc.h"
#include "HeadlessPlatform.h"
#include "TestSupport.h"
#include "Utilities.h"

namespace {

constexpr double kH = 1.5707;

// The ease sampled from its definition apart from the program
// (tests/data/reference/ease.csv, made by make-ease-table.py beside it):
// t, p and q as single-precision numbers and the ease there.
struct EaseSample {
    float t = 0;
    float p = 0;
    float q = 0;
    double ease = 0;
};

const std::vector<EaseSample>& EaseTable() {
    static const std::vector<EaseSample> table = [] {
        std::vector<EaseSample> rows;
        std::ifstream in(std::string(TAVRILO_TEST_DATA) + "/reference/ease.csv");
        std::string line;
        std::getline(in, line);  // the column names
        while (std::getline(in, line)) {
            EaseSample row;
            if (std::sscanf(line.c_str(), "%f,%f,%f,%lf", &row.t, &row.p, &row.q, &row.ease) == 4) {
                rows.push_back(row);
            }
        }
        return rows;
    }();
    return table;
}

// The sampled ease at t, p and q (taken as single-precision numbers, as
// the evaluation does); a position the table lacks fails the test.
double SampledEase(double t, double p, double q) {
    const float ft = static_cast<float>(t);
    const float fp = static_cast<float>(p);
    const float fq = static_cast<float>(q);
    for (const EaseSample& row : EaseTable()) {
        if (row.t == ft && row.p == fp && row.q == fq) {
            return row.ease;
        }
    }
    ADD_FAILURE() << "the ease table has no sample at " << t << ", " << p << ", " << q;
    return std::nan("");
}

KeyFrame Key(int32_t frame, float x, float slow) {
    KeyFrame key{};
    key.frame = frame;
    key.x = x;
    key.width = 1.0f;
    key.height = 1.0f;
    key.slow = slow;
    return key;
}

float X(const std::vector<KeyFrame>& keys, int32_t frame) {
    return Interpolate(keys.data(), static_cast<int>(keys.size()), 0, frame, true);
}

class Evaluation : public ::testing::Test {
protected:
    void SetUp() override {
        Headless().quiet = true;
        ResetHeadless();
        show_ = CreateShow();
    }

    void SetKeys(const std::vector<KeyFrame>& keys) {
        for (size_t k = 0; k < keys.size(); ++k) {
            show_->keys[k] = keys[k];
        }
        show_->keyCount = static_cast<int32_t>(keys.size());
    }

    ScopedSettings settings_;
    std::unique_ptr<Show> show_;
};

// Records when the show's views are told of a frame, and what they see then.
class FakeViews : public FrameViews {
public:
    explicit FakeViews(const Show& show) : show_(show) {}
    int told = 0;
    int32_t frameSeen = -1;
    float xSeen = -1.0f;
    void FrameChanged() override {
        ++told;
        frameSeen = gCurrentFrame;
        xSeen = show_.current.x;
    }

private:
    const Show& show_;
};

}  // namespace

TEST(Ease, EndsAndShapes) {
    // H is a little short of pi / 2, so the start is only nearly 0.
    EXPECT_NEAR(Ease(0.0f, 0.5f, 0.5f), 0.0f, 1e-8);
    EXPECT_NEAR(Ease(1.0f, 0.5f, 0.5f), 1.0f, 1e-6);
    EXPECT_FLOAT_EQ(Ease(0.5f, 0.5f, 0.5f), 0.5f);
    // Whole-segment ease in and ease out.
    for (float t : {0.1f, 0.3f, 0.7f, 0.95f}) {
        EXPECT_NEAR(Ease(t, 1.0f, 1.0f), 1.0 + std::sin(kH * t - kH), 1e-6) << t;
        EXPECT_NEAR(Ease(t, 0.0f, 0.0f), std::sin(kH * t), 1e-6) << t;
        EXPECT_NEAR(Ease(t, 0.4f, 0.6f), SampledEase(t, 0.4f, 0.6f), 1e-6) << t;
    }
    EXPECT_NEAR(Ease(1.0f, 1.0f, 1.0f), 1.0, 1e-6);
    EXPECT_FLOAT_EQ(Ease(0.0f, 0.0f, 0.0f), 0.0f);
}

TEST(Ease, MatchesTheSampledTable) {
    ASSERT_GE(EaseTable().size(), 200u);
    for (const EaseSample& row : EaseTable()) {
        EXPECT_NEAR(Ease(row.t, row.p, row.q), row.ease, 1e-7) << row.t << ", " << row.p << ", " << row.q;
    }
}

TEST(Interpolate, OneKeyGivesItsValuesEverywhere) {
    const std::vector<KeyFrame> keys = {Key(0, 42.0f, 1000.0f)};
    for (int32_t frame : {-10, 0, 1, 500, 100000}) {
        EXPECT_EQ(X(keys, frame), 42.0f);
        EXPECT_EQ(Interpolate(keys.data(), 1, 8, frame, false), 1000.0f);
    }
}

TEST(Interpolate, TwoKeysInAndOutCubic) {
    const std::vector<KeyFrame> keys = {Key(0, 0.0f, 1000.0f), Key(30, 100.0f, 1000.0f)};
    EXPECT_NEAR(X(keys, 0), 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(X(keys, 15), 37.5f);
    // 200 s'^2 - 100 s'^3 with s' the in-and-out ease of s.
    const double eased = SampledEase(0.2, 0.5, 0.5);
    EXPECT_NEAR(X(keys, 6), 200.0 * eased * eased - 100.0 * eased * eased * eased, 1e-4);
    EXPECT_EQ(X(keys, 30), 100.0f);
    EXPECT_EQ(X(keys, 31), 100.0f);
    EXPECT_EQ(X(keys, 1000000), 100.0f);
    float previous = -1.0f;
    for (int32_t frame = 0; frame <= 30; ++frame) {
        EXPECT_GE(X(keys, frame), previous) << frame;
        previous = X(keys, frame);
    }
}

TEST(Interpolate, AutomaticEasingOfTwoKeysIsAStraightSineInAndOut) {
    const std::vector<KeyFrame> keys = {Key(0, 0.0f, 0.0f), Key(30, 100.0f, 0.0f)};
    EXPECT_NEAR(X(keys, 15), 50.0, 1e-4);
    for (int32_t frame : {3, 6, 12, 20, 27}) {
        const double s = frame / 30.0;
        EXPECT_NEAR(X(keys, frame), 100.0 * SampledEase(s, 0.5, 0.5), 1e-3) << frame;
        EXPECT_NEAR(X(keys, frame) + X(keys, 30 - frame), 100.0, 1e-3) << frame;
    }
    // Straight, not the cubic: the cubic gives 37.5 at the middle.
    EXPECT_GT(X(keys, 15), 40.0f);
}

TEST(Interpolate, AutomaticEasingOfThreeKeysEasesInFirstAndOutLast) {
    const std::vector<KeyFrame> keys = {Key(0, 0.0f, 0.0f), Key(30, 100.0f, 0.0f), Key(60, 200.0f, 0.0f)};
    for (int32_t frame : {5, 15, 25}) {
        const double s = frame / 30.0;
        EXPECT_NEAR(X(keys, frame), 100.0 * (1.0 + std::sin(kH * s - kH)), 1e-3) << frame;
        EXPECT_NEAR(X(keys, 30 + frame), 100.0 + 100.0 * std::sin(kH * s), 1e-3) << frame;
    }
    EXPECT_EQ(X(keys, 30), 100.0f);
    EXPECT_EQ(X(keys, 60), 200.0f);
}

TEST(Interpolate, AutomaticEasingOfFourKeysKeepsTheMiddleStraight) {
    const std::vector<KeyFrame> keys = {Key(0, 0.0f, 0.0f), Key(30, 100.0f, 0.0f), Key(60, 200.0f, 0.0f),
                                        Key(90, 400.0f, 0.0f)};
    EXPECT_NEAR(X(keys, 45), 150.0, 1e-4);
    EXPECT_NEAR(X(keys, 40), 100.0 + 100.0 / 3.0, 1e-3);
    EXPECT_NEAR(X(keys, 50), 100.0 + 200.0 / 3.0, 1e-3);
    EXPECT_NEAR(X(keys, 75), 200.0 + 200.0 * std::sin(kH * 0.5), 1e-3);  // last eases out
}

TEST(Interpolate, OddSlowCodeIsStraightWithItsPercent) {
    const std::vector<KeyFrame> keys = {Key(0, 0.0f, 1001.0f), Key(100, 100.0f, 0.0f)};
    const double p = static_cast<float>(0.495);
    const double q = static_cast<float>(0.505);
    for (int32_t frame : {10, 30, 49, 50, 51, 70, 90}) {
        EXPECT_NEAR(X(keys, frame), 100.0 * SampledEase(frame / 100.0, p, q), 1e-3) << frame;
    }
}

TEST(Interpolate, CodedEasings) {
    struct Case {
        float slow;
        double p, q;
        bool straight;
    };
    // 2000 in, 3000 out, 4000 none; an even percent keeps the cubic.
    const Case cases[] = {{2000.0f, 1.0, 1.0, false}, {3000.0f, 0.0, 0.0, false}, {4000.0f, 0.0, 1.0, false},
                          {1020.0f, 0.4, 0.6, false}, {2021.0f, 0.79, 1.0, true}, {3021.0f, 0.0, 0.21, true}};
    for (const Case& c : cases) {
        const std::vector<KeyFrame> keys = {Key(0, 0.0f, c.slow), Key(40, 100.0f, 0.0f)};
        for (int32_t frame : {4, 10, 20, 33}) {
            const double s = frame / 40.0;
            const double e = SampledEase(s, static_cast<float>(c.p), static_cast<float>(c.q));
            const double expected = c.straight ? 100.0 * e : 200.0 * e * e - 100.0 * e * e * e;
            EXPECT_NEAR(X(keys, frame), expected, 2e-3) << c.slow << " at " << frame;
        }
    }
    // No easing and the cubic: 200 s^2 - 100 s^3 exactly.
    const std::vector<KeyFrame> none = {Key(0, 0.0f, 4000.0f), Key(40, 100.0f, 0.0f)};
    EXPECT_NEAR(X(none, 8), 7.2, 1e-4);
}

TEST(Interpolate, SmallFirstChangeBringsTheSecondKeyToRest) {
    // M_0 = |trunc(0.5)| = 0, so the tangent at key 1 is 0 and the second
    // segment is 0.5 + 199 s^2 - 99.5 s^3.
    const std::vector<KeyFrame> keys = {Key(0, 0.0f, 1000.0f), Key(30, 0.5f, 1000.0f), Key(60, 100.0f, 1000.0f)};
    EXPECT_NEAR(X(keys, 45), 37.8125, 1e-4);
    // With a whole unit of change the tangent is 0.5 * (3 / 99) * 100.
    std::vector<KeyFrame> moving = keys;
    moving[1].x = 1.0f;
    const double t1 = 0.5 * (3.0 / 99.0) * 100.0;
    const double t2 = 99.0;
    const double expected = 1.0 + t1 * 0.5 + (3.0 * 99.0 - 2.0 * t1 - t2) * 0.25 + (t1 + t2 - 2.0 * 99.0) * 0.125;
    EXPECT_NEAR(X(moving, 45), expected, 1e-3);
}

TEST(Interpolate, ZeroChangeAfterTheFirstKeyCountsAsOne) {
    // M_1 = 0 is raised to 1: w_1 = 3 / 100 and T_1 = 1.5.
    const std::vector<KeyFrame> keys = {Key(0, 0.0f, 1000.0f), Key(30, 100.0f, 1000.0f), Key(60, 100.0f, 1000.0f),
                                        Key(90, 0.0f, 1000.0f)};
    EXPECT_NEAR(X(keys, 15), 298.5 * 0.25 - 198.5 * 0.125, 1e-3);
}

TEST(Interpolate, StepChannelsAndKeysSharingAFrame) {
    std::vector<KeyFrame> keys = {Key(0, 0.0f, 1000.0f), Key(30, 50.0f, 2000.0f), Key(30, 100.0f, 3000.0f)};
    keys[0].dataSet = 1.0f;
    keys[1].dataSet = 3.0f;
    keys[2].dataSet = 4.0f;
    EXPECT_EQ(Interpolate(keys.data(), 3, 9, 29, false), 1.0f);
    EXPECT_EQ(Interpolate(keys.data(), 3, 8, 29, false), 1000.0f);
    // The empty segment between the two keys at 30 covers nothing.
    EXPECT_EQ(Interpolate(keys.data(), 3, 9, 30, false), 4.0f);
    EXPECT_EQ(X(keys, 30), 100.0f);
    // Before the first key: the last key's value.
    keys[0].frame = 10;
    EXPECT_EQ(X(keys, 5), 100.0f);
}

TEST_F(Evaluation, NewShowIsFullSizeAtEveryFrame) {
    for (int32_t frame : {0, 1, 100, 17980}) {
        Evaluate(*show_, frame);
        EXPECT_EQ(show_->chartWidth, 100);
        EXPECT_EQ(show_->chartHeight, 100);
        EXPECT_EQ(show_->showSet, 0);
        EXPECT_EQ(show_->current.slow, 1000.0f);
    }
}

TEST_F(Evaluation, FramesAreClampedToTheShow) {
    Evaluate(*show_, -5);
    EXPECT_EQ(gCurrentFrame, 0);
    Evaluate(*show_, INT32_MIN);
    EXPECT_EQ(gCurrentFrame, 0);
    Evaluate(*show_, show_->lengthFrames + 100);
    EXPECT_EQ(gCurrentFrame, show_->lengthFrames);
    Evaluate(*show_, show_->lengthFrames);
    EXPECT_EQ(gCurrentFrame, show_->lengthFrames);
    Evaluate(*show_, 77);
    EXPECT_EQ(gCurrentFrame, 77);

    // A key beyond the end is never reached.
    SetKeys({Key(0, 0.0f, 0.0f), Key(show_->lengthFrames + 30, 100.0f, 0.0f)});
    Evaluate(*show_, show_->lengthFrames + 30);
    EXPECT_LT(show_->current.x, 100.0f);
}

TEST_F(Evaluation, StoredKeyCountsOutsideTheTableStayInsideIt) {
    for (int k = 0; k < kMaxKeys; ++k) {
        show_->keys[k] = Key(k * 10, static_cast<float>(k), 0.0f);
    }
    show_->animateData = 1;
    show_->keyCount = 1000;
    Evaluate(*show_, 5000);
    EXPECT_EQ(show_->current.x, 63.0f);
    show_->keyCount = 0;
    Evaluate(*show_, 5000);
    EXPECT_EQ(show_->current.x, 0.0f);
    show_->keyCount = -7;
    Evaluate(*show_, 15);
    EXPECT_EQ(show_->current.x, 0.0f);
}

TEST_F(Evaluation, DerivedSizesAndSetTruncateTowardZero) {
    KeyFrame key = Key(0, 0.0f, 1000.0f);
    key.width = 0.7549f;
    key.height = 0.499f;
    key.dataSet = 2.9f;
    SetKeys({key});
    Evaluate(*show_, 10);
    EXPECT_EQ(show_->chartWidth, 50);
    EXPECT_EQ(show_->chartHeight, 0);
    EXPECT_EQ(show_->showSet, 2);

    key.width = 0.5f;
    key.height = 0.3f;
    key.dataSet = -0.5f;
    SetKeys({key});
    Evaluate(*show_, 10);
    EXPECT_EQ(show_->chartWidth, 0);
    EXPECT_EQ(show_->chartHeight, -39);  // 0.3f is a little above 0.3: -39.99... toward zero
    EXPECT_EQ(show_->showSet, 0);
}

TEST_F(Evaluation, CurrentHoldsOnlyTheEvaluatedChannels) {
    KeyFrame a = Key(0, 1.0f, 1000.0f);
    a.reserved4 = 9.0f;
    a.reserved28 = 4.0f;
    a.reserved40 = 5.0f;
    a.reserved44 = 6.0f;
    a.reserved52 = 7;
    a.reserved54 = 8;
    a.spin = -30.0f;
    a.tilt = 20.0f;
    a.y = 0.25f;
    SetKeys({a});
    show_->current.frame = 123;
    Evaluate(*show_, 40);
    const KeyFrame& c = show_->current;
    EXPECT_EQ(c.x, 1.0f);
    EXPECT_EQ(c.reserved4, 0.0f);
    EXPECT_EQ(c.y, 0.25f);
    EXPECT_EQ(c.spin, -30.0f);
    EXPECT_EQ(c.tilt, 20.0f);
    EXPECT_EQ(c.reserved28, 4.0f);
    EXPECT_EQ(c.reserved40, 0.0f);
    EXPECT_EQ(c.reserved44, 0.0f);
    EXPECT_EQ(c.frame, 0);
    EXPECT_EQ(c.reserved52, 0);
    EXPECT_EQ(c.reserved54, 0);
}

TEST_F(Evaluation, DataMorphFollowsTheMotionTiming) {
    KeyFrame a = Key(0, 0.0f, 1000.0f);
    a.dataSet = 2.0f;
    KeyFrame b = Key(30, 100.0f, 0.0f);
    b.dataSet = 3.0f;
    SetKeys({a, b});
    for (int k = 0; k < kCategories; ++k) {
        show_->values[1][k] = 10.0f + k;
        show_->values[2][k] = 110.0f + k;
    }
    show_->animateData = 1;
    Evaluate(*show_, 0);
    EXPECT_EQ(show_->currentValues[0], 10.0f);
    EXPECT_EQ(show_->currentValues[32], 42.0f);
    Evaluate(*show_, 15);
    for (int k = 0; k < kCategories; ++k) {
        EXPECT_NEAR(show_->currentValues[k], 47.5f + k, 1e-4) << k;
    }
    EXPECT_NEAR(show_->current.x, 37.5f, 1e-4);
    for (int32_t frame : {30, 31, 5000}) {
        Evaluate(*show_, frame);
        EXPECT_EQ(show_->currentValues[0], 110.0f) << frame;
        EXPECT_EQ(show_->currentValues[32], 142.0f) << frame;
    }

    // With data animation off the values stay as they were.
    show_->animateData = 0;
    show_->currentValues[3] = -1.0f;
    Evaluate(*show_, 15);
    EXPECT_EQ(show_->currentValues[3], -1.0f);
}

TEST_F(Evaluation, DataSetsZeroAndOneBothMorphFromTheFirstRow) {
    KeyFrame a = Key(0, 0.0f, 1000.0f);
    KeyFrame b = Key(30, 0.0f, 0.0f);
    b.dataSet = 1.0f;
    SetKeys({a, b});
    show_->animateData = 1;
    Evaluate(*show_, 15);
    EXPECT_FLOAT_EQ(show_->currentValues[0], show_->values[0][0]);
    EXPECT_FLOAT_EQ(show_->currentValues[2], show_->values[0][2]);
}

TEST_F(Evaluation, DataSetsBeyondTheRowsUseTheLastRow) {
    for (int k = 0; k < kCategories; ++k) {
        show_->values[4][k] = 500.0f + k;
        show_->values[0][k] = 1.0f + k;
    }
    for (float dataSet : {6.0f, 9.0f, 1e30f, INFINITY, NAN, -3.0f}) {
        KeyFrame key = Key(0, 0.0f, 1000.0f);
        key.dataSet = dataSet;
        SetKeys({key});
        show_->animateData = 1;
        Evaluate(*show_, 5);
        const float expected = (dataSet >= 5.0f) ? 500.0f : 1.0f;
        EXPECT_EQ(show_->currentValues[0], expected) << dataSet;
        EXPECT_EQ(show_->currentValues[32], expected + 32.0f) << dataSet;
    }
}

TEST_F(Evaluation, StreamRowsAreSteppedAndReplaceTheirCategories) {
    show_->animateData = 1;
    show_->streamColumns = 3;
    show_->streamLastRow = 9;
    show_->streamInterval = 30.0f;
    for (int row = 0; row < 10; ++row) {
        for (int k = 0; k < 3; ++k) {
            show_->streamValues.push_back(100.0f * row + k);
        }
    }
    Evaluate(*show_, 95);
    EXPECT_EQ(show_->currentValues[0], 300.0f);
    EXPECT_EQ(show_->currentValues[2], 302.0f);
    EXPECT_FLOAT_EQ(show_->currentValues[3], show_->values[0][3]);  // morphed, not streamed
    Evaluate(*show_, 1000);
    EXPECT_EQ(show_->currentValues[0], 900.0f);
    Evaluate(*show_, 0);
    EXPECT_EQ(show_->currentValues[1], 1.0f);
}

TEST_F(Evaluation, StreamNeverReadsOutsideItsRows) {
    show_->animateData = 1;
    show_->streamColumns = 2;
    show_->streamValues = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f};
    for (float interval : {0.0f, -5.0f, 1e-30f, NAN, INFINITY}) {
        for (int32_t lastRow : {2, 50, -4}) {
            show_->streamInterval = interval;
            show_->streamLastRow = lastRow;
            for (int32_t frame : {0, 7, 17980}) {
                Evaluate(*show_, frame);
                const float first = show_->currentValues[0];
                EXPECT_TRUE(first == 1.0f || first == 3.0f || first == 5.0f)
                    << interval << " " << lastRow << " " << frame << " " << first;
                EXPECT_EQ(show_->currentValues[1], first + 1.0f);
            }
        }
    }
}

TEST_F(Evaluation, WideStreamRowsFillOnlyTheCategories) {
    show_->animateData = 1;
    show_->streamColumns = 40;
    show_->streamLastRow = 0;
    show_->streamInterval = 30.0f;
    show_->streamValues.assign(40, 7.0f);
    const int32_t imageWidth = show_->backgroundImage.Width();
    Evaluate(*show_, 0);
    EXPECT_EQ(show_->currentValues[32], 7.0f);
    EXPECT_EQ(show_->backgroundImage.Width(), imageWidth);
}

TEST_F(Evaluation, OnlyShowingAFrameTellsTheViews) {
    FakeViews views(*show_);
    show_->views = &views;
    SetKeys({Key(0, 0.0f, 1000.0f), Key(30, 100.0f, 0.0f)});

    Evaluate(*show_, 15);
    EXPECT_EQ(views.told, 0);
    const KeyFrame atFifteen = show_->current;
    ShowFrame(*show_, 20);
    EXPECT_EQ(views.told, 1);
    EXPECT_EQ(views.frameSeen, 20);  // told after the frame is in the show
    EXPECT_EQ(views.xSeen, show_->current.x);
    EXPECT_NE(show_->current.x, atFifteen.x);
    // Evaluating without views works the same and tells nobody.
    show_->views = nullptr;
    ShowFrame(*show_, 15);
    EXPECT_EQ(std::memcmp(&show_->current, &atFifteen, sizeof(KeyFrame)), 0);
    EXPECT_EQ(views.told, 1);
    show_->views = nullptr;
}

// ---------------------------------------------------------------- HOLD

namespace {

// Seven keys with every easing: each segment changes some channels and
// holds others (equal values on both of its keys).
std::vector<KeyFrame> HoldShowKeys() {
    struct Row {
        int32_t frame;
        float x, y, width, height, spin, tilt, slow;
    };
    const Row rows[] = {
        {0, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 10.0f, 0.0f},        {30, 0.4f, 0.0f, 1.0f, 1.2f, 45.0f, 10.0f, 1000.0f},
        {75, 0.4f, -0.3f, 1.5f, 1.2f, 45.0f, 25.0f, 2000.0f},  {100, -0.2f, -0.3f, 1.5f, 0.8f, 90.0f, 25.0f, 3000.0f},
        {140, -0.2f, 0.1f, 0.7f, 0.8f, 90.0f, 0.0f, 4000.0f},  {170, 0.3f, 0.1f, 0.7f, 1.0f, -30.0f, 0.0f, 1001.0f},
        {220, 0.3f, 0.5f, 1.1f, 1.0f, -30.0f, 35.0f, 2050.0f},
    };
    std::vector<KeyFrame> keys;
    for (const Row& r : rows) {
        KeyFrame key{};
        key.frame = r.frame;
        key.x = r.x;
        key.y = r.y;
        key.width = r.width;
        key.height = r.height;
        key.spin = r.spin;
        key.tilt = r.tilt;
        key.slow = r.slow;
        keys.push_back(key);
    }
    return keys;
}

constexpr int kSmoothChannels[] = {0, 2, 3, 4, 5, 6};

// The curves of every channel of HoldShowKeys as evaluated before equal
// values were held: frame, channel and the value as a hex float.
std::map<std::pair<int, int>, float> ReferenceCurves() {
    std::map<std::pair<int, int>, float> curves;
    std::ifstream file(std::string(TAVRILO_TEST_DATA) + "/reference/evaluate-curves.csv");
    std::string line;
    while (std::getline(file, line)) {
        int frame = 0;
        int channel = 0;
        char value[64] = {};
        if (line[0] != '#' && std::sscanf(line.c_str(), "%d,%d,%63s", &frame, &channel, value) == 3) {
            curves[{frame, channel}] = std::strtof(value, nullptr);
        }
    }
    return curves;
}

}  // namespace

// A channel whose value is the same on both keys of a segment stays exactly
// there (the timeline calls such a segment HOLD); a channel that changes
// keeps its curve bit for bit.
TEST(Interpolate, EqualValuesHoldAndChangingSegmentsKeepTheirCurves) {
    const std::vector<KeyFrame> keys = HoldShowKeys();
    const int count = static_cast<int>(keys.size());
    const auto reference = ReferenceCurves();
    ASSERT_EQ(reference.size(), 6u * (keys.back().frame + 1));
    int held = 0;
    for (int32_t frame = 0; frame <= keys.back().frame; ++frame) {
        int segment = 0;
        while (segment + 2 < count && keys[segment + 1].frame <= frame) {
            ++segment;
        }
        for (int channel : kSmoothChannels) {
            const float from = KeyChannel(keys[segment], channel);
            const float to = KeyChannel(keys[segment + 1], channel);
            const float value = Interpolate(keys.data(), count, channel, frame, true);
            if (from == to) {
                ++held;
                EXPECT_EQ(value, from) << "frame " << frame << " channel " << channel;
            } else {
                const float before = reference.at({frame, channel});
                EXPECT_EQ(std::memcmp(&value, &before, sizeof(float)), 0)
                    << "frame " << frame << " channel " << channel << ": " << value << " was " << before;
            }
        }
    }
    EXPECT_GT(held, 400);
}

// Two keys of the same width with the cubic in and out: the chart neither
// dips nor grows between them, whatever the keys around do.
TEST_F(Evaluation, AHeldWidthStaysAtItsValueInEveryFrame) {
    std::vector<KeyFrame> keys = {Key(0, 0.0f, 1000.0f), Key(30, 0.0f, 1000.0f), Key(60, 0.0f, 1000.0f),
                                  Key(90, 0.0f, 1000.0f)};
    keys[0].width = 0.5f;
    keys[1].width = 1.0f;
    keys[2].width = 1.0f;
    keys[3].width = 2.0f;
    keys[1].tilt = keys[2].tilt = 20.0f;
    SetKeys(keys);
    for (int32_t frame = 30; frame <= 60; ++frame) {
        Evaluate(*show_, frame);
        EXPECT_EQ(show_->current.width, 1.0f) << frame;
        EXPECT_EQ(show_->current.tilt, 20.0f) << frame;
        EXPECT_EQ(show_->chartWidth, 100) << frame;
    }
}
