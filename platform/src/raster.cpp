// The raster: lines, outlines, fills and blits on 8-bit and 32-bit targets. Every
// write is clipped to the target, the DC's clip and (for window DCs) the window, so
// no argument can reach memory outside the pixels.
//
// The primitives live one family to a file (raster_lines, raster_polygons,
// raster_curves, raster_fills, raster_blits, raster_ops) behind raster_p.h; this file
// opens and closes a canvas, resolves pens and brushes, and draws single pixels and text.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "glyphs.h"
#include "raster_p.h"

namespace plat {
namespace detail {

bool Open(HDC h, Canvas* c) {
  DC* dc = LookupDC(h);
  if (!dc || !TargetOf(*dc, &c->t)) return false;
  c->dc = dc;
  c->window = dc->window;
  RECT clip{0, 0, c->t.width, c->t.height};
  auto meet = [&](const RECT& r) {
    clip.left = std::max(clip.left, r.left);
    clip.top = std::max(clip.top, r.top);
    clip.right = std::min(clip.right, r.right);
    clip.bottom = std::min(clip.bottom, r.bottom);
  };
  if (dc->window) meet(dc->windowClip);
  if (dc->clipped) meet(dc->clip);
  if (clip.right < clip.left) clip.right = clip.left;
  if (clip.bottom < clip.top) clip.bottom = clip.top;
  c->clip = clip;
  return true;
}

void Close(Canvas& c) {
  if (c.window && c.dirty.left < c.dirty.right) WindowChanged(c.window, c.dirty);
}

Paint BrushPaint(const Canvas& c, HBRUSH h) {
  Paint p;
  Object* o = Lookup(h, Kind::Brush);
  if (!o) return p;
  p.style = o->brush->style;
  p.hatch = o->brush->hatch;
  p.fore = ResolveColour(*c.dc, c.t, o->brush->colour);
  // Looking up the background colour costs a search of the colour table.
  if (p.style == BS_HATCHED) p.back = ResolveColour(*c.dc, c.t, c.dc->bkColour);
  p.opaque = c.dc->bkMode == OPAQUE;
  return p;
}

PenInfo PenOf(const Canvas& c) {
  PenInfo p;
  Object* o = Lookup(c.dc->pen, Kind::Pen);
  if (!o) return p;
  p.style = o->pen->style;
  p.width = o->pen->width;
  p.value = ResolveColour(*c.dc, c.t, o->pen->colour);
  return p;
}

}  // namespace detail

using namespace detail;

COLORREF SetPixel(HDC h, int x, int y, COLORREF colour) {
  Canvas c;
  if (!Open(h, &c) || !c.Inside(x, y)) return CLR_INVALID;
  const std::uint32_t v = ResolveColour(*c.dc, c.t, colour);
  c.Set(x, y, v);
  c.Touch(x, y, x + 1, y + 1);
  Close(c);
  return PixelToColour(c.t, v);
}

COLORREF GetPixel(HDC h, int x, int y) {
  Canvas c;
  if (!Open(h, &c) || !c.Inside(x, y)) return CLR_INVALID;
  return PixelToColour(c.t, c.Get(x, y));
}

bool TextOut(HDC h, int x, int y, const char* text, int length) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (!text || length <= 0) return true;
  Object* f = Lookup(c.dc->font, Kind::Font);
  if (!f) return false;
  const LOGFONT& lf = f->font->lf;
  glyphs::Mask mask;
  glyphs::FontMetrics m{};
  SIZE extent{};
  const unsigned align = c.dc->textAlign;
  // Measuring the string loads every glyph again: only for alignment and background.
  const bool measure = (align & (TA_CENTER | TA_RIGHT)) != 0 || c.dc->bkMode == OPAQUE;
  if (!glyphs::Render(lf, text, length, lf.lfQuality == ANTIALIASED_QUALITY, &mask) ||
      !glyphs::Metrics(lf, &m) || (measure && !glyphs::Extent(lf, text, length, &extent)))
    return false;
  // The reference point moves with the alignment, along the rotated baseline.
  double ox = 0, oy = 0;
  if ((align & TA_CENTER) == TA_CENTER)
    ox = -extent.cx / 2.0;
  else if (align & TA_RIGHT)
    ox = -extent.cx;
  if ((align & TA_BASELINE) == TA_BASELINE)
    oy = -m.ascent;
  else if (align & TA_BOTTOM)
    oy = -m.height;
  const double angle = lf.lfEscapement * M_PI / 1800.0;
  const double cs = std::cos(angle), sn = std::sin(angle);
  const int rx = x + static_cast<int>(std::lround(ox * cs + oy * sn));
  const int ry = y + static_cast<int>(std::lround(-ox * sn + oy * cs));
  const std::uint32_t fore = ResolveColour(*c.dc, c.t, c.dc->textColour);
  if (c.dc->bkMode == OPAQUE) {
    const Paint back{BS_SOLID, 0, ResolveColour(*c.dc, c.t, c.dc->bkColour), 0, true};
    if (lf.lfEscapement % 3600 == 0)
      for (int yy = ry; yy < ry + extent.cy; ++yy) Span(c, yy, rx, rx + extent.cx, back);
  }
  for (int my = 0; my < mask.height; ++my)
    for (int mx = 0; mx < mask.width; ++mx) {
      const std::uint8_t cov = mask.coverage[static_cast<std::size_t>(my) * mask.width + mx];
      if (cov < 128) continue;
      Plot(c, rx + mask.left + mx, ry + mask.top + my, fore);
    }
  Close(c);
  return true;
}

bool GetTextExtentPoint32(HDC h, const char* text, int length, SIZE* size) {
  DC* dc = LookupDC(h);
  if (!dc || !size) return false;
  Object* f = Lookup(dc->font, Kind::Font);
  return f && glyphs::Extent(f->font->lf, text, length, size);
}

bool GetTextMetrics(HDC h, TEXTMETRIC* tm) {
  DC* dc = LookupDC(h);
  if (!dc || !tm) return false;
  Object* f = Lookup(dc->font, Kind::Font);
  glyphs::FontMetrics m{};
  if (!f || !glyphs::Metrics(f->font->lf, &m)) return false;
  *tm = TEXTMETRIC{m.height, m.ascent,       m.descent,      m.internalLeading,
                   0,        m.aveCharWidth, m.maxCharWidth, f->font->lf.lfWeight};
  return true;
}

}  // namespace plat
