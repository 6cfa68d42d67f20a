// What the planner keeps of its window between runs: where the window stood and how
// large it was, the zoom step, and whether the ruler and the dimension lines were on.
// Read with limits, so that a value from another screen or edited by hand never puts
// the window out of reach.
#pragma once

#include <QRect>
#include <QSize>

#include "shell/menu_items.h"

namespace tessel {

struct RememberedWindow {
  QRect geometry;  // the window's inner area on the desktop; null when never saved
  bool maximized = false;
  int zoomIndex = kZoom50;
  bool ruler = true;
  bool measurement = false;
};

// Values missing or out of range give the defaults above.
RememberedWindow ReadRememberedWindow();
void WriteRememberedWindow(const RememberedWindow& remembered);

// The saved place brought onto the available area of the screen: no larger than it (nor
// smaller than the window's minimum) and wholly on it. A null rectangle stays null.
QRect FitOnScreen(const QRect& saved, const QRect& available, const QSize& minimum);

}  // namespace tessel
