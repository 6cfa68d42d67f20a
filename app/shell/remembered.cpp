#include "shell/remembered.h"

#include <algorithm>

#include "shell/settings.h"

namespace tessel {

namespace {

const char kWindowSection[] = "Window";
const char kLeft[] = "Left";
const char kTop[] = "Top";
const char kWidth[] = "Width";
const char kHeight[] = "Height";
const char kMaximized[] = "Maximized";
const char kZoomSetting[] = "Zoom";
const char kRulerSetting[] = "Ruler";
const char kMeasurementSetting[] = "Measurement";
const char kOn[] = "1";
const char kOff[] = "0";

// No desktop is wider or higher than this; a larger number was not written by the
// planner and is not taken.
constexpr int kLargestCoordinate = 100000;

bool ReadNumber(const char* name, int minimum, int maximum, int* value) {
  bool ok = false;
  const int number = ReadSetting(kWindowSection, name, "").trimmed().toInt(&ok);
  if (!ok || number < minimum || number > maximum) return false;
  *value = number;
  return true;
}

bool ReadSwitch(const char* name, bool fallback) {
  const QString value = ReadSetting(kWindowSection, name, "").trimmed();
  if (value == kOn) return true;
  if (value == kOff) return false;
  return fallback;
}

}  // namespace

RememberedWindow ReadRememberedWindow() {
  RememberedWindow r;
  int left = 0, top = 0, width = 0, height = 0;
  if (ReadNumber(kLeft, -kLargestCoordinate, kLargestCoordinate, &left) &&
      ReadNumber(kTop, -kLargestCoordinate, kLargestCoordinate, &top) &&
      ReadNumber(kWidth, 1, kLargestCoordinate, &width) &&
      ReadNumber(kHeight, 1, kLargestCoordinate, &height))
    r.geometry = QRect(left, top, width, height);
  r.maximized = ReadSwitch(kMaximized, false);
  ReadNumber(kZoomSetting, kFirstUserZoom, kLastUserZoom, &r.zoomIndex);
  r.ruler = ReadSwitch(kRulerSetting, true);
  r.measurement = ReadSwitch(kMeasurementSetting, false);
  return r;
}

void WriteRememberedWindow(const RememberedWindow& r) {
  // One write of the settings file for all of them, not one per value.
  QList<QPair<QString, QString>> values;
  if (!r.geometry.isNull())
    values << qMakePair(QString(kLeft), QString::number(r.geometry.x()))
           << qMakePair(QString(kTop), QString::number(r.geometry.y()))
           << qMakePair(QString(kWidth), QString::number(r.geometry.width()))
           << qMakePair(QString(kHeight), QString::number(r.geometry.height()));
  values << qMakePair(QString(kMaximized), QString(r.maximized ? kOn : kOff))
         << qMakePair(QString(kZoomSetting), QString::number(r.zoomIndex))
         << qMakePair(QString(kRulerSetting), QString(r.ruler ? kOn : kOff))
         << qMakePair(QString(kMeasurementSetting), QString(r.measurement ? kOn : kOff));
  WriteSettings(kWindowSection, values);
}

QRect FitOnScreen(const QRect& saved, const QRect& available, const QSize& minimum) {
  if (saved.isNull() || !available.isValid()) return saved;
  const int width = std::max(std::min(saved.width(), available.width()), minimum.width());
  const int height = std::max(std::min(saved.height(), available.height()), minimum.height());
  // A window larger than the screen even at its minimum starts at the screen's corner.
  const int left = std::clamp(saved.x(), available.left(),
                              std::max(available.left(), available.right() + 1 - width));
  const int top = std::clamp(saved.y(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - height));
  return {left, top, width, height};
}

}  // namespace tessel
