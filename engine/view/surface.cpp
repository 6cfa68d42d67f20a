// Drawing surfaces: device-independent bitmaps with their own DC and an identity
// palette, so that copying them to the screen needs no colour translation.
#include <cstring>
#include <new>

#include "platform/window.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

// Releases what a surface holds and takes it out of the list if it is in it. A surface
// that could not be completed goes the same way, so no half-made one stays linked.
void Discard(DibSurface* s) {
  if (s->previousBitmap) SelectObject(s->dc, s->previousBitmap);
  if (s->bitmap) DeleteObject(s->bitmap);
  if (s->palette) DeleteObject(s->palette);
  if (s->dc) DeleteDC(s->dc);
  if (s->previous)
    s->previous->next = s->next;
  else if (view.surfaces == s)
    view.surfaces = s->next;
  if (s->next) s->next->previous = s->previous;
  delete s;
}

}  // namespace

HDC CreateSurface(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return 0;
  auto* s = new (std::nothrow) DibSurface{};
  if (!s) return 0;

  const std::int64_t stride = (std::int64_t{width} * bitsPerPixel / 8 + 3) & ~std::int64_t{3};
  const std::int64_t bytes = stride * height;
  if (bytes > 0xFFFFFFFFll) {
    delete s;
    return 0;
  }
  s->header.biSize = sizeof(BITMAPINFOHEADER);
  s->header.biWidth = width;
  s->header.biHeight = -height;
  s->header.biPlanes = 1;
  s->header.biBitCount = static_cast<std::uint16_t>(bitsPerPixel);
  s->header.biCompression = BI_RGB;
  s->header.biSizeImage = static_cast<std::uint32_t>(bytes);

  s->dc = CreateCompatibleDC(GetScreenDC());
  if (s->dc) s->bitmap = CreateDIBSection(s->dc, &s->header, s->colours, DIB_RGB_COLORS, &s->bits);
  if (!s->dc || !s->bitmap || !s->bits) {
    Discard(s);
    return 0;
  }
  s->previousBitmap = SelectObject(s->dc, s->bitmap);
  std::memset(s->bits, 0, s->header.biSizeImage);
  s->header.biHeight = height;
  if (bitsPerPixel < 15) SetDIBColorTable(s->dc, 0, 256, s->colours);

  s->next = view.surfaces;
  if (view.surfaces) view.surfaces->previous = s;
  view.surfaces = s;
  return s->dc;
}

DibSurface* FindSurface(HDC dc) {
  if (!dc) return nullptr;
  for (DibSurface* s = view.surfaces; s; s = s->next)
    if (s->dc == dc) return s;
  return nullptr;
}

void* SurfaceBits(HDC dc) {
  DibSurface* s = FindSurface(dc);
  return s ? s->bits : nullptr;
}

void DestroySurface(HDC dc) {
  if (DibSurface* s = FindSurface(dc)) Discard(s);
}

void DestroyAllSurfaces() {
  while (view.surfaces) Discard(view.surfaces);
}

