#include "catalogue/product_list_csv.h"

#include <map>

#include "catalogue/catalogue.h"

namespace tessel {

namespace {

constexpr const char kSeparator[] = ",";
// RFC 4180's line end; spreadsheets read a bare LF as well.
constexpr const char kLineEnd[] = "\r\n";

QString Row(const QStringList& fields) {
  QStringList quoted;
  for (const QString& f : fields) quoted << CsvField(f);
  return quoted.join(kSeparator) + kLineEnd;
}

// A number as the catalogue holds it, empty when it holds none.
QString Number(const QVariant& value) {
  return value.isNull() ? QString() : value.toString().trimmed();
}

}  // namespace

QString CsvField(const QString& text) {
  const bool quote =
      text.contains(',') || text.contains('"') || text.contains('\n') || text.contains('\r');
  if (!quote) return text;
  QString doubled = text;
  doubled.replace('"', "\"\"");
  return '"' + doubled + '"';
}

QByteArray ProductListCsv(Catalogue& catalogue, const QList<qint64>& placed,
                          const QStringList& header) {
  std::map<qint64, int> counts;
  for (qint64 id : placed)
    if (id > 0) ++counts[id];
  QString out = Row(header);
  RecordSet& products = catalogue.AllProducts();
  for (const auto& [id, count] : counts) {
    QStringList fields(kProductListColumns);
    fields[kCatalogueNumberColumn] = QString::number(id);
    fields[kCountColumn] = QString::number(count);
    if (products.RecordCount() > 0 && products.FindFirst("KatalogID = " + QString::number(id))) {
      const QVariant model = products.Field("ModellNr");
      fields[kModelNumberColumn] = model.toLongLong() > 0 ? model.toString() : QString();
      fields[kSeriesColumn] = products.Field("Serie").toString();
      fields[kNameColumn] = products.Field("BezeichnungL").toString();
      fields[kWidthColumn] = Number(products.Field("Breite"));
      fields[kDepthColumn] = Number(products.Field("Tiefe"));
      fields[kHeightColumn] = Number(products.Field(QString::fromUtf8("Höhe")));
    }
    out += Row(fields);
  }
  return out.toUtf8();
}

}  // namespace tessel
