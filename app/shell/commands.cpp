// The menus and the project commands behind them: new, open, save, the recent files,
// exit, undo and redo, the work modes and the view switches.
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>

#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/icons.h"
#include "shell/main_window.h"
#include "shell/settings.h"

namespace tessel {

namespace {

struct Item {
  const char* caption;  // shown when the text table has none
  const char* shortcut;
  bool hidden, disabled, checked;
};

const Item kProject[18] = {
    {"&Neu", "Ctrl+N", false, false, false},
    {"Ö&ffnen...", "Ctrl+O", false, false, false},
    {"-", "", true, false, false},
    {"&Grundriss Speichern", "", true, false, false},
    {"Grun&driss Speichern unter...", "", true, false, false},
    {"&Speichern", "Ctrl+S", false, false, false},
    {"Speichern &unter...", "Ctrl+U", false, false, false},
    {"-", "", false, false, false},
    {"&Auto-Speichern", "", true, false, true},
    {"-", "", true, false, false},
    {"&Drucken", "Ctrl+P", false, false, false},
    {"-", "", false, false, false},
    {"B&eenden", "Ctrl+Q", false, false, false},
    {"-", "", false, false, false},
    {"1.", "", false, true, false},
    {"2.", "", false, true, false},
    {"3.", "", false, true, false},
    {"4.", "", false, true, false},
};
const Item kEdit[4] = {
    {"&Rückgängig", "Alt+Backspace", false, false, false},
    {"&Wiederholen", "Ctrl+W", false, false, false},
    {"-", "", false, false, false},
    {"&Alle Produkte löschen", "", false, false, false},
};
const Item kView[8] = {
    {"&Lineal", "Ctrl+L", false, false, true},
    {"&Bemaßung", "Ctrl+M", false, false, false},
    {"-", "", false, false, false},
    {"&Grundriß", "F2", false, false, false},
    {"&Entwurf", "F3", false, false, false},
    {"-", "", false, false, false},
    {"&Produktliste", "F4", false, false, false},
    {"&Katalog", "F5", false, false, false},
};
const Item kHelp[3] = {
    {"&Aktuelles Thema", "Shift+F1", false, true, false},
    {"I&nfo...", "", true, false, false},
    {"&Suchen nach...", "", true, true, false},
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

}  // namespace

void MainWindow::InitMenus() {
  struct Menu {
    int caption;
    const char* fallback;
    const char* name;
    const Item* items;
    int count;
    QAction** actions;
  };
  const Menu menus[4] = {
      {1400, "&Projekt", "mnProject", kProject, 18, projectItems_},
      {1500, "B&earbeiten", "mnEdit", kEdit, 4, editItems_},
      {1600, "&Ansicht", "mnView", kView, 8, viewItems_},
      {1700, "&Hilfe", "mnHelp", kHelp, 3, helpItems_},
  };
  for (int m = 0; m < 4; ++m) {
    const Menu& menu = menus[m];
    QMenu* top = menuBar()->addMenu(CaptionOr(menu.caption, menu.fallback));
    top->setObjectName(menu.name);
    for (int i = 0; i < menu.count; ++i) {
      const Item& item = menu.items[i];
      auto* action = new QAction(this);
      const bool separator = QString(item.caption) == "-";
      const bool recent = m == 0 && i >= 14;
      action->setSeparator(separator);
      if (!separator)
        action->setText(recent ? QString(item.caption)
                               : CaptionOr(menu.caption + 1 + i, item.caption));
      if (*item.shortcut) action->setShortcut(QKeySequence(item.shortcut));
      action->setVisible(!item.hidden);
      action->setEnabled(!item.disabled);
      action->setCheckable(item.checked);
      action->setChecked(item.checked);
      action->setObjectName(QString("%1Sub%2").arg(menu.name).arg(i));
      if (!separator) connect(action, &QAction::triggered, this, [this, m, i] { MenuClick(m, i); });
      top->addAction(action);
      menu.actions[i] = action;
    }
  }
  // Printing, the product list and the catalogue come with their own windows; until
  // then their items stay disabled.
  projectItems_[10]->setEnabled(false);
  viewItems_[6]->setEnabled(false);
  viewItems_[7]->setEnabled(false);
  // The usual keys for undo and redo as well.
  editItems_[0]->setShortcuts({QKeySequence("Alt+Backspace"), QKeySequence::Undo});
  editItems_[1]->setShortcuts({QKeySequence("Ctrl+W"), QKeySequence("Ctrl+Y")});
}

void MainWindow::MenuClick(int menu, int index) {
  BridgeState& b = Bridge();
  switch (menu) {
    case 0:
      switch (index) {
        case 0:
          NewProject();
          break;
        case 1:
          OpenDialog();
          break;
        case 5:
          if (!currentFile_.isEmpty())
            SaveProject(currentFile_);
          else
            SaveAsDialog();
          break;
        case 6:
          SaveAsDialog();
          break;
        case 8:
          projectItems_[8]->setChecked(!projectItems_[8]->isChecked());
          break;
        case 12:
          if (QuerySave(3100) != 2) {
            QuitRequested = true;
            close();
          }
          break;
        case 14:
        case 15:
        case 16:
        case 17: {
          const QString name = projectItems_[index]->text();
          if (QuerySave(5640) == 2) break;
          if (!QFileInfo::exists(name)) {
            // A file that has gone is reported and leaves the list, rather than
            // opening as an empty plan.
            plat::MessageBox(0,
                             CaptionOr(5680,
                                       "The plan %1 no longer exists. It has been removed from the "
                                       "list of recent plans.")
                                 .arg(name)
                                 .toLocal8Bit()
                                 .constData(),
                             GetCaption(101).toLocal8Bit().constData(), plat::MB_ICONWARNING);
            for (int i = index; i < 17; ++i) {
              projectItems_[i]->setText(projectItems_[i + 1]->text());
              projectItems_[i]->setEnabled(projectItems_[i + 1]->isEnabled());
            }
            projectItems_[17]->setText("4.");
            projectItems_[17]->setEnabled(false);
            break;
          }
          OpenProject(name);
          break;
        }
        default:
          break;
      }
      break;
    case 1:
      switch (index) {
        case 0:
          SetStatusMessage(GetCaption(1325));
          vCallTessel(TC_Undo, 0, 0, 0);
          UpdateControlStates();
          break;
        case 1:
          SetStatusMessage(GetCaption(1335));
          vCallTessel(TC_Redo, 0, 0, 0);
          UpdateControlStates();
          break;
        case 3:
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
    case 2:
      switch (index) {
        case 0:
          viewItems_[0]->setChecked(!viewItems_[0]->isChecked());
          rulerWidth_ = viewItems_[0]->isChecked() ? 28 : 0;
          vCallTessel(TC_ToggleRuler, 0, 0, 0);
          SetZoom(b.zoomIndex);
          break;
        case 1:
          viewItems_[1]->setChecked(!viewItems_[1]->isChecked());
          vCallTessel(TC_ToggleMeasurement, 0, 0, 0);
          RefreshView();
          break;
        case 3:
          if (workMode_ == kLayoutMode) break;
          ReadInfo();
          if (b.infoRecord.iCountDesignItems >= 1) {
            if (MsgBoxCaption(5610, plat::MB_YESNOCANCEL, 5620) == plat::IDYES) SetLayoutModeUI();
          } else {
            SetLayoutModeUI();
          }
          break;
        case 4:
          SetDesignModeUI();
          break;
        default:
          break;  // the product list and the catalogue come with the catalogue
      }
      break;
    case 3:
      if (index == 0) {
        if (helpMode_) {
          helpMode_ = false;
          unsetCursor();
        } else {
          helpMode_ = true;
          setCursor(HelpCursor());
        }
      }
      break;
    default:
      break;
  }
}

int MainWindow::QuerySave(int titleCaption) {
  ReadInfo();
  int answer = plat::IDNO;
  if (Bridge().infoRecord.iSerial > savedSerial_)
    answer = MsgBoxCaption(5630, plat::MB_YESNOCANCEL, titleCaption);
  if (answer == plat::IDYES) answer = SaveAsDialog();
  return answer;
}

void MainWindow::NewProject() {
  if (QuerySave(5650) == plat::IDCANCEL) return;
  vCallTessel(TC_NewLayout, 0, 0, 0);
  SetLayoutModeUI();
  currentFile_.clear();
  ReadInfo();
  savedSerial_ = Bridge().infoRecord.iSerial;
  UpdateTitle();
  UpdateControlStates();
}

// The open dialog carries the title of the "new" button, as it always has.
QString MainWindow::AskFileName(bool save) {
  const QAction* button = ToolbarButton(save ? "save" : "new");
  const QString title = button ? button->toolTip() : QString();
  const QString filter = DialogFilter(GetCaption(5660));
  if (fileDialog_) return fileDialog_(save, title, filter);
  return save ? QFileDialog::getSaveFileName(this, title, QString(), filter)
              : QFileDialog::getOpenFileName(this, title, QString(), filter);
}

void MainWindow::OpenDialog() {
  if (QuerySave(5640) == plat::IDCANCEL) return;
  const QString name = AskFileName(false);
  if (!name.isEmpty()) OpenProject(EnsureExtension(name));
}

bool MainWindow::OpenProject(const QString& name) {
  if (name.isEmpty()) return false;
  const int mode = workMode_;
  workMode_ = kDesignMode;
  vCallTessel(TC_SetDesignMode, 0, 0, 0);
  const long result = vCallTessel(TC_LoadDesignFile, 0, 0, 0, name);
  workMode_ = mode;
  if (result == 0) {
    SetDesignModeUI();
    currentFile_ = name;
    AddRecentFile(name);
  } else {
    SetLayoutModeUI();
  }
  ReadInfo();
  savedSerial_ = Bridge().infoRecord.iSerial;
  UpdateTitle();
  UpdateControlStates();
  return result == 0;
}

int MainWindow::SaveAsDialog() {
  const QString name = AskFileName(true);
  if (name.isEmpty()) return plat::IDCANCEL;
  return SaveProject(EnsureExtension(name)) ? plat::IDYES : plat::IDCANCEL;
}

// A failed save has been reported by the bridge; the plan then stays changed and the
// current file stays what it was, so no later question takes it for saved.
bool MainWindow::SaveProject(const QString& name) {
  if (vCallTessel(TC_SaveDesignFile, 0, 0, 0, name) != 0) return false;
  currentFile_ = name;
  AddRecentFile(name);
  ReadInfo();
  savedSerial_ = Bridge().infoRecord.iSerial;
  UpdateTitle();
  return true;
}

QString MainWindow::EnsureExtension(const QString& name) {
  return name.contains('.') ? name : name + ".tsd";
}

void MainWindow::AddRecentFile(const QString& name) {
  for (int i = 14; i <= 17; ++i)
    if (projectItems_[i]->text() == name) return;
  for (int i = 17; i > 14; --i) {
    projectItems_[i]->setText(projectItems_[i - 1]->text());
    projectItems_[i]->setEnabled(projectItems_[i - 1]->isEnabled());
  }
  projectItems_[14]->setText(name);
  projectItems_[14]->setEnabled(true);
}

void MainWindow::ReadRecentFiles() {
  for (int n = 1; n <= 4; ++n) {
    const QString name = ReadSetting("RecentFiles", QString("File%1").arg(n), "").trimmed();
    if (name.isEmpty()) break;
    projectItems_[13 + n]->setText(name);
    projectItems_[13 + n]->setEnabled(true);
  }
}

void MainWindow::WriteRecentFiles() {
  for (int n = 1; n <= 4; ++n) {
    QAction* item = projectItems_[13 + n];
    if (!item->isEnabled()) break;
    WriteSetting("RecentFiles", QString("File%1").arg(n), item->text());
  }
}

void MainWindow::UpdateTitle() {
  QString title = GetCaption(101);
  if (title.isEmpty()) title = "Ostara Tessel";
  const QString file = currentFile_.isEmpty() ? GetCaption(5670) : currentFile_;
  setWindowTitle(title + "  -  " + file);
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
  UpdateToolboxForMode();
  LayoutMainWindow();
  vCallTessel(TC_SetDesignMode, 0, 0, 0);
  UpdateControlStates();
}

}  // namespace tessel
