/* The plan engine's entry. Everything the program wants from the engine goes
 * through CallTessel with a function code and up to five parameters; the results
 * and the records it fills are described with the codes below. */
#ifndef VRX232_H
#define VRX232_H

#ifdef __cplusplus
extern "C" {
#endif

long CallTessel(unsigned short code, unsigned int wParam0, unsigned int wParam1,
                unsigned int wParam2, long lParam0, long lParam1);
int fnVrx232(int value);

#ifdef __cplusplus
}
#endif

/* Function codes. */
enum {
  TC_SetWorkWindow = 1,
  TC_PassWindowMessage = 2,
  TC_PutWallRectangle = 3,
  TC_PutDiagonalCorner = 4,
  TC_PutRoundCorner = 5,
  TC_PutDoor = 6,
  TC_PutWindow = 7,
  TC_PutFreeWall = 8,
  TC_PutUserRect = 9,
  TC_PutUserCircle = 10,
  TC_PutProduct = 12,
  TC_LoadLayoutFile = 13,
  TC_LoadDesignFile = 14,
  TC_SaveLayoutFile = 15,
  TC_SaveDesignFile = 16,
  TC_ToggleRuler = 17,
  TC_ToggleWorkMode = 18,
  TC_SetSelectCursor = 19,
  TC_Undo = 20,
  TC_Redo = 21,
  TC_ClearDesign = 22,
  TC_SetZoomFactor = 23,
  TC_ShowProductlist = 25,
  TC_AdjustWindowBuffer = 26,
  TC_CursorPosition = 27,
  TC_SetMainWindow = 28,
  TC_DropCursor = 29,
  TC_NewLayout = 30,
  TC_DeleteSelectedObject = 31,
  TC_RotateTo = 32,
  TC_RotateBy = 33,
  TC_SelectObjectToCursor = 34,
  TC_GetInfo = 35,
  TC_GetObjectData = 36,
  TC_SetObjectData = 37,
  TC_SetLayoutMode = 38,
  TC_SetDesignMode = 39,
  TC_BitBltToWnde = 40,
  TC_WorkSheetToBMP = 41,
  TC_ToggleMeasurement = 42,
  /* Later additions, apart from the historic codes; 43-49 are not served. Each answers
   * 1 when it did something, 0 otherwise. */
  TC_MoveSelectedBy = 50,      /* wParam0, wParam1: signed worksheet pixels */
  TC_TurnSelectedBy = 51,      /* wParam0: signed degrees; wall-mounted: next wall side */
  TC_GetSelectionOutline = 52, /* lParam0: 8 ints, the selected outline in client pixels */
  TC_SelectByTag = 53          /* wParam0: a tag; selects that object as a click on it */
};

/* Results. */
enum {
  TR_Done = 0,
  TR_Failed = -1,
  TR_NoCountKey = -101,
  TR_FileUnreadable = -102,
  /* A save that could not be completed; the file that was there is kept unchanged. */
  TR_SaveFailed = -104,
  TR_PlacementFailed = -303,
  TR_NotInitialised = -601
};

/* A product's height band above the floor, in whole centimetres from its lower edge to
 * its upper edge, as the fifth value of PutProduct (code 12) and the product record's
 * l1 (GetObjectData, the plan file's product line): TC_BandMark, the lower edge in the
 * low TC_BandShift bits and the upper edge above them. Products whose bands do not
 * overlap may stand over one another in the plan. Any other fifth value (0, or the
 * plain height older programs pass) places the product without a band: it collides
 * with everything, as products always have, and its record keeps 0 there. */
enum { TC_BandMark = 0x40000000, TC_BandShift = 12, TC_BandLimit = 0xFFF };
static inline long TesselHeightBand(int bottom, int top) {
  if (bottom < 0 || top <= bottom || top > TC_BandLimit) return 0;
  return (long)(TC_BandMark | (top << TC_BandShift) | bottom);
}
static inline int TesselIsHeightBand(long value) {
  const unsigned long v = (unsigned long)value;
  const unsigned long bottom = v & TC_BandLimit, top = (v >> TC_BandShift) & TC_BandLimit;
  return (v & ~(unsigned long)(TC_BandMark | (TC_BandLimit << TC_BandShift) | TC_BandLimit)) == 0 &&
         (v & TC_BandMark) != 0 && bottom < top;
}
static inline int TesselBandBottom(long value) {
  return (int)((unsigned long)value & TC_BandLimit);
}
static inline int TesselBandTop(long value) {
  return (int)(((unsigned long)value >> TC_BandShift) & TC_BandLimit);
}
/* Filled by GetInfo (code 35): 22 signed 32-bit fields. */
typedef struct EngineInfo {
  int lCursorX;
  int lCursorY;
  int hdcWorkSheet;
  int hBmp;
  int hPal;
  int iSerial;
  int bWalls;
  int bWallRect;
  int bObjSel;
  int bUndoAvail;
  int bRedoAvail;
  int iSelProdId;
  int hwndMain;
  int bWinDoor;
  int bObjAtCur;
  int iBoundLeft;
  int iBoundTop;
  int iBoundRight;
  int iBoundBottom;
  int iWindowsVersion;
  int bSystemIsWin32;
  int iCountDesignItems;
} EngineInfo;

/* Read by GetObjectData (code 36), written by SetObjectData (code 37). */
typedef struct ObjectData {
  int iKindCode;
  int p0;
  int p1;
  int p2;
  int iSelection; /* tag + 1; 0 = nothing selected */
  int l0;
  int l1;
} ObjectData;

#ifdef __cplusplus
static_assert(sizeof(EngineInfo) == 22 * 4, "EngineInfo is 22 32-bit fields");
static_assert(sizeof(ObjectData) == 7 * 4, "ObjectData is 7 32-bit fields");
#endif

#endif
