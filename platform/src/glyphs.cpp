// Text through FreeType, with the Liberation families standing in for the faces the
// plan asks for. Font files are named explicitly so every machine draws the same.
#include "glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>

namespace plat::glyphs {
namespace {

constexpr int kMaxPixels = 1000;

struct Library {
  FT_Library ft = nullptr;
  std::map<std::string, FT_Face> faces;
  Library() {
    if (FT_Init_FreeType(&ft)) ft = nullptr;
  }
};
// Never destroyed: the engine deletes its fonts at its own unload, which at process
// exit comes after the destructors of function-local statics have run.
Library& Lib() {
  static Library& lib = *new Library;
  return lib;
}

std::string FileFor(const LOGFONT& lf) {
  std::string family = "LiberationSans";
  if (strcasecmp(lf.lfFaceName, "Times New Roman") == 0) family = "LiberationSerif";
  if (strcasecmp(lf.lfFaceName, "Courier New") == 0) family = "LiberationMono";
  const bool bold = lf.lfWeight >= 600;
  const char* style =
      bold ? (lf.lfItalic ? "BoldItalic" : "Bold") : (lf.lfItalic ? "Italic" : "Regular");
  return std::string(TESSEL_FONT_DIR) + "/" + family + "-" + style + ".ttf";
}

struct Sized {
  FT_Face face = nullptr;
  int ascent = 0, descent = 0, em = 0;
};

bool Prepare(const LOGFONT& lf, Sized* out) {
  Library& lib = Lib();
  if (!lib.ft) return false;
  const std::string file = FileFor(lf);
  FT_Face face;
  auto it = lib.faces.find(file);
  if (it == lib.faces.end()) {
    if (FT_New_Face(lib.ft, file.c_str(), 0, &face)) return false;
    lib.faces[file] = face;
  } else {
    face = it->second;
  }
  const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const double winAscent = os2 ? os2->usWinAscent : face->ascender;
  const double winDescent = os2 ? os2->usWinDescent : -face->descender;
  const double units = face->units_per_EM;
  int h = lf.lfHeight == 0 ? -16 : lf.lfHeight;
  h = std::clamp(h, -kMaxPixels, kMaxPixels);
  // Negative heights give the character height (the em), positive the cell height.
  const double em = h < 0 ? -h : h * units / (winAscent + winDescent);
  const double scale = em / units;
  out->face = face;
  out->em = std::max(1, static_cast<int>(std::lround(em)));
  out->ascent = static_cast<int>(std::lround(winAscent * scale));
  out->descent = static_cast<int>(std::lround(winDescent * scale));
  // Setting a size runs the font's hinting set-up: only when the size changes.
  if (face->size && face->size->metrics.x_ppem == out->em && face->size->metrics.y_ppem == out->em)
    return true;
  return FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(out->em)) == 0;
}

FT_ULong Unicode(unsigned char c) {
  static const std::uint16_t k1252[32] = {
      0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  return c >= 0x80 && c < 0xA0 ? k1252[c - 0x80] : c;
}

}  // namespace

bool Metrics(const LOGFONT& lf, FontMetrics* out) {
  Sized s;
  if (!out || !Prepare(lf, &s)) return false;
  const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(s.face, FT_SFNT_OS2));
  const double scale = static_cast<double>(s.em) / static_cast<double>(s.face->units_per_EM);
  out->ascent = s.ascent;
  out->descent = s.descent;
  out->height = s.ascent + s.descent;
  out->internalLeading = out->height - s.em;
  out->aveCharWidth = static_cast<int>(std::lround((os2 ? os2->xAvgCharWidth : s.em / 2) * scale));
  out->maxCharWidth = static_cast<int>(
      std::lround(static_cast<double>(s.face->bbox.xMax - s.face->bbox.xMin) * scale));
  return true;
}

bool Extent(const LOGFONT& lf, const char* text, int length, SIZE* out) {
  Sized s;
  if (!out || !Prepare(lf, &s)) return false;
  FT_Set_Transform(s.face, nullptr, nullptr);
  int width = 0;
  for (int i = 0; text && i < length; ++i) {
    const FT_UInt g = FT_Get_Char_Index(s.face, Unicode(static_cast<unsigned char>(text[i])));
    if (FT_Load_Glyph(s.face, g, FT_LOAD_DEFAULT)) continue;
    width += static_cast<int>((s.face->glyph->advance.x + 32) >> 6);
  }
  *out = SIZE{width, s.ascent + s.descent};
  return true;
}

