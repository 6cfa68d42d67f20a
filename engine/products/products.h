// Products in the plan, hit areas, selection, moving, rotating and deleting.
#pragma once

#include <cstdint>

#include "core/core.h"

namespace vrx {

struct ProductState {
  // The bitmap file name of the product being placed.
  char fileName[kMaxFileName + 1] = {};
};
extern ProductState products;

long PutProduct();
long ShowProductlist(std::int32_t* numbers);
long DeleteSelectedObject();
long RotateTo(std::uint32_t angle);
long RotateBy(std::uint32_t angle);
long SelectObjectToCursor();
void ClearDrawnProducts();
void ClearHitAreas();
// Hover highlight and click selection through the hit areas.
void ClearHover();
void UpdateHover();
void SelectObjectAtCursor();

}  // namespace vrx
