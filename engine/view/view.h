// The engine's view: drawing surfaces, the worksheet with its palette and tools,
// and (with the window buffer) everything that turns the plan into pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/limits.h"
#include "platform/gdi.h"

namespace vrx {

// An off-screen picture with its own DC, colour table and identity palette.
struct DibSurface {
  plat::HDC dc;
  plat::HBITMAP bitmap;
  plat::HBITMAP previousBitmap;
  void* bits;
  plat::BITMAPINFOHEADER header;
  plat::RGBQUAD colours[256];
  plat::HPALETTE palette;
  std::uint32_t reserved;
  DibSurface* next;
  DibSurface* previous;
};

plat::HDC CreateSurface(int width, int height, int bitsPerPixel);
DibSurface* FindSurface(plat::HDC dc);
void* SurfaceBits(plat::HDC dc);
void DestroySurface(plat::HDC dc);
// Every surface, at the engine's end.
void DestroyAllSurfaces();
void SetSurfaceColours(plat::HDC dc, unsigned first, unsigned count, const plat::RGBQUAD* colours);
// Takes the colour table and pixels of a bitmap file image into the surface.
int LoadPaletteBitmap(plat::HDC dc, const std::uint8_t* bmp, std::size_t size);
// What is drawn over a painted surface straight into the window, in exclusive-or: a
// paint lifts it (`hide`) before copying and puts it back (`show`) after, but only
// when `touches` says it may lie in one of the rectangles the copy writes.
struct PaintOverlay {
  bool (*touches)(const plat::RECT* parts, int count);
  void (*hide)();
  void (*show)();
};
// Paint and palette messages for a surface shown in a window.
void PaintSurface(plat::HWND window, plat::HDC surface, unsigned message,
                  const PaintOverlay* overlay = nullptr);
bool RealizeSurfacePalette(plat::HWND window, plat::HDC surface);

// The plan's own 256 colours as a bitmap file image holding one pixel.
const std::uint8_t* PlanPaletteBitmap(std::size_t* size);

struct GreyRampEntry {
  std::uint32_t index;
  std::uint32_t colour;  // colour-table entry as stored: 0x00RRGGBB
  float colourfulness;
  float brightness;
};

// The pens and brushes of every drawing. Those that draw only into the worksheet are
// made with the palette index the drawing layer's nearest-colour search picks for
// their colour in it: the search then runs once, not with every line and fill. The
// wall pen draws feedback into the window too; `sheetWallPen` is its worksheet twin.
struct DrawingTools {
  plat::HPEN redPen, blackPen, wallPen, sheetWallPen, installationPen, shapePen;
  plat::HBRUSH wallBrush, installationBrush, lightBrush, shapeBrush;
  plat::HFONT labelFont, verticalRulerFont, horizontalRulerFont;
};

// What decides where a feedback drawing lands in the window.
struct FeedbackStamp {
  std::int32_t cursorX, cursorY;
  std::int32_t centerX, centerY, zoom, rulerWidth, roomOriginX, roomOriginY;
  std::int32_t visibleLeft, visibleTop, visibleRight, visibleBottom;
  bool operator==(const FeedbackStamp&) const = default;
};

// What the ruler bands' pixels depend on: a refresh for the same finds them drawn.
struct RulerStamp {
  int bufferWidth, bufferHeight, rulerWidth, zoom;
  std::int32_t originX, originY;  // room coordinates of the view centre
  std::int32_t visibleLeft, visibleTop, visibleRight, visibleBottom;
  bool operator==(const RulerStamp&) const = default;
};

struct ViewState {
  DibSurface* surfaces = nullptr;  // newest first
  plat::RGBQUAD colours[256]{};    // the engine colour array
  GreyRampEntry ramp[256]{};
  std::uint8_t dimMap[256]{};
  std::uint8_t shapeA = 0, shapeB = 0, shapeC = 0, shapeD = 0;
  DrawingTools tools{};
  plat::HDC sheetDc = 0;
  std::uint8_t* sheetBits = nullptr;
  plat::HBITMAP sheetBitmap = 0;
  plat::HPALETTE sheetPalette = 0;
  plat::HGDIOBJ previousPen = 0;
  plat::HGDIOBJ previousFont = 0;

