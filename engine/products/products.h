// Products in the plan, hit areas, selection, moving, rotating and deleting.
#pragma once

#include <cstdint>

#include "core/core.h"
#include "platform/gdi.h"

namespace vrx {

struct ProductState {
  // The bitmap file name of the product being placed.
  char fileName[kMaxFileName + 1] = {};
};
extern constinit ProductState products;

long PutProduct();
long ShowProductlist(std::int32_t* numbers);
long DeleteSelectedObject();
long RotateTo(std::uint32_t angle);
long RotateBy(std::uint32_t angle);
long SelectObjectToCursor();
void ClearDrawnProducts();
void ClearHitAreas();
// Whether a quadrilateral of the worksheet is clear of the products already drawn.
bool PlaceIsFree(const plat::POINT corners[4]);
// Makes a polygon of the worksheet the object's area for hovering and selection.
void RegisterHitArea(int tag, const plat::POINT* polygon, int count);
// Hover highlight and click selection through the hit areas.
void ClearHover();
void UpdateHover();
void SelectObjectAtCursor();

}  // namespace vrx
