// The main window frmMain: the work window with its scroll bars and the zoom box, the
// menus and the commands behind them, the toolbar, the toolbox and the status bar,
// the view state kept for the engine, and the window's own keys.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QPointF>
#include <QString>
#include <QTemporaryDir>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "check/free_area_overlay.h"
#include "check/live_distances.h"
#include "shell/auto_save.h"
#include "shell/change_tracker.h"
#include "shell/control_states.h"
#include "shell/menu_items.h"
#include "shell/project_data.h"
#include "shell/recent_files.h"
#include "shell/remembered.h"
#include "shell/view_geometry.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QScrollBar;
class QToolBar;

namespace tessel {

class PlanCheckWindow;
class QuantitiesWindow;
struct PlanText;
class PlanView;
class ProductBar;
class ToolboxButton;
class KeySequence;

// The turns of the rotate commands: a quarter turn, with Shift a small step.
constexpr int kQuarterTurn = 90, kSmallTurn = 15;
// The arrow keys move a selected product by 1 cm, with Shift by 10 cm; the worksheet
// has two pixels to the centimetre.
constexpr int kSheetPixelsPerCm = 2;
constexpr int kSmallMoveCm = 1, kLargeMoveCm = 10;
// A product's p1 holds its mounting type in these bits and its wall's tag above them.
constexpr int kMountingBits = 0xF;
// The room zoom to fit leaves around the drawn plan, in worksheet pixels (4 cm).
constexpr int kFitMargin = 8;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // recoveryFolder: where auto-save keeps its copy of the plan.
  explicit MainWindow(QWidget* parent = nullptr,
                      const QString& recoveryFolder = DefaultRecoveryFolder(),
                      AutoSaveTiming timing = {});
  ~MainWindow() override;

  bool bInitialized = false;
  bool QuitRequested = false;
  PlanView* View() const { return view_; }
  ProductBar* Bar() const { return productBar_; }
  QComboBox* ZoomBox() const { return zoom_; }
  QScrollBar* HorizontalBar() const { return hbar_; }
  QScrollBar* VerticalBar() const { return vbar_; }
  QAction* ProjectItem(int index) const { return projectItems_[index]; }
  PlanCheckWindow* PlanCheck() const { return planCheck_; }
  QuantitiesWindow* QuantitiesView() const { return quantities_; }
  QAction* EditItem(int index) const { return editItems_[index]; }
  QAction* ViewItem(int index) const { return viewItems_[index]; }
  QAction* HelpItem(int index) const { return helpItems_[index]; }
  // The toolbar button of a key; null for a key the toolbar does not have.
  QAction* ToolbarButton(const QString& key) const;
  ToolboxButton* Tool(int index) const { return tools_[index]; }
  QLabel* StatusMessage() const { return sbMsg_; }
  QLabel* CursorLeft() const { return lblLeft_; }
  QLabel* CursorTop() const { return lblTop_; }
  const QString& CurrentFile() const { return currentFile_; }
  tessel::WorkMode WorkMode() const { return workMode_; }
  bool InHelpMode() const { return helpMode_; }
  // Whether the plan differs from its file (or, without one, from the empty plan).
  bool PlanChanged() const { return changes_.Changed(); }
  const RecentFiles& Recent() const { return recent_; }
  AutoSave* AutoSaver() const { return autoSave_.get(); }
  // The project's data of the open plan, kept in its file's "[Project]" section.
  const ProjectData& Project() const { return project_; }

  void SetZoom(int index);
  void UpdateView();
  void RefreshView();
  void UpdateControlStates();
  void UpdateTitle();
  void SetStatusMessage(const QString& text);

  // The one dispatcher of menus, toolbar and keys: the menu and the item's index in it.
  void MenuClick(Menu menu, int index);
  void ToolClicked(int index);
  void ToolbarClicked(const QString& key);

