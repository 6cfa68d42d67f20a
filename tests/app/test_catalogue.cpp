// The catalogue's database layer: the statements word for word, the record sets, the
// offered-product rules on a small catalogue made here, the failures a caller shows,
// and the sample catalogue the build ships.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "catalogue/catalogue.h"
#include "catalogue/product_list_csv.h"

using tessel::Catalogue;
using tessel::CatalogueDatabase;
using tessel::CatalogueState;
using tessel::CsvField;
using tessel::ProductFilter;
using tessel::ProductListCsv;
using tessel::RecordSet;

namespace {

using OptionalText = std::optional<QString>;

// Which statement a row of the statement table checks.
enum Statement { kQ1 = 1, kQ2, kQ3, kQ4, kQ5, kQ6, kQ7 };

// A catalogue file made from the shipped schema and the rows given, so that every case
// reads the tables the program reads.
bool MakeCatalogue(const QString& file, const QStringList& inserts, bool products = true) {
  QFile schemaFile(TESSEL_CATALOGUE_SCHEMA);
  if (!schemaFile.open(QIODevice::ReadOnly)) return false;
  QStringList lines;
  for (const QString& line : QString::fromUtf8(schemaFile.readAll()).split('\n'))
    if (!line.trimmed().startsWith("--")) lines << line;
  bool ok = true;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make");
    db.setDatabaseName(file);
    ok = db.open();
    for (const QString& statement : lines.join('\n').split(';')) {
      if (!ok || statement.trimmed().isEmpty()) continue;
      if (!products && !statement.contains("tStrings") && !statement.contains("tError")) continue;
      QSqlQuery q(db);
      ok = q.exec(statement);
      if (!ok) qWarning() << q.lastError().text();
    }
    for (const QString& insert : inserts) {
      QSqlQuery q(db);
      if (ok && !q.exec(insert)) {
        qWarning() << insert << q.lastError().text();
        ok = false;
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase("make");
  return ok;
}

QString Product(int id, int series, int group, const QString& plan, const QString& model = "0") {
  return QString(
             "INSERT INTO tKatalog VALUES (%1, %2, %3, %4, 'Product %1', 'About %1', "
             "'Produkt %1', 'Über %1', 60, 40, NULL, %5, NULL)")
      .arg(id)
      .arg(series)
      .arg(model)
      .arg(group)
      .arg(plan);
}

// The small catalogue: series Alpha with a product in every kind of group, a series
// whose name needs quoting, one whose products lie only in groups that are never
// offered, and one named like a column.
QStringList SmallCatalogue() {
  QStringList rows = {
      "INSERT INTO tStrings VALUES (5320, '<All series>', '', '<Alle Serien>', '')",
      "INSERT INTO ltSerien VALUES (1, 'Alpha')",
      "INSERT INTO ltSerien VALUES (2, 'Beta \"Quote\" O''Brien; --')",
      "INSERT INTO ltSerien VALUES (3, 'Gamma')",
      "INSERT INTO ltSerien VALUES (4, 'Serie')",
      "INSERT INTO tProduktgruppen VALUES (1, 1, 'Basins', 'Becken')",
      "INSERT INTO tProduktgruppen VALUES (6, 6, 'Accessories', 'Zubehör')",
      "INSERT INTO tProduktgruppen VALUES (9, 9, 'Baths \"deluxe\"', 'Wannen ''de luxe''')",
      "INSERT INTO tProduktgruppen VALUES (13, 13, 'Whirlpools', 'Whirlpools')",
      "INSERT INTO tProduktgruppen VALUES (23, 23, 'Spares', 'Ersatzteile')",
      "INSERT INTO tProduktgruppen VALUES (26, 26, 'Frames', 'Rahmen')",
      "INSERT INTO tProduktgruppen VALUES (27, 27, 'Discontinued', 'Auslauf')",
      "INSERT INTO tProduktgruppen VALUES (28, 28, 'Samples', 'Muster')",
      "INSERT INTO tProduktgruppen VALUES (29, 29, 'Twenty-nine', 'Neunundzwanzig')",
      "INSERT INTO tProduktgruppen VALUES (30, 30, 'Internal', 'Intern')",
      "INSERT INTO tProduktgruppen VALUES (35, 35, 'Price list', 'Preisliste')",
      Product(100, 1, 1, "'a100p2.bmp'", "412060"),
      Product(101, 1, 1, "NULL"),
      Product(102, 1, 1, "''"),
  };
  const int groups[] = {6, 13, 23, 26, 27, 28, 29, 30, 35};
  for (int i = 0; i < 9; ++i) rows << Product(103 + i, 1, groups[i], "'a.bmp'");
  rows << Product(120, 2, 9, "'b.bmp'") << Product(121, 2, 1, "'b.bmp'");
  rows << Product(130, 3, 6, "'g.bmp'") << Product(131, 3, 23, "'g.bmp'")
       << Product(132, 3, 30, "'g.bmp'");
  rows << Product(140, 4, 1, "'s.bmp'");
  return rows;
}

QList<int> Ids(RecordSet& set) {
  QList<int> ids;
  for (set.MoveFirst(); !set.Eof(); set.MoveNext()) ids << set.Field("KatalogID").toInt();
  return ids;
}

// Bits per pixel, width and height from a bitmap file's headers.
struct BitmapHeader {
  int bits = 0, width = 0, height = 0;
};
BitmapHeader ReadHeader(const QString& path) {
  QFile file(path);
  BitmapHeader header;
  if (!file.open(QIODevice::ReadOnly)) return header;
  const QByteArray head = file.read(54);
  if (head.size() < 54 || !head.startsWith("BM")) return header;
  auto at = [&](int offset, int bytes) {
    int value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value * 256 + quint8(head[offset + i]);
    return value;
  };
  header.width = at(18, 4);
  header.height = at(22, 4);
  header.bits = at(28, 2);
  return header;
}

}  // namespace

class CatalogueTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    small_ = dir_.filePath("small.db");
    QVERIFY(MakeCatalogue(small_, SmallCatalogue()));
  }

