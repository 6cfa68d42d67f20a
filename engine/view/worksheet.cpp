// The worksheet: the whole plan at two pixels per centimetre in one 8-bit picture,
// with the plan's palette, the grey ramp the drawing picks its colours from, the
// dimming map of design mode and the pens, brushes and fonts of every drawing.
#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "core/core.h"
#include "platform/cpu.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

constinit ViewState view;

namespace {

void SortRange(GreyRampEntry* first, GreyRampEntry* last, bool byBrightness) {
  std::sort(first, last, [byBrightness](const GreyRampEntry& a, const GreyRampEntry& b) {
    return byBrightness ? a.brightness < b.brightness : a.colourfulness < b.colourfulness;
  });
}

void BuildGreyRamp() {
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& q = view.colours[i];
    const float r = q.rgbRed, g = q.rgbGreen, b = q.rgbBlue;
    const float brightness = (r + g + b) / 3.0f;
    const float colourfulness =
        brightness == 0.0f
            ? 0.0f
            : (std::fabs(r - brightness) + std::fabs(g - brightness) + std::fabs(b - brightness)) /
                  brightness;
    std::uint32_t colour;
    std::memcpy(&colour, &q, sizeof colour);
    view.ramp[i] = GreyRampEntry{static_cast<std::uint32_t>(i), colour, colourfulness, brightness};
  }
  GreyRampEntry* ramp = view.ramp;
  SortRange(ramp, ramp + 256, false);
  SortRange(ramp, ramp + 34, true);
  SortRange(ramp + 34, ramp + 256, false);
  SortRange(ramp + 34, ramp + 50, true);

  ramp[34] = ramp[11];
  ramp[35] = ramp[40];
  ramp[36] = ramp[39];
  ramp[37] = ramp[41];
  view.shapeA = static_cast<std::uint8_t>(ramp[11].index);
  view.shapeB = static_cast<std::uint8_t>(ramp[40].index);
  view.shapeC = static_cast<std::uint8_t>(ramp[39].index);
  view.shapeD = static_cast<std::uint8_t>(ramp[41].index);

  // Design mode shows the room paler: each dark grey moves three quarters of the way
  // up the ramp, and the shape colours swap to their lighter partners.
  for (int i = 0; i < 256; ++i) view.dimMap[i] = static_cast<std::uint8_t>(i);
  for (int k = 0; k <= 32; ++k)
    view.dimMap[ramp[k].index] = static_cast<std::uint8_t>(ramp[8 + (3 * k) / 4].index);
  view.dimMap[view.shapeA] = view.shapeC;
  view.dimMap[view.shapeB] = view.shapeD;
}

// A ramp entry's colour-table value taken as a colour reference, as it stands.
COLORREF RampColour(int n) {
  return view.ramp[n].colour;
}
COLORREF IndexColour(std::uint8_t index) {
  for (const auto& e : view.ramp)
    if (e.index == index) return e.colour;
  return 0;
}

HFONT MakeFont(int height, int weight, int escapement, std::uint8_t outPrecision,
               std::uint8_t quality) {
  LOGFONT lf{};
  lf.lfHeight = height;
  lf.lfEscapement = escapement;
  lf.lfWeight = weight;
  lf.lfOutPrecision = outPrecision;
  lf.lfClipPrecision = CLIP_LH_ANGLES;
  lf.lfQuality = quality;
  std::strcpy(lf.lfFaceName, "Arial");
  return CreateFontIndirect(&lf);
}

// The worksheet index a colour resolves to when drawn, found by drawing it: the
// worksheet's colours are fixed once it is made, so the answer holds for its life.
COLORREF SheetIndexOf(COLORREF colour) {
  const std::uint8_t kept = view.sheetBits[0];
  SetPixel(view.sheetDc, 0, 0, colour);
  const std::uint8_t index = view.sheetBits[0];
  view.sheetBits[0] = kept;
  return DIBINDEX(index);
}

