// A read-only snapshot of a statement's result: every row is read when it opens, so it
// stays valid and unchanged for as long as the program keeps it, whatever else runs on
// the database. It walks like a record set of the catalogue's design: a current record
// between BOF (before the first) and EOF (after the last), and a search by criteria.
// A copy shares the rows, which never change, and walks on its own.
#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace tessel {

class RecordSet {
 public:
  // Runs the statement (already in SQLite's spelling) and takes every row. False, with
  // the database's reason, when it fails; the set is then closed and empty.
  bool Open(const QSqlDatabase& db, const QString& statement, QString* why = nullptr);
  void Close();
  bool IsOpen() const { return open_; }

  int RecordCount() const { return rows_; }
  // Both are true on an empty set; after opening a set with records the first is current.
  bool Bof() const { return position_ < 0 || rows_ == 0; }
  bool Eof() const { return position_ >= rows_ || rows_ == 0; }
  // Index of the current record, -1 at BOF, RecordCount() at EOF.
  int Position() const { return position_; }

  void MoveFirst();
  void MoveLast();
  // Moving past the last record stops at EOF, before the first at BOF; moving on from
  // there changes nothing.
  void MoveNext();
  void MovePrevious();

  // Makes the first record matching "Field = value" (blanks around "=" optional; the
  // value a number or a quoted text, compared without regard to case) the current one.
  // Without a match, or with criteria of another form, NoMatch() is true and the current
  // record stays where it was.
  bool FindFirst(const QString& criteria);
  bool NoMatch() const { return noMatch_; }

  // The current record's field by result column name (without regard to case, as the
  // aliases are written in several ways) or by index. Invalid at BOF or EOF and for an
  // unknown name; a Null field is a null QVariant.
  QVariant Field(const QString& name) const;
  QVariant Field(int index) const;
  int FieldIndex(const QString& name) const;
  QStringList FieldNames() const { return data_ ? data_->names : QStringList(); }

 private:
  struct Rows {
    QStringList names;
    QHash<QString, int> fieldIndex;  // lower-case name -> column
    std::vector<QVariant> values;    // row after row
  };
  using SearchIndex = QHash<QString, int>;  // key of a value -> first row holding it

  const SearchIndex& IndexOf(int field);
  int Columns() const { return data_ ? int(data_->names.size()) : 0; }

  bool open_ = false;
  bool noMatch_ = false;
  int rows_ = 0;
  int position_ = -1;
  std::shared_ptr<const Rows> data_;
  // Built on the first search by a field, shared like the rows.
  std::shared_ptr<QHash<int, SearchIndex>> searchIndex_;
};

}  // namespace tessel
