// The planner program: the main window over the plan engine.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/window.h"
#include "print/batch.h"
#include "shell/command_line.h"
#include "shell/files.h"
#include "shell/forms.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace {

// Engine and program messages as real dialogs.
int ShowMessage(plat::HWND, const char* text, const char* caption, unsigned type, void*) {
  QMessageBox box;
  box.setWindowTitle(QString::fromLocal8Bit(caption));
  box.setText(QString::fromLocal8Bit(text));
  if ((type & 0xF0) == plat::MB_ICONERROR)
    box.setIcon(QMessageBox::Critical);
  else if ((type & 0xF0) == plat::MB_ICONWARNING)
    box.setIcon(QMessageBox::Warning);
  else if ((type & 0xF0) == plat::MB_ICONQUESTION)
    box.setIcon(QMessageBox::Question);
  else if ((type & 0xF0) == plat::MB_ICONINFORMATION)
    box.setIcon(QMessageBox::Information);
  switch (type & 0x0F) {
    case plat::MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case plat::MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case plat::MB_YESNOCANCEL:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
  }
  // The box belongs to no window; afterwards the window that was active gets the
  // keyboard back, as not every window manager hands it back by itself.
  const int pressed = tessel::RunModal(box);
  switch (pressed) {
    case QMessageBox::Cancel:
      return plat::IDCANCEL;
    case QMessageBox::Yes:
      return plat::IDYES;
    case QMessageBox::No:
      return plat::IDNO;
    default:
      return plat::IDOK;
  }
}

// With TESSEL_FIRST_PAINT_PROBE set, the program prints the wall-clock time of the
// work window's first paint and ends there: the start-time benchmark reads it.
class FirstPaintProbe : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->objectName() == "picView") {
      timespec now{};
      clock_gettime(CLOCK_REALTIME, &now);
      std::printf("first-paint %lld\n",
                  static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
      std::fflush(stdout);
      std::_Exit(0);
    }
    return false;
  }
};

// The arguments as the program was given them: a file name that is not UTF-8 keeps
// its bytes (the toolkit's own list replaces them).
QStringList Arguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << tessel::FileNameFromBytes(argv[i]);
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments = Arguments(argc, argv);
  // Window-less work needs no display, nor does an answer on the terminal (the usage,
  // the version, or an option the program does not know).
  const bool batch = tessel::IsBatchCommand(arguments);
  const tessel::CommandLine line = tessel::ParseCommandLine(arguments);
  const bool terminalOnly = line.help || line.version || !line.unknownOptions.isEmpty();
  if ((batch || terminalOnly) && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Without the options the toolkit took for itself.
  arguments = Arguments(argc, argv);
  if (batch) return tessel::RunBatch(arguments);
  QCoreApplication::setApplicationVersion(tessel::kProgramVersion);
  plat::SetMessageBoxHook(&ShowMessage, nullptr);
  FirstPaintProbe probe;
  if (qEnvironmentVariableIsSet("TESSEL_FIRST_PAINT_PROBE")) app.installEventFilter(&probe);
  tessel::StartOptions options;
  options.catalogueFile =
      QDir(QCoreApplication::applicationDirPath()).filePath("katalog/katalog.db");
  std::unique_ptr<tessel::MainWindow> window;
  if (const int refused = tessel::StartPlanner(arguments, options, &window); !window)
    return refused;
  return app.exec();
}
