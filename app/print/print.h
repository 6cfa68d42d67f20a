// Printing the plan to scale: the page the planner hands to the fitter. A title block
// with the project's data, the plan at 1:N with a position number beside every
// product, a scale bar, and the list of the products with their sizes, continued on
// further pages under the repeated title. Everything here works on any paged device
// (a printer, a PDF file), so tests print to PDF and measure the paper.
#pragma once

#include <QDate>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <utility>

#include "catalogue/product_list_csv.h"
#include "check/free_area_overlay.h"
#include "shell/project_data.h"

class QPagedPaintDevice;

namespace tessel {

class Catalogue;

// One worksheet pixel is 5 mm on the floor.
constexpr double kFloorMmPerPlanUnit = 5.0;
// Scales from 1:1000 on are refused: the plan would be a smudge.
constexpr int kMaxPrintScale = 1000;
// The fixed scales the setup offers where the plan fits.
constexpr int kFixedPrintScales[] = {20, 50, 75};
// Nothing is printed nearer the paper's edge than this: most printers cannot print
// there, and a printer whose margins are wider keeps its own.
constexpr double kPageMarginMm = 5.0;
// The page's parts, from the top: the title block, a gap, the plan, a gap, the row of
// the scale and its bar; the product list follows below or on further pages.
constexpr double kTitleBlockMm = 31.0;
constexpr double kPrintGapMm = 4.0;
constexpr double kScaleRowMm = 9.0;

// The paper a plan is printed on: its size and which way up.
struct PrintPaper {
  QPageSize::PageSizeId size = QPageSize::A4;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// The page's layout with margins of at least kPageMarginMm, and never narrower than
// the printer's own (`minimum`, which may be none).
QPageLayout PrintPageLayout(const PrintPaper& paper, const QMarginsF& minimum = {});
// Widens the device's margins to kPageMarginMm where they are narrower.
void KeepPrintMargins(QPagedPaintDevice& device);

// The smallest N at which a plan of planWidth x planHeight worksheet pixels fits the
// space a page of that printable size (millimetres) leaves for it; 0 for a plan
// without extent or a page without room, which cannot be printed.
int MinimumPrintScale(const QSizeF& printableMm, int planWidth, int planHeight);
int MinimumPrintScale(const QPageLayout& layout, int planWidth, int planHeight);
// The orientation at which the plan prints larger (the smaller N); portrait when both
// are the same.
QPageLayout::Orientation LargerScaleOrientation(QPageSize::PageSizeId size, int planWidth,
                                                int planHeight, const QMarginsF& minimum = {});

// Whether a fixed scale is offered for this minimum: the plan must fit at it.
bool PrintScaleOffered(int fixedScale, int minimum);

// A scale typed into the setup's free box.
enum class ScaleCheck {
  Accepted,      // *scale holds it
  BelowMinimum,  // refused: *scale holds the minimum to put into the box
  TooLarge,      // refused: *scale holds kMaxPrintScale
};
ScaleCheck CheckPrintScale(const QString& typed, int minimum, int* scale);

// The scale bar for 1:N: how many metres of floor it shows, in ten steps. One metre up
// to 1:49; from 1:50 on a longer one, so the bar stays long enough to read.
double ScaleBarMetres(int scale);

// A position number beside a product on the plan.
struct PositionMark {
  int position = 0;
  QPointF centre;          // the product's centre in the picture's pixels
  double halfSizeCm = 0;   // half the product's larger side; 0 when unknown
  double smallSideCm = 0;  // its smaller side; 0 when unknown
};

// What one printed plan shows. The caller fills the texts in the program's language.
struct PlanPrintJob {
  int scale = 0;      // N of 1:N
  int planWidth = 0;  // worksheet pixels of the drawn part
  int planHeight = 0;
  QImage picture;   // the drawn part of the worksheet, printed pixel for pixel
  QString heading;  // the project's title, or the program's plan title
  // The title block's fields, label and value, two columns of three rows.
  QList<std::pair<QString, QString>> fields;
  QString notesLabel, notes;
  QString scaleText;      // "1:20"
  QString dimensionNote;  // that dimension lines are in millimetres
  QString listTitle, continued;
  QString pageText;  // "Page %1 of %2"
  // Pos., Model no., Series, Name, W × D × H (cm), Count.
  QStringList listHeader;
  QList<ProductListRow> products;
  QList<PositionMark> marks;
  // The free areas in front of the products, in the picture's pixels, drawn over the
  // plan hatched (cross-hatched where blocked) so they read on a black and white
  // printer too; none unless the user asked for them. The note says what the
  // hatching means, under the dimension note.
  QList<FreeAreaShape> freeAreas;
  QString freeAreaNote;
  char decimalMark = '.';
};

// Prints the plan on the device's current page; a product list that does not fit below
// the plan goes on over further pages, each under the title. False, with the reason,
// when there is nothing to print or the device cannot be painted on.
bool PrintPlanPage(QPagedPaintDevice& device, const PlanPrintJob& job, QString* why = nullptr);

// The part of a path after its last "/" (the whole path when it has none).
QString FileTitle(const QString& path);
// A date as the language writes it in full ("8. Dezember 2026", "8 December 2026").
QString PrintDate(const QDate& date, const QString& languageSuffix);

// Fills a job from the engine: the plan's extent, its pixels, the products' places,
// and the texts: the project's data, the date in the language of `languageSuffix`,
// the room's inner size and the list with the catalogue's names and sizes (numbers
// only without a catalogue), and the free areas when the source asks for them. It
// calls the engine's entry directly, so it serves a window-less print from the command
// line too. False, with the reason, when the engine gives no picture.
using EngineCall = long (*)(unsigned short, unsigned int, unsigned int, unsigned int, long, long);
struct PrintSource {
  QString currentFile;
  ProjectData project;
  QString languageSuffix;
  QDate date = QDate::currentDate();
  Catalogue* catalogue = nullptr;
  // The free areas on the page, for that setting; they need the catalogue's rules.
  bool freeAreas = false;
  FreeAreaSetting freeAreaSetting = FreeAreaSetting::kPrivate;
};
bool PreparePlanPrint(EngineCall engine, int scale, const PrintSource& source, PlanPrintJob* job,
                      QString* why = nullptr);

// The plan's text as the engine would save it, through a temporary file that is
// always removed again; empty when the engine writes none.
QByteArray SavedPlanText(EngineCall engine);
// The room's inner size in centimetres: the extent of the wall rectangles of a plan;
// empty when it has none.
QSizeF RoomInnerSize(const PlanText& plan);

// The plan's picture exactly as the engine exports it: 8 bits a pixel with the engine's
// palette, through a temporary bitmap with a name of its own that is always removed
// again. A null image, with the reason, when the engine gives none.
QImage PlanPicture(EngineCall engine, QString* why = nullptr);

// A PNG of the picture: white around the drawing so nothing touches the edge, and the
// plan's true scale (two pixels a centimetre) recorded for programs that print it.
constexpr int kImageMarginPixels = 24;
constexpr int kPlanPixelsPerMetre = 200;
QImage FramedPlanImage(const QImage& picture);

// Writes the plan's picture to `out`: a name ending in ".png" gets a PNG with the same
// palette and pixels inside a white margin, ".bmp" the engine's bitmap itself; both are
// written beside the target and renamed into place. False, with the reason, for any
// other ending or a failed write.
bool ExportPlanImage(EngineCall engine, const QString& out, QString* why = nullptr);
// Whether a name ends in one of the endings ExportPlanImage writes.
bool IsPlanImageName(const QString& name);

}  // namespace tessel

namespace tessel {

// Prints the job into a PDF file on paper of that layout: the whole document is made
// in memory, checked (the painter's end, a complete file) and only then written beside
// `out` and renamed over it, so a failure at any step leaves an old file as it was.
// False, with what failed, otherwise.
bool WritePlanPdf(const PlanPrintJob& job, const QPageLayout& layout, const QString& out,
                  QString* why = nullptr);

}  // namespace tessel
