// The object model behind the drawing layer's handles.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi.h"

namespace plat::detail {

struct Bitmap {
  int width = 0, height = 0, bpp = 8, stride = 0;
  std::vector<std::uint8_t> pixels;
  RGBQUAD colours[256]{};
  int selectedIn = 0;  // DCs holding it
};

struct Pen {
  int style = PS_SOLID, width = 1;
  COLORREF colour = 0;
};
struct Brush {
  int style = BS_SOLID, hatch = 0;
  COLORREF colour = 0;
};
struct Font {
  LOGFONT lf{};
};
struct Palette {
  std::vector<PALETTEENTRY> entries;
};

// Where a DC's drawing lands: a bitmap's pixels or a window's 32-bit framebuffer.
struct Target {
  std::uint8_t* bits = nullptr;
  int width = 0, height = 0, stride = 0, bytesPerPixel = 1;
  const RGBQUAD* colours = nullptr;
};

struct DC {
  bool screen = false;
  HBITMAP bitmap = 0;
  HWND window = 0;
  HPEN pen = 0;
  HBRUSH brush = 0;
  HFONT font = 0;
  HPALETTE palette = 0;
  int rop2 = R2_COPYPEN, fillMode = ALTERNATE, stretchMode = BLACKONWHITE, bkMode = OPAQUE;
  int arcDirection = AD_COUNTERCLOCKWISE, mapMode = MM_TEXT;
  unsigned textAlign = 0;
  COLORREF bkColour = RGB(255, 255, 255), textColour = 0;
  POINT position{0, 0};
  bool clipped = false;
  RECT clip{};
  RECT windowClip{};  // for window DCs: what the window lets it draw on
};

enum class Kind { None, DC, Bitmap, Pen, Brush, Font, Palette };
struct Object {
  Kind kind = Kind::None;
  bool stock = false;
  std::unique_ptr<DC> dc;
  std::unique_ptr<Bitmap> bitmap;
  std::unique_ptr<Pen> pen;
  std::unique_ptr<Brush> brush;
  std::unique_ptr<Font> font;
  std::unique_ptr<Palette> palette;
};

// An internal stock object: the 1 x 1 bitmap every memory DC starts with.
constexpr int DEFAULT_BITMAP = 14;

Object* Lookup(Handle h, Kind kind);  // Kind::None accepts any kind
DC* LookupDC(HDC h);
Bitmap* LookupBitmap(HBITMAP h);
Handle NewObject(Object object);
void FreeObject(Handle h);
const std::vector<Handle>& LiveDCs();
Handle StockObject(int which);
HDC NewDC(bool screen, HWND window);
const PALETTEENTRY* SystemPalette();

// The pixels a DC draws on; false when it has none (the screen, a lost window).
bool TargetOf(const DC& dc, Target* target);
// A colour reference as the target's pixel value: a palette index or 0x00RRGGBB.
std::uint32_t ResolveColour(const DC& dc, const Target& target, COLORREF colour);
COLORREF PixelToColour(const Target& target, std::uint32_t value);

// Window support, provided by the window layer.
bool WindowTarget(HWND window, Target* target);
void WindowChanged(HWND window, const RECT& rect);
HDC CreateWindowDC(HWND window, const RECT& clip);
bool DeleteDCOfWindow(HDC dc);

}  // namespace plat::detail
