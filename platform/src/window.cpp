// Windows on a virtual screen: client size, invalid rectangle, 32-bit framebuffer,
// the pointer and message boxes.
#include "platform/window.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "gdi_p.h"

namespace plat {
namespace detail {
namespace {

struct Window {
  RECT screen{};  // client area on the virtual screen
  std::vector<std::uint32_t> pixels;
  bool invalid = false;
  bool erase = false;
  RECT update{};  // bounding rectangle of the invalid region
  // The invalid region as a few rectangles, so that two thin strips far apart do not
  // repaint everything between them; more than fit become their bounding rectangle.
  std::vector<RECT> parts;
  WindowProc proc = nullptr;
  void* user = nullptr;
  HDC paintDc = 0;
  int Width() const { return screen.right - screen.left; }
  int Height() const { return screen.bottom - screen.top; }
};

struct Windows {
  std::map<HWND, Window> all;
  HWND next = 0x10000;  // apart from GDI handles, so one is never taken for the other
  POINT cursor{0, 0};
  WindowChangedHook hook = nullptr;
  void* hookUser = nullptr;
  MessageBoxHook box = nullptr;
  void* boxUser = nullptr;
};
Windows& W() {
  static Windows* w = new Windows;  // outlives every library that holds a window
  return *w;
}

Window* Find(HWND h) {
  auto it = W().all.find(h);
  return it == W().all.end() ? nullptr : &it->second;
}

RECT Unite(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

}  // namespace

bool WindowTarget(HWND h, Target* t) {
  Window* w = Find(h);
  if (!w || w->pixels.empty()) return false;
  t->bits = reinterpret_cast<std::uint8_t*>(w->pixels.data());
  t->width = w->Width();
  t->height = w->Height();
  t->stride = w->Width() * 4;
  t->bytesPerPixel = 4;
  t->colours = nullptr;
  return true;
}

void WindowChanged(HWND h, const RECT& r) {
  if (W().hook) W().hook(h, r, W().hookUser);
}

HDC CreateWindowDC(HWND h, const RECT& clip) {
  HDC dc = NewDC(false, h);
  LookupDC(dc)->windowClip = clip;
  return dc;
}

}  // namespace detail

using namespace detail;

HWND CreateHostWindow(int left, int top, int width, int height) {
  if (width < 0 || height < 0 || width > 16384 || height > 16384) return 0;
  const HWND h = W().next++;
  Window& w = W().all[h];
  w.screen = RECT{left, top, left + width, top + height};
  w.pixels.assign(static_cast<std::size_t>(width) * height, 0);
  w.invalid = width > 0 && height > 0;
  w.update = RECT{0, 0, width, height};
  w.parts.assign(1, w.update);
  return h;
}

bool DestroyWindow(HWND h) {
  return W().all.erase(h) > 0;
}
bool IsWindow(HWND h) {
  return Find(h) != nullptr;
}

bool MoveHostWindow(HWND h, int left, int top, int width, int height) {
  Window* w = Find(h);
  if (!w || width < 0 || height < 0 || width > 16384 || height > 16384) return false;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0);
  const int cw = std::min(width, w->Width()), ch = std::min(height, w->Height());
  for (int y = 0; y < ch; ++y)
    std::copy_n(&w->pixels[static_cast<std::size_t>(y) * w->Width()], cw,
                &pixels[static_cast<std::size_t>(y) * width]);
  w->pixels.swap(pixels);
  w->screen = RECT{left, top, left + width, top + height};
  w->invalid = width > 0 && height > 0;
  w->update = RECT{0, 0, width, height};
  w->parts.assign(1, w->update);
  return true;
}

void SetWindowProc(HWND h, WindowProc proc, void* user) {
  if (Window* w = Find(h)) {
    w->proc = proc;
    w->user = user;
  }
}

long SendMessage(HWND h, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  Window* w = Find(h);
  if (!w || !w->proc) return 0;
  return w->proc(h, message, wParam, lParam, w->user);
}

bool GetClientRect(HWND h, RECT* r) {
  Window* w = Find(h);
  if (!w || !r) return false;
  *r = RECT{0, 0, w->Width(), w->Height()};
  return true;
}

bool GetWindowRect(HWND h, RECT* r) {
  Window* w = Find(h);
  if (!w || !r) return false;
  *r = w->screen;
  return true;
}

bool ClientToScreen(HWND h, POINT* p) {
  Window* w = Find(h);
  if (!w || !p) return false;
  p->x += w->screen.left;
  p->y += w->screen.top;
  return true;
}

bool InvalidateRect(HWND h, const RECT* rect, bool erase) {
  Window* w = Find(h);
  if (!w) return false;
  RECT r = rect ? *rect : RECT{0, 0, w->Width(), w->Height()};
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, w->Width());
  r.bottom = std::min(r.bottom, w->Height());
  if (r.left >= r.right || r.top >= r.bottom) return true;
  if (!w->invalid) w->parts.clear();
  auto inside = [](const RECT& a, const RECT& b) {
    return a.left >= b.left && a.top >= b.top && a.right <= b.right && a.bottom <= b.bottom;
  };
  const bool covered =
      std::any_of(w->parts.begin(), w->parts.end(), [&](const RECT& p) { return inside(r, p); });
  if (!covered) {
    std::erase_if(w->parts, [&](const RECT& p) { return inside(p, r); });
    w->parts.push_back(r);
  }
  w->update = w->invalid ? Unite(w->update, r) : r;
  if (w->parts.size() > PAINTSTRUCT::kMaxParts) w->parts.assign(1, w->update);
  w->invalid = true;
  w->erase = w->erase || erase;
  return true;
}