  void statementText_data() {
    QTest::addColumn<int>("statement");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<OptionalText>("series");
    QTest::addColumn<OptionalText>("group");
    QTest::addColumn<QString>("expected");
    auto Row = [](const char* name, int statement, const QString& suffix, OptionalText series,
                  OptionalText group, const QString& expected) {
      QTest::newRow(name) << statement << suffix << series << group << expected;
    };
    Row("Q1 en", 1, "", std::nullopt, std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Bezeichnung AS BezeichnungL, Breite, Tiefe, Höhe, "
        "Plangrafik FROM tKatalog LEFT JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID");
    Row("Q2 en", 2, "", std::nullopt, std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND (ProduktgruppenID < 26 OR "
        "ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY Serie, Produktgruppe, "
        "Bezeichnung");
    Row("Q3 en", 3, "", std::nullopt, std::nullopt,
        "SELECT DISTINCT Serie FROM ltSerien ORDER BY Serie");
    Row("Q4 en", 4, "", std::nullopt, std::nullopt,
        "SELECT Beschreibung AS BeschreibungL FROM tProduktgruppen WHERE ProduktgruppenID <> 6 AND "
        "ProduktgruppenID <> 13 AND ProduktgruppenID <> 23 AND (ProduktgruppenID < 26 OR "
        "ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY ProduktgruppenID");
    Row("Q5 en", 5, "", QString("Ostara Linea"), std::nullopt,
        "SELECT DISTINCTROW tProduktgruppen.Beschreibung AS Gruppenname FROM (tKatalog INNER JOIN "
        "tProduktgruppen ON tKatalog.Produktgruppe1 = tProduktgruppen.Produktgruppe) INNER JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID WHERE Serie = \"Ostara Linea\" AND "
        "ProduktgruppenID <> 6 AND ProduktgruppenID <> 13 AND ProduktgruppenID <> 23 AND "
        "(ProduktgruppenID < 26 OR ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY "
        "ProduktgruppenID;");
    Row("Q6 en all", 6, "", std::nullopt, std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND (ProduktgruppenID < 26 OR "
        "ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY Serie, Produktgruppe, "
        "Bezeichnung");
    Row("Q7 en all", 7, "", std::nullopt, std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Text AS "
        "TextL, Breite, Tiefe, Höhe, Plangrafik FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT "
        "JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe "
        "= tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND (ProduktgruppenID < 26 OR "
        "ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY Serie, Produktgruppe, "
        "Bezeichnung");
    Row("Q6 en series", 6, "", QString("Ostara Linea"), std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND ltSerien.Serie = \"Ostara Linea\" AND "
        "(ProduktgruppenID < 26 OR ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY "
        "Serie, Produktgruppe, Bezeichnung");
    Row("Q7 en series", 7, "", QString("Ostara Linea"), std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Text AS "
        "TextL, Breite, Tiefe, Höhe, Plangrafik FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT "
        "JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe "
        "= tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND ltSerien.Serie = \"Ostara Linea\" "
        "AND (ProduktgruppenID < 26 OR ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY "
        "Serie, Produktgruppe, Bezeichnung");
    Row("Q6 en group", 6, "", std::nullopt, QString("Washbasins"),
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND tProduktgruppen.Beschreibung = "
        "\"Washbasins\"ORDER BY Serie, Produktgruppe, Bezeichnung");
    Row("Q7 en group", 7, "", std::nullopt, QString("Washbasins"),
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Text AS "
        "TextL, Breite, Tiefe, Höhe, Plangrafik FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT "
        "JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe "
        "= tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND tProduktgruppen.Beschreibung = "
        "\"Washbasins\"ORDER BY Serie, Produktgruppe, Bezeichnung");
    Row("Q6 en both", 6, "", QString("Ostara Arco"), QString("Toilets"),
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND ltSerien.Serie = \"Ostara Arco\" AND "
        "tProduktgruppen.Beschreibung = \"Toilets\"ORDER BY Serie, Produktgruppe, Bezeichnung");
    Row("Q7 en both", 7, "", QString("Ostara Arco"), QString("Toilets"),
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, Bezeichnung AS BezeichnungL, Text AS "
        "TextL, Breite, Tiefe, Höhe, Plangrafik FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT "
        "JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe "
        "= tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND ltSerien.Serie = \"Ostara Arco\" "
        "AND tProduktgruppen.Beschreibung = \"Toilets\"ORDER BY Serie, Produktgruppe, Bezeichnung");
    Row("Q1 D", 1, "D", std::nullopt, std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, BezeichnungD AS BezeichnungL, Breite, Tiefe, Höhe, "
        "Plangrafik FROM tKatalog LEFT JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID");
    Row("Q2 D", 2, "D", std::nullopt, std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND (ProduktgruppenID < 26 OR "
        "ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY Serie, Produktgruppe, "
        "BezeichnungD");
    Row("Q3 D", 3, "D", std::nullopt, std::nullopt,
        "SELECT DISTINCT Serie FROM ltSerien ORDER BY Serie");
    Row("Q4 D", 4, "D", std::nullopt, std::nullopt,
        "SELECT BeschreibungD AS BeschreibungL FROM tProduktgruppen WHERE ProduktgruppenID <> 6 "
        "AND ProduktgruppenID <> 13 AND ProduktgruppenID <> 23 AND (ProduktgruppenID < 26 OR "
        "ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY ProduktgruppenID");
    Row("Q5 D", 5, "D", QString("Ostara Linea"), std::nullopt,
        "SELECT DISTINCTROW tProduktgruppen.BeschreibungD AS Gruppenname FROM (tKatalog INNER JOIN "
        "tProduktgruppen ON tKatalog.Produktgruppe1 = tProduktgruppen.Produktgruppe) INNER JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID WHERE Serie = \"Ostara Linea\" AND "
        "ProduktgruppenID <> 6 AND ProduktgruppenID <> 13 AND ProduktgruppenID <> 23 AND "
        "(ProduktgruppenID < 26 OR ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY "
        "ProduktgruppenID;");
    Row("Q6 D all", 6, "D", std::nullopt, std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND (ProduktgruppenID < 26 OR "
        "ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY Serie, Produktgruppe, "
        "BezeichnungD");
    Row("Q7 D all", 7, "D", std::nullopt, std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, TextD AS "
        "TextL, Breite, Tiefe, Höhe, Plangrafik FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT "
        "JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe "
        "= tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND (ProduktgruppenID < 26 OR "
        "ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY Serie, Produktgruppe, "
        "BezeichnungD");
    Row("Q6 D series", 6, "D", QString("Ostara Linea"), std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND ltSerien.Serie = \"Ostara Linea\" AND "
        "(ProduktgruppenID < 26 OR ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY "
        "Serie, Produktgruppe, BezeichnungD");
    Row("Q7 D series", 7, "D", QString("Ostara Linea"), std::nullopt,
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, TextD AS "
        "TextL, Breite, Tiefe, Höhe, Plangrafik FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT "
        "JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe "
        "= tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND ltSerien.Serie = \"Ostara Linea\" "
        "AND (ProduktgruppenID < 26 OR ProduktgruppenID > 28) AND ProduktgruppenID < 30 ORDER BY "
        "Serie, Produktgruppe, BezeichnungD");
    Row("Q6 D group", 6, "D", std::nullopt, QString("Waschtische"),
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND tProduktgruppen.BeschreibungD = "
        "\"Waschtische\"ORDER BY Serie, Produktgruppe, BezeichnungD");
    Row("Q7 D group", 7, "D", std::nullopt, QString("Waschtische"),
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, TextD AS "
        "TextL, Breite, Tiefe, Höhe, Plangrafik FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT "
        "JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe "
        "= tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND tProduktgruppen.BeschreibungD = "
        "\"Waschtische\"ORDER BY Serie, Produktgruppe, BezeichnungD");
    Row("Q6 D both", 6, "D", QString("Ostara Arco"), QString("WCs"),
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, Breite, "
        "Tiefe, Höhe, Plangrafik, Illustration FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT JOIN "
        "ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe = "
        "tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND ltSerien.Serie = \"Ostara Arco\" AND "
        "tProduktgruppen.BeschreibungD = \"WCs\"ORDER BY Serie, Produktgruppe, BezeichnungD");
    Row("Q7 D both", 7, "D", QString("Ostara Arco"), QString("WCs"),
        "SELECT KatalogID, Serie, ModellNr, Produktgruppe, BezeichnungD AS BezeichnungL, TextD AS "
        "TextL, Breite, Tiefe, Höhe, Plangrafik FROM tProduktgruppen RIGHT JOIN (tKatalog LEFT "
        "JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) ON tProduktgruppen.Produktgruppe "
        "= tKatalog.Produktgruppe1 WHERE Plangrafik > \"\" AND ltSerien.Serie = \"Ostara Arco\" "
        "AND tProduktgruppen.BeschreibungD = \"WCs\"ORDER BY Serie, Produktgruppe, BezeichnungD");
  }

  void statementText() {
    QFETCH(int, statement);
    QFETCH(QString, suffix);
    QFETCH(OptionalText, series);
    QFETCH(OptionalText, group);
    QFETCH(QString, expected);
    const ProductFilter filter{series, group};
    QString text;
    switch (statement) {
      case kQ1:
        text = tessel::AllProductsStatement(suffix);
        break;
      case kQ2:
        text = tessel::OfferedProductsStatement(suffix);
        break;
      case kQ3:
        text = tessel::SeriesStatement();
        break;
      case kQ4:
        text = tessel::GroupsStatement(suffix);
        break;
      case kQ5:
        text = tessel::SeriesGroupsStatement(suffix, *series);
        break;
      case kQ6:
        text = tessel::ProductBarStatement(suffix, filter);
        break;
      case kQ7:
        text = tessel::CatalogueDialogStatement(suffix, filter);
        break;
    }
    QCOMPARE(text, expected);
  }

  void sqliteSpelling_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty literal") << "WHERE Plangrafik > \"\" AND x"
                                   << "WHERE Plangrafik > '' AND x";
    QTest::newRow("distinctrow") << "SELECT DISTINCTROW a"
                                 << "SELECT DISTINCT a";
    QTest::newRow("word inside a name stays") << "SELECT xDISTINCTROW, DISTINCTROWS"
                                              << "SELECT xDISTINCTROW, DISTINCTROWS";
    QTest::newRow("distinctrow inside a literal stays") << "WHERE Serie = \"DISTINCTROW\""
                                                        << "WHERE Serie = 'DISTINCTROW'";
    QTest::newRow("doubled quote") << "= \"a \"\"b\"\" c\""
                                   << "= 'a \"b\" c'";
    QTest::newRow("apostrophe") << "= \"O'Brien\""
                                << "= 'O''Brien'";
    QTest::newRow("literal then keyword") << "= \"G\"ORDER BY x"
                                          << "= 'G'ORDER BY x COLLATE NUMBERS_BY_VALUE";
    QTest::newRow("every key of the order")
        << "WHERE x = \"ORDER BY y\" ORDER BY Serie, Produktgruppe, BezeichnungD;"
        << "WHERE x = 'ORDER BY y' ORDER BY Serie COLLATE NUMBERS_BY_VALUE, Produktgruppe COLLATE "
           "NUMBERS_BY_VALUE, BezeichnungD COLLATE NUMBERS_BY_VALUE;";
    QTest::newRow("right join")
        << "FROM a RIGHT JOIN (b LEFT JOIN c ON b.x = c.x ) ON a.k = b.k WHERE"
        << "FROM (b LEFT JOIN c ON b.x = c.x ) LEFT JOIN a ON a.k = b.k WHERE";
    QTest::newRow("right join inside a literal stays") << "SELECT \"a RIGHT JOIN (b) ON\""
                                                       << "SELECT 'a RIGHT JOIN (b) ON'";
  }

  // Sizes in names sort by their value, as a reader expects; letters without regard to case.
  void naturalOrder_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("60 before 100") << "Vanity unit 60"
                                   << "Vanity unit 100";
    QTest::newRow("80 before 120") << "Vanity unit 80"
                                   << "Vanity unit 120";
    QTest::newRow("second size") << "Bathtub 170 x 70"
                                 << "Bathtub 170 x 75";
    QTest::newRow("leading zero") << "Ablage 7"
                                  << "Ablage 012";
    QTest::newRow("case") << "ablage"
                          << "Badewanne";
    QTest::newRow("umlaut after its letter") << "Hochschrank"
                                             << "Hängeschrank";
    QTest::newRow("shorter first") << "Washbasin 55"
                                   << "Washbasin 55 (drawing to follow)";
  }

  void naturalOrder() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QVERIFY(tessel::NaturalCompare(first, second) < 0);
    QVERIFY(tessel::NaturalCompare(second, first) > 0);
    QCOMPARE(tessel::NaturalCompare(first, first), 0);
  }

  void sqliteSpelling() {
    QFETCH(QString, statement);
    QFETCH(QString, expected);
    QCOMPARE(tessel::ToSqlite(statement), expected);
  }

  void quotedNamesReadBack_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "Ostara Linea";
    QTest::newRow("double quotes") << "Beta \"Quote\"";
    QTest::newRow("apostrophe and comment") << "O'Brien; -- DROP TABLE tKatalog";
    QTest::newRow("backslash and umlaut") << "Größe \\ 2";
  }