  // Asks whether to save a changed plan: 6 saved, 7 not changed or not to be saved,
  // 2 stop (cancelled, or the save failed).
  int QuerySave(int titleCaption);
  void NewProject();
  void OpenDialog();
  bool OpenProject(const QString& name);
  // A plan another start of the planner handed over: the window comes to the front
  // and opens it as the open command would (asking about unsaved changes first); with
  // no name it only comes to the front. Waits while one of its dialogs is open.
  void OpenForwardedPlan(const QString& name);
  // Offers the plan an earlier run left in the recovery folder, if any: opened as a
  // changed plan of its old file, or discarded. True when it was opened.
  bool OfferRecoveredPlan();
  // Another planner may share the recovery folder: this one leaves the shared copy alone
  // and keeps its own. False, with the reason, when it cannot: auto-save is then off,
  // its menu item unchecked and disabled, and the status line says why.
  bool UseOwnRecoveryFiles(const QString& lockFailure, QString* why);
  // Writes the plan into "Project > Export as image": PNG or BMP by the name's ending.
  void ExportImageDialog();
  // Project > Check plan: the findings window, kept while the program runs.
  void ShowPlanCheck();
  // Project > Quantities...: the quantities window, kept while the program runs.
  void ShowQuantities();
  // View > Free areas on or off.
  void ShowFreeAreas(bool on);
  // The setting the free areas are measured for, chosen in the plan check: kept for
  // the next run, and the zones shown follow it at once.
  void ChooseFreeAreaSetting(FreeAreaSetting setting);
  void ShowLiveDistances(const HangingProduct& hanging);
  bool ReadCurrentPlan(PlanText* plan);
  // The plan's whole text as a save writes it (the furnishing kept aside while the room
  // is edited joined in); empty when it could not be had.
  QByteArray ComposedPlanText();
  void SelectPlanObject(int tag);
  // A right click on a placed product: its menu (properties, position); false when the
  // click was on no product, which its kind's dialog edits then.
  bool ProductContextMenu(int x, int y);
  // The position of the selected product typed as distances from the walls.
  void PositionSelectedProduct();
  bool SaveProject(const QString& name);
  int SaveAsDialog();
  // "Project > Properties…": the project's data; a change makes the plan changed.
  void EditProjectProperties();
  void AddRecentFile(const QString& name);
  void SetLayoutModeUI();
  void SetDesignModeUI();
  // What the window leaves for the next start (remembered.h).
  RememberedWindow Remembered() const;
  // The recent files from the settings, and back into them.
  void ReadRecentFiles();
  void WriteRecentFiles();
  void ShowHelpMessage(int number);
  // The commands on the selected object. Each refusal is said in the status bar.
  // TurnSelected: by degrees, positive clockwise; a wall-mounted product turns to its
  // next wall side.
  void TurnSelected(int degrees);
  // Moves the selected product or shape by worksheet pixels; false when refused.
  bool MoveSelected(int dx, int dy);
  // Hangs a copy of the selected object at the pointer.
  void DuplicateSelected();
  // The largest zoom step at which the whole drawn plan is in view, centred.
  void ZoomToFit();
  // Hands the work window the outline of the selection, for its handles.
  void RefreshSelection();

  // The file dialogs as the program asks them: save or open, title, filter and the
  // folder to start in; the chosen name, or empty when cancelled. Tests put their own
  // answer in place.
  using FileDialog = std::function<QString(bool save, const QString& title, const QString& filter,
                                           const QString& folder)>;
  void SetFileDialog(FileDialog dialog) { fileDialog_ = std::move(dialog); }
  // Where the open and save dialogs start: the current plan's folder, else the folder
  // used last, else the user's documents.
  QString DialogFolder() const;

