// The menus and the project commands behind them: new, open, save, the recent files,
// exit, undo and redo, the work modes and the view switches.
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStandardPaths>

#include "catalogue/product_bar.h"
#include "language/language.h"
#include "platform/window.h"
#include "print/print.h"
#include "print/print_command.h"
#include "shell/engine_bridge.h"
#include "shell/forms.h"
#include "shell/icons.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/settings.h"

namespace tessel {

namespace {

// One row of a menu; the row's position is the item's index (menu_items.h).
struct Item {
  const char* caption;  // shown when the text table has none
  const char* shortcut;
  bool hidden, disabled, checkable, checked;
};

const Item kProject[kProjectItems] = {
    {"&Neu", "Ctrl+N", false, false, false, false},
    {"Ö&ffnen...", "Ctrl+O", false, false, false, false},
    {"-", "", true, false, false, false},
    {"&Grundriss Speichern", "", true, false, false, false},
    {"Grun&driss Speichern unter...", "", true, false, false, false},
    {"&Speichern", "Ctrl+S", false, false, false, false},
    {"Speichern &unter...", "Ctrl+U", false, false, false, false},
    {"-", "", false, false, false, false},
    {"&Auto-Speichern", "", false, false, true, true},
    {"-", "", false, false, false, false},
    {"&Drucken", "Ctrl+P", false, false, false, false},
    {"-", "", false, false, false, false},
    {"B&eenden", "Ctrl+Q", false, false, false, false},
    {"-", "", false, false, false, false},
    {"1.", "", false, true, false, false},
    {"2.", "", false, true, false, false},
    {"3.", "", false, true, false, false},
    {"4.", "", false, true, false, false},
    {"Als &Bild exportieren\u2026", "", false, false, false, false},
};
const Item kEdit[kEditItems] = {
    {"&Rückgängig", "Alt+Backspace", false, false, false, false},
    {"&Wiederholen", "Ctrl+W", false, false, false, false},
    {"-", "", false, false, false, false},
    {"&Alle Produkte löschen", "", false, false, false, false},
};
const Item kView[kViewItems] = {
    {"&Lineal", "Ctrl+L", false, false, true, true},
    {"&Bemaßung", "Ctrl+M", false, false, true, false},
    {"-", "", false, false, false, false},
    {"&Grundriß", "F2", false, false, false, false},
    {"&Entwurf", "F3", false, false, false, false},
    {"-", "", false, false, false, false},
    {"&Produktliste", "F4", false, false, false, false},
    {"&Katalog", "F5", false, false, false, false},
};
const Item kHelp[kHelpItems] = {
    {"&Aktuelles Thema", "Shift+F1", false, true, false, false},
    {"I&nfo...", "", true, false, false, false},
    {"&Suchen nach...", "", true, true, false, false},
};

// Turns the table's filter ("Plans (*.tsd)|*.tsd|All (*.*)|*.*") into the dialog's.
QString DialogFilter(const QString& table) {
  const QStringList parts = table.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    filters << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + patterns + ")");
  }
  return filters.isEmpty() ? QString("Tessel plans (*.tsd)") : filters.join(";;");
}

const char kPlanExtension[] = "tsd";
const char kImageExtension[] = "png";
const char kListExtension[] = "csv";
// The settings value of the folder a plan was last opened from or saved to.
const char kLastFolder[] = "LastFolder";
// Whether auto-save is on, "1" or "0".
const char kOptionsSection[] = "Options";
const char kAutoSaveSetting[] = "AutoSave";
const char kOn[] = "1";
const char kOff[] = "0";

}  // namespace

