// The menus and the project commands behind them: new, open, save, the recent files,
// exit, undo and redo, the work modes and the view switches.
#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "catalogue/catalogue.h"
#include "catalogue/plan_pictures.h"
#include "catalogue/product_bar.h"
#include "check/check_window.h"
#include "check/free_area_overlay.h"
#include "check/quantities_window.h"
#include "dialogs/project_dialog.h"
#include "language/language.h"
#include "platform/profile.h"
#include "platform/window.h"
#include "print/print.h"
#include "print/print_command.h"
#include "shell/engine_bridge.h"
#include "shell/files.h"
#include "shell/forms.h"
#include "shell/furnishing.h"
#include "shell/icons.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/plan_view.h"
#include "shell/settings.h"
#include "shell/startup_windows.h"

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
    {"Pro&jekteigenschaften\u2026", "", false, false, false, false},
    {"Plan &prüfen", "", false, false, false, false},
    {"&Mengen\u2026", "", false, false, false, false},
};
const Item kEdit[kEditItems] = {
    {"&Rückgängig", "Alt+Backspace", false, false, false, false},
    {"&Wiederholen", "Ctrl+W", false, false, false, false},
    {"-", "", false, false, false, false},
    {"&Alle Produkte löschen", "", false, false, false, false},
    {"-", "", false, false, false, false},
    {"Nach &links drehen", "Ctrl+Left", false, false, false, false},
    {"Nach &rechts drehen", "Ctrl+Right", false, false, false, false},
    {"&Duplizieren", "Ctrl+D", false, false, false, false},
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
    {"-", "", false, false, false, false},
    {"&Ganzen Plan anzeigen", "Ctrl+0", false, false, false, false},
    {"Be&wegungsflächen", "", false, false, true, false},
};
const Item kHelp[kHelpItems] = {
    {"&Aktuelles Thema", "Shift+F1", false, true, false, false},
    {"I&nfo...", "", true, false, false, false},
    {"&Suchen nach...", "", true, true, false, false},
    {"&Hinweise wieder anzeigen", "", false, false, false, false},
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

// The list's file name the export proposes: the project's title and customer, else the
// plan's name, with the characters no file name may hold replaced.
QString ProposedListName(const ProjectData& project, const QString& planFile) {
  QStringList parts;
  for (const char* key : {ProjectData::kTitle, ProjectData::kCustomer})
    if (!project.Value(key).isEmpty()) parts << project.Value(key).simplified();
  QString name = parts.join(" - ");
  if (name.isEmpty()) name = QFileInfo(planFile).completeBaseName();
  if (name.isEmpty()) name = CaptionOr(7520, "Products");
  static const QRegularExpression kForbidden(R"([/\\:*?"<>|\x00-\x1f])");
  name.replace(kForbidden, "_");
  return name;
}

