#include "shell/startup.h"

#include <QApplication>
#include <QDir>

#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/forms.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/single_instance.h"
#include "shell/startup_windows.h"

namespace tessel {

namespace {

const char kOneInstance[] = "Es kann nur eine Instanz des Tessels laufen";

int Message(const QString& text, unsigned style) {
  return plat::MessageBox(0, text.toLocal8Bit().constData(), "Ostara Tessel", style);
}

}  // namespace

int StartPlanner(const QStringList& arguments, const StartOptions& options,
                 std::unique_ptr<MainWindow>* window) {
  BridgeState& b = Bridge();
  b.lastEngineResult = 0;
  b.zoomIndex = 2;
  // The lock lives as long as the process: the system drops it at any end, a crash
  // included, so the next start is never blocked by a stale one.
  auto lock = std::make_unique<InstanceLock>(options.lockFolder);
  if (!lock->Held()) {
    Message(kOneInstance, plat::MB_OK);
    return 0;
  }
  if (!Engine()) {
    Message("The plan engine libvrx232.so could not be loaded from the program folder:\n" +
                EngineLoadError() + "\nPlease reinstall the planner.",
            plat::MB_ICONERROR);
    return 1;
  }
  const QString suffix = LanguageSuffix(arguments, ReadSetting("Startup", "Language", ""));
  QString why;
  if (!OpenLanguage(suffix, options.catalogueFile, &why)) {
    Message(why + "\nPlease reinstall the planner.", plat::MB_ICONERROR);
    return 1;
  }
  ReadInfo();
  // Within one process the engine has a main window only if this planner gave it one.
  if (b.infoRecord.hwndMain != 0) {
    Message(kOneInstance, plat::MB_OK);
    return 0;
  }
  static std::unique_ptr<InstanceLock> held;
  held = std::move(lock);
  std::unique_ptr<IntroWindow> splash;
  if (options.showSplash) {
    splash = std::make_unique<IntroWindow>();
    CenterForm(splash.get());
    splash->show();
    splash->raise();
    splash->repaint();
  }
  QCoreApplication::processEvents();
  *window = std::make_unique<MainWindow>();
  MainWindow& main = **window;
  QCoreApplication::processEvents();
  // The catalogue and its pictures are found relative to the program folder.
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  main.bInitialized = false;
  CenterForm(&main);
  main.show();
  while (!main.bInitialized)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  splash.reset();
  main.UpdateControlStates();
  main.UpdateTitle();
  main.ReadRecentFiles();
  ReadHintSwitches();
  if (Hints().showHelp) {
    StartupHelpWindow hint(&main);
    hint.setMode(0);
    hint.exec();
  }
  return 0;
}

}  // namespace tessel
