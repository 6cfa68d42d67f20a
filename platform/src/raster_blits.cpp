// Blits and stretches: copies between DCs through a ternary raster operation,
// stretched by row and column maps, and colour-keyed copies.
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/cpu.h"
#include "raster_p.h"

#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define TESSEL_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef TESSEL_WIDE_CLONES
#define TESSEL_WIDE_CLONES
#endif

namespace plat {
namespace detail {

namespace {

// A source for blits: pixel values already converted into the destination's terms.
struct Source {
  Target t;
  std::vector<std::uint32_t> map;  // 8-bit source index -> destination value
  const Canvas* dst = nullptr;
  bool direct = false;  // same colour table: copy indices
  std::uint32_t At(int x, int y) const {
    const std::uint8_t* p = t.bits + static_cast<std::size_t>(y) * t.stride +
                            static_cast<std::size_t>(x) * t.bytesPerPixel;
    if (t.bytesPerPixel == 1) return direct ? *p : map[*p];
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    v &= 0xFFFFFFu;
    if (dst->t.bytesPerPixel == 4) return v;
    return ResolveColour(*dst->dc, dst->t,
                         RGB(static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                             static_cast<std::uint8_t>(v)));
  }
};

// Colour maps of blits kept for the next blits between the same colour tables.
constexpr int kKeptSourceMaps = 4;

bool MakeSource(const Canvas& dst, const Target& src, Source* s) {
  s->t = src;
  s->dst = &dst;
  if (src.bytesPerPixel != 1) return true;
  if (dst.t.bytesPerPixel == 1 &&
      std::memcmp(src.colours, dst.t.colours, 256 * sizeof(RGBQUAD)) == 0) {
    s->direct = true;
    return true;
  }
  // The map depends only on the two colour tables (the destination's only when it has
  // one): the window's paint and the product blits repeat the same pairs, so the last
  // few maps are kept, compared by contents since tables change in place.
  struct Kept {
    RGBQUAD from[256], to[256];
    bool toTable = false, used = false;
    std::uint32_t map[256];
  };
  static Kept kept[kKeptSourceMaps];
  static int nextKept = 0;
  const bool toTable = dst.t.bytesPerPixel == 1;
  s->map.resize(256);
  for (const Kept& k : kept)
    if (k.used && k.toTable == toTable && std::memcmp(k.from, src.colours, sizeof k.from) == 0 &&
        (!toTable || std::memcmp(k.to, dst.t.colours, sizeof k.to) == 0)) {
      std::copy(k.map, k.map + 256, s->map.begin());
      return true;
    }
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& q = src.colours[i];
    s->map[i] = ResolveColour(*dst.dc, dst.t, RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
  }
  Kept& k = kept[nextKept];
  nextKept = (nextKept + 1) % kKeptSourceMaps;
  std::memcpy(k.from, src.colours, sizeof k.from);
  if (toTable) std::memcpy(k.to, dst.t.colours, sizeof k.to);
  k.toTable = toTable;
  k.used = true;
  std::copy(s->map.begin(), s->map.end(), k.map);
  return true;
}

// Which source column or row each destination one shows, stepped like a line from
// (0, 0) to (sn, dn): enlarging repeats a source pixel; shrinking keeps the last
// source column of each destination pixel's share, but the first source row.
std::vector<int> ScaleMap(int dn, int sn, bool rows) {
  std::vector<int> m(static_cast<std::size_t>(dn), 0);
  // A single destination pixel takes its share from one source pixel fewer.
  if (dn == 1 && sn > 1) --sn;
  const long long dx = sn, dy = dn;
  if (dx > dy) {
    long long err = 3 * dy - 2 * dx;
    std::size_t j = 0;
    bool fresh = true;
    for (int i = 0; i < sn && j < m.size(); ++i) {
      if (!rows || fresh) m[j] = i;
      fresh = err > 0;
      if (err > 0) {
        ++j;
        err += 2 * dy - 2 * dx;
      } else {
        err += 2 * dy;
      }
    }
  } else {
    long long err = 3 * dx - 2 * dy;
    int i = 0;
    for (std::size_t j = 0; j < m.size(); ++j) {
      m[j] = std::min(i, sn - 1);
      if (err > 0) {
        ++i;
        err += 2 * dx - 2 * dy;
      } else {
        err += 2 * dx;
      }
    }
  }
  return m;
}

// d[i] = s[col[i]], eight at a time: the stretch's inner loop.
void Gather(std::uint8_t* d, const std::uint8_t* s, const int* col, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = v << 8 | s[col[i + static_cast<std::size_t>(k)]];
    std::memcpy(d + i, &v, 8);
  }
  for (; i < n; ++i) d[i] = s[col[i]];
}

// d[i] = s[i * step]: a shrink by a whole factor takes evenly spaced columns, which
// the compiler turns into shuffles of whole vectors for the common steps.
void GatherStrided(std::uint8_t* d, const std::uint8_t* s, std::size_t step, std::size_t n) {
  switch (step) {
    case 2:
      for (std::size_t i = 0; i < n; ++i) d[i] = s[2 * i];
      break;
    case 4:
      for (std::size_t i = 0; i < n; ++i) d[i] = s[4 * i];
      break;
    default:
      for (std::size_t i = 0; i < n; ++i) d[i] = s[i * step];
      break;
  }
}

// The distance between neighbouring columns when they are all equally far apart, else 0.
std::size_t EvenStep(const std::vector<int>& cols) {
  if (cols.size() < 2 || cols[1] <= cols[0]) return 0;
  const int step = cols[1] - cols[0];
  for (std::size_t i = 2; i < cols.size(); ++i)
    if (cols[i] - cols[i - 1] != step) return 0;
  return static_cast<std::size_t>(step);
}

}  // namespace

bool Blit(HDC hdst, int x, int y, int w, int h, HDC hsrc, const Target* srcTarget, int sx, int sy,
          int sw, int sh, std::uint32_t rop) {
  Canvas c;
  if (!Open(hdst, &c)) return false;
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  const bool needSource = UsesSource(code);
  Target st{};
  if (needSource) {
    if (srcTarget)
      st = *srcTarget;
    else {
      DC* sdc = LookupDC(hsrc);
      if (!sdc || !TargetOf(*sdc, &st)) return false;
    }
  }
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  if (sw < 0) {
    sx += sw;
    sw = -sw;
  }
  if (sh < 0) {
    sy += sh;
    sh = -sh;
  }
  if (w == 0 || h == 0 || (needSource && (sw == 0 || sh == 0))) return true;
  if (!SaneBox(x, y, static_cast<long long>(x) + w, static_cast<long long>(y) + h)) return false;
  Source src;
  if (needSource) MakeSource(c, st, &src);
  const Paint paint = BrushPaint(c, c.dc->brush);
  const std::uint32_t mask = c.Mask();
  const int x0 = std::max(x, static_cast<int>(c.clip.left));
  const int x1 = std::min(x + w, static_cast<int>(c.clip.right));
  const int y0 = std::max(y, static_cast<int>(c.clip.top));
  const int y1 = std::min(y + h, static_cast<int>(c.clip.bottom));
  if (x0 >= x1 || y0 >= y1) return true;
  if (!needSource && c.t.bytesPerPixel == 1 && paint.style != BS_HATCHED) {
    // Without a source or a hatch every pixel gets the same treatment: the codes that
    // match a binary operation on one value go through the row loops.
    const int rop2 = PatternRop2(code);
    if (rop2) {
      ValueRect(c, x0, y0, x1, y1, paint.style == BS_SOLID ? paint.fore : 0, rop2);
      Close(c);
      return true;
    }
  }
  std::vector<int> cols, rows;
  if (needSource) {
    cols = ScaleMap(w, sw, false);
    rows = ScaleMap(h, sh, true);
  }
  // A plain copy of an 8-bit source, stretched or not, goes through a column table;
  // rows that repeat the source row above are copied from the row just written.
  const bool copy8 = needSource && code == 0xCC && st.bytesPerPixel == 1 && st.bits != c.t.bits;
  std::vector<int> scols;
  int ca = x1, cb = x1;
  if (copy8) {
    for (int dx = x0; dx < x1; ++dx) {
      const int scol = sx + cols[static_cast<std::size_t>(dx - x)];
      if (scol < 0 || scol >= st.width) continue;
      if (ca == x1) ca = dx;
      cb = dx + 1;
      scols.push_back(scol);
    }
  }
  const std::size_t run = static_cast<std::size_t>(cb > ca ? cb - ca : 0);
  const std::size_t step = copy8 ? EvenStep(scols) : 0;
  int lastSrow = -1, lastDy = -1;
  for (int dy = y0; dy < y1; ++dy) {
    int srow = 0;
    if (needSource) {
      srow = sy + rows[static_cast<std::size_t>(dy - y)];
      if (srow < 0 || srow >= st.height) continue;
    }
    if (copy8) {
      if (!run) continue;
      std::uint8_t* d = c.At(ca, dy);
      if (srow == lastSrow) {
        std::memcpy(d, c.At(ca, lastDy), run * static_cast<std::size_t>(c.t.bytesPerPixel));
      } else {
        const std::uint8_t* sr = st.bits + static_cast<std::size_t>(srow) * st.stride;
        const int* col = scols.data();
        if (c.t.bytesPerPixel == 1 && src.direct) {
          if (sw == w)
            std::memcpy(d, sr + col[0], run);
          else if (step)
            GatherStrided(d, sr + col[0], step, run);
          else
            Gather(d, sr, col, run);
        } else if (c.t.bytesPerPixel == 1) {
          const std::uint32_t* map = src.map.data();
          for (std::size_t i = 0; i < run; ++i) d[i] = static_cast<std::uint8_t>(map[sr[col[i]]]);
        } else if (sw == w) {
          // The paint of a window: each index through the colour table, in order.
          const std::uint32_t* map = src.map.data();
          const std::uint8_t* from = sr + col[0];
          auto* to = reinterpret_cast<std::uint32_t*>(d);
          std::size_t i = 0;
          for (; i + 4 <= run; i += 4) {
            to[i] = map[from[i]];
            to[i + 1] = map[from[i + 1]];
            to[i + 2] = map[from[i + 2]];
            to[i + 3] = map[from[i + 3]];
          }
          for (; i < run; ++i) to[i] = map[from[i]];
        } else {
          const std::uint32_t* map = src.map.data();
          auto* to = reinterpret_cast<std::uint32_t*>(d);
          for (std::size_t i = 0; i < run; ++i) to[i] = map[sr[col[i]]];
        }
      }
      lastSrow = srow;
      lastDy = dy;
      continue;
    }
    for (int dx = x0; dx < x1; ++dx) {
      std::uint32_t s = 0, p = 0;
      if (needSource) {
        const int scol = sx + cols[static_cast<std::size_t>(dx - x)];
        if (scol < 0 || scol >= st.width) continue;
        s = src.At(scol, srow);
      }
      if (!paint.At(dx, dy, &p)) p = 0;
      c.Set(dx, dy, Rop3(code, p, s, c.Get(dx, dy), mask));
    }
  }
  c.Touch(x0, y0, x1, y1);
  Close(c);
  return true;
}

namespace {

// d[i] = s[i] except where s[i] is the key: one colour-keyed row, same colour tables.
// The plain loop is compiled for the baseline and for wider registers, picked when the
// library loads; the build's flags stay portable.
TESSEL_WIDE_CLONES void KeyedRowBlend(std::uint8_t* d, const std::uint8_t* s, std::size_t n,
                                      std::uint8_t key) {
  for (std::size_t i = 0; i < n; ++i) d[i] = s[i] == key ? d[i] : s[i];
}

#if defined(__x86_64__)
// Where the processor can store bytes under a mask, the target is not read at all and
// 64 pixels that are all key are not touched.
constexpr std::size_t kMaskedBlock = 64;

__attribute__((target("avx512f,avx512bw,bmi2"))) void KeyedRowMasked(std::uint8_t* d,
                                                                     const std::uint8_t* s,
                                                                     std::size_t n,
                                                                     std::uint8_t key) {
  const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
  std::size_t i = 0;
  for (; i + kMaskedBlock <= n; i += kMaskedBlock) {
    const __m512i in = _mm512_loadu_si512(s + i);
    _mm512_mask_storeu_epi8(d + i, _mm512_cmpneq_epi8_mask(in, keys), in);
  }
  if (i < n) {
    const __mmask64 tail = _bzhi_u64(~0ull, static_cast<unsigned>(n - i));
    const __m512i in = _mm512_maskz_loadu_epi8(tail, s + i);
    _mm512_mask_storeu_epi8(d + i, tail & _mm512_cmpneq_epi8_mask(in, keys), in);
  }
}

#endif

void KeyedRow(std::uint8_t* d, const std::uint8_t* s, std::size_t n, std::uint8_t key) {
#if defined(__x86_64__)
  if (HasCpuFeature(CpuFeature::kAvx512Bytes)) {
    KeyedRowMasked(d, s, n, key);
    return;
  }
#endif
  KeyedRowBlend(d, s, n, key);
}

bool KeyedBlit(HDC hdst, int x, int y, int w, int h, HDC hsrc, int sx, int sy, int sw, int sh,
               COLORREF key) {
  Canvas c;
  DC* sdc = LookupDC(hsrc);
  Target st{};
  if (!Open(hdst, &c) || !sdc || !TargetOf(*sdc, &st)) return false;
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
  if (!SaneBox(x, y, static_cast<long long>(x) + w, static_cast<long long>(y) + h)) return false;
  // The source box is bounded the same way, so no source row or column overflows.
  if (!SaneBox(sx, sy, static_cast<long long>(sx) + sw, static_cast<long long>(sy) + sh))
    return false;
  Source src;
  MakeSource(c, st, &src);
  // Which source values are the key: by colour, or one entry exactly for an index.
  bool keyed[256]{};
  std::uint32_t key32 = CLR_INVALID;
  int keyCount = 0, keyIndex = 0;
  const bool byIndex = (key & 0xFFFF0000u) == 0x10FF0000u;
  if (st.bytesPerPixel == 1 && byIndex) {
    keyIndex = static_cast<int>(key & 0xFFu);
    keyed[keyIndex] = true;
    keyCount = 1;
  } else if (st.bytesPerPixel == 1) {
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& q = st.colours[i];
      keyed[i] = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue) == (key & 0xFFFFFFu);
      if (keyed[i]) {
        ++keyCount;
        keyIndex = i;
      }
    }
  } else if (!byIndex) {
    key32 = (std::uint32_t{GetRValue(key)} << 16) | (std::uint32_t{GetGValue(key)} << 8) |
            GetBValue(key);
  }  // an index means nothing in a source without a colour table: nothing is keyed
  const int x0 = std::max(x, static_cast<int>(c.clip.left));
  const int x1 = std::min(x + w, static_cast<int>(c.clip.right));
  const int y0 = std::max(y, static_cast<int>(c.clip.top));
  const int y1 = std::min(y + h, static_cast<int>(c.clip.bottom));
  if (x0 >= x1 || y0 >= y1) {
    Close(c);
    return true;
  }
  // Unstretched, one keyed index, the same colour table and the whole row in the
  // source: each row is one keyed copy of bytes, and no scale tables are needed.
  const bool plain = src.direct && c.t.bytesPerPixel == 1 && keyCount == 1 && sw == w && sh == h &&
                     sx + (x0 - x) >= 0 && sx + (x1 - x) <= st.width && st.bits != c.t.bits;
  std::vector<int> cols, rows;
  if (!plain) {
    cols = ScaleMap(w, sw, false);
    rows = ScaleMap(h, sh, true);
  }
  for (int dy = y0; dy < y1; ++dy) {
    const int srow = sy + (plain ? dy - y : rows[static_cast<std::size_t>(dy - y)]);
    if (srow < 0 || srow >= st.height) continue;
    const std::uint8_t* sr = st.bits + static_cast<std::size_t>(srow) * st.stride;
    if (plain) {
      KeyedRow(c.At(x0, dy), sr + (sx + x0 - x), static_cast<std::size_t>(x1 - x0),
               static_cast<std::uint8_t>(keyIndex));
      continue;
    }
    for (int dx = x0; dx < x1; ++dx) {
      const int scol = sx + cols[static_cast<std::size_t>(dx - x)];
      if (scol < 0 || scol >= st.width) continue;
      if (st.bytesPerPixel == 1) {
        if (keyed[sr[scol]]) continue;
      } else {
        std::uint32_t v;
        std::memcpy(&v, sr + static_cast<std::size_t>(scol) * 4, 4);
        if ((v & 0xFFFFFFu) == key32) continue;
      }
      c.Set(dx, dy, src.At(scol, srow));
    }
  }
  c.Touch(x0, y0, x1, y1);
  Close(c);
  return true;
}

}  // namespace

}  // namespace detail

