// View > Free areas: the free area in front of each product as a tinted zone over the
// work window, red where the check finds it blocked. Painted over the window's
// picture only, never into the worksheet, so exports and prints stay as they were.
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
// `sheetToWidget` maps worksheet pixels to the work window's.
void PaintFreeAreas(QPainter& painter, const QList<FreeAreaShape>& shapes,
                    const QTransform& sheetToWidget);

}  // namespace tessel