  // The window buffer: the part of the worksheet the work window shows.
  plat::HDC bufferDc = 0;
  std::uint8_t* bufferBits = nullptr;
  int bufferClientWidth = 0;
  int bufferClientHeight = 0;
  std::int32_t centerX = kSheetWidth / 2;
  std::int32_t centerY = kSheetHeight / 2;
  std::int32_t zoom = 200;
  std::int32_t rulerWidth = 28;
  plat::RECT visible{};
  std::int32_t roomOriginX = -40;
  std::int32_t roomOriginY = -40;
  // What the last full redraw drew, in worksheet pixels.
  std::int32_t drawnLeft = 0, drawnTop = 0, drawnRight = 0, drawnBottom = 0;
  bool rulerShown = true;
  bool measurementShown = false;
  // The ruler's two scale boxes as last drawn, and the marker that follows the
  // pointer along them.
  plat::RECT topBox{}, leftBox{};
  int markerX = 0, markerY = 0;
  bool markerShown = false;
  // The window buffer as the work window last showed it, and whether the window shows
  // nothing else: a new window, or one drawn into straight (by the clipped helpers or
  // a preview), may not until it is painted whole.
  std::uint8_t* shownBits = nullptr;
  std::size_t shownBytes = 0;
  bool windowShowsBuffer = false;
  // The bands as the buffer holds them; false when nothing (or the picture) is there.
  bool rulerDrawn = false;
  RulerStamp rulerStamp{};
  // Where the feedback on screen lies: the window pixels its last showing could have
  // touched, and the view and cursor it was drawn for. A paint that lies clear of it
  // leaves the feedback alone instead of undrawing and redrawing it.
  bool collectingFeedback = false;
  plat::RECT feedbackBox{};
  FeedbackStamp feedbackStamp{};
};
extern constinit ViewState view;

constexpr int kSheetStride = kSheetWidth;  // already a multiple of 4
constexpr std::size_t kSheetBytes = std::size_t{kSheetWidth} * kSheetHeight;

// A wide intermediate brought back into the range the view works with.
inline std::int32_t ClampCoordinate(std::int64_t v) {
  return static_cast<std::int32_t>(v < -kMaxCoordinate ? -kMaxCoordinate
                                                       : (v > kMaxCoordinate ? kMaxCoordinate : v));
}

// Grey-ramp entry n (G0 .. G33 are the pure greys, darkest first).
inline std::uint8_t Grey(int n) {
  return static_cast<std::uint8_t>(view.ramp[n].index);
}

// Window buffer and view.
void ResetView();  // the view parameters as at start-up
bool CreateWindowBuffer(int width, int height);
// Fills a rectangle of the window buffer with one palette index, clamped to the buffer.
void FillWindowBuffer(int left, int top, int right, int bottom, std::uint8_t index);
// Refreshes the window buffer from the worksheet and paints what changed in the window.
long AdjustWindowBuffer(std::int32_t centerX, std::int32_t centerY, std::int32_t zoom);
// Frees the copy the refresh compares with; the next refresh paints the whole window.
void ReleaseShownBuffer();
void FullRedraw();
long ToggleRuler();
void MoveRulerMarker(int x, int y);
void DrawRuler();
void DrawMeasurement();
long ToggleMeasurement();
long BitBltToWnde(plat::HWND window);
// An empty drawn extent becomes the whole worksheet on that axis, as the program and
// the export see it.
void NormaliseDrawnExtent();
// The drawn part of the worksheet as an 8-bit bitmap file image, rows bottom-up.
std::string WorksheetBitmap();
long WorkSheetToBMP(const char* name);

// Feedback drawing in window-buffer pixels, limited to the visible rectangle. The
// feedback draws only through these, so that while it is being shown they can note the
// window pixels it covers (see `ViewState::feedbackBox`).
void ClippedLine(plat::HDC dc, int x1, int y1, int x2, int y2);
// The outline of a placed or hovered object: its four sides and both diagonals.
void CrossedBox(plat::HDC dc, const plat::POINT q[4]);
void ClippedArc(plat::HDC dc, int cx, int cy, int radius, int xs, int ys, int xe, int ye);
// The same for an elliptic arc of radii rx and ry (the round corner's).
void ClippedArc(plat::HDC dc, int cx, int cy, int rx, int ry, int xs, int ys, int xe, int ye);

bool CreateWorksheet();
void DestroyWorksheet();
void ClearWorksheet();
void DimWorksheet();
// Every pixel of p[0, n) through the 256-entry map.
void MapPixels(std::uint8_t* p, std::size_t n, const std::uint8_t* map);
std::uint8_t SheetPixel(int x, int y);
// Shape colours read as white, so scans for walls pass over user shapes.
std::uint8_t ColourFilter(std::uint8_t index);

}  // namespace vrx
