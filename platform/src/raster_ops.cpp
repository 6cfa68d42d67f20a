// Raster operations: which ternary codes read the source, which equal a binary one,
// and which binary ones may paint a pixel twice. The per-pixel operations themselves
// are in raster_p.h, where every family's loops inline them.
#include <cstdint>

#include "raster_p.h"

namespace plat {
namespace detail {

// Whether painting a pixel twice with the operation gives what painting it once does.
bool Idempotent(int rop) {
  switch (rop) {
    case R2_COPYPEN:
    case R2_NOTCOPYPEN:
    case R2_BLACK:
    case R2_WHITE:
    case R2_NOP:
    case R2_MASKPEN:
    case R2_MERGEPEN:
    case R2_MASKNOTPEN:
    case R2_MERGENOTPEN:
      return true;
    default:
      return false;
  }
}

bool UsesSource(std::uint8_t code) {
  return ((code >> 2) & 0x33) != (code & 0x33);
}

// The binary operation of pen P and destination D that a ternary code without the
// source equals on 8-bit pixels, or 0 when there is none.
int PatternRop2(std::uint8_t code) {
  switch (code) {
    case 0xF0:
      return R2_COPYPEN;
    case 0x0F:
      return R2_NOTCOPYPEN;
    case 0x00:
      return R2_BLACK;
    case 0xFF:
      return R2_WHITE;
    case 0x55:
      return R2_NOT;
    case 0x5A:
      return R2_XORPEN;
    case 0xA5:
      return R2_NOTXORPEN;
    case 0xAA:
      return R2_NOP;
    default:
      return 0;
  }
}

}  // namespace detail

using namespace detail;

}  // namespace plat
