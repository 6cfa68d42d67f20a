// The main window frmMain: the work window with its scroll bars and the zoom box, the
// menus and the commands behind them, the toolbar, the toolbox and the status bar,
// the view state kept for the engine, and the window's own keys.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointF>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "check/free_area_overlay.h"
#include "check/live_distances.h"
#include "shell/auto_save.h"
#include "shell/change_tracker.h"
#include "shell/control_states.h"
#include "shell/menu_items.h"
#include "shell/recent_files.h"
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
  // Offers the plan an earlier run left in the recovery folder, if any: opened as a
  // changed plan of its old file, or discarded. True when it was opened.
  bool OfferRecoveredPlan();
  // Another planner may share the recovery folder: this one leaves it alone.
  void SuspendAutoSave() { autoSave_->Suspend(); }
  // Writes the plan into "Project > Export as image": PNG or BMP by the name's ending.
  void ExportImageDialog();
  // Project > Check plan: the findings window, kept while the program runs.
  void ShowPlanCheck();
  // Project > Quantities...: the quantities window, kept while the program runs.
  void ShowQuantities();
  // View > Free areas on or off.
  void ShowFreeAreas(bool on);
  void ShowLiveDistances(const HangingProduct& hanging);
  bool ReadCurrentPlan(PlanText* plan);
  void SelectAtRoomPoint(QPointF room);
  // A right click on a placed product: its menu (properties, position); false when the
  // click was on no product, which its kind's dialog edits then.
  bool ProductContextMenu(int x, int y);
  // The position of the selected product typed as distances from the walls.
  void PositionSelectedProduct();
  bool SaveProject(const QString& name);
  int SaveAsDialog();
  void AddRecentFile(const QString& name);
  void SetLayoutModeUI();
  void SetDesignModeUI();
  // The recent files from the settings, and back into them.
  void ReadRecentFiles();
  void WriteRecentFiles();
  void ShowHelpMessage(int number);

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
  QString AskFileName(bool save);
  // The file dialog for any kind of file: the name chosen, or empty.
  QString AskName(bool save, const QString& title, const QString& filter, const QString& suffix);
  // Reads a plan as the open command does: quietly leaves the engine's error unsaid.
  bool LoadPlan(const QString& name, bool quietly);
  // The engine's save without its error box, for the copies nobody asked for.
  static bool WritePlanQuietly(const QString& name);
  // Reads the engine's state and notes the history serial; byRedo after a redo.
  void ObserveChanges(bool byRedo = false);
  void MarkSaved();

  PlanView* view_ = nullptr;
  ProductBar* productBar_ = nullptr;
  PlanCheckWindow* planCheck_ = nullptr;
  QuantitiesWindow* quantities_ = nullptr;
  int freeAreasSerial_ = -1;  // the plan's history serial the zones were made for
  QList<FreeAreaShape> freeAreas_;
  HangingProduct dragged_;  // the product a press may drag, taken before the lift
  std::unique_ptr<DistanceMap> liveDistances_;
  int liveDistancesSerial_ = -1;
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
};

}  // namespace tessel
