// The ruler band and the measurement lines: switched and tracked here; their scale
// and labels are drawn by the ruler drawing.
#include "core/core.h"
#include "view/view.h"

namespace vrx {

long ToggleRuler() {
  view.rulerShown = !view.rulerShown;
  view.rulerWidth = view.rulerShown ? 28 : 0;
  return 0;
}

long ToggleMeasurement() {
  view.measurementShown = !view.measurementShown;
  return 0;
}

void MoveRulerMarker(int, int) {}
void DrawRuler() {}
void DrawMeasurement() {}

}  // namespace vrx
