// The data morph: from what was drawn to what evaluation gives, eased in
// and out, with the evaluated data back in the show after each drawing.
#include <gtest/gtest.h>

#include "DataMorph.h"
#include "Doc.h"
#include "TestSupport.h"

namespace {

class DataMorphTest : public ::testing::Test {
protected:
    DataMorphTest() : show_(CreateShow()), show(*show_) {}
    ~DataMorphTest() override { DestroyShow(show); }

    // One frame as the play-out draws it: evaluation has put `value` in the
    // show; returns what the renderer would have read.
    float Draw(float value, double position) {
        show.values[0][0] = value;
        show.currentValues[0] = value;
        morph.Blend(show, position);
        float drawn = show.values[0][0];
        EXPECT_EQ(show.currentValues[0], drawn);
        morph.Restore(show);
        EXPECT_EQ(show.values[0][0], value);  // the evaluated data is back
        return drawn;
    }

    ScopedSettings settings_;
    std::unique_ptr<Show> show_;
    Show& show;
    DataMorph morph;
};

}  // namespace

TEST_F(DataMorphTest, MovesFromTheDrawnValuesWithTheInAndOutEase) {
    morph.SetLength(10.0);
    EXPECT_EQ(Draw(100.0f, 0.0), 100.0f);
    morph.Start(1.0);
    EXPECT_EQ(Draw(200.0f, 1.0), 100.0f);  // the first frame is still the old picture
    float quarter = Draw(200.0f, 3.5);
    float half = Draw(200.0f, 6.0);
    float threeQuarters = Draw(200.0f, 8.5);
    // Sine ease: slow at both ends, half way at the middle.
    EXPECT_NEAR(half, 150.0f, 0.05f);
    EXPECT_LT(quarter - 100.0f, 25.0f);
    EXPECT_GT(threeQuarters - 100.0f, 75.0f);
    EXPECT_NEAR((quarter - 100.0f) + (threeQuarters - 100.0f), 100.0f, 0.05f);  // symmetric
    EXPECT_EQ(Draw(200.0f, 11.0), 200.0f);
    EXPECT_FALSE(morph.Running(11.0));
}

TEST_F(DataMorphTest, ANewUpdateStartsFromWhereTheMorphWas) {
    morph.SetLength(10.0);
    Draw(0.0f, 0.0);
    morph.Start(1.0);
    float between = Draw(100.0f, 6.0);
    ASSERT_NEAR(between, 50.0f, 0.05f);
    morph.Start(7.0);
    EXPECT_NEAR(Draw(-100.0f, 7.0), between, 1e-4f);  // no jump
    EXPECT_EQ(Draw(-100.0f, 17.0), -100.0f);
}

TEST_F(DataMorphTest, WithoutALengthOrAnythingDrawnTheNewDataIsCutTo) {
    morph.SetLength(0.0);
    Draw(1.0f, 0.0);
    morph.Start(1.0);
    EXPECT_EQ(Draw(5.0f, 1.0), 5.0f);
    DataMorph fresh;
    fresh.SetLength(10.0);
    fresh.Start(0.0);
    EXPECT_FALSE(fresh.Running(0.0));
}