void MainWindow::InitMenus() {
  struct MenuRow {
    Menu menu;
    int caption;
    const char* fallback;
    const char* name;
    const Item* items;
    QAction** actions;
    int count;
  };
  const MenuRow menus[] = {
      {Menu::Project, 1400, "&Projekt", "mnProject", kProject, projectItems_.data(), kProjectItems},
      {Menu::Edit, 1500, "B&earbeiten", "mnEdit", kEdit, editItems_.data(), kEditItems},
      {Menu::View, 1600, "&Ansicht", "mnView", kView, viewItems_.data(), kViewItems},
      {Menu::Help, 1700, "&Hilfe", "mnHelp", kHelp, helpItems_.data(), kHelpItems},
  };
  for (const MenuRow& menu : menus) {
    QMenu* top = menuBar()->addMenu(CaptionOr(menu.caption, menu.fallback));
    top->setObjectName(menu.name);
    for (int i = 0; i < menu.count; ++i) {
      const Item& item = menu.items[i];
      auto* action = new QAction(this);
      const bool separator = QString(item.caption) == "-";
      const bool recent = menu.menu == Menu::Project && i >= kRecent1 && i <= kRecent4;
      action->setSeparator(separator);
      if (!separator)
        action->setText(recent ? QString(item.caption)
                               : CaptionOr(menu.caption + 1 + i, item.caption));
      if (*item.shortcut) action->setShortcut(QKeySequence(item.shortcut));
      action->setVisible(!item.hidden);
      action->setEnabled(!item.disabled && !CommandNotYetAvailable(menu.menu, i));
      action->setCheckable(item.checkable);
      action->setChecked(item.checked);
      action->setObjectName(QString("%1Sub%2").arg(menu.name).arg(i));
      const Menu m = menu.menu;
      if (!separator) connect(action, &QAction::triggered, this, [this, m, i] { MenuClick(m, i); });
      top->addAction(action);
      menu.actions[i] = action;
    }
    // The image export belongs beside printing, whatever its number.
    if (menu.menu == Menu::Project) {
      top->removeAction(projectItems_[kExportImage]);
      top->insertAction(projectItems_[kPrint + 1], projectItems_[kExportImage]);
    }
  }
  // Auto-save keeps the state the user gave it last.
  const bool autoSave = ReadSetting(kOptionsSection, kAutoSaveSetting, kOn) != kOff;
  projectItems_[kAutoSave]->setChecked(autoSave);
  if (!autoSave) autoSave_->SetEnabled(false, false);
  // The usual keys for undo and redo as well.
  editItems_[kUndo]->setShortcuts({QKeySequence("Alt+Backspace"), QKeySequence::Undo});
  editItems_[kRedo]->setShortcuts({QKeySequence("Ctrl+W"), QKeySequence("Ctrl+Y")});
}

// A checkable item has already turned its own check mark when it reports the click, so
// the commands behind ruler, measurement and auto-save follow the mark; they never turn
// it themselves.
void MainWindow::MenuClick(Menu menu, int index) {
  BridgeState& b = Bridge();
  switch (menu) {
    case Menu::Project:
      switch (index) {
        case kNew:
          NewProject();
          break;
        case kOpen:
          OpenDialog();
          break;
        case kSave:
          if (!currentFile_.isEmpty())
            SaveProject(currentFile_);
          else
            SaveAsDialog();
          break;
        case kSaveAs:
          SaveAsDialog();
          break;
        case kPrint:
          PrintPlan(this, ToolbarButton("print")->toolTip(), currentFile_,
                    [this](int id) { return productBar_->ProductDescription(id); });
          break;
        case kAutoSave: {
          const bool on = projectItems_[kAutoSave]->isChecked();
          autoSave_->SetEnabled(on);
          WriteSetting(kOptionsSection, kAutoSaveSetting, on ? kOn : kOff);
          break;
        }
        case kExportImage:
          ExportImageDialog();
          break;
        case kExit:
          if (QuerySave(3100) != plat::IDCANCEL) {
            QuitRequested = true;
            close();
          }
          break;
        default:
          if (index >= kRecent1 && index <= kRecent4) OpenRecent(index - kRecent1);
          break;  // the layout-only saves do nothing
      }
      break;
    case Menu::Edit:
      switch (index) {
        case kUndo:
          SetStatusMessage(GetCaption(1325));
          vCallTessel(TC_Undo, 0, 0, 0);
          UpdateControlStates();
          break;
        case kRedo:
          SetStatusMessage(GetCaption(1335));
          vCallTessel(TC_Redo, 0, 0, 0);
          ObserveChanges(true);
          UpdateControlStates();
          break;
        case kRemoveAllProducts:
          ReadInfo();
          if (b.infoRecord.iCountDesignItems > 0 &&
              MsgBoxCaption(5610, plat::MB_YESNOCANCEL, 5610) == plat::IDYES) {
            vCallTessel(TC_ClearDesign, 0, 0, 0);
            UpdateControlStates();
          }
          break;
        default:
          break;
      }
      break;
    case Menu::View:
      switch (index) {
        case kRuler:
          SetRuler(viewItems_[kRuler]->isChecked());
          break;
        case kMeasurement:
          SetMeasurement(viewItems_[kMeasurement]->isChecked());
          break;
        case kLayoutModeItem:
          if (workMode_ == kLayoutMode) break;
          ReadInfo();
          if (b.infoRecord.iCountDesignItems >= 1) {
            if (MsgBoxCaption(5610, plat::MB_YESNOCANCEL, 5620) == plat::IDYES) SetLayoutModeUI();
          } else {
            SetLayoutModeUI();
          }
          break;
        case kDesignModeItem:
          SetDesignModeUI();
          break;
        case kProductList:
          productBar_->ShowProductList(this, [this] {
            QString name =
                AskName(true, CaptionOr(2521, "Export product list"),
                        DialogFilter(CaptionOr(2520, "CSV files (*.csv)|*.csv")), kListExtension);
            if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
              name += QString(".") + kListExtension;
            return name;
          });
          break;
        case kCatalogue:
          productBar_->ShowCatalogue();
          UpdateControlStates();
          break;
        default:
          break;
      }
      break;
    case Menu::Help:
      if (index == kHelpMode) {
        helpMode_ = !helpMode_;
        if (helpMode_)
          setCursor(HelpCursor());
        else
          unsetCursor();
      }
      break;
  }
}