// The Help menu's caption number and that of its item "Show hints again".
constexpr int kHelpMenuCaption = 1700;
constexpr int kShowHintsCaption = kHelpMenuCaption + 1 + kShowHints;

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
// The plan's text passes through this file of the scratch folder to and from the engine.
const char kScratchPlan[] = "plan.tsd";
// A plan whose pictures were found elsewhere is read from this copy.
const char kPicturesPlan[] = "pictures.tsd";
// How many copies left by ended planners one start looks at before it offers one.
constexpr int kCopiesLookedAt = 64;
// How many steps over work-mode switches Undo and Redo keep, each one plan's text: the
// engine's 32 history states on either side of a few switches.
constexpr std::size_t kModeStepsKept = 128;

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
      {Menu::Help, kHelpMenuCaption, "&Hilfe", "mnHelp", kHelp, helpItems_.data(), kHelpItems},
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
      // The project's data is what the printed page and the exports carry: it goes
      // with them, and every numbered item above keeps its place.
      top->removeAction(projectItems_[kProperties]);
      top->insertAction(projectItems_[kPrint + 1], projectItems_[kProperties]);
      // The fitter's checks follow the project's data.
      for (int item : {kCheckPlan, kQuantities}) {
        top->removeAction(projectItems_[item]);
        top->insertAction(projectItems_[kPrint + 1], projectItems_[item]);
      }
    }
  }
  // Auto-save keeps the state the user gave it last.
  const bool autoSave = ReadSetting(kOptionsSection, kAutoSaveSetting, kOn) != kOff;
  projectItems_[kAutoSave]->setChecked(autoSave);
  if (!autoSave) autoSave_->SetEnabled(false, false);
  // The usual keys for undo and redo as well.
  editItems_[kUndo]->setShortcuts({QKeySequence("Alt+Backspace"), QKeySequence::Undo});
  editItems_[kRedo]->setShortcuts({QKeySequence("Ctrl+W"), QKeySequence("Ctrl+Y")});
  // With Shift the turns are small steps, by the key as by a click with Shift held.
  editItems_[kRotateLeft]->setShortcuts(
      {QKeySequence("Ctrl+Left"), QKeySequence("Ctrl+Shift+Left")});
  editItems_[kRotateRight]->setShortcuts(
      {QKeySequence("Ctrl+Right"), QKeySequence("Ctrl+Shift+Right")});
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
        case kPrint: {
          PrintSource source;
          source.currentFile = currentFile_;
          source.project = project_;
          source.languageSuffix = OpenLanguageSuffix();
          source.catalogue = &productBar_->Products();
          source.freeAreaSetting = freeAreaSetting_;
          PrintPlan(this, ToolbarButton("print")->toolTip(), source, DialogFolder());
          break;
        }
        case kProperties:
          EditProjectProperties();
          break;
        case kAutoSave: {
          const bool on = projectItems_[kAutoSave]->isChecked();
          autoSave_->SetEnabled(on);
          SaveSetting(kOptionsSection, kAutoSaveSetting, on ? kOn : kOff);
          break;
        }
        case kExportImage:
          ExportImageDialog();
          break;
        case kCheckPlan:
          ShowPlanCheck();
          break;
        case kQuantities:
          ShowQuantities();
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
          if (!UndoAcrossSwitch()) vCallTessel(TC_Undo, 0, 0, 0);
          UpdateControlStates();
          break;
        case kRedo:
          SetStatusMessage(GetCaption(1335));
          if (!RedoAcrossSwitch()) {
            vCallTessel(TC_Redo, 0, 0, 0);
            ObserveChanges(true);
          }
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
        case kRotateLeft:
        case kRotateRight: {
          const bool small = QApplication::keyboardModifiers() & Qt::ShiftModifier;
          const int degrees = small ? kSmallTurn : kQuarterTurn;
          TurnSelected(index == kRotateRight ? degrees : -degrees);
          break;
        }
        case kDuplicate:
          DuplicateSelected();
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
          // The furnishing is kept aside while the room is edited: nothing to ask.
          SetLayoutModeUI();
          break;
        case kDesignModeItem:
          SetDesignModeUI();
          break;
        case kFreeAreas:
          ShowFreeAreas(viewItems_[kFreeAreas]->isChecked());
          break;
        case kProductList:
          productBar_->ShowProductList(this, [this] {
            QString name =
                AskName(true, CaptionOr(2521, "Export product list"),
                        DialogFilter(CaptionOr(2520, "CSV files (*.csv)|*.csv")), kListExtension,
                        ProposedListName(project_, currentFile_) + "." + kListExtension);
            if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
              name += QString(".") + kListExtension;
            return name;
          });
          break;
        case kCatalogue:
          productBar_->ShowCatalogue();
          UpdateControlStates();
          break;
        case kZoomToFit:
          ZoomToFit();
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
      } else if (index == kShowHints) {
        ShowPlacingHintsAgain();
        // The item's help text says what it has done.
        const QString done = GetHelp(kShowHintsCaption);
        SetStatusMessage(done.isEmpty() ? QString("The hints on placing a product and on its "
                                                  "height are shown again the next time you "
                                                  "place a product.")
                                        : done);
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

bool MainWindow::UseOwnRecoveryFiles(const QString& lockFailure, QString* why) {
  if (autoSave_->UseOwnFiles(why)) return true;
  // Never a check mark for a copy that is not kept.
  QAction* item = projectItems_[kAutoSave];
  item->setChecked(false);
  item->setEnabled(false);
  // Short enough for the status line; the reasons were in the start's message and stay
  // in the item's tip.
  const QString off = CaptionOr(7213,
                                "Auto-save is off: neither the single-instance lock nor "
                                "a copy of this window's own could be made.");
  const QString reasons = lockFailure + "\n" + *why;
  item->setStatusTip(off);
  item->setToolTip(off + "\n" + reasons);
  SetStatusMessage(off);
  return false;
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
  ForgetModeSteps();
  vCallTessel(TC_NewLayout, 0, 0, 0);
  SetLayoutModeUI();
  currentFile_.clear();
  project_ = ProjectData();
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
  if (!name.isEmpty()) SaveSetting(kStartupSection, kLastFolder, QFileInfo(name).absolutePath());
  return name;
}

// `suffix` is added to a typed name without one; a chosen filter with a pattern of its
// own ("*.bmp") changes it, so the name matches the kind the user picked.
QString MainWindow::AskName(bool save, const QString& title, const QString& filter,
                            const QString& suffix, const QString& proposed) {
  const QString folder =
      proposed.isEmpty() ? DialogFolder() : QDir(DialogFolder()).filePath(proposed);
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
  // A name that is not UTF-8 comes back from a dialog with stand-ins for its odd bytes,
  // or typed as it reads in Latin-1: the file it stands for is found.
  const QString name = LocateFileName(AskFileName(false));
  if (!name.isEmpty()) OpenProject(EnsureExtension(name));
}

// The engine checks a plan whole before it replaces anything, so a plan that cannot be
// read leaves the plan, its history and the work mode as they were: the plan is read
// in the mode the user is in, and the mode changes only once the plan is in.
bool MainWindow::LoadPlan(const QString& name, bool quietly) {
  if (name.isEmpty()) return false;
  // Asked before the engine reads: a FIFO would keep it waiting for a writer forever.
  // Nothing there, or nothing readable, the engine says in its own words.
  if (CheckPlanFile(name) == PlanFileKind::kNotAFile) {
    if (!quietly) ShowMessage(NotAPlanFileText(name), CannotOpenPlanTitle(), plat::MB_ICONWARNING);
    UpdateControlStates();
    return false;
  }
  // Pictures not where the plan says are read from the catalogue's picture folder: the
  // engine reads a copy of the plan that names them there.
  const QString images = productBar_->PicturesFolder();
  const PlanPictures pictures = LocatePlanPicturesOf(name, images);
  QString read = name;
  if (!pictures.located.isEmpty() && scratch_.isValid()) {
    const QString copy = scratch_.filePath(kPicturesPlan);
    if (plat::ReplaceFile(FileNameBytes(copy).constData(), pictures.located.toStdString()))
      read = copy;
  }
  long result = TR_Failed;
  if (quietly || read != name) {
    EngineEntry engine = Engine();
    const QByteArray local = FileNameBytes(read);
    if (engine && Bridge().workWindowHandle != 0)
      result = engine(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(local.constData()), 0);
    // The user hears of the file chosen, not of the copy.
    if (result != TR_Done && !quietly) ShowEngineError(static_cast<std::int16_t>(result), name);
  } else {
    result = vCallTessel(TC_LoadDesignFile, 0, 0, 0, name);
  }
  if (result != TR_Done) {
    UpdateControlStates();
    return false;
  }
  // The plan read is whole: nothing kept aside from the plan before belongs to it.
  ForgetModeSteps();
  ReadInfo();
  if (Bridge().infoRecord.bWalls != 0 && workMode_ != kDesignMode) {
    // The engine draws the furnishing only while it reads a plan in design mode.
    vCallTessel(TC_SetDesignMode, 0, 0, 0);
    vCallTessel(TC_LoadDesignFile, 0, 0, 0, read);
  }
  SetDesignModeUI();
  // Said once the plan is shown under its name (SayMissingPictures).
  missingPictures_.clear();
  if (!pictures.missing.isEmpty())
    missingPictures_ = MissingPicturesText(pictures.missing, images, [this](qint64 id) {
      return productBar_->ProductDescription(id);
    });
  return true;
}

bool MainWindow::OpenProject(const QString& name) {
  if (!LoadPlan(name, false)) return false;
  currentFile_ = name;
  project_ = ProjectData::FromFile(name);
  AddRecentFile(name);
  MarkSaved();
  UpdateControlStates();
  SayMissingPictures();
  return true;
}

// Once, with every picture and its products: the plan keeps them all.
void MainWindow::SayMissingPictures() {
  if (missingPictures_.isEmpty()) return;
  const QString text = missingPictures_;
  missingPictures_.clear();
  ShowMessage(text, CaptionOr(7221, "Product pictures missing"), plat::MB_ICONWARNING);
}

// The recovered plan is not in any file of the user's: it opens as changed, under the
// name of the file it belonged to, so Save writes it there. A copy the engine cannot
// read is moved aside rather than deleted, and never half loaded (the engine reads a
// plan whole before it replaces anything).
bool MainWindow::OfferRecoveredPlan() {
  const QString folder = autoSave_->Folder();
  // The shared copy is another running planner's when this one has no lock.
  const bool shared = !autoSave_->OwnFiles() && !autoSave_->Suspended();
  RecoveredPlan found = AutoSave::Find(folder, shared);
  // A copy that holds just what its file holds has nothing to offer.
  for (int n = 0; found.state == RecoveredPlan::kSameAsPlan && n < kCopiesLookedAt; ++n) {
    AutoSave::Remove(found);
    found = AutoSave::Find(folder, shared);
  }
  if (found.state != RecoveredPlan::kOffer) return false;
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
    AutoSave::Remove(found);
    return false;
  }
  if (!LoadPlan(found.recoveryFile, true)) {
    const QString aside = AutoSave::SetAside(found);
    ShowMessage(CaptionOr(5702,
                          "The recovered plan is damaged and could not be opened. It has "
                          "been set aside as:\n%1")
                    .arg(aside.isEmpty() ? found.recoveryFile : aside),
                CaptionOr(5701, "Recovered plan"), plat::MB_ICONWARNING);
    return false;
  }
  currentFile_ = found.planFile;
  project_ = ProjectData::FromFile(found.recoveryFile);
  ReadInfo();
  changes_.Unsaved(Bridge().infoRecord.iSerial);
  autoSave_->Adopt(Bridge().infoRecord.iSerial, found);
  UpdateTitle();
  UpdateControlStates();
  SayMissingPictures();
  return true;
}

