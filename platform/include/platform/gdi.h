// The drawing layer: device contexts, bitmaps, palettes, pens, brushes, fonts
// and the raster operations the plan engine draws with.
//
// It keeps the calling conventions and pixel rules of the Windows graphics
// interface so that drawing code written against those rules produces the same
// pixels here. Every object is named by a 32-bit handle; 0 names nothing, and
// deleting or selecting 0 is a harmless no-op.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

using Handle = std::uint32_t;
using HGDIOBJ = Handle;
using HDC = Handle;
using HBITMAP = Handle;
using HPEN = Handle;
using HBRUSH = Handle;
using HFONT = Handle;
using HPALETTE = Handle;
using HWND = Handle;
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}
// An entry of the DC's selected logical palette.
constexpr COLORREF PALETTEINDEX(std::uint16_t i) {
  return 0x01000000u | i;
}
// Exactly entry i of the target bitmap's colour table.
constexpr COLORREF DIBINDEX(std::uint16_t i) {
  return 0x10FF0000u | i;
}
constexpr std::uint8_t GetRValue(COLORREF c) {
  return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t GetGValue(COLORREF c) {
  return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t GetBValue(COLORREF c) {
  return static_cast<std::uint8_t>(c >> 16);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

struct POINT {
  std::int32_t x, y;
};
struct RECT {
  std::int32_t left, top, right, bottom;
};
struct SIZE {
  std::int32_t cx, cy;
};

// Colour-table entry as stored in a bitmap: blue first.
struct RGBQUAD {
  std::uint8_t rgbBlue, rgbGreen, rgbRed, rgbReserved;
};
// Logical palette entry: red first.
struct PALETTEENTRY {
  std::uint8_t peRed, peGreen, peBlue, peFlags;
};
constexpr std::uint8_t PC_RESERVED = 0x01;
constexpr std::uint8_t PC_EXPLICIT = 0x02;
constexpr std::uint8_t PC_NOCOLLAPSE = 0x04;

#pragma pack(push, 1)
struct BITMAPFILEHEADER {
  std::uint16_t bfType;
  std::uint32_t bfSize;
  std::uint16_t bfReserved1, bfReserved2;
  std::uint32_t bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct BITMAPINFOHEADER {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;  // negative: rows run top-down
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
constexpr std::uint32_t BI_RGB = 0;

struct LOGFONT {
  std::int32_t lfHeight;  // negative: character height; positive: cell height
  std::int32_t lfWidth;
  std::int32_t lfEscapement;  // tenths of a degree, counter-clockwise
  std::int32_t lfOrientation;
  std::int32_t lfWeight;
  std::uint8_t lfItalic, lfUnderline, lfStrikeOut, lfCharSet;
  std::uint8_t lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily;
  char lfFaceName[32];
};
constexpr std::uint8_t OUT_TT_PRECIS = 4;
constexpr std::uint8_t OUT_TT_ONLY_PRECIS = 7;
constexpr std::uint8_t CLIP_LH_ANGLES = 0x10;
constexpr std::uint8_t DEFAULT_QUALITY = 0;
constexpr std::uint8_t NONANTIALIASED_QUALITY = 3;
constexpr std::uint8_t ANTIALIASED_QUALITY = 4;

struct TEXTMETRIC {
  std::int32_t tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading;
  std::int32_t tmAveCharWidth, tmMaxCharWidth, tmWeight;
};

// Pen styles.
constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
              PS_INSIDEFRAME = 6;
// Brush styles and hatches.
constexpr int BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1, BS_HATCHED = 2;
constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
              HS_DIAGCROSS = 5;
struct LOGBRUSH {
  std::uint32_t lbStyle;
  COLORREF lbColor;
  std::uintptr_t lbHatch;
};

// Stock objects.
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
              NULL_BRUSH = 5, HOLLOW_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
              SYSTEM_FONT = 13, DEFAULT_PALETTE = 15;

// Binary raster operations (SetROP2).
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4,
              R2_MASKPENNOT = 5, R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9,
              R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12, R2_COPYPEN = 13,
              R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;

// Ternary raster operations (BitBlt, StretchBlt, PatBlt); any 0x00XX.... code works.
constexpr std::uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                        SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                        NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                        PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                        DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;

constexpr int ALTERNATE = 1, WINDING = 2;
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;
constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr int AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2;
constexpr int MM_TEXT = 1;
constexpr unsigned FLOODFILLBORDER = 0, FLOODFILLSURFACE = 1;
constexpr unsigned DIB_RGB_COLORS = 0;
// Text alignment: the reference point is the top left of the text cell unless told.
constexpr unsigned TA_TOP = 0, TA_LEFT = 0, TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6,
                   TA_BOTTOM = 8, TA_BASELINE = 24;

// Device capabilities.
constexpr int HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14, RASTERCAPS = 38,
              SIZEPALETTE = 104, NUMRESERVED = 106;
constexpr int RC_PALETTE = 0x0100;
constexpr unsigned SYSPAL_ERROR = 0, SYSPAL_STATIC = 1, SYSPAL_NOSTATIC = 2;

// --- Device contexts and objects -------------------------------------------------

// A memory DC; `compatible` is ignored beyond validity (0 = the screen). It starts
// with a 1 x 1 monochrome stand-in bitmap, which SelectObject hands back.
HDC CreateCompatibleDC(HDC compatible);
bool DeleteDC(HDC dc);
// The screen's DC (an 8-bit, 256-colour display with a system palette).
HDC GetScreenDC();

// Selecting returns the object that was selected before (0 on failure).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, int objectType);
constexpr int OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_PAL = 5, OBJ_FONT = 6, OBJ_BITMAP = 7,
              OBJ_MEMDC = 10;
int GetObjectType(HGDIOBJ object);  // 0 for an invalid handle
// Deleting a stock object, or an object selected into a DC, fails harmlessly.
bool DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int which);

HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
HBRUSH CreateHatchBrush(int hatch, COLORREF colour);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HFONT CreateFontIndirect(const LOGFONT* font);

// --- Bitmaps ---------------------------------------------------------------------

// Bit counts 1, 4, 8, 24 and 32 are accepted; rows are padded to 4 bytes. The
// colour table (for 8 bits and fewer) is taken from `colours` (may be null: all
// black). `bits` receives the pixel address, owned by the bitmap.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFOHEADER* header, const RGBQUAD* colours,
                         unsigned usage, void** bits);
// Reads a Windows bitmap file held in memory (8, 24 or 32 bits, uncompressed, either
// row order) into a top-down DIB section. 0 for anything malformed.
HBITMAP CreateDIBFromBMP(const void* data, std::size_t size);

struct DIBSECTION {
  BITMAPINFOHEADER header;  // height positive; top-down as made here
  void* bits;
  std::int32_t stride;
  bool topDown;
};
bool GetDIBSection(HBITMAP bitmap, DIBSECTION* out);

// Operate on the colour table of the bitmap selected into `dc`.
unsigned SetDIBColorTable(HDC dc, unsigned first, unsigned count, const RGBQUAD* colours);
unsigned GetDIBColorTable(HDC dc, unsigned first, unsigned count, RGBQUAD* colours);

// --- Palettes --------------------------------------------------------------------

HPALETTE CreatePalette(std::uint16_t version, std::uint16_t count, const PALETTEENTRY* entries);
unsigned GetPaletteEntries(HPALETTE palette, unsigned first, unsigned count, PALETTEENTRY* out);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool background);
// Maps the DC's palette into the system palette; returns how many system entries changed.
unsigned RealizePalette(HDC dc);
bool UnrealizeObject(HGDIOBJ object);
unsigned GetSystemPaletteEntries(HDC dc, unsigned first, unsigned count, PALETTEENTRY* out);
unsigned GetSystemPaletteUse(HDC dc);
unsigned SetSystemPaletteUse(HDC dc, unsigned use);
int GetDeviceCaps(HDC dc, int index);
// The screen's colour depth; tests lower it to check start-up refuses shallow screens.
void SetScreenBitsPerPixel(int bits);

// --- State of a DC ---------------------------------------------------------------

int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int SetStretchBltMode(HDC dc, int mode);
int SetBkMode(HDC dc, int mode);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF SetTextColor(HDC dc, COLORREF colour);
unsigned SetTextAlign(HDC dc, unsigned align);
int SetArcDirection(HDC dc, int direction);
int SetMapMode(HDC dc, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
// Removes the clip (only the null region is supported).
int SelectClipRgn(HDC dc, Handle region);
bool GdiFlush();

// --- Drawing ---------------------------------------------------------------------

bool MoveToEx(HDC dc, int x, int y, POINT* previous);
bool LineTo(HDC dc, int x, int y);
bool Polyline(HDC dc, const POINT* points, int count);
bool Polygon(HDC dc, const POINT* points, int count);
bool PolyPolygon(HDC dc, const POINT* points, const int* counts, int polygons);
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
bool Arc(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
bool Pie(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
bool Chord(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
bool PatBlt(HDC dc, int x, int y, int width, int height, std::uint32_t rop);
bool ExtFloodFill(HDC dc, int x, int y, COLORREF colour, unsigned type);
bool FloodFill(HDC dc, int x, int y, COLORREF border);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC dc, int x, int y);

bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy,
            std::uint32_t rop);
bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, int swidth,
                int sheight, std::uint32_t rop);
// Copies the source except its pixels of colour `transparent` (compared as RGB; a
// DIBINDEX names one source entry exactly), stretched like StretchBlt. Sizes must be
// positive.
bool TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy,
                    int swidth, int sheight, COLORREF transparent);
// Copies from bits described by `header` (top-down when its height is negative).
int StretchDIBits(HDC dst, int x, int y, int width, int height, int sx, int sy, int swidth,
                  int sheight, const void* bits, const BITMAPINFOHEADER* header,
                  const RGBQUAD* colours, unsigned usage, std::uint32_t rop);

bool TextOut(HDC dc, int x, int y, const char* text, int length);
bool GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size);
bool GetTextMetrics(HDC dc, TEXTMETRIC* metrics);

}  // namespace plat
