// An 8-bit surface whose colour table is a grey ramp, so index n is grey n: the
// picture the drawing-layer tests and benchmarks draw into.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gdi.h"

struct GreySurface {
  plat::HDC dc = 0;
  plat::HBITMAP bitmap = 0;
  std::uint8_t* bits = nullptr;
  int width, height, stride;

  GreySurface(int w, int h, std::uint8_t fill = 0) : width(w), height(h), stride((w + 3) & ~3) {
    using namespace plat;
    RGBQUAD grey[256];
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<std::uint8_t>(i);
      grey[i] = RGBQUAD{v, v, v, 0};
    }
    BITMAPINFOHEADER bih{40, w, -h, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    dc = CreateCompatibleDC(0);
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &bih, grey, DIB_RGB_COLORS, &p);
    bits = static_cast<std::uint8_t*>(p);
    SelectObject(dc, bitmap);
    std::memset(bits, fill, Bytes());
  }
  ~GreySurface() {
    plat::DeleteDC(dc);
    plat::DeleteObject(bitmap);
  }
  GreySurface(const GreySurface&) = delete;
  GreySurface& operator=(const GreySurface&) = delete;

  std::size_t Bytes() const {
    return static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  }
  std::uint8_t At(int x, int y) const { return bits[y * stride + x]; }
  std::vector<std::uint8_t> Pixels() const { return {bits, bits + Bytes()}; }
  // The rows without their padding.
  std::vector<std::uint8_t> Rows() const {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < height; ++y)
      out.insert(out.end(), bits + y * stride, bits + y * stride + width);
    return out;
  }
  // The bounding box of pixels equal to v, right and bottom inclusive.
  plat::RECT Box(std::uint8_t v) const {
    plat::RECT r{width, height, -1, -1};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (At(x, y) == v) {
          r.left = std::min(r.left, x);
          r.top = std::min(r.top, y);
          r.right = std::max(r.right, x);
          r.bottom = std::max(r.bottom, y);
        }
    return r;
  }
};
