// Plane vectors, the crossing and point-in-polygon tests, and labels written into the
// worksheet.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "geometry/vector.h"

using vrx::FloatPoint;

namespace {

std::uint32_t Bits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

float Angle(float x, float y) {
  const FloatPoint v{x, y};
  return vrx::VecAngle(&v);
}

bool Cross(FloatPoint p1, FloatPoint p2, FloatPoint q1, FloatPoint q2) {
  return vrx::SegmentsCross(&p1, &p2, &q1, &q2);
}

bool Parallel(FloatPoint a, FloatPoint b) {
  return vrx::VecParallel(&a, &b);
}

}  // namespace

TEST(Geometry, ArithmeticWorksComponentwise) {
  const FloatPoint a{1.5f, -2.0f}, b{0.25f, 4.0f};
  FloatPoint out{};
  vrx::VecAdd(&a, &b, &out);
  EXPECT_EQ(out.x, 1.75f);
  EXPECT_EQ(out.y, 2.0f);
  vrx::VecSub(&a, &b, &out);
  EXPECT_EQ(out.x, 1.25f);
  EXPECT_EQ(out.y, -6.0f);
  vrx::VecScale(&a, -2.0f, &out);
  EXPECT_EQ(out.x, -3.0f);
  EXPECT_EQ(out.y, 4.0f);
  // The output may be one of the inputs.
  FloatPoint c{1.0f, 2.0f};
  vrx::VecAdd(&c, &c, &c);
  EXPECT_EQ(c.x, 2.0f);
  EXPECT_EQ(c.y, 4.0f);
}

TEST(Geometry, CopyAndSetKeepEveryBit) {
  FloatPoint out{};
  vrx::VecSet(&out, 0x3F800000u, 0x7FC01234u);  // 1.0 and a NaN with a payload
  EXPECT_EQ(out.x, 1.0f);
  EXPECT_EQ(Bits(out.y), 0x7FC01234u);

  const FloatPoint odd{-0.0f, out.y};
  FloatPoint copy{5.0f, 5.0f};
  vrx::VecCopy(&odd, &copy);
  EXPECT_EQ(Bits(copy.x), 0x80000000u);
  EXPECT_EQ(Bits(copy.y), 0x7FC01234u);
}

TEST(Geometry, EqualityIsExact) {
  const FloatPoint a{0.1f, 0.2f}, b{0.1f, 0.2f};
  const FloatPoint c{0.1f, std::nextafter(0.2f, 1.0f)};
  EXPECT_TRUE(vrx::VecEqual(&a, &b));
  EXPECT_FALSE(vrx::VecEqual(&a, &c));
}

TEST(Geometry, LengthAndNormalize) {
  const FloatPoint v{3.0f, -4.0f};
  EXPECT_EQ(vrx::VecLength(&v), 5.0f);
  FloatPoint unit{};
  vrx::VecNormalize(&v, &unit);
  EXPECT_FLOAT_EQ(unit.x, 0.6f);
  EXPECT_FLOAT_EQ(unit.y, -0.8f);

  // Normalising nothing must not divide by zero or clobber what the caller had.
  const FloatPoint zero{0.0f, 0.0f};
  FloatPoint kept{7.0f, 9.0f};
  vrx::VecNormalize(&zero, &kept);
  EXPECT_EQ(kept.x, 7.0f);
  EXPECT_EQ(kept.y, 9.0f);
}

TEST(Geometry, AnglesCountCounterClockwiseOnTheScreen) {
  EXPECT_EQ(Angle(1, 0), 0.0f);
  EXPECT_FLOAT_EQ(Angle(0, -1), 900.0f);
  EXPECT_FLOAT_EQ(Angle(-1, 0), 1800.0f);
  EXPECT_FLOAT_EQ(Angle(0, 1), 2700.0f);
  EXPECT_FLOAT_EQ(Angle(1, -1), 450.0f);
  EXPECT_FLOAT_EQ(Angle(1, 1), 3150.0f);
  EXPECT_FLOAT_EQ(Angle(20, 0), 0.0f);  // the length does not matter
}

