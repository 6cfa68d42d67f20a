// The menus and the project commands behind them: new, open, save, the recent files,
// exit, undo and redo, the work modes and the view switches.
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QStandardPaths>

#include "catalogue/product_bar.h"
#include "language/language.h"
#include "platform/window.h"
#include "print/print_command.h"
#include "shell/engine_bridge.h"
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
    {"&Auto-Speichern", "", true, false, true, true},
    {"-", "", true, false, false, false},
    {"&Drucken", "Ctrl+P", false, false, false, false},
    {"-", "", false, false, false, false},
    {"B&eenden", "Ctrl+Q", false, false, false, false},
    {"-", "", false, false, false, false},
    {"1.", "", false, true, false, false},
    {"2.", "", false, true, false, false},
    {"3.", "", false, true, false, false},
    {"4.", "", false, true, false, false},
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
// The settings value of the folder a plan was last opened from or saved to.
const char kStartupSection[] = "Startup";
const char kLastFolder[] = "LastFolder";

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
      const bool recent = menu.menu == Menu::Project && i >= kRecent1;
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
  }
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
        case kExit:
          if (QuerySave(3100) != plat::IDCANCEL) {
            QuitRequested = true;
            close();
          }
          break;
        default:
          if (index >= kRecent1 && index <= kRecent4) OpenRecent(index - kRecent1);
          break;  // auto-save only keeps its mark; the layout-only saves do nothing
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
          productBar_->ShowProductList(this);
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
  UpdateTitle();
}

void MainWindow::MarkSaved() {
  ReadInfo();
  changes_.Saved(Bridge().infoRecord.iSerial);
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
  const QString filter = DialogFilter(GetCaption(5660));
  const QString folder = DialogFolder();
  QString name;
  if (fileDialog_) {
    name = fileDialog_(save, title, filter, folder);
  } else {
    QFileDialog dialog(this, title, folder, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The dialog then adds ".tsd" itself and asks about the file that is really meant.
    if (save) dialog.setDefaultSuffix(kPlanExtension);
    if (dialog.exec() == QDialog::Accepted) name = dialog.selectedFiles().value(0);
    activateWindow();
  }
  if (!name.isEmpty()) WriteSetting(kStartupSection, kLastFolder, QFileInfo(name).absolutePath());
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
bool MainWindow::OpenProject(const QString& name) {
  if (name.isEmpty()) return false;
  if (vCallTessel(TC_LoadDesignFile, 0, 0, 0, name) != 0) {
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
  currentFile_ = name;
  AddRecentFile(name);
  MarkSaved();
  UpdateControlStates();
  return true;
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
