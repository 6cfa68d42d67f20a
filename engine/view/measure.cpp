// Dimension lines: one beside the face of every wall, corner, door and window, and one
// over each run of wall that holds a window, each labelled in millimetres and placed
// automatically where the worksheet is free, moving outward from the wall until it
// fits without crowding a dimension placed before it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "geometry/geometry.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

// Room for every segment's face plus the window runs; further entries are dropped.
constexpr int kMaxMeasureEntries = 255;
// The search moves outward and samples the worksheet in steps of this many pixels.
constexpr int kStep = 4;
// Samples along one candidate line: the longest line the worksheet holds, in steps.
constexpr int kMaxSamples = 512;
// A dimension line may not come nearer than this to one already placed beside it.
constexpr float kCrowdingDistance = 40.0f;
constexpr float kEndInset = 2.0f;
// Directions whose unit components differ by less than this count as one line.
constexpr float kCollinear = 0.05f;
constexpr COLORREF kInk = DIBINDEX(0);
constexpr COLORREF kPaper = DIBINDEX(255);
constexpr int kUpsideDownFrom = 851, kUpsideDownTo = 2649;  // label angles, tenths

struct Entry {
  FloatPoint start, end, u, n;
  float length;
  char label[16];
  int labelWidth, labelHeight;
  bool placed;
  // Where it went: the line's ends and the label's centre.
  FloatPoint lineStart, lineEnd, labelCentre;
};

struct MeasureState {
  Entry entries[kMaxMeasureEntries];
  int count;
  int textHeight;
};
constinit MeasureState measure{};

void Widen(float x, float y) {
  const int ix = static_cast<int>(x), iy = static_cast<int>(y);
  view.drawnLeft = std::min(view.drawnLeft, ix);
  view.drawnTop = std::min(view.drawnTop, iy);
  view.drawnRight = std::max(view.drawnRight, ix);
  view.drawnBottom = std::max(view.drawnBottom, iy);
}

void AddEntry(FloatPoint a, FloatPoint b) {
  if (measure.count >= kMaxMeasureEntries) return;
  const FloatPoint d{b.x - a.x, b.y - a.y};
  const float length = VecLength(&d);
  if (!(length > 0.0f)) return;
  Entry& e = measure.entries[measure.count++];
  e = Entry{};
  e.start = a;
  e.end = b;
  e.u = FloatPoint{d.x / length, d.y / length};
  e.n = FloatPoint{-e.u.y, e.u.x};
  e.length = length;
  // Half the pixels are centimetres; rounded half up, times ten they are millimetres.
  std::snprintf(e.label, sizeof e.label, "%d",
                static_cast<int>(std::floor(length / 2 + 0.5f)) * 10);
}

bool IsRunKind(int kind) {
  return kind == SEG_HWALL || kind == SEG_VWALL || kind == SEG_DIAGCRNR || kind == SEG_WINDOW;
}

bool SameDirection(int a, int b) {
  FloatPoint da, na, db, nb;
  if (!SegmentFrame(a, &da, &na) || !SegmentFrame(b, &db, &nb)) return false;
  VecNormalize(&da, &da);
  VecNormalize(&db, &db);
  return std::fabs(da.x - db.x) + std::fabs(da.y - db.y) < kCollinear;
}

FloatPoint StartOf(int i) {
  return {static_cast<float>(walls.segments[i].x1), static_cast<float>(walls.segments[i].y1)};
}
FloatPoint EndOf(int i) {
  return {static_cast<float>(walls.segments[i].x2), static_cast<float>(walls.segments[i].y2)};
}

void BuildEntries() {
  measure.count = 0;
  for (int i = 0; i <= walls.last; ++i) {
    walls.segments[i].flags &= static_cast<std::uint16_t>(~1u);
    const int kind = walls.segments[i].kind;
    if (kind >= SEG_HWALL && kind <= SEG_DOOR) AddEntry(StartOf(i), EndOf(i));
  }
  // Each window also gets the whole straight run of wall it lies in.
  for (int i = 0; i <= walls.last; ++i) {
    WallSegment& w = walls.segments[i];
    if (w.kind != SEG_WINDOW || (w.flags & 1u)) continue;
    w.flags |= 1u;
    int first = i, last = i;
    for (int guard = 0; guard < kMaxWallSegments; ++guard) {
      const int p = walls.segments[first].prev;
      if (p < 0 || p > walls.last || p == i || !IsRunKind(walls.segments[p].kind) ||
          (walls.segments[p].flags & 1u) || !SameDirection(p, i))
        break;
      walls.segments[p].flags |= 1u;
      first = p;
    }
    for (int guard = 0; guard < kMaxWallSegments; ++guard) {
      const int n = walls.segments[last].next;
      if (n < 0 || n > walls.last || n == i || !IsRunKind(walls.segments[n].kind) ||
          (walls.segments[n].flags & 1u) || !SameDirection(n, i))
        break;
      walls.segments[n].flags |= 1u;
      last = n;
    }
    AddEntry(StartOf(first), EndOf(last));
  }
}

