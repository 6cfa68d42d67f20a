// Windows, the pointer and message boxes.
//
// A window here is a rectangle on a virtual screen with a client area, an invalid
// region (kept as its bounding rectangle) and a 32-bit framebuffer that the host
// program shows. The host creates windows, feeds them size changes and pointer
// positions, and is told through a hook which part of which framebuffer changed.
#pragma once

#include <cstdint>

#include "platform/gdi.h"

namespace plat {

constexpr unsigned WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_PAINT = 0x000F,
                   WM_ERASEBKGND = 0x0014, WM_QUERYNEWPALETTE = 0x030F, WM_PALETTECHANGED = 0x0311;

// The window procedure: what UpdateWindow and SendMessage deliver to a window.
using WindowProc = long (*)(HWND window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam, void* user);

// A window whose client area starts at (left, top) on the virtual screen.
HWND CreateHostWindow(int left, int top, int width, int height);
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);
// Moves and resizes the client area; the framebuffer keeps what fits, the rest is
// black, and the whole client becomes invalid. No message is sent: the host decides.
bool MoveHostWindow(HWND window, int left, int top, int width, int height);
void SetWindowProc(HWND window, WindowProc proc, void* user);
long SendMessage(HWND window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

bool GetClientRect(HWND window, RECT* rect);
// Screen rectangle of the window; the window has no frame, so it is the client area.
bool GetWindowRect(HWND window, RECT* rect);
bool ClientToScreen(HWND window, POINT* point);

bool InvalidateRect(HWND window, const RECT* rect, bool erase);
bool ValidateRect(HWND window, const RECT* rect);
// The bounding rectangle of the invalid region; false when nothing is invalid.
bool GetUpdateRect(HWND window, RECT* rect, bool erase);
// Sends WM_PAINT straight to the window procedure if any part is invalid.
bool UpdateWindow(HWND window);

struct PAINTSTRUCT {
  static constexpr int kMaxParts = 8;
  HDC hdc;
  bool fErase;
  RECT rcPaint;  // the bounding rectangle of what is to be painted
  // The invalid region as rectangles inside rcPaint: painting just these is enough.
  int partCount;
  RECT parts[kMaxParts];
};
// Hands out a DC clipped to the invalid rectangle and validates the window.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
bool EndPaint(HWND window, const PAINTSTRUCT* paint);
// A DC drawing straight into the window's framebuffer, clipped to the client area.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HWND WindowFromDC(HDC dc);

// The framebuffer: 0x00RRGGBB per pixel, rows of `stride` pixels, top row first.
const std::uint32_t* WindowPixels(HWND window, int* width, int* height, int* stride);
// Called after any drawing changed a framebuffer, with the changed rectangle.
using WindowChangedHook = void (*)(HWND window, const RECT& changed, void* user);
void SetWindowChangedHook(WindowChangedHook hook, void* user);

// The system pointer, in virtual-screen pixels.
bool GetCursorPos(POINT* point);
bool SetCursorPos(int x, int y);

// The version number a 32-bit Windows NT system reports: major 5, minor 1, build 2600.
std::uint32_t GetVersion();

// --- Message boxes ---------------------------------------------------------------

constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
                   MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30,
                   MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7;

// The program installs a real dialog; with none, the text goes to stderr and the
// answer is IDOK, so nothing waits for a person that is not there.
using MessageBoxHook = int (*)(HWND owner, const char* text, const char* caption, unsigned type,
                               void* user);
void SetMessageBoxHook(MessageBoxHook hook, void* user);
int MessageBox(HWND owner, const char* text, const char* caption, unsigned type);

}  // namespace plat
