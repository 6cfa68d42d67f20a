// The names of the program's commands. Menus, items, tools and zoom steps keep the
// numbers the plan files, the text table and the dispatcher have always used: an item's
// caption is its menu's caption number + 1 + its index, a tool's caption 1350 + its
// index, so the numbers are part of the contract and live here, once.
#pragma once

namespace tessel {

// The menus in the order of the menu bar; MenuClick's first argument.
enum class Menu { Project = 0, Edit = 1, View = 2, Help = 3 };

enum ProjectItem {
  kNew = 0,
  kOpen = 1,
  kSaveLayout = 3,
  kSaveLayoutAs = 4,
  kSave = 5,
  kSaveAs = 6,
  kAutoSave = 8,
  kPrint = 10,
  kExit = 12,
  kRecent1 = 14,
  kRecent4 = 17,
  // Numbered after the recent files so every older number keeps its caption; the menu
  // shows it below Print.
  kExportImage = 18,
  // Shown below "Export as image".
  kProperties = 19,
  // The fitter's checks, shown below the image export.
  kCheckPlan = 20,
  kQuantities = 21,
  kProjectItems = 22
};
enum EditItem {
  kUndo = 0,
  kRedo = 1,
  kRemoveAllProducts = 3,
  kRotateLeft = 5,
  kRotateRight = 6,
  kDuplicate = 7,
  kEditItems = 8
};
enum ViewItem {
  kRuler = 0,
  kMeasurement = 1,
  kLayoutModeItem = 3,
  kDesignModeItem = 4,
  kProductList = 6,
  kCatalogue = 7,
  kZoomToFit = 9,
  // The free areas in front of the products, over the work window.
  kFreeAreas = 10,
  kViewItems = 11
};
enum HelpItem { kHelpMode = 0, kAbout = 1, kSearch = 2, kShowHints = 3, kHelpItems = 4 };

// The toolbox buttons, two to a row.
enum Tool {
  kSelectTool = 0,
  kDeleteTool = 1,
  kUserRectTool = 2,
  kUserCircleTool = 3,
  kFreeWallTool = 4,
  kWallRectTool = 5,
  kDiagonalCornerTool = 6,
  kRoundCornerTool = 7,
  kDoorTool = 8,
  kWindowTool = 9,
  kToolCount = 10,
  kNoTool = kToolCount  // no button under the mouse
};
// The tools that only shape the room: shown in layout mode only.
constexpr int kFirstRoomTool = kWallRectTool;
// A tool's caption, tooltip and help text number: this base + the tool.
constexpr int kToolCaptionBase = 1350;

// Entries of the zoom table. The table has room for lower factors, but the user reaches
// only 50 % to 400 %, the entries the zoom box lists.
enum ZoomStep {
  kZoom25 = 0,
  kZoom35 = 1,
  kZoom50 = 2,
  kZoom75 = 3,
  kZoom100 = 4,
  kZoom150 = 5,
  kZoom200 = 6,
  kZoom300 = 7,
  kZoom400 = 8
};
constexpr int kFirstUserZoom = kZoom50, kLastUserZoom = kZoom400;

// Work modes as the engine and the program count them.
enum WorkMode : int { kDesignMode = 0, kLayoutMode = 5 };

}  // namespace tessel
