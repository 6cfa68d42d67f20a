// The fitter's checks from the command line, without a window:
//   tessel32 --check PLAN.tsd [-LANGUAGE] [--barrier-free | --wheelchair]
//   tessel32 --quantities PLAN.tsd OUT.csv [-LANGUAGE]
// and the free area setting a window-less print takes too.
#pragma once

#include <QString>
#include <QStringList>

#include "check/plan_check.h"

namespace tessel {

// The check's exit status: no findings, findings, or a plan (or catalogue) it could
// not read; arguments it cannot read count as the last. The quantities end with 0
// when written, 1 when the file could not be written, 2 as the check does.
constexpr int kCheckClean = 0;
constexpr int kCheckFindings = 1;
constexpr int kCheckUnreadable = 2;

bool IsCheckCommand(const QStringList& arguments);
int RunCheckCommand(const QStringList& arguments);

// The free area setting the words ask for: "--barrier-free" or "--wheelchair", the
// private one without either. False when both are given.
bool FreeAreaSettingOf(const QStringList& arguments, FreeAreaSetting* setting);
// The words that choose it, for usage lines.
QString FreeAreaSettingWords();

}  // namespace tessel
