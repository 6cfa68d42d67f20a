#include "shell/startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <QWindow>
#include <cstdio>

#include "language/language.h"
#include "platform/window.h"
#include "shell/command_line.h"
#include "shell/engine_bridge.h"
#include "shell/forms.h"
#include "shell/main_window.h"
#include "shell/menu_items.h"
#include "shell/message_box.h"
#include "shell/remembered.h"
#include "shell/settings.h"
#include "shell/single_instance.h"
#include "shell/startup_windows.h"

namespace tessel {

namespace {

// The exit code of a start with arguments the program does not understand.
constexpr int kUsageError = 2;
constexpr int kCannotStart = 1;

// The toolkit's own texts (the buttons of message boxes, the file dialogs) in the
// language of the program's texts, where the system has them.
void TranslateToolkit(const QString& suffix) {
  struct Language {
    const char* suffix;
    const char* code;
  };
  static const Language kLanguages[] = {{"D", "de"}, {"F", "fr"}, {"I", "it"}, {"N", "nl"}};
  static QTranslator translator;
  for (const Language& l : kLanguages)
    if (suffix.compare(l.suffix, Qt::CaseInsensitive) == 0 &&
        translator.load(QString("qtbase_") + l.code,
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(&translator);
}

// The window where the last run left it, brought onto the screen it is shown on now;
// centred the first time.
void PlaceAsLastTime(MainWindow* main) {
  const RememberedWindow r = ReadRememberedWindow();
  const QScreen* screen = QGuiApplication::screenAt(r.geometry.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  // The frame around the window goes on the screen too, where the system knows it
  // before the window shows.
  main->winId();
  const QMargins frame = main->windowHandle() ? main->windowHandle()->frameMargins() : QMargins();
  const QRect place =
      screen ? FitOnScreen(r.geometry, screen->availableGeometry() - frame, main->minimumSize())
             : QRect();
  if (place.isNull()) {
    CenterForm(main);
  } else {
    main->setGeometry(place);
  }
  if (r.maximized)
    main->showMaximized();
  else
    main->show();
}

QString OneInstanceText() {
  return CaptionOr(5062, QString::fromUtf8("Ostara Tessel läuft bereits. Es kann immer nur ein "
                                           "Ostara Tessel geöffnet sein."));
}

}  // namespace

int StartPlanner(const QStringList& arguments, const StartOptions& options,
                 std::unique_ptr<MainWindow>* window) {
  const CommandLine line = ParseCommandLine(arguments);
  const QString program = QFileInfo(arguments.value(0, "tessel32")).fileName();
  if (line.help) {
    std::fputs(CommandLineUsage(program).toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (line.version) {
    std::fputs(VersionLine(program).toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (!line.unknownOptions.isEmpty()) {
    // Said on the terminal: whoever typed an option is looking there.
    std::fprintf(stderr, "%s: unknown option %s\n%s", program.toLocal8Bit().constData(),
                 line.unknownOptions.join(", ").toLocal8Bit().constData(),
                 CommandLineUsage(program).toLocal8Bit().constData());
    return kUsageError;
  }
  BridgeState& b = Bridge();
  b.lastEngineResult = 0;
  b.zoomIndex = kZoom50;
  const QString suffix =
      LanguageSuffix(line.languageArguments, ReadSetting(kStartupSection, kLanguageSetting, ""));
  QString why;
  if (!OpenLanguage(suffix, options.catalogueFile, &why)) {
    // A letter the catalogue has no texts for is a slip of the user's, not a broken
    // installation: the planner carries on in English.
    if (suffix.isEmpty() || !OpenLanguage("", options.catalogueFile, &why)) {
      ShowMessage(why + "\nPlease reinstall the planner.", "Ostara Tessel", plat::MB_ICONERROR);
      return kCannotStart;
    }
    ShowMessage(CaptionOr(5061,
                          "The catalogue has no texts in the language \"%1\". Ostara "
                          "Tessel shows its texts in English.")
                    .arg(suffix),
                ProgramTitle(), plat::MB_ICONWARNING);
    // English is what the user now reads, and what the next start shows.
    RemoveSetting(kStartupSection, kLanguageSetting);
  } else if (!suffix.isEmpty()) {
    // A language chosen once on the command line stays chosen.
    WriteSetting(kStartupSection, kLanguageSetting, suffix);
  }
  SetErrorLookup(&GetError);
  if (LanguageOpen()) TranslateToolkit(suffix);
  if (!Engine()) {
    ShowMessage(CaptionOr(5064,
                          "The plan engine libvrx232.so could not be loaded from the "
                          "program folder:\n%1\nPlease reinstall Ostara Tessel.")
                    .arg(EngineLoadError()),
                ProgramTitle(), plat::MB_ICONERROR);
    return kCannotStart;
  }
  // The lock lives as long as the process: the system drops it at any end, a crash
  // included, so the next start is never blocked by a stale one.
  auto lock = std::make_unique<InstanceLock>(options.lockFolder);
  // Without the lock another planner may be running and writing its recovery file.
  const bool alone = lock->Status() == InstanceLock::kHeld;
  switch (lock->Status()) {
    case InstanceLock::kBusy:
      ShowMessage(OneInstanceText(), ProgramTitle(), plat::MB_OK);
      return 0;
    case InstanceLock::kUnusable:
      // Without a lock a second planner cannot be noticed, which is no reason to keep
      // the user from planning.
      ShowMessage(CaptionOr(5063,
                            "The lock that keeps a second Ostara Tessel from starting "
                            "could not be created:\n%1\nOstara Tessel starts without it.")
                      .arg(lock->Failure()),
                  ProgramTitle(), plat::MB_ICONWARNING);
      break;
    case InstanceLock::kHeld:
      break;
  }
  ReadInfo();
  // Within one process the engine has a main window only if this planner gave it one.
  if (b.infoRecord.hwndMain != 0) {
    ShowMessage(OneInstanceText(), ProgramTitle(), plat::MB_OK);
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
  *window = std::make_unique<MainWindow>(
      nullptr, options.recoveryFolder.isEmpty() ? DefaultRecoveryFolder() : options.recoveryFolder);
  MainWindow& main = **window;
  if (!alone) main.SuspendAutoSave();
  QCoreApplication::processEvents();
  // The catalogue and its pictures are found relative to the program folder.
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  main.bInitialized = false;
  PlaceAsLastTime(&main);
  while (!main.bInitialized)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  splash.reset();
  main.UpdateControlStates();
  main.UpdateTitle();
  main.ReadRecentFiles();
  // A planner refused by the lock never gets here, so the recovery file is no other
  // running planner's. Work that would otherwise be lost comes before a plan named on
  // the command line, which stays in its file.
  const bool recovered = alone && main.OfferRecoveredPlan();
  // A plan handed over by a file manager opens as if chosen in the open dialog.
  if (!recovered && !line.planFile.isEmpty())
    main.OpenProject(MainWindow::EnsureExtension(line.planFile));
  ReadHintSwitches();
  if (Hints().showHelp) {
    StartupHelpWindow hint(&main);
    hint.setMode(0);
    RunModal(hint);
  }
  return 0;
}

}  // namespace tessel