  void quotedNamesReadBack() {
    QFETCH(QString, name);
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "memory");
    db.setDatabaseName(":memory:");
    QVERIFY(db.open());
    {
      QSqlQuery q(db);
      QVERIFY(q.exec(tessel::ToSqlite("SELECT " + tessel::QuotedLiteral(name))));
      QVERIFY(q.next());
      QCOMPARE(q.value(0).toString(), name);
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("memory");
  }

  void recordSetWalk() {
    CatalogueDatabase db;
    QCOMPARE(db.Open(small_), CatalogueState::kOpen);
    RecordSet set;
    QVERIFY(db.OpenRecordSet(
        &set, "SELECT KatalogID FROM tKatalog WHERE KatalogID < 103 ORDER BY KatalogID"));
    QCOMPARE(set.RecordCount(), 3);
    QVERIFY(!set.Bof());
    QVERIFY(!set.Eof());
    QCOMPARE(set.Field("katalogid").toInt(), 100);
    set.MoveNext();
    set.MoveNext();
    QCOMPARE(set.Field(0).toInt(), 102);
    set.MoveNext();
    QVERIFY(set.Eof());
    QVERIFY(!set.Field(0).isValid());
    set.MoveNext();
    QVERIFY(set.Eof());
    set.MovePrevious();
    QCOMPARE(set.Field(0).toInt(), 102);
    set.MoveFirst();
    set.MovePrevious();
    QVERIFY(set.Bof());
    set.MoveLast();
    QCOMPARE(set.Field(0).toInt(), 102);
    QVERIFY(!set.Field("NoSuchField").isValid());

    RecordSet empty;
    QVERIFY(db.OpenRecordSet(&empty, "SELECT KatalogID FROM tKatalog WHERE KatalogID < 0"));
    QCOMPARE(empty.RecordCount(), 0);
    QVERIFY(empty.Bof());
    QVERIFY(empty.Eof());
    empty.MoveFirst();
    QVERIFY(empty.Bof() && empty.Eof());
    QVERIFY(!empty.FindFirst("KatalogID = 100"));
    QVERIFY(empty.NoMatch());

    QString why;
    RecordSet bad;
    QVERIFY(!db.OpenRecordSet(&bad, "SELECT Nothing FROM tKatalog", &why));
    QVERIFY(why.contains(small_));
    QVERIFY(!bad.IsOpen());
  }