// The engine's ruler band and the program's idea of its width go together; a mark that
// already matches the band changes nothing.
void MainWindow::SetRuler(bool shown) {
  viewItems_[kRuler]->setChecked(shown);
  if (shown == (rulerWidth_ != 0)) return;
  rulerWidth_ = shown ? kRulerWidth : 0;
  vCallTessel(TC_ToggleRuler, 0, 0, 0);
  SetZoom(Bridge().zoomIndex);
}

void MainWindow::SetMeasurement(bool shown) {
  viewItems_[kMeasurement]->setChecked(shown);
  if (shown == measurementShown_) return;
  measurementShown_ = shown;
  vCallTessel(TC_ToggleMeasurement, 0, 0, 0);
  RefreshView();
}

void MainWindow::ObserveChanges(bool byRedo) {
  ReadInfo();
  changes_.Observe(Bridge().infoRecord.iSerial, byRedo);
  autoSave_->Observe(Bridge().infoRecord.iSerial, changes_.Changed());
  UpdateTitle();
}

// The plan is in its file (or is the new empty plan): the recovery copy has nothing
// more to offer.
void MainWindow::MarkSaved() {
  ReadInfo();
  changes_.Saved(Bridge().infoRecord.iSerial);
  autoSave_->Discard(Bridge().infoRecord.iSerial);
  UpdateTitle();
}

int MainWindow::QuerySave(int titleCaption) {
  ObserveChanges();
  int answer = plat::IDNO;
  if (changes_.Changed()) answer = MsgBoxCaption(5630, plat::MB_YESNOCANCEL, titleCaption);
  if (answer == plat::IDYES) answer = SaveAsDialog();
  return answer;
}

void MainWindow::NewProject() {
  if (QuerySave(5650) == plat::IDCANCEL) return;
  vCallTessel(TC_NewLayout, 0, 0, 0);
  SetLayoutModeUI();
  currentFile_.clear();
  MarkSaved();
  UpdateControlStates();
}

QString MainWindow::DialogFolder() const {
  if (!currentFile_.isEmpty()) return QFileInfo(currentFile_).absolutePath();
  const QString last = ReadSetting(kStartupSection, kLastFolder, "").trimmed();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// The open dialog carries the title of the "new" button, as it always has.
QString MainWindow::AskFileName(bool save) {
  const QAction* button = ToolbarButton(save ? "save" : "new");
  const QString title = button ? button->toolTip() : QString();
  const QString name = AskName(save, title, DialogFilter(GetCaption(5660)), kPlanExtension);
  if (!name.isEmpty()) WriteSetting(kStartupSection, kLastFolder, QFileInfo(name).absolutePath());
  return name;
}

// `suffix` is added to a typed name without one; a chosen filter with a pattern of its
// own ("*.bmp") changes it, so the name matches the kind the user picked.
QString MainWindow::AskName(bool save, const QString& title, const QString& filter,
                            const QString& suffix) {
  const QString folder = DialogFolder();
  if (fileDialog_) return fileDialog_(save, title, filter, folder);
  QFileDialog dialog(this, title, folder, filter);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The dialog then adds the ending itself: it asks about the file that is really meant
  // when saving, and finds "plan1" typed for "plan1.tsd" when opening.
  dialog.setDefaultSuffix(suffix);
  if (save) {
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, suffix](const QString& f) {
      const QRegularExpressionMatch m = QRegularExpression(R"(\*\.(\w+))").match(f);
      dialog.setDefaultSuffix(m.hasMatch() ? m.captured(1) : suffix);
    });
  }
  QString name;
  if (RunModal(dialog) == QDialog::Accepted) name = dialog.selectedFiles().value(0);
  return name;
}