TEST(Geometry, AnglesStayBelowAFullTurn) {
  for (int tenth = 0; tenth < 3600; ++tenth) {
    const double r = tenth * 3.14159265358979323846 / 1800.0;
    const float a = Angle(static_cast<float>(std::cos(r)), static_cast<float>(std::sin(r)));
    ASSERT_GE(a, 0.0f) << tenth;
    ASSERT_LT(a, 3600.0f) << tenth;
  }
  // Just either side of pointing right, where the reduction is closest to a full turn.
  for (float y : {1e-7f, -1e-7f, 1e-30f, -1e-30f, 1e-4f, -1e-4f}) {
    for (float x : {1.0f, 1000.0f, -1.0f}) {
      const float a = Angle(x, y);
      EXPECT_GE(a, 0.0f) << x << "," << y;
      EXPECT_LT(a, 3600.0f) << x << "," << y;
    }
  }
}

TEST(Geometry, ParallelIgnoresSenseAndMirroring) {
  EXPECT_TRUE(Parallel({1, 0}, {-5, 0}));
  EXPECT_TRUE(Parallel({3, 4}, {-6, -8}));
  EXPECT_TRUE(Parallel({1, 1}, {1, -1}));  // mirrored in the x axis
  EXPECT_TRUE(Parallel({1, 2}, {-1, 2}));  // mirrored in the y axis
  EXPECT_TRUE(Parallel({1000, 1}, {1000, 2}));
  EXPECT_FALSE(Parallel({1, 0}, {0, 1}));
  EXPECT_FALSE(Parallel({1, 1}, {1, 2}));
}

TEST(Geometry, ProperCrossings) {
  EXPECT_TRUE(Cross({0, 0}, {10, 10}, {0, 10}, {10, 0}));
  EXPECT_TRUE(Cross({5, -5}, {5, 5}, {0, 0}, {10, 0}));       // p vertical
  EXPECT_TRUE(Cross({0, 0}, {10, 0}, {5, -5}, {5, 5}));       // q vertical
  EXPECT_FALSE(Cross({0, 0}, {10, 10}, {20, 0}, {30, -10}));  // the lines cross, not the segments
  EXPECT_FALSE(Cross({0, 0}, {4, 4}, {0, 10}, {10, 0}));      // p stops short
  EXPECT_FALSE(Cross({0, 0}, {10, 10}, {0, 10}, {4, 6}));     // q stops short
}

TEST(Geometry, TouchingAtAnEndPointDoesNotCross) {
  EXPECT_FALSE(Cross({0, 0}, {10, 0}, {10, 0}, {10, 10}));  // corner of two walls
  EXPECT_FALSE(Cross({0, 0}, {10, 0}, {5, 0}, {5, 10}));    // q ends on p
  EXPECT_FALSE(Cross({5, 0}, {5, 10}, {0, 0}, {10, 0}));    // p ends on q
}

TEST(Geometry, ParallelSegmentsCrossWhenTheirRangesOverlap) {
  EXPECT_TRUE(Cross({0, 0}, {10, 0}, {5, 0}, {15, 0}));
  EXPECT_TRUE(Cross({0, 0}, {0, 10}, {0, 5}, {0, 15}));  // vertical: ranges along y
  EXPECT_TRUE(Cross({0, 0}, {10, 0}, {2, 0}, {8, 0}));   // q inside p
  EXPECT_FALSE(Cross({0, 0}, {10, 0}, {20, 5}, {30, 5}));
  EXPECT_FALSE(Cross({0, 0}, {0, 10}, {5, 20}, {5, 30}));
  EXPECT_FALSE(Cross({0, 0}, {10, 0}, {10, 0}, {20, 0}));  // end to end
  // Sharing a line is not asked for.
  EXPECT_TRUE(Cross({0, 0}, {10, 0}, {5, 5}, {15, 5}));
}

