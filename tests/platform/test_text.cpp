// Text metrics and rendering of the stand-in fonts.
#include <gtest/gtest.h>

#include <cstring>

#include "glyphs.h"

using namespace plat;

namespace {
LOGFONT Arial(int height, int weight = 400, int escapement = 0) {
  LOGFONT lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfEscapement = escapement;
  std::strcpy(lf.lfFaceName, "Arial");
  return lf;
}
}  // namespace

TEST(Text, ArialMetricsMatchTheReferenceFont) {
  glyphs::FontMetrics m{};
  ASSERT_TRUE(glyphs::Metrics(Arial(-16), &m));
  EXPECT_EQ(m.height, 17);
  EXPECT_EQ(m.ascent, 14);
  EXPECT_EQ(m.descent, 3);
}

TEST(Text, ExtentsAddUpAndBoldIsWider) {
  SIZE whole{}, h{}, rest{}, bold{};
  ASSERT_TRUE(glyphs::Extent(Arial(-24), "Hello", 5, &whole));
  glyphs::Extent(Arial(-24), "H", 1, &h);
  glyphs::Extent(Arial(-24), "ello", 4, &rest);
  EXPECT_EQ(whole.cx, h.cx + rest.cx);
  glyphs::Extent(Arial(-24, 700), "Hello", 5, &bold);
  EXPECT_GT(bold.cx, whole.cx);
  SIZE empty{};
  glyphs::Extent(Arial(-24), "", 0, &empty);
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, whole.cy);
}

TEST(Text, MonoMasksAreTwoValuedAndTurnWithTheEscapement) {
  glyphs::Mask flat, turned;
  ASSERT_TRUE(glyphs::Render(Arial(-24), "Wall", 4, false, &flat));
  ASSERT_TRUE(glyphs::Render(Arial(-24, 400, 900), "Wall", 4, false, &turned));
  for (auto v : flat.coverage) EXPECT_TRUE(v == 0 || v == 255);
  EXPECT_GT(flat.width, flat.height);
  EXPECT_GT(turned.height, turned.width);  // runs upward
  EXPECT_NEAR(turned.height, flat.width, 3);
  EXPECT_LT(turned.top, 0);
}
