// The plan's colour table. The ends hold the 20 static colours of a 256-colour
// display; between them lie the plan's 30 further greys, the shape colours and a
// colour cube. The near-greys are chosen so that sorting the table by colourfulness
// and brightness puts the shape colours where the drawing code expects them.
#include <cstring>
#include <vector>

#include "view/view.h"

namespace vrx {
namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr Rgb kStaticLow[10] = {{0, 0, 0},       {128, 0, 0},    {0, 128, 0},   {128, 128, 0},
                                {0, 0, 128},     {128, 0, 128},  {0, 128, 128}, {192, 192, 192},
                                {192, 220, 192}, {166, 202, 240}};
constexpr Rgb kStaticHigh[10] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                 {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                 {0, 255, 255},   {255, 255, 255}};

struct IndexedGrey {
  int index;
  std::uint8_t level;
};
// The greys outside the static entries, by palette index.
constexpr IndexedGrey kGreys[] = {
    {11, 8},    {14, 16},   {18, 24},   {27, 33},   {33, 41},   {38, 49},   {47, 66},   {53, 74},
    {58, 82},   {66, 90},   {96, 99},   {98, 107},  {171, 115}, {172, 123}, {173, 132}, {174, 140},
    {176, 148}, {179, 156}, {182, 165}, {187, 173}, {192, 181}, {196, 189}, {200, 198}, {205, 206},
    {210, 214}, {216, 222}, {221, 231}, {230, 239}, {234, 247}, {245, 254}};

// Shape colours C and D; B is the static light grey at 247.
constexpr int kShapeC = 178;
constexpr int kShapeD = 209;

// Faintly blue greys: five darker than C, seven lighter than D. With the static cream
// they make C, B and D the sixth, seventh and eighth of the sixteen least colourful
// colours that are not pure grey.
constexpr Rgb kNearGreys[] = {{30, 30, 31},    {50, 50, 52},    {70, 70, 73},    {90, 90, 94},
                              {120, 120, 125}, {210, 210, 216}, {220, 220, 226}, {228, 228, 234},
                              {236, 236, 242}, {240, 240, 246}, {244, 244, 250}, {248, 248, 252}};

std::vector<plat::RGBQUAD> BuildTable() {
  std::vector<plat::RGBQUAD> table(256, plat::RGBQUAD{0, 0, 0, 0});
  std::vector<bool> used(256, false);
  auto put = [&](int index, Rgb c) {
    table[index] = plat::RGBQUAD{c.b, c.g, c.r, 0};
    used[index] = true;
  };
  for (int i = 0; i < 10; ++i) {
    put(i, kStaticLow[i]);
    put(246 + i, kStaticHigh[i]);
  }
  for (const auto& g : kGreys) put(g.index, Rgb{g.level, g.level, g.level});
  put(kShapeC, Rgb{140, 140, 156});
  put(kShapeD, Rgb{198, 198, 214});
  // The ruler's scale boxes: a pale paper colour under the black scale.
  if (!used[240]) put(240, Rgb{255, 255, 225});

  int next = 10;
  auto nextFree = [&]() {
    while (next < 246 && used[next]) ++next;
    return next;
  };
  for (const auto& c : kNearGreys) put(nextFree(), c);

  // The rest: a colour cube without its greys and without the static colours, all
  // far more colourful than the near-greys above.
  static constexpr std::uint8_t kLevels[] = {0, 51, 102, 153, 204, 255};
  for (auto r : kLevels) {
    for (auto g : kLevels) {
      for (auto b : kLevels) {
        if (r == g && g == b) continue;
        bool isStatic = false;
        for (const auto& s : kStaticHigh) isStatic |= s.r == r && s.g == g && s.b == b;
        if (isStatic || nextFree() >= 246) continue;
        put(next, Rgb{r, g, b});
      }
    }
  }
  return table;
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::vector<std::uint8_t> BuildBitmap() {
  const auto table = BuildTable();
  std::vector<std::uint8_t> out;
  const std::uint32_t offBits = 14 + 40 + 256 * 4;
  const std::uint32_t size = offBits + 4;  // one pixel, padded to a row of 4 bytes
  Put16(out, 0x4D42);
  Put32(out, size);
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, 40);
  Put32(out, 1);  // width
  Put32(out, 1);  // height
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, plat::BI_RGB);
  Put32(out, 4);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 256);
  Put32(out, 0);
  for (const auto& q : table) {
    out.push_back(q.rgbBlue);
    out.push_back(q.rgbGreen);
    out.push_back(q.rgbRed);
    out.push_back(0);
  }
  Put32(out, 255);  // the pixel: white
  return out;
}

}  // namespace

const std::uint8_t* PlanPaletteBitmap(std::size_t* size) {
  // Built on first use and never destroyed: the engine's end may still need it after
  // the destructors of function-local statics have run.
  static const auto& bitmap = *new std::vector<std::uint8_t>(BuildBitmap());
  *size = bitmap.size();
  return bitmap.data();
}

}  // namespace vrx
