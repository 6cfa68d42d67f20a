// The planner program: the main window over the plan engine.
#include <QApplication>
#include <QMessageBox>

#include <QDir>

#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/single_instance.h"

namespace {

// Engine and program messages as real dialogs.
int ShowMessage(plat::HWND, const char* text, const char* caption, unsigned type, void*) {
  QMessageBox box;
  box.setWindowTitle(QString::fromLocal8Bit(caption));
  box.setText(QString::fromLocal8Bit(text));
  if ((type & 0xF0) == plat::MB_ICONERROR) box.setIcon(QMessageBox::Critical);
  else if ((type & 0xF0) == plat::MB_ICONWARNING) box.setIcon(QMessageBox::Warning);
  else if ((type & 0xF0) == plat::MB_ICONQUESTION) box.setIcon(QMessageBox::Question);
  else if ((type & 0xF0) == plat::MB_ICONINFORMATION) box.setIcon(QMessageBox::Information);
  switch (type & 0x0F) {
    case plat::MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case plat::MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case plat::MB_YESNOCANCEL:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    default: box.setStandardButtons(QMessageBox::Ok);
  }
  switch (box.exec()) {
    case QMessageBox::Cancel: return plat::IDCANCEL;
    case QMessageBox::Yes: return plat::IDYES;
    case QMessageBox::No: return plat::IDNO;
    default: return plat::IDOK;
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  plat::SetMessageBoxHook(&ShowMessage, nullptr);
  const tessel::InstanceLock lock;
  if (!lock.Held()) {
    ShowMessage(0, "Ostara Tessel is already running.\nSwitch to the planner that is open.", "Ostara Tessel",
                plat::MB_ICONINFORMATION, nullptr);
    return 0;
  }
  if (!tessel::Engine()) {
    ShowMessage(0,
                ("The plan engine libvrx232.so could not be loaded from the program folder:\n" +
                 tessel::EngineLoadError().toStdString() + "\nPlease reinstall the planner.")
                    .c_str(),
                "Ostara Tessel", plat::MB_ICONERROR, nullptr);
    return 1;
  }
  const QString suffix = tessel::LanguageSuffix(app.arguments(), tessel::ReadSetting("Startup", "Language", ""));
  const QString catalogue = QDir(QCoreApplication::applicationDirPath()).filePath("katalog/katalog.db");
  QString why;
  if (!tessel::OpenLanguage(suffix, catalogue, &why)) {
    ShowMessage(0, (why + "\nPlease reinstall the planner.").toLocal8Bit().constData(), "Ostara Tessel",
                plat::MB_ICONERROR, nullptr);
    return 1;
  }
  tessel::MainWindow window;
  if (const QString title = tessel::GetCaption(101); !title.isEmpty()) window.setWindowTitle(title);
  window.show();
  return app.exec();
}
