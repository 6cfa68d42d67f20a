#include "print/batch.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/plan_pictures.h"
#include "catalogue/product_bar.h"
#include "catalogue/product_list_csv.h"
#include "check/check_batch.h"
#include "language/language.h"
#include "platform/profile.h"
#include "print/print.h"
#include "shell/batch_start.h"
#include "shell/engine_bridge.h"
#include "shell/files.h"
#include "shell/project_data.h"
#include "vrx232.h"

namespace tessel {

namespace {

constexpr const char* kExport = "--export";
constexpr const char* kExportList = "--export-list";
constexpr const char* kPrintPdf = "--print-pdf";
constexpr const char* kScale = "--scale";
constexpr const char* kFreeAreas = "--free-areas";
constexpr const char* kPaper = "--paper";
constexpr const char* kOrientation = "--orientation";

// Opens a plan in design mode, so the furnishing is drawn too, and refuses what the
// window refuses, with the window's words: a name that is no regular file (asked
// before the engine reads, which would wait forever on a FIFO), and a plan whose room
// or furnishing is damaged or missing.
int OpenPlan(EngineCall engine, const QString& plan) {
  QString why;
  switch (CheckPlanFile(plan, &why)) {
    case PlanFileKind::kRegular:
      break;
    case PlanFileKind::kNotAFile:
      return SayOnTerminal(kBatchFailed, NotAPlanFileText(plan));
    case PlanFileKind::kMissing:
    case PlanFileKind::kUnreadable:
      return SayOnTerminal(kBatchFailed, "cannot read the plan " + plan + ": " + why);
  }
  // Pictures not where the plan says are read from the catalogue's picture folder; one
  // found nowhere is named, and the work goes on without it.
  const QString images = ImagesFolder(BatchCatalogueFile());
  const PlanPictures pictures = LocatePlanPicturesOf(plan, images);
  QTemporaryDir scratch;
  QByteArray name = FileNameBytes(plan);
  if (!pictures.located.isEmpty() && scratch.isValid()) {
    const QByteArray copy = QFile::encodeName(scratch.filePath("plan.tsd"));
    if (plat::ReplaceFile(copy.constData(), pictures.located.toStdString())) name = copy;
  }
  if (!pictures.missing.isEmpty()) {
    Catalogue catalogue;
    const bool named =
        catalogue.Open(BatchCatalogueFile(), OpenLanguageSuffix()) == CatalogueState::kOpen;
    SayOnTerminal(0, MissingPicturesText(pictures.missing, images, [&](qint64 id) {
                    return named ? catalogue.ProductDescription(id) : QString();
                  }));
  }
  const auto address = reinterpret_cast<long>(name.constData());
  engine(TC_SetDesignMode, 0, 0, 0, 0, 0);
  const long result = engine(TC_LoadDesignFile, 0, 0, 0, address, 0);
  if (result == TR_Done) return 0;
  QString caption, text;
  if (!EngineErrorText(result, plan, {}, &caption, &text)) text = plan + " is not a plan file";
  return SayOnTerminal(kBatchFailed, text);
}

int Export(EngineCall engine, const QString& plan, const QString& out) {
  // The ending is checked before the plan is read, so a mistyped name costs nothing.
  if (!IsPlanImageName(out))
    return SayOnTerminal(kBatchUsage, "the image name must end in .png or .bmp");
  if (const int r = OpenPlan(engine, plan)) return r;
  QString why;
  if (!ExportPlanImage(engine, out, &why)) return SayOnTerminal(kBatchFailed, why);
  return 0;
}

// The products in the catalogue's language (the texts' language); without a catalogue
// the list cannot name them, which is no list to order from.
int ExportList(EngineCall engine, const QString& plan, const QString& out) {
  if (const int r = OpenPlan(engine, plan)) return r;
  Catalogue catalogue;
  QString why;
  if (catalogue.Open(BatchCatalogueFile(), OpenLanguageSuffix(), &why) != CatalogueState::kOpen)
    return SayOnTerminal(kBatchFailed, "the catalogue cannot be read: " + why);
  std::vector<std::int32_t> numbers(kProductListCapacity, 0);
  engine(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(numbers.data()), 0);
  QList<qint64> placed;
  for (std::int32_t id : numbers) {
    if (id <= 0) break;
    placed << id;
  }
  if (!WriteProductList(
          ProductListCsv(catalogue, placed, ProductListHeader(), CsvStyleFor(OpenLanguageSuffix())),
          out, &why))
    return SayOnTerminal(kBatchFailed, "cannot write " + why);
  return 0;
}

// The paper of a window-less print: A4 unless asked otherwise, and the orientation that
// gives the plan the larger scale unless one is asked for.
struct PaperChoice {
  QPageSize::PageSizeId size = QPageSize::A4;
  bool orientationGiven = false;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// The free areas on the page, and for which setting; not shown unless asked for.
struct FreeAreaChoice {
  bool shown = false;
  FreeAreaSetting setting = FreeAreaSetting::kPrivate;
};

int PrintPdf(EngineCall engine, const QString& plan, const QString& out, int scale,
             const PaperChoice& choice, const FreeAreaChoice& freeAreas) {
  if (const int r = OpenPlan(engine, plan)) return r;
  EngineInfo info{};
  engine(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0);
  // Without walls the drawn extent is the whole empty sheet: there is nothing to print.
  if (!info.bWalls) return SayOnTerminal(kBatchFailed, "the plan has no room to print");
  const int planWidth = info.iBoundRight - info.iBoundLeft;
  const int planHeight = info.iBoundBottom - info.iBoundTop;
  PrintPaper paper{choice.size, choice.orientation};
  if (!choice.orientationGiven)
    paper.orientation = LargerScaleOrientation(paper.size, planWidth, planHeight);
  const QPageLayout layout = PrintPageLayout(paper);
  const int minimum = MinimumPrintScale(layout, planWidth, planHeight);
  if (minimum <= 0) return SayOnTerminal(kBatchFailed, "the plan has nothing to print");
  if (scale == 0) scale = minimum;
  if (scale < minimum)
    return SayOnTerminal(kBatchFailed,
                         QString("at 1:%1 the plan does not fit the page; the smallest scale "
                                 "that fits is 1:%2")
                             .arg(scale)
                             .arg(minimum));
  if (scale >= kMaxPrintScale)
    return SayOnTerminal(kBatchFailed,
                         QString("the scale number must be below %1").arg(kMaxPrintScale));
  // The list names products and their sizes where the catalogue is there, by their
  // numbers otherwise.
  Catalogue catalogue;
  PrintSource source;
  source.currentFile = plan;
  source.project = ProjectData::FromFile(plan);
  source.languageSuffix = OpenLanguageSuffix();
  if (catalogue.Open(BatchCatalogueFile(), OpenLanguageSuffix()) == CatalogueState::kOpen)
    source.catalogue = &catalogue;
  else if (freeAreas.shown)
    // The free areas come from the catalogue's table: a page without them would pass
    // for a plan with none.
    return SayOnTerminal(kBatchFailed,
                         "the catalogue cannot be read, so the free areas cannot "
                         "be drawn; print without --free-areas");
  source.freeAreas = freeAreas.shown;
  source.freeAreaSetting = freeAreas.setting;
  PlanPrintJob job;
  QString why;
  if (!PreparePlanPrint(engine, scale, source, &job, &why))
    return SayOnTerminal(kBatchFailed, "cannot print: " + why);
  if (!WritePlanPdf(job, layout, out, &why))
    return SayOnTerminal(kBatchFailed, "cannot write " + out + ": " + why);
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
    return SayOnTerminal(
        kBatchUsage,
        QString("usage: tessel32 %1 PLAN.tsd OUT.png|OUT.bmp | %2 PLAN.tsd "
                "OUT.pdf [%3 N] [%5 A4|A3] [%6 portrait|landscape] [%7 [%8]] | %4 PLAN.tsd "
                "OUT.csv [-LANGUAGE]")
            .arg(kExport, kPrintPdf, kScale, kExportList, kPaper, kOrientation, kFreeAreas,
                 FreeAreaSettingWords()));
  const QString plan = arguments[at + 1], out = arguments[at + 2];
  int scale = 0;
  if (const qsizetype s = arguments.indexOf(kScale); s >= 0) {
    bool ok = false;
    scale = s + 1 < arguments.size() ? arguments[s + 1].toInt(&ok) : 0;
    if (!ok || scale <= 0)
      return SayOnTerminal(kBatchUsage, "the scale must be a whole number, as in --scale 50");
  }
  PaperChoice paper;
  if (const qsizetype p = arguments.indexOf(kPaper); p >= 0) {
    const QString name = arguments.value(p + 1).toUpper();
    if (name == "A4")
      paper.size = QPageSize::A4;
    else if (name == "A3")
      paper.size = QPageSize::A3;
    else
      return SayOnTerminal(kBatchUsage, "the paper must be A4 or A3, as in --paper A3");
  }
  if (const qsizetype o = arguments.indexOf(kOrientation); o >= 0) {
    const QString name = arguments.value(o + 1).toLower();
    paper.orientationGiven = true;
    if (name == "portrait")
      paper.orientation = QPageLayout::Portrait;
    else if (name == "landscape")
      paper.orientation = QPageLayout::Landscape;
    else
      return SayOnTerminal(kBatchUsage, "the orientation must be portrait or landscape");
  }
  FreeAreaChoice freeAreas;
  freeAreas.shown = arguments.contains(kFreeAreas);
  if (!FreeAreaSettingOf(arguments, &freeAreas.setting))
    return SayOnTerminal(kBatchUsage, "choose one free area setting: " + FreeAreaSettingWords());
  EngineCall engine = Engine();
  if (!engine)
    return SayOnTerminal(kBatchFailed, "the plan engine could not be loaded: " + EngineLoadError());
  // The texts in the language a window would show. Without the catalogue the page
  // still prints.
  OpenBatchTexts(arguments, [&arguments, at](qsizetype i) {
    return (i > at && i <= at + 2) || arguments[i - 1] == kScale || arguments[i - 1] == kPaper ||
           arguments[i - 1] == kOrientation;
  });
  SetErrorLookup(&GetError);
  if (exportAt >= 0) return Export(engine, plan, out);
  if (printAt >= 0) return PrintPdf(engine, plan, out, scale, paper, freeAreas);
  return ExportList(engine, plan, out);
}

}  // namespace tessel
