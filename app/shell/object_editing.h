// Editing a placed object: a click with a button other than the left one opens the
// dialog of the selected object's kind with the object's values, and OK writes the
// changed values back in one history step. The table of what each kind takes is plain
// code; the widgets only fill and show the dialogs.
#pragma once

#include "dialogs/dialogs.h"
#include "vrx232.h"

class QWidget;

namespace tessel {

// How an object of a kind is edited.
struct EditPlan {
  int tool = -1;              // the toolbox tool whose dialog edits it; -1 when none does
  int valuesWritten = 0;      // how many of p0, p1, p2 the dialog gives back
  bool flagsWritten = false;  // l0 too: the door's mounting (kept by windows as well)
};
EditPlan EditPlanOf(int kindCode);

// The record to write back: the one read, with the dialog's values in the fields the
// kind takes from it and everything else as it was.
ObjectData EditedObject(const ObjectData& read, const DialogResults& d, const EditPlan& plan);

// Reads the selected object, shows its dialog and writes the values back; true when
// the object was changed. Nothing happens without a selection or for a kind that has
// no dialog here: corners and wall rectangles have none, and products are edited in
// the product bar's dialogs.
bool EditSelectedObject(QWidget* parent);

}  // namespace tessel