TEST(Geometry, PointInAnLShapedRoom) {
  // The notch at the bottom right makes the polygon concave.
  const FloatPoint room[] = {{100, 100}, {300, 100}, {300, 200},
                             {200, 200}, {200, 300}, {100, 300}};
  auto inside = [&](float x, float y) {
    const FloatPoint p{x, y};
    return vrx::PointInPolygon(&p, 6, room);
  };
  EXPECT_TRUE(inside(150, 140));
  EXPECT_TRUE(inside(250, 150));
  EXPECT_TRUE(inside(150, 250));
  EXPECT_FALSE(inside(260, 240));  // in the notch
  EXPECT_FALSE(inside(50, 50));
  EXPECT_FALSE(inside(400, 150));
  EXPECT_FALSE(inside(150, 400));

  const FloatPoint p{150, 140};
  EXPECT_FALSE(vrx::PointInPolygon(&p, 0, room));
}

TEST(Geometry, LabelExtentIsEighteenPixelsACharacter) {
  int width = -1, height = -1;
  vrx::LabelExtent("ABCD", &width, &height);
  EXPECT_EQ(width, 72);
  EXPECT_EQ(height, 32);
  vrx::LabelExtent("", &width, &height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 32);
}

TEST(Geometry, MissingPointersWriteNothing) {
  const FloatPoint a{1, 2};
  FloatPoint out{7, 9};
  vrx::VecAdd(nullptr, &a, &out);
  vrx::VecAdd(&a, nullptr, &out);
  vrx::VecSub(nullptr, &a, &out);
  vrx::VecScale(nullptr, 2.0f, &out);
  vrx::VecCopy(nullptr, &out);
  vrx::VecNormalize(nullptr, &out);
  EXPECT_EQ(out.x, 7.0f);
  EXPECT_EQ(out.y, 9.0f);
  vrx::VecAdd(&a, &a, nullptr);
  vrx::VecSub(&a, &a, nullptr);
  vrx::VecScale(&a, 2.0f, nullptr);
  vrx::VecCopy(&a, nullptr);
  vrx::VecSet(nullptr, 1, 2);
  vrx::VecNormalize(&a, nullptr);

  EXPECT_FALSE(vrx::VecEqual(nullptr, &a));
  EXPECT_FALSE(vrx::VecEqual(&a, nullptr));
  EXPECT_FALSE(vrx::VecParallel(nullptr, &a));
  EXPECT_FALSE(vrx::VecParallel(&a, nullptr));
  EXPECT_EQ(vrx::VecLength(nullptr), 0.0f);
  EXPECT_EQ(vrx::VecAngle(nullptr), 0.0f);

  const FloatPoint p1{0, 0}, p2{10, 10}, q1{0, 10}, q2{10, 0};
  EXPECT_FALSE(vrx::SegmentsCross(nullptr, &p2, &q1, &q2));
  EXPECT_FALSE(vrx::SegmentsCross(&p1, nullptr, &q1, &q2));
  EXPECT_FALSE(vrx::SegmentsCross(&p1, &p2, nullptr, &q2));
  EXPECT_FALSE(vrx::SegmentsCross(&p1, &p2, &q1, nullptr));
  const FloatPoint square[] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
  EXPECT_FALSE(vrx::PointInPolygon(nullptr, 4, square));
  EXPECT_FALSE(vrx::PointInPolygon(&a, 4, nullptr));

  int width = -1, height = -1;
  vrx::LabelExtent(nullptr, &width, &height);
  EXPECT_EQ(width, -1);
  EXPECT_EQ(height, -1);
  vrx::LabelExtent("AB", nullptr, &height);
  vrx::LabelExtent("AB", &width, nullptr);
  EXPECT_EQ(width, -1);
  EXPECT_EQ(height, -1);
}

