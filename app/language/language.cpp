#include "language/language.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "catalogue/catalogue.h"

namespace tessel {

namespace {

struct Texts {
  QString caption, help;
};
// Both tables read once: the program looks texts up all the time, and they never change
// while it runs.
QHash<int, Texts> strings;
QHash<int, Texts> errors;
bool open = false;
QString openSuffix;

}  // namespace

QString LanguageSuffix(const QStringList& arguments, const QString& saved) {
  const QString line = arguments.mid(1).join(' ');
  if (line.size() < 2) return saved;
  return line.right(1);
}

bool OpenLanguage(const QString& suffix, const QString& catalogueFile, QString* why, bool* inUse) {
  CloseLanguage();
  if (inUse) *inUse = false;
  // A catalogue another program holds locked is no missing language: that is said as
  // it is, and no other language is worth trying.
  auto fail = [&](const QString& reason, const QSqlError& error = {}) {
    const bool busy = CatalogueBusy(error);
    if (inUse) *inUse = busy;
    if (why) *why = busy ? CatalogueInUseText(catalogueFile, suffix) : reason;
    strings.clear();
    errors.clear();
    return false;
  };
  if (!QFileInfo(catalogueFile).isFile())
    return fail("The catalogue " + catalogueFile + " is missing.");
  bool ok = true;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "language");
    db.setDatabaseName(catalogueFile);
    db.setConnectOptions(CatalogueConnectOptions());
    if (!db.open()) {
      ok = fail("The catalogue " + catalogueFile + " cannot be opened: " + db.lastError().text());
    } else {
      QSqlQuery q(db);
      if (!q.exec("SELECT StringID, Caption" + suffix + " AS LangCaption, Help" + suffix +
                  " AS LangHelp FROM tStrings")) {
        ok = fail("The catalogue " + catalogueFile +
                      " has no texts in this language: " + q.lastError().text(),
                  q.lastError());
      } else {
        while (q.next())
          strings.insert(q.value(0).toInt(), {q.value(1).toString(), q.value(2).toString()});
        if (!q.exec("SELECT ErrorID, Caption" + suffix + " AS LangCaption, Errortext" + suffix +
                    " AS LangErrortext FROM tError")) {
          ok = fail("The catalogue " + catalogueFile +
                        " has no error texts in this language: " + q.lastError().text(),
                    q.lastError());
        } else {
          while (q.next())
            errors.insert(q.value(0).toInt(), {q.value(1).toString(), q.value(2).toString()});
        }
      }
      db.close();
    }
  }
  QSqlDatabase::removeDatabase("language");
  if (!ok) return false;
  open = true;
  openSuffix = suffix;
  return true;
}

QString OpenLanguageSuffix() {
  return openSuffix;
}

bool LanguageOpen() {
  return open;
}

void CloseLanguage() {
  open = false;
  strings.clear();
  errors.clear();
}

QString GetCaption(int id) {
  return open ? strings.value(id).caption : QString();
}
QString GetHelp(int id) {
  return open ? strings.value(id).help : QString();
}

bool GetError(int id, QString* caption, QString* text) {
  if (!open || !caption || !text) return false;
  const auto it = errors.constFind(id);
  if (it == errors.constEnd()) {
    *caption = "Error";
    *text = "Unknown Error";
    return false;
  }
  *caption = it->caption;
  *text = it->help;
  return true;
}

QString CaptionOr(int id, const QString& design) {
  const QString text = GetCaption(id);
  return text.isEmpty() ? design : text;
}

QString CaptionOr(int id, const char* design) {
  return CaptionOr(id, QString::fromUtf8(design));
}

}  // namespace tessel
