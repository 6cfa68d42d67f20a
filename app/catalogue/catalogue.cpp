#include "catalogue/catalogue.h"

#include <sqlite3.h>

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace tessel {

namespace {

QAtomicInt connectionCount;

QString Named(const QString& file, const QString& what) {
  return "The catalogue " + file + " " + what;
}

// SQLite's result codes for a file another connection holds locked.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;

}  // namespace

QString CatalogueConnectOptions() {
  return QString("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kCatalogueBusyMilliseconds);
}

bool CatalogueBusy(const QSqlError& error) {
  bool ok = false;
  // The extended codes keep the primary one in their low byte.
  const int code = error.nativeErrorCode().toInt(&ok) & 0xFF;
  return ok && (code == kSqliteBusy || code == kSqliteLocked);
}

QString CatalogueInUseText(const QString& file, const QString& suffix) {
  if (suffix.compare("D", Qt::CaseInsensitive) == 0)
    return QString::fromUtf8(
               "Der Katalog %1 wird gerade von einem anderen Programm verwendet und ist "
               "gesperrt. Bitte warten Sie, bis es fertig ist, oder beenden Sie es, und "
               "starten Sie den Planer dann erneut.")
        .arg(file);
  return QString(
             "The catalogue %1 is in use: another program holds it locked. Please wait "
             "until it is done, or close it, and then start the planner again.")
      .arg(file);
}

namespace {

int CompareNaturally(void*, int lengthA, const void* a, int lengthB, const void* b) {
  return NaturalCompare(QString::fromUtf8(static_cast<const char*>(a), lengthA),
                        QString::fromUtf8(static_cast<const char*>(b), lengthB));
}

// The statements sort in kNaturalOrder (ToSqlite): the connection learns it here, through
// the SQLite handle the driver shares.
bool RegisterNaturalOrder(const QSqlDatabase& db) {
  const QVariant handle = db.driver()->handle();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return false;
  sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
  return connection && sqlite3_create_collation(connection, kNaturalOrder, SQLITE_UTF8, nullptr,
                                                &CompareNaturally) == SQLITE_OK;
}

}  // namespace

CatalogueDatabase::CatalogueDatabase()
    : connection_("catalogue-" + QString::number(connectionCount.fetchAndAddRelaxed(1))) {}

CatalogueDatabase::~CatalogueDatabase() {
  Close();
}

CatalogueState CatalogueDatabase::Open(const QString& file, QString* why) {
  Close();
  file_ = file;
  auto fail = [&](CatalogueState state, const QString& reason) {
    if (why) *why = Named(file, reason);
    Close();
    return state;
  };
  const QFileInfo info(file);
  if (!info.exists()) return fail(CatalogueState::kMissing, "is missing.");
  if (!info.isFile() || !info.isReadable())
    return fail(CatalogueState::kUnreadable, "cannot be read.");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection_);
    db.setDatabaseName(file);
    db.setConnectOptions(CatalogueConnectOptions());
    if (!db.open())
      return fail(CatalogueState::kUnreadable, "cannot be opened: " + db.lastError().text());
    if (!RegisterNaturalOrder(db))
      return fail(CatalogueState::kUnreadable, "cannot be sorted: the database has no handle");
  }
  open_ = true;
  // SQLite reads the file only at the first statement: a file that is no database fails
  // here, an empty one shows no tables, and a locked one is waited for.
  QSqlQuery tables(QSqlDatabase::database(connection_, false));
  if (!tables.exec("SELECT name FROM sqlite_master WHERE type = 'table'")) {
    if (CatalogueBusy(tables.lastError())) {
      const QString text = CatalogueInUseText(file, QString());
      if (why) *why = text;
      Close();
      return CatalogueState::kBusy;
    }
    return fail(CatalogueState::kUnreadable,
                "is not a catalogue database: " + tables.lastError().text());
  }
  QStringList names;
  while (tables.next()) names << tables.value(0).toString().toLower();
  const bool texts = names.contains("tstrings") || names.contains("terror");
  const bool products =
      names.contains("tkatalog") && names.contains("ltserien") && names.contains("tproduktgruppen");
  if (!texts && !products) return fail(CatalogueState::kNoTables, "holds no catalogue tables.");
  if (!products) {
    // The texts still serve; the caller decides to go on without products.
    if (why) *why = Named(file, "holds no products.");
    return CatalogueState::kNoProducts;
  }
  return CatalogueState::kOpen;
}

void CatalogueDatabase::Close() {
  remembered_.clear();
  if (QSqlDatabase::contains(connection_)) {
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
  }
  open_ = false;
}

bool CatalogueDatabase::OpenRecordSet(RecordSet* set, const QString& statement,
                                      QString* why) const {
  if (!open_) {
    set->Close();
    if (why) *why = Named(file_, "is not open.");
    return false;
  }
  const QString sql = ToSqlite(statement);
  for (qsizetype i = 0; i < remembered_.size(); ++i) {
    if (remembered_[i].first != sql) continue;
    remembered_.move(i, 0);
    *set = remembered_.front().second;
    set->MoveFirst();
    return true;
  }
  QString reason;
  if (set->Open(QSqlDatabase::database(connection_, false), sql, &reason)) {
    remembered_.prepend({sql, *set});
    if (remembered_.size() > kRememberedStatements) remembered_.removeLast();
    return true;
  }
  if (why) *why = Named(file_, "cannot answer a product query: " + reason);
  return false;
}