namespace {

struct Box {
  int left = vrx::kSheetWidth, top = vrx::kSheetHeight, right = -1, bottom = -1;
  bool Empty() const { return right < left; }
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

class LabelTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    vrx::ClearWorksheet();
    plat::SetTextColor(vrx::view.sheetDc, plat::DIBINDEX(0));
    plat::SetBkMode(vrx::view.sheetDc, plat::TRANSPARENT);
    clean_.assign(vrx::view.sheetBits, vrx::view.sheetBits + vrx::kSheetBytes);
  }

  // The pixels that differ from the cleared worksheet.
  Box Changed() const {
    Box box;
    for (int y = 0; y < vrx::kSheetHeight; ++y) {
      const std::uint8_t* row = vrx::view.sheetBits + y * vrx::kSheetStride;
      for (int x = 0; x < vrx::kSheetWidth; ++x) {
        if (row[x] == clean_[y * vrx::kSheetStride + x]) continue;
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
    }
    return box;
  }

  std::vector<std::uint8_t> clean_;
};

}  // namespace

TEST_F(LabelTest, ALabelIsDrawnNextToItsPoint) {
  vrx::DrawLabel("ABCD", 400, 300, 0);
  const Box box = Changed();
  ASSERT_FALSE(box.Empty());
  EXPECT_GE(box.left, 400);
  EXPECT_LE(box.left, 430);  // after the leading blank
  EXPECT_GE(box.top, 300);
  EXPECT_LE(box.bottom, 300 + 40);
  EXPECT_LE(box.right, 400 + 150);
}

TEST_F(LabelTest, TheEscapementTurnsTheLabel) {
  vrx::DrawLabel("1234567", 400, 600, 0);
  const Box flat = Changed();
  ASSERT_FALSE(flat.Empty());
  EXPECT_GT(flat.Width(), flat.Height());

  vrx::ClearWorksheet();
  vrx::DrawLabel("1234567", 400, 600, 900);
  const Box upright = Changed();
  ASSERT_FALSE(upright.Empty());
  EXPECT_GT(upright.Height(), upright.Width());
  // Turned counter-clockwise, the text runs upwards from its point.
  EXPECT_LE(upright.bottom, 600 + 2);
  EXPECT_LT(upright.top, 600 - 60);
  EXPECT_GE(upright.left, 400 - 2);
  EXPECT_LE(upright.right, 400 + 40);
}

TEST_F(LabelTest, DrawingKeepsTheSelectedFont) {
  const plat::HGDIOBJ before = plat::GetCurrentObject(vrx::view.sheetDc, plat::OBJ_FONT);
  ASSERT_NE(before, 0u);
  vrx::DrawLabel("250", 200, 200, 450);
  EXPECT_EQ(plat::GetCurrentObject(vrx::view.sheetDc, plat::OBJ_FONT), before);
}

TEST_F(LabelTest, NothingIsDrawnWithoutTextOrWorksheet) {
  vrx::DrawLabel(nullptr, 400, 300, 0);
  EXPECT_TRUE(Changed().Empty());

  const plat::HDC sheet = vrx::view.sheetDc;
  vrx::view.sheetDc = 0;
  vrx::DrawLabel("ABCD", 400, 300, 0);
  vrx::view.sheetDc = sheet;
  EXPECT_TRUE(Changed().Empty());
}

TEST_F(LabelTest, OverlongTextIsCut) {
  // Started far to the left, so that the end of the longest label lands on the sheet with
  // room after it where cut-off characters would show.
  const int x = -3000;
  const std::string kept(254, '8');
  vrx::DrawLabel(kept.c_str(), x, 500, 0);
  const Box box = Changed();
  ASSERT_FALSE(box.Empty());
  ASSERT_LT(box.right, vrx::kSheetWidth - 200);
  const std::vector<std::uint8_t> expected(vrx::view.sheetBits,
                                           vrx::view.sheetBits + vrx::kSheetBytes);
  vrx::ClearWorksheet();
  vrx::DrawLabel((kept + std::string(2000, '1')).c_str(), x, 500, 0);
  EXPECT_EQ(std::memcmp(vrx::view.sheetBits, expected.data(), vrx::kSheetBytes), 0);
}