  void findFirst_data() {
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("id");
    QTest::newRow("with blanks") << "KatalogID = 121" << true << 121;
    QTest::newRow("without blanks") << "KatalogID=101" << true << 101;
    QTest::newRow("name in another case") << "katalogid = 140" << true << 140;
    QTest::newRow("unknown id") << "KatalogID = 999" << false << 0;
    QTest::newRow("quoted text") << "BezeichnungL = 'product 120'" << true << 120;
    QTest::newRow("unknown field") << "Nothing = 1" << false << 0;
    QTest::newRow("no equals sign") << "KatalogID 100" << false << 0;
    QTest::newRow("unquoted text") << "BezeichnungL = Product" << false << 0;
  }

  void findFirst() {
    QFETCH(QString, criteria);
    QFETCH(bool, found);
    QFETCH(int, id);
    Catalogue catalogue;
    QCOMPARE(catalogue.Open(small_, ""), CatalogueState::kOpen);
    RecordSet& all = catalogue.AllProducts();
    all.MoveLast();
    const int before = all.Field("KatalogID").toInt();
    QCOMPARE(all.FindFirst(criteria), found);
    QCOMPARE(all.NoMatch(), !found);
    // A failed search leaves the current record where it was.
    QCOMPARE(all.Field("KatalogID").toInt(), found ? id : before);
  }

