// Handles and the objects behind them, device contexts and their state, colours
// and palettes, including the system palette of the 256-colour screen.
#include <algorithm>
#include <cstring>

#include "gdi_p.h"

namespace plat {
namespace detail {
namespace {

// A handle is a table slot and the slot's generation: a freed slot is used again,
// and a stale handle to it then names nothing instead of its new occupant.
constexpr Handle kSlotBits = 20;
constexpr Handle kSlotMask = (Handle{1} << kSlotBits) - 1;
constexpr Handle kGenerations = Handle{1} << (32 - kSlotBits);

struct HandleTable {
  std::vector<Object> objects{1};  // slot 0 names nothing
  std::vector<Handle> generation{0};
  std::vector<Handle> free;
  std::vector<Handle> dcs;  // live DCs, for the selection checks
};

// Never destroyed: a library that is unloaded at exit still deletes its objects after
// this one's static objects are gone.
HandleTable& Table() {
  static HandleTable* table = new HandleTable;
  return *table;
}

}  // namespace

Handle NewObject(Object object) {
  auto& t = Table();
  Handle slot;
  if (!t.free.empty()) {
    slot = t.free.back();
    t.free.pop_back();
  } else {
    if (t.objects.size() > kSlotMask) return 0;  // no slot left: the creation fails
    slot = static_cast<Handle>(t.objects.size());
    t.objects.emplace_back();
    t.generation.push_back(0);
  }
  const bool dc = object.kind == Kind::DC;
  t.objects[slot] = std::move(object);
  const Handle h = (t.generation[slot] << kSlotBits) | slot;
  if (dc) t.dcs.push_back(h);
  return h;
}

void FreeObject(Handle h) {
  auto& t = Table();
  const Handle slot = h & kSlotMask;
  if (t.objects[slot].kind == Kind::DC) std::erase(t.dcs, h);
  t.objects[slot] = Object{};
  t.generation[slot] = (t.generation[slot] + 1) % kGenerations;
  t.free.push_back(slot);
}

const std::vector<Handle>& LiveDCs() {
  return Table().dcs;
}

Object* Lookup(Handle h, Kind kind) {
  auto& t = Table();
  const Handle slot = h & kSlotMask;
  if (slot == 0 || slot >= t.objects.size() || t.generation[slot] != h >> kSlotBits) return nullptr;
  Object& o = t.objects[slot];
  if (o.kind == Kind::None || (kind != Kind::None && o.kind != kind)) return nullptr;
  return &o;
}

DC* LookupDC(HDC h) {
  Object* o = Lookup(h, Kind::DC);
  return o ? o->dc.get() : nullptr;
}

Bitmap* LookupBitmap(HBITMAP h) {
  Object* o = Lookup(h, Kind::Bitmap);
  return o ? o->bitmap.get() : nullptr;
}

// --- The screen -----------------------------------------------------------------------

constexpr PALETTEENTRY kStatic[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}};

struct Screen {
  PALETTEENTRY system[256]{};
  int bitsPerPixel = 8;
  unsigned use = SYSPAL_STATIC;
  Screen() {
    for (int i = 0; i < 10; ++i) {
      system[i] = kStatic[i];
      system[246 + i] = kStatic[10 + i];
    }
  }
};
Screen& TheScreen() {
  static Screen s;
  return s;
}

const PALETTEENTRY* SystemPalette() {
  return TheScreen().system;
}

namespace {

struct Stock {
  Handle objects[16]{};
  Stock() {
    auto brush = [](int style, COLORREF c) {
      Object o;
      o.kind = Kind::Brush;
      o.stock = true;
      o.brush = std::make_unique<Brush>(Brush{style, 0, c});
      return NewObject(std::move(o));
    };
    auto pen = [](int style, COLORREF c) {
      Object o;
      o.kind = Kind::Pen;
      o.stock = true;
      o.pen = std::make_unique<Pen>(Pen{style, 1, c});
      return NewObject(std::move(o));
    };
    objects[WHITE_BRUSH] = brush(BS_SOLID, RGB(255, 255, 255));
    objects[LTGRAY_BRUSH] = brush(BS_SOLID, RGB(192, 192, 192));
    objects[GRAY_BRUSH] = brush(BS_SOLID, RGB(128, 128, 128));
    objects[DKGRAY_BRUSH] = brush(BS_SOLID, RGB(64, 64, 64));
    objects[BLACK_BRUSH] = brush(BS_SOLID, RGB(0, 0, 0));
    objects[NULL_BRUSH] = brush(BS_NULL, 0);
    objects[WHITE_PEN] = pen(PS_SOLID, RGB(255, 255, 255));
    objects[BLACK_PEN] = pen(PS_SOLID, RGB(0, 0, 0));
    objects[NULL_PEN] = pen(PS_NULL, 0);
    Object f;
    f.kind = Kind::Font;
    f.stock = true;
    f.font = std::make_unique<Font>();
    f.font->lf.lfHeight = 16;
    f.font->lf.lfWeight = 700;
    std::strcpy(f.font->lf.lfFaceName, "System");
    objects[SYSTEM_FONT] = NewObject(std::move(f));
    Object p;
    p.kind = Kind::Palette;
    p.stock = true;
    p.palette = std::make_unique<Palette>();
    p.palette->entries.assign(kStatic, kStatic + 20);
    objects[DEFAULT_PALETTE] = NewObject(std::move(p));
    Object b;
    b.kind = Kind::Bitmap;
    b.stock = true;
    b.bitmap = std::make_unique<Bitmap>();
    b.bitmap->width = b.bitmap->height = 1;
    b.bitmap->bpp = 8;
    b.bitmap->stride = 4;
    b.bitmap->pixels.assign(4, 0);
    b.bitmap->colours[1] = RGBQUAD{255, 255, 255, 0};
    objects[DEFAULT_BITMAP] = NewObject(std::move(b));
  }
};

}  // namespace

Handle StockObject(int which) {
  static Stock stock;
  if (which < 0 || which >= 16) return 0;
  return stock.objects[which];
}

HDC NewDC(bool screen, HWND window) {
  auto dc = std::make_unique<DC>();
  dc->screen = screen;
  dc->window = window;
  dc->pen = StockObject(BLACK_PEN);
  dc->brush = StockObject(WHITE_BRUSH);
  dc->font = StockObject(SYSTEM_FONT);
  dc->palette = StockObject(DEFAULT_PALETTE);
  if (!screen && !window) {
    dc->bitmap = StockObject(DEFAULT_BITMAP);
  }
  Object o;
  o.kind = Kind::DC;
  o.dc = std::move(dc);
  return NewObject(std::move(o));
}

bool TargetOf(const DC& dc, Target* t) {
  if (dc.window) return WindowTarget(dc.window, t);
  Bitmap* b = LookupBitmap(dc.bitmap);
  if (!b || dc.screen) return false;
  t->bits = b->pixels.data();
  t->width = b->width;
  t->height = b->height;
  t->stride = b->stride;
  t->bytesPerPixel = b->bpp / 8;
  t->colours = b->colours;
  return b->bpp == 8 || b->bpp == 32;
}

namespace {

int Nearest(const RGBQUAD* table, int r, int g, int b) {
  int best = 0, bestDistance = 1 << 30;
  for (int i = 0; i < 256; ++i) {
    const int dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

// The nearest entry searches the whole table, and a redraw asks for the same few
// colours of the same one or two tables thousands of times: answers are kept per
// table contents (compared whole, since a table may change in place) and colour.
constexpr int kCachedTables = 2;
constexpr int kCachedColours = 256;  // per table, by a hash of the colour
struct NearestCache {
  RGBQUAD table[256]{};
  bool used = false;
  std::uint32_t colour[kCachedColours]{};  // 0x01RRGGBB when filled, 0 when empty
  std::uint8_t index[kCachedColours]{};
};
constinit NearestCache nearestCaches[kCachedTables];
constinit int nextNearestCache = 0;

int CachedNearest(const RGBQUAD* table, int r, int g, int b) {
  NearestCache* cache = nullptr;
  for (NearestCache& c : nearestCaches)
    if (c.used && std::memcmp(c.table, table, sizeof c.table) == 0) cache = &c;
  if (!cache) {
    cache = &nearestCaches[nextNearestCache];
    nextNearestCache = (nextNearestCache + 1) % kCachedTables;
    *cache = NearestCache{};
    std::memcpy(cache->table, table, sizeof cache->table);
    cache->used = true;
  }
  const std::uint32_t key = 0x01000000u | static_cast<std::uint32_t>(r << 16 | g << 8 | b);
  const std::uint32_t slot = ((key * 0x9E3779B1u) >> 24) % kCachedColours;
  if (cache->colour[slot] != key) {
    cache->colour[slot] = key;
    cache->index[slot] = static_cast<std::uint8_t>(Nearest(table, r, g, b));
  }
  return cache->index[slot];
}

}  // namespace

std::uint32_t ResolveColour(const DC& dc, const Target& t, COLORREF c) {
  int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  if ((c & 0xFFFF0000u) == 0x10FF0000u) {
    const unsigned i = c & 0xFFu;
    if (t.bytesPerPixel == 1) return i;
    const PALETTEENTRY& e = SystemPalette()[i];
    return (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) | e.peBlue;
  }
  if ((c & 0xFF000000u) == 0x01000000u) {
    Object* p = Lookup(dc.palette, Kind::Palette);
    const unsigned i = c & 0xFFFFu;
    if (p && i < p->palette->entries.size()) {
      const PALETTEENTRY& e = p->palette->entries[i];
      r = e.peRed;
      g = e.peGreen;
      b = e.peBlue;
    } else {
      r = g = b = 0;
    }
  }
  if (t.bytesPerPixel == 1) return static_cast<std::uint32_t>(CachedNearest(t.colours, r, g, b));
  return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
         static_cast<std::uint32_t>(b);
}

COLORREF PixelToColour(const Target& t, std::uint32_t v) {
  if (t.bytesPerPixel == 1) {
    const RGBQUAD& q = t.colours[v & 0xFF];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  return RGB(static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v));
}

}  // namespace detail

using namespace detail;

HDC CreateCompatibleDC(HDC compatible) {
  if (compatible && !LookupDC(compatible)) return 0;
  return NewDC(false, 0);
}

HDC GetScreenDC() {
  static HDC screen = NewDC(true, 0);
  return screen;
}

namespace detail {
bool DeleteDCOfWindow(HDC h) {
  DC* dc = LookupDC(h);
  if (!dc || !dc->window) return false;
  FreeObject(h);
  return true;
}
}  // namespace detail

bool DeleteDC(HDC h) {
  DC* dc = LookupDC(h);
  if (!dc || dc->screen || dc->window) return false;
  if (Bitmap* b = LookupBitmap(dc->bitmap)) --b->selectedIn;
  FreeObject(h);
  return true;
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ object) {
  DC* dc = LookupDC(h);
  Object* o = Lookup(object, Kind::None);
  if (!dc || !o) return 0;
  Handle old = 0;
  switch (o->kind) {
    case Kind::Pen:
      old = dc->pen;
      dc->pen = object;
      break;
    case Kind::Brush:
      old = dc->brush;
      dc->brush = object;
      break;
    case Kind::Font:
      old = dc->font;
      dc->font = object;
      break;
    case Kind::Bitmap: {
      if (dc->window || dc->screen) return 0;
      // A bitmap lives in one DC at a time.
      if (o->bitmap->selectedIn > 0 && object != StockObject(DEFAULT_BITMAP) &&
          dc->bitmap != object)
        return 0;
      old = dc->bitmap;
      if (Bitmap* b = LookupBitmap(old)) --b->selectedIn;
      dc->bitmap = object;
      ++o->bitmap->selectedIn;
      break;
    }
    default:
      return 0;
  }
  return old;
}

HGDIOBJ GetCurrentObject(HDC h, int type) {
  DC* dc = LookupDC(h);
  if (!dc) return 0;
  switch (type) {
    case OBJ_PEN:
      return dc->pen;
    case OBJ_BRUSH:
      return dc->brush;
    case OBJ_FONT:
      return dc->font;
    case OBJ_PAL:
      return dc->palette;
    case OBJ_BITMAP:
      return dc->bitmap;
    default:
      return 0;
  }
}

int GetObjectType(HGDIOBJ h) {
  Object* o = Lookup(h, Kind::None);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::Pen:
      return OBJ_PEN;
    case Kind::Brush:
      return OBJ_BRUSH;
    case Kind::Font:
      return OBJ_FONT;
    case Kind::Palette:
      return OBJ_PAL;
    case Kind::Bitmap:
      return OBJ_BITMAP;
    case Kind::DC:
      return o->dc->window || o->dc->screen ? OBJ_DC : OBJ_MEMDC;
    default:
      return 0;
  }
}

namespace {

bool SelectedAnywhere(Handle h) {
  auto* o = Lookup(h, Kind::None);
  if (o->kind == Kind::Bitmap) return o->bitmap->selectedIn > 0;
  for (Handle d : LiveDCs()) {
    const DC& dc = *Lookup(d, Kind::DC)->dc;
    if (dc.pen == h || dc.brush == h || dc.font == h || dc.palette == h) return true;
  }
  return false;
}

}  // namespace

bool DeleteObject(HGDIOBJ h) {
  Object* o = Lookup(h, Kind::None);
  if (!o || o->stock || o->kind == Kind::DC) return false;
  if (SelectedAnywhere(h)) return false;
  FreeObject(h);
  return true;
}

HGDIOBJ GetStockObject(int which) {
  return StockObject(which);
}

HPEN CreatePen(int style, int width, COLORREF colour) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) style = PS_SOLID;
  Object o;
  o.kind = Kind::Pen;
  o.pen = std::make_unique<Pen>(Pen{style, width < 1 ? 1 : width, colour});
  return NewObject(std::move(o));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return 0;
  Object o;
  o.kind = Kind::Brush;
  o.brush = std::make_unique<Brush>(
      Brush{static_cast<int>(lb->lbStyle), static_cast<int>(lb->lbHatch & 7u), lb->lbColor});
  return NewObject(std::move(o));
}
HBRUSH CreateSolidBrush(COLORREF c) {
  LOGBRUSH lb{BS_SOLID, c, 0};
  return CreateBrushIndirect(&lb);
}
HBRUSH CreateHatchBrush(int hatch, COLORREF c) {
  LOGBRUSH lb{BS_HATCHED, c, static_cast<std::uintptr_t>(hatch)};
  return CreateBrushIndirect(&lb);
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
  if (!lf) return 0;
  Object o;
  o.kind = Kind::Font;
  o.font = std::make_unique<Font>(Font{*lf});
  o.font->lf.lfFaceName[31] = '\0';
  return NewObject(std::move(o));
}

