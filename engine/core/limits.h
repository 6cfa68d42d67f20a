// The engine's fixed sizes. Every table is statically allocated so a plan can never
// grow memory behind the program's back; each limit is checked against these names.
#pragma once

#include <cstdint>

namespace vrx {

// Object records: both lists plus every record still held by a saved history state.
constexpr int kMaxRecords = 1024;
// Entries of one list: the count and the entries fill a 1024-byte block that history
// states copy whole.
constexpr int kMaxListEntries = 511;
// Design tags start here, so one number names an entry of either list.
constexpr int kDesignTagBase = 511;
// History states kept for undo and redo.
constexpr int kHistoryStates = 32;
// Segments of the room outline, including installation walls and openings.
constexpr int kMaxWallSegments = 256;
// Positions a door or window may take: one line (or two points) per wall piece long
// enough; a room has far fewer straight pieces than this, so the rest are dropped.
constexpr int kMaxWallPartCandidates = 64;
// Corners a corner tool may cut: at most one per wall segment.
constexpr int kMaxCornerCandidates = kMaxWallSegments;
// Areas the pointer can hover and select.
constexpr int kMaxHitAreas = 128;
// Products drawn into the current worksheet.
constexpr int kMaxDrawnProducts = 64;
// Name kept per drawn product, terminator included: the longest path the program's
// file dialogs hand over.
constexpr int kDrawnNameSize = 260;
// Lines a wall-mounted product can snap to: one per wall or window run, four per
// installation wall (each side of its rectangle).
constexpr int kMaxWallLines = 4 * kMaxWallSegments;
// Side of a product bitmap in pixels: a product wider than the worksheet's diagonal
// could never be placed, so larger headers are refused before anything is allocated.
constexpr int kMaxProductSide = 2048;
// A product bitmap file: headers, a full colour table and the largest pixel rows.
constexpr long kMaxProductFileBytes = 14 + 124 + 4 * 256 + long{kMaxProductSide} * kMaxProductSide;
// Decoded product bitmaps kept between redraws, so that a redraw of a furnished plan
// does not read every bitmap file again. A plan rarely uses more distinct products.
constexpr int kBitmapCacheEntries = 32;
// Turned product pictures kept between redraws: a turned product looks the same
// wherever it stands, so each redraw copies it instead of turning it again. One per
// drawn product, within a memory budget that a few very large products cannot pass.
constexpr int kTurnedSpriteEntries = kMaxDrawnProducts;
constexpr long kTurnedSpriteBytes = 16L << 20;
// Longest file name a call may pass; longer names are cut.
constexpr int kMaxFileName = 1023;
// Kind names, terminator included.
constexpr int kKindNameSize = 12;
// A plan file's longest record line: its key, the kind, seven numbers and the longest
// file name, with their separators and line end.
constexpr long kMaxPlanLineBytes = 4 + kKindNameSize + 7 * 12 + kMaxFileName + 2;
// A plan file: both lists' records at their longest, twice over for the blanks and
// comments a hand edit may add. A larger file cannot be a plan and is refused before
// it is read.
constexpr long kMaxPlanFileBytes = 2 * (2 * kMaxListEntries + 4) * kMaxPlanLineBytes;

// The worksheet: two pixels per centimetre over 760 x 560 cm.
constexpr int kSheetWidth = 1520;
constexpr int kSheetHeight = 1120;

// Largest zoom in percent: 32 window pixels per worksheet pixel, far beyond the
// program's largest step, and small enough that a coordinate within kMaxCoordinate
// times it still fits in 32 bits.
constexpr int kMaxZoomPercent = 3200;
// Coordinates the view works with (centre, cursor, window pixels) stay within
// +/- this: far outside the worksheet and any screen.
constexpr int kMaxCoordinate = 1 << 18;
static_assert(std::int64_t{kMaxCoordinate} * 2 * kMaxZoomPercent < (std::int64_t{1} << 31));

}  // namespace vrx
