// The placed products as a list for ordering: a CSV file a spreadsheet opens as written
// (UTF-8 without a byte order mark, a header row, comma separated, CRLF line ends, and
// fields quoted when they hold a comma, a quote or a line break).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tessel {

class Catalogue;

// The columns of the list, in this order; the header row takes one caption for each.
enum ProductListColumn {
  kCatalogueNumberColumn = 0,
  kModelNumberColumn,
  kSeriesColumn,
  kNameColumn,
  kWidthColumn,
  kDepthColumn,
  kHeightColumn,
  kCountColumn,
  kProductListColumns
};

// One field as RFC 4180 writes it: as it is, or in quotes with its quotes doubled.
QString CsvField(const QString& text);

// One row per product number, in ascending number so the list does not depend on the
// order things were placed in; `count` how often the product was placed. The name is in
// the catalogue's open language. A product the catalogue does not know keeps its number
// and leaves the other columns empty. `header` holds kProductListColumns captions.
QByteArray ProductListCsv(Catalogue& catalogue, const QList<qint64>& placed,
                          const QStringList& header);

}  // namespace tessel
