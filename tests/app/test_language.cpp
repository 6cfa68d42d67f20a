// Texts by number from a catalogue file: the language suffix, look-ups before the
// tables are open, unknown ids, Null fields, and catalogues that cannot serve.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "language/language.h"
#include "shell/engine_bridge.h"

using namespace tessel;

class LanguageTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    file = dir.filePath("katalog.db");
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make");
      db.setDatabaseName(file);
      QVERIFY(db.open());
      QSqlQuery q(db);
      QVERIFY(
          q.exec("CREATE TABLE tStrings (StringID INTEGER, Caption TEXT, Help TEXT, CaptionD TEXT, "
                 "HelpD TEXT)"));
      QVERIFY(
          q.exec("CREATE TABLE tError (ErrorID INTEGER, Caption TEXT, Errortext TEXT, CaptionD "
                 "TEXT, ErrortextD TEXT)"));
      QVERIFY(
          q.exec("INSERT INTO tStrings VALUES (101, 'Ostara Tessel', 'The planner', 'Ostara "
                 "Tessel', 'Der Planer')"));
      QVERIFY(q.exec("INSERT INTO tStrings VALUES (200, 'Hint', NULL, 'Hinweis', NULL)"));
      QVERIFY(
          q.exec("INSERT INTO tError VALUES (10000, 'Plan file', 'Not a plan: %x', 'Plandatei', "
                 "'Kein Plan: %x')"));
      db.close();
    }
    QSqlDatabase::removeDatabase("make");
  }
  void cleanup() { CloseLanguage(); }

  void theSuffixComesFromTheCommandLineOrTheSetting() {
    QCOMPARE(LanguageSuffix({"tessel32", "-D"}, "E"), QString("D"));
    QCOMPARE(LanguageSuffix({"tessel32", "D"}, "E"), QString("E"));  // one character: the setting
    QCOMPARE(LanguageSuffix({"tessel32"}, ""), QString(""));
  }

  void nothingIsFoundBeforeTheTablesAreOpen() {
    QCOMPARE(GetCaption(101), QString());
    QString caption = "kept", text = "kept";
    QVERIFY(!GetError(10000, &caption, &text));
    QCOMPARE(caption, QString("kept"));
    QCOMPARE(ShowEngineError(-101), 1);
  }

  void textsComeInTheChosenLanguage() {
    QVERIFY(OpenLanguage("", file));
    QCOMPARE(GetCaption(101), QString("Ostara Tessel"));
    QCOMPARE(GetHelp(101), QString("The planner"));
    QCOMPARE(GetHelp(200), QString());  // Null
    QCOMPARE(GetCaption(999), QString());
    QString caption, text;
    QVERIFY(!GetError(4, &caption, &text));
    QCOMPARE(caption, QString("Error"));
    QCOMPARE(text, QString("Unknown Error"));
    QVERIFY(OpenLanguage("D", file));
    QCOMPARE(GetHelp(101), QString("Der Planer"));
    QVERIFY(GetError(10000, &caption, &text));
    QCOMPARE(text, QString("Kein Plan: %x"));
  }

  // The catalogue the program ships with has, in both languages, the title and a text
  // for every error an engine result can be shown as.
  void theShippedCatalogueHasEveryErrorText() {
    const QString shipped = QCoreApplication::applicationDirPath() + "/katalog/katalog.db";
    for (const QString& suffix : {QString(), QString("D")}) {
      QString why;
      QVERIFY2(OpenLanguage(suffix, shipped, &why), qPrintable(why));
      QVERIFY(!GetCaption(101).isEmpty());
      for (long result = -700; result <= -100; ++result) {
        const int number = ErrorNumberOf(result);
        if (number == 0) continue;
        QString caption, text;
        QVERIFY2(GetError(number, &caption, &text), qPrintable(QString::number(number)));
        QVERIFY(!text.isEmpty());
      }
    }
  }

  // Every text a user can meet exists in both languages the catalogue ships.
  void theShippedCatalogueSpeaksBothLanguages() {
    const QString shipped = QCoreApplication::applicationDirPath() + "/katalog/katalog.db";
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
    db.setDatabaseName(shipped);
    QVERIFY(db.open());
    QSqlQuery q(db);
    QVERIFY(
        q.exec("SELECT StringID FROM tStrings WHERE (Caption IS NULL) <> (CaptionD IS NULL) "
               "OR (Help IS NULL) <> (HelpD IS NULL)"));
    QStringList missing;
    while (q.next()) missing << q.value(0).toString();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
    db.close();
  }

  void aCatalogueThatCannotServeSaysWhy() {
    QString why;
    QVERIFY(!OpenLanguage("", dir.filePath("missing.db"), &why));
    QVERIFY(why.contains("missing.db"));
    QVERIFY(!OpenLanguage("F", file, &why));  // no such language columns
    QVERIFY(why.contains(file));
    QVERIFY(!LanguageOpen());
    QCOMPARE(GetCaption(101), QString());
  }

 private:
  QTemporaryDir dir;
  QString file;
};

QTEST_GUILESS_MAIN(LanguageTest)
#include "test_language.moc"
