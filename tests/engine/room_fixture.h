// Rooms placed through the function codes as the program places them, and the wall
// ring's invariants, for the tests of the room's geometry.
#pragma once

#include "geometry/geometry.h"
#include "scenes.h"
#include "work_window.h"

class WallTest : public WorkWindowTest {
 protected:
  // Points the pointer at a worksheet pixel, lets the feedback snap, and drops.
  void DropAt(int x, int y) {
    // The client pixel that the pointer mapping turns into exactly this worksheet pixel.
    const int z = vrx::view.zoom, r = vrx::view.rulerWidth;
    const int cx = (x - vrx::view.centerX) * z / 100 + (r + 600) / 2;
    const int cy = (y - vrx::view.centerY) * z / 100 + (r + 400) / 2;
    PointAt(cx, cy);
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  }
  // Each placement: the code's answer, and on success the drop at a worksheet pixel.
  long Place(unsigned short code, int p0, int p1, int p2, long l0, int x, int y) {
    const long r = CallTessel(code, static_cast<unsigned>(p0), static_cast<unsigned>(p1),
                              static_cast<unsigned>(p2), l0, 0);
    if (r == 0) DropAt(x, y);
    return r;
  }
  long WallRect(int length, int breadth, int distance, int x, int y) {
    return Place(TC_PutWallRectangle, length, breadth, distance, 0, x, y);
  }
  void FreeWall(int length, int thickness, int angle, int x, int y) {
    Place(TC_PutFreeWall, length, thickness, angle, 0, x, y);
  }
  long Door(int width, int angle, int distance, int flags, int x, int y) {
    return Place(TC_PutDoor, width, angle, distance, flags, x, y);
  }
  long Window(int width, int distance, int x, int y) {
    return Place(TC_PutWindow, width, 90, distance, 0, x, y);
  }
  long DiagCorner(int legH, int legV, int x, int y) {
    return Place(TC_PutDiagonalCorner, legH, legV, 0, 0, x, y);
  }
  long RoundCorner(int legH, int legV, int x, int y) {
    return Place(TC_PutRoundCorner, legH, legV, 0, 0, x, y);
  }
  void UserRect(int length, int breadth, int angle, int x, int y) {
    Place(TC_PutUserRect, length, breadth, angle, 0, x, y);
  }
  void UserCircle(int diameter, int x, int y) { Place(TC_PutUserCircle, diameter, 0, 0, 0, x, y); }
  // A room of 600 x 500 pixels inside, from (460, 310) to (1060, 810).
  void Room() { ASSERT_EQ(WallRect(300, 250, 32767, 760, 560), 0); }

  // The ring invariants: linked both ways, closed point to point, straight walls
  // axis-parallel, nothing beyond the last index.
  static void ExpectClosedRing() {
    using namespace vrx;
    for (int i = 0; i < kMaxWallSegments; ++i) {
      const WallSegment& s = walls.segments[i];
      if (i > walls.last) {
        ASSERT_EQ(s.kind, SEG_FREE) << i;
        continue;
      }
      if (s.kind == SEG_FREE || s.kind == SEG_INSTWALL) continue;
      ASSERT_LE(s.kind, SEG_DOOR) << i;
      ASSERT_TRUE(s.next >= 0 && s.next <= walls.last) << i;
      ASSERT_TRUE(s.prev >= 0 && s.prev <= walls.last) << i;
      const WallSegment& n = walls.segments[s.next];
      ASSERT_NE(n.kind, SEG_FREE) << i;
      ASSERT_NE(n.kind, SEG_INSTWALL) << i;
      ASSERT_EQ(n.prev, i);
      ASSERT_EQ(s.x2, n.x1) << i;
      ASSERT_EQ(s.y2, n.y1) << i;
      if (s.kind == SEG_HWALL) {
        ASSERT_EQ(s.y1, s.y2) << i;
      }
      if (s.kind == SEG_VWALL) {
        ASSERT_EQ(s.x1, s.x2) << i;
      }
    }
  }
  static int Segments() {
    int n = 0;
    for (int i = 0; i <= vrx::walls.last; ++i) n += vrx::walls.segments[i].kind != vrx::SEG_FREE;
    return n;
  }
  static int SegmentsOfKind(vrx::SegmentKind kind) {
    int n = 0;
    for (int i = 0; i <= vrx::walls.last; ++i) n += vrx::walls.segments[i].kind == kind;
    return n;
  }
  static int FirstOfKind(vrx::SegmentKind kind) {
    for (int i = 0; i <= vrx::walls.last; ++i)
      if (vrx::walls.segments[i].kind == kind) return i;
    return -1;
  }
};
