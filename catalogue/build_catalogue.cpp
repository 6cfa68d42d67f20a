// Builds the catalogue database from its text sources: the schema, then one table per
// tab-separated file (first field the id, the rest the columns in table order; "\n"
// stands for a line break, an empty field is Null).
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

namespace {

bool Fail(const QString& what) {
  std::fprintf(stderr, "build_catalogue: %s\n", qPrintable(what));
  return false;
}

bool Load(QSqlDatabase& db, const QString& table, int columns, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return Fail("cannot read " + path);
  QTextStream in(&file);
  QStringList marks;
  for (int i = 0; i < columns; ++i) marks << "?";
  QSqlQuery insert(db);
  if (!insert.prepare("INSERT INTO " + table + " VALUES (" + marks.join(",") + ")"))
    return Fail(insert.lastError().text());
  int line = 0;
  while (!in.atEnd()) {
    const QString text = in.readLine();
    ++line;
    if (text.trimmed().isEmpty()) continue;
    QStringList fields = text.split('\t');
    if (fields.size() > columns) return Fail(QString("%1:%2: too many fields").arg(path).arg(line));
    while (fields.size() < columns) fields << QString();
    bool ok = false;
    insert.bindValue(0, fields[0].toInt(&ok));
    if (!ok) return Fail(QString("%1:%2: the id is not a number").arg(path).arg(line));
    for (int i = 1; i < columns; ++i)
      insert.bindValue(
          i, fields[i].isEmpty() ? QVariant() : QVariant(QString(fields[i]).replace("\\n", "\n")));
    if (!insert.exec())
      return Fail(QString("%1:%2: %3").arg(path).arg(line).arg(insert.lastError().text()));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: build_catalogue SOURCE-FOLDER OUTPUT-FILE STAMP\n");
    return 2;
  }
  const QString source = argv[1], output = argv[2];
  QFile::remove(output);
  const QString partial = output + ".part";
  QFile::remove(partial);
  bool ok = true;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "build");
    db.setDatabaseName(partial);
    if (!db.open()) {
      Fail(db.lastError().text());
      return 1;
    }
    QFile schema(source + "/schema.sql");
    if (!schema.open(QIODevice::ReadOnly)) {
      Fail("cannot read the schema");
      return 1;
    }
    QString sql = QString::fromUtf8(schema.readAll());
    QStringList statements;
    for (const QString& line : sql.split('\n'))
      if (!line.trimmed().startsWith("--")) statements << line;
    db.transaction();
    for (const QString& statement : statements.join('\n').split(';')) {
      if (statement.trimmed().isEmpty()) continue;
      QSqlQuery q(db);
      if (!q.exec(statement)) ok = Fail(q.lastError().text());
    }
    ok = ok && Load(db, "tStrings", 5, source + "/texts/strings.tsv");
    ok = ok && Load(db, "tError", 5, source + "/texts/errors.tsv");
    ok = ok && db.commit();
    db.close();
  }
  QSqlDatabase::removeDatabase("build");
  if (!ok || !QFile::rename(partial, output)) {
    QFile::remove(partial);
    return 1;
  }
  QFile stamp(argv[3]);
  stamp.open(QIODevice::WriteOnly);
  return 0;
}