bool MainWindow::WritePlanQuietly(const QString& name) {
  return WritePlan(name, true);
}

// The plan is written from its text: with the furnishing kept aside while the room is
// edited (the engine's layout mode holds the room alone), with picture names that
// travel to other installations, and with the project's section. The whole text
// replaces the file in one step, so the file never holds the plan without its project
// or its furnishing, and a failure leaves the old file as it was.
bool MainWindow::WritePlan(const QString& name, bool quietly) {
  const QByteArray local = FileNameBytes(name);
  const QByteArray text = ComposedPlanText();
  if (text.isEmpty() && keptFurnishing_.isEmpty() && project_.IsEmpty()) {
    // No room for the text on its way: the engine writes the plan itself.
    if (!quietly) return vCallTessel(TC_SaveDesignFile, 0, 0, 0, name) == TR_Done;
    EngineEntry engine = Engine();
    if (!engine || Bridge().workWindowHandle == 0) return false;
    return engine(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(local.constData()), 0) ==
           TR_Done;
  }
  const bool ok = !text.isEmpty() && plat::ReplaceFile(local.constData(), text.toStdString());
  if (!ok && !quietly) ShowEngineError(TR_SaveFailed, name);
  return ok;
}

void MainWindow::EditProjectProperties() {
  ProjectPropertiesDialog dialog(project_, this);
  if (RunModal(dialog) != QDialog::Accepted) return;
  const ProjectData edited = dialog.Data();
  if (edited == project_) return;
  project_ = edited;
  // The data is the plan's: it asks to be saved like any change of the room, and the
  // recovery copy takes it at once, since no history step will prompt a copy.
  ReadInfo();
  changes_.Unsaved(Bridge().infoRecord.iSerial);
  autoSave_->Adopt(Bridge().infoRecord.iSerial);
  autoSave_->WriteNow();
  UpdateTitle();
}

