// Work the program does from its command line without opening a window: a plan's
// bitmap export and its print to a PDF file, through the same code as the menus.
#pragma once

#include <QStringList>

namespace tessel {

// Whether the arguments ask for window-less work (the program then needs no display).
bool IsBatchCommand(const QStringList& arguments);

// Runs the window-less work the arguments name: 0 on success; otherwise a message on
// standard error and a non-zero status (kBatchUsage for arguments it cannot read,
// kBatchFailed for work that could not be done).
constexpr int kBatchUsage = 2;
constexpr int kBatchFailed = 1;
int RunBatch(const QStringList& arguments);

}  // namespace tessel
