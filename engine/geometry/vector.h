// Plane vectors, the segment-crossing and point-in-polygon tests the room, measurement and
// product code build on, and the turned text label written into the worksheet.
//
// Every routine that takes pointers does nothing, or answers false, when one is missing, so
// callers may pass optional outputs straight through. Arithmetic is single precision
// throughout: results must match outlines and hit areas already stored in plans.
#pragma once

#include <cstdint>

namespace vrx {

struct FloatPoint {
  float x, y;
};

struct IntPoint {
  std::int32_t x, y;
};

void VecAdd(const FloatPoint* a, const FloatPoint* b, FloatPoint* out);  // a + b
void VecSub(const FloatPoint* a, const FloatPoint* b, FloatPoint* out);  // a - b
void VecScale(const FloatPoint* a, float k, FloatPoint* out);            // k * a
// Copies both 32-bit words bit for bit, so NaN payloads and negative zeros survive.
void VecCopy(const FloatPoint* a, FloatPoint* out);
// Stores two raw 32-bit words as the components, unchanged.
void VecSet(FloatPoint* out, std::uint32_t x, std::uint32_t y);
bool VecEqual(const FloatPoint* a, const FloatPoint* b);  // both components exactly equal
float VecLength(const FloatPoint* v);                     // 0 when v is missing
// out = v / length; a zero-length v leaves out as it was.
void VecNormalize(const FloatPoint* v, FloatPoint* out);
// Direction in tenths of a degree, counter-clockwise on the y-down screen, in [0, 3600):
// right is 0, up (negative y) is 900. A missing v gives 0.
float VecAngle(const FloatPoint* v);
// Compares absolute components of the unit vectors, so opposite directions and directions
// mirrored in an axis count as parallel too.
bool VecParallel(const FloatPoint* a, const FloatPoint* b);
// Proper crossing of p1p2 with q1q2; touching at an end point does not count. Parallel
// segments count when their ranges overlap, whether or not they share a line.
bool SegmentsCross(const FloatPoint* p1, const FloatPoint* p2, const FloatPoint* q1,
                   const FloatPoint* q2);
// Crossing-number test along the ray from the worksheet origin (0, 0) to the point. A point
// on an edge may land either way; callers test points well inside or outside.
bool PointInPolygon(const FloatPoint* point, int n, const FloatPoint* polygon);

// The space a label is given when dimensions are laid out: 18 pixels per character, 32 high.
void LabelExtent(const char* text, int* width, int* height);
// Writes " text " at (x, y) of the worksheet in 24-pixel Arial turned by angle (tenths of a
// degree, counter-clockwise), in the worksheet's current text colour and background mode.
void DrawLabel(const char* text, int x, int y, int angle);

}  // namespace vrx
