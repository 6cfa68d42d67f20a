// The arithmetic of the view: which scroll bars the plan needs at a size and zoom,
// and how a bar's value and the sheet point in the middle of the view stand for each
// other. Window pixels are whole; sheet coordinates are worksheet pixels.
#pragma once

namespace tessel {

constexpr int kSheetWidth = 1520, kSheetHeight = 1120;
constexpr int kRulerWidth = 28;  // the engine's ruler band while it is shown
constexpr int kBarThickness = 12;
// What one arrow of a scroll bar, one arrow key or a third of a wheel notch moves,
// in window pixels: a few pixels would be too little to notice.
constexpr int kScrollStep = 16;
// A large change of the bars: a fixed stretch of the sheet, whatever the zoom.
constexpr int kLargeChangeSheetPixels = 32;

struct BarFit {
  int planWidth = 0, planHeight = 0;  // the plan area beside the ruler and the bars
  bool horizontal = false, vertical = false;
  int horizontalMaximum = 0, verticalMaximum = 0;
};

// The bars the plan needs in a view of that size: one bar takes room from the other
// direction, which may then need its bar too.
BarFit FitScrollBars(int viewWidth, int viewHeight, int ruler, double zoom);

// The bar value that puts sheet point `centre` in the middle of `visible` window pixels,
// within 0 to maximum.
int BarValueForCentre(double centre, double zoom, int visible, int maximum);
// The sheet point in the middle of the view at a bar value.
double CentreForBarValue(int value, double zoom, int visible);

// The centre after a relayout: kept as it was unless the bar cannot show it, so that
// laying the view out again never moves it.
double KeepCentre(double centre, double zoom, int visible, int maximum);

// The centre at newZoom that leaves the sheet point `offset` window pixels from the
// middle of the view where it was at oldZoom.
double CentreKeepingPoint(double centre, double oldZoom, double newZoom, double offset);

}  // namespace tessel