void MainWindow::OpenDialog() {
  if (QuerySave(5640) == plat::IDCANCEL) return;
  const QString name = AskFileName(false);
  if (!name.isEmpty()) OpenProject(EnsureExtension(name));
}

// The engine checks a plan whole before it replaces anything, so a plan that cannot be
// read leaves the plan, its history and the work mode as they were: the plan is read
// in the mode the user is in, and the mode changes only once the plan is in.
bool MainWindow::LoadPlan(const QString& name, bool quietly) {
  if (name.isEmpty()) return false;
  long result = TR_Failed;
  if (quietly) {
    EngineEntry engine = Engine();
    const QByteArray local = name.toLocal8Bit();
    if (engine && Bridge().workWindowHandle != 0)
      result = engine(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(local.constData()), 0);
  } else {
    result = vCallTessel(TC_LoadDesignFile, 0, 0, 0, name);
  }
  if (result != TR_Done) {
    UpdateControlStates();
    return false;
  }
  ReadInfo();
  if (Bridge().infoRecord.bWalls != 0 && workMode_ != kDesignMode) {
    // The engine draws the furnishing only while it reads a plan in design mode.
    vCallTessel(TC_SetDesignMode, 0, 0, 0);
    vCallTessel(TC_LoadDesignFile, 0, 0, 0, name);
  }
  SetDesignModeUI();
  return true;
}

bool MainWindow::OpenProject(const QString& name) {
  if (!LoadPlan(name, false)) return false;
  currentFile_ = name;
  AddRecentFile(name);
  MarkSaved();
  UpdateControlStates();
  return true;
}

// The recovered plan is not in any file of the user's: it opens as changed, under the
// name of the file it belonged to, so Save writes it there. A copy the engine cannot
// read is moved aside rather than deleted, and never half loaded (the engine reads a
// plan whole before it replaces anything).
bool MainWindow::OfferRecoveredPlan() {
  const QString folder = autoSave_->Folder();
  const RecoveredPlan found = AutoSave::Find(folder);
  if (found.state == RecoveredPlan::kNone) return false;
  if (found.state == RecoveredPlan::kStale) {
    AutoSave::Remove(folder);
    return false;
  }
  const QString plan = found.planFile.isEmpty() ? CaptionOr(5670, "Untitled") : found.planFile;
  const QString when = QLocale().toString(found.written, QLocale::ShortFormat);
  const int answer =
      ShowMessage(CaptionOr(5700,
                            "Ostara Tessel was not ended properly. A plan was "
                            "recovered from the last run:\n\n%1\nlast "
                            "saved automatically %2\n\nDo you want to open "
                            "it? No discards it.")
                      .arg(plan, when),
                  CaptionOr(5701, "Recovered plan"), plat::MB_YESNO | plat::MB_ICONQUESTION);
  if (answer != plat::IDYES) {
    AutoSave::Remove(folder);
    return false;
  }
  if (!LoadPlan(found.recoveryFile, true)) {
    const QString aside = AutoSave::SetAside(folder);
    ShowMessage(CaptionOr(5702,
                          "The recovered plan is damaged and could not be opened. It has "
                          "been set aside as:\n%1")
                    .arg(aside.isEmpty() ? found.recoveryFile : aside),
                CaptionOr(5701, "Recovered plan"), plat::MB_ICONWARNING);
    return false;
  }
  currentFile_ = found.planFile;
  ReadInfo();
  changes_.Unsaved(Bridge().infoRecord.iSerial);
  autoSave_->Adopt(Bridge().infoRecord.iSerial);
  UpdateTitle();
  UpdateControlStates();
  return true;
}

bool MainWindow::WritePlanQuietly(const QString& name) {
  EngineEntry engine = Engine();
  if (!engine || Bridge().workWindowHandle == 0) return false;
  const QByteArray local = name.toLocal8Bit();
  return engine(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(local.constData()), 0) ==
         TR_Done;
}

