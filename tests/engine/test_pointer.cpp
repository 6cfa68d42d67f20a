// The engine cursor and the object hanging at it: feedback on the window, dropping,
// abandoning, and the mapping between the pointer and room coordinates.
#include <cstring>
#include <vector>

#include "persistence/persistence.h"
#include "support/grey_surface.h"
#include "work_window.h"

using namespace plat;

namespace {

int drops = 0;
int feedbackDrawings = 0;

// A placement as the Put codes install one: an exclusive-or square around the cursor
// in the work window, and a drop that inserts a record at the cursor. The record is of
// a kind the engine keeps but does not draw, so the redraw after the drop leaves the
// worksheet as it was.
void SquareFeedback() {
  ++feedbackDrawings;
  HDC dc = GetDC(vrx::pointer.workWindow);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, pen);
  const int saved = SetROP2(dc, R2_NOT);
  const POINT c = vrx::CursorToClient(vrx::core.cursorX, vrx::core.cursorY);
  vrx::ClippedLine(dc, c.x - 30, c.y - 30, c.x + 30, c.y - 30);
  vrx::ClippedLine(dc, c.x + 30, c.y - 30, c.x + 30, c.y + 30);
  vrx::ClippedLine(dc, c.x + 30, c.y + 30, c.x - 30, c.y + 30);
  vrx::ClippedLine(dc, c.x - 30, c.y + 30, c.x - 30, c.y - 30);
  vrx::ClippedArc(dc, c.x, c.y, 20, c.x + 20, c.y, c.x, c.y - 20);
  SetROP2(dc, saved);
  SelectObject(dc, old);
  DeleteObject(pen);
  ReleaseDC(vrx::pointer.workWindow, dc);
}

void SquareDrop() {
  ++drops;
  vrx::core.request.x = static_cast<std::uint16_t>(vrx::core.cursorX);
  vrx::core.request.y = static_cast<std::uint16_t>(vrx::core.cursorY);
  vrx::InsertRequest("MARKER");
}

void StartPlacing() {
  vrx::SetSelectCursor();
  vrx::HideFeedback();
  vrx::pointer.trackDraw = SquareFeedback;
  vrx::pointer.trackDrop = SquareDrop;
  vrx::ShowFeedback();
}

// The framebuffer right of and below the ruler bands, where feedback is drawn.
std::vector<std::uint32_t> Picture(const std::vector<std::uint32_t>& all, int width, int height) {
  std::vector<std::uint32_t> out;
  for (int y = 28; y < height; ++y)
    out.insert(out.end(), &all[y * width + 28], &all[y * width + width]);
  return out;
}

}  // namespace

class PointerTest : public WorkWindowTest {
 protected:
  void SetUp() override {
    WorkWindowTest::SetUp();
    drops = 0;
  }
};

TEST_F(PointerTest, ThePointerMapsToRoomCoordinatesAndBack) {
  // The picture's centre (half the ruler in from the client centre) is the view centre.
  PointAt((28 + 600) / 2, (28 + 400) / 2);
  EngineInfo info = Info();
  EXPECT_EQ(info.lCursorX, 760 - 40);
  EXPECT_EQ(info.lCursorY, 560 - 40);
  PointAt((28 + 600) / 2 + 101, (28 + 400) / 2 - 51);
  info = Info();
  EXPECT_EQ(info.lCursorX, 720 + 50);  // 101 window pixels at 200 % are 50 worksheet pixels
  EXPECT_EQ(info.lCursorY, 520 - 25);
  const POINT back = vrx::CursorToClient(info.lCursorX, info.lCursorY);
  EXPECT_EQ(back.x, (28 + 600) / 2 + 102);
  EXPECT_EQ(back.y, (28 + 400) / 2 - 48);
}

