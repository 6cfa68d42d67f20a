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
// Moves the selected product or user shape by worksheet pixels; 1 when it moved, 0
// when nothing is selected or it may not stand there (the plan is then unchanged).
long MoveSelectedBy(std::int32_t dx, std::int32_t dy);
// Turns the selected object by `delta` degrees, a wall-mounted product to its next
// wall side (clockwise for a positive delta); 1 when it turned, 0 otherwise.
long TurnSelectedBy(std::int32_t delta);
// The selected object's outline as four client points of the work window (x, y
// pairs); 1 when an object is selected, else 0 and nothing written.
long GetSelectionOutline(std::int32_t* corners);
// Selects the object behind a tag (layout list position, or design list position plus
// kDesignTagBase) as a click on it would: highlighted and fixed, so the outline above
// reports it. 1 when selected; 0, with the plan and its history untouched, when no
// drawn object has that tag, a click could not reach it (a layout object in design
// mode) or something hangs at the pointer.
long SelectByTag(std::uint32_t tag);
void ClearDrawnProducts();
void ClearHitAreas();
// Whether a quadrilateral of the worksheet is clear of everything drawn; user shapes
// count as paper.
bool PlaceIsFree(const plat::POINT corners[4]);
// Makes a polygon of the worksheet the object's area for hovering and selection; a
// negative tag, a full table or a polygon without four corners registers nothing.
void RegisterHitArea(int tag, const plat::POINT* polygon, int count);
// Takes the areas of one object out of the table, keeping the order of the rest.
void ForgetHitAreasOf(int tag);
// Hover highlight and click selection through the hit areas.
void ClearHover();
void UpdateHover();
void SelectObjectAtCursor();
// Lifts the object at a tag out of its list so that it hangs at the cursor, as a
// move starts. Returns the product number for a product, else 0; false in `lifted`
// when nothing could be lifted (the plan is then as before).
long LiftObject(int tag, bool* lifted);
// Erases a hanging product's outline that a pointer move's hiding left on screen for
// the showing after it, when that showing did not take it over.
void SettleProductFeedback();
// Decoded product bitmaps are released with the engine.
void ReleaseProductBitmaps();

}  // namespace vrx