QByteArray MainWindow::EnginePlanText() {
  return Bridge().workWindowHandle != 0 ? SavedPlanText(Engine()) : QByteArray();
}

// The plan's whole text as a save writes it: the furnishing kept aside joined in,
// picture names that travel, the project's section. Empty when the engine gives none.
QByteArray MainWindow::ComposedPlanText() {
  QByteArray text = EnginePlanText();
  if (text.isEmpty()) return text;
  if (!keptFurnishing_.isEmpty()) text = JoinFurnishing(text, keptFurnishing_);
  text = TravellingPictureNames(text, productBar_->PicturesFolder(),
                                QCoreApplication::applicationDirPath());
  if (!project_.IsEmpty()) text = project_.WriteInto(text);
  return text;
}

// The plan as it stands, as a save would write it, read without a file of its own
// where the engine gives its text.
bool MainWindow::ReadCurrentPlan(PlanText* plan) {
  const QByteArray text = ComposedPlanText();
  if (!text.isEmpty()) return ParsePlanText(text, plan);
  QTemporaryDir dir;
  const QString name = dir.filePath("plan.tsd");
  return dir.isValid() && WritePlanQuietly(name) && ReadPlanFile(name, plan, nullptr);
}

void MainWindow::ShowQuantities() {
  // The engine writes only the room and the furnishing; the project's inputs are taken
  // from the plan's own file, as its [Project] section holds them there.
  auto readPlan = [this](PlanText* plan) {
    if (!ReadCurrentPlan(plan)) return false;
    PlanText saved;
    if (plan->project.isEmpty() && !currentFile_.isEmpty() &&
        ReadPlanFile(currentFile_, &saved, nullptr))
      plan->project = saved.project;
    return true;
  };
  auto askFile = [this] {
    return AskName(true, CaptionOr(7632, "Quantities"),
                   DialogFilter(CaptionOr(7635, "CSV files (*.csv)|*.csv")), kListExtension);
  };
  if (!quantities_)
    quantities_ = new QuantitiesWindow(this, readPlan, askFile);
  else
    quantities_->Refresh();
  quantities_->show();
  quantities_->raise();
}