bool ValidateRect(HWND h, const RECT* rect) {
  Window* w = Find(h);
  if (!w) return false;
  // The invalid region is kept as one rectangle: validating any part that covers it
  // clears it, a smaller part leaves it as it is.
  if (!rect || (rect->left <= w->update.left && rect->top <= w->update.top &&
                rect->right >= w->update.right && rect->bottom >= w->update.bottom)) {
    w->invalid = false;
    w->erase = false;
  }
  return true;
}

bool GetUpdateRect(HWND h, RECT* r, bool) {
  Window* w = Find(h);
  if (!w || !w->invalid) {
    if (r) *r = RECT{0, 0, 0, 0};
    return false;
  }
  if (r) *r = w->update;
  return true;
}

bool UpdateWindow(HWND h) {
  Window* w = Find(h);
  if (!w) return false;
  if (w->invalid && w->proc) w->proc(h, WM_PAINT, 0, 0, w->user);
  return true;
}

HDC BeginPaint(HWND h, PAINTSTRUCT* ps) {
  Window* w = Find(h);
  if (!w || !ps) return 0;
  ps->rcPaint = w->invalid ? w->update : RECT{0, 0, 0, 0};
  ps->partCount = 0;
  if (w->invalid)
    for (const RECT& p : w->parts) ps->parts[ps->partCount++] = p;
  ps->fErase = w->erase;
  w->invalid = false;
  w->erase = false;
  RECT clip = ps->rcPaint;
  if (clip.left >= clip.right) clip = RECT{0, 0, w->Width(), w->Height()};
  ps->hdc = CreateWindowDC(h, clip);
  return ps->hdc;
}

bool EndPaint(HWND, const PAINTSTRUCT* ps) {
  return ps && DeleteDCOfWindow(ps->hdc);
}

HDC GetDC(HWND h) {
  Window* w = Find(h);
  if (!w) return 0;
  return CreateWindowDC(h, RECT{0, 0, w->Width(), w->Height()});
}

int ReleaseDC(HWND, HDC dc) {
  return DeleteDCOfWindow(dc) ? 1 : 0;
}

HWND WindowFromDC(HDC h) {
  DC* dc = LookupDC(h);
  return dc ? dc->window : 0;
}

const std::uint32_t* WindowPixels(HWND h, int* width, int* height, int* stride) {
  Window* w = Find(h);
  if (!w) return nullptr;
  if (width) *width = w->Width();
  if (height) *height = w->Height();
  if (stride) *stride = w->Width();
  return w->pixels.data();
}

void SetWindowChangedHook(WindowChangedHook hook, void* user) {
  W().hook = hook;
  W().hookUser = user;
}

bool GetCursorPos(POINT* p) {
  if (!p) return false;
  *p = W().cursor;
  return true;
}

bool SetCursorPos(int x, int y) {
  W().cursor = POINT{x, y};
  return true;
}

std::uint32_t GetVersion() {
  return 0x0A280105u;
}

void SetMessageBoxHook(MessageBoxHook hook, void* user) {
  W().box = hook;
  W().boxUser = user;
}

int MessageBox(HWND owner, const char* text, const char* caption, unsigned type) {
  if (W().box) return W().box(owner, text ? text : "", caption ? caption : "", type, W().boxUser);
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  return IDOK;
}

}  // namespace plat
