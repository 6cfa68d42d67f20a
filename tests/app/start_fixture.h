// What the tests that start the whole planner share: settings of their own, message
// boxes that remember their text, options for a quiet start with a lock folder of the
// test's, and a first run's settings without the start-up hint.
#pragma once

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

#include "app_fixture.h"
#include "language/language.h"
#include "platform/window.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/startup.h"

namespace tessel::testing {

// The texts of the message boxes shown since the case began.
inline QStringList& ShownTexts() {
  static QStringList shown;
  return shown;
}

inline int RememberText(plat::HWND, const char* text, const char*, unsigned, void*) {
  ShownTexts() << QString::fromLocal8Bit(text);
  return plat::IDOK;
}

// Settings in `settingsDir`, never the user's, and message boxes that only remember.
inline void UseOwnSettings(const QTemporaryDir& settingsDir) {
  QStandardPaths::setTestModeEnabled(true);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  plat::SetMessageBoxHook(&RememberText, nullptr);
}

// A first run's settings, without the start-up hint that would wait for an answer.
inline void FirstRunSettings() {
  QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillon", "MRV").clear();
  WriteSetting("Startup", "ShowHelp", "0");
  ShownTexts().clear();
}

// A start with the shipped catalogue, no splash, and its lock and recovery files in
// `lockDir`.
inline StartOptions QuietStart(const QTemporaryDir& lockDir) {
  StartOptions options;
  options.catalogueFile = ShippedCatalogue();
  options.lockFolder = lockDir.path();
  options.recoveryFolder = lockDir.filePath("recovery");
  options.showSplash = false;
  return options;
}

// Ends a started planner without asking, and the language it loaded with it.
inline void EndPlanner(std::unique_ptr<MainWindow>& window) {
  if (window) window->QuitRequested = true;
  window.reset();
  CloseLanguage();
}

}  // namespace tessel::testing