namespace {

// An identity palette: the static colours stay the system's own, the entries between
// come from the colour table with PC_NOCOLLAPSE so realizing maps them one to one;
// reading the palette back into the colour table makes both agree entry for entry.
void RebuildPalette(DibSurface* s, unsigned first, unsigned count) {
  PALETTEENTRY entries[256]{};
  HDC screen = GetScreenDC();
  unsigned reserved = static_cast<unsigned>(GetDeviceCaps(screen, NUMRESERVED));
  if (reserved > 256) reserved = 0;
  if (s->palette) {
    DeleteObject(s->palette);
    s->palette = 0;
  }
  const unsigned end = first + count > 256 ? 256 : first + count;
  if (GetSystemPaletteUse(screen) == SYSPAL_STATIC) {
    GetSystemPaletteEntries(screen, 0, 256, entries);
    for (auto& e : entries) e.peFlags = 0;
    const unsigned low = reserved / 2;
    const unsigned high = reserved - low;
    for (unsigned i = low; i + high < end; ++i) {
      const RGBQUAD& q = s->colours[i];
      entries[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, PC_NOCOLLAPSE};
    }
  } else {
    for (unsigned i = first; i < end; ++i) {
      const RGBQUAD& q = s->colours[i];
      entries[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, PC_NOCOLLAPSE};
    }
    entries[0] = PALETTEENTRY{0, 0, 0, 0};
    entries[255] = PALETTEENTRY{255, 255, 255, 0};
  }
  s->palette = CreatePalette(0x300, 256, entries);
  if (!s->palette) return;
  UnrealizeObject(s->palette);
  HPALETTE old = SelectPalette(screen, s->palette, false);
  RealizePalette(screen);
  SelectPalette(screen, old, false);

  GetPaletteEntries(s->palette, 0, 256, entries);
  for (int i = 0; i < 256; ++i)
    s->colours[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  SetDIBColorTable(s->dc, 0, 256, s->colours);
}

}  // namespace

void SetSurfaceColours(HDC dc, unsigned first, unsigned count, const RGBQUAD* colours) {
  DibSurface* s = FindSurface(dc);
  if (!s || first >= 256) return;
  if (count > 256 - first) count = 256 - first;
  std::memcpy(&s->colours[first], colours, count * sizeof(RGBQUAD));
  RebuildPalette(s, first, count);
}

int LoadPaletteBitmap(HDC dc, const std::uint8_t* bmp, std::size_t size) {
  DibSurface* s = FindSurface(dc);
  if (!s || !bmp) return 0;
  HBITMAP loaded = CreateDIBFromBMP(bmp, size);
  DIBSECTION info{};
  if (!loaded || !GetDIBSection(loaded, &info)) {
    DeleteObject(loaded);
    return 0;
  }
  HDC source = CreateCompatibleDC(GetScreenDC());
  HGDIOBJ old = SelectObject(source, loaded);
  RGBQUAD table[256]{};
  GetDIBColorTable(source, 0, 256, table);
  std::memcpy(s->colours, table, sizeof table);
  RebuildPalette(s, 0, 256);
  BitBlt(s->dc, 0, 0, info.header.biWidth, info.header.biHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(loaded);
  return 1;
}

void PaintSurface(HWND window, HDC surface, unsigned message, const PaintOverlay* overlay) {
  if (message == WM_QUERYNEWPALETTE || message == WM_PALETTECHANGED) {
    RealizeSurfacePalette(window, surface);
    return;
  }
  if (message != WM_PAINT) return;
  DibSurface* s = FindSurface(surface);
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  RECT r = paint.rcPaint;
  if (r.left >= r.right || r.top >= r.bottom) GetClientRect(window, &r);
  // The rectangles the copy writes: the invalid parts, or the whole client when the
  // window reports none.
  RECT parts[PAINTSTRUCT::kMaxParts];
  int partCount = 0;
  if (s) {
    const int w = s->header.biWidth;
    const int h = s->header.biHeight;
    const int given = paint.partCount > 0 ? paint.partCount : 1;
    for (int i = 0; i < given; ++i) {
      const RECT& p = paint.partCount > 0 ? paint.parts[i] : r;
      const int right = p.right < w ? p.right : w;
      const int bottom = p.bottom < h ? p.bottom : h;
      if (right > p.left && bottom > p.top) parts[partCount++] = RECT{p.left, p.top, right, bottom};
    }
  }
  const bool lift = overlay && overlay->touches(parts, partCount);
  if (lift) overlay->hide();
  HPALETTE oldPalette = 0;
  if (s && s->palette) {
    oldPalette = SelectPalette(dc, s->palette, false);
    RealizePalette(dc);
  }
  const int oldWindowMode = SetMapMode(dc, MM_TEXT);
  const int oldSurfaceMode = SetMapMode(surface, MM_TEXT);
  for (int i = 0; i < partCount; ++i) {
    const RECT& p = parts[i];
    BitBlt(dc, p.left, p.top, p.right - p.left, p.bottom - p.top, surface, p.left, p.top, SRCCOPY);
  }
  GdiFlush();
  SetMapMode(surface, oldSurfaceMode);
  SetMapMode(dc, oldWindowMode);
  if (oldPalette) SelectPalette(dc, oldPalette, false);
  EndPaint(window, &paint);
  if (lift) overlay->show();
}

bool RealizeSurfacePalette(HWND window, HDC surface) {
  DibSurface* s = FindSurface(surface);
  if (!s || !s->palette) return false;
  HDC dc = GetDC(window);
  if (!dc) return false;
  HPALETTE old = SelectPalette(dc, s->palette, false);
  const unsigned changed = RealizePalette(dc);
  SelectPalette(dc, old, false);
  ReleaseDC(window, dc);
  if (changed) InvalidateRect(window, nullptr, true);
  return changed != 0;
}

}  // namespace vrx
