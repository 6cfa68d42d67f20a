// Scenes of drawing calls replayed through the drawing layer and compared byte for
// byte with the pixels a real GDI drew for the same calls (tests/data/gdi: each
// script beside the dumps it produced there).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "support/grey_surface.h"

using namespace plat;

namespace {

class Scene {
 public:
  ~Scene() {
    pictures_.clear();
    for (HGDIOBJ o : objects_) DeleteObject(o);
  }

  // Runs one line; false with a reason when the line is not understood.
  bool Run(const std::vector<std::string>& w, std::string* why) {
    const std::string& op = w[0];
    auto n = [&](std::size_t i) { return std::stoi(w.at(i)); };
    if (op == "surface") {
      pictures_[w[1]] = std::make_unique<GreySurface>(
          n(2), n(3), static_cast<std::uint8_t>(w.size() > 4 ? n(4) : 0));
      current_ = w[1];
      return true;
    }
    if (op == "use") return (current_ = w[1], pictures_.count(w[1]) == 1);
    if (!pictures_.count(current_)) return (*why = "no surface", false);
    const HDC dc = pictures_[current_]->dc;
    if (op == "pen") {
      static const std::map<std::string, int> styles{{"SOLID", PS_SOLID},
                                                     {"DASH", PS_DASH},
                                                     {"DOT", PS_DOT},
                                                     {"DASHDOT", PS_DASHDOT},
                                                     {"DASHDOTDOT", PS_DASHDOTDOT},
                                                     {"NULL", PS_NULL},
                                                     {"INSIDEFRAME", PS_INSIDEFRAME}};
      Select(dc, CreatePen(styles.at(w[1]), n(2), Colour(w, 3)));
    } else if (op == "brush") {
      if (w[1] == "hollow") {
        SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
      } else if (w[1] == "solid") {
        Select(dc, CreateSolidBrush(Colour(w, 2)));
      } else {
        static const std::map<std::string, int> hatches{
            {"HORIZONTAL", HS_HORIZONTAL}, {"VERTICAL", HS_VERTICAL}, {"FDIAGONAL", HS_FDIAGONAL},
            {"BDIAGONAL", HS_BDIAGONAL},   {"CROSS", HS_CROSS},       {"DIAGCROSS", HS_DIAGCROSS}};
        Select(dc, CreateHatchBrush(hatches.at(w[2]), Colour(w, 3)));
      }
    } else if (op == "rop2") {
      static const std::map<std::string, int> modes{{"BLACK", R2_BLACK},
                                                    {"NOTMERGEPEN", R2_NOTMERGEPEN},
                                                    {"MASKNOTPEN", R2_MASKNOTPEN},
                                                    {"NOTCOPYPEN", R2_NOTCOPYPEN},
                                                    {"MASKPENNOT", R2_MASKPENNOT},
                                                    {"NOT", R2_NOT},
                                                    {"XORPEN", R2_XORPEN},
                                                    {"NOTMASKPEN", R2_NOTMASKPEN},
                                                    {"MASKPEN", R2_MASKPEN},
                                                    {"NOTXORPEN", R2_NOTXORPEN},
                                                    {"NOP", R2_NOP},
                                                    {"MERGENOTPEN", R2_MERGENOTPEN},
                                                    {"COPYPEN", R2_COPYPEN},
                                                    {"MERGEPENNOT", R2_MERGEPENNOT},
                                                    {"MERGEPEN", R2_MERGEPEN},
                                                    {"WHITE", R2_WHITE}};
      SetROP2(dc, modes.at(w[1]));
    } else if (op == "polyfill") {
      SetPolyFillMode(dc, w[1] == "WINDING" ? WINDING : ALTERNATE);
    } else if (op == "stretchmode") {
      SetStretchBltMode(dc, w[1] == "COLORONCOLOR" ? COLORONCOLOR : BLACKONWHITE);
    } else if (op == "arcdir") {
      SetArcDirection(dc, w[1] == "CW" ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE);
    } else if (op == "bkmode") {
      SetBkMode(dc, w[1] == "TRANSPARENT" ? TRANSPARENT : OPAQUE);
    } else if (op == "bkcolor") {
      SetBkColor(dc, Colour(w, 1));
    } else if (op == "moveto") {
      MoveToEx(dc, n(1), n(2), nullptr);
    } else if (op == "lineto") {
      LineTo(dc, n(1), n(2));
    } else if (op == "rect") {
      Rectangle(dc, n(1), n(2), n(3), n(4));
    } else if (op == "ellipse") {
      Ellipse(dc, n(1), n(2), n(3), n(4));
    } else if (op == "roundrect") {
      RoundRect(dc, n(1), n(2), n(3), n(4), n(5), n(6));
    } else if (op == "arc" || op == "pie" || op == "chord") {
      auto fn = op == "arc" ? Arc : op == "pie" ? Pie : Chord;
      fn(dc, n(1), n(2), n(3), n(4), n(5), n(6), n(7), n(8));
    } else if (op == "polygon" || op == "polyline") {
      std::vector<POINT> pts;
      for (std::size_t i = 1; i + 1 < w.size(); i += 2) pts.push_back(POINT{n(i), n(i + 1)});
      const int count = static_cast<int>(pts.size());
      if (op == "polygon")
        Polygon(dc, pts.data(), count);
      else
        Polyline(dc, pts.data(), count);
    } else if (op == "fill") {
      HBRUSH b = CreateSolidBrush(Colour(w, 5));
      const RECT r{n(1), n(2), n(3), n(4)};
      FillRect(dc, &r, b);
      DeleteObject(b);
    } else if (op == "patblt") {
      PatBlt(dc, n(1), n(2), n(3), n(4), Rop(w[5]));
    } else if (op == "floodfill") {
      ExtFloodFill(dc, n(1), n(2), Colour(w, 3),
                   w.back() == "surface" ? FLOODFILLSURFACE : FLOODFILLBORDER);
    } else if (op == "setpixel") {
      SetPixel(dc, n(1), n(2), Colour(w, 3));
    } else if (op == "bitblt" || op == "stretchblt") {
      const HDC dst = pictures_.at(w[1])->dc;
      const HDC src = w[6] == "-" ? 0 : pictures_.at(w[6])->dc;
      if (op == "bitblt")
        BitBlt(dst, n(2), n(3), n(4), n(5), src, n(7), n(8), Rop(w[9]));
      else
        StretchBlt(dst, n(2), n(3), n(4), n(5), src, n(7), n(8), n(9), n(10), Rop(w[11]));
    } else if (op == "clip") {
      IntersectClipRect(dc, n(1), n(2), n(3), n(4));
    } else if (op == "noclip") {
      SelectClipRgn(dc, 0);
    } else if (op == "dump") {
      // The pixels as they are now: later lines may draw over them.
      const GreySurface& p = *pictures_.at(w[1]);
      Dump d{w[2], p.width, p.height, p.Rows()};
      dumps_.push_back(std::move(d));
    } else {
      return (*why = "unknown command " + op, false);
    }
    return true;
  }