bool OnSheet(FloatPoint p) {
  return p.x >= 0 && p.y >= 0 && p.x < kSheetWidth && p.y < kSheetHeight;
}

bool FreeAt(FloatPoint p) {
  if (!OnSheet(p)) return false;
  return ColourFilter(SheetPixel(static_cast<int>(p.x), static_cast<int>(p.y))) == 255;
}

FloatPoint Along(FloatPoint p, FloatPoint d, float k) {
  return {p.x + d.x * k, p.y + d.y * k};
}

// Whether the line from s to e (normal n) keeps its distance from every dimension
// line already placed beside it.
bool ClearOfEarlier(const Entry& e, FloatPoint s, FloatPoint end) {
  const FloatPoint band[4] = {Along(Along(s, e.n, kCrowdingDistance), e.u, kEndInset),
                              Along(Along(s, e.n, -kCrowdingDistance), e.u, kEndInset),
                              Along(Along(end, e.n, -kCrowdingDistance), e.u, -kEndInset),
                              Along(Along(end, e.n, kCrowdingDistance), e.u, -kEndInset)};
  for (int i = 0; i < measure.count; ++i) {
    const Entry& o = measure.entries[i];
    if (&o == &e) break;
    if (!o.placed || !VecParallel(&o.n, &e.n)) continue;
    if (SegmentsCross(&o.lineStart, &o.lineEnd, &band[0], &band[1]) ||
        SegmentsCross(&o.lineStart, &o.lineEnd, &band[2], &band[3]) ||
        PointInPolygon(&o.lineStart, 4, band) || PointInPolygon(&o.lineEnd, 4, band))
      return false;
  }
  return true;
}

// Steps outward on both sides until a stretch of the candidate line has been free for
// the label's height and is long enough for the label; true when one was accepted.
bool Place(Entry& e) {
  const int samples = std::min(static_cast<int>(e.length) / kStep + 1, kMaxSamples);
  const int needSteps = (measure.textHeight + kStep - 1) / kStep;
  static int freeSince[2][kMaxSamples];  // per side and sample: the step it became free at
  for (auto& side : freeSince) std::fill(side, side + samples, -1);
  const float middle = e.length / 2;
  bool inside[2] = {true, true};
  for (int step = 1; inside[0] || inside[1]; ++step) {
    for (int side = 0; side < 2; ++side) {
      if (!inside[side]) continue;
      const float sign = side == 0 ? -1.0f : 1.0f;  // the wall band's side first
      const float offset = sign * static_cast<float>(step * kStep);
      const FloatPoint s = Along(e.start, e.n, offset), end = Along(e.end, e.n, offset);
      if (!OnSheet(s) || !OnSheet(end)) {
        inside[side] = false;
        continue;
      }
      int* since = freeSince[side];
      for (int k = 0; k < samples; ++k) {
        if (!FreeAt(Along(s, e.u, static_cast<float>(k * kStep))))
          since[k] = -1;
        else if (since[k] < 0)
          since[k] = step;
      }
      // Qualifying stretches: runs free for long enough, as long as the label.
      float bestAt = -1, bestDistance = 1e9f;
      for (int k = 0; k < samples;) {
        if (since[k] < 0 || step - since[k] + 1 < needSteps) {
          ++k;
          continue;
        }
        const int from = k;
        while (k < samples && since[k] >= 0 && step - since[k] + 1 >= needSteps) ++k;
        const float lo = static_cast<float>(from * kStep);
        const float hi = static_cast<float>((k - 1) * kStep);
        const float half = static_cast<float>(e.labelWidth) / 2;
        if (hi - lo < static_cast<float>(e.labelWidth)) continue;
        // Centred on the wall's middle where the stretch allows, else at its nearer end.
        const float at = std::clamp(middle, lo + half, hi - half);
        const float distance = std::fabs((lo + hi) / 2 - middle);
        if (distance < bestDistance) {
          bestDistance = distance;
          bestAt = at;
        }
      }
      if (bestAt < 0) continue;
      const float lineOffset =
          sign * (static_cast<float>(step * kStep) - static_cast<float>(measure.textHeight) / 2);
      const FloatPoint ls = Along(e.start, e.n, lineOffset), le = Along(e.end, e.n, lineOffset);
      if (!ClearOfEarlier(e, ls, le)) continue;
      e.lineStart = ls;
      e.lineEnd = le;
      e.labelCentre = Along(ls, e.u, bestAt);
      e.placed = true;
      return true;
    }
  }
  return false;
}

