// The print command: the system's print dialog, the scale, a preview of the page, and
// the page printed. The two system dialogs are edges tests replace.
#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace tessel {

struct PrintDialogs {
  // Lets the user choose the printer; false when cancelled.
  std::function<bool(QPrinter& printer, const QString& title, QWidget* parent)> choosePrinter;
  // Shows the page as it will print; `paint` draws it. False when the user closes the
  // preview without printing.
  std::function<bool(QPrinter& printer, const std::function<void(QPrinter*)>& paint,
                     QWidget* parent)>
      preview;
};
// The dialogs the command uses: the system's, unless a test put others in place.
PrintDialogs& PrintDialogEdges();

// Prints the open plan: printer, scale (the smallest that fits unless the user picks
// another), preview, page. `describe` names a product for the list. Nothing happens
// when a dialog is cancelled; a failure says what went wrong.
void PrintPlan(QWidget* parent, const QString& title, const QString& currentFile,
               const std::function<QString(int)>& describe);

}  // namespace tessel
