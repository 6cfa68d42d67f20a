#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>

#include "dialogs/dialogs_p.h"
#include "language/language.h"
#include "shell/menu_items.h"

namespace tessel {

namespace {

// The tooltip of the toolbox button that opened the form.
QString ToolCaption(int tool) {
  return CaptionOr(kToolCaptionBase + tool, kOptionsCaption);
}

// The forms live as long as the application; they go before it does, while the
// windowing they belong to still exists.
QPointer<RectangleDialog> rectangleForm;
QPointer<CircleDialog> circleForm;
QPointer<RotateDialog> rotateForm;
QPointer<DoorDialog> doorForm;

void DeleteForms() {
  delete rectangleForm.data();
  delete circleForm.data();
  delete rotateForm.data();
  delete doorForm.data();
}

template <class Form>
Form& Instance(QPointer<Form>& slot) {
  static const bool registered = [] {
    qAddPostRoutine(&DeleteForms);
    return true;
  }();
  (void)registered;
  if (!slot) slot = new Form;
  return *slot;
}

}  // namespace

// ---- the one instance of each ----

RectangleDialog& RectangleForm() {
  return Instance(rectangleForm);
}
CircleDialog& CircleForm() {
  return Instance(circleForm);
}
RotateDialog& RotateForm() {
  return Instance(rotateForm);
}
DoorDialog& DoorForm() {
  return Instance(doorForm);
}

// ---- preparation per tool ----

namespace {

void PrepareRotatedShape(RectangleDialog& f, int tool) {
  const bool freeWall = tool == 4;
  f.Value(0)->setText(freeWall ? "116" : "80");
  f.Value(1)->setText(freeWall ? "15" : "80");
  f.Value(3)->setText("0");
  f.Value(3)->setVisible(true);
  f.Value(3)->setEnabled(true);
  f.Label(2)->setVisible(true);
  f.Label(6)->setVisible(true);
  f.Option1()->setVisible(false);
  f.Option2()->setVisible(false);
  // Each label names what its field holds: a wall has a thickness, a rectangle a width.
  f.Label(0)->setText(CaptionOr(kLengthNumber, kLengthText));
  f.Label(1)->setText(CaptionOr(freeWall ? kThicknessNumber : kWidthNumber, kRectangleLabel1));
  f.Label(2)->setText(CaptionOr(kRotationNumber, kRectangleLabel2));
  f.Label(6)->setText(CaptionOr(kDegreesNumber, kRectangleLabel6));
  f.DummyButton1()->setVisible(true);
  f.SizePicture()->setVisible(false);
  f.RotatePicture()->setVisible(true);
  f.SetValue3Left(2445);
  f.SetButtonsTop(3756);
  f.SetFormHeight(4626);
}

void PrepareWallRectangle(RectangleDialog& f, bool wallRectExists) {
  f.Value(0)->setText("450");
  f.Value(1)->setText("200");
  if (wallRectExists) {
    f.Value(3)->setText("0");
    f.Value(3)->setVisible(true);
    f.Value(3)->setEnabled(false);
    f.Label(6)->setVisible(true);
    f.Label(6)->setText(CaptionOr(kCentimetreNumber, "cm"));
    f.Label(2)->setVisible(false);
    f.Option1()->setVisible(true);
    f.Option2()->setVisible(true);
    f.Option2()->setChecked(true);
    f.SetValue3Left(4125);
    f.SetButtonsTop(4005);
    f.SetFormHeight(4875);
  } else {
    f.Value(3)->setText("0");
    f.Value(3)->setVisible(false);
    f.Label(2)->setVisible(false);
    f.Label(6)->setVisible(false);
    f.Option1()->setVisible(false);
    f.Option2()->setVisible(false);
    f.SetButtonsTop(1185);
    f.SetFormHeight(2055);
  }
  f.Label(0)->setText(CaptionOr(kLengthNumber, kLengthText));
  f.Label(1)->setText(CaptionOr(kWidthNumber, kRectangleLabel1));
  f.DummyButton1()->setVisible(false);
  f.SizePicture()->setVisible(false);
  f.RotatePicture()->setVisible(false);
}

void PrepareCorner(RectangleDialog& f) {
  f.Value(0)->setText("30");
  f.Value(1)->setText("30");
  f.Value(3)->setVisible(false);
  f.Label(2)->setVisible(false);
  f.Label(6)->setVisible(false);
  f.Option1()->setVisible(false);
  f.Option2()->setVisible(false);
  // The corner is cut between a point on each wall: the fields are the two legs.
  f.Label(0)->setText(CaptionOr(kFirstLegNumber, kLengthText));
  f.Label(1)->setText(CaptionOr(kSecondLegNumber, kRectangleLabel1));
  f.DummyButton1()->setVisible(true);
  f.SizePicture()->setVisible(true);
  f.RotatePicture()->setVisible(false);
  f.SetButtonsTop(3345);
  f.SetFormHeight(4215);
}

void PrepareOpening(DoorDialog& f, bool door) {
  f.Label(0)->setText(CaptionOr(door ? 2000 : 2100, kDoorLabel0));
  f.Value(0)->setText(door ? "80" : "60");
  f.Label(1)->setText(CaptionOr(door ? 2001 : 2101, kDoorLabel1));
  f.Label(5)->setText(CaptionOr(door ? 1905 : 1903, kDoorLabel5));
  if (!door) f.Label(7)->setText(CaptionOr(7000, kDoorLabel7));
  f.Value(1)->setText("90");
  for (int i = 0; i < 4; ++i) f.MountOption(i)->setVisible(door);
  f.Label(1)->setVisible(door);
  f.Value(1)->setVisible(door);
  f.Mounting()->setVisible(door);
  f.Label(5)->setVisible(door);
  f.Label(7)->setVisible(!door);
  f.PlaceOption(0)->setVisible(true);
  f.PlaceOption(1)->setVisible(true);
  f.PlaceOption(1)->setChecked(true);
  f.Value(2)->setText("0");
  f.Value(2)->setEnabled(false);
  f.SetButtonsTop(3705);
  f.SetFormHeight(4635);
}

}  // namespace

ObjectDialog* PrepareToolDialog(int tool, bool wallRectExists) {
  ObjectDialog* form = nullptr;
  switch (tool) {
    case 2:
    case 4: {
      RectangleDialog& f = RectangleForm();
      PrepareRotatedShape(f, tool);
      form = &f;
      break;
    }
    case 3: {
      CircleDialog& f = CircleForm();
      f.Value(0)->setText("80");
      form = &f;
      break;
    }
    case 5: {
      RectangleDialog& f = RectangleForm();
      PrepareWallRectangle(f, wallRectExists);
      form = &f;
      break;
    }
    case 6:
    case 7: {
      RectangleDialog& f = RectangleForm();
      PrepareCorner(f);
      form = &f;
      break;
    }
    case 8:
    case 9: {
      DoorDialog& f = DoorForm();
      PrepareOpening(f, tool == 8);
      form = &f;
      break;
    }
    default:
      return nullptr;
  }
  form->setWindowTitle(ToolCaption(tool));
  return form;
}

bool RunToolDialog(int tool, bool wallRectExists, QWidget* parent) {
  ObjectDialog* form = PrepareToolDialog(tool, wallRectExists);
  if (!form) {
    Dialog().cancelled = true;
    return false;
  }
  return form->Run(parent);
}

bool RunRotateDialog(QWidget* parent) {
  return RotateForm().Run(parent);
}

}  // namespace tessel
