// Printing the plan to scale: the smallest scale at which it fits the page, the check of
// a scale the user types, and the page itself (title block, the plan at 1:N, the scale,
// the list of placed products). Everything here works on any paged device (a printer,
// a PDF file), so tests print to PDF and measure the paper.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

class QPagedPaintDevice;

namespace tessel {

// One worksheet pixel is 5 mm on the floor: 500 hundredths of a millimetre.
constexpr int kHimetricPerPlanUnit = 500;
constexpr double kHimetricPerInch = 2540.0;
constexpr double kTwipsPerInch = 1440.0;
// Scales from 1:1000 on are refused: the plan would be a smudge.
constexpr int kMaxPrintScale = 1000;
// The fixed scales the setup offers where the plan fits.
constexpr int kFixedPrintScales[] = {20, 50, 75};
// The title block and the list: Arial (Liberation Sans here), 10 points.
constexpr const char* kPrintFontFamily = "Arial";
constexpr int kPrintFontPoints = 10;

// The smallest N at which a plan of planWidth x planHeight worksheet pixels fits a page
// of pageWidth x pageHeight (hundredths of a millimetre) below the title block; 0 for a
// plan without extent, which cannot be printed.
int MinimumPrintScale(double pageWidthHimetric, double pageHeightHimetric, int planWidth,
                      int planHeight, int fontPoints = kPrintFontPoints);

// Whether a fixed scale is offered for this minimum: the plan must fit at it.
bool PrintScaleOffered(int fixedScale, int minimum);

// A scale typed into the setup's free box.
enum class ScaleCheck {
  Accepted,      // *scale holds it
  BelowMinimum,  // refused: *scale holds the minimum to put into the box
  TooLarge,      // refused: *scale holds kMaxPrintScale
};
ScaleCheck CheckPrintScale(const QString& typed, int minimum, int* scale);

// What one printed plan shows.
struct PlanPrintJob {
  int scale = 0;      // N of 1:N
  int planWidth = 0;  // worksheet pixels of the drawn part
  int planHeight = 0;
  QImage picture;                 // the drawn part of the worksheet
  QString title, date, planName;  // the three lines of the title block
  QString listHeader;
  QStringList products;  // one line per placed product
};

// Prints the plan on the device's current page; a product list that does not fit below
// the plan starts on a new page, and so does every further page of a long list. False,
// with the reason, when there is nothing to print.
bool PrintPlanPage(QPagedPaintDevice& device, const PlanPrintJob& job, QString* why = nullptr);

// The part of a path after its last "/" (the whole path when it has none).
QString FileTitle(const QString& path);

// Fills a job from the engine: the plan's extent, its pixels (a temporary bitmap with a
// name of its own, always removed again), the title block texts and the placed
// products, each described by `describe`. It calls the engine's entry directly, so it
// serves a window-less print from the command line too. False, with the reason, when
// the engine gives no picture.
using EngineCall = long (*)(unsigned short, unsigned int, unsigned int, unsigned int, long, long);
bool PreparePlanPrint(EngineCall engine, int scale, const QString& currentFile,
                      const std::function<QString(int)>& describe, PlanPrintJob* job,
                      QString* why = nullptr);

// The plan's picture exactly as the engine exports it: 8 bits a pixel with the engine's
// palette, through a temporary bitmap with a name of its own that is always removed
// again. A null image, with the reason, when the engine gives none.
QImage PlanPicture(EngineCall engine, QString* why = nullptr);

// Writes the plan's picture to `out`: a name ending in ".png" gets a PNG with the same
// palette and pixels, ".bmp" the engine's bitmap itself; both are written beside the
// target and renamed into place. False, with the reason, for any other ending or a
// failed write.
bool ExportPlanImage(EngineCall engine, const QString& out, QString* why = nullptr);
// Whether a name ends in one of the endings ExportPlanImage writes.
bool IsPlanImageName(const QString& name);

}  // namespace tessel
