#include "print/print_command.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "language/language.h"
#include "platform/window.h"
#include "print/print_setup.h"
#include "shell/engine_bridge.h"
#include "shell/forms.h"
#include "shell/message_box.h"
#include "shell/settings.h"

namespace tessel {

namespace {

constexpr int kNothingToPrint = 5942;
constexpr int kPdfNotWritten = 11000;
constexpr int kPrintFailed = 11001;
constexpr const char kPdfEnding[] = ".pdf";
constexpr std::int16_t kNoPlanPicture = -202;
// Whether the user last printed with the free areas.
constexpr const char kPrintSection[] = "Print";
constexpr const char kFreeAreasSetting[] = "FreeAreas";
constexpr const char kOn[] = "1";
constexpr const char kOff[] = "0";

bool SystemPrintDialog(QPrinter& printer, const QString& title, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(title);
  // The plan and its list as one document: no selection and no page range. Printing to
  // a file stays offered: on a desktop without a printer the PDF file is the only way.
  dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile);
  return RunModal(dialog) == QDialog::Accepted;
}

// The preview prints nothing itself: its print button only says yes, so no second
// printer dialog can print on other paper than the pages it shows. Turning the paper
// or another size changes the printer's paper and draws the pages again.
bool SystemPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint,
                   QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName("frmPrintPreview");
  dialog.setWindowTitle(CaptionOr(7525, "Print preview"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* bar = new QHBoxLayout;
  auto* paper = new QComboBox(&dialog);
  paper->setObjectName("ddPaper");
  const QPageSize::PageSizeId sizes[] = {QPageSize::A4, QPageSize::A3};
  for (QPageSize::PageSizeId id : sizes) paper->addItem(QPageSize::name(id), int(id));
  const QPageSize::PageSizeId current = printer.pageLayout().pageSize().id();
  if (paper->findData(int(current)) < 0)
    paper->addItem(printer.pageLayout().pageSize().name(), int(current));
  paper->setCurrentIndex(paper->findData(int(current)));
  auto* portrait = new QPushButton(CaptionOr(7522, "Portrait"), &dialog);
  auto* landscape = new QPushButton(CaptionOr(7523, "Landscape"), &dialog);
  portrait->setObjectName("cmdPortrait");
  landscape->setObjectName("cmdLandscape");
  for (QPushButton* b : {portrait, landscape}) b->setCheckable(true);
  portrait->setAutoExclusive(true);
  landscape->setAutoExclusive(true);
  (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape : portrait)
      ->setChecked(true);
  bar->addWidget(new QLabel(CaptionOr(7524, "Paper:"), &dialog));
  bar->addWidget(paper);
  bar->addWidget(portrait);
  bar->addWidget(landscape);
  bar->addStretch();
  layout->addLayout(bar);
  auto* view = new QPrintPreviewWidget(&printer, &dialog);
  view->setObjectName("preview");
  QObject::connect(view, &QPrintPreviewWidget::paintRequested, &dialog,
                   [&paint](QPrinter* p) { paint(p); });
  layout->addWidget(view, 1);
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* print = buttons->addButton(CaptionOr(7521, "&Print"), QDialogButtonBox::AcceptRole);
  print->setObjectName("cmdPrint");
  print->setDefault(true);
  buttons->addButton(CaptionOr(7526, "Cancel"), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  auto relayout = [&] {
    printer.setPageSize(QPageSize(QPageSize::PageSizeId(paper->currentData().toInt())));
    printer.setPageOrientation(landscape->isChecked() ? QPageLayout::Landscape
                                                      : QPageLayout::Portrait);
    KeepPrintMargins(printer);
    view->updatePreview();
  };
  QObject::connect(paper, &QComboBox::currentIndexChanged, &dialog, relayout);
  QObject::connect(portrait, &QPushButton::toggled, &dialog, [&](bool on) {
    if (on) relayout();
  });
  QObject::connect(landscape, &QPushButton::toggled, &dialog, [&](bool on) {
    if (on) relayout();
  });
  dialog.resize(900, 800);
  return RunModal(dialog) == QDialog::Accepted;
}

// The scale the user chose, or the smallest at which the plan fits this paper when
// that is larger: a paper made smaller or turned after the scale was chosen never cuts
// the plan off, and turned back it prints at the chosen scale again.
void FitScale(PlanPrintJob& job, const QPageLayout& layout, int chosen) {
  job.scale = std::max(chosen, MinimumPrintScale(layout, job.planWidth, job.planHeight));
  job.scaleText = QString("1:%1").arg(job.scale);
}

void TellFailure(int number, const QString& what, const QString& why) {
  QString caption, text;
  if (!GetError(number, &caption, &text)) {
    caption = "Print";
    text = "%1: %2";
  }
  ShowMessage(text.arg(what, why), caption, plat::MB_ICONERROR);
}

}  // namespace

PrintDialogs& PrintDialogEdges() {
  static PrintDialogs edges{SystemPrintDialog, SystemPreview};
  return edges;
}

QString ProposedPdfName(const QString& currentFile, const QString& folder) {
  if (currentFile.isEmpty()) return QDir(folder).filePath(CaptionOr(5670, "Untitled") + kPdfEnding);
  const QFileInfo plan(currentFile);
  return plan.absoluteDir().filePath(plan.completeBaseName() + kPdfEnding);
}

void PrintPlan(QWidget* parent, const QString& title, const PrintSource& source,
               const QString& folder) {
  ReadInfo();
  const EngineInfo& info = Bridge().infoRecord;
  // Without walls the drawn extent is the whole empty sheet: there is nothing to print,
  // and the user learns it before choosing a printer.
  if (!info.bWalls) {
    MsgBoxHelp(kNothingToPrint, plat::MB_OK, kNothingToPrint);
    return;
  }
  const int planWidth = info.iBoundRight - info.iBoundLeft;
  const int planHeight = info.iBoundBottom - info.iBoundTop;
  QPrinter printer(QPrinter::HighResolution);
  // The paper starts the way round that prints the plan larger; the user may turn it.
  printer.setPageOrientation(LargerScaleOrientation(printer.pageLayout().pageSize().id(), planWidth,
                                                    planHeight,
                                                    printer.pageLayout().minimumMargins()));
  const QString pdf = ProposedPdfName(source.currentFile, folder);
  printer.setDocName(QFileInfo(pdf).completeBaseName());
  // Without a printer the PDF file is the only way to print: its name is proposed.
  if (QPrinterInfo::availablePrinterNames().isEmpty()) printer.setOutputFileName(pdf);
  if (!PrintDialogEdges().choosePrinter(printer, title, parent)) return;
  KeepPrintMargins(printer);
  const int minimum = MinimumPrintScale(printer.pageLayout(), planWidth, planHeight);
  if (minimum <= 0) return;
  const bool freeAreas = ReadSetting(kPrintSection, kFreeAreasSetting, kOff).trimmed() == kOn;
  PrintSetupDialog setup(minimum, parent, freeAreas);
  if (RunModal(setup) != QDialog::Accepted) return;
  // Kept for the next print; one that cannot be kept has been said and still prints.
  if (setup.FreeAreas() != freeAreas)
    SaveSetting(kPrintSection, kFreeAreasSetting, setup.FreeAreas() ? kOn : kOff);

  PrintSource asked = source;
  asked.freeAreas = setup.FreeAreas();
  PlanPrintJob job;
  QString why;
  if (!PreparePlanPrint(Engine(), setup.Scale(), asked, &job, &why)) {
    // No picture of the plan: the engine's own failure, said in the user's language.
    ShowEngineError(kNoPlanPicture);
    return;
  }
  const int chosen = setup.Scale();
  const auto paint = [&](QPrinter* target) {
    FitScale(job, target->pageLayout(), chosen);
    PrintPlanPage(*target, job);
  };
  if (!PrintDialogEdges().preview(printer, paint, parent)) return;
  FitScale(job, printer.pageLayout(), chosen);
  if (printer.outputFormat() == QPrinter::PdfFormat) {
    if (!WritePlanPdf(job, printer.pageLayout(), printer.outputFileName(), &why))
      TellFailure(kPdfNotWritten, printer.outputFileName(), why);
    return;
  }
  if (!PrintPlanPage(printer, job, &why)) TellFailure(kPrintFailed, title, why);
}

}  // namespace tessel
