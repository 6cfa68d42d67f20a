// The one way into the engine. Every request of the program goes through
// vCallTessel, which decides per function code which arguments reach the engine,
// refuses everything until the work window exists, and shows the error text of a
// failing result before repainting the view.
#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>

#include "vrx232.h"

namespace tessel {

// The engine's entry, as loaded; tests put a double in its place.
using EngineEntry = long (*)(unsigned short, unsigned int, unsigned int, unsigned int, long, long);

// What the engine's product list may hold: a number for every entry of the lists and
// the closing 0.
constexpr int kProductListCapacity = 513;

struct BridgeState {
  std::uint32_t workWindowHandle = 0;  // 0 until the view is bound: no call reaches the engine
  std::int16_t lastEngineResult = 0;
  EngineInfo infoRecord{};
  ObjectData objectDataRead{};
  ObjectData objectDataWrite{};
  std::int32_t productListBuffer[kProductListCapacity] = {};
  // The view as the program keeps it, for the repaint after a failure.
  double viewCenterX = 760;
  std::int16_t viewCenterY = 560;
  std::int16_t zoomIndex = 2;
  float zoomTable[10] = {0.25f, 0.35f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 3.0f, 4.0f, 0.0f};
};
BridgeState& Bridge();

// Loads libvrx232.so from the program folder on first use; null when it cannot be.
EngineEntry Engine();
// Why the engine could not be loaded, for the messages that say so.
QString EngineLoadError();
void SetEngineForTesting(EngineEntry entry);

long vCallTessel(std::int16_t code, std::int32_t p0, std::int32_t p1, std::int32_t p2,
                 const QVariant& lParam0 = {}, std::int32_t lParam1 = 0);
void ReadInfo();
std::int32_t ReadObjectData();
QVariant WriteObjectData();
// Maps an engine result to its error text and shows it; the button that closed the
// box, or 1 when nothing was shown.
int ShowEngineError(std::int16_t result, const QVariant& first = {}, const QVariant& second = {});
// The caption and text ShowEngineError shows for a result, for those who say it
// elsewhere (the window-less commands on the terminal); false when it shows none.
bool EngineErrorText(long result, const QVariant& first, const QVariant& second, QString* caption,
                     QString* text);
// The error-table number of an engine result; 0 for results without one.
int ErrorNumberOf(long result);

// The error table's caption and text of a number; false when it has no row or no
// table is open. Installed by the language module.
using ErrorLookup = bool (*)(int number, QString* caption, QString* text);
void SetErrorLookup(ErrorLookup lookup);

}  // namespace tessel