  // The name a plan is stored under: ".tsd" added when the file name has no extension.
  static QString EnsureExtension(const QString& name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void InitMenus();
  void InitToolbar();
  void InitToolbox();
  void InitStatusBar();
  void InitView();
  void InitProductBar();
  void LayoutMainWindow();
  void ScrollChanged();
  long AdjustView();
  // The window's keys, seen before the widget that has the focus: true when used up.
  bool PreviewKey(QKeyEvent* event, QWidget* focus);
  void Wheel(int x, int y, QPoint angle, Qt::KeyboardModifiers modifiers);
  void ScrollBy(QScrollBar* bar, int pixels);
  // Whether the selection is something the arrow keys move.
  bool SelectionMovable();
  void UpdateStatus(int x, int y, int buttons);
  void UpdateToolboxForMode();
  void SetToolbarButtonEnabled(const QString& key, bool enabled);
  void SetToolboxButtonEnabled(int index, bool enabled);
  void ClearToolboxHover();
  void ToolHovered(int index);
  void ShowRecentFiles();
  void OpenRecent(int position);
  void SetRuler(bool shown);
  void SetMeasurement(bool shown);
  void ExitPath();
  void ApplyRememberedView();
  QString AskFileName(bool save);
  // The file dialog for any kind of file: the name chosen, or empty.
  // `proposed` is a file name the dialog offers in its folder.
  QString AskName(bool save, const QString& title, const QString& filter, const QString& suffix,
                  const QString& proposed = {});
  // Reads a plan as the open command does: quietly leaves the engine's error unsaid.
  bool LoadPlan(const QString& name, bool quietly);
  // The engine's save without its error box, for the copies nobody asked for.
  bool WritePlanQuietly(const QString& name);
  // Writes the whole plan (the furnishing kept aside while the room is edited, the
  // project's section) beside `name` and renames it over it; `quietly` leaves a failure
  // unsaid.
  bool WritePlan(const QString& name, bool quietly);
  QByteArray EnginePlanText();
  // The work-mode switch without keeping or joining the furnishing.
  void ShowWorkMode(tessel::WorkMode mode);
  // Steps back or forward over a work-mode switch when the engine's own history has no
  // step left there; true when it did.
  bool UndoAcrossSwitch();
  bool RedoAcrossSwitch();
  bool CanUndoAcrossSwitch() const;
  // Reads a plan's text into the engine as a whole plan, in the engine's present mode.
  bool LoadPlanText(const QByteArray& plan);
  bool CanRedoAcrossSwitch() const;
  // A plan opened, recovered or new: the steps over earlier switches belong to no plan.
  void ForgetModeSteps();
  void KeepUnchanged(bool changed);
  // Names the product pictures the plan just read could not be found for.
  void SayMissingPictures();
  // Reads the engine's state and notes the history serial; byRedo after a redo.
  void ObserveChanges(bool byRedo = false);
  void MarkSaved();

  PlanView* view_ = nullptr;
  ProductBar* productBar_ = nullptr;
  PlanCheckWindow* planCheck_ = nullptr;
  QuantitiesWindow* quantities_ = nullptr;
  int freeAreasSerial_ = -1;  // the plan's history serial the zones were made for
  FreeAreaSetting freeAreaSetting_ = FreeAreaSetting::kPrivate;
  QList<FreeAreaShape> freeAreas_;
  HangingProduct dragged_;  // the product a press may drag, taken before the lift
  std::unique_ptr<DistanceMap> liveDistances_;
  int liveDistancesSerial_ = -1;
  // The dragged product's tag (-1 for none): while it is lifted, the plan the distances
  // are measured in still holds it where it stood, and it is no obstacle of its own.
  int draggedTag_ = -1;
  int liveDistancesExcluded_ = -1;
  QWidget* area_ = nullptr;
  QWidget* toolbox_ = nullptr;
  QWidget* selector_ = nullptr;
  QComboBox* zoom_ = nullptr;
  QScrollBar* hbar_ = nullptr;
  QScrollBar* vbar_ = nullptr;
  QToolBar* iconbar_ = nullptr;
  std::array<QAction*, kProjectItems> projectItems_{};
  std::array<QAction*, kEditItems> editItems_{};
  std::array<QAction*, kViewItems> viewItems_{};
  std::array<QAction*, kHelpItems> helpItems_{};
  std::array<ToolboxButton*, kToolCount> tools_{};
  QLabel* lblLeft_ = nullptr;
  QLabel* lblTop_ = nullptr;
  QLabel* lblWidth_ = nullptr;
  QLabel* lblDepth_ = nullptr;
  QLabel* lblHeight_ = nullptr;
  QLabel* sbMsg_ = nullptr;
  QWidget* sizeFrame_ = nullptr;
  KeySequence* keys_ = nullptr;
  FileDialog fileDialog_;
  QString currentFile_;
  ProjectData project_;
  RecentFiles recent_;
  ChangeTracker changes_;
  std::unique_ptr<AutoSave> autoSave_;
  BarFit fit_;
  tessel::WorkMode workMode_ = kLayoutMode;
  int hoverIndex_ = kNoTool;
  int rulerWidth_ = kRulerWidth;
  bool measurementShown_ = false;
  // Wheel turns smaller than a notch (touchpads) add up until they make a step.
  QPoint wheelRest_;
  bool inResize_ = false;
  bool settingBars_ = false;
  bool exited_ = false;
  bool helpMode_ = false;
  // The plan as it was when design mode was left, whose furnishing returns with design
  // mode; empty while nothing is kept aside.
  QByteArray keptFurnishing_;
  // The message about the pictures of the plan just read, until it is said.
  QString missingPictures_;
  // One side of a work-mode switch, to step back to: the plan's text as the engine held
  // it, its mode, the furnishing kept aside then, and the engine's serial right after
  // the switch (the step applies only while the engine is at that state).
  struct ModeStep {
    QByteArray plan;
    tessel::WorkMode mode;
    QByteArray kept;
    int serial;
  };
  std::vector<ModeStep> undoAcross_, redoAcross_;
  bool StepAcrossSwitch(std::vector<ModeStep>* from, std::vector<ModeStep>* to);
  std::vector<QByteArray> WalkEngineSteps(bool back);
  std::vector<QByteArray> EngineStepsBehind();
  void NoteSwitch(const std::vector<QByteArray>& behind, const ModeStep& step);
  // Where the plan's text passes through a file on its way to and from the engine.
  QTemporaryDir scratch_;
};

}  // namespace tessel
