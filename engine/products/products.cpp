// Products, hit areas and selection. Until products can be placed, nothing can be
// hovered or selected, and selection calls leave the plan as it is.
#include "products/products.h"

#include <cstring>

namespace vrx {

constinit ProductState products;

long PutProduct() {
  SetSelectCursor();
  const char* name = NameOf(core.request.l0);
  std::strncpy(products.fileName, name ? name : "", kMaxFileName);
  products.fileName[kMaxFileName] = '\0';
  return 0;
}

long ShowProductlist(std::int32_t* numbers) {
  if (!numbers) return -1;
  numbers[0] = 0;
  return 0;
}

long DeleteSelectedObject() {
  return 0;
}
long RotateTo(std::uint32_t) {
  return 0;
}
long RotateBy(std::uint32_t) {
  return 0;
}
long SelectObjectToCursor() {
  return 0;
}
void ClearDrawnProducts() {}
void ClearHitAreas() {
  pointer.hover = -1;
}
// No products are drawn yet: every place is free, and nothing is selectable.
bool PlaceIsFree(const plat::POINT*) {
  return true;
}
void RegisterHitArea(int, const plat::POINT*, int) {}
void ClearHover() {
  pointer.hover = -1;
}
void UpdateHover() {}
void SelectObjectAtCursor() {
  pointer.selected = false;
}

}  // namespace vrx
