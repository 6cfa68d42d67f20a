// The placed products as a list for ordering: one row per product number with its
// position number, the same rows on the printed page and in the CSV file. The file is
// one a spreadsheet opens as written in the program's language: in English RFC 4180
// (a comma between fields, a point as the decimal mark), in German as German
// spreadsheets read it (a semicolon between fields, a comma as the decimal mark); both
// UTF-8 with a byte-order mark, which tells a spreadsheet the encoding, a header row,
// CRLF line ends, and fields quoted when they hold the separator, a quote or a line
// break.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tessel {

class Catalogue;

// The columns of the list, in this order; the header row takes one caption for each.
enum ProductListColumn {
  kPositionColumn = 0,
  kCatalogueNumberColumn,
  kModelNumberColumn,
  kSeriesColumn,
  kNameColumn,
  kWidthColumn,
  kDepthColumn,
  kHeightColumn,
  kCountColumn,
  kProductListColumns
};

// One product number of the plan. Sizes are in centimetres as the catalogue holds them
// (a half centimetre occurs); a size the catalogue lacks is negative.
struct ProductListRow {
  int position = 0;  // 1, 2, … in the order of the rows; printed beside the product
  qint64 id = 0;     // KatalogID
  QString model, series, name;
  double width = -1, depth = -1, height = -1;
  int count = 0;  // how often the product was placed
};

// One row per product number, in ascending number so the list does not depend on the
// order things were placed in. The name is in the catalogue's open language. A product
// the catalogue does not know keeps its number and leaves the other fields empty.
QList<ProductListRow> ProductListRows(Catalogue& catalogue, const QList<qint64>& placed);

// How the file is written for a language.
struct CsvStyle {
  char separator = ',';
  char decimalMark = '.';
};
constexpr CsvStyle kEnglishCsv{',', '.'};
constexpr CsvStyle kGermanCsv{';', ','};
// The style for the language suffix the texts are open in ("D": German).
CsvStyle CsvStyleFor(const QString& languageSuffix);

// One field as RFC 4180 writes it: as it is, or in quotes with its quotes doubled.
QString CsvField(const QString& text, char separator = ',');
// A size as the list shows it: "82.5" (or "82,5"), "" for none.
QString SizeText(double centimetres, char decimalMark);

// The file's bytes. `header` holds kProductListColumns captions.
QByteArray ProductListCsv(const QList<ProductListRow>& rows, const QStringList& header,
                          CsvStyle style);
QByteArray ProductListCsv(Catalogue& catalogue, const QList<qint64>& placed,
                          const QStringList& header, CsvStyle style = kEnglishCsv);

}  // namespace tessel