using namespace detail;

bool TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    COLORREF transparent) {
  return KeyedBlit(dst, x, y, w, h, src, sx, sy, sw, sh, transparent);
}

bool BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, std::uint32_t rop) {
  return Blit(dst, x, y, w, h, src, nullptr, sx, sy, w, h, rop);
}

bool StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                std::uint32_t rop) {
  return Blit(dst, x, y, w, h, src, nullptr, sx, sy, sw, sh, rop);
}

int StretchDIBits(HDC dst, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                  const void* bits, const BITMAPINFOHEADER* header, const RGBQUAD* colours,
                  unsigned, std::uint32_t rop) {
  if (!bits || !header) return 0;
  if (header->biBitCount != 8 && header->biBitCount != 32) return 0;
  if (header->biWidth <= 0 || header->biHeight == 0) return 0;
  RGBQUAD table[256]{};
  if (colours) std::memcpy(table, colours, sizeof table);
  Target t;
  t.width = header->biWidth;
  t.height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  t.bytesPerPixel = header->biBitCount / 8;
  t.stride = (t.width * t.bytesPerPixel + 3) & ~3;
  t.colours = table;
  std::vector<std::uint8_t> rows;
  t.bits = static_cast<std::uint8_t*>(const_cast<void*>(bits));
  if (header->biHeight > 0) {
    // Bottom-up rows are turned over once, so the blit reads top-down.
    rows.resize(static_cast<std::size_t>(t.stride) * t.height);
    for (int r = 0; r < t.height; ++r)
      std::memcpy(&rows[static_cast<std::size_t>(r) * t.stride],
                  t.bits + static_cast<std::size_t>(t.height - 1 - r) * t.stride,
                  static_cast<std::size_t>(t.stride));
    t.bits = rows.data();
  }
  return Blit(dst, x, y, w, h, 0, &t, sx, sy, sw, sh, rop) ? h : 0;
}

}  // namespace plat
