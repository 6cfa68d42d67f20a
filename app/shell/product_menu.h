// What a right click on a placed product offers: its properties (the mounting side or
// the angle, as the catalogue's dialogs ask them) and its position typed as distances
// from the walls, which moves it in one step that Undo takes back.
#pragma once

namespace tessel {

// The names of the menu and its items, for whoever looks them up.
inline constexpr char kProductMenuName[] = "mnProduct";
inline constexpr char kPropertiesItemName[] = "mnProperties";
inline constexpr char kPositionItemName[] = "mnPosition";

}  // namespace tessel
