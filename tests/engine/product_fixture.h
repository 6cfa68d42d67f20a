// A room in a headless work window, with product bitmaps in a private folder, and the
// moves a user makes: pointing at a worksheet pixel, dropping, placing products.
#pragma once

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "geometry/geometry.h"
#include "products/products.h"
#include "products/products_p.h"
#include "scenes.h"
#include "support/bmp_writer.h"
#include "work_window.h"

class ProductTest : public WorkWindowTest {
 protected:
  void SetUp() override {
    WorkWindowTest::SetUp();
    dir = std::filesystem::temp_directory_path() /
          ("tessel-products-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Bitmap("basin-2.bmp", 61, 40, BasinPixel);
    Bitmap("tub-2.bmp", 160, 90, TubPixel);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    WorkWindowTest::TearDown();
  }

  void Bitmap(const std::string& name, int w, int h, std::uint8_t (*pixel)(int, int, int, int)) {
    WriteFile(dir / name, EightBitBmp(w, h, [&](int x, int y) { return pixel(x, y, w, h); }));
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }

  // Points at a worksheet pixel: the client pixel that the pointer mapping turns into
  // exactly that pixel at zoom 200.
  long MoveTo(int x, int y, unsigned buttons = 0) {
    const int z = vrx::view.zoom, r = vrx::view.rulerWidth;
    return PointAt((x - vrx::view.centerX) * z / 100 + (r + 600) / 2,
                   (y - vrx::view.centerY) * z / 100 + (r + 400) / 2, buttons);
  }
  void DropAt(int x, int y) {
    MoveTo(x, y);
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  }
  long Put(std::uint32_t number, std::uint32_t mounting, std::uint32_t angle,
           const std::string& name) {
    const std::string path = Path(name);
    return CallTessel(TC_PutProduct, number, mounting, angle, reinterpret_cast<long>(path.c_str()),
                      0);
  }
  // Places a product by pointing and dropping; false when the drop was refused.
  bool Place(std::uint32_t number, std::uint32_t mounting, std::uint32_t angle,
             const std::string& name, int x, int y) {
    if (Put(number, mounting, angle, name) != 0) return false;
    DropAt(x, y);
    return Info().bObjAtCur == 0;
  }
  // A product record put straight into the current list, as a loaded plan has it;
  // the next redraw draws it wherever it is.
  static int InsertProduct(const std::string& path, std::uint32_t number, int x, int y,
                           std::uint32_t mounting = 0, std::uint32_t angle = 0) {
    std::strncpy(vrx::products.fileName, path.c_str(), vrx::kMaxFileName);
    std::memset(&vrx::core.request, 0, sizeof vrx::core.request);
    vrx::core.request.x = static_cast<std::uint16_t>(x + vrx::view.roomOriginX);
    vrx::core.request.y = static_cast<std::uint16_t>(y + vrx::view.roomOriginY);
    vrx::core.request.p0 = number;
    vrx::core.request.p1 = mounting;
    vrx::core.request.p2 = angle;
    return vrx::InsertRequest("PRODUCT");
  }
  // The room every scene stands in: 600 x 500 pixels, walls at x 460 and 1060, y 310
  // and 810.
  void Room() {
    ASSERT_EQ(CallTessel(TC_PutWallRectangle, 300, 250, 32767, 0, 0), 0);
    DropAt(760, 560);
    ASSERT_EQ(vrx::walls.last, 3);
  }
  void Design() { ASSERT_EQ(CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0), 0); }
  std::vector<int> ProductList() {
    std::int32_t list[vrx::kMaxDrawnProducts + 1];
    CallTessel(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(list), 0);
    std::vector<int> out;
    for (int i = 0; i <= vrx::kMaxDrawnProducts; ++i) {
      out.push_back(list[i]);
      if (list[i] == 0) break;
    }
    return out;
  }
  static std::uint8_t At(int x, int y) { return vrx::SheetPixel(x, y); }

  std::filesystem::path dir;
};