  struct Dump {
    std::string file;
    int width, height;
    std::vector<std::uint8_t> pixels;
  };
  std::vector<Dump> dumps_;
  std::map<std::string, std::unique_ptr<GreySurface>> pictures_;

 private:
  void Select(HDC dc, HGDIOBJ o) {
    SelectObject(dc, o);
    objects_.push_back(o);
  }
  static COLORREF Colour(const std::vector<std::string>& w, std::size_t i) {
    if (w.at(i) == "rgb")
      return RGB(static_cast<std::uint8_t>(std::stoi(w.at(i + 1))),
                 static_cast<std::uint8_t>(std::stoi(w.at(i + 2))),
                 static_cast<std::uint8_t>(std::stoi(w.at(i + 3))));
    return DIBINDEX(static_cast<std::uint16_t>(std::stoi(w.at(i))));
  }
  static std::uint32_t Rop(const std::string& name) {
    static const std::map<std::string, std::uint32_t> rops{
        {"SRCCOPY", SRCCOPY},         {"SRCPAINT", SRCPAINT},   {"SRCAND", SRCAND},
        {"SRCINVERT", SRCINVERT},     {"SRCERASE", SRCERASE},   {"NOTSRCCOPY", NOTSRCCOPY},
        {"NOTSRCERASE", NOTSRCERASE}, {"MERGECOPY", MERGECOPY}, {"MERGEPAINT", MERGEPAINT},
        {"PATCOPY", PATCOPY},         {"PATPAINT", PATPAINT},   {"PATINVERT", PATINVERT},
        {"DSTINVERT", DSTINVERT},     {"BLACKNESS", BLACKNESS}, {"WHITENESS", WHITENESS}};
    const auto it = rops.find(name);
    return it != rops.end() ? it->second
                            : static_cast<std::uint32_t>(std::stoul(name, nullptr, 16));
  }
  std::vector<HGDIOBJ> objects_;
  std::string current_;
};

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> w;
  std::istringstream in(line.substr(0, line.find('#')));
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

// A binary PGM: its width, height and one byte per pixel.
bool ReadPgm(const std::filesystem::path& file, int* width, int* height,
             std::vector<std::uint8_t>* px) {
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int maxval = 0;
  if (!(in >> magic >> *width >> *height >> maxval) || magic != "P5") return false;
  in.get();
  px->resize(static_cast<std::size_t>(*width) * *height);
  return static_cast<bool>(
      in.read(reinterpret_cast<char*>(px->data()), static_cast<std::streamsize>(px->size())));
}

// Where two pictures differ, as a short list for the failure message.
std::string Differences(int width, const std::vector<std::uint8_t>& got,
                        const std::vector<std::uint8_t>& want) {
  std::ostringstream out;
  int shown = 0, total = 0;
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i] == want[i]) continue;
    if (shown++ < 12)
      out << " (" << i % width << "," << i / width << ") " << int{got[i]} << " not " << int{want[i]}
          << ";";
    ++total;
  }
  return std::to_string(total) + " pixels differ:" + out.str();
}

}  // namespace

