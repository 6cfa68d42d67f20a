// The catalogue at a size far beyond the sample's: 20,000 products in 40 series. The
// program opens it while the main window starts, and re-queries it whenever the user
// changes a drop-down of the product bar, so both must feel immediate.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

#include "catalogue/catalogue.h"
#include "catalogue/product_row.h"

namespace {

constexpr int kProducts = 20000;
constexpr int kSeries = 40;
// Group numbers as the sample uses them, the never-offered ones included.
constexpr int kGroups[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                           14, 15, 16, 17, 18, 19, 20, 23, 26, 27, 28, 30, 31};
constexpr int kGroupCount = int(sizeof kGroups / sizeof kGroups[0]);
// The bar shows at most this many products, filled from the first records.
constexpr int kBarButtons = 16;

QString MakeCatalogue(const QString& folder) {
  const QString file = folder + "/katalog.db";
  QFile schemaFile(TESSEL_CATALOGUE_SCHEMA);
  if (!schemaFile.open(QIODevice::ReadOnly)) return QString();
  QStringList lines;
  for (const QString& line : QString::fromUtf8(schemaFile.readAll()).split('\n'))
    if (!line.trimmed().startsWith("--")) lines << line;
  bool ok = true;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make");
    db.setDatabaseName(file);
    ok = db.open() && db.transaction();
    for (const QString& statement : lines.join('\n').split(';')) {
      QSqlQuery q(db);
      if (ok && !statement.trimmed().isEmpty()) ok = q.exec(statement);
    }
    QSqlQuery insert(db);
    ok = ok && insert.prepare("INSERT INTO ltSerien VALUES (?, ?)");
    for (int s = 1; ok && s <= kSeries; ++s) {
      insert.addBindValue(s);
      insert.addBindValue(QString("Ostara Series %1").arg(s, 2, 10, QChar('0')));
      ok = insert.exec();
    }
    ok = ok && insert.prepare("INSERT INTO tProduktgruppen VALUES (?, ?, ?, ?)");
    for (int g : kGroups) {
      insert.addBindValue(g);
      insert.addBindValue(g);
      insert.addBindValue(QString("Group %1").arg(g));
      insert.addBindValue(QString("Gruppe %1").arg(g));
      ok = ok && insert.exec();
    }
    ok =
        ok && insert.prepare("INSERT INTO tKatalog VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int id = 1; ok && id <= kProducts; ++id) {
      const int series = 1 + id % kSeries;
      const int group = kGroups[(id / kSeries) % kGroupCount];
      const QVariantList values = {
          id,
          series,
          100000 + id,
          group,
          QString("Product %1").arg(id),
          QString("A long description of product %1, as the catalogue dialog shows it.").arg(id),
          QString("Produkt %1").arg(id),
          QString("Eine lange Beschreibung des Produkts %1.").arg(id),
          40 + id % 140,
          30 + id % 60,
          id % 7 == 0 ? QVariant() : QVariant(85),
          id % 50 == 0 ? QVariant() : QVariant(QString("p%1p2.bmp").arg(id, 5, 10, QChar('0'))),
          QVariant()};
      for (const QVariant& v : values) insert.addBindValue(v);
      ok = insert.exec();
    }
    ok = ok && db.commit();
    if (!ok) std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
    db.close();
  }
  QSqlDatabase::removeDatabase("make");
  return ok ? file : QString();
}

const QString& CatalogueFile() {
  static QTemporaryDir dir;
  static const QString file = MakeCatalogue(dir.path());
  return file;
}

// What the start does: open the file and the sets, fill the drop-downs, fill the bar.
void BM_OpenCatalogueAndFillBar(benchmark::State& state) {
  const QString file = CatalogueFile();
  for (auto _ : state) {
    tessel::Catalogue catalogue;
    if (catalogue.Open(file, "D") != tessel::CatalogueState::kOpen) {
      state.SkipWithError("the catalogue did not open");
      return;
    }
    benchmark::DoNotOptimize(catalogue.GroupNames());
    tessel::RecordSet& bar = catalogue.ProductBar();
    bar.MoveFirst();
    for (int i = 0; i < kBarButtons && !bar.Eof(); ++i, bar.MoveNext())
      benchmark::DoNotOptimize(bar.Field("Plangrafik"));
  }
  state.counters["products"] = kProducts;
}
BENCHMARK(BM_OpenCatalogueAndFillBar)->Unit(benchmark::kMillisecond);

