#include "catalogue/statements.h"

#include <QStringList>
#include <QStringView>

namespace tessel {

namespace {

const QString kDoubleQuote = QStringLiteral("\"");

// The offered-group rule of the product lists: never the discontinued, sample and
// frame groups (26 to 28) nor the internal ones (30 and up). Groups 6, 13 and 23 are
// left in, so their products show under "all groups" though the groups are not offered.
const QString kProductGroupRule =
    QStringLiteral("(ProduktgruppenID < 26 OR ProduktgruppenID > 28) AND ProduktgruppenID < 30 ");
// The group lists leave out 6, 13 and 23 as well.
const QString kGroupListRule =
    QStringLiteral("ProduktgruppenID <> 6 AND ProduktgruppenID <> 13 AND ProduktgruppenID <> 23 ");

QString ProductSources() {
  return QStringLiteral("FROM tProduktgruppen RIGHT JOIN ") +
         "(tKatalog LEFT JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID ) " +
         "ON tProduktgruppen.Produktgruppe = tKatalog.Produktgruppe1 ";
}

QString ProductSelection(const QString& suffix) {
  return QStringLiteral("SELECT KatalogID, Serie, ModellNr, Produktgruppe, ") + "Bezeichnung" +
         suffix + " AS BezeichnungL, Breite, Tiefe, Höhe, Plangrafik, Illustration ";
}

QString FilteredProducts(const QString& suffix, const ProductFilter& filter) {
  QString sql = "WHERE Plangrafik > " + kDoubleQuote + kDoubleQuote + " ";
  if (filter.series) sql += "AND ltSerien.Serie = " + QuotedLiteral(*filter.series) + " ";
  if (filter.group)
    sql += "AND tProduktgruppen.Beschreibung" + suffix + " = " + QuotedLiteral(*filter.group);
  else
    sql += "AND " + kProductGroupRule;
  return sql + "ORDER BY Serie, Produktgruppe, Bezeichnung" + suffix;
}

bool WordChar(QChar c) {
  return c.isLetterOrNumber() || c == '_';
}

}  // namespace

QString AllProductsStatement(const QString& suffix) {
  return "SELECT KatalogID, Serie, ModellNr, Bezeichnung" + suffix +
         " AS BezeichnungL, Breite, Tiefe, Höhe, Plangrafik FROM tKatalog LEFT JOIN ltSerien ON "
         "tKatalog.SerienID = ltSerien.SerienID";
}

QString OfferedProductsStatement(const QString& suffix) {
  return ProductSelection(suffix) + ProductSources() + "WHERE Plangrafik > " + kDoubleQuote +
         kDoubleQuote + " AND " + kProductGroupRule + "ORDER BY Serie, Produktgruppe, Bezeichnung" +
         suffix;
}

QString SeriesStatement() {
  return QStringLiteral("SELECT DISTINCT Serie FROM ltSerien ORDER BY Serie");
}

QString GroupsStatement(const QString& suffix) {
  return "SELECT Beschreibung" + suffix + " AS BeschreibungL FROM tProduktgruppen WHERE " +
         kGroupListRule + "AND " + kProductGroupRule + "ORDER BY ProduktgruppenID";
}

QString SeriesGroupsStatement(const QString& suffix, const QString& series) {
  return "SELECT DISTINCTROW tProduktgruppen.Beschreibung" + suffix +
         " AS Gruppenname FROM (tKatalog INNER JOIN tProduktgruppen " +
         "ON tKatalog.Produktgruppe1 = tProduktgruppen.Produktgruppe) " +
         "INNER JOIN ltSerien ON tKatalog.SerienID = ltSerien.SerienID " +
         "WHERE Serie = " + QuotedLiteral(series) + " AND " + kGroupListRule + "AND " +
         kProductGroupRule + "ORDER BY ProduktgruppenID;";
}

QString ProductBarStatement(const QString& suffix, const ProductFilter& filter) {
  return ProductSelection(suffix) + ProductSources() + FilteredProducts(suffix, filter);
}

QString CatalogueDialogStatement(const QString& suffix, const ProductFilter& filter) {
  return QStringLiteral("SELECT KatalogID, Serie, ModellNr, Produktgruppe, ") + "Bezeichnung" +
         suffix + " AS BezeichnungL, " + "Text" + suffix + " AS TextL, " +
         "Breite, Tiefe, Höhe, Plangrafik " + ProductSources() + FilteredProducts(suffix, filter);
}

QString QuotedLiteral(const QString& text) {
  return kDoubleQuote + QString(text).replace(kDoubleQuote, kDoubleQuote + kDoubleQuote) +
         kDoubleQuote;
}

namespace {

// "A RIGHT JOIN (B) ON c" as "(B) LEFT JOIN A ON c": the same rows, but SQLite runs the
// right join as a scan of the whole parenthesised join for every row of A, and the left
// join as one look-up of A by its key per product, which is many times faster.
QString SwapRightJoin(const QString& statement) {
  static const QString kRightJoin = QStringLiteral(" RIGHT JOIN (");
  const qsizetype at = statement.indexOf(kRightJoin, 0, Qt::CaseInsensitive);
  // Only in the FROM part, before any literal.
  if (at <= 0 || statement.left(at).contains('"')) return statement;
  qsizetype start = at;
  while (start > 0 && WordChar(statement[start - 1])) --start;
  if (start == at) return statement;
  const qsizetype open = at + kRightJoin.size() - 1;
  qsizetype close = open, depth = 0;
  for (; close < statement.size(); ++close) {
    if (statement[close] == '(') ++depth;
    if (statement[close] == ')' && --depth == 0) break;
  }
  if (close >= statement.size()) return statement;
  return statement.left(start) + statement.mid(open, close + 1 - open) + " LEFT JOIN " +
         statement.mid(start, at - start) + statement.mid(close + 1);
}

// Appends the natural collation to every key of the statement's ORDER BY. The literals
// are single-quoted by now; an ORDER BY inside one is text, not a clause.
QString NaturalOrderBy(const QString& statement) {
  static const QString kOrderBy = QStringLiteral("ORDER BY ");
  qsizetype at = -1;
  for (qsizetype from = 0;;) {
    const qsizetype found = statement.indexOf(kOrderBy, from, Qt::CaseInsensitive);
    if (found < 0) break;
    if (statement.left(found).count('\'') % 2 == 0) at = found;
    from = found + 1;
  }
  if (at < 0) return statement;
  const qsizetype keysStart = at + kOrderBy.size();
  qsizetype keysEnd = statement.indexOf(';', keysStart);
  if (keysEnd < 0) keysEnd = statement.size();
  QStringList keys = statement.mid(keysStart, keysEnd - keysStart).split(',');
  for (QString& key : keys) key = key.trimmed() + " COLLATE " + kNaturalOrder;
  return statement.left(keysStart) + keys.join(", ") + statement.mid(keysEnd);
}

}  // namespace

QString ToSqlite(const QString& original) {
  static const QString kDistinctRow = QStringLiteral("DISTINCTROW");
  const QString statement = SwapRightJoin(original);
  QString out;
  out.reserve(statement.size() + 8);
  for (qsizetype i = 0; i < statement.size();) {
    const QChar c = statement[i];
    if (c == '"') {
      // A literal runs to the next double quote that is not doubled.
      QString literal;
      ++i;
      while (i < statement.size()) {
        if (statement[i] == '"') {
          if (i + 1 < statement.size() && statement[i + 1] == '"') {
            literal += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        literal += statement[i++];
      }
      out += '\'' + literal.replace('\'', "''") + '\'';
      continue;
    }
    if (WordChar(c) && (i == 0 || !WordChar(statement[i - 1])) &&
        statement.mid(i, kDistinctRow.size()).compare(kDistinctRow, Qt::CaseInsensitive) == 0 &&
        (i + kDistinctRow.size() >= statement.size() ||
         !WordChar(statement[i + kDistinctRow.size()]))) {
      out += QStringLiteral("DISTINCT");
      i += kDistinctRow.size();
      continue;
    }
    out += c;
    ++i;
  }
  return NaturalOrderBy(out);
}

int NaturalCompare(const QString& a, const QString& b) {
  qsizetype i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i].isDigit() && b[j].isDigit()) {
      // Leading zeros aside, the longer run of digits is the larger number; runs of one
      // length compare digit by digit.
      const qsizetype si = i, sj = j;
      while (i < a.size() && a[i].isDigit()) ++i;
      while (j < b.size() && b[j].isDigit()) ++j;
      QStringView x = QStringView(a).mid(si, i - si), y = QStringView(b).mid(sj, j - sj);
      while (x.size() > 1 && x.front() == '0') x = x.mid(1);
      while (y.size() > 1 && y.front() == '0') y = y.mid(1);
      if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
      if (const int c = x.compare(y); c != 0) return c;
      continue;
    }
    const char32_t x = QChar::toCaseFolded(a[i].unicode()), y = QChar::toCaseFolded(b[j].unicode());
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
  // Equal to a reader ("A1" and "a01"): one fixed order all the same.
  return a.compare(b);
}

}  // namespace tessel
