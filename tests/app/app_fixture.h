// What the program tests share: settings, runtime and documents folders of their own,
// message boxes that answer from a script and remember what they said, the shipped
// catalogue in English, and a fresh main window over the real engine for each case.
#pragma once

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>

#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/main_window.h"
#include "shell/plan_view.h"
#include "shell/toolbox_button.h"

namespace tessel::testing {

// Message boxes answer from a script and remember caption and text.
struct Messages {
  static std::deque<int>& Answers() {
    static std::deque<int> answers;
    return answers;
  }
  static QStringList& Shown() {
    static QStringList shown;
    return shown;
  }
  static int Scripted(plat::HWND, const char* text, const char* caption, unsigned, void*) {
    Shown() << QString::fromLocal8Bit(caption) + ": " + QString::fromLocal8Bit(text);
    if (Answers().empty()) return plat::IDOK;
    const int answer = Answers().front();
    Answers().pop_front();
    return answer;
  }
  static void Reset() {
    Answers().clear();
    Shown().clear();
  }
};

inline QString ShippedCatalogue() {
  return QCoreApplication::applicationDirPath() + "/katalog/katalog.db";
}

// Clicks OK in the modal dialog that the next step opens, after typing firstValue.
inline void ConfirmNextDialog(const QString& firstValue = QString()) {
  QTimer::singleShot(0, [firstValue] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    if (!firstValue.isEmpty()) dialog->findChild<QLineEdit*>("Value0")->setText(firstValue);
    dialog->findChild<QPushButton*>("cmdOK")->click();
  });
}

// How long a test waits for a chain of windows (a menu, a dialog, the engine's answer)
// before calling it missing: a window that reads the plan first can take seconds on a
// loaded machine under the sanitizers. Only a failing test waits that long.
constexpr int kPatientMs = 20000;
// How often a pending answer looks for its window, 10 ms apart, in that time.
constexpr int kAnswerTries = kPatientMs / 10;

// Runs `answer` on the modal window named `name` once it is the active one; a window
// that opens after another closes needs a few turns of the event loop.
inline void AnswerDialog(const QString& name, std::function<void(QDialog*)> answer,
                         int tries = kAnswerTries) {
  QTimer::singleShot(10, [name, answer, tries] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog && dialog->objectName() == name) {
      answer(dialog);
      return;
    }
    QVERIFY2(tries > 0, qPrintable(name));
    AnswerDialog(name, answer, tries - 1);
  });
}

// Keys as the window system delivers them: to the window, which hands them to the
// widget that has the focus.
inline void Press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QTest::keyClick(window->windowHandle(), key, modifiers);
  QCoreApplication::processEvents();
}

class AppFixture {
 public:
  // Once per test program.
  bool SetUpProgram() {
    QStandardPaths::setTestModeEnabled(true);
    if (!settingsDir_.isValid() || !filesDir_.isValid() || !recoveryDir_.isValid()) return false;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    plat::SetMessageBoxHook(&Messages::Scripted, nullptr);
    if (!Engine()) return false;
    if (!OpenLanguage("", ShippedCatalogue())) return false;
    SetErrorLookup(&GetError);
    return true;
  }

  // A main window over an empty plan, as after a start; no file dialog is real.
  MainWindow* OpenWindow(QSize size = {1000, 700}) {
    Messages::Reset();
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillon", "MRV").clear();
    window_ = std::make_unique<MainWindow>(nullptr, recoveryDir_.path(), autoSaveTiming);
    window_->resize(size);
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get())) return nullptr;
    window_->activateWindow();
    (void)QTest::qWaitForWindowActive(window_.get());
    vCallTessel(TC_NewLayout, 0, 0, 0);
    vCallTessel(TC_SetLayoutMode, 0, 0, 0);
    window_->NewProject();
    dialogs = 0;
    window_->SetFileDialog(
        [this](bool save, const QString& title, const QString& filter, const QString& folder) {
          ++dialogs;
          lastDialogWasSave = save;
          lastTitle = title;
          lastFilter = filter;
          lastFolder = folder;
          return nextFileName;
        });
    Messages::Reset();
    return window_.get();
  }

  // The engine outlives the window: switches the window turned on go off again.
  void CloseWindow() {
    if (!window_) return;
    if (!window_->ViewItem(kRuler)->isChecked()) window_->ViewItem(kRuler)->trigger();
    if (window_->ViewItem(kMeasurement)->isChecked()) window_->ViewItem(kMeasurement)->trigger();
    window_->QuitRequested = true;
    window_.reset();
  }

  // A wall rectangle of the dialog's default size placed with a click at `at`.
  void DrawRoom(QPoint at = {300, 250}) { PlaceWithTool(kWallRectTool, at); }
  void PlaceWithTool(int tool, QPoint at) {
    StartPlacing(tool);
    QTest::mouseMove(window_->View(), at);
    QTest::mouseRelease(window_->View(), Qt::LeftButton, {}, at);
  }
  // The tool's dialog confirmed: the object hangs at the pointer. The main window is
  // active again, as a window manager makes it once the dialog has gone.
  void StartPlacing(int tool) {
    ConfirmNextDialog();
    QTest::mouseClick(window_->Tool(tool), Qt::LeftButton);
    window_->activateWindow();
    (void)QTest::qWaitForWindowActive(window_.get());
  }

  QString FilePath(const QString& name) const { return filesDir_.filePath(name); }
  // Where QSettings keeps the windows' settings.
  QString SettingsFolder() const { return settingsDir_.path(); }
  // Where the windows' auto-save keeps its copy: a folder of the test program's own.
  QString RecoveryFolder() const { return recoveryDir_.path(); }
  // The auto-save timing of the windows opened next.
  AutoSaveTiming autoSaveTiming;

  int dialogs = 0;
  bool lastDialogWasSave = false;
  QString lastTitle, lastFilter, lastFolder, nextFileName;

 protected:
  std::unique_ptr<MainWindow> window_;

 private:
  QTemporaryDir settingsDir_, filesDir_, recoveryDir_;
};

}  // namespace tessel::testing