void Line(HDC dc, FloatPoint a, FloatPoint b) {
  MoveToEx(dc, static_cast<int>(a.x), static_cast<int>(a.y), nullptr);
  LineTo(dc, static_cast<int>(b.x), static_cast<int>(b.y));
  Widen(a.x, a.y);
  Widen(b.x, b.y);
}

void DrawEntry(HDC dc, const Entry& e) {
  Line(dc, e.lineStart, e.lineEnd);
  const float half = static_cast<float>(measure.textHeight) / 2;
  Line(dc, Along(e.lineStart, e.n, -half), Along(e.lineStart, e.n, half));
  Line(dc, Along(e.lineEnd, e.n, -half), Along(e.lineEnd, e.n, half));
  // Turned to the line, never upside down.
  int angle = static_cast<int>(VecAngle(&e.u));
  if (angle >= kUpsideDownFrom && angle <= kUpsideDownTo) angle = (angle + 1800) % 3600;
  const double radians = angle * 3.14159265358979 / 1800.0;
  const FloatPoint along{static_cast<float>(std::cos(radians)),
                         static_cast<float>(-std::sin(radians))};
  const FloatPoint down{-along.y, along.x};
  // The label's top-left corner, so that its middle sits on the chosen point.
  const FloatPoint corner =
      Along(Along(e.labelCentre, along, -static_cast<float>(e.labelWidth) / 2), down,
            -static_cast<float>(e.labelHeight) / 2);
  DrawLabel(e.label, static_cast<int>(corner.x), static_cast<int>(corner.y), angle);
  for (float a : {0.0f, static_cast<float>(e.labelWidth)})
    for (float d : {0.0f, static_cast<float>(e.labelHeight)}) {
      const FloatPoint p = Along(Along(corner, along, a), down, d);
      Widen(p.x, p.y);
    }
}

void MeasureLabels(HDC dc) {
  SIZE size{};
  GetTextExtentPoint32(dc, "TEST", 4, &size);
  measure.textHeight = std::max(static_cast<int>(size.cy), 1);
  for (int i = 0; i < measure.count; ++i) {
    Entry& e = measure.entries[i];
    char shown[sizeof e.label + 2];
    const int n = std::snprintf(shown, sizeof shown, " %s ", e.label);
    GetTextExtentPoint32(dc, shown, n, &size);
    e.labelWidth = static_cast<int>(size.cx);
    e.labelHeight = static_cast<int>(size.cy);
  }
}

}  // namespace

void DrawMeasurement() {
  const HDC dc = view.sheetDc;
  if (!dc) return;
  BuildEntries();
  MeasureLabels(dc);
  // Dimension lines and their end strokes in the two-pixel black pen.
  SelectObject(dc, view.tools.blackPen);
  // Black on black first: each label placed is a solid box the next search sees as taken.
  SetTextColor(dc, kInk);
  SetBkColor(dc, kInk);
  SetBkMode(dc, OPAQUE);
  for (int i = 0; i < measure.count; ++i)
    if (Place(measure.entries[i])) DrawEntry(dc, measure.entries[i]);
  // Then the final look: black text on white.
  SetBkColor(dc, kPaper);
  for (int i = 0; i < measure.count; ++i)
    if (measure.entries[i].placed) DrawEntry(dc, measure.entries[i]);
  SetBkMode(dc, TRANSPARENT);
}

}  // namespace vrx
