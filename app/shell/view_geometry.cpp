#include "shell/view_geometry.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {
int Maximum(int sheet, double zoom, int visible) {
  return static_cast<int>(std::lround(sheet * zoom - visible));
}
}  // namespace

BarFit FitScrollBars(int viewWidth, int viewHeight, int ruler, double zoom) {
  BarFit f;
  f.planWidth = viewWidth - ruler;
  f.planHeight = viewHeight - ruler;
  if (zoom <= 0) return f;
  f.horizontalMaximum = Maximum(kSheetWidth, zoom, f.planWidth);
  f.horizontal = f.horizontalMaximum > 0;
  if (f.horizontal) f.planHeight -= kBarThickness;
  f.verticalMaximum = Maximum(kSheetHeight, zoom, f.planHeight);
  f.vertical = f.verticalMaximum > 0;
  if (f.vertical) {
    f.planWidth -= kBarThickness;
    f.horizontalMaximum = Maximum(kSheetWidth, zoom, f.planWidth);
    if (!f.horizontal && f.horizontalMaximum > 0) {
      f.horizontal = true;
      f.planHeight -= kBarThickness;
      f.verticalMaximum = Maximum(kSheetHeight, zoom, f.planHeight);
    }
  }
  return f;
}

int BarValueForCentre(double centre, double zoom, int visible, int maximum) {
  const auto value = static_cast<int>(std::lround(centre * zoom - visible / 2.0));
  return std::clamp(value, 0, std::max(0, maximum));
}

double CentreForBarValue(int value, double zoom, int visible) {
  return (visible / 2.0 + value) / zoom;
}

double KeepCentre(double centre, double zoom, int visible, int maximum) {
  const double lowest = CentreForBarValue(0, zoom, visible);
  const double highest = CentreForBarValue(std::max(0, maximum), zoom, visible);
  return std::clamp(centre, lowest, highest);
}

double CentreKeepingPoint(double centre, double oldZoom, double newZoom, double offset) {
  const double point = centre + offset / oldZoom;
  return point - offset / newZoom;
}

}  // namespace tessel
