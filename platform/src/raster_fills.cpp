// Fills: a rectangle of a brush, a pattern blit, and the flood fill, which finds the
// region to paint a word of pixels at a time.
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

namespace plat {
namespace detail {}  // namespace detail

using namespace detail;

int FillRect(HDC h, const RECT* rect, HBRUSH brush) {
  Canvas c;
  if (!rect || !Open(h, &c) || !Lookup(brush, Kind::Brush)) return 0;
  const Paint paint = BrushPaint(c, brush);
  DC saved = *c.dc;
  const_cast<DC*>(c.dc)->rop2 = R2_COPYPEN;
  for (long long y = std::max<long long>(rect->top, c.clip.top);
       y < std::min<long long>(rect->bottom, c.clip.bottom); ++y)
    Span(c, static_cast<int>(y), rect->left, rect->right, paint);
  const_cast<DC*>(c.dc)->rop2 = saved.rop2;
  Close(c);
  return 1;
}

bool PatBlt(HDC h, int x, int y, int w, int hgt, std::uint32_t rop) {
  if (UsesSource(static_cast<std::uint8_t>(rop >> 16))) return false;
  return Blit(h, x, y, w, hgt, 0, nullptr, 0, 0, w, hgt, rop);
}

namespace {

// The pixels a flood fill may still paint, one bit each, a row a whole number of
// words so the search runs a word at a time; bits past the row's end stay clear.
constexpr std::size_t kWordBits = 64;

std::size_t WordsFor(std::size_t bits) {
  return (bits + kWordBits - 1) / kWordBits;
}

std::uint64_t BitsFrom(std::size_t i) {
  return ~std::uint64_t{0} << (i % kWordBits);
}

// The first set (or, with `set` false, clear) bit in [i, end), or end.
std::size_t NextBit(const std::uint64_t* m, std::size_t i, std::size_t end, bool set) {
  if (i >= end) return end;
  const std::uint64_t flip = set ? 0 : ~std::uint64_t{0};
  std::size_t at = i / kWordBits;
  std::uint64_t word = (m[at] ^ flip) & BitsFrom(i);
  const std::size_t lastWord = (end - 1) / kWordBits;
  while (!word && at < lastWord) word = m[++at] ^ flip;
  if (!word) return end;
  return std::min(end, at * kWordBits + static_cast<std::size_t>(__builtin_ctzll(word)));
}

// The start of the run of set bits that ends just before l.
std::size_t RunStart(const std::uint64_t* m, std::size_t l) {
  while (l > 0) {
    const std::size_t at = (l - 1) / kWordBits, used = l - at * kWordBits;
    const std::uint64_t below =
        used == kWordBits ? ~std::uint64_t{0} : (std::uint64_t{1} << used) - 1;
    const std::uint64_t closed = ~m[at] & below;
    if (closed) return at * kWordBits + static_cast<std::size_t>(64 - __builtin_clzll(closed));
    l = at * kWordBits;
  }
  return 0;
}

void ClearBits(std::uint64_t* m, std::size_t l, std::size_t r) {
  if (l >= r) return;
  const std::size_t first = l / kWordBits, last = (r - 1) / kWordBits;
  const std::uint64_t head = BitsFrom(l),
                      tail = ~std::uint64_t{0} >> (kWordBits - 1 - (r - 1) % kWordBits);
  if (first == last) {
    m[first] &= ~(head & tail);
    return;
  }
  m[first] &= ~head;
  for (std::size_t k = first + 1; k < last; ++k) m[k] = 0;
  m[last] &= ~tail;
}

// Bit i set where p[i] is (`equal`) or is not the key, for a row of w bytes; bits past
// the row's end stay clear.
void OpenBitsPlain(const std::uint8_t* p, std::size_t w, std::uint8_t key, bool equal,
                   std::uint64_t* m) {
  constexpr std::size_t kChunk = 16;  // bytes compared at once
  const std::uint64_t flip = equal ? 0 : ~std::uint64_t{0};
#if defined(__SSE2__)
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  auto same = [&](const std::uint8_t* at) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(in, keys)))};
  };
#endif
  for (std::size_t i = 0; i < w; i += kWordBits) {
    const std::size_t n = std::min(kWordBits, w - i);
    std::uint64_t word = 0;
    std::size_t j = 0;
#if defined(__SSE2__)
    if (n == kWordBits) {
      // Four independent compares, not a chain through the word.
      word = same(p + i) | same(p + i + 16) << 16 | same(p + i + 32) << 32 | same(p + i + 48) << 48;
      j = n;
    }
    for (; j + kChunk <= n; j += kChunk) word |= same(p + i + j) << j;
#endif
    for (; j < n; ++j) word |= std::uint64_t{p[i + j] == key} << j;
    const std::uint64_t used = n == kWordBits ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
    m[i / kWordBits] = (word ^ flip) & used;
  }
}

