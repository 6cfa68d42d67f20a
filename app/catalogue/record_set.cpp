#include "catalogue/record_set.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace tessel {

namespace {

// Numbers compare as numbers whatever their column type ("139" and 139.0 are the same
// product), texts without regard to case.
QString SearchKey(const QVariant& value) {
  if (value.isNull()) return QString();
  bool number = false;
  const double n = value.toDouble(&number);
  if (number) return "n" + QString::number(n, 'g', 17);
  return "s" + value.toString().toCaseFolded();
}

}  // namespace

bool RecordSet::Open(const QSqlDatabase& db, const QString& statement, QString* why) {
  Close();
  QSqlQuery query(db);
  // Every row is read once, front to back, into the snapshot.
  query.setForwardOnly(true);
  if (!query.exec(statement)) {
    if (why) *why = query.lastError().text();
    return false;
  }
  auto data = std::make_shared<Rows>();
  const QSqlRecord record = query.record();
  const int columns = record.count();
  for (int i = 0; i < columns; ++i) {
    data->names << record.fieldName(i);
    data->fieldIndex.insert(record.fieldName(i).toLower(), i);
  }
  int rows = 0;
  while (query.next()) {
    for (int i = 0; i < columns; ++i) data->values.push_back(query.value(i));
    ++rows;
  }
  if (query.lastError().isValid()) {
    if (why) *why = query.lastError().text();
    return false;
  }
  data_ = std::move(data);
  searchIndex_ = std::make_shared<QHash<int, SearchIndex>>();
  rows_ = rows;
  open_ = true;
  position_ = rows_ > 0 ? 0 : -1;
  return true;
}

void RecordSet::Close() {
  open_ = false;
  noMatch_ = false;
  rows_ = 0;
  position_ = -1;
  data_.reset();
  searchIndex_.reset();
}

void RecordSet::MoveFirst() {
  position_ = rows_ > 0 ? 0 : -1;
}

void RecordSet::MoveLast() {
  position_ = rows_ > 0 ? rows_ - 1 : -1;
}

void RecordSet::MoveNext() {
  if (position_ < rows_) ++position_;
}

void RecordSet::MovePrevious() {
  if (position_ >= 0) --position_;
}

const RecordSet::SearchIndex& RecordSet::IndexOf(int field) {
  auto it = searchIndex_->find(field);
  if (it != searchIndex_->end()) return *it;
  SearchIndex index;
  index.reserve(rows_);
  const int columns = Columns();
  for (int row = 0; row < rows_; ++row) {
    const QString key = SearchKey(data_->values[std::size_t(row) * columns + field]);
    if (!key.isEmpty() && !index.contains(key)) index.insert(key, row);
  }
  return *searchIndex_->insert(field, std::move(index));
}

bool RecordSet::FindFirst(const QString& criteria) {
  noMatch_ = true;
  const qsizetype equals = criteria.indexOf('=');
  if (equals <= 0) return false;
  const int field = FieldIndex(criteria.left(equals).trimmed());
  if (field < 0) return false;
  QString value = criteria.mid(equals + 1).trimmed();
  QVariant wanted;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    const QString quote(value.front());
    wanted = value.mid(1, value.size() - 2).replace(quote + quote, quote);
  } else {
    bool number = false;
    value.toDouble(&number);
    if (!number) return false;
    wanted = value;
  }
  const auto& index = IndexOf(field);
  const auto it = index.constFind(SearchKey(wanted));
  if (it == index.constEnd()) return false;
  position_ = *it;
  noMatch_ = false;
  return true;
}

int RecordSet::FieldIndex(const QString& name) const {
  return data_ ? data_->fieldIndex.value(name.toLower(), -1) : -1;
}

QVariant RecordSet::Field(int index) const {
  if (Bof() || Eof() || index < 0 || index >= Columns()) return QVariant();
  return data_->values[std::size_t(position_) * std::size_t(Columns()) + std::size_t(index)];
}

QVariant RecordSet::Field(const QString& name) const {
  return Field(FieldIndex(name));
}

}  // namespace tessel
