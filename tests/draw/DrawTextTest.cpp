// The texts of a frame: value formatting, the title, the value axis and the
// category labels where a viewer expects them.
#include "DrawTestSupport.h"

namespace {

// Yellow pixels inside a rectangle of the picture.
int YellowIn(const CDib& frame, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = std::max(0, y0); y < std::min(kH, y1); ++y) {
        for (int x = std::max(0, x0); x < std::min(kW, x1); ++x) {
            Rgb c = PixelAt(frame, x, y);
            count += c.red > 150 && c.green > 150 && c.blue < 100;
        }
    }
    return count;
}

}  // namespace

TEST(FormatValue, RoundsTrimsAndDecorates) {
    EXPECT_EQ(FormatValue(104.0f, 2, "$", "%"), "$104%");
    EXPECT_EQ(FormatValue(12.5f, 2, nullptr, nullptr), "12.5");
    EXPECT_EQ(FormatValue(1.05f, 2, nullptr, nullptr), "1.05");
    EXPECT_EQ(FormatValue(2.999f, 2, nullptr, nullptr), "3");
    EXPECT_EQ(FormatValue(12.7f, 0, nullptr, nullptr), "12");
    EXPECT_EQ(FormatValue(-1.25f, 1, nullptr, nullptr), "-1.3");
    EXPECT_EQ(FormatValue(-0.001f, 2, nullptr, nullptr), "0");
    EXPECT_EQ(FormatValue(100.0f, 0, "", ""), "100");
    EXPECT_EQ(FormatValue(-7.5f, 1, "$", "M"), "$-7.5M");
    EXPECT_EQ(FormatValue(0.05f, 1, nullptr, nullptr), "0.1");
    EXPECT_EQ(FormatValue(1e30f, 2, nullptr, nullptr).size(), 31u);  // no overflow
}

TEST_F(DrawTest, TitleStandsCentredAboveTheWall) {
    show->titleFont.color = kYellow;
    Render();
    Pixel wallTop = Project(0, 0.5f, 0);
    EXPECT_EQ(YellowIn(frame, 0, 0, kW, wallTop.y), 0);
    std::snprintf(show->title, sizeof(show->title), "Sales");
    Render();
    int left = YellowIn(frame, 0, 0, kW / 2, wallTop.y);
    int right = YellowIn(frame, kW / 2, 0, kW, wallTop.y);
    EXPECT_GT(left + right, 500);
    EXPECT_NEAR(static_cast<double>(left) / (left + right), 0.5, 0.15);
    // A larger spacing raises it.
    auto topRow = [&] {
        for (int y = 0; y < kH; ++y)
            if (YellowIn(frame, 0, y, kW, y + 1) > 0)
                return y;
        return kH;
    };
    int before = topRow();
    show->titleSpacing = 100;
    Render();
    EXPECT_LT(topRow(), before - 10);
}

TEST_F(DrawTest, ValueAxisLabelsAtTheRight) {
    show->tickLength = 25;
    show->tickColor = kYellow;
    show->valuesFont.color = kYellow;
    show->gridLines = 25;
    show->gridColor = kGreen;
    show->tickLines = 100;  // three intermediate labels
    Render();
    Pixel top = Project(0.85f, 0.5f, 0);
    Pixel bottom = Project(0.85f, -0.5f, 0);
    int labels = YellowIn(frame, top.x - 40, top.y - 30, kW, bottom.y + 30);
    EXPECT_GT(labels, 300);
    // Nothing at the left of the chart.
    Pixel left = Project(-0.8f, 0, 0);
    EXPECT_EQ(YellowIn(frame, 0, 0, left.x, kH), 0);
    show->tickLines = 25;  // no intermediate labels
    Render();
    EXPECT_LT(YellowIn(frame, top.x - 40, top.y - 30, kW, bottom.y + 30), labels);
    show->tickLength = 0;  // no axis at all
    Render();
    EXPECT_EQ(YellowIn(frame, top.x - 40, 0, kW, kH), 0);
}