TEST_F(PointerTest, TheSamePositionTwiceIsIgnoredWhateverTheButtons) {
  PointAt(300, 200, 0);
  EXPECT_EQ(vrx::pointer.buttons, 0);
  PointAt(300, 200, 1);
  EXPECT_EQ(vrx::pointer.buttons, 0);
  PointAt(302, 200, 1);
  EXPECT_EQ(vrx::pointer.buttons, 1);
}

TEST_F(PointerTest, FeedbackDrawnAndUndrawnLeavesTheWindowAsItWas) {
  PointAt(300, 200);
  const std::vector<std::uint32_t> before = Picture(Framebuffer(), 600, 400);
  StartPlacing();
  EXPECT_TRUE(vrx::pointer.feedbackShown);
  EXPECT_NE(Picture(Framebuffer(), 600, 400), before);
  // Following the pointer, partly over the ruler and off the window.
  for (POINT p : {POINT{310, 205}, POINT{40, 40}, POINT{5, 390}, POINT{590, 3}, POINT{300, 200}})
    PointAt(p.x, p.y);
  vrx::HideFeedback();
  EXPECT_EQ(Picture(Framebuffer(), 600, 400), before);
  vrx::ShowFeedback();
  vrx::ShowFeedback();  // shown already: not drawn again
  vrx::HideFeedback();
  EXPECT_EQ(Picture(Framebuffer(), 600, 400), before);
}

TEST_F(PointerTest, PaintingKeepsTheFeedbackOnTop) {
  PointAt(300, 200);
  StartPlacing();
  const std::vector<std::uint32_t> shown = Framebuffer();
  InvalidateRect(window, nullptr, false);
  UpdateWindow(window);
  EXPECT_EQ(Framebuffer(), shown);
}

TEST_F(PointerTest, APaintRedrawsTheFeedbackOnlyWhereItCouldCoverIt) {
  PointAt(300, 200);
  StartPlacing();
  const std::vector<std::uint32_t> shown = Framebuffer();
  // Stale pixels in a part of the window, which the paint must replace from the buffer.
  auto repaint = [&](const RECT& part) {
    HDC dc = GetDC(window);
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &part, magenta);
    ReleaseDC(window, dc);
    DeleteObject(magenta);
    feedbackDrawings = 0;
    InvalidateRect(window, &part, false);
    UpdateWindow(window);
  };
  // Clear of the square (its outline reaches 31 window pixels from the pointer): the
  // feedback stays as it is.
  const RECT clear{450, 300, 520, 360};
  repaint(clear);
  EXPECT_EQ(Framebuffer(), shown);
  EXPECT_EQ(feedbackDrawings, 0);
  repaint(RECT{30, 30, 60, 380});
  EXPECT_EQ(Framebuffer(), shown);
  EXPECT_EQ(feedbackDrawings, 0);
  // Across an edge of the square, and in a corner of two parts, one of them clear: it is
  // undrawn before the copy and drawn again after it.
  repaint(RECT{320, 150, 360, 260});
  EXPECT_EQ(Framebuffer(), shown);
  EXPECT_EQ(feedbackDrawings, 2);
  InvalidateRect(window, &clear, false);
  repaint(RECT{265, 165, 275, 175});
  EXPECT_EQ(Framebuffer(), shown);
  EXPECT_EQ(feedbackDrawings, 2);
  // Moved since it was drawn: it is drawn for where the view now puts it.
  vrx::view.centerX += 10;
  repaint(clear);
  EXPECT_EQ(feedbackDrawings, 2);
  vrx::view.centerX -= 10;
}