void MainWindow::ExportImageDialog() {
  const QString title = CaptionOr(5693, "Export plan as image");
  QString name = AskName(
      true, title, DialogFilter(CaptionOr(5692, "PNG images (*.png)|*.png|Bitmaps (*.bmp)|*.bmp")),
      kImageExtension);
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += QString(".") + kImageExtension;
  QString why;
  if (!ExportPlanImage(Engine(), name, &why))
    ShowMessage(CaptionOr(5694, "The plan could not be exported as an image:\n%1").arg(why), title,
                plat::MB_ICONWARNING);
}

int MainWindow::SaveAsDialog() {
  const QString chosen = AskFileName(true);
  if (chosen.isEmpty()) return plat::IDCANCEL;
  const QString name = EnsureExtension(chosen);
  // The dialog asked about the name as typed; the file written is another one.
  if (name != chosen && QFileInfo::exists(name) &&
      ShowMessage(CaptionOr(5690, "%1 already exists.\nDo you want to replace it?").arg(name),
                  CaptionOr(1302, "Save plan"),
                  plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES)
    return plat::IDCANCEL;
  return SaveProject(name) ? plat::IDYES : plat::IDCANCEL;
}

// A failed save has been reported by the bridge; the plan then stays changed and the
// current file stays what it was, so no later question takes it for saved.
bool MainWindow::SaveProject(const QString& name) {
  if (vCallTessel(TC_SaveDesignFile, 0, 0, 0, name) != 0) return false;
  currentFile_ = name;
  AddRecentFile(name);
  MarkSaved();
  return true;
}

// Only the file's own name counts: a dot in a folder name ("anna.berg") is no extension.
QString MainWindow::EnsureExtension(const QString& name) {
  if (name.isEmpty() || QFileInfo(name).fileName().contains('.')) return name;
  return name + "." + kPlanExtension;
}

void MainWindow::AddRecentFile(const QString& name) {
  recent_.Add(name);
  ShowRecentFiles();
}

void MainWindow::ShowRecentFiles() {
  const QStringList& names = recent_.Names();
  for (int i = 0; i < RecentFiles::kCapacity; ++i) {
    QAction* item = projectItems_[kRecent1 + i];
    const bool listed = i < names.size();
    item->setText(listed ? names[i] : QString("%1.").arg(i + 1));
    item->setEnabled(listed);
  }
}

void MainWindow::OpenRecent(int position) {
  const QString name = recent_.Names().value(position);
  if (name.isEmpty() || QuerySave(5640) == plat::IDCANCEL) return;
  if (!QFileInfo::exists(name)) {
    // A file that has gone is reported and leaves the list, rather than opening as an
    // empty plan.
    ShowMessage(CaptionOr(5680,
                          "The plan %1 no longer exists. It has been removed from the "
                          "list of recent plans.")
                    .arg(name),
                ProgramTitle(), plat::MB_ICONWARNING);
    recent_.Remove(position);
    ShowRecentFiles();
    return;
  }
  OpenProject(name);
}

void MainWindow::ReadRecentFiles() {
  recent_.Read();
  ShowRecentFiles();
}

void MainWindow::WriteRecentFiles() {
  recent_.Write();
}

// An unsaved plan carries a "*" after its name, as in other programs of the desktop.
void MainWindow::UpdateTitle() {
  const QString file = currentFile_.isEmpty() ? CaptionOr(5670, "Untitled") : currentFile_;
  setWindowTitle(ProgramTitle() + "  -  " + file + (changes_.Changed() ? " *" : ""));
}

void MainWindow::SetLayoutModeUI() {
  if (workMode_ == kLayoutMode) return;
  workMode_ = kLayoutMode;
  selector_->hide();
  UpdateToolboxForMode();
  LayoutMainWindow();
  vCallTessel(TC_SetLayoutMode, 0, 0, 0);
  UpdateControlStates();
}

void MainWindow::SetDesignModeUI() {
  ReadInfo();
  if (Bridge().infoRecord.bWalls == 0) {
    SetLayoutModeUI();
    return;
  }
  if (workMode_ == kDesignMode) return;
  workMode_ = kDesignMode;
  selector_->show();
  productBar_->LayoutProductbar();
  UpdateToolboxForMode();
  LayoutMainWindow();
  vCallTessel(TC_SetDesignMode, 0, 0, 0);
  UpdateControlStates();
}

}  // namespace tessel