// --- Palettes -------------------------------------------------------------------------

HPALETTE CreatePalette(std::uint16_t, std::uint16_t count, const PALETTEENTRY* entries) {
  if (!entries || count == 0 || count > 256) return 0;
  Object o;
  o.kind = Kind::Palette;
  o.palette = std::make_unique<Palette>();
  o.palette->entries.assign(entries, entries + count);
  return NewObject(std::move(o));
}

unsigned GetPaletteEntries(HPALETTE h, unsigned first, unsigned count, PALETTEENTRY* out) {
  Object* o = Lookup(h, Kind::Palette);
  if (!o) return 0;
  const auto& e = o->palette->entries;
  if (!out) return static_cast<unsigned>(e.size());
  unsigned n = 0;
  for (; n < count && first + n < e.size(); ++n) out[n] = e[first + n];
  return n;
}

HPALETTE SelectPalette(HDC h, HPALETTE palette, bool) {
  DC* dc = LookupDC(h);
  if (!dc || !Lookup(palette, Kind::Palette)) return 0;
  const HPALETTE old = dc->palette;
  dc->palette = palette;
  return old;
}

unsigned RealizePalette(HDC h) {
  DC* dc = LookupDC(h);
  if (!dc) return 0;
  Object* o = Lookup(dc->palette, Kind::Palette);
  if (!o || o->stock) return 0;
  Screen& s = TheScreen();
  // Entries between the static colours land at their own positions: an identity
  // palette maps one to one.
  const unsigned low = s.use == SYSPAL_STATIC ? 10 : 1;
  const unsigned high = s.use == SYSPAL_STATIC ? 246 : 255;
  unsigned changed = 0;
  const auto& e = o->palette->entries;
  for (unsigned i = low; i < high && i < e.size(); ++i) {
    PALETTEENTRY n{e[i].peRed, e[i].peGreen, e[i].peBlue, 0};
    PALETTEENTRY& cur = s.system[i];
    if (cur.peRed != n.peRed || cur.peGreen != n.peGreen || cur.peBlue != n.peBlue) {
      cur = n;
      ++changed;
    }
  }
  return changed;
}

