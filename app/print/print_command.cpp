#include "print/print_command.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "language/language.h"
#include "platform/window.h"
#include "print/print.h"
#include "print/print_setup.h"
#include "shell/engine_bridge.h"
#include "shell/message_box.h"

namespace tessel {

namespace {

constexpr int kNothingToPrint = 5942;
constexpr std::int16_t kNoPlanPicture = -202;
// The error text of a printer that could not be started.
constexpr int kPrinterFailed = 10900;

bool SystemPrintDialog(QPrinter& printer, const QString& title, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(title);
  // One page of one plan: no selection and no page range. Printing to a file stays
  // offered: on a desktop without a printer the PDF file is the only way to print.
  dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile);
  return dialog.exec() == QDialog::Accepted;
}

bool SystemPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint,
                   QWidget* parent) {
  QPrintPreviewDialog preview(&printer, parent);
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&paint](QPrinter* p) { paint(p); });
  return preview.exec() == QDialog::Accepted;
}

}  // namespace

PrintDialogs& PrintDialogEdges() {
  static PrintDialogs edges{SystemPrintDialog, SystemPreview};
  return edges;
}

void PrintPlan(QWidget* parent, const QString& title, const QString& currentFile,
               const std::function<QString(int)>& describe) {
  ReadInfo();
  const EngineInfo& info = Bridge().infoRecord;
  // Without walls the drawn extent is the whole empty sheet: there is nothing to print,
  // and the user learns it before choosing a printer.
  if (!info.bWalls) {
    MsgBoxHelp(kNothingToPrint, plat::MB_OK, kNothingToPrint);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  if (!PrintDialogEdges().choosePrinter(printer, title, parent)) return;
  const QRectF page = printer.pageLayout().paintRect(QPageLayout::Millimeter);
  const int minimum =
      MinimumPrintScale(page.width() * 100, page.height() * 100, info.iBoundRight - info.iBoundLeft,
                        info.iBoundBottom - info.iBoundTop);
  if (minimum <= 0) return;
  PrintSetupDialog setup(minimum, parent);
  if (setup.exec() != QDialog::Accepted) return;

  PlanPrintJob job;
  QString why;
  if (!PreparePlanPrint(Engine(), setup.Scale(), currentFile, describe, &job, &why)) {
    // No picture of the plan: the engine's own failure, said in the user's language.
    ShowEngineError(kNoPlanPicture);
    return;
  }
  bool printed = true;
  const auto paint = [&](QPrinter* target) { printed = PrintPlanPage(*target, job, &why); };
  if (!PrintDialogEdges().preview(printer, paint, parent)) return;
  if (!printed) {
    QString caption, text;
    if (GetError(kPrinterFailed, &caption, &text)) ShowMessage(text, caption, plat::MB_ICONERROR);
  }
}

}  // namespace tessel
