// Builds the catalogue database from its text sources: the schema, then one table per
// tab-separated file (first field the id, the rest the columns in table order; "\n"
// stands for a line break, an empty field is Null, a line starting with "#" is a note).
// Then draws every product's plan bitmaps and small picture into images/ beside it.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "drawing.h"

namespace {

// One pixel of a plan bitmap is 5 mm, as in the plan itself.
constexpr double kPixelsPerCm = 2.0;
// Contours of the plan bitmaps are two pixels wide so that they stay visible when the
// view shows the plan at half size; the small pictures are drawn with single pixels.
constexpr int kPlanContour = 2;
constexpr int kSmallContour = 1;
// The small pictures fill a square product-bar button with a little white round them.
constexpr int kSmallSide = 48;
constexpr int kSmallMargin = 2;

// The columns of products.tsv: the table's columns, then the drawing of the top view.
constexpr int kProductColumns = 13;
enum ProductField {
  kId = 0,
  kWidth = 8,
  kDepth = 9,
  kPlanName = 11,
  kDrawing = 13,
};

bool Fail(const QString& what) {
  std::fprintf(stderr, "build_catalogue: %s\n", qPrintable(what));
  return false;
}

// Loads `columns` fields of every line into the table; lines may carry `extra` fields
// more, for the generator's own use, which come back in `rows`.
bool Load(QSqlDatabase& db, const QString& table, int columns, const QString& path, int extra = 0,
          std::vector<QStringList>* rows = nullptr) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return Fail("cannot read " + path);
  QTextStream in(&file);
  QStringList marks;
  for (int i = 0; i < columns; ++i) marks << "?";
  QSqlQuery insert(db);
  if (!insert.prepare("INSERT INTO " + table + " VALUES (" + marks.join(",") + ")"))
    return Fail(insert.lastError().text());
  int line = 0;
  while (!in.atEnd()) {
    const QString text = in.readLine();
    ++line;
    if (text.trimmed().isEmpty() || text.startsWith('#')) continue;
    QStringList fields = text.split('\t');
    if (fields.size() > columns + extra)
      return Fail(QString("%1:%2: too many fields").arg(path).arg(line));
    while (fields.size() < columns + extra) fields << QString();
    bool ok = false;
    insert.bindValue(0, fields[0].toInt(&ok));
    if (!ok) return Fail(QString("%1:%2: the id is not a number").arg(path).arg(line));
    for (int i = 1; i < columns; ++i)
      insert.bindValue(
          i, fields[i].isEmpty() ? QVariant() : QVariant(QString(fields[i]).replace("\\n", "\n")));
    if (!insert.exec())
      return Fail(QString("%1:%2: %3").arg(path).arg(line).arg(insert.lastError().text()));
    if (rows) rows->push_back(fields);
  }
  return true;
}

bool DrawProduct(const QStringList& row, const QString& images, const catalogue::Palette& palette) {
  const QString name = row[kPlanName];
  const QString where = "product " + row[kId];
  // The plan file keeps bitmap names in comma-separated records, and the engine puts
  // the variant digit five places from the end.
  if (name.contains(',')) return Fail(where + ": a plan bitmap name may hold no comma");
  if (!name.endsWith("2.bmp") || name.size() < 7)
    return Fail(where + ": a plan bitmap name ends in the variant digit 2 and \".bmp\"");
  bool okWidth = false, okDepth = false;
  const double width = row[kWidth].toDouble(&okWidth), depth = row[kDepth].toDouble(&okDepth);
  if (!okWidth || !okDepth || width <= 0 || depth <= 0)
    return Fail(where + ": a product with a plan bitmap needs its width and depth");
  const std::string kind = row[kDrawing].toStdString();

  catalogue::Raster plan(int(std::lround(width * kPixelsPerCm)),
                         int(std::lround(depth * kPixelsPerCm)));
  catalogue::Painter planPainter(&plan, width, depth, kPixelsPerCm, kPlanContour);
  if (!catalogue::DrawTopView(kind, planPainter))
    return Fail(where + ": no drawing called \"" + row[kDrawing] + "\"");

  const double smallScale =
      std::min((kSmallSide - 2 * kSmallMargin) / width, (kSmallSide - 2 * kSmallMargin) / depth);
  catalogue::Raster small(kSmallSide, kSmallSide);
  catalogue::Painter smallPainter(&small, width, depth, smallScale, kSmallContour);
  catalogue::DrawTopView(kind, smallPainter);

  const QString stem = images + "/" + name.left(name.size() - 5);
  const QString smallName = images + "/" + name.left(name.size() - 6) + "x1.bmp";
  if (!catalogue::WriteBitmap((stem + "2.bmp").toStdString(), plan, palette) ||
      !catalogue::WriteBitmap((stem + "3.bmp").toStdString(), plan.Mirrored(), palette) ||
      !catalogue::WriteBitmap(smallName.toStdString(), small, palette))
    return Fail(where + ": cannot write its bitmaps into " + images);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: build_catalogue SOURCE-FOLDER OUTPUT-FILE STAMP\n");
    return 2;
  }
  const QString source = argv[1], output = argv[2];
  const catalogue::Palette palette = catalogue::LoadPlanPalette();
  if (!palette.ok) {
    Fail(QString::fromStdString(palette.problem));
    return 1;
  }
  QFile::remove(output);
  const QString partial = output + ".part";
  QFile::remove(partial);
  bool ok = true;
  std::vector<QStringList> products;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "build");
    db.setDatabaseName(partial);
    if (!db.open()) {
      Fail(db.lastError().text());
      return 1;
    }
    QFile schema(source + "/schema.sql");
    if (!schema.open(QIODevice::ReadOnly)) {
      Fail("cannot read the schema");
      return 1;
    }
    QString sql = QString::fromUtf8(schema.readAll());
    QStringList statements;
    for (const QString& line : sql.split('\n'))
      if (!line.trimmed().startsWith("--")) statements << line;
    db.transaction();
    for (const QString& statement : statements.join('\n').split(';')) {
      if (statement.trimmed().isEmpty()) continue;
      QSqlQuery q(db);
      if (!q.exec(statement)) ok = Fail(q.lastError().text());
    }
    ok = ok && Load(db, "tStrings", 5, source + "/texts/strings.tsv");
    ok = ok && Load(db, "tError", 5, source + "/texts/errors.tsv");
    ok = ok && Load(db, "ltSerien", 2, source + "/texts/series.tsv");
    ok = ok && Load(db, "tProduktgruppen", 4, source + "/texts/groups.tsv");
    ok = ok && Load(db, "tKatalog", kProductColumns, source + "/texts/products.tsv", 1, &products);
    ok = ok && Load(db, "tHoehen", 3, source + "/texts/heights.tsv");
    ok = ok && Load(db, "tBewegungsflaechen", 9, source + "/texts/freeareas.tsv");
    ok = ok && db.commit();
    db.close();
  }
  QSqlDatabase::removeDatabase("build");

  const QString images = QFileInfo(output).absolutePath() + "/images";
  if (ok && !QDir().mkpath(images)) ok = Fail("cannot make " + images);
  for (const QStringList& row : products)
    if (ok && !row[kPlanName].isEmpty()) ok = DrawProduct(row, images, palette);

  if (!ok || !QFile::rename(partial, output)) {
    QFile::remove(partial);
    return 1;
  }
  QFile stamp(argv[3]);
  stamp.open(QIODevice::WriteOnly);
  return 0;
}
