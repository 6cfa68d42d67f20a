#include "print/batch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <cstdio>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/product_bar.h"
#include "catalogue/product_list_csv.h"
#include "check/check_batch.h"
#include "language/language.h"
#include "print/print.h"
#include "shell/engine_bridge.h"
#include "shell/settings.h"
#include "vrx232.h"

namespace tessel {

namespace {

constexpr const char* kExport = "--export";
constexpr const char* kExportList = "--export-list";
constexpr const char* kPrintPdf = "--print-pdf";
constexpr const char* kScale = "--scale";

QString CatalogueFile() {
  return QDir(QCoreApplication::applicationDirPath()).filePath("katalog/katalog.db");
}

int Say(int status, const QString& text) {
  std::fprintf(stderr, "tessel32: %s\n", qPrintable(text));
  return status;
}

// Opens a plan in design mode, so the furnishing is drawn too. A room-only plan (no
// furnishing section) opens as a room.
int OpenPlan(EngineCall engine, const QString& plan) {
  const QByteArray name = QFile::encodeName(plan);
  const auto address = reinterpret_cast<long>(name.constData());
  engine(TC_SetDesignMode, 0, 0, 0, 0, 0);
  long result = engine(TC_LoadDesignFile, 0, 0, 0, address, 0);
  if (result == TR_NoCountKey) result = engine(TC_LoadLayoutFile, 0, 0, 0, address, 0);
  if (result == TR_FileUnreadable) return Say(kBatchFailed, "cannot read the plan " + plan);
  if (result != TR_Done) return Say(kBatchFailed, plan + " is not a plan file");
  return 0;
}

int Export(EngineCall engine, const QString& plan, const QString& out) {
  // The ending is checked before the plan is read, so a mistyped name costs nothing.
  if (!IsPlanImageName(out)) return Say(kBatchUsage, "the image name must end in .png or .bmp");
  if (const int r = OpenPlan(engine, plan)) return r;
  QString why;
  if (!ExportPlanImage(engine, out, &why)) return Say(kBatchFailed, why);
  return 0;
}

// The products in the catalogue's language (the texts' language); without a catalogue
// the list cannot name them, which is no list to order from.
int ExportList(EngineCall engine, const QString& plan, const QString& out) {
  if (const int r = OpenPlan(engine, plan)) return r;
  Catalogue catalogue;
  QString why;
  if (catalogue.Open(CatalogueFile(), OpenLanguageSuffix(), &why) != CatalogueState::kOpen)
    return Say(kBatchFailed, "the catalogue cannot be read: " + why);
  std::vector<std::int32_t> numbers(kProductListCapacity, 0);
  engine(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(numbers.data()), 0);
  QList<qint64> placed;
  for (std::int32_t id : numbers) {
    if (id <= 0) break;
    placed << id;
  }
  if (!WriteProductList(ProductListCsv(catalogue, placed, ProductListHeader()), out, &why))
    return Say(kBatchFailed, "cannot write " + why);
  return 0;
}

int PrintPdf(EngineCall engine, const QString& plan, const QString& out, int scale) {
  if (const int r = OpenPlan(engine, plan)) return r;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(out);
  printer.setPageSize(QPageSize(QPageSize::A4));
  EngineInfo info{};
  engine(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0);
  // Without walls the drawn extent is the whole empty sheet: there is nothing to print.
  if (!info.bWalls) return Say(kBatchFailed, "the plan has no room to print");
  const QRectF page = printer.pageLayout().paintRect(QPageLayout::Millimeter);
  const int minimum =
      MinimumPrintScale(page.width() * 100, page.height() * 100, info.iBoundRight - info.iBoundLeft,
                        info.iBoundBottom - info.iBoundTop);
  if (minimum <= 0) return Say(kBatchFailed, "the plan has nothing to print");
  if (scale == 0) scale = minimum;
  if (scale < minimum)
    return Say(kBatchFailed, QString("at 1:%1 the plan does not fit the page; the smallest scale "
                                     "that fits is 1:%2")
                                 .arg(scale)
                                 .arg(minimum));
  if (scale >= kMaxPrintScale)
    return Say(kBatchFailed, QString("the scale number must be below %1").arg(kMaxPrintScale));
  // The list names products by their descriptions where the catalogue is there, by
  // their numbers otherwise.
  Catalogue catalogue;
  std::function<QString(int)> describe;
  if (catalogue.Open(CatalogueFile(), OpenLanguageSuffix()) == CatalogueState::kOpen)
    describe = [&catalogue](int id) { return catalogue.ProductDescription(id); };
  PlanPrintJob job;
  QString why;
  if (!PreparePlanPrint(engine, scale, plan, describe, &job, &why) ||
      !PrintPlanPage(printer, job, &why))
    return Say(kBatchFailed, "cannot print: " + why);
  if (!QFile::exists(out)) return Say(kBatchFailed, "cannot write " + out);
  return 0;
}

}  // namespace

bool IsBatchCommand(const QStringList& arguments) {
  return arguments.contains(kExport) || arguments.contains(kPrintPdf) ||
         arguments.contains(kExportList) || IsCheckCommand(arguments);
}

int RunBatch(const QStringList& arguments) {
  if (IsCheckCommand(arguments)) return RunCheckCommand(arguments);
  const qsizetype exportAt = arguments.indexOf(kExport);
  const qsizetype printAt = arguments.indexOf(kPrintPdf);
  const qsizetype listAt = arguments.indexOf(kExportList);
  const qsizetype at = exportAt >= 0 ? exportAt : printAt >= 0 ? printAt : listAt;
  if (at < 0 || at + 2 >= arguments.size())
    return Say(kBatchUsage, QString("usage: tessel32 %1 PLAN.tsd OUT.png|OUT.bmp | %2 PLAN.tsd "
                                    "OUT.pdf [%3 N] | %4 PLAN.tsd OUT.csv [-LANGUAGE]")
                                .arg(kExport, kPrintPdf, kScale, kExportList));
  const QString plan = arguments[at + 1], out = arguments[at + 2];
  int scale = 0;
  if (const qsizetype s = arguments.indexOf(kScale); s >= 0) {
    bool ok = false;
    scale = s + 1 < arguments.size() ? arguments[s + 1].toInt(&ok) : 0;
    if (!ok || scale <= 0)
      return Say(kBatchUsage, "the scale must be a whole number, as in --scale 50");
  }
  EngineCall engine = Engine();
  if (!engine)
    return Say(kBatchFailed, "the plan engine could not be loaded: " + EngineLoadError());
  // The texts in the language a window would show: a language letter among the other
  // arguments, else the saved one; a language the catalogue lacks falls back to
  // English. Without the catalogue the page still prints.
  QStringList rest{arguments.value(0)};
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const bool operand = (i > at && i <= at + 2) || arguments[i - 1] == kScale;
    if (!operand && !arguments[i].startsWith("--")) rest << arguments[i];
  }
  if (!OpenLanguage(LanguageSuffix(rest, ReadSetting(kStartupSection, kLanguageSetting, "")),
                    CatalogueFile()))
    OpenLanguage(QString(), CatalogueFile());
  if (exportAt >= 0) return Export(engine, plan, out);
  if (printAt >= 0) return PrintPdf(engine, plan, out, scale);
  return ExportList(engine, plan, out);
}

}  // namespace tessel