// The zones are worked out again whenever the plan has changed (its history serial),
// and painted over the work window in design mode only.
void MainWindow::ShowFreeAreas(bool on) {
  if (!on) {
    view_->SetOverlay(nullptr);
    return;
  }
  freeAreasSerial_ = -1;
  view_->SetOverlay([this](QPainter& painter) {
    if (workMode_ != kDesignMode) return;
    const BridgeState& b = Bridge();
    if (b.infoRecord.iSerial != freeAreasSerial_) {
      freeAreasSerial_ = b.infoRecord.iSerial;
      PlanText plan;
      freeAreas_.clear();
      if (ReadCurrentPlan(&plan))
        freeAreas_ =
            FreeAreaShapes(plan, CheckCatalogueOf(productBar_->Products()), freeAreaSetting_);
    }
    // The engine's mapping: the plan area's middle shows the view centre, at the zoom.
    const double z = b.zoomTable[b.zoomIndex];
    const double middleX = (rulerWidth_ + view_->width()) / 2,
                 middleY = (rulerWidth_ + view_->height()) / 2;
    QTransform map;
    map.translate(middleX - std::round(b.viewCenterX) * z, middleY - b.viewCenterY * z);
    map.scale(z, z);
    PaintFreeAreas(painter, freeAreas_, map);
  });
}

