// Printing the plan to scale. The page is laid out in millimetres and drawn in device
// pixels; the plan's width on paper follows from the scale alone (a worksheet pixel is
// 5 mm on the floor), so a printed 1:50 plan can be measured with a ruler.
#include "print/print.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <vector>

#include "catalogue/catalogue.h"
#include "language/language.h"
#include "platform/profile.h"
#include "shell/engine_bridge.h"
#include "shell/files.h"
#include "vrx232.h"

namespace tessel {

namespace {

constexpr double kMmPerInch = 25.4;
// The fonts: the same family as the program's texts, in points.
constexpr const char* kPrintFontFamily = "Arial";
constexpr double kHeadingPoints = 13;
constexpr double kTextPoints = 9;
constexpr double kSmallPoints = 7.5;
constexpr double kMarkPoints = 7;
// The title block's rows: the heading, three rows of fields, two lines of notes.
constexpr double kHeadingRowMm = 7.0;
constexpr double kFieldRowMm = 4.6;
constexpr int kFieldRows = 3;
constexpr int kNoteLines = 2;
constexpr double kRuleMm = 0.3;  // the block's and the list's rules
// The list: one row per product number.
constexpr double kListRowMm = 5.0;
constexpr double kListTitleMm = 7.0;
// The list's columns in millimetres; the name takes what is left.
constexpr double kPositionColumnMm = 11, kModelColumnMm = 20, kSeriesColumnMm = 30,
                 kSizeColumnMm = 34, kCountColumnMm = 14;
constexpr double kCellPaddingMm = 1.2;
constexpr double kTextInsetMm = 0.5;
// The scale bar: ten steps, this high, with its numbers below.
constexpr int kScaleBarSteps = 10;
constexpr double kScaleBarHeightMm = 2.0;
constexpr double kScaleBarLineMm = 0.2;
constexpr double kScaleTextWidthMm = 16;
// A position number: a ring this wide; a product smaller than kMarkRoomFactor times it
// gets its number outside, on a leader.
constexpr double kMarkMm = 4.4;
constexpr double kMarkRoomFactor = 1.6;
constexpr double kLeaderGapMm = 1.5;
// The free areas: hatch lines this far apart and this wide on paper, whatever the
// scale, so the hatching reads alike on every page; the zone's edge a little wider.
constexpr double kHatchMm = 1.5;
constexpr double kHatchLineMm = 0.12;
constexpr double kZoneEdgeMm = 0.25;
// A light tint under the hatching for colour printers; the lines carry the zone on a
// black and white one. Red where the zone is blocked, as in the work window.
const QColor kPrintFreeTint(40, 160, 70, 45);
const QColor kPrintFreeLine(30, 120, 50);
const QColor kPrintBlockedTint(220, 30, 30, 50);
const QColor kPrintBlockedLine(190, 20, 20);
// The plan check's names of its settings, in the order of the enumeration.
constexpr int kSettingCaptions[] = {7613, 7614, 7615};
constexpr int kFreeAreaNoteCaption = 7681;

// The space the plan gets on the first page, in millimetres.
QSizeF PlanSpace(const QSizeF& printableMm) {
  return {printableMm.width(),
          printableMm.height() - kTitleBlockMm - 2 * kPrintGapMm - kScaleRowMm};
}

QFont PrintFont(QPaintDevice* device, double points, bool bold = false) {
  QFont font(kPrintFontFamily);
  font.setPointSizeF(points);
  font.setBold(bold);
  return QFont(font, device);
}

// The page's painter in millimetres: one unit is one millimetre from the printable
// area's top-left corner.
class Page {
 public:
  Page(QPainter& painter, double dpi) : p_(painter), dpi_(dpi) {}
  double Px(double mm) const { return mm * dpi_ / kMmPerInch; }
  QRectF Rect(double x, double y, double w, double h) const { return {Px(x), Px(y), Px(w), Px(h)}; }
  void Text(const QRectF& mm, const QString& text, double points, bool bold = false,
            Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    const QFont font = PrintFont(p_.device(), points, bold);
    p_.setFont(font);
    // Inset a little: a glyph's box may reach past the point it is drawn at.
    const QRectF box =
        Rect(mm.x() + kTextInsetMm, mm.y(), mm.width() - 2 * kTextInsetMm, mm.height());
    const QString shown =
        QFontMetricsF(font, p_.device()).elidedText(text, Qt::ElideRight, box.width());
    p_.drawText(box, static_cast<int>(align) | Qt::TextSingleLine, shown);
  }
  void Rule(double x, double y, double w) { p_.fillRect(Rect(x, y, w, kRuleMm), Qt::black); }
  QPainter& painter() { return p_; }

