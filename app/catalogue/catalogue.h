// The product catalogue: the database file opened read-only, and the long-lived result
// sets the product bar, the catalogue dialog, product placement and printing read.
// Plain classes without widgets: the bar and the dialog hold a Catalogue and read its
// sets; tests drive it directly.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include "catalogue/record_set.h"
#include "catalogue/statements.h"

namespace tessel {

// What opening the catalogue file found. Every state but kOpen comes with a text that
// names the file and can be shown as it stands.
enum class CatalogueState {
  kClosed,
  kOpen,
  kMissing,     // no such file
  kUnreadable,  // not readable, or not a database
  kNoTables,    // a database without the catalogue's tables
  kNoProducts,  // the texts are there, the product tables are not: start with an empty bar
  kBadQuery,    // a product statement failed (columns missing, another language's suffix)
  kBusy,        // another program holds the file locked for longer than the planner waits
};

// How long a statement waits for a catalogue that another program holds locked for a
// moment (a backup, an update writing it) before the file counts as in use.
constexpr int kCatalogueBusyMilliseconds = 3000;
// The options every connection to the catalogue opens with: read-only, and waiting
// for a lock as long as above.
QString CatalogueConnectOptions();
// Whether a failed statement failed because another program holds the file locked.
bool CatalogueBusy(const QSqlError& error);
// What the planner says of a catalogue in use, naming the file. It cannot come from
// the text tables, which are in that file: English, or German for the suffix "D".
QString CatalogueInUseText(const QString& file, const QString& suffix);

// The catalogue file as a database: opened read-only, since the program never changes
// the catalogue, and on a connection of its own so that several can be open at once.
class CatalogueDatabase {
 public:
  CatalogueDatabase();
  ~CatalogueDatabase();
  CatalogueDatabase(const CatalogueDatabase&) = delete;
  CatalogueDatabase& operator=(const CatalogueDatabase&) = delete;

  CatalogueState Open(const QString& file, QString* why = nullptr);
  void Close();
  bool IsOpen() const { return open_; }
  const QString& File() const { return file_; }

  // Opens a snapshot of a statement written in the catalogue's dialect (statements.h);
  // it is translated for SQLite here and nowhere else. The file does not change while
  // it is open, so the snapshots of the last few statements are kept and a statement
  // asked again (a drop-down set back) is answered from them without reading the file.
  bool OpenRecordSet(RecordSet* set, const QString& statement, QString* why = nullptr) const;

 private:
  // Enough for the bar's and the dialog's recent choices; each holds at most the whole
  // catalogue once, and its rows are shared with the sets handed out.
  static constexpr int kRememberedStatements = 8;

  QString connection_;
  QString file_;
  bool open_ = false;
  mutable QList<QPair<QString, RecordSet>> remembered_;  // most recent first
};

class Catalogue {
 public:
  // Opens the file and the sets the program keeps: every product, the offered products
  // for the product bar and again for the catalogue dialog, the series names and the
  // offered groups. `suffix` is the language suffix ("" English, "D" German).
  // kNoProducts leaves every set empty and the catalogue usable as an empty one.
  CatalogueState Open(const QString& file, const QString& suffix, QString* why = nullptr);
  void Close();
  CatalogueState State() const { return state_; }
  const QString& Suffix() const { return suffix_; }

  // Look-ups by product number ("KatalogID = " + id) and product descriptions.
  RecordSet& AllProducts() { return allProducts_; }
  // The products the bar pages through; replaced by RequeryProductBar.
  RecordSet& ProductBar() { return productBar_; }
  // The catalogue dialog's list; replaced by RequeryDialog.
  RecordSet& DialogProducts() { return dialogProducts_; }
  // The offered groups of all series, field 0 (BeschreibungL) in order.
  RecordSet& Groups() { return groups_; }
  // The series names, in order (the rows of the series drop-downs after entry 0).
  const QStringList& SeriesNames() const { return series_; }
  QStringList GroupNames();

  // The offered groups of one series, for the group drop-down after a series change.
  bool GroupsOfSeries(const QString& series, QStringList* names, QString* why = nullptr) const;
  // Replace the bar's or the dialog's products after a drop-down change. On failure the
  // set is left empty.
  bool RequeryProductBar(const ProductFilter& filter, QString* why = nullptr);
  bool RequeryDialog(const ProductFilter& filter, QString* why = nullptr);

  // The product's height band above the floor (tHoehen), in whole centimetres; false
  // when the catalogue gives it none (or is older than that table).
  bool HeightBand(qint64 id, int* bottom, int* top);
  // The product's group number (Produktgruppe1), 0 when unknown.
  int ProductGroup(qint64 id);
  // The free areas by product group (tBewegungsflaechen); empty in older catalogues.
  RecordSet& FreeAreas() { return freeAreas_; }

  // "<model number>    <series>  -  <name>" of a product, "000000" for a product
  // without model number, "<>" for an unknown one. Moves AllProducts() to it.
  QString ProductDescription(qint64 id);

 private:
  CatalogueDatabase db_;
  CatalogueState state_ = CatalogueState::kClosed;
  QString suffix_;
  RecordSet allProducts_, productBar_, dialogProducts_, groups_;
  RecordSet heights_, productGroups_, freeAreas_;
  QStringList series_;
};

// Where the pictures of a product lie: `Plangrafik` names the plan bitmap (variant
// digit "2" five places from the end) in the images folder beside the catalogue file;
// the small picture for the windows ends in "x1.bmp" instead of its last six characters.
QString ImagesFolder(const QString& catalogueFile);
QString SmallPictureName(const QString& planName);

// A product's height as the engine takes it: the number rounded to a whole centimetre,
// halves to even; 0 when unknown.
int ProductHeight(const QVariant& height);

}  // namespace tessel
