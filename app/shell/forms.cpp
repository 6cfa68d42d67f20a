#include "shell/forms.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tessel {

void CenterForm(QWidget* window) {
  if (!window) return;
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  const QSize size = window->frameGeometry().size();
  window->move(area.x() + (area.width() - size.width()) / 2,
               area.y() + (area.height() - size.height()) / 2);
}

namespace {

// The window the keyboard belongs to when no window has it: the visible main window.
QWidget* MainWindowOf(const QDialog& dialog) {
  if (QWidget* parent = dialog.parentWidget()) return parent->window();
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "frmMain" && top->isVisible()) return top;
  return nullptr;
}

}  // namespace

void GiveKeyboardBack(QWidget* window, QWidget* focus) {
  if (!window || !window->isVisible()) return;
  window->activateWindow();
  if (focus && focus->window() == window && focus->isVisible()) focus->setFocus();
}

int RunModal(QDialog& dialog) {
  QPointer<QWidget> owner = QApplication::activeWindow();
  if (!owner || owner == &dialog) owner = MainWindowOf(dialog);
  QPointer<QWidget> focus = QApplication::focusWidget();
  const int result = dialog.exec();
  // A window that went away meanwhile (a dialog that hid itself to place a product)
  // hands on to the main window.
  if (owner && owner->isVisible())
    GiveKeyboardBack(owner, focus);
  else
    GiveKeyboardBack(MainWindowOf(dialog));
  return result;
}

namespace {

// Whether the whole text, blanks around it aside, is one decimal number (sign,
// digits, point, exponent); hexadecimal, infinities and NaN are not numbers here.
bool IsNumeric(const std::string& s) {
  std::size_t i = 0, n = s.size();
  while (i < n && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  while (n > i && std::isspace(static_cast<unsigned char>(s[n - 1]))) --n;
  if (i == n) return false;
  if (s[i] == '+' || s[i] == '-') ++i;
  std::size_t digits = 0;
  while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == n;
}

// The number at the start of the text: blanks, a sign, digits, a decimal part.
double LeadingNumber(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  double value = 0;
  for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i)
    value = value * 10 + (s[i] - '0');
  if (i < s.size() && s[i] == '.') {
    double scale = 0.1;
    for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i, scale /= 10)
      value += (s[i] - '0') * scale;
  }
  return negative ? -value : value;
}

}  // namespace

std::int16_t CheckNumber(const QString& text, std::int16_t minimum, std::int16_t maximum) {
  const std::string s = text.toStdString();
  if (s.empty() || !IsNumeric(s)) return minimum;
  const double value = LeadingNumber(s);
  if (value < minimum) return minimum;
  if (value > maximum) return maximum;
  // Rounds halves to the even neighbour, as the default rounding mode does.
  return static_cast<std::int16_t>(std::nearbyint(value));
}

}  // namespace tessel
