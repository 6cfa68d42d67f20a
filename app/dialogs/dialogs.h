// The tool dialogs: the forms that collect the numbers for the drawing tools (user
// rectangle, user circle, free wall, wall rectangle, diagonal and round corner, door,
// window) and for a rotation, and the results they leave for the code that opened
// them. The forms only collect and limit numbers; the caller hands them to the engine.
//
// Each form is one instance, made on first use and hidden, not destroyed, after OK or
// Cancel, so that the options last chosen carry over to the next showing.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessel {

// What the last object dialog was left with, shared by every object dialog. The code
// that opens a dialog sets cancelled; only OK clears it and writes the values.
struct DialogResults {
  bool cancelled = true;
  std::int32_t value1 = 0;  // width, length, diameter or angle
  std::int32_t value2 = 0;  // breadth, thickness, second leg or door swing
  std::int16_t value3 = 0;  // rotation or distance; kFreePlacement for free placement
  std::int32_t flags = 0;   // door mounting: bit 0 opens inwards, bit 1 hinge on the right
};
DialogResults& Dialog();

// The third value that asks the engine for free placement instead of a distance from
// the nearest corner.
constexpr std::int16_t kFreePlacement = 32767;

// Window measures are given in twips, 15 to a pixel; rounded to the nearest pixel.
int TwipsToPixels(int twips);

// The smallest and largest number a value box stands for.
struct NumberRange {
  std::int16_t minimum;
  std::int16_t maximum;
};

// What every object dialog shares: value boxes that select their whole text when they
// take the focus and show their limited number when they lose it, OK and Cancel, and
// the placement of the buttons and the form's height given in twips.
class ObjectDialog : public QDialog {
  Q_OBJECT

 public:
  // Marks the results cancelled, shows the form modally over parent's window (which
  // may be null) and tells whether OK closed it.
  bool Run(QWidget* parent);

  void SetButtonsTop(int twips);
  void SetFormHeight(int twips);

  // The value box or label of that index; null for an index the form does not have.
  QLineEdit* Value(int index) const;
  QLabel* Label(int index) const;
  QLabel* InfoLabel() const { return info_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // Cancel, Escape and the window's close box all leave the results cancelled.
  void reject() override;

 protected:
  ObjectDialog(const char* name, const QString& caption, int width);

  QLineEdit* AddValue(int index, const QString& text, const QRect& place,
                      std::function<NumberRange()> range);
  QLabel* AddLabel(int index, const QString& text, const QRect& place);
  void AddButtons(int topTwips);
  // The number box index stands for, within range.
  std::int16_t Number(int index, NumberRange range) const;
  // A form made wider for its captions: the instruction line and the buttons stay centred.
  void SetFormWidth(int pixels);

  // Writes the results of OK; the form hides afterwards.
  virtual void Confirm() = 0;
  // Puts the texts of the chosen language on the form's fixed captions; run before every
  // showing, so a form made before the language was open still speaks it.
  virtual void ApplyTexts();

  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Limit(std::size_t index);

  std::array<QLineEdit*, 4> values_{};
  std::array<std::function<NumberRange()>, 4> ranges_{};
  std::array<QLabel*, 8> labels_{};
  QLabel* info_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool centred_ = false;
};

// frmRectangle: two sizes and a third value, for the user rectangle, the free wall,
// the wall rectangle and the two corner tools. Value(0) is the length or first leg,
// Value(1) the breadth, thickness or second leg, Value(3) the rotation or, for the
// wall rectangle, the distance from the nearest corner.
class RectangleDialog : public ObjectDialog {
  Q_OBJECT

 public:
  RectangleDialog();

  QLabel* Separator() const { return separator_; }    // Label1, the "X" between the sizes
  QRadioButton* Option1() const { return option1_; }  // at a distance from the corner
  QRadioButton* Option2() const { return option2_; }  // free placement
  QWidget* RotatePicture() const { return picRotate_; }
  QWidget* SizePicture() const { return picSize_; }
  QFrame* DummyButton1() const { return dummy_; }

  // Moves Value(3) and its unit label together.
  void SetValue3Left(int twips);

 protected:
  void Confirm() override;
  void ApplyTexts() override;

 private:
  QLabel* separator_ = nullptr;
  QRadioButton* option1_ = nullptr;
  QRadioButton* option2_ = nullptr;
  QWidget* picRotate_ = nullptr;
  QWidget* picSize_ = nullptr;
  QFrame* dummy_ = nullptr;
};

// frmCircle: the diameter of the user circle in Value(0).
class CircleDialog : public ObjectDialog {
  Q_OBJECT

 public:
  CircleDialog();
  QWidget* Shape1() const { return shape_; }

 protected:
  void Confirm() override;
  void ApplyTexts() override;

 private:
  QWidget* shape_ = nullptr;
};

// frmRotate: one angle in Value(0), left in value1.
class RotateDialog : public ObjectDialog {
  Q_OBJECT

 public:
  RotateDialog();

 protected:
  void Confirm() override;
  void ApplyTexts() override;
};

// frmDoor: doors and windows. Value(0) the width, Value(1) the door's swing, Value(2)
// the distance from the nearest corner; the mounting options give the door's flags.
class DoorDialog : public ObjectDialog {
  Q_OBJECT

 public:
  DoorDialog();

  QGroupBox* Mounting() const { return mounting_; }
  // optMount(0..3): hinge left outwards, left inwards, right outwards, right inwards.
  QRadioButton* MountOption(int index) const;
  // optPlace(0) at a distance from the corner, optPlace(1) free placement.
  QRadioButton* PlaceOption(int index) const;
  std::int16_t MountingIndex() const { return mountingIndex_; }

 protected:
  void Confirm() override;
  void ApplyTexts() override;

 private:
  QGroupBox* mounting_ = nullptr;
  QLabel* distanceUnit_ = nullptr;
  std::array<QRadioButton*, 4> mount_{};
  std::array<QRadioButton*, 2> place_{};
  std::int16_t mountingIndex_ = 0;

  void FitCaptions();
};

// The one instance of each form, made on first use.
RectangleDialog& RectangleForm();
CircleDialog& CircleForm();
RotateDialog& RotateForm();
DoorDialog& DoorForm();

// Prepares the dialog of toolbox tool 2-9 (user rectangle, user circle, free wall,
// wall rectangle, diagonal corner, round corner, door, window) for that tool, shows it
// modally and tells whether it was confirmed; the values are then in Dialog().
// wallRectExists: the engine reports a room, so the wall rectangle asks where to go.
// False at once for any other tool.
bool RunToolDialog(int tool, bool wallRectExists, QWidget* parent);
// The same preparation without showing the form, for code that fills the fields with
// an existing object's values before showing it; null for a tool without a dialog.
ObjectDialog* PrepareToolDialog(int tool, bool wallRectExists);

// Asks for a rotation angle (0-359), left in Dialog().value1 when confirmed.
bool RunRotateDialog(QWidget* parent);

}  // namespace tessel