#if defined(__x86_64__)
// A word of bits from one compare where the processor has 64-byte registers.
__attribute__((target("avx512f,avx512bw,bmi2"))) void OpenBitsWide(const std::uint8_t* p,
                                                                   std::size_t w, std::uint8_t key,
                                                                   bool equal, std::uint64_t* m) {
  const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
  const std::uint64_t flip = equal ? 0 : ~std::uint64_t{0};
  std::size_t i = 0;
  for (; i + kWordBits <= w; i += kWordBits)
    m[i / kWordBits] = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p + i), keys) ^ flip;
  if (i < w) {
    const __mmask64 used = _bzhi_u64(~0ull, static_cast<unsigned>(w - i));
    m[i / kWordBits] =
        (_mm512_cmpeq_epi8_mask(_mm512_maskz_loadu_epi8(used, p + i), keys) ^ flip) & used;
  }
}
#endif

void OpenBits(const std::uint8_t* p, std::size_t w, std::uint8_t key, bool equal,
              std::uint64_t* m) {
#if defined(__x86_64__)
  if (HasCpuFeature(CpuFeature::kAvx512Bytes)) {
    OpenBitsWide(p, w, key, equal, m);
    return;
  }
#endif
  OpenBitsPlain(p, w, key, equal, m);
}

}  // namespace

bool ExtFloodFill(HDC h, int x, int y, COLORREF colour, unsigned type) {
  Canvas c;
  if (!Open(h, &c) || !c.Inside(x, y)) return false;
  const std::uint32_t key = ResolveColour(*c.dc, c.t, colour);
  const bool surface = type == FLOODFILLSURFACE;
  // Which pixels may still be filled, decided once from the pixels as they were;
  // a pixel leaves the set when it is painted, so every pixel is painted once.
  const int left = c.clip.left, top = c.clip.top;
  const std::size_t w = static_cast<std::size_t>(c.clip.right - c.clip.left);
  const std::size_t rows = static_cast<std::size_t>(c.clip.bottom - c.clip.top);
  const std::size_t words = WordsFor(w);
  // Scratch kept between calls: a room's fill covers most of the worksheet. A row's
  // bits are worked out when the fill first reaches it.
  static std::vector<std::uint64_t> open;
  static std::vector<std::uint8_t> known;
  open.resize(words * rows);
  known.assign(rows, 0);
  auto row = [&](int py) {
    const auto r = static_cast<std::size_t>(py - top);
    std::uint64_t* m = &open[r * words];
    if (known[r]) return m;
    known[r] = 1;
    if (c.t.bytesPerPixel == 1) {
      OpenBits(c.At(left, py), w, static_cast<std::uint8_t>(key), surface, m);
      return m;
    }
    std::fill(m, m + words, 0);
    for (std::size_t i = 0; i < w; ++i)
      if ((c.Get(left + static_cast<int>(i), py) == key) == surface)
        m[i / kWordBits] |= std::uint64_t{1} << (i % kWordBits);
    return m;
  };
  auto isOpen = [](const std::uint64_t* m, std::size_t i) {
    return (m[i / kWordBits] >> (i % kWordBits)) & 1;
  };
  if (!isOpen(row(y), static_cast<std::size_t>(x - left))) return false;
  const Paint paint = BrushPaint(c, c.dc->brush);
  const int saved = c.dc->rop2;
  const_cast<DC*>(c.dc)->rop2 = R2_COPYPEN;
  // Runs of row y - dy in [l, r) were filled; row y is searched under them only. A
  // run found there that reaches past [l, r) sends the search back to row y - dy for
  // the part the earlier run did not cover, so no row is searched twice.
  struct Pending {
    int y, dy;
    std::size_t l, r;
  };
  static std::vector<Pending> stack;
  stack.clear();
  auto fill = [&](int py, std::size_t l, std::size_t r) {
    ClearBits(row(py), l, r);
    Span(c, py, left + static_cast<int>(l), left + static_cast<int>(r), paint);
  };
  {
    const std::uint64_t* m = row(y);
    const std::size_t l = RunStart(m, static_cast<std::size_t>(x - left));
    const std::size_t r = NextBit(m, static_cast<std::size_t>(x - left), w, false);
    fill(y, l, r);
    stack.push_back(Pending{y + 1, 1, l, r});
    stack.push_back(Pending{y - 1, -1, l, r});
  }
  while (!stack.empty()) {
    const Pending s = stack.back();
    stack.pop_back();
    if (s.y < top || s.y >= c.clip.bottom) continue;
    const std::uint64_t* m = row(s.y);
    std::size_t i = s.l;
    if (isOpen(m, i))
      i = RunStart(m, i);
    else
      i = NextBit(m, i, s.r, true);
    while (i < s.r) {
      const std::size_t e = NextBit(m, i, w, false);
      fill(s.y, i, e);
      stack.push_back(Pending{s.y + s.dy, s.dy, i, e});
      if (i < s.l) stack.push_back(Pending{s.y - s.dy, -s.dy, i, s.l});
      if (e > s.r) stack.push_back(Pending{s.y - s.dy, -s.dy, s.r, e});
      i = e < s.r ? NextBit(m, e, s.r, true) : s.r;
    }
  }
  const_cast<DC*>(c.dc)->rop2 = saved;
  Close(c);
  return true;
}

bool FloodFill(HDC h, int x, int y, COLORREF border) {
  return ExtFloodFill(h, x, y, border, FLOODFILLBORDER);
}

}  // namespace plat
