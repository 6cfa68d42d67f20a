#include "shell/batch_start.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "language/language.h"
#include "shell/settings.h"

namespace tessel {

QString BatchCatalogueFile() {
  return QDir(QCoreApplication::applicationDirPath()).filePath("katalog/katalog.db");
}

int SayOnTerminal(int status, const QString& text) {
  std::fprintf(stderr, "tessel32: %s\n", qPrintable(text));
  return status;
}

void OpenBatchTexts(const QStringList& arguments, const std::function<bool(qsizetype)>& isValue) {
  QStringList rest{arguments.value(0)};
  for (qsizetype i = 1; i < arguments.size(); ++i)
    if (!isValue(i) && !arguments[i].startsWith("--")) rest << arguments[i];
  QString why;
  bool inUse = false;
  if (OpenLanguage(LanguageSuffix(rest, ReadSetting(kStartupSection, kLanguageSetting, "")),
                   BatchCatalogueFile(), &why, &inUse))
    return;
  if (inUse)
    SayOnTerminal(0, why);
  else
    OpenLanguage(QString(), BatchCatalogueFile());
}

}  // namespace tessel
