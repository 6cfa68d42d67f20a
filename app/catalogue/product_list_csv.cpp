#include "catalogue/product_list_csv.h"

#include <map>

#include "catalogue/catalogue.h"

namespace tessel {

namespace {

// RFC 4180's line end; spreadsheets read a bare LF as well.
constexpr const char kLineEnd[] = "\r\n";
// UTF-8's byte-order mark: without it a spreadsheet takes the file for its own code
// page and shows "HÃ¶he".
constexpr const char kByteOrderMark[] = "\xEF\xBB\xBF";
// Sizes are whole or half centimetres; more digits than these are noise.
constexpr int kSizeDigits = 6;

QString Row(const QStringList& fields, char separator) {
  QStringList quoted;
  for (const QString& f : fields) quoted << CsvField(f, separator);
  return quoted.join(QChar(separator)) + kLineEnd;
}

// A size as the catalogue holds it, negative when it holds none.
double Size(const QVariant& value) {
  bool ok = false;
  const double v = value.isNull() ? -1 : value.toString().trimmed().toDouble(&ok);
  return ok && v >= 0 ? v : -1;
}

}  // namespace

CsvStyle CsvStyleFor(const QString& languageSuffix) {
  return languageSuffix.compare("D", Qt::CaseInsensitive) == 0 ? kGermanCsv : kEnglishCsv;
}

QString CsvField(const QString& text, char separator) {
  const bool quote = text.contains(QChar(separator)) || text.contains('"') || text.contains('\n') ||
                     text.contains('\r');
  if (!quote) return text;
  QString doubled = text;
  doubled.replace('"', "\"\"");
  return '"' + doubled + '"';
}

QString SizeText(double centimetres, char decimalMark) {
  if (centimetres < 0) return {};
  QString text = QString::number(centimetres, 'g', kSizeDigits);
  text.replace('.', QChar(decimalMark));
  return text;
}

QList<ProductListRow> ProductListRows(Catalogue& catalogue, const QList<qint64>& placed) {
  std::map<qint64, int> counts;
  for (qint64 id : placed)
    if (id > 0) ++counts[id];
  QList<ProductListRow> rows;
  RecordSet& products = catalogue.AllProducts();
  for (const auto& [id, count] : counts) {
    ProductListRow row;
    row.position = static_cast<int>(rows.size()) + 1;
    row.id = id;
    row.count = count;
    if (products.RecordCount() > 0 && products.FindFirst("KatalogID = " + QString::number(id))) {
      const QVariant model = products.Field("ModellNr");
      row.model = model.toLongLong() > 0 ? model.toString() : QString();
      row.series = products.Field("Serie").toString();
      row.name = products.Field("BezeichnungL").toString();
      row.width = Size(products.Field("Breite"));
      row.depth = Size(products.Field("Tiefe"));
      row.height = Size(products.Field(QString::fromUtf8("Höhe")));
    }
    rows << row;
  }
  return rows;
}

QByteArray ProductListCsv(const QList<ProductListRow>& rows, const QStringList& header,
                          CsvStyle style) {
  QString out = Row(header, style.separator);
  for (const ProductListRow& row : rows) {
    QStringList fields(kProductListColumns);
    fields[kPositionColumn] = QString::number(row.position);
    fields[kCatalogueNumberColumn] = QString::number(row.id);
    fields[kModelNumberColumn] = row.model;
    fields[kSeriesColumn] = row.series;
    fields[kNameColumn] = row.name;
    fields[kWidthColumn] = SizeText(row.width, style.decimalMark);
    fields[kDepthColumn] = SizeText(row.depth, style.decimalMark);
    fields[kHeightColumn] = SizeText(row.height, style.decimalMark);
    fields[kCountColumn] = QString::number(row.count);
    out += Row(fields, style.separator);
  }
  return kByteOrderMark + out.toUtf8();
}

QByteArray ProductListCsv(Catalogue& catalogue, const QList<qint64>& placed,
                          const QStringList& header, CsvStyle style) {
  return ProductListCsv(ProductListRows(catalogue, placed), header, style);
}

}  // namespace tessel