void CreateTools() {
  DrawingTools& t = view.tools;
  t.redPen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
  t.blackPen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
  t.wallPen = CreatePen(PS_SOLID, 2, RampColour(12));
  t.sheetWallPen = CreatePen(PS_SOLID, 2, SheetIndexOf(RampColour(12)));
  t.installationPen = CreatePen(PS_SOLID, 2, SheetIndexOf(RampColour(17)));
  t.shapePen = CreatePen(PS_SOLID, 2, SheetIndexOf(IndexColour(view.shapeA)));
  t.wallBrush = CreateSolidBrush(SheetIndexOf(RampColour(12)));
  t.installationBrush = CreateSolidBrush(SheetIndexOf(RampColour(17)));
  t.lightBrush = CreateSolidBrush(SheetIndexOf(RampColour(20)));
  t.shapeBrush = CreateSolidBrush(SheetIndexOf(IndexColour(view.shapeB)));
  view.previousPen = SelectObject(view.sheetDc, t.sheetWallPen);
  t.labelFont = MakeFont(-24, 600, 0, OUT_TT_ONLY_PRECIS, DEFAULT_QUALITY);
  t.verticalRulerFont = MakeFont(12, 100, -2700, OUT_TT_PRECIS, ANTIALIASED_QUALITY);
  t.horizontalRulerFont = MakeFont(12, 100, 0, OUT_TT_PRECIS, ANTIALIASED_QUALITY);
  view.previousFont = SelectObject(view.sheetDc, t.labelFont);
}

}  // namespace

bool CreateWorksheet() {
  HDC screen = GetScreenDC();
  if (GetDeviceCaps(screen, BITSPIXEL) < 8) return false;
  view.sheetDc = CreateSurface(kSheetWidth, kSheetHeight, 8);
  if (!view.sheetDc) {
    EngineTrace("Could not create WorkSheet");
    return false;
  }
  view.sheetBits = static_cast<std::uint8_t*>(SurfaceBits(view.sheetDc));
  if (!view.sheetBits) {
    EngineTrace("Could not retrieve WorkSheet address");
    DestroySurface(view.sheetDc);
    view.sheetDc = 0;
    return false;
  }
  std::size_t size = 0;
  const std::uint8_t* bmp = PlanPaletteBitmap(&size);
  LoadPaletteBitmap(view.sheetDc, bmp, size);
  DibSurface* sheet = FindSurface(view.sheetDc);
  std::memcpy(view.colours, sheet->colours, sizeof view.colours);

  PALETTEENTRY system[256]{};
  GetSystemPaletteEntries(screen, 0, 256, system);
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}) {
    for (int j : {i, 246 + i}) {
      view.colours[j] = RGBQUAD{system[j].peBlue, system[j].peGreen, system[j].peRed, 0};
    }
  }
  SetSurfaceColours(view.sheetDc, 0, 256, view.colours);
  BuildGreyRamp();
  CreateTools();
  view.sheetBitmap = sheet->bitmap;
  view.sheetPalette = sheet->palette;
  ClearWorksheet();
  return true;
}

void DestroyWorksheet() {
  if (view.sheetDc) {
    SelectObject(view.sheetDc, view.previousPen);
    SelectObject(view.sheetDc, view.previousFont);
  }
  DrawingTools& t = view.tools;
  for (HGDIOBJ o : {t.redPen, t.blackPen, t.wallPen, t.sheetWallPen, t.installationPen, t.shapePen,
                    t.wallBrush, t.installationBrush, t.lightBrush, t.shapeBrush, t.labelFont,
                    t.verticalRulerFont, t.horizontalRulerFont})
    DeleteObject(o);
  t = DrawingTools{};
  ReleaseShownBuffer();
  DestroyAllSurfaces();
  view.sheetDc = 0;
  view.sheetBits = nullptr;
  view.sheetBitmap = 0;
  view.sheetPalette = 0;
}

void ClearWorksheet() {
  if (!view.sheetBits) return;
  // White paper inside the frame the wall pen draws along (2, 2) - (W - 2, H - 2),
  // written in one pass over the rows: clearing comes before every full redraw.
  SelectObject(view.sheetDc, view.tools.sheetWallPen);
  SelectObject(view.sheetDc, GetStockObject(HOLLOW_BRUSH));
  const std::uint8_t frame = Grey(12);  // the wall pen's grey
  for (int y = 0; y < kSheetHeight; ++y) {
    std::uint8_t* row = view.sheetBits + static_cast<std::size_t>(y) * kSheetStride;
    if (y == 1 || y == 2 || y == kSheetHeight - 3 || y == kSheetHeight - 2) {
      row[0] = 255;
      std::memset(row + 1, frame, kSheetWidth - 2);
      row[kSheetWidth - 1] = 255;
      continue;
    }
    std::memset(row, 255, kSheetWidth);
    if (y > 2 && y < kSheetHeight - 3) {
      row[1] = row[2] = frame;
      row[kSheetWidth - 3] = row[kSheetWidth - 2] = frame;
    }
  }
}

