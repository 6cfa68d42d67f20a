// Printing the plan to scale. The page is laid out in device pixels; the plan's width
// on paper follows from the scale alone (a worksheet pixel is 5 mm on the floor), so a
// printed 1:50 plan can be measured with a ruler.
#include "print/print.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "language/language.h"
#include "shell/engine_bridge.h"
#include "shell/files.h"
#include "vrx232.h"

namespace tessel {

namespace {

// Text caption numbers of the printed page.
constexpr int kTitleCaption = 5310;
constexpr int kUntitledCaption = 5670;
constexpr int kModelCaption = 6010;
constexpr int kSeriesCaption = 6030;
// The gaps of the page, in twentieths of a point per point of the font size: below the
// title block, below the plan, below the scale, and the height a line of the list is
// given when the space left for it is judged.
constexpr double kGapBelowTitle = 30;
constexpr double kGapBelowPlan = 20;
constexpr double kLineTwips = 20;
// The title block's height, in the same units, when the room below it is judged.
constexpr double kTitleBlockTwips = 200;
// The scale text stands this far left of the page's centre.
constexpr double kScaleTextInsetHimetric = 500;

QFont PrintFont(QPaintDevice* device) {
  QFont font(kPrintFontFamily);
  font.setPointSize(kPrintFontPoints);
  font.setWeight(QFont::Normal);
  return QFont(font, device);
}

}  // namespace

int MinimumPrintScale(double pageWidthHimetric, double pageHeightHimetric, int planWidth,
                      int planHeight, int fontPoints) {
  if (planWidth <= 0 || planHeight <= 0 || pageWidthHimetric <= 0) return 0;
  const double titleHimetric = kTitleBlockTwips * fontPoints / kTwipsPerInch * kHimetricPerInch;
  const double available = pageHeightHimetric - titleHimetric;
  // The plan's width fills the page's width, unless its height then overflows what is
  // left below the title block.
  double w = pageWidthHimetric;
  const double h = pageWidthHimetric * planHeight / planWidth;
  if (h > available) w = available * planWidth / planHeight;
  if (w <= 0) return 0;
  return static_cast<int>(static_cast<double>(planWidth) * kHimetricPerPlanUnit / w + 1);
}

bool PrintScaleOffered(int fixedScale, int minimum) {
  return minimum > 0 && minimum < fixedScale + 1;
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

QString FileTitle(const QString& path) {
  const qsizetype slash = path.lastIndexOf('/');
  return slash < 0 ? path : path.mid(slash + 1);
}

bool PrintPlanPage(QPagedPaintDevice& device, const PlanPrintJob& job, QString* why) {
  if (job.picture.isNull() || job.picture.width() <= 0 || job.scale <= 0 || job.planWidth <= 0) {
    if (why) *why = "there is no plan picture to print";
    return false;
  }
  QPainter painter;
  if (!painter.begin(&device)) {
    if (why) *why = "the printer could not be started";
    return false;
  }
  const double dpi = device.logicalDpiY();
  auto fromHimetric = [dpi](double v) { return v * dpi / kHimetricPerInch; };
  auto fromTwips = [dpi](double v) { return v * dpi / kTwipsPerInch; };
  const double pageWidth = device.width(), pageHeight = device.height();
  const QFont font = PrintFont(&device);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(font, &device);
  double y = 0;
  auto line = [&](double x, const QString& text) {
    painter.drawText(QPointF(x, y + metrics.ascent()), text);
    y += metrics.lineSpacing();
  };

  const double y0 = y;
  line(0, job.title);
  line(0, job.date);
  line(0, job.planName);
  const double lineHeight = (y - y0) / 3;
  y += fromTwips(kGapBelowTitle * kPrintFontPoints);

  // The plan at 1:N, centred across the page, keeping the picture's proportions.
  const double w = static_cast<double>(job.planWidth) * kHimetricPerPlanUnit / job.scale;
  const double pw = fromHimetric(w);
  const double ph = pw * job.picture.height() / job.picture.width();
  const double centre = pageWidth / 2;
  painter.drawImage(QRectF(std::floor(centre - pw / 2), y, pw, ph), job.picture);
  y += ph + fromTwips(kGapBelowPlan * kPrintFontPoints);
  line(std::floor(centre - fromHimetric(kScaleTextInsetHimetric)), QString("1:%1").arg(job.scale));
  y += fromTwips(kLineTwips * kPrintFontPoints);

  const double rowHeight = fromTwips(kLineTwips * kPrintFontPoints);
  const auto count = static_cast<double>(job.products.size());
  if (pageHeight - y < rowHeight + (count + 1) * lineHeight) {
    device.newPage();
    y = 0;
  }
  line(0, job.listHeader);
  y += rowHeight;
  for (const QString& product : job.products) {
    // A list longer than a page goes on over further pages, so no product is lost.
    if (y + metrics.lineSpacing() > pageHeight) {
      device.newPage();
      y = 0;
    }
    line(0, product + "  ");
  }
  painter.end();
  return true;
}

bool PreparePlanPrint(EngineCall engine, int scale, const QString& currentFile,
                      const std::function<QString(int)>& describe, PlanPrintJob* job,
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

  job->title = GetCaption(kTitleCaption);
  job->date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
  job->planName = currentFile.isEmpty() ? GetCaption(kUntitledCaption) : FileTitle(currentFile);
  job->listHeader = GetCaption(kModelCaption) + "       " + GetCaption(kSeriesCaption);
  job->products.clear();
  std::vector<std::int32_t> numbers(kProductListCapacity, 0);
  engine(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(numbers.data()), 0);
  for (std::int32_t id : numbers) {
    if (id <= 0) break;
    job->products << (describe ? describe(id) : QString::number(id));
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
  const QImage picture = PlanPicture(engine, &reason);
  if (picture.isNull()) return fail("cannot write " + out + ": " + reason);
  // The 8-bit picture keeps its palette: the PNG is an indexed one with the engine's
  // colours, so every pixel reads back as the bitmap's. It is made whole in memory
  // and then written as one file, so a disk that fills up leaves the old file.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG"))
    return fail("cannot write " + out + ": the picture could not be encoded");
  if (!WriteWholeFile(out, png, &reason)) return fail("cannot write " + reason);
  return true;
}

}  // namespace tessel
