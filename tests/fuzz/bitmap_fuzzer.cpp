// Any bytes as a product bitmap: refused with a reason, or read into rows that lie
// wholly inside the bytes given, within the size every product bitmap keeps to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "core/limits.h"
#include "products/products_p.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (bool withPixels : {false, true}) {
    vrx::ProductBitmap b;
    const vrx::BitmapResult r = vrx::ReadProductBitmap(data, size, withPixels, &b);
    if (r == vrx::BitmapResult::kOk) {
      if (b.width < 1 || b.height < 1 || b.width > vrx::kMaxProductSide ||
          b.height > vrx::kMaxProductSide)
        std::abort();
      if (withPixels != (b.pixels != nullptr)) std::abort();
      if (b.pixels) {
        // Touch the last byte, so a short allocation shows.
        volatile std::uint8_t last =
            b.pixels[static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height) - 1];
        (void)last;
      }
    } else if (b.pixels) {
      std::abort();
    }
    vrx::FreeProductBitmap(&b);
  }
  return 0;
}