  void offeredProducts_data() {
    QTest::addColumn<OptionalText>("series");
    QTest::addColumn<OptionalText>("group");
    QTest::addColumn<QList<int>>("ids");
    // Ordered by series, group number and name; without a plan graphic (101, 102) or
    // in groups 26 to 28 and 30 and up, a product is not offered, while groups 6, 13
    // and 23 show under all groups.
    QTest::newRow("all") << OptionalText() << OptionalText()
                         << QList<int>{100, 103, 104, 105, 109, 121, 120, 130, 131, 140};
    QTest::newRow("series with excluded groups only")
        << OptionalText("Gamma") << OptionalText() << QList<int>{130, 131};
    QTest::newRow("series named like a column")
        << OptionalText("Serie") << OptionalText() << QList<int>{140};
    QTest::newRow("quoted series")
        << OptionalText("Beta \"Quote\" O'Brien; --") << OptionalText() << QList<int>{121, 120};
    QTest::newRow("quoted group") << OptionalText() << OptionalText("Baths \"deluxe\"")
                                  << QList<int>{120};
    QTest::newRow("series and group")
        << OptionalText("Alpha") << OptionalText("Basins") << QList<int>{100};
    QTest::newRow("group never offered, asked by name")
        << OptionalText() << OptionalText("Frames") << QList<int>{106};
    QTest::newRow("nothing matches")
        << OptionalText("Alpha") << OptionalText("Baths \"deluxe\"") << QList<int>{};
  }

  void offeredProducts() {
    QFETCH(OptionalText, series);
    QFETCH(OptionalText, group);
    QFETCH(QList<int>, ids);
    Catalogue catalogue;
    QCOMPARE(catalogue.Open(small_, ""), CatalogueState::kOpen);
    if (!series && !group) {
      QCOMPARE(Ids(catalogue.ProductBar()), ids);
      QCOMPARE(Ids(catalogue.DialogProducts()), ids);
    }
    QString why;
    QVERIFY2(catalogue.RequeryProductBar({series, group}, &why), qPrintable(why));
    QCOMPARE(Ids(catalogue.ProductBar()), ids);
    QVERIFY2(catalogue.RequeryDialog({series, group}, &why), qPrintable(why));
    QCOMPARE(Ids(catalogue.DialogProducts()), ids);
    QCOMPARE(catalogue.ProductBar().Bof() && catalogue.ProductBar().Eof(), ids.isEmpty());
  }

  void copiesWalkApart() {
    Catalogue catalogue;
    QCOMPARE(catalogue.Open(small_, ""), CatalogueState::kOpen);
    RecordSet& bar = catalogue.ProductBar();
    RecordSet& dialog = catalogue.DialogProducts();
    QCOMPARE(dialog.RecordCount(), bar.RecordCount());
    bar.MoveLast();
    QVERIFY(dialog.FindFirst("KatalogID = 103"));
    QCOMPARE(bar.Field("KatalogID").toInt(), 140);
    QCOMPARE(dialog.Field("KatalogID").toInt(), 103);
    bar.Close();
    QCOMPARE(dialog.Field("KatalogID").toInt(), 103);
  }