bool UnrealizeObject(HGDIOBJ h) {
  return Lookup(h, Kind::None) != nullptr;
}

unsigned GetSystemPaletteEntries(HDC, unsigned first, unsigned count, PALETTEENTRY* out) {
  if (!out) return 256;
  unsigned n = 0;
  for (; n < count && first + n < 256; ++n) out[n] = TheScreen().system[first + n];
  return n;
}
unsigned GetSystemPaletteUse(HDC) {
  return TheScreen().use;
}
unsigned SetSystemPaletteUse(HDC, unsigned use) {
  const unsigned old = TheScreen().use;
  if (use == SYSPAL_STATIC || use == SYSPAL_NOSTATIC) TheScreen().use = use;
  return old;
}

int GetDeviceCaps(HDC h, int index) {
  DC* dc = LookupDC(h);
  if (!dc) return 0;
  const Screen& s = TheScreen();
  switch (index) {
    case BITSPIXEL: {
      if (dc->screen || dc->window) return s.bitsPerPixel;
      Bitmap* b = LookupBitmap(dc->bitmap);
      return b ? b->bpp : 0;
    }
    case PLANES:
      return 1;
    case SIZEPALETTE:
      return 256;
    case NUMRESERVED:
      return s.use == SYSPAL_STATIC ? 20 : 2;
    case RASTERCAPS:
      return RC_PALETTE;
    case HORZRES:
      return 1280;
    case VERTRES:
      return 1024;
    default:
      return 0;
  }
}

