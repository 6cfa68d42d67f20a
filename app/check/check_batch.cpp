#include "check/check_batch.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "catalogue/catalogue.h"
#include "check/plan_check.h"
#include "check/quantities.h"
#include "language/language.h"
#include "shell/settings.h"

namespace tessel {

namespace {

constexpr const char* kCheck = "--check";
constexpr const char* kQuantities = "--quantities";
constexpr const char* kBarrierFree = "--barrier-free";
constexpr const char* kWheelchair = "--wheelchair";

QString CatalogueFile() {
  return QDir(QCoreApplication::applicationDirPath()).filePath("katalog/katalog.db");
}

int Say(int status, const QString& text) {
  std::fprintf(stderr, "tessel32: %s\n", qPrintable(text));
  return status;
}

// The texts in the language a window would show: a language letter among the
// arguments that are no operands, else the saved one; English when the catalogue
// lacks it.
void OpenTexts(const QStringList& arguments, qsizetype at, int operands) {
  QStringList rest{arguments.value(0)};
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const bool operand = i > at && i <= at + operands;
    if (!operand && !arguments[i].startsWith("--")) rest << arguments[i];
  }
  if (!OpenLanguage(LanguageSuffix(rest, ReadSetting(kStartupSection, kLanguageSetting, "")),
                    CatalogueFile()))
    OpenLanguage(QString(), CatalogueFile());
}

int Check(const QStringList& arguments, qsizetype at) {
  if (at + 1 >= arguments.size() || arguments[at + 1].startsWith("--") ||
      (arguments.contains(kBarrierFree) && arguments.contains(kWheelchair)))
    return Say(kCheckUnreadable, QString("usage: tessel32 %1 PLAN.tsd [-LANGUAGE] [%2 | %3]")
                                     .arg(kCheck, kBarrierFree, kWheelchair));
  const FreeAreaSetting setting = arguments.contains(kWheelchair)    ? FreeAreaSetting::kWheelchair
                                  : arguments.contains(kBarrierFree) ? FreeAreaSetting::kBarrierFree
                                                                     : FreeAreaSetting::kPrivate;
  PlanText plan;
  QString why;
  if (!ReadPlanFile(arguments[at + 1], &plan, &why)) return Say(kCheckUnreadable, why);
  OpenTexts(arguments, at, 1);
  Catalogue catalogue;
  if (catalogue.Open(CatalogueFile(), OpenLanguageSuffix(), &why) != CatalogueState::kOpen)
    return Say(kCheckUnreadable, "the catalogue cannot be read: " + why);
  const QList<Finding> findings = CheckPlan(plan, CheckCatalogueOf(catalogue), setting);
  for (const Finding& f : findings) std::printf("%s\n", f.text.toUtf8().constData());
  std::fflush(stdout);
  return findings.isEmpty() ? kCheckClean : kCheckFindings;
}

// The room's inputs come from the plan's [Project] section, read here by key, with
// defaults for what it lacks.
int ListQuantities(const QStringList& arguments, qsizetype at) {
  if (at + 2 >= arguments.size() || arguments[at + 1].startsWith("--") ||
      arguments[at + 2].startsWith("--"))
    return Say(kCheckUnreadable,
               QString("usage: tessel32 %1 PLAN.tsd OUT.csv [-LANGUAGE]").arg(kQuantities));
  PlanText plan;
  QString why;
  if (!ReadPlanFile(arguments[at + 1], &plan, &why)) return Say(kCheckUnreadable, why);
  OpenTexts(arguments, at, 2);
  const QuantityInputs in = QuantityInputsOf(plan.project);
  const QByteArray csv = QuantitiesCsv(QuantityRows(ComputeQuantities(plan, in), in));
  if (!WriteQuantities(csv, arguments[at + 2], &why))
    return Say(kCheckFindings, "cannot write " + why);
  return kCheckClean;
}

}  // namespace

bool IsCheckCommand(const QStringList& arguments) {
  return arguments.contains(kCheck) || arguments.contains(kQuantities);
}

int RunCheckCommand(const QStringList& arguments) {
  if (const qsizetype at = arguments.indexOf(kQuantities); at >= 0)
    return ListQuantities(arguments, at);
  return Check(arguments, arguments.indexOf(kCheck));
}

}  // namespace tessel