 private:
  QPainter& p_;
  double dpi_;
};

// The title block at the top of every page: the heading with the page number, the
// fields and the notes. Later pages carry the heading only.
void DrawTitleBlock(Page& page, const PlanPrintJob& job, double width, int pageNumber, int pages,
                    bool full) {
  page.Rule(0, 0, width);
  page.Text({0, kRuleMm, width * 0.75, kHeadingRowMm}, job.heading, kHeadingPoints, true);
  page.Text({width * 0.75, kRuleMm, width * 0.25, kHeadingRowMm},
            job.pageText.arg(pageNumber).arg(pages), kSmallPoints, false,
            Qt::AlignRight | Qt::AlignVCenter);
  double y = kRuleMm + kHeadingRowMm;
  if (full) {
    const double column = width / 2, label = 30;
    for (int i = 0; i < job.fields.size() && i < 2 * kFieldRows; ++i) {
      const double x = (i / kFieldRows) * column;
      const double rowY = y + (i % kFieldRows) * kFieldRowMm;
      page.Text({x, rowY, label, kFieldRowMm}, job.fields[i].first, kSmallPoints);
      page.Text({x + label, rowY, column - label - kCellPaddingMm, kFieldRowMm},
                job.fields[i].second, kTextPoints);
    }
    y += kFieldRows * kFieldRowMm;
    const QStringList lines = job.notes.split('\n');
    if (!job.notes.isEmpty()) {
      page.Text({0, y, 30, kFieldRowMm}, job.notesLabel, kSmallPoints);
      for (int i = 0; i < kNoteLines && i < lines.size(); ++i) {
        QString line = lines[i];
        // What does not fit the block is marked as cut, never dropped unseen.
        if (i == kNoteLines - 1 && lines.size() > kNoteLines) line += QString(" \u2026");
        page.Text({30, y + i * kFieldRowMm, width - 30, kFieldRowMm}, line, kTextPoints);
      }
    }
    y = kTitleBlockMm - kRuleMm;
  }
  page.Rule(0, y, width);
}

// The scale, its bar and the note on dimensions, in a row from the left.
void DrawScaleRow(Page& page, const PlanPrintJob& job, double top, double width) {
  const double textHeight = 5;
  page.Text({0, top, kScaleTextWidthMm, textHeight}, job.scaleText, kHeadingPoints, true);
  const double metres = ScaleBarMetres(job.scale);
  const double barMm = metres * 1000.0 / job.scale;
  const double x0 = kScaleTextWidthMm + 2;
  const double barTop = top + 1;
  QPainter& p = page.painter();
  // The frame's line lies inside the bar, so the bar's ink is exactly its length.
  const double line = page.Px(kScaleBarLineMm);
  const QRectF bar = page.Rect(x0, barTop, barMm, kScaleBarHeightMm);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  for (int i = 0; i < kScaleBarSteps; i += 2) {
    const double step = barMm / kScaleBarSteps;
    p.drawRect(page.Rect(x0 + i * step, barTop, step, kScaleBarHeightMm));
  }
  p.setBrush(Qt::NoBrush);
  QPen pen(Qt::black, line);
  pen.setJoinStyle(Qt::MiterJoin);
  p.setPen(pen);
  p.drawRect(bar.adjusted(line / 2, line / 2, -line / 2, -line / 2));
  // Numbers under the bar: its start, its middle and its end.
  const double numbersTop = barTop + kScaleBarHeightMm + 0.3;
  const QLocale locale = job.decimalMark == ',' ? QLocale(QLocale::German) : QLocale::c();
  auto label = [&](double at, double value, const QString& unit) {
    page.Text({x0 + at - 10, numbersTop, 20, 3.5}, locale.toString(value, 'g', 4) + unit,
              kSmallPoints, false, Qt::AlignCenter);
  };
  label(0, 0, "");
  label(barMm / 2, metres / 2, "");
  label(barMm, metres, " m");
  const double noteX = x0 + barMm + 8;
  if (noteX < width)
    page.Text({noteX, top, width - noteX, textHeight}, job.dimensionNote, kTextPoints);
  // What the hatching means, on the line under the dimension note.
  constexpr double kNoteLineMm = 4.0;
  if (noteX < width && !job.freeAreas.isEmpty() && !job.freeAreaNote.isEmpty())
    page.Text({noteX, top + textHeight - 0.5, width - noteX, kNoteLineMm}, job.freeAreaNote,
              kSmallPoints);
}

// Lines kHatchMm apart across the box, at 45 degrees rising (or falling), laid on the
// page's own grid so the hatching of zones side by side runs on without a break.
void Hatch(QPainter& p, const QRectF& box, double spacing, bool rising) {
  // A rising line is x + y = c, a falling one x - y = c.
  const double sign = rising ? 1.0 : -1.0;
  const double from = rising ? box.left() + box.top() : box.left() - box.bottom();
  const double to = rising ? box.right() + box.bottom() : box.right() - box.top();
  for (double c = std::floor(from / spacing) * spacing; c <= to; c += spacing)
    p.drawLine(QPointF(c - sign * box.top(), box.top()),
               QPointF(c - sign * box.bottom(), box.bottom()));
}

// The free areas over the plan at its scale: tint, hatching, edge, each zone clipped
// to its own outline and all of them to the plan's area, so nothing reaches the title
// block or the list.
void DrawFreeAreas(Page& page, const PlanPrintJob& job, const QRectF& planMm) {
  if (job.freeAreas.isEmpty()) return;
  QPainter& p = page.painter();
  p.save();
  p.setClipRect(page.Rect(planMm.x(), planMm.y(), planMm.width(), planMm.height()));
  const double devicePerPixel = page.Px(planMm.width() / job.picture.width());
  QTransform toDevice;
  toDevice.translate(page.Px(planMm.x()), page.Px(planMm.y()));
  toDevice.scale(devicePerPixel, devicePerPixel);
  // Free zones first, so a blocked one lies on top where they overlap.
  for (bool blocked : {false, true})
    for (const FreeAreaShape& zone : job.freeAreas) {
      if (zone.blocked != blocked) continue;
      QPainterPath outline;
      outline.addPolygon(toDevice.map(zone.area));
      outline.closeSubpath();
      const QColor line = blocked ? kPrintBlockedLine : kPrintFreeLine;
      p.fillPath(outline, blocked ? kPrintBlockedTint : kPrintFreeTint);
      p.save();
      p.setClipPath(outline, Qt::IntersectClip);
      p.setPen(QPen(line, page.Px(kHatchLineMm)));
      const QRectF box = outline.boundingRect();
      Hatch(p, box, page.Px(kHatchMm), true);
      if (blocked) Hatch(p, box, page.Px(kHatchMm), false);
      p.restore();
      p.setPen(QPen(line, page.Px(kZoneEdgeMm)));
      p.setBrush(Qt::NoBrush);
      p.drawPath(outline);
    }
  p.restore();
}

// The position numbers on the plan. A product that has room for its number carries
// it at its centre; a small one gets it beside, away from the room's middle, on a
// leader line.
void DrawMarks(Page& page, const PlanPrintJob& job, const QRectF& planMm) {
  QPainter& p = page.painter();
  const double mmPerPixel = planMm.width() / job.picture.width();
  const QPointF middle(planMm.center());
  const double radius = kMarkMm / 2;
  QPen pen(Qt::black, page.Px(kScaleBarLineMm));
  for (const PositionMark& mark : job.marks) {
    const QPointF at(planMm.left() + mark.centre.x() * mmPerPixel,
                     planMm.top() + mark.centre.y() * mmPerPixel);
    const double cmToMm = 10.0 / job.scale;
    QPointF label = at;
    if (mark.smallSideCm * cmToMm < kMarkMm * kMarkRoomFactor) {
      QPointF away = at - middle;
      const double length = std::hypot(away.x(), away.y());
      away = length > 0 ? away / length : QPointF(1, -1) / std::sqrt(2.0);
      label = at + away * (mark.halfSizeCm * cmToMm + kLeaderGapMm + radius);
      // The number stays on the plan's area, so it never runs into the page's margin.
      label.setX(std::clamp(label.x(), planMm.left() + radius, planMm.right() - radius));
      label.setY(std::clamp(label.y(), planMm.top() + radius, planMm.bottom() - radius));
      p.setPen(pen);
      const QPointF towards = label - at;
      const double reach = std::hypot(towards.x(), towards.y());
      if (reach > radius) {
        const QPointF end = at + towards * ((reach - radius) / reach);
        p.drawLine(QPointF(page.Px(at.x()), page.Px(at.y())),
                   QPointF(page.Px(end.x()), page.Px(end.y())));
      }
    }
    p.setPen(pen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(page.Px(label.x()), page.Px(label.y())), page.Px(radius),
                  page.Px(radius));
    page.Text({label.x() - radius, label.y() - radius, kMarkMm, kMarkMm},
              QString::number(mark.position), kMarkPoints, true, Qt::AlignCenter);
  }
  p.setBrush(Qt::NoBrush);
}

struct ListColumns {
  double position, model, series, name, size, count, end;
};
ListColumns Columns(double width) {
  ListColumns c{};
  c.position = 0;
  c.model = c.position + kPositionColumnMm;
  c.series = c.model + kModelColumnMm;
  c.name = c.series + kSeriesColumnMm;
  c.end = width;
  c.count = c.end - kCountColumnMm;
  c.size = c.count - kSizeColumnMm;
  return c;
}

QString SizesText(const ProductListRow& row, char decimalMark) {
  if (row.width < 0 && row.depth < 0 && row.height < 0) return {};
  auto one = [decimalMark](double v) { return v < 0 ? QString("-") : SizeText(v, decimalMark); };
  return one(row.width) + QString(" \u00d7 ") + one(row.depth) + QString(" \u00d7 ") +
         one(row.height);
}

// One row of the list's six cells: numbers to the right, texts to the left.
void DrawListCells(Page& page, const QStringList& texts, double y, double width, double points,
                   bool bold) {
  const ListColumns c = Columns(width);
  const double starts[] = {c.position, c.model, c.series, c.name, c.size, c.count};
  const double ends[] = {c.model, c.series, c.name, c.size, c.count, c.end};
  for (int i = 0; i < 6 && i < texts.size(); ++i) {
    const Qt::Alignment align =
        i == 0 || i == 5 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter;
    page.Text({starts[i] + kCellPaddingMm, y, ends[i] - starts[i] - 2 * kCellPaddingMm, kListRowMm},
              texts[i], points, bold, align);
  }
}

void DrawListHeader(Page& page, const PlanPrintJob& job, double y, double width) {
  DrawListCells(page, job.listHeader, y, width, kSmallPoints, true);
  page.Rule(0, y + kListRowMm, width);
}

void DrawListRow(Page& page, const PlanPrintJob& job, const ProductListRow& row, double y,
                 double width) {
  DrawListCells(page,
                {QString::number(row.position), row.model, row.series,
                 row.name.isEmpty() ? QString::number(row.id) : row.name,
                 SizesText(row, job.decimalMark), QString::number(row.count)},
                y, width, kTextPoints, false);
}

// Where the list goes: rows on the first page below the plan, then full pages.
struct ListPlan {
  int firstPageRows = 0;
  int rowsPerPage = 0;
  int pages = 1;
};
ListPlan PlanList(const PlanPrintJob& job, const QSizeF& printableMm, double listTop) {
  ListPlan plan;
  const double rowSpace = kListRowMm;
  // Below the list's title: its header row and the rule under it, then the rows.
  const double firstSpace = printableMm.height() - listTop - kListTitleMm - kListRowMm - kRuleMm;
  plan.firstPageRows = std::max(0, static_cast<int>(std::floor(firstSpace / rowSpace)));
  const double pageSpace = printableMm.height() - (kRuleMm + kHeadingRowMm + kRuleMm) -
                           kPrintGapMm - kListTitleMm - kListRowMm - kRuleMm;
  plan.rowsPerPage = std::max(1, static_cast<int>(std::floor(pageSpace / rowSpace)));
  const auto n = static_cast<int>(job.products.size());
  // A list that cannot show a single row below the plan starts on the next page.
  if (plan.firstPageRows < 1) plan.firstPageRows = 0;
  const int rest = std::max(0, n - plan.firstPageRows);
  plan.pages = 1 + (rest + plan.rowsPerPage - 1) / plan.rowsPerPage;
  if (n == 0) plan.pages = 1;
  return plan;
}

double PlanHeightMm(const PlanPrintJob& job) {
  const double w = job.planWidth * kFloorMmPerPlanUnit / job.scale;
  return w * job.picture.height() / job.picture.width();
}

double ListTop(const PlanPrintJob& job) {
  return kTitleBlockMm + kPrintGapMm + PlanHeightMm(job) + kPrintGapMm + kScaleRowMm;
}

}  // namespace

QPageLayout PrintPageLayout(const PrintPaper& paper, const QMarginsF& minimum) {
  const QMarginsF margins(
      std::max(minimum.left(), kPageMarginMm), std::max(minimum.top(), kPageMarginMm),
      std::max(minimum.right(), kPageMarginMm), std::max(minimum.bottom(), kPageMarginMm));
  return QPageLayout(QPageSize(paper.size), paper.orientation, margins, QPageLayout::Millimeter);
}

void KeepPrintMargins(QPagedPaintDevice& device) {
  const QPageLayout layout = device.pageLayout();
  const QMarginsF now = layout.margins(QPageLayout::Millimeter);
  const QMarginsF wanted(std::max(now.left(), kPageMarginMm), std::max(now.top(), kPageMarginMm),
                         std::max(now.right(), kPageMarginMm),
                         std::max(now.bottom(), kPageMarginMm));
  if (wanted != now) device.setPageMargins(wanted, QPageLayout::Millimeter);
}

int MinimumPrintScale(const QSizeF& printableMm, int planWidth, int planHeight) {
  if (planWidth <= 0 || planHeight <= 0) return 0;
  const QSizeF space = PlanSpace(printableMm);
  if (space.width() <= 0 || space.height() <= 0) return 0;
  const double needed = std::max(planWidth * kFloorMmPerPlanUnit / space.width(),
                                 planHeight * kFloorMmPerPlanUnit / space.height());
  // The smallest whole N at which the plan is no larger than the space; a hair of
  // rounding never costs a whole step.
  constexpr double kRounding = 1e-9;
  return std::max(1, static_cast<int>(std::ceil(needed - kRounding)));
}

int MinimumPrintScale(const QPageLayout& layout, int planWidth, int planHeight) {
  return MinimumPrintScale(layout.paintRect(QPageLayout::Millimeter).size(), planWidth, planHeight);
}

QPageLayout::Orientation LargerScaleOrientation(QPageSize::PageSizeId size, int planWidth,
                                                int planHeight, const QMarginsF& minimum) {
  const int portrait = MinimumPrintScale(PrintPageLayout({size, QPageLayout::Portrait}, minimum),
                                         planWidth, planHeight);
  const int landscape = MinimumPrintScale(PrintPageLayout({size, QPageLayout::Landscape}, minimum),
                                          planWidth, planHeight);
  if (landscape > 0 && (portrait <= 0 || landscape < portrait)) return QPageLayout::Landscape;
  return QPageLayout::Portrait;
}

bool PrintScaleOffered(int fixedScale, int minimum) {
  return minimum > 0 && minimum <= fixedScale;
}

ScaleCheck CheckPrintScale(const QString& typed, int minimum, int* scale) {
  // The leading number of the text, as the dialogs read every number.
  const QString t = typed.trimmed();
  qsizetype end = 0;
  if (end < t.size() && (t[end] == '-' || t[end] == '+')) ++end;
  while (end < t.size() && t[end].isDigit()) ++end;
  bool ok = false;
  const qlonglong value = t.left(end).toLongLong(&ok);
  if (!ok || value < minimum) {
    *scale = minimum;
    return ScaleCheck::BelowMinimum;
  }
  if (value >= kMaxPrintScale) {
    *scale = kMaxPrintScale;
    return ScaleCheck::TooLarge;
  }
  *scale = static_cast<int>(value);
  return ScaleCheck::Accepted;
}

double ScaleBarMetres(int scale) {
  // Bars from 1:50 on would be shorter than 2 cm on paper with one metre.
  constexpr struct {
    int from;
    double metres;
  } kBars[] = {{250, 10}, {100, 5}, {50, 2}};
  for (const auto& bar : kBars)
    if (scale >= bar.from) return bar.metres;
  return 1;
}

QString FileTitle(const QString& path) {
  const qsizetype slash = path.lastIndexOf('/');
  return slash < 0 ? path : path.mid(slash + 1);
}

QString PrintDate(const QDate& date, const QString& languageSuffix) {
  if (languageSuffix.compare("D", Qt::CaseInsensitive) == 0)
    return QLocale(QLocale::German, QLocale::Germany).toString(date, "d. MMMM yyyy");
  return QLocale(QLocale::English, QLocale::UnitedKingdom).toString(date, "d MMMM yyyy");
}

bool PrintPlanPage(QPagedPaintDevice& device, const PlanPrintJob& job, QString* why) {
  if (job.picture.isNull() || job.picture.width() <= 0 || job.scale <= 0 || job.planWidth <= 0) {
    if (why) *why = "there is no plan picture to print";
    return false;
  }
  KeepPrintMargins(device);
  QPainter painter;
  if (!painter.begin(&device)) {
    if (why) *why = "the printer could not be started";
    return false;
  }
  // The plan's pixels go onto the paper as they are: no compression that blurs a line,
  // no smoothing between them.
  painter.setRenderHint(QPainter::LosslessImageRendering, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::black);
  Page page(painter, device.logicalDpiY());
  const QSizeF printable = device.pageLayout().paintRect(QPageLayout::Millimeter).size();
  const double width = printable.width();
  const double listTop = ListTop(job);
  const ListPlan list = PlanList(job, printable, listTop);

  DrawTitleBlock(page, job, width, 1, list.pages, true);
  // The plan at 1:N, centred across the page, keeping the picture's proportions.
  const double planW = job.planWidth * kFloorMmPerPlanUnit / job.scale;
  const double planH = PlanHeightMm(job);
  const QRectF planMm((width - planW) / 2, kTitleBlockMm + kPrintGapMm, planW, planH);
  painter.drawImage(page.Rect(planMm.x(), planMm.y(), planW, planH), job.picture);
  DrawFreeAreas(page, job, planMm);
  DrawMarks(page, job, planMm);
  DrawScaleRow(page, job, planMm.bottom() + kPrintGapMm, width);

  const auto n = static_cast<int>(job.products.size());
  int next = 0;
  double y = listTop;
  int pageNumber = 1;
  auto startList = [&](bool continued) {
    page.Text({0, y, width, kListTitleMm}, continued ? job.continued : job.listTitle, kTextPoints,
              true);
    y += kListTitleMm;
    DrawListHeader(page, job, y, width);
    y += kListRowMm + kRuleMm;
  };
  if (n > 0 && list.firstPageRows > 0) {
    startList(false);
    for (; next < n && next < list.firstPageRows; ++next, y += kListRowMm)
      DrawListRow(page, job, job.products[next], y, width);
  }
  while (next < n) {
    device.newPage();
    ++pageNumber;
    DrawTitleBlock(page, job, width, pageNumber, list.pages, false);
    y = kRuleMm + kHeadingRowMm + kRuleMm + kPrintGapMm;
    startList(next > 0);
    for (int row = 0; next < n && row < list.rowsPerPage; ++next, ++row, y += kListRowMm)
      DrawListRow(page, job, job.products[next], y, width);
  }
  if (!painter.end()) {
    if (why) *why = "the page could not be finished";
    return false;
  }
  return true;
}

namespace {
// A dialog's caption as a printed label: without the mark of its access key.
QString Label(int caption, const char* design) {
  QString text = CaptionOr(caption, design);
  text.replace("&&", QString(QChar(0x1)));
  text.remove('&');
  text.replace(QChar(0x1), "&");
  return text;
}
}  // namespace

QByteArray SavedPlanText(EngineCall engine) {
  if (!engine) return {};
  QTemporaryFile temp(QDir::temp().filePath("tessel-plan-XXXXXX.tsd"));
  if (!temp.open()) return {};
  const QByteArray name = QFile::encodeName(temp.fileName());
  temp.close();
  if (engine(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(name.constData()), 0) != TR_Done)
    return {};
  QFile written(temp.fileName());
  return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
}

QSizeF RoomInnerSize(const PlanText& plan) {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool any = false;
  for (const PlanRecord& r : plan.layout) {
    if (r.kind != "WALLRECT") continue;
    // A wall rectangle's centre and its length and breadth, which are its half sizes
    // in worksheet pixels; niches and projections all lie within the rectangles'
    // extent.
    const double x = r.x, y = r.y, hw = r.p0, hh = r.p1;
    if (!any) {
      left = x - hw, right = x + hw, top = y - hh, bottom = y + hh;
      any = true;
    }
    left = std::min(left, x - hw);
    right = std::max(right, x + hw);
    top = std::min(top, y - hh);
    bottom = std::max(bottom, y + hh);
  }
  if (!any) return {};
  return {(right - left) / kPixelsPerCm, (bottom - top) / kPixelsPerCm};
}

bool PreparePlanPrint(EngineCall engine, int scale, const PrintSource& source, PlanPrintJob* job,
                      QString* why) {
  auto fail = [why](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  if (!engine || !job) return fail("the plan engine is not loaded");
  EngineInfo info{};
  engine(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0);
  job->scale = scale;
  job->planWidth = info.iBoundRight - info.iBoundLeft;
  job->planHeight = info.iBoundBottom - info.iBoundTop;
  job->picture = PlanPicture(engine, why);
  if (job->picture.isNull()) return false;

  const ProjectData& project = source.project;
  const QString planTitle = CaptionOr(5310, "Ostara Tessel - Bathroom plan");
  job->heading =
      project.Value(ProjectData::kTitle).isEmpty() ? planTitle : project.Value(ProjectData::kTitle);
  const QByteArray text = SavedPlanText(engine);
  job->freeAreas.clear();
  job->freeAreaNote.clear();
  PlanText plan;
  const bool parsed = ParsePlanText(text, &plan);
  if (source.freeAreas && source.catalogue && parsed) {
    // The zones in worksheet pixels, moved to the picture's, which starts at the
    // drawn part's corner.
    for (FreeAreaShape zone :
         FreeAreaShapes(plan, CheckCatalogueOf(*source.catalogue), source.freeAreaSetting)) {
      zone.area.translate(-info.iBoundLeft, -info.iBoundTop);
      job->freeAreas << zone;
    }
    const auto setting = static_cast<std::size_t>(source.freeAreaSetting);
    if (setting < std::size(kSettingCaptions))
      job->freeAreaNote =
          CaptionOr(kFreeAreaNoteCaption, "Free areas (%1) hatched, blocked ones cross-hatched")
              .arg(CaptionOr(kSettingCaptions[setting], ""));
  }
  const QSizeF room = parsed ? RoomInnerSize(plan) : QSizeF();
  const bool german = source.languageSuffix.compare("D", Qt::CaseInsensitive) == 0;
  job->decimalMark = german ? ',' : '.';
  const QString roomSize = room.isEmpty()
                               ? QString()
                               : SizeText(room.width(), job->decimalMark) + QString(" \u00d7 ") +
                                     SizeText(room.height(), job->decimalMark) + " cm";
  const QString planName =
      source.currentFile.isEmpty() ? CaptionOr(5670, "Untitled") : FileTitle(source.currentFile);
  job->fields = {
      {Label(7502, "Customer:"), project.Value(ProjectData::kCustomer)},
      {Label(7503, "Site address:"), project.Value(ProjectData::kSite)},
      {Label(7504, "Room:"), project.Value(ProjectData::kRoom)},
      {Label(7505, "Planner:"), project.Value(ProjectData::kPlanner)},
      {Label(7507, "Date:"), PrintDate(source.date, source.languageSuffix)},
      {Label(7508, "Room (inside):"), roomSize},
  };
  // The file's name stands beside the room when the project names no room.
  if (job->fields[2].second.isEmpty()) {
    job->fields[2] = {Label(7509, "Plan file:"), planName};
  }
  job->notesLabel = Label(7506, "Notes:");
  job->notes = project.Value(ProjectData::kNotes);
  job->scaleText = QString("1:%1").arg(scale);
  job->dimensionNote = CaptionOr(7516, "Dimension lines in millimetres");
  job->listTitle = CaptionOr(7520, "Products");
  job->continued = CaptionOr(7519, "Products (continued)");
  job->pageText = CaptionOr(7518, "Page %1 of %2");
  job->listHeader = QStringList{CaptionOr(7510, "Pos."),           CaptionOr(2511, "Model no."),
                                CaptionOr(2512, "Series"),         CaptionOr(2513, "Name"),
                                CaptionOr(7514, "W × D × H (cm)"), CaptionOr(2517, "Count")};

  std::vector<std::int32_t> numbers(kProductListCapacity, 0);
  engine(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(numbers.data()), 0);
  QList<qint64> placed;
  for (std::int32_t id : numbers) {
    if (id <= 0) break;
    placed << id;
  }
  job->products.clear();
  if (source.catalogue) {
    job->products = ProductListRows(*source.catalogue, placed);
  } else {
    std::map<qint64, int> counts;
    for (qint64 id : placed) ++counts[id];
    for (const auto& [id, count] : counts) {
      ProductListRow row;
      row.position = static_cast<int>(job->products.size()) + 1;
      row.id = id;
      row.count = count;
      job->products << row;
    }
  }
  // Every drawn product gets its row's number beside it: those placed in room layout
  // mode, which the room's list holds and the list counts, as well as the furnishing.
  std::map<qint64, const ProductListRow*> byId;
  for (const ProductListRow& row : job->products) byId[row.id] = &row;
  job->marks.clear();
  for (const PlanRecord& r : plan.layout + plan.design) {
    if (r.kind != "PRODUCT") continue;
    const auto found = byId.find(r.p0);
    if (found == byId.end()) continue;
    const ProductListRow& row = *found->second;
    PositionMark mark;
    mark.position = row.position;
    mark.centre = QPointF(r.x - info.iBoundLeft + 0.5, r.y - info.iBoundTop + 0.5);
    const double a = std::max(row.width, 0.0), b = std::max(row.depth, 0.0);
    mark.halfSizeCm = std::max(a, b) / 2;
    mark.smallSideCm = std::min(a, b);
    job->marks << mark;
  }
  return true;
}

QImage PlanPicture(EngineCall engine, QString* why) {
  auto fail = [why](const QString& reason) {
    if (why) *why = reason;
    return QImage();
  };
  if (!engine) return fail("the plan engine is not loaded");
  // A name of its own in the temporary folder: two exports at once never share it.
  QTemporaryFile temp(QDir::temp().filePath("tessel-picture-XXXXXX.bmp"));
  if (!temp.open()) return fail("no temporary file could be made: " + temp.errorString());
  const QByteArray name = QFile::encodeName(temp.fileName());
  temp.close();
  errno = 0;
  const long written =
      engine(TC_WorkSheetToBMP, 0, 0, 0, reinterpret_cast<long>(name.constData()), 0);
  const int error = errno;
  QImage picture = written == 0 ? QImage(temp.fileName(), "BMP") : QImage();
  temp.remove();
  // A temporary folder that is full is the system's reason, left in errno by the write.
  if (written != 0 && error != 0)
    return fail("the picture of the plan could not be written to the temporary folder: " +
                QString::fromLocal8Bit(std::strerror(error)));
  if (picture.isNull()) return fail("the plan engine gave no picture of the plan");
  return picture;
}

QImage FramedPlanImage(const QImage& picture) {
  QImage framed;
  const QSize size(picture.width() + 2 * kImageMarginPixels,
                   picture.height() + 2 * kImageMarginPixels);
  const QList<QRgb> colours = picture.colorTable();
  const qsizetype white = colours.indexOf(qRgb(255, 255, 255));
  if (picture.format() == QImage::Format_Indexed8 && white >= 0) {
    // The engine's palette has a white: the PNG stays an indexed one with its colours.
    framed = QImage(size, QImage::Format_Indexed8);
    framed.setColorTable(colours);
    framed.fill(static_cast<uint>(white));
    for (int y = 0; y < picture.height(); ++y)
      std::copy_n(picture.constScanLine(y), picture.width(),
                  framed.scanLine(y + kImageMarginPixels) + kImageMarginPixels);
  } else {
    framed = QImage(size, QImage::Format_RGB32);
    framed.fill(Qt::white);
    QPainter p(&framed);
    p.drawImage(kImageMarginPixels, kImageMarginPixels, picture);
  }
  framed.setDotsPerMeterX(kPlanPixelsPerMetre);
  framed.setDotsPerMeterY(kPlanPixelsPerMetre);
  return framed;
}

namespace {
constexpr const char kPngEnding[] = ".png";
constexpr const char kBmpEnding[] = ".bmp";
}  // namespace

bool IsPlanImageName(const QString& name) {
  return name.endsWith(kPngEnding, Qt::CaseInsensitive) ||
         name.endsWith(kBmpEnding, Qt::CaseInsensitive);
}

bool ExportPlanImage(EngineCall engine, const QString& out, QString* why) {
  auto fail = [why](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  if (!engine) return fail("the plan engine is not loaded");
  if (out.endsWith(kBmpEnding, Qt::CaseInsensitive)) {
    // The engine's own file, which it writes beside the target and renames; the
    // reason of a failure is the system's, left in errno by that write.
    const QByteArray name = FileNameBytes(out);
    errno = 0;
    if (engine(TC_WorkSheetToBMP, 0, 0, 0, reinterpret_cast<long>(name.constData()), 0) != 0) {
      const int error = errno;
      return fail("cannot write " + out +
                  (error != 0 ? ": " + QString::fromLocal8Bit(std::strerror(error)) : QString()));
    }
    return true;
  }
  if (!out.endsWith(kPngEnding, Qt::CaseInsensitive))
    return fail("the image name must end in .png or .bmp: " + out);
  QString reason;
  const QImage plan = PlanPicture(engine, &reason);
  if (plan.isNull()) return fail("cannot write " + out + ": " + reason);
  // The 8-bit picture keeps its palette: the PNG is an indexed one with the engine's
  // colours, so every pixel reads back as the bitmap's. It is made whole in memory
  // and then written as one file, so a disk that fills up leaves the old file.
  const QImage picture = FramedPlanImage(plan);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG"))
    return fail("cannot write " + out + ": the picture could not be encoded");
  if (!WriteWholeFile(out, png, &reason)) return fail("cannot write " + reason);
  return true;
}

}  // namespace tessel

namespace tessel {

namespace {
// The PDF's resolution: fine enough that no line of the plan moves on paper.
constexpr int kPdfDotsPerInch = 1200;
constexpr const char kPdfStart[] = "%PDF-";
constexpr const char kPdfEnd[] = "%%EOF";
}  // namespace

bool WritePlanPdf(const PlanPrintJob& job, const QPageLayout& layout, const QString& out,
                  QString* why) {
  auto fail = [why](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfDotsPerInch);
    writer.setCreator(CaptionOr(101, "Ostara Tessel"));
    writer.setTitle(job.heading);
    if (!writer.setPageLayout(layout)) return fail("the paper cannot be set up");
    QString reason;
    if (!PrintPlanPage(writer, job, &reason)) return fail(reason);
  }
  const QByteArray bytes = buffer.data();
  if (!bytes.startsWith(kPdfStart) || !bytes.trimmed().endsWith(kPdfEnd))
    return fail("the PDF document was not completed");
  const QByteArray name = QFile::encodeName(out);
  if (!plat::ReplaceFile(name.constData(), bytes.toStdString()))
    return fail(QString::fromLocal8Bit(std::strerror(errno)));
  return true;
}

}  // namespace tessel