CatalogueState Catalogue::Open(const QString& file, const QString& suffix, QString* why) {
  Close();
  suffix_ = suffix;
  state_ = db_.Open(file, why);
  if (state_ == CatalogueState::kBusy && why) *why = CatalogueInUseText(file, suffix);
  if (state_ != CatalogueState::kOpen) return state_;
  RecordSet series;
  const bool ok = db_.OpenRecordSet(&allProducts_, AllProductsStatement(suffix), why) &&
                  db_.OpenRecordSet(&productBar_, OfferedProductsStatement(suffix), why) &&
                  db_.OpenRecordSet(&series, SeriesStatement(), why) &&
                  db_.OpenRecordSet(&groups_, GroupsStatement(suffix), why);
  if (!ok) {
    Close();
    return state_ = CatalogueState::kBadQuery;
  }
  // The dialog starts on the same statement as the bar: a second snapshot of it would
  // hold the same rows, so the two share them and walk apart.
  dialogProducts_ = productBar_;
  // Tables that older catalogue files lack: without them products have no height band
  // and no free area, and everything else works as before.
  db_.OpenRecordSet(&heights_, "SELECT KatalogID, Unterkante, Oberkante FROM tHoehen");
  db_.OpenRecordSet(&productGroups_, "SELECT KatalogID, Produktgruppe1 FROM tKatalog");
  db_.OpenRecordSet(&freeAreas_, "SELECT * FROM tBewegungsflaechen");
  for (series.MoveFirst(); !series.Eof(); series.MoveNext()) series_ << series.Field(0).toString();
  return state_;
}

void Catalogue::Close() {
  allProducts_.Close();
  productBar_.Close();
  dialogProducts_.Close();
  groups_.Close();
  heights_.Close();
  productGroups_.Close();
  freeAreas_.Close();
  series_.clear();
  db_.Close();
  state_ = CatalogueState::kClosed;
}

QStringList Catalogue::GroupNames() {
  QStringList names;
  for (groups_.MoveFirst(); !groups_.Eof(); groups_.MoveNext())
    names << groups_.Field(0).toString();
  return names;
}

bool Catalogue::GroupsOfSeries(const QString& series, QStringList* names, QString* why) const {
  names->clear();
  RecordSet groups;
  if (!db_.OpenRecordSet(&groups, SeriesGroupsStatement(suffix_, series), why)) return false;
  for (; !groups.Eof(); groups.MoveNext()) *names << groups.Field("Gruppenname").toString();
  return true;
}

bool Catalogue::RequeryProductBar(const ProductFilter& filter, QString* why) {
  return db_.OpenRecordSet(&productBar_, ProductBarStatement(suffix_, filter), why);
}

bool Catalogue::RequeryDialog(const ProductFilter& filter, QString* why) {
  return db_.OpenRecordSet(&dialogProducts_, CatalogueDialogStatement(suffix_, filter), why);
}

bool Catalogue::HeightBand(qint64 id, int* bottom, int* top) {
  if (heights_.RecordCount() == 0 || !heights_.FindFirst("KatalogID = " + QString::number(id)))
    return false;
  bool okBottom = false, okTop = false;
  *bottom = heights_.Field("Unterkante").toInt(&okBottom);
  *top = heights_.Field("Oberkante").toInt(&okTop);
  return okBottom && okTop && *bottom >= 0 && *top > *bottom;
}

int Catalogue::ProductGroup(qint64 id) {
  if (productGroups_.RecordCount() == 0 ||
      !productGroups_.FindFirst("KatalogID = " + QString::number(id)))
    return 0;
  return productGroups_.Field("Produktgruppe1").toInt();
}

QString Catalogue::ProductDescription(qint64 id) {
  if (allProducts_.RecordCount() == 0 ||
      !allProducts_.FindFirst("KatalogID = " + QString::number(id)))
    return QStringLiteral("<>");
  const QVariant model = allProducts_.Field("ModellNr");
  const QString number = model.toLongLong() > 0 ? model.toString() : QStringLiteral("000000");
  return number + "    " + allProducts_.Field("Serie").toString() + "  -  " +
         allProducts_.Field("BezeichnungL").toString();
}

QString ImagesFolder(const QString& catalogueFile) {
  return QFileInfo(catalogueFile).absolutePath() + "/images";
}

QString SmallPictureName(const QString& planName) {
  return planName.left(planName.size() - 6) + "x1.bmp";
}

int ProductHeight(const QVariant& height) {
  if (height.isNull() || height.toString().trimmed().isEmpty()) return 0;
  bool ok = false;
  const double value = height.toDouble(&ok);
  // The default rounding mode rounds halves to the even neighbour.
  return ok ? int(std::nearbyint(value)) : 0;
}

}  // namespace tessel