void MainWindow::ShowPlanCheck() {
  auto readPlan = [this](PlanText* plan) { return ReadCurrentPlan(plan); };
  auto select = [this](int tag) { SelectPlanObject(tag); };
  if (!planCheck_) {
    planCheck_ = new PlanCheckWindow(this, readPlan, CheckCatalogueOf(productBar_->Products()),
                                     select, freeAreaSetting_);
    connect(planCheck_, &PlanCheckWindow::SettingChosen, this, &MainWindow::ChooseFreeAreaSetting);
  } else {
    planCheck_->Refresh();
  }
  planCheck_->show();
  planCheck_->raise();
}

void MainWindow::ChooseFreeAreaSetting(FreeAreaSetting setting) {
  if (setting == freeAreaSetting_) return;
  freeAreaSetting_ = setting;
  // A choice that could not be kept still holds for this run; the user has been told.
  SaveFreeAreaSetting(setting);
  // The zones are made again for the new setting at the next paint.
  freeAreasSerial_ = -1;
  view_->update();
}

// Selects a plan object by its tag, as a click on it would, and leaves the user's
// pointer where it is; the status line and the handles then show it. An object of the
// room's list can only be selected in room layout mode and one of the furnishing only
// in design mode, so the work mode follows the object first, as the user would switch.
void MainWindow::SelectPlanObject(int tag) {
  if (Bridge().workWindowHandle == 0 || tag < 0) return;
  if (tag < kDesignTagBase && workMode_ == kDesignMode)
    SetLayoutModeUI();
  else if (tag >= kDesignTagBase && workMode_ == kLayoutMode)
    SetDesignModeUI();
  vCallTessel(TC_SelectByTag, tag, 0, 0);
  UpdateControlStates();
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
  if (!WritePlan(name, false)) return false;
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
  // A name that is not UTF-8 may come back from the settings with stand-ins for its
  // odd bytes.
  const QString listed = recent_.Names().value(position);
  const QString name = LocateFileName(listed);
  if (name.isEmpty() || QuerySave(5640) == plat::IDCANCEL) return;
  // The entry takes the file's true name, so that opening it does not list it twice.
  if (name != listed) {
    recent_.Replace(position, name);
    ShowRecentFiles();
  }
  if (!FileExists(name)) {
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
  QString why;
  if (!recent_.Write(&why)) SaySettingsNotSaved(why);
}

// An unsaved plan carries a "*" after its name, as in other programs of the desktop.
void MainWindow::UpdateTitle() {
  const QString file = currentFile_.isEmpty() ? CaptionOr(5670, "Untitled") : currentFile_;
  setWindowTitle(ProgramTitle() + "  -  " + file + (changes_.Changed() ? " *" : ""));
}

// The engine's layout mode holds the room alone, so the plan's text is taken before
// the switch: its furnishing is kept aside, saved with the room and brought back with
// design mode. A plan whose text cannot be had stays in design mode, rather than lose
// its products.
void MainWindow::SetLayoutModeUI() {
  if (workMode_ == kLayoutMode) return;
  ObserveChanges();
  const bool changed = PlanChanged();
  if (Bridge().infoRecord.iCountDesignItems > 0) {
    const QByteArray plan = EnginePlanText();
    if (plan.isEmpty()) {
      SetStatusMessage(CaptionOr(7200,
                                 "The products could not be set aside: the plan stays "
                                 "in furnishing mode."));
      return;
    }
    const std::vector<QByteArray> behind = EngineStepsBehind();
    ShowWorkMode(kLayoutMode);
    keptFurnishing_ = plan;
    ReadInfo();
    NoteSwitch(behind, {plan, kDesignMode, {}, Bridge().infoRecord.iSerial});
  } else {
    ShowWorkMode(kLayoutMode);
  }
  KeepUnchanged(changed);
  UpdateControlStates();
}

// The engine starts a new history with each switch, but the plan is what it was: one
// that matched its file still does (it is saved with the furnishing kept aside).
void MainWindow::KeepUnchanged(bool changed) {
  if (!changed) MarkSaved();
}

// The furnishing kept aside joins the room as it is now; products that overlap a moved
// wall are kept and drawn, for the user to move.
void MainWindow::SetDesignModeUI() {
  ReadInfo();
  if (Bridge().infoRecord.bWalls == 0) {
    SetLayoutModeUI();
    return;
  }
  if (workMode_ == kDesignMode) return;
  ObserveChanges();
  const bool changed = PlanChanged();
  if (keptFurnishing_.isEmpty()) {
    ShowWorkMode(kDesignMode);
    KeepUnchanged(changed);
    UpdateControlStates();
    return;
  }
  const QByteArray room = EnginePlanText();
  const QByteArray kept = keptFurnishing_;
  const std::vector<QByteArray> behind = EngineStepsBehind();
  ShowWorkMode(kDesignMode);
  if (room.isEmpty() || !LoadPlanText(JoinFurnishing(room, kept))) {
    // The products stay aside, and with them the room mode they can be saved from.
    SetStatusMessage(CaptionOr(7201,
                               "The products could not be brought back: the plan stays "
                               "in room layout mode."));
    ShowWorkMode(kLayoutMode);
    if (!room.isEmpty()) LoadPlanText(room);
    UpdateControlStates();
    return;
  }
  keptFurnishing_.clear();
  KeepUnchanged(changed);
  ReadInfo();
  NoteSwitch(behind, {room, kLayoutMode, kept, Bridge().infoRecord.iSerial});
  UpdateControlStates();
}

void MainWindow::ShowWorkMode(tessel::WorkMode mode) {
  if (workMode_ == mode) return;
  workMode_ = mode;
  if (mode == kLayoutMode) {
    selector_->hide();
  } else {
    selector_->show();
    productBar_->LayoutProductbar();
  }
  UpdateToolboxForMode();
  LayoutMainWindow();
  vCallTessel(mode == kLayoutMode ? TC_SetLayoutMode : TC_SetDesignMode, 0, 0, 0);
}

// The engine reads the text whole, in the mode it is in, and starts its history there.
bool MainWindow::LoadPlanText(const QByteArray& plan) {
  if (!scratch_.isValid()) return false;
  const QByteArray local = scratch_.filePath(kScratchPlan).toLocal8Bit();
  EngineEntry engine = Engine();
  return engine && Bridge().workWindowHandle != 0 &&
         plat::ReplaceFile(local.constData(), plan.toStdString()) &&
         engine(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(local.constData()), 0) ==
             TR_Done;
}

// Reading a plan starts the engine's history anew, so the engine's own steps on this
// side of a switch are noted as texts before it: each undone, its text taken, and all
// redone again, so the engine is where it was. Oldest first.
std::vector<QByteArray> MainWindow::EngineStepsBehind() {
  std::vector<QByteArray> behind = WalkEngineSteps(true);
  // A step whose text could not be had ends the walk back there.
  behind.erase(std::find(behind.begin(), behind.end(), QByteArray()), behind.end());
  std::reverse(behind.begin(), behind.end());
  return behind;
}

// The plan's text at each of the engine's own steps back (or on), nearest first, up to
// the steps a switch keeps; the engine is then stepped the other way again, so it is
// where it was.
std::vector<QByteArray> MainWindow::WalkEngineSteps(bool back) {
  std::vector<QByteArray> texts;
  EngineEntry engine = Engine();
  if (!engine || Bridge().workWindowHandle == 0) return texts;
  const auto there = static_cast<unsigned short>(back ? TC_Undo : TC_Redo);
  const auto again = static_cast<unsigned short>(back ? TC_Redo : TC_Undo);
  auto available = [back] {
    return back ? Bridge().infoRecord.bUndoAvail : Bridge().infoRecord.bRedoAvail;
  };
  for (ReadInfo(); available() && texts.size() < kModeStepsKept; ReadInfo()) {
    engine(there, 0, 0, 0, 0, 0);
    texts.push_back(EnginePlanText());
  }
  for (std::size_t i = 0; i < texts.size(); ++i) engine(again, 0, 0, 0, 0, 0);
  ReadInfo();
  return texts;
}

// The switch's own step, with the engine's steps before it under it, so that Undo goes
// back over the switch and then on one step at a time.
void MainWindow::NoteSwitch(const std::vector<QByteArray>& behind, const ModeStep& step) {
  for (const QByteArray& plan : behind) undoAcross_.push_back({plan, step.mode, step.kept, 0});
  undoAcross_.push_back(step);
  while (undoAcross_.size() > kModeStepsKept) undoAcross_.erase(undoAcross_.begin());
  redoAcross_.clear();
}

bool MainWindow::CanUndoAcrossSwitch() const {
  const EngineInfo& info = Bridge().infoRecord;
  return !info.bUndoAvail && !undoAcross_.empty() && undoAcross_.back().serial == info.iSerial;
}

bool MainWindow::CanRedoAcrossSwitch() const {
  const EngineInfo& info = Bridge().infoRecord;
  return !info.bRedoAvail && !redoAcross_.empty() && redoAcross_.back().serial == info.iSerial;
}

// The plan goes back to one side of a switch as it was there; the side left becomes the
// step the other way.
bool MainWindow::StepAcrossSwitch(std::vector<ModeStep>* from, std::vector<ModeStep>* to) {
  const ModeStep step = from->back();
  // Reading a plan ends the engine's history, so the steps Redo could still take on this
  // side of the switch are taken now, each plan noted, and undone again.
  const std::vector<QByteArray> ahead =
      from == &undoAcross_ ? WalkEngineSteps(false) : std::vector<QByteArray>();
  const QByteArray now = EnginePlanText();
  if (now.isEmpty() || std::count(ahead.begin(), ahead.end(), QByteArray()) > 0) return false;
  ModeStep back{now, workMode_, keptFurnishing_, 0};
  ShowWorkMode(step.mode);
  if (!LoadPlanText(step.plan)) {
    ShowWorkMode(back.mode);
    LoadPlanText(now);
    return false;
  }
  from->pop_back();
  keptFurnishing_ = step.kept;
  ReadInfo();
  // The engine's history starts again at the plan read: the next step over a switch
  // is reached from here.
  back.serial = Bridge().infoRecord.iSerial;
  if (!from->empty()) from->back().serial = back.serial;
  // Furthest first, so that Redo comes back through them in their order.
  for (auto it = ahead.rbegin(); it != ahead.rend(); ++it)
    to->push_back({*it, back.mode, back.kept, 0});
  to->push_back(back);
  while (to->size() > kModeStepsKept) to->erase(to->begin());
  return true;
}

bool MainWindow::UndoAcrossSwitch() {
  ReadInfo();
  return CanUndoAcrossSwitch() && StepAcrossSwitch(&undoAcross_, &redoAcross_);
}

bool MainWindow::RedoAcrossSwitch() {
  ReadInfo();
  return CanRedoAcrossSwitch() && StepAcrossSwitch(&redoAcross_, &undoAcross_);
}

void MainWindow::ForgetModeSteps() {
  keptFurnishing_.clear();
  undoAcross_.clear();
  redoAcross_.clear();
}

}  // namespace tessel
