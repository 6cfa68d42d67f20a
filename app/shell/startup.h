// The planner's start: one planner per user, the language, the splash while the main
// window comes up, the recent files and the start-up hint.
#pragma once

#include <QStringList>
#include <memory>

namespace tessel {

class MainWindow;

struct StartOptions {
  QString catalogueFile;  // the catalogue with the language tables
  QString lockFolder;     // where the per-user lock lives; the runtime folder when empty
  bool showSplash = true;
  // Where auto-save keeps its copy; the user's data folder when empty.
  QString recoveryFolder;
};

// Brings the planner up: the main window in `window` and 0, or the process's exit
// code when it must not run (another planner, no engine, no catalogue).
int StartPlanner(const QStringList& arguments, const StartOptions& options,
                 std::unique_ptr<MainWindow>* window);

}  // namespace tessel