class ReferenceScene : public ::testing::TestWithParam<std::string> {};

TEST_P(ReferenceScene, PixelsEqualWhatGdiDrew) {
  const std::filesystem::path dir = TESSEL_GDI_DATA;
  std::ifstream script(dir / (GetParam() + ".txt"));
  ASSERT_TRUE(script) << GetParam();
  Scene scene;
  int number = 0;
  for (std::string line; std::getline(script, line);) {
    ++number;
    const auto w = Words(line);
    if (w.empty()) continue;
    std::string why;
    ASSERT_TRUE(scene.Run(w, &why)) << GetParam() << ":" << number << ": " << why;
  }
  ASSERT_FALSE(scene.dumps_.empty());
  for (const auto& dump : scene.dumps_) {
    int width = 0, height = 0;
    std::vector<std::uint8_t> want;
    ASSERT_TRUE(ReadPgm(dir / dump.file, &width, &height, &want)) << dump.file;
    ASSERT_EQ(width, dump.width);
    ASSERT_EQ(height, dump.height);
    const bool same = dump.pixels == want;
    EXPECT_TRUE(same) << dump.file << ": " << Differences(width, dump.pixels, want);
    // Our own pixels beside the reference, to look at when they differ.
    if (const char* out = std::getenv("TESSEL_GDI_OUT"); out && !same) {
      std::ofstream o(std::filesystem::path(out) / dump.file, std::ios::binary);
      o << "P5\n" << width << " " << height << "\n255\n";
      o.write(reinterpret_cast<const char*>(dump.pixels.data()),
              static_cast<std::streamsize>(dump.pixels.size()));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Gdi, ReferenceScene,
                         ::testing::Values("rect-2px", "polygon-fill", "xor-twice", "floodfill",
                                           "stretch", "lines-2px", "wide-outlines", "fills",
                                           "blits", "ellipses"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::erase(name, '-');
                           return name;
                         });
