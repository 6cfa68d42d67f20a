// The plan check of the largest plan a file can hold: 511 room records (the room, a
// door, installation walls and shapes) and 511 furnishing records, 64 of them products
// (as many as the engine draws), each with a free area to test.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>

#include "check/free_area_overlay.h"
#include "check/live_distances.h"
#include "check/plan_check.h"

namespace {

// Positions in plan files are worksheet pixels less this offset.
constexpr int kOffset = 120;
constexpr int kListEntries = 511;
constexpr int kProducts = 64;

// Pictures of the two products' sizes, white round their rounded corners as the
// catalogue draws them, so that the check reads which of their pixels are drawn.
QString PictureOf(int product) {
  static QTemporaryDir folder;
  const QString file = folder.filePath(QString("p%1-2.bmp").arg(product));
  if (QFile::exists(file)) return file;
  const QSize size = product == 1 ? QSize(120, 96) : QSize(80, 120);
  QImage image(size, QImage::Format_Indexed8);
  image.setColorCount(256);
  for (int i = 0; i < 256; ++i) image.setColor(i, qRgb(i, i, i));
  image.fill(255);
  const int r = size.width() / 4;
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) {
      // The front corners are rounded: outside their quarter circles stays white.
      const int cx = std::clamp(x, r, size.width() - 1 - r),
                cy = std::max(y, size.height() - 1 - r);
      const bool corner = y > size.height() - 1 - r && (x < r || x > size.width() - 1 - r);
      if (!corner || (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) image.setPixel(x, y, 128);
    }
  image.save(file, "BMP");
  return file;
}

// `mount`: the mount code of every product; 0 stands them free, 1 hangs each on the
// wall nearest its place, as the engine draws a stored one. `pictures`: whether the
// products name pictures that can be read.
QByteArray LargestPlan(int mount = 0, bool pictures = false) {
  QStringList layout, design;
  layout << QString("WALLRECT,%1,%2,300,250,32767,0,0").arg(760 - kOffset).arg(560 - kOffset);
  layout << QString("DOOR,%1,%2,80,90,32767,1,0").arg(760 - kOffset).arg(310 - kOffset);
  while (layout.size() < kListEntries)
    layout << QString("USERRECT,%1,%2,20,10,0,0,0")
                  .arg(500 + layout.size() % 20 * 25 - kOffset)
                  .arg(400 + layout.size() / 20 * 10 - kOffset);
  for (int i = 0; i < kProducts; ++i)
    design << QString("PRODUCT,%1,%2,%3,%4,%5,%6,0")
                  .arg(520 + i % 8 * 70 - kOffset)
                  .arg(360 + i / 8 * 55 - kOffset)
                  .arg(1 + i % 2)
                  .arg(mount)
                  .arg(i % 4 * 90)
                  .arg(pictures ? PictureOf(1 + i % 2) : QString("p-2.bmp"));
  while (design.size() < kListEntries) design << "USERCRCL,400,400,10,0,0,0,0";
  QString text = QString("[Layout]\ncount=%1\n").arg(layout.size());
  for (int i = 0; i < layout.size(); ++i)
    text += QString("%1=%2\n").arg(i, 2, 10, QChar('0')).arg(layout[i]);
  text += QString("[Design]\ncount=%1\n").arg(design.size());
  for (int i = 0; i < design.size(); ++i)
    text += QString("%1=%2\n").arg(i, 2, 10, QChar('0')).arg(design[i]);
  return text.toUtf8();
}

// Basins and toilets, with the free areas the sample catalogue gives them.
tessel::CheckCatalogue Catalogue() {
  tessel::CheckCatalogue c;
  c.product = [](int id, int* group, QString* model, QString* name, double* w, double* d) {
    *group = id == 1 ? 1 : 3;
    *model = QString::number(id);
    *name = id == 1 ? "Basin" : "Toilet";
    *w = id == 1 ? 60 : 40;
    *d = id == 1 ? 48 : 60;
    return true;
  };
  c.rule = [](int group, tessel::FreeAreaSetting setting) {
    if (setting == tessel::FreeAreaSetting::kWheelchair)
      return tessel::FreeAreaRule{150, 150, 20, 75};
    return group == 1 ? tessel::FreeAreaRule{90, 55, 20, 75} : tessel::FreeAreaRule{80, 60, 20, 75};
  };
  return c;
}

void CheckOfTheLargestPlan(benchmark::State& state) {
  tessel::PlanText plan;
  if (!tessel::ParsePlanText(LargestPlan(static_cast<int>(state.range(1)), state.range(2) != 0),
                             &plan)) {
    state.SkipWithError("the plan does not parse");
    return;
  }
  const tessel::CheckCatalogue catalogue = Catalogue();
  const auto setting = static_cast<tessel::FreeAreaSetting>(state.range(0));
  qsizetype findings = 0;
  for (auto _ : state) {
    findings = tessel::CheckPlan(plan, catalogue, setting).size();
    benchmark::DoNotOptimize(findings);
  }
  state.counters["findings"] = static_cast<double>(findings);
}
// The private setting, and the wheelchair user's, whose 150 x 150 cm areas are the
// largest to search; the products standing free, or all hung on the walls, where
// they crowd one another.
BENCHMARK(CheckOfTheLargestPlan)
    ->ArgsProduct({{static_cast<int>(tessel::FreeAreaSetting::kPrivate),
                    static_cast<int>(tessel::FreeAreaSetting::kWheelchair)},
                   {0, 1},
                   {0, 1}})
    ->Unit(benchmark::kMillisecond);

// What the check adds to read a plan whose products all hang on walls: the wall lines
// the engine snaps them to, laid out from the plan's text, and each product stood on
// its line as the engine's redraw stands it.
void ProductsOfTheLargestPlanOnTheWalls(benchmark::State& state) {
  tessel::PlanText plan;
  if (!tessel::ParsePlanText(LargestPlan(1), &plan)) {
    state.SkipWithError("the plan does not parse");
    return;
  }
  const tessel::CheckCatalogue catalogue = Catalogue();
  const tessel::FloorMap floor(plan.layout);
  qsizetype products = 0;
  for (auto _ : state) {
    products = tessel::ProductsOf(plan, floor, catalogue, tessel::FreeAreaSetting::kPrivate).size();
    benchmark::DoNotOptimize(products);
  }
  state.counters["products"] = static_cast<double>(products);
}
BENCHMARK(ProductsOfTheLargestPlanOnTheWalls)->Unit(benchmark::kMillisecond);

// What View > Free areas adds to a full repaint of the work window: the zones of all
// 64 products painted over a window of 1000 x 700 at 50 %. The zones themselves are
// worked out once per change of the plan, which the check above measures.
void FreeAreasOverAFullRepaint(benchmark::State& state) {
  tessel::PlanText plan;
  if (!tessel::ParsePlanText(LargestPlan(), &plan)) {
    state.SkipWithError("the plan does not parse");
    return;
  }
  const QList<tessel::FreeAreaShape> shapes =
      tessel::FreeAreaShapes(plan, Catalogue(), tessel::FreeAreaSetting::kPrivate);
  QImage window(1000, 700, QImage::Format_RGB32);
  window.fill(Qt::white);
  QTransform map;
  map.translate(500 - 760 * 0.5, 350 - 560 * 0.5);
  map.scale(0.5, 0.5);
  for (auto _ : state) {
    QPainter painter(&window);
    tessel::PaintFreeAreas(painter, shapes, map);
    benchmark::DoNotOptimize(window.constBits());
  }
  state.counters["zones"] = static_cast<double>(shapes.size());
}
BENCHMARK(FreeAreasOverAFullRepaint)->Unit(benchmark::kMicrosecond);

// What a change of the plan costs the live distances: the counts in four directions and
// the wall lines, laid out again once (a drag's lift, a drop, an undo).
void LiveDistancesLaidOut(benchmark::State& state) {
  tessel::PlanText plan;
  if (!tessel::ParsePlanText(LargestPlan(), &plan)) {
    state.SkipWithError("the plan does not parse");
    return;
  }
  const tessel::CheckCatalogue catalogue = Catalogue();
  for (auto _ : state) {
    const tessel::DistanceMap map(plan, catalogue);
    benchmark::DoNotOptimize(map.Origin());
  }
}
BENCHMARK(LiveDistancesLaidOut)->Unit(benchmark::kMillisecond);

// What a pointer move costs while a product hangs in the largest plan: its place and
// the four distances. The counts are laid out once per change of the plan, outside the
// loop. Argument 0: a wall-mounted basin, placed against the nearest wall; 1: a
// free-standing toilet turned by 30 degrees, whose outline's slanted edges are walked
// row by row and column by column.
void LiveDistancesOfAPointerMove(benchmark::State& state) {
  tessel::PlanText plan;
  if (!tessel::ParsePlanText(LargestPlan(), &plan)) {
    state.SkipWithError("the plan does not parse");
    return;
  }
  const tessel::DistanceMap map(plan, Catalogue());
  const tessel::HangingProduct product =
      state.range(0) == 0 ? tessel::HangingProduct{1, 5, 0} : tessel::HangingProduct{2, 0, 30};
  int step = 0, sum = 0;
  for (auto _ : state) {
    const QPointF pointer(600 + step % 300, 700 + step % 50);
    ++step;
    const std::array<int, 4> d = map.Distances(map.Place(product, pointer));
    sum += d[0] + d[3];
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(LiveDistancesOfAPointerMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
