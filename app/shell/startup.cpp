#include "shell/startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
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
// How long a second start waits for the running planner to take its plan: long enough
// for a planner busy with a big plan, short enough that a hung one is soon given up.
constexpr int kForwardTimeoutMs = 5000;

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
  const QString saved = ReadSetting(kStartupSection, kLanguageSetting, "");
  const QString suffix = LanguageSuffix(line.languageArguments, saved);
  QString why;
  bool inUse = false;
  if (!OpenLanguage(suffix, options.catalogueFile, &why, &inUse)) {
    // A letter the catalogue has no texts for is a slip of the user's, not a broken
    // installation: the planner carries on in English.
    const bool english =
        !inUse && !suffix.isEmpty() && OpenLanguage("", options.catalogueFile, &why, &inUse);
    if (inUse) {
      // Another program holds the catalogue locked: nothing a reinstall mends.
      ShowMessage(why, "Ostara Tessel", plat::MB_ICONWARNING);
      return kCannotStart;
    }
    if (!english) {
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
  } else if (!suffix.isEmpty() && suffix != saved) {
    // A language chosen once on the command line stays chosen; one already kept is not
    // written again at every start.
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
      // The running planner opens the plan and comes to the front; only when it cannot
      // be reached is this start refused with a word.
      if (ForwardToRunningPlanner(
              options.lockFolder,
              line.planFile.isEmpty() ? QString() : MainWindow::EnsureExtension(line.planFile),
              kForwardTimeoutMs))
        return 0;
      ShowMessage(OneInstanceText(), ProgramTitle(), plat::MB_OK);
      return 0;
    case InstanceLock::kUnusable:
      // Without a lock a second planner cannot be noticed, which is no reason to keep
      // the user from planning; it is said once the window knows what auto-save does.
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
  // Later starts of this user hand their plans to this planner, from now on: one that
  // comes while this planner is still starting waits for it rather than being refused.
  static std::unique_ptr<PlanReceiver> receiver;
  receiver.reset();
  if (alone) {
    receiver = std::make_unique<PlanReceiver>();
    if (!receiver->Listen(options.lockFolder)) receiver.reset();
  }
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
  if (!alone) {
    const QString failure = held->Failure();
    QString why;
    const QString text =
        main.UseOwnRecoveryFiles(failure, &why)
            ? CaptionOr(7211,
                        "The lock that keeps a second Ostara Tessel from starting could not "
                        "be created:\n%1\nOstara Tessel starts without it. Auto-save keeps "
                        "its copy of the plan in a file of this window's own, which is "
                        "offered at the next start if the planner does not end properly.")
                  .arg(failure)
            : CaptionOr(7212,
                        "The lock that keeps a second Ostara Tessel from starting could not "
                        "be created:\n%1\nOstara Tessel starts without it. Auto-save is "
                        "off, because its copy cannot be kept apart from another planner's:"
                        "\n%2\nSave your plan yourself.")
                  .arg(failure, why);
    ShowMessage(text, ProgramTitle(), plat::MB_ICONWARNING);
  }
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
  // A planner refused by the lock never gets here; one without the lock takes only the
  // copies of planners that have gone. Work that would otherwise be lost comes before a
  // plan named on the command line, which stays in its file.
  const bool recovered = main.OfferRecoveredPlan();
  // A plan handed over by a file manager opens as if chosen in the open dialog.
  if (!recovered && !line.planFile.isEmpty())
    main.OpenProject(MainWindow::EnsureExtension(line.planFile));
  ReadHintSwitches();
  if (Hints().showHelp) {
    StartupHelpWindow hint(&main);
    hint.setMode(0);
    RunModal(hint);
  }
  // Plans handed over while the planner was starting are opened now, after its own.
  if (receiver) {
    QPointer<MainWindow> target(&main);
    receiver->SetHandler([target](const QString& plan) {
      if (target) target->OpenForwardedPlan(plan);
    });
  }
  return 0;
}

}  // namespace tessel
