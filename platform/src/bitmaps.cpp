// Device-independent bitmaps: made empty, or read from a bitmap file image in memory.
#include <cstring>

#include "gdi_p.h"

namespace plat {

using namespace detail;

namespace {

constexpr int kMaxSide = 16384;

HBITMAP MakeBitmap(int width, int height, int bpp, const RGBQUAD* colours) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return 0;
  if (bpp != 8 && bpp != 32) return 0;
  auto b = std::make_unique<Bitmap>();
  b->width = width;
  b->height = height;
  b->bpp = bpp;
  b->stride = (width * bpp / 8 + 3) & ~3;
  b->pixels.assign(static_cast<std::size_t>(b->stride) * static_cast<std::size_t>(height), 0);
  if (colours && bpp == 8) std::memcpy(b->colours, colours, sizeof b->colours);
  Object o;
  o.kind = Kind::Bitmap;
  o.bitmap = std::move(b);
  return NewObject(std::move(o));
}

std::uint32_t Read32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}
std::uint16_t Read16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFOHEADER* header, const RGBQUAD* colours, unsigned,
                         void** bits) {
  if (bits) *bits = nullptr;
  if (dc && !LookupDC(dc)) return 0;
  if (!header || header->biCompression != BI_RGB) return 0;
  const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  HBITMAP h = MakeBitmap(header->biWidth, height, header->biBitCount, colours);
  if (h && bits) *bits = LookupBitmap(h)->pixels.data();
  return h;
}

HBITMAP CreateDIBFromBMP(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  if (!p || size < 14 + 40 || Read16(p) != 0x4D42) return 0;
  const std::uint32_t offBits = Read32(p + 10);
  const std::uint32_t headerSize = Read32(p + 14);
  if (headerSize < 40 || headerSize > size - 14) return 0;
  const auto width = static_cast<std::int32_t>(Read32(p + 18));
  const auto rawHeight = static_cast<std::int32_t>(Read32(p + 22));
  const std::uint16_t bpp = Read16(p + 28);
  const std::uint32_t compression = Read32(p + 30);
  std::uint32_t used = Read32(p + 46);
  if (compression != BI_RGB || (bpp != 8 && bpp != 24 && bpp != 32)) return 0;
  if (rawHeight == INT32_MIN || width <= 0 || width > kMaxSide) return 0;
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  if (height <= 0 || height > kMaxSide) return 0;

  RGBQUAD colours[256]{};
  if (bpp == 8) {
    if (used == 0 || used > 256) used = used == 0 ? 256 : 0;
    if (used == 0) return 0;
    const std::size_t tableAt = 14 + static_cast<std::size_t>(headerSize);
    if (tableAt + used * 4 > size) return 0;
    std::memcpy(colours, p + tableAt, used * 4);
  }
  const std::size_t srcStride = (static_cast<std::size_t>(width) * bpp / 8 + 3) & ~std::size_t{3};
  if (offBits > size || srcStride * static_cast<std::size_t>(height) > size - offBits) return 0;

  HBITMAP h = MakeBitmap(width, height, bpp == 8 ? 8 : 32, colours);
  if (!h) return 0;
  Bitmap* b = LookupBitmap(h);
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* src =
        p + offBits + srcStride * static_cast<std::size_t>(topDown ? row : height - 1 - row);
    std::uint8_t* dst = b->pixels.data() + static_cast<std::size_t>(b->stride) * row;
    if (bpp == 8) {
      std::memcpy(dst, src, static_cast<std::size_t>(width));
    } else {
      const int step = bpp / 8;
      for (int x = 0; x < width; ++x) {
        dst[4 * x] = src[step * x];
        dst[4 * x + 1] = src[step * x + 1];
        dst[4 * x + 2] = src[step * x + 2];
        dst[4 * x + 3] = 0;
      }
    }
  }
  return h;
}

bool GetDIBSection(HBITMAP h, DIBSECTION* out) {
  Bitmap* b = LookupBitmap(h);
  if (!b || !out) return false;
  out->header = BITMAPINFOHEADER{40,
                                 b->width,
                                 b->height,
                                 1,
                                 static_cast<std::uint16_t>(b->bpp),
                                 BI_RGB,
                                 static_cast<std::uint32_t>(b->pixels.size()),
                                 0,
                                 0,
                                 0,
                                 0};
  out->bits = b->pixels.data();
  out->stride = b->stride;
  out->topDown = true;
  return true;
}

unsigned SetDIBColorTable(HDC h, unsigned first, unsigned count, const RGBQUAD* colours) {
  DC* dc = LookupDC(h);
  Bitmap* b = dc ? LookupBitmap(dc->bitmap) : nullptr;
  if (!b || !colours || b->bpp != 8 || first >= 256) return 0;
  if (count > 256 - first) count = 256 - first;
  std::memmove(&b->colours[first], colours, count * sizeof(RGBQUAD));
  return count;
}

unsigned GetDIBColorTable(HDC h, unsigned first, unsigned count, RGBQUAD* colours) {
  DC* dc = LookupDC(h);
  Bitmap* b = dc ? LookupBitmap(dc->bitmap) : nullptr;
  if (!b || !colours || b->bpp != 8 || first >= 256) return 0;
  if (count > 256 - first) count = 256 - first;
  std::memcpy(colours, &b->colours[first], count * sizeof(RGBQUAD));
  return count;
}

}  // namespace plat
