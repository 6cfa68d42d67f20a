// The catalogue's SQL statements, built piece by piece in the catalogue's own dialect
// (double-quoted string literals, DISTINCTROW), and the one translation of that dialect
// into what SQLite reads. Column names that depend on the language carry the suffix
// (empty for English, "D" for German), the ORDER BY included.
#pragma once

#include <QString>
#include <optional>

namespace tessel {

// A chosen series and group; an empty optional is "all" (entry 0 of a drop-down).
struct ProductFilter {
  std::optional<QString> series;
  std::optional<QString> group;
};

// Every product, offered or not: the look-ups by product number.
QString AllProductsStatement(const QString& suffix);
// The offered products of every series and group: the first product bar and dialog list.
QString OfferedProductsStatement(const QString& suffix);
QString SeriesStatement();
// The groups offered in the group drop-downs.
QString GroupsStatement(const QString& suffix);
// The offered groups holding products of one series.
QString SeriesGroupsStatement(const QString& suffix, const QString& series);
QString ProductBarStatement(const QString& suffix, const ProductFilter& filter);
// As the product bar's, with the long description for the catalogue dialog.
QString CatalogueDialogStatement(const QString& suffix, const ProductFilter& filter);

// A text as a literal of the statements: between double quotes, a double quote inside
// doubled, so that any series or group name reads back as it stands.
QString QuotedLiteral(const QString& text);

// The statements above as SQLite reads them: DISTINCTROW becomes DISTINCT (the group
// lists select from the group table only, where both give one row per group); a
// double-quoted literal becomes a single-quoted one (SQLite would read a double-quoted
// word that names a column as that column); and "A RIGHT JOIN (B) ON c" becomes the
// equal "(B) LEFT JOIN A ON c", which SQLite answers by key instead of by scanning.
// Every key of the ORDER BY sorts in kNaturalOrder, as a reader expects a list to be
// ordered: SQLite alone would put "Vanity unit 100" before "Vanity unit 60".
QString ToSqlite(const QString& statement);

// The collation the catalogue's connections know (CatalogueDatabase registers it): text
// without regard to case, a run of digits by its value. Numbers are not texts to it and
// keep SQLite's own order.
inline constexpr char kNaturalOrder[] = "NUMBERS_BY_VALUE";
// Below, equal to or above zero as a sorts before, with or after b in kNaturalOrder.
int NaturalCompare(const QString& a, const QString& b);

}  // namespace tessel