TEST_F(DrawTest, CategoryLabelsHangBelowWithoutTheFloor) {
    show->tickLength = 25;
    show->tickColor = kYellow;
    show->valuesFont.color = kYellow;
    show->seeBottom = 0;
    show->gridLines = 0;
    for (int i = 0; i < 4; ++i)
        show->values[0][i] = 1 + i;
    std::snprintf(show->labels[0], kTextSlot, "Alpha");
    Render();
    Pixel below = Project(0, -0.55f, 0);
    Pixel rightEdge = Project(0.76f, 0, 0);
    EXPECT_GT(YellowIn(frame, 0, below.y, rightEdge.x, kH), 300);
    // With the floor they lie on it, in front of the wall's lower edge.
    show->seeBottom = 1;
    Render();
    Pixel floor = Project(0, -0.5f, 0.3f);
    EXPECT_GT(YellowIn(frame, 0, floor.y - 25, rightEdge.x, floor.y + 25), 100);
}

TEST_F(DrawTest, PieSliceLabelsStandOutside) {
    show->style = ChartStyle::Pie;
    show->tickLength = 25;
    show->tickColor = kYellow;
    show->valuesFont.color = kYellow;
    for (int i = 0; i < 2; ++i)
        show->values[0][i] = 1;
    std::snprintf(show->labels[0], kTextSlot, "East");
    std::snprintf(show->labels[1], kTextSlot, "West");
    Render();
    // Slice 0 (0-180) has its label at the right, slice 1 (180-360) at the
    // left, ending at its anchor.
    Pixel right = Project(0.55f, 0, 0);
    Pixel left = Project(-0.55f, 0, 0);
    EXPECT_GT(YellowIn(frame, right.x, right.y - 30, kW, right.y + 30), 50);
    EXPECT_GT(YellowIn(frame, 0, left.y - 30, left.x, left.y + 30), 50);
}

// A value with no share of the pie (at or below Data Min) has no slice, so
// neither a tick nor a label: here one would stand at the bottom (between
// the two halves) and one at the top (after the last).
TEST_F(DrawTest, ZeroSizePieSlicesHaveNoLabel) {
    show->style = ChartStyle::Pie;
    show->tickLength = 25;
    show->tickColor = kYellow;
    show->valuesFont.color = kYellow;
    show->values[0][0] = 1;
    show->values[0][1] = 0;
    show->values[0][2] = 1;
    show->values[0][3] = -5;
    for (int i = 0; i < 4; ++i)
        std::snprintf(show->labels[i], kTextSlot, "Label%d", i);
    Render();
    const Pixel top = Project(0, 0.55f, 0);
    const Pixel bottom = Project(0, -0.55f, 0);
    EXPECT_EQ(YellowIn(frame, top.x - 60, 0, top.x + 60, top.y + 5), 0);
    EXPECT_EQ(YellowIn(frame, bottom.x - 60, bottom.y - 5, bottom.x + 60, kH), 0);
    // The two halves keep theirs, at the right and at the left.
    const Pixel right = Project(0.55f, 0, 0);
    const Pixel left = Project(-0.55f, 0, 0);
    EXPECT_GT(YellowIn(frame, right.x, right.y - 30, kW, right.y + 30), 50);
    EXPECT_GT(YellowIn(frame, 0, left.y - 30, left.x, left.y + 30), 50);
}

// Text slots read from a file may fill all 64 bytes without a terminating
// zero; every text is cut at its slot.
TEST_F(DrawTest, UnterminatedTextSlotsStayInTheirSlots) {
    show->tickLength = 25;
    show->valuesFont.color = kYellow;
    show->titleFont.color = kYellow;
    for (int i = 0; i < 4; ++i)
        show->values[0][i] = 1;
    std::memset(show->prefix, 'P', sizeof(show->prefix));
    std::memset(show->suffix, 'S', sizeof(show->suffix));
    std::memset(show->title, 'T', sizeof(show->title));
    std::memset(show->labels, 'L', sizeof(show->labels));
    std::memset(show->titleFont.face, 'A', sizeof(show->titleFont.face));
    Render();
    EXPECT_GT(YellowIn(frame, 0, 0, kW, kH), 100);
    EXPECT_EQ(FormatValue(1.0f, 0, std::string(64, 'P').c_str(), nullptr).size(), 65u);
}