// A series change: the series' group list, then the bar's products for series and group.
// The series take turns, more than are remembered, so every statement reads the file.
void BM_RequeryForDropDown(benchmark::State& state) {
  tessel::Catalogue catalogue;
  if (catalogue.Open(CatalogueFile(), "D") != tessel::CatalogueState::kOpen) {
    state.SkipWithError("the catalogue did not open");
    return;
  }
  const QStringList series = catalogue.SeriesNames();
  int turn = 0;
  for (auto _ : state) {
    const QString chosen = series[turn++ % series.size()];
    QStringList groups;
    catalogue.GroupsOfSeries(chosen, &groups);
    const std::optional<QString> group =
        (turn % 2 && !groups.isEmpty()) ? std::optional<QString>(groups.first()) : std::nullopt;
    catalogue.RequeryProductBar({chosen, group});
    benchmark::DoNotOptimize(catalogue.ProductBar().RecordCount());
  }
}
BENCHMARK(BM_RequeryForDropDown)->Unit(benchmark::kMillisecond);

// All series and all groups again, as after the start: answered from the snapshot the
// start made.
void BM_RequeryAllProducts(benchmark::State& state) {
  tessel::Catalogue catalogue;
  if (catalogue.Open(CatalogueFile(), "D") != tessel::CatalogueState::kOpen) {
    state.SkipWithError("the catalogue did not open");
    return;
  }
  for (auto _ : state) {
    catalogue.RequeryProductBar({});
    benchmark::DoNotOptimize(catalogue.ProductBar().RecordCount());
  }
}
BENCHMARK(BM_RequeryAllProducts)->Unit(benchmark::kMillisecond);

// The same statement read from the file every time: the largest query the bar can ask
// for when nothing is remembered, in the dialog's form with the long descriptions.
void BM_ReadAllProductsFromFile(benchmark::State& state) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "cold");
    db.setDatabaseName(CatalogueFile());
    db.setConnectOptions("QSQLITE_OPEN_READONLY");
    if (!db.open()) {
      state.SkipWithError("the catalogue did not open");
      return;
    }
    const QString sql = tessel::ToSqlite(tessel::CatalogueDialogStatement("D", {}));
    for (auto _ : state) {
      tessel::RecordSet set;
      set.Open(db, sql);
      benchmark::DoNotOptimize(set.RecordCount());
    }
    db.close();
  }
  QSqlDatabase::removeDatabase("cold");
}
BENCHMARK(BM_ReadAllProductsFromFile)->Unit(benchmark::kMillisecond);

// The hover look-up of a product's description by number.
// One press of a scroll button: the row moves one product on through the bar's set
// (forward to the end, then back), each button's record found again by its number.
void BM_ScrollStep(benchmark::State& state) {
  tessel::Catalogue catalogue;
  if (catalogue.Open(CatalogueFile(), "D") != tessel::CatalogueState::kOpen) {
    state.SkipWithError("the catalogue did not open");
    return;
  }
  tessel::RecordSet& bar = catalogue.ProductBar();
  tessel::ProductRow row;
  row.SetCount(kBarButtons);
  row.Fill(bar);
  bool back = false;
  for (auto _ : state) {
    if (row.Scroll(bar, back) == tessel::ProductRow::Scrolled::kAtEnd) back = !back;
  }
  state.counters["products"] = bar.RecordCount();
}
BENCHMARK(BM_ScrollStep)->Unit(benchmark::kMicrosecond);

void BM_ProductDescription(benchmark::State& state) {
  tessel::Catalogue catalogue;
  if (catalogue.Open(CatalogueFile(), "D") != tessel::CatalogueState::kOpen) {
    state.SkipWithError("the catalogue did not open");
    return;
  }
  qint64 id = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(catalogue.ProductDescription(id));
    id = id % kProducts + 1;
  }
}
BENCHMARK(BM_ProductDescription)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // The database driver is a plugin that Qt finds through its application object.
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