  void everyProductForLookUps() {
    Catalogue catalogue;
    QCOMPARE(catalogue.Open(small_, ""), CatalogueState::kOpen);
    QCOMPARE(catalogue.AllProducts().RecordCount(), 18);
    QVERIFY(catalogue.AllProducts().FindFirst("KatalogID = 101"));
    QVERIFY(catalogue.AllProducts().Field("Plangrafik").isNull());
    QCOMPARE(catalogue.ProductDescription(100), "412060    Alpha  -  Product 100");
    QCOMPARE(catalogue.ProductDescription(101), "000000    Alpha  -  Product 101");
    QCOMPARE(catalogue.ProductDescription(999), "<>");
  }

  void csvFieldsAreQuotedOnlyWhenTheyMustBe_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "Washbasin 45"
                           << "Washbasin 45";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("semicolon and apostrophe") << "O'Brien; --"
                                              << "O'Brien; --";
    QTest::newRow("comma") << "Basin, left"
                           << "\"Basin, left\"";
    QTest::newRow("quote") << "The \"deluxe\" bath"
                           << "\"The \"\"deluxe\"\" bath\"";
    QTest::newRow("line feed") << "two\nlines"
                               << "\"two\nlines\"";
    QTest::newRow("carriage return") << "two\rlines"
                                     << "\"two\rlines\"";
  }
  void csvFieldsAreQuotedOnlyWhenTheyMustBe() {
    QFETCH(QString, text);
    QTEST(CsvField(text), "field");
    // With the German separator a semicolon needs quotes and a comma none.
    QCOMPARE(CsvField("a;b", ';'), QString("\"a;b\""));
    QCOMPARE(CsvField("1,5", ';'), QString("1,5"));
  }

  void theProductListFileHasOneRowPerProductNumber_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("csv");
    // A byte-order mark first, so a spreadsheet reads UTF-8; English is RFC 4180.
    QTest::newRow("English")
        << ""
        << QByteArray(
               "\xEF\xBB\xBFPos.,No.,\"Width, cm\",Series,Name,W,D,H,Count\r\n"
               "1,100,412060,Alpha,Product 100,60,40,,2\r\n"
               "2,120,,\"Beta \"\"Quote\"\" O'Brien; --\",Product 120,60,40,,1\r\n"
               "3,999,,,,,,,1\r\n");
    // German spreadsheets split at semicolons: a comma needs no quotes there, a
    // semicolon does.
    QTest::newRow("German")
        << "D"
        << QByteArray(
               "\xEF\xBB\xBFPos.;No.;Width, cm;Series;Name;W;D;H;Count\r\n"
               "1;100;412060;Alpha;Produkt 100;60;40;;2\r\n"
               "2;120;;\"Beta \"\"Quote\"\" O'Brien; --\";Produkt 120;60;40;;1\r\n"
               "3;999;;;;;;;1\r\n");
  }
  void theProductListFileHasOneRowPerProductNumber() {
    QFETCH(QString, suffix);
    Catalogue catalogue;
    QCOMPARE(catalogue.Open(small_, suffix), CatalogueState::kOpen);
    // As the engine lists drawn products: in drawing order, repeated, 0 never a product.
    const QList<qint64> placed = {120, 100, 999, 100, 0};
    const QStringList header = {"Pos.", "No.", "Width, cm", "Series", "Name",
                                "W",    "D",   "H",         "Count"};
    QTEST(ProductListCsv(catalogue, placed, header, tessel::CsvStyleFor(suffix)), "csv");
  }

  // Sizes with a decimal mark in the list's language.
  void sizesTakeTheLanguagesDecimalMark() {
    QCOMPARE(tessel::SizeText(82.5, tessel::kEnglishCsv.decimalMark), QString("82.5"));
    QCOMPARE(tessel::SizeText(82.5, tessel::kGermanCsv.decimalMark), QString("82,5"));
    QCOMPARE(tessel::SizeText(60, ','), QString("60"));
    QCOMPARE(tessel::SizeText(-1, ','), QString());
  }

  void groupLists_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<OptionalText>("series");
    QTest::addColumn<QStringList>("groups");
    QTest::newRow("all series") << "" << OptionalText()
                                << QStringList{"Basins", "Baths \"deluxe\"", "Twenty-nine"};
    QTest::newRow("all series, German")
        << "D" << OptionalText() << QStringList{"Becken", "Wannen 'de luxe'", "Neunundzwanzig"};
    QTest::newRow("series with a group of 29")
        << "" << OptionalText("Alpha") << QStringList{"Basins", "Twenty-nine"};
    QTest::newRow("quoted series") << "" << OptionalText("Beta \"Quote\" O'Brien; --")
                                   << QStringList{"Basins", "Baths \"deluxe\""};
    QTest::newRow("series with excluded groups only")
        << "" << OptionalText("Gamma") << QStringList{};
    QTest::newRow("unknown series") << "" << OptionalText("Delta") << QStringList{};
  }

  void groupLists() {
    QFETCH(QString, suffix);
    QFETCH(OptionalText, series);
    QFETCH(QStringList, groups);
    Catalogue catalogue;
    QCOMPARE(catalogue.Open(small_, suffix), CatalogueState::kOpen);
    if (!series) {
      QCOMPARE(catalogue.GroupNames(), groups);
      return;
    }
    QStringList names;
    QString why;
    QVERIFY2(catalogue.GroupsOfSeries(*series, &names, &why), qPrintable(why));
    QCOMPARE(names, groups);
  }

  void languageColumns() {
    Catalogue catalogue;
    QCOMPARE(catalogue.Open(small_, "D"), CatalogueState::kOpen);
    QCOMPARE(catalogue.SeriesNames(),
             (QStringList{"Alpha", "Beta \"Quote\" O'Brien; --", "Gamma", "Serie"}));
    QVERIFY(catalogue.ProductBar().FindFirst("KatalogID = 100"));
    QCOMPARE(catalogue.ProductBar().Field("BezeichnungL").toString(), "Produkt 100");
    QVERIFY(catalogue.RequeryDialog({std::nullopt, QString("Wannen 'de luxe'")}));
    QCOMPARE(Ids(catalogue.DialogProducts()), QList<int>{120});
    catalogue.DialogProducts().MoveFirst();
    QCOMPARE(catalogue.DialogProducts().Field("TextL").toString(), "Über 120");
    QString why;
    QCOMPARE(catalogue.Open(small_, "X", &why), CatalogueState::kBadQuery);
    QVERIFY(why.contains(small_));
    QCOMPARE(catalogue.AllProducts().RecordCount(), 0);
  }

  void failuresNameTheFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<CatalogueState>("state");
    QTest::newRow("missing") << "missing" << CatalogueState::kMissing;
    QTest::newRow("not a database") << "garbage" << CatalogueState::kUnreadable;
    QTest::newRow("a folder") << "folder" << CatalogueState::kUnreadable;
    QTest::newRow("no tables") << "empty" << CatalogueState::kNoTables;
    QTest::newRow("texts without products") << "texts" << CatalogueState::kNoProducts;
  }

  void failuresNameTheFile() {
    QFETCH(QString, kind);
    QFETCH(CatalogueState, state);
    const QString file = dir_.filePath(kind + ".db");
    if (kind == "garbage") {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QByteArray(4096, 'x'));
    } else if (kind == "folder") {
      QVERIFY(QDir().mkpath(file));
    } else if (kind == "empty") {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (kind == "texts") {
      QVERIFY(MakeCatalogue(file, {"INSERT INTO tStrings VALUES (1, 'a', 'b', 'c', 'd')"}, false));
    }
    Catalogue catalogue;
    QString why;
    QCOMPARE(catalogue.Open(file, "", &why), state);
    QVERIFY2(why.contains(file), qPrintable(why));
    // Whatever failed, the sets are there and empty, so a product bar can stay empty.
    QCOMPARE(catalogue.ProductBar().RecordCount(), 0);
    QVERIFY(catalogue.ProductBar().Eof());
    QCOMPARE(catalogue.ProductDescription(100), "<>");
  }

  void catalogueIsNeverWritten() {
    const QString copy = dir_.filePath("copy.db");
    QVERIFY(QFile::copy(small_, copy));
    CatalogueDatabase db;
    QCOMPARE(db.Open(copy), CatalogueState::kOpen);
    RecordSet set;
    QString why;
    QVERIFY(!db.OpenRecordSet(&set, "DELETE FROM tKatalog", &why));
    QVERIFY2(why.contains("readonly") || why.contains("read-only") || why.contains("read only"),
             qPrintable(why));
  }

  void helpers_data() {
    QTest::addColumn<QVariant>("height");
    QTest::addColumn<int>("rounded");
    QTest::newRow("empty") << QVariant() << 0;
    QTest::newRow("blank text") << QVariant(" ") << 0;
    QTest::newRow("whole") << QVariant(85) << 85;
    QTest::newRow("half to even, down") << QVariant(82.5) << 82;
    QTest::newRow("half to even, up") << QVariant(45.5) << 46;
    QTest::newRow("text") << QVariant("3.5") << 4;
    QTest::newRow("not a number") << QVariant("high") << 0;
  }

  void helpers() {
    QFETCH(QVariant, height);
    QFETCH(int, rounded);
    QCOMPARE(tessel::ProductHeight(height), rounded);
    QCOMPARE(tessel::SmallPictureName("li0100p2.bmp"), "li0100x1.bmp");
    QCOMPARE(tessel::ImagesFolder("/opt/tessel/katalog/katalog.db"), "/opt/tessel/katalog/images");
  }

  // The sample catalogue as the build made it.
  void shippedCatalogue_data() {
    QTest::addColumn<QString>("suffix");
    QTest::newRow("English") << "";
    QTest::newRow("German") << "D";
  }

  void shippedCatalogue() {
    QFETCH(QString, suffix);
    constexpr int kPixelsPerCm = 2;
    constexpr int kTolerance = 2;  // pixels, for half centimetres rounded
    const QString file = TESSEL_SHIPPED_CATALOGUE;
    Catalogue catalogue;
    QString why;
    QCOMPARE(catalogue.Open(file, suffix, &why), CatalogueState::kOpen);
    QVERIFY(catalogue.SeriesNames().size() >= 4);
    RecordSet& offered = catalogue.DialogProducts();
    QVERIFY(catalogue.RequeryDialog({}, &why));
    QVERIFY2(offered.RecordCount() >= 150, qPrintable(QString::number(offered.RecordCount())));
    const QString images = tessel::ImagesFolder(file);
    for (offered.MoveFirst(); !offered.Eof(); offered.MoveNext()) {
      const QString id = offered.Field("KatalogID").toString();
      const QString plan = offered.Field("Plangrafik").toString();
      QVERIFY2(!plan.contains(','), qPrintable(id));
      QVERIFY2(plan.at(plan.size() - 5) == '2', qPrintable(id));
      QVERIFY2(!offered.Field("BezeichnungL").toString().isEmpty(), qPrintable(id));
      QVERIFY2(!offered.Field("TextL").toString().isEmpty(), qPrintable(id));
      const int width = qRound(offered.Field("Breite").toDouble() * kPixelsPerCm);
      const int depth = qRound(offered.Field("Tiefe").toDouble() * kPixelsPerCm);
      for (const QChar variant : {QChar('2'), QChar('3')}) {
        QString name = plan;
        name[name.size() - 5] = variant;
        const BitmapHeader header = ReadHeader(images + "/" + name);
        QVERIFY2(header.bits == 8, qPrintable(name));
        const bool upright =
            qAbs(header.width - width) <= kTolerance && qAbs(header.height - depth) <= kTolerance;
        const bool turned =
            qAbs(header.width - depth) <= kTolerance && qAbs(header.height - width) <= kTolerance;
        QVERIFY2(upright || turned, qPrintable(name));
        QImage image(images + "/" + name);
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        // The plan's colour table, with white (left out in the plan) at 255.
        QVERIFY2(image.colorCount() == 256 && image.color(255) == qRgb(255, 255, 255),
                 qPrintable(name));
      }
      const BitmapHeader small = ReadHeader(images + "/" + tessel::SmallPictureName(plan));
      QVERIFY2(small.bits == 8 && small.width > 0 && small.height > 0, qPrintable(id));
    }
    // Within a series and group the sizes rise: "Vanity unit 60, 80, 100, 120".
    QVERIFY(catalogue.RequeryDialog({}, &why));
    for (offered.MoveFirst(); !offered.Eof(); offered.MoveNext()) {
      const QString series = offered.Field("Serie").toString();
      const QString group = offered.Field("Produktgruppe").toString();
      const QString name = offered.Field("BezeichnungL").toString();
      offered.MoveNext();
      if (offered.Eof()) break;
      if (offered.Field("Serie").toString() == series &&
          offered.Field("Produktgruppe").toString() == group)
        QVERIFY2(tessel::NaturalCompare(name, offered.Field("BezeichnungL").toString()) <= 0,
                 qPrintable(name + " / " + offered.Field("BezeichnungL").toString()));
      offered.MovePrevious();
    }
    // The products the placement treats by number.
    for (const int special : {139, 182, 183, 184, 210, 239, 492})
      QVERIFY2(offered.FindFirst("KatalogID = " + QString::number(special)),
               qPrintable(QString::number(special)));
    // The placement's special cases have products to act on: the groups that ask for
    // the mounting side, the groups never offered on their own, and product 492, whose
    // message shows only outside the mounting-side groups.
    QList<int> withoutProducts;
    int group492 = 0;
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "shipped");
      db.setDatabaseName(file);
      db.open();
      QSqlQuery q(db);
      for (const int group : {6, 9, 10, 11, 12, 13, 14, 23, 26, 27, 28, 31}) {
        q.exec(QString("SELECT COUNT(*) FROM tKatalog WHERE Produktgruppe1 = %1 AND "
                       "Plangrafik > ''")
                   .arg(group));
        if (!q.next() || q.value(0).toInt() == 0) withoutProducts << group;
      }
      q.exec("SELECT Produktgruppe1 FROM tKatalog WHERE KatalogID = 492");
      if (q.next()) group492 = q.value(0).toInt();
      q.finish();
      db.close();
    }
    QSqlDatabase::removeDatabase("shipped");
    QCOMPARE(withoutProducts, QList<int>{});
    QVERIFY(group492 > 0 && (group492 < 9 || group492 > 14));
    // Every product group a bathroom needs is offered, with its name in this language.
    QVERIFY(catalogue.GroupNames().size() >= 18);
    for (const QString& group : catalogue.GroupNames()) QVERIFY(!group.isEmpty());
    // Double washbasins are a group of their own, with their wider free area.
    const QString doubles = suffix.isEmpty() ? "Double washbasins" : "Doppelwaschtische";
    QVERIFY(catalogue.GroupNames().contains(doubles));
    QVERIFY(catalogue.RequeryDialog({std::nullopt, doubles}, &why));
    QCOMPARE(offered.RecordCount(), 3);
    for (offered.MoveFirst(); !offered.Eof(); offered.MoveNext()) {
      int bottom = 0, top = 0;
      QVERIFY(catalogue.HeightBand(offered.Field("KatalogID").toLongLong(), &bottom, &top));
      QCOMPARE(std::pair(bottom, top), std::pair(60, 85));  // wall-hung, as the washbasins
    }
    RecordSet& areas = catalogue.FreeAreas();
    QVERIFY(areas.FindFirst("Produktgruppe = 21"));
    QCOMPARE(areas.Field("Breite").toInt(), 150);
    QCOMPARE(areas.Field("Tiefe").toInt(), 55);
    QCOMPARE(areas.Field("BreiteBF").toInt(), 120);
    QCOMPARE(areas.Field("BreiteR").toInt(), 150);
    for (const QString& series : catalogue.SeriesNames()) {
      QStringList groups;
      QVERIFY(catalogue.GroupsOfSeries(series, &groups, &why));
    }
  }

 private:
  QTemporaryDir dir_;
  QString small_;
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "test_catalogue.moc"
