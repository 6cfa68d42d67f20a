#include "check/check_batch.h"

#include <cstdio>

#include "catalogue/catalogue.h"
#include "check/plan_check.h"
#include "check/quantities.h"
#include "language/language.h"
#include "shell/batch_start.h"

namespace tessel {

namespace {

constexpr const char* kCheck = "--check";
constexpr const char* kQuantities = "--quantities";
constexpr const char* kBarrierFree = "--barrier-free";
constexpr const char* kWheelchair = "--wheelchair";

// The language letter stands anywhere but among the command's `values` after `at`.
void OpenTexts(const QStringList& arguments, qsizetype at, int values) {
  OpenBatchTexts(arguments, [at, values](qsizetype i) { return i > at && i <= at + values; });
}

int Check(const QStringList& arguments, qsizetype at) {
  FreeAreaSetting setting = FreeAreaSetting::kPrivate;
  if (at + 1 >= arguments.size() || arguments[at + 1].startsWith("--") ||
      !FreeAreaSettingOf(arguments, &setting))
    return SayOnTerminal(kCheckUnreadable, QString("usage: tessel32 %1 PLAN.tsd [-LANGUAGE] [%2]")
                                               .arg(kCheck, FreeAreaSettingWords()));
  PlanText plan;
  QString why;
  if (!ReadPlanFile(arguments[at + 1], &plan, &why)) return SayOnTerminal(kCheckUnreadable, why);
  OpenTexts(arguments, at, 1);
  Catalogue catalogue;
  if (catalogue.Open(BatchCatalogueFile(), OpenLanguageSuffix(), &why) != CatalogueState::kOpen)
    return SayOnTerminal(kCheckUnreadable, "the catalogue cannot be read: " + why);
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
    return SayOnTerminal(
        kCheckUnreadable,
        QString("usage: tessel32 %1 PLAN.tsd OUT.csv [-LANGUAGE]").arg(kQuantities));
  PlanText plan;
  QString why;
  if (!ReadPlanFile(arguments[at + 1], &plan, &why)) return SayOnTerminal(kCheckUnreadable, why);
  OpenTexts(arguments, at, 2);
  const QuantityInputs in = QuantityInputsOf(plan.project);
  const QByteArray csv = QuantitiesCsv(QuantityRows(ComputeQuantities(plan, in), in));
  if (!WriteQuantities(csv, arguments[at + 2], &why))
    return SayOnTerminal(kCheckFindings, "cannot write " + why);
  return kCheckClean;
}

}  // namespace

bool FreeAreaSettingOf(const QStringList& arguments, FreeAreaSetting* setting) {
  const bool barrierFree = arguments.contains(kBarrierFree),
             wheelchair = arguments.contains(kWheelchair);
  if (barrierFree && wheelchair) return false;
  *setting = wheelchair    ? FreeAreaSetting::kWheelchair
             : barrierFree ? FreeAreaSetting::kBarrierFree
                           : FreeAreaSetting::kPrivate;
  return true;
}

QString FreeAreaSettingWords() {
  return QString("%1 | %2").arg(kBarrierFree, kWheelchair);
}

bool IsCheckCommand(const QStringList& arguments) {
  return arguments.contains(kCheck) || arguments.contains(kQuantities);
}

int RunCheckCommand(const QStringList& arguments) {
  if (const qsizetype at = arguments.indexOf(kQuantities); at >= 0)
    return ListQuantities(arguments, at);
  return Check(arguments, arguments.indexOf(kCheck));
}

}  // namespace tessel
