// Copies of the worksheet outside the view.
#include "platform/window.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

long BitBltToWnde(HWND window) {
  if (!view.sheetDc || !IsWindow(window)) return -1;
  HDC dc = GetDC(window);
  RECT client{};
  GetClientRect(window, &client);
  BitBlt(dc, 0, 0, client.right, client.bottom, view.sheetDc, 0, 0, SRCCOPY);
  ReleaseDC(window, dc);
  return 0;
}

// The bitmap export comes with the printing; until then it refuses.
long WorkSheetToBMP(const char*) {
  return -1;
}

}  // namespace vrx
