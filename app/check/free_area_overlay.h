// View > Free areas: the free area in front of each product as a tinted zone over the
// work window, red where the check finds it blocked. Painted over the window's
// picture only, never into the worksheet, so exports stay as they were; the printed
// page draws the same zones itself, hatched, when the user asks for them.
//
// The setting the zones are measured for (private, barrier-free, wheelchair) is one
// for the plan check and the work window, and the program remembers it.
#pragma once

#include <QList>
#include <QPolygonF>
#include <QTransform>

#include "check/plan_check.h"

class QPainter;

namespace tessel {

struct FreeAreaShape {
  QPolygonF area;  // worksheet pixels
  bool blocked = false;
};
QList<FreeAreaShape> FreeAreaShapes(const PlanText& plan, const CheckCatalogue& catalogue,
                                    FreeAreaSetting setting);
FreeAreaSetting ReadFreeAreaSetting();
// False, after telling the user, when the choice could not be kept for the next run.
bool SaveFreeAreaSetting(FreeAreaSetting setting);

// `sheetToWidget` maps worksheet pixels to the work window's.
void PaintFreeAreas(QPainter& painter, const QList<FreeAreaShape>& shapes,
                    const QTransform& sheetToWidget);

}  // namespace tessel
