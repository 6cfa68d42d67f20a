// What the tool dialogs' forms share inside this folder: the numbers of their texts in
// the text table, the design texts shown where the table has none, the ranges of their
// values, their measures, and the small builders every form uses. Not for the rest of
// the program: dialogs.h is the contract.
#pragma once

#include <QRect>
#include <QString>
#include <initializer_list>

#include "dialogs/dialogs.h"

class QRadioButton;
class QWidget;

namespace tessel {

// Lengths in centimetres and angles in degrees that the tools accept.
constexpr NumberRange kLength{10, 600};
constexpr NumberRange kBreadth{10, 400};
constexpr NumberRange kRotation{0, 359};
constexpr NumberRange kDiameter{1, 400};
constexpr NumberRange kDoorWidth{10, 600};
constexpr NumberRange kSwing{0, 180};
// The longest wall the worksheet holds; an opening and its distance share it.
constexpr NumberRange kDistance{0, 600};

// The forms' design texts, shown only where the text table has none. Their numbers
// in the text table:
enum DialogText {
  kInfoNumber = 1900,
  kLengthNumber = 1901,
  kWidthNumber = 1902,
  kCentimetreNumber = 1903,
  kRotationNumber = 1904,
  kDegreesNumber = 1905,
  kDiameterNumber = 1906,
  kThicknessNumber = 1907,
  kFirstLegNumber = 1908,
  kSecondLegNumber = 1909,
  kFreePlacementNumber = 1910,
  kDistanceNumber = 1911,
  kRotateCaptionNumber = 1912,
  kMountingNumber = 2002,
  kFirstMountNumber = 2003,  // the four mountings follow in order
  kOkNumber = 2800,
  kCancelNumber = 2801,
};
constexpr const char* kOptionsCaption = "Optionsfenster";
constexpr const char* kInfoText = "Wählen Sie die gewünschte Größe";
constexpr const char* kFreePlacementText = " Frei platzierbar";
constexpr const char* kDistanceText = " Abstand zur nächsten Ecke:";
constexpr const char* kLengthText = "Länge:";
constexpr const char* kOkText = "&OK";
constexpr const char* kCancelText = "A&bbruch";
constexpr const char* kMountTexts[] = {" DIN links aussen", " DIN links innen",
                                       " DIN rechts aussen", " DIN rechts innen"};

// Design captions that the language tables replace when they have a text.
constexpr const char* kRectangleLabel1 = "Breite:";
constexpr const char* kRectangleLabel2 = "Rotation: ";
constexpr const char* kRectangleLabel6 = " Degrees";
constexpr const char* kDoorLabel0 = "Breite:";
constexpr const char* kDoorLabel1 = "Abstand vom Boden:";
constexpr const char* kDoorLabel5 = "cm";
constexpr const char* kDoorLabel7 = "Noch nix";

// Form widths in pixels; the heights come with each tool.
constexpr int kRectangleWidth = 360;
constexpr int kCircleWidth = 300;
constexpr int kRotateWidth = 260;
constexpr int kDoorWidthPixels = 360;

constexpr int kBoxWidth = 46;
constexpr int kRowHeight = 22;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kValue3Top = 216;

inline QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

QRadioButton* AddOption(QWidget* parent, const char* name, const char* text, const QRect& place);
// Option buttons of one choice. Without a group, buttons of a form would also exclude
// those inside its frames.
void Exclusive(QWidget* form, std::initializer_list<QRadioButton*> options);

// Line drawings that explain the numbers: a turned rectangle, a corner cut between two
// legs, a circle with its diameter.
enum class IllustrationKind { kRotatedRectangle, kCornerLegs, kCircle };
QWidget* NewIllustration(IllustrationKind kind, QWidget* parent);

}  // namespace tessel