void SetScreenBitsPerPixel(int bits) {
  TheScreen().bitsPerPixel = bits;
}

// --- DC state ---------------------------------------------------------------------------

#define DC_SETTER(Name, field, Type)               \
  Type Name(HDC h, Type value) {                   \
    DC* dc = LookupDC(h);                          \
    if (!dc) return 0;                             \
    const Type old = static_cast<Type>(dc->field); \
    dc->field = value;                             \
    return old;                                    \
  }
DC_SETTER(SetPolyFillMode, fillMode, int)
DC_SETTER(SetStretchBltMode, stretchMode, int)
DC_SETTER(SetBkMode, bkMode, int)
DC_SETTER(SetBkColor, bkColour, COLORREF)
DC_SETTER(SetTextColor, textColour, COLORREF)
DC_SETTER(SetTextAlign, textAlign, unsigned)
DC_SETTER(SetArcDirection, arcDirection, int)
DC_SETTER(SetMapMode, mapMode, int)
#undef DC_SETTER

int SetROP2(HDC h, int mode) {
  DC* dc = LookupDC(h);
  if (!dc || mode < R2_BLACK || mode > R2_WHITE) return 0;
  const int old = dc->rop2;
  dc->rop2 = mode;
  return old;
}
int GetROP2(HDC h) {
  DC* dc = LookupDC(h);
  return dc ? dc->rop2 : 0;
}

int IntersectClipRect(HDC h, int l, int t, int r, int b) {
  DC* dc = LookupDC(h);
  if (!dc) return 0;
  if (dc->clipped) {
    l = std::max(l, dc->clip.left);
    t = std::max(t, dc->clip.top);
    r = std::min(r, dc->clip.right);
    b = std::min(b, dc->clip.bottom);
  }
  dc->clipped = true;
  dc->clip = RECT{l, t, r, b};
  return (l < r && t < b) ? 2 : 1;
}

int SelectClipRgn(HDC h, Handle) {
  DC* dc = LookupDC(h);
  if (!dc) return 0;
  dc->clipped = false;
  return 2;
}

bool GdiFlush() {
  return true;
}

}  // namespace plat
