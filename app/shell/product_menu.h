// What a right click on a placed product offers: its properties (the mounting side or
// the angle, as the catalogue's dialogs ask them) and its position typed as distances
// from the walls, which moves it in one step that Undo takes back.
#pragma once

namespace tessel {

// The engine's move of the selected object by an offset in worksheet pixels, in one
// history step; true when it moved, false when the engine refused (it would overlap a
// wall or an object of the same height, or leave the sheet), with everything left as
// it was.
bool MoveSelectedBy(int dx, int dy);

// The names of the menu and its items, for whoever looks them up.
inline constexpr char kProductMenuName[] = "mnProduct";
inline constexpr char kPropertiesItemName[] = "mnProperties";
inline constexpr char kPositionItemName[] = "mnPosition";

}  // namespace tessel
