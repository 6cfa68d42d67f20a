// Plane vectors, crossing tests and the worksheet's turned labels.
#include "geometry/vector.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "platform/gdi.h"
#include "view/view.h"

namespace vrx {

namespace {

// Labels are dimension values and short names. The line is built in a fixed buffer so that
// drawing a label never allocates; longer text is cut, keeping the blank on each side.
constexpr int kMaxLabelChars = 254;

// A ratio along a segment strictly inside it: the end points themselves do not count.
bool StrictlyInside(float r) {
  return r > 0.0f && r < 1.0f;
}

}  // namespace

void VecAdd(const FloatPoint* a, const FloatPoint* b, FloatPoint* out) {
  if (!a || !b || !out) return;
  out->x = a->x + b->x;
  out->y = a->y + b->y;
}

void VecSub(const FloatPoint* a, const FloatPoint* b, FloatPoint* out) {
  if (!a || !b || !out) return;
  out->x = a->x - b->x;
  out->y = a->y - b->y;
}

void VecScale(const FloatPoint* a, float k, FloatPoint* out) {
  if (!a || !out) return;
  out->x = k * a->x;
  out->y = k * a->y;
}

void VecCopy(const FloatPoint* a, FloatPoint* out) {
  if (!a || !out) return;
  std::memcpy(out, a, sizeof *out);
}

void VecSet(FloatPoint* out, std::uint32_t x, std::uint32_t y) {
  if (!out) return;
  static_assert(sizeof out->x == sizeof x);
  std::memcpy(&out->x, &x, sizeof x);
  std::memcpy(&out->y, &y, sizeof y);
}

bool VecEqual(const FloatPoint* a, const FloatPoint* b) {
  if (!a || !b) return false;
  return a->x == b->x && a->y == b->y;
}

float VecLength(const FloatPoint* v) {
  if (!v) return 0.0f;
  return std::sqrt(v->x * v->x + v->y * v->y);
}

void VecNormalize(const FloatPoint* v, FloatPoint* out) {
  if (!v || !out) return;
  const float length = VecLength(v);
  if (length == 0.0f) return;
  out->x = v->x / length;
  out->y = v->y / length;
}

float VecAngle(const FloatPoint* v) {
  if (!v) return 0.0f;
  // 1800 / pi turns radians into tenths of a degree; subtracting from 7200 makes the angle
  // count counter-clockwise on the y-down screen and keeps it positive before reduction.
  double a =
      7200.0 - std::atan2(static_cast<double>(v->y), static_cast<double>(v->x)) * 572.9578049044296;
  while (a >= 3600.0) a -= 3600.0;
  const float angle = static_cast<float>(a);
  // A direction a hair short of a full turn rounds up to 3600 in single precision; that
  // is the same direction as 0.
  return angle >= 3600.0f ? 0.0f : angle;
}

bool VecParallel(const FloatPoint* a, const FloatPoint* b) {
  if (!a || !b) return false;
  FloatPoint ua = *a, ub = *b;
  VecNormalize(a, &ua);
  VecNormalize(b, &ub);
  return std::fabs(std::fabs(ua.x) - std::fabs(ub.x)) < 0.005f &&
         std::fabs(std::fabs(ua.y) - std::fabs(ub.y)) < 0.005f;
}

bool SegmentsCross(const FloatPoint* p1, const FloatPoint* p2, const FloatPoint* q1,
                   const FloatPoint* q2) {
  if (!p1 || !p2 || !q1 || !q2) return false;
  const FloatPoint b{p2->x - p1->x, p2->y - p1->y};
  const FloatPoint a{q2->x - q1->x, q2->y - q1->y};
  const float d = a.x * b.y - b.x * a.y;
  if (d != 0.0f) {
    const float t = ((p1->x - q1->x) * a.y - (p1->y - q1->y) * a.x) / d;
    if (!StrictlyInside(t)) return false;
    const float s =
        q2->x != q1->x ? (b.x * t + p1->x - q1->x) / a.x : (b.y * t + p1->y - q1->y) / a.y;
    return StrictlyInside(s);
  }
  // Parallel: compare the ranges along x, or along y when p is vertical and has no x range.
  // Whether both lie on one line is not asked, so overlapping parallel walls count as
  // crossing.
  if (p2->x == p1->x) {
    return StrictlyInside((q1->y - p1->y) / b.y) || StrictlyInside((q2->y - p1->y) / b.y) ||
           StrictlyInside((p1->y - q1->y) / a.y) || StrictlyInside((p2->y - q1->y) / a.y);
  }
  return StrictlyInside((q1->x - p1->x) / b.x) || StrictlyInside((q2->x - p1->x) / b.x) ||
         StrictlyInside((p1->x - q1->x) / a.x) || StrictlyInside((p2->x - q1->x) / a.x);
}

bool PointInPolygon(const FloatPoint* point, int n, const FloatPoint* polygon) {
  if (!point || !polygon) return false;
  const FloatPoint origin{0.0f, 0.0f};
  int crossings = 0;
  for (int i = 0; i < n; ++i) {
    const int next = i + 1 == n ? 0 : i + 1;
    if (SegmentsCross(&origin, point, &polygon[i], &polygon[next])) ++crossings;
  }
  return crossings % 2 == 1;
}

void LabelExtent(const char* text, int* width, int* height) {
  if (!text || !width || !height) return;
  *width = static_cast<int>(18 * std::strlen(text));
  *height = 32;
}

void DrawLabel(const char* text, int x, int y, int angle) {
  if (!text || !view.sheetDc) return;

  char line[kMaxLabelChars + 2];
  int count = 0;
  while (count < kMaxLabelChars && text[count] != '\0') {
    line[1 + count] = text[count];
    ++count;
  }
  line[0] = ' ';
  line[1 + count] = ' ';

  plat::LOGFONT lf{};
  lf.lfHeight = -24;
  lf.lfWidth = 0;
  lf.lfEscapement = angle;
  lf.lfOrientation = 0;
  lf.lfWeight = 100;
  lf.lfCharSet = 0;
  lf.lfOutPrecision = plat::OUT_TT_ONLY_PRECIS;
  lf.lfClipPrecision = plat::CLIP_LH_ANGLES;
  lf.lfQuality = plat::ANTIALIASED_QUALITY;
  std::strcpy(lf.lfFaceName, "Arial");
  const plat::HFONT font = plat::CreateFontIndirect(&lf);
  if (!font) {
    EngineTrace("Could not create label font");
    return;
  }

  const plat::HGDIOBJ previous = plat::SelectObject(view.sheetDc, font);
  plat::TextOut(view.sheetDc, x, y, line, count + 2);
  plat::SelectObject(view.sheetDc, previous);
  plat::DeleteObject(font);
}

}  // namespace vrx
