// Helpers every window and dialog of the program shares: placement on the screen and
// the one rule that turns the text of an input box into a number.
#pragma once

#include <QString>
#include <cstdint>

class QDialog;
class QWidget;

namespace tessel {

// Puts the window in the middle of the screen it is on.
void CenterForm(QWidget* window);

// Shows a window of the program modally and, once it has closed, gives the keyboard
// back to the window that had it (the main window, or the dialog that opened this
// one), with the focus where it was. A plain window manager hands the keyboard to no
// window when a window closes, so without this the plan's keys (Esc abandons a hanging
// product) would go nowhere until the pointer crossed the window. Every window the
// program opens goes through here; the result is exec()'s.
int RunModal(QDialog& dialog);

// The keyboard to `window` (and to `focus` in it, when given) at once.
void GiveKeyboardBack(QWidget* window, QWidget* focus = nullptr);

// The whole number an input box stands for, always within [minimum, maximum]: an
// empty or non-numeric text gives the minimum, the number read from the start of
// the text is clamped and rounded halves to even. Never shows a message; the caller
// writes the result back where the correction should be seen.
std::int16_t CheckNumber(const QString& text, std::int16_t minimum, std::int16_t maximum);

}  // namespace tessel
