// The ruler's scale as drawn into the window buffer: labelled ticks, long and short
// minor ticks, and digits over the labelled ones, at the zoom steps of the view.
#include <vector>

#include "view/view.h"
#include "work_window.h"

namespace {

constexpr int kClientWidth = 600;
constexpr std::uint8_t kInk = 0;

// The top box spans rows 3 to 25 of the 28-pixel band. Ticks grow upward from its
// bottom: the short ones reach row 20, the long ones row 18, the labelled ones row 15;
// digits stand in rows 5 to 13 above the labelled ticks.
constexpr int kAllTicksRow = 20, kLongTicksRow = 18, kLabelTicksRow = 15;
constexpr int kDigitsTop = 5, kDigitsBottom = 13;

struct Step {
  int zoom;
  int labelApart;  // window pixels between labelled ticks
  int tick;        // between minor ticks
  int longTick;    // between long ones
};

class RulerTest : public WorkWindowTest, public ::testing::WithParamInterface<Step> {
 protected:
  static std::uint8_t At(int x, int y) {
    return vrx::view.bufferBits[static_cast<std::size_t>(y) * kClientWidth + x];
  }
  // The columns inside the top box where row `y` is black.
  static std::vector<int> InkColumns(int y) {
    std::vector<int> columns;
    for (int x = vrx::view.topBox.left + 1; x < vrx::view.topBox.right - 1; ++x)
      if (At(x, y) == kInk) columns.push_back(x);
    return columns;
  }
  static void ExpectEvenlyApart(const std::vector<int>& columns, int apart, const char* what) {
    ASSERT_GE(columns.size(), 2u) << what;
    for (std::size_t i = 1; i < columns.size(); ++i)
      EXPECT_EQ(columns[i] - columns[i - 1], apart) << what << " at " << columns[i];
    // And none missing at either end of the box.
    EXPECT_LE(columns.front() - apart, vrx::view.topBox.left + 1) << what;
    EXPECT_GE(columns.back() + apart, vrx::view.topBox.right - 2) << what;
  }
  static bool DigitInkNear(int x0, int x1) {
    for (int y = kDigitsTop; y <= kDigitsBottom; ++y)
      for (int x = std::max(x0, int(vrx::view.topBox.left) + 1);
           x <= std::min(x1, int(vrx::view.topBox.right) - 2); ++x)
        if (At(x, y) == kInk) return true;
    return false;
  }
};

}  // namespace

TEST_P(RulerTest, TicksAndLabelsStandAsTheZoomsStepSays) {
  const Step step = GetParam();
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, step.zoom, 0, 0), 0);
  ASSERT_EQ(vrx::view.topBox.top, 3);
  ASSERT_EQ(vrx::view.topBox.bottom, 25);
  ExpectEvenlyApart(InkColumns(kAllTicksRow), step.tick, "every tick");
  ExpectEvenlyApart(InkColumns(kLongTicksRow), step.longTick, "long and labelled ticks");
  const std::vector<int> labelled = InkColumns(kLabelTicksRow);
  ExpectEvenlyApart(labelled, step.labelApart, "labelled ticks");
  // Digits over every labelled tick, none half-way between two.
  for (std::size_t i = 0; i < labelled.size(); ++i) {
    EXPECT_TRUE(DigitInkNear(labelled[i] - 4, labelled[i] + 4)) << labelled[i];
    if (i > 0) {
      const int middle = (labelled[i - 1] + labelled[i]) / 2;
      EXPECT_FALSE(DigitInkNear(middle - 2, middle + 2)) << middle;
    }
  }
}

// Labels every 2s room units: at 50 % (s = 50) 100 units are 50 window pixels, at
// 200 % and 400 % (s = 10) 20 units are 40 and 80 pixels, 20 worksheet pixels apart.
INSTANTIATE_TEST_SUITE_P(Zooms, RulerTest,
                         ::testing::Values(Step{50, 50, 5, 10}, Step{200, 40, 4, 20},
                                           Step{400, 80, 8, 40}),
                         [](const auto& info) { return std::to_string(info.param.zoom); });