TEST_F(PointerTest, ADropWithTheFeedbackShownCommitsOnce) {
  PointAt(300, 200);
  const std::vector<std::uint32_t> before = Picture(Framebuffer(), 600, 400);
  const int serial = Info().iSerial;
  StartPlacing();
  PointAt(350, 230);
  const EngineInfo at = Info();
  EXPECT_EQ(CallTessel(TC_DropCursor, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(vrx::core.layout.count, 1);
  EXPECT_EQ(Info().iSerial, serial + 1);
  EXPECT_EQ(vrx::pointer.trackDraw, nullptr);
  const vrx::ObjectRecord& r = vrx::core.table[vrx::core.layout.entries[0]];
  EXPECT_EQ(r.x, at.lCursorX + 40);  // stored in worksheet pixels
  EXPECT_EQ(r.y, at.lCursorY + 40);
  // The redraw after the drop repainted the window: no feedback is left over.
  EXPECT_EQ(Picture(Framebuffer(), 600, 400), before);
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(vrx::core.layout.count, 1);
}

TEST_F(PointerTest, DropCursorIgnoresItsArguments) {
  PointAt(333, 222);
  StartPlacing();
  CallTessel(TC_DropCursor, 5, 7, 0, 0, 0);
  StartPlacing();
  CallTessel(TC_DropCursor, 9999, 9999, 0, 0, 0);
  ASSERT_EQ(vrx::core.layout.count, 2);
  const vrx::ObjectRecord& a = vrx::core.table[vrx::core.layout.entries[0]];
  const vrx::ObjectRecord& b = vrx::core.table[vrx::core.layout.entries[1]];
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  // The drop at a worksheet position moves the cursor there first.
  StartPlacing();
  vrx::Drop(100, 50);
  const vrx::ObjectRecord& c = vrx::core.table[vrx::core.layout.entries[2]];
  EXPECT_EQ(c.x, 100);
  EXPECT_EQ(c.y, 50);
}

TEST_F(PointerTest, SetSelectCursorAbandonsAPlacement) {
  PointAt(300, 200);
  const std::vector<std::uint32_t> before = Picture(Framebuffer(), 600, 400);
  const int serial = Info().iSerial;
  StartPlacing();
  PointAt(320, 210);
  EXPECT_EQ(CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(vrx::pointer.trackDraw, nullptr);
  EXPECT_EQ(vrx::core.layout.count, 0);
  EXPECT_EQ(Info().iSerial, serial);
  EXPECT_EQ(Picture(Framebuffer(), 600, 400), before);
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  EXPECT_EQ(drops, 0);
}

TEST_F(PointerTest, ADropThatTheFeedbackRefusedLeavesTheObjectHanging) {
  PointAt(300, 200);
  StartPlacing();
  vrx::pointer.dropAllowed = false;
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  EXPECT_EQ(drops, 0);
  EXPECT_NE(vrx::pointer.trackDraw, nullptr);
}

TEST_F(PointerTest, TheRulerMarkerFollowsThePointerAndErasesItself) {
  const std::vector<std::uint8_t> before(vrx::view.bufferBits, vrx::view.bufferBits + 600 * 400);
  PointAt(200, 150);
  EXPECT_TRUE(vrx::view.markerShown);
  std::vector<std::uint8_t> marked(vrx::view.bufferBits, vrx::view.bufferBits + 600 * 400);
  EXPECT_NE(marked, before);
  EXPECT_NE(marked[10 * 600 + 200], before[10 * 600 + 200]);  // across the top box
  EXPECT_NE(marked[150 * 600 + 10], before[150 * 600 + 10]);  // across the left box
  PointAt(250, 150);
  PointAt(200, 150);
  EXPECT_EQ(std::vector<std::uint8_t>(vrx::view.bufferBits, vrx::view.bufferBits + 600 * 400),
            marked);
  // The framebuffer shows the marker too.
  const std::vector<std::uint32_t> px = Framebuffer();
  const RGBQUAD& c = vrx::view.colours[marked[10 * 600 + 200]];
  EXPECT_EQ(px[10 * 600 + 200],
            (std::uint32_t{c.rgbRed} << 16) | (std::uint32_t{c.rgbGreen} << 8) | c.rgbBlue);
  // A refresh takes the marker away, whether it draws the bands anew or finds them as
  // they were; the pointer's next move brings it back.
  auto buffer = [] {
    return std::vector<std::uint8_t>(vrx::view.bufferBits, vrx::view.bufferBits + 600 * 400);
  };
  CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0);
  EXPECT_FALSE(vrx::view.markerShown);
  EXPECT_EQ(buffer(), before);
  PointAt(250, 150);
  CallTessel(TC_AdjustWindowBuffer, 799, 559, 200, 0, 0);
  CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0);
  EXPECT_EQ(buffer(), before);
  PointAt(200, 150);
  EXPECT_EQ(buffer(), marked);
}

TEST_F(PointerTest, PassWindowMessageIgnoresOtherMessages) {
  const std::vector<std::uint32_t> before = Framebuffer();
  for (unsigned m : {0x0001u, 0x0010u, 0x0200u, 0x0201u, 0xFFFFu})
    EXPECT_EQ(CallTessel(TC_PassWindowMessage, window, m, 0, 0, 0), 0);
  EXPECT_EQ(Framebuffer(), before);
}

// Clipped lines land one pixel right of their points and stop at the visible
// rectangle's edges.
TEST_F(PointerTest, ClippedLinesStayInsideTheVisibleRectangle) {
  GreySurface s(64, 48, 255);
  vrx::view.visible = RECT{10, 8, 50, 40};
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  vrx::ClippedLine(s.dc, 0, 20, 63, 20);   // across, clipped both ends
  vrx::ClippedLine(s.dc, 30, 0, 30, 47);   // down, clipped both ends
  vrx::ClippedLine(s.dc, 0, 0, 63, 47);    // a diagonal
  vrx::ClippedLine(s.dc, 0, 2, 60, 5);     // above the rectangle: not drawn
  vrx::ClippedLine(s.dc, 20, 12, 24, 12);  // inside: drawn whole, shifted right
  const RECT box = s.Box(0);
  EXPECT_GE(box.left, 10);
  EXPECT_LE(box.right, 51);
  EXPECT_GE(box.top, 8);
  EXPECT_LE(box.bottom, 40);
  EXPECT_EQ(s.At(11, 20), 0);
  EXPECT_EQ(s.At(31, 30), 0);
  EXPECT_EQ(s.At(21, 12), 0);
  EXPECT_EQ(s.At(20, 12), 255);
  for (int x = 0; x < 64; ++x) EXPECT_EQ(s.At(x, 3), 255);
}

TEST_F(PointerTest, ClippedArcsAreDrawnOnlyWhenBothEndsFitInside) {
  vrx::view.visible = RECT{10, 10, 60, 60};
  GreySurface a(80, 80, 255), b(80, 80, 255);
  SelectObject(a.dc, GetStockObject(BLACK_PEN));
  SelectObject(b.dc, GetStockObject(BLACK_PEN));
  vrx::ClippedArc(a.dc, 35, 35, 15, 50, 35, 35, 20);  // inside: a quarter circle
  Arc(b.dc, 20, 20, 50, 50, 50, 35, 35, 20);
  EXPECT_EQ(a.Pixels(), b.Pixels());
  GreySurface c(80, 80, 255);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  // The end lies below the clip: pulled up onto the bottom row it moves along the
  // circle to x = 12 - 15, left of the clip, so nothing is drawn.
  vrx::ClippedArc(c.dc, 12, 50, 15, 40, 50, 30, 70);
  EXPECT_EQ(c.Box(0).right, -1);
  // A start left of the clip is pulled onto the edge and the circle's lower extreme.
  GreySurface d(80, 80, 255), e(80, 80, 255);
  SelectObject(d.dc, GetStockObject(BLACK_PEN));
  SelectObject(e.dc, GetStockObject(BLACK_PEN));
  vrx::ClippedArc(d.dc, 12, 35, 15, -3, 35, 12, 20);
  Arc(e.dc, -3, 20, 27, 50, 10, 50, 12, 20);
  EXPECT_EQ(d.Pixels(), e.Pixels());
}
