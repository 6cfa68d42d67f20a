// The print command: the system's print dialog once, the scale, a preview of the pages
// on the paper chosen, and the pages printed as the preview shows them. The two
// dialogs are edges tests replace.
#pragma once

#include <QString>
#include <functional>

#include "print/print.h"

class QPrinter;
class QWidget;

namespace tessel {

struct PrintDialogs {
  // Lets the user choose the printer and its paper; false when cancelled.
  std::function<bool(QPrinter& printer, const QString& title, QWidget* parent)> choosePrinter;
  // Shows the pages as they will print on the printer's paper; `paint` draws them. The
  // user may turn the paper or take another size there, which the printer then holds.
  // True when the user asks to print what it shows; the command then prints, with no
  // further dialog.
  std::function<bool(QPrinter& printer, const std::function<void(QPrinter*)>& paint,
                     QWidget* parent)>
      preview;
};
// The dialogs the command uses: the system's, unless a test put others in place.
PrintDialogs& PrintDialogEdges();

// The PDF file the print dialog proposes: the plan's own name in its folder, or the
// untitled name in `folder`.
QString ProposedPdfName(const QString& currentFile, const QString& folder);

// Prints the open plan: printer, scale (the smallest that fits unless the user picks
// another), preview, pages. `source` names the plan, its project and the catalogue.
// Nothing happens when a dialog is cancelled; a failure says what went wrong.
void PrintPlan(QWidget* parent, const QString& title, const PrintSource& source,
               const QString& folder);

}  // namespace tessel