namespace {

// Rendered strings by font and text: the ruler draws the same digits at every view
// refresh, and hinting a glyph costs far more than copying its mask.
std::string CacheKey(const LOGFONT& lf, const char* text, int length, bool antialiased) {
  LOGFONT key = lf;
  key.lfFaceName[sizeof key.lfFaceName - 1] = '\0';
  const std::size_t face = std::strlen(key.lfFaceName);
  std::memset(key.lfFaceName + face, 0, sizeof key.lfFaceName - face);
  std::string k(reinterpret_cast<const char*>(&key), sizeof key);
  k += antialiased ? 'a' : 'm';
  k.append(text, static_cast<std::size_t>(length));
  return k;
}

std::unordered_map<std::string, Mask>& Cache() {
  static auto& cache = *new std::unordered_map<std::string, Mask>;  // as Lib(): never destroyed
  return cache;
}

bool RenderUncached(const LOGFONT& lf, const char* text, int length, bool antialiased, Mask* out);

}  // namespace

bool Render(const LOGFONT& lf, const char* text, int length, bool antialiased, Mask* out) {
  if (!out) return false;
  if (!text || length <= 0) return RenderUncached(lf, text, length, antialiased, out);
  const std::string key = CacheKey(lf, text, length, antialiased);
  auto& cache = Cache();
  if (auto it = cache.find(key); it != cache.end()) {
    *out = it->second;
    return true;
  }
  if (!RenderUncached(lf, text, length, antialiased, out)) return false;
  if (cache.size() >= 2048) cache.clear();
  cache.emplace(key, *out);
  return true;
}

namespace {

bool RenderUncached(const LOGFONT& lf, const char* text, int length, bool antialiased, Mask* out) {
  Sized s;
  if (!Prepare(lf, &s)) return false;
  *out = Mask{};
  if (!text || length <= 0) return true;
  const double angle = lf.lfEscapement * M_PI / 1800.0;
  const double cs = std::cos(angle), sn = std::sin(angle);
  FT_Matrix m;
  m.xx = static_cast<FT_Fixed>(cs * 65536);
  m.xy = static_cast<FT_Fixed>(-sn * 65536);
  m.yx = static_cast<FT_Fixed>(sn * 65536);
  m.yy = static_cast<FT_Fixed>(cs * 65536);
  // The pen starts on the baseline, `ascent` below the reference point, turned with
  // the text. FreeType's y runs up, the screen's down.
  double penX = s.ascent * sn, penY = s.ascent * cs;
  struct Piece {
    int left, top, width, height;
    std::vector<std::uint8_t> cov;
  };
  std::vector<Piece> pieces;
  for (int i = 0; i < length; ++i) {
    FT_Vector delta{static_cast<FT_Pos>(std::lround(penX * 64)),
                    static_cast<FT_Pos>(std::lround(-penY * 64))};
    FT_Set_Transform(s.face, &m, &delta);
    const FT_UInt g = FT_Get_Char_Index(s.face, Unicode(static_cast<unsigned char>(text[i])));
    const FT_Int32 flags =
        FT_LOAD_RENDER | (antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    if (FT_Load_Glyph(s.face, g, flags)) continue;
    const FT_GlyphSlot slot = s.face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    Piece p{slot->bitmap_left,
            -slot->bitmap_top,
            static_cast<int>(bm.width),
            static_cast<int>(bm.rows),
            {}};
    p.cov.resize(static_cast<std::size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        std::uint8_t v;
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
          v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        else
          v = antialiased ? row[x] : (row[x] >= 128 ? 255 : 0);
        p.cov[static_cast<std::size_t>(y) * p.width + x] = v;
      }
    if (p.width > 0 && p.height > 0) pieces.push_back(std::move(p));
    // The transformed advance already carries the rotation.
    penX += static_cast<double>(slot->advance.x) / 64.0;
    penY -= static_cast<double>(slot->advance.y) / 64.0;
  }
  FT_Set_Transform(s.face, nullptr, nullptr);
  if (pieces.empty()) return true;
  int l = pieces[0].left, t = pieces[0].top, r = l, b = t;
  for (const auto& p : pieces) {
    l = std::min(l, p.left);
    t = std::min(t, p.top);
    r = std::max(r, p.left + p.width);
    b = std::max(b, p.top + p.height);
  }
  out->left = l;
  out->top = t;
  out->width = r - l;
  out->height = b - t;
  out->coverage.assign(static_cast<std::size_t>(out->width) * out->height, 0);
  for (const auto& p : pieces)
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        auto& d =
            out->coverage[static_cast<std::size_t>(p.top - t + y) * out->width + (p.left - l + x)];
        d = std::max(d, p.cov[static_cast<std::size_t>(y) * p.width + x]);
      }
  return true;
}

}  // namespace

}  // namespace plat::glyphs
