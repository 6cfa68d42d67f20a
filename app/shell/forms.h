// Helpers every window and dialog of the program shares: placement on the screen and
// the one rule that turns the text of an input box into a number.
#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace tessel {

// Puts the window in the middle of the screen it is on.
void CenterForm(QWidget* window);

// The whole number an input box stands for, always within [minimum, maximum]: an
// empty or non-numeric text gives the minimum, the number read from the start of
// the text is clamped and rounded halves to even. Never shows a message; the caller
// writes the result back where the correction should be seen.
std::int16_t CheckNumber(const QString& text, std::int16_t minimum, std::int16_t maximum);

}  // namespace tessel
