#include "shell/object_editing.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "shell/engine_bridge.h"
#include "shell/menu_items.h"

namespace tessel {

namespace {

// The kinds the engine names by the code that places them.
enum Kind {
  kDoorKind = 6,
  kWindowKind = 7,
  kFreeWallKind = 8,
  kUserRectKind = 9,
  kUserCircleKind = 10
};

// The dialog shows the object as it stands, not the tool's defaults.
void FillDialog(ObjectDialog& form, const ObjectData& o, const EditPlan& plan) {
  form.Value(0)->setText(QString::number(o.p0));
  if (plan.tool == kDoorTool || plan.tool == kWindowTool) {
    auto& door = static_cast<DoorDialog&>(form);
    // A window keeps its hidden second value and its mounting as they are.
    door.Value(1)->setText(QString::number(o.p1));
    door.MountOption(o.l0 & 3)->setChecked(true);
    const bool free = o.p2 == kFreePlacement;
    door.PlaceOption(free ? 1 : 0)->setChecked(true);
    door.Value(2)->setText(QString::number(free ? 0 : o.p2));
    door.Value(2)->setEnabled(!free);
  } else if (plan.tool == kFreeWallTool || plan.tool == kUserRectTool) {
    form.Value(1)->setText(QString::number(o.p1));
    form.Value(3)->setText(QString::number(o.p2));
  }
}

}  // namespace

EditPlan EditPlanOf(int kindCode) {
  switch (kindCode) {
    case kDoorKind:
      return {kDoorTool, 3, true};
    case kWindowKind:
      return {kWindowTool, 3, true};
    case kFreeWallKind:
      return {kFreeWallTool, 3, false};
    case kUserRectKind:
      return {kUserRectTool, 3, false};
    case kUserCircleKind:
      return {kUserCircleTool, 1, false};
    default:
      return {};
  }
}

ObjectData EditedObject(const ObjectData& read, const DialogResults& d, const EditPlan& plan) {
  ObjectData o = read;
  if (plan.valuesWritten >= 1) o.p0 = d.value1;
  if (plan.valuesWritten >= 2) o.p1 = d.value2;
  if (plan.valuesWritten >= 3) o.p2 = d.value3;
  if (plan.flagsWritten) o.l0 = d.flags;
  return o;
}

bool EditSelectedObject(QWidget* parent) {
  BridgeState& b = Bridge();
  if (ReadObjectData() != 0) return false;
  // Without a selection the engine reports kind 0, which no dialog edits.
  const EditPlan plan = EditPlanOf(b.objectDataRead.iKindCode);
  if (plan.tool < 0) return false;
  ObjectDialog* form = PrepareToolDialog(plan.tool, false);
  if (!form) return false;
  FillDialog(*form, b.objectDataRead, plan);
  if (!form->Run(parent)) return false;
  b.objectDataWrite = EditedObject(b.objectDataRead, Dialog(), plan);
  WriteObjectData();
  return true;
}

}  // namespace tessel