namespace {

// Two neighbouring pixels dimmed in one look-up: a table of every pair of indices, made
// again only when the dimming map changes (it stays the same for a palette's life), so
// a sheet of mixed colours takes half the look-ups of a byte table.
struct PairMap {
  std::uint8_t madeFrom[256];
  std::uint16_t pairs[1 << 16];
  bool made;
};
constinit PairMap pairMap{};

const std::uint16_t* PairsFor(const std::uint8_t* map) {
  if (!pairMap.made || std::memcmp(pairMap.madeFrom, map, sizeof pairMap.madeFrom) != 0) {
    for (unsigned high = 0; high < 256; ++high)
      for (unsigned low = 0; low < 256; ++low)
        pairMap.pairs[high << 8 | low] = static_cast<std::uint16_t>(map[high] << 8 | map[low]);
    std::memcpy(pairMap.madeFrom, map, sizeof pairMap.madeFrom);
    pairMap.made = true;
  }
  return pairMap.pairs;
}

void MapPixelsPlain(std::uint8_t* p, std::size_t n, const std::uint8_t* map) {
  const std::uint16_t* pairs = PairsFor(map);
  // Most of a plan is paper, which keeps its colour, and the rest mostly runs of one
  // colour: blocks of one colour are mapped as a whole, and written back only when the
  // colour changes; mixed words go through the pair table.
  constexpr std::size_t kBlock = 32;
  constexpr std::uint64_t kSpread = 0x0101010101010101ull;
  std::size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    std::uint64_t w[4];
    std::memcpy(w, p + i, kBlock);
    const std::uint64_t same = p[i] * kSpread;
    if (((w[0] ^ same) | (w[1] ^ same) | (w[2] ^ same) | (w[3] ^ same)) == 0) {
      if (map[p[i]] == p[i]) continue;
      const std::uint64_t dimmed = map[p[i]] * kSpread;
      const std::uint64_t out[4] = {dimmed, dimmed, dimmed, dimmed};
      std::memcpy(p + i, out, kBlock);
      continue;
    }
    for (std::uint64_t& word : w)
      word = std::uint64_t{pairs[word & 0xFFFF]} |
             std::uint64_t{pairs[(word >> 16) & 0xFFFF]} << 16 |
             std::uint64_t{pairs[(word >> 32) & 0xFFFF]} << 32 |
             std::uint64_t{pairs[word >> 48]} << 48;
    std::memcpy(p + i, w, kBlock);
  }
  for (; i < n; ++i) p[i] = map[p[i]];
}

#if defined(__x86_64__)
// Where the processor can look bytes up in a table held in registers, the whole map is
// four registers and 64 pixels take two look-ups of 128 entries each, the index's top
// bit choosing between them. Blocks that keep their colours are not written back, so
// paper stays untouched as on the plain path. Chosen when the engine runs, so the
// build's flags stay portable.
constexpr std::size_t kWideBlock = 64;

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void MapPixelsWide(std::uint8_t* p,
                                                                          std::size_t n,
                                                                          const std::uint8_t* map) {
  const __m512i low0 = _mm512_loadu_si512(map), low1 = _mm512_loadu_si512(map + 64);
  const __m512i high0 = _mm512_loadu_si512(map + 128), high1 = _mm512_loadu_si512(map + 192);
  std::size_t i = 0;
  for (; i + kWideBlock <= n; i += kWideBlock) {
    const __m512i in = _mm512_loadu_si512(p + i);
    const __m512i fromLow = _mm512_permutex2var_epi8(low0, in, low1);
    const __m512i fromHigh = _mm512_permutex2var_epi8(high0, in, high1);
    const __m512i out = _mm512_mask_blend_epi8(_mm512_movepi8_mask(in), fromLow, fromHigh);
    if (_mm512_cmpneq_epi8_mask(out, in) != 0) _mm512_storeu_si512(p + i, out);
  }
  for (; i < n; ++i) p[i] = map[p[i]];
}

#endif

}  // namespace

void MapPixels(std::uint8_t* p, std::size_t n, const std::uint8_t* map) {
  if (!p || !map) return;
#if defined(__x86_64__)
  if (plat::HasCpuFeature(plat::CpuFeature::kAvx512TableLookUp)) {
    MapPixelsWide(p, n, map);
    return;
  }
#endif
  MapPixelsPlain(p, n, map);
}

void DimWorksheet() {
  if (!view.sheetBits) return;
  MapPixels(view.sheetBits, kSheetBytes, view.dimMap);
}

std::uint8_t SheetPixel(int x, int y) {
  if (!view.sheetBits || x < 0 || y < 0 || x >= kSheetWidth || y >= kSheetHeight) return 255;
  return view.sheetBits[static_cast<std::size_t>(y) * kSheetStride + static_cast<std::size_t>(x)];
}

std::uint8_t ColourFilter(std::uint8_t index) {
  if (index == view.shapeA || index == view.shapeB || index == view.shapeC || index == view.shapeD)
    return 255;
  return index;
}

}  // namespace vrx
