// The main window frmMain: the work window with its scroll bars and the zoom box, the
// menus and the commands behind them, the toolbar, the toolbox and the status bar,
// the view state kept for the engine, and the window's own keys.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QScrollBar;
class QToolBar;

namespace tessel {

class PlanView;
class ToolboxButton;
class KeySequence;

// Work modes as the engine and the program count them.
constexpr int kLayoutMode = 5, kDesignMode = 0;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  bool bInitialized = false;
  bool QuitRequested = false;
  PlanView* View() const { return view_; }
  QComboBox* ZoomBox() const { return zoom_; }
  QScrollBar* HorizontalBar() const { return hbar_; }
  QScrollBar* VerticalBar() const { return vbar_; }
  QAction* ProjectItem(int index) const { return projectItems_[index]; }
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
  int WorkMode() const { return workMode_; }
  bool InHelpMode() const { return helpMode_; }

  void SetZoom(int index);
  void UpdateView();
  void RefreshView();
  void UpdateControlStates();
  void UpdateTitle();
  void SetStatusMessage(const QString& text);

  // The one dispatcher of menus, toolbar and keys: menu 0 project, 1 edit, 2 view,
  // 3 help, and the item's index in that menu.
  void MenuClick(int menu, int index);
  void ToolClicked(int index);
  void ToolbarClicked(const QString& key);

  // Asks whether to save a changed plan: 6 saved, 7 not changed or not to be saved,
  // 2 stop (cancelled, or the save failed).
  int QuerySave(int titleCaption);
  void NewProject();
  void OpenDialog();
  bool OpenProject(const QString& name);
  bool SaveProject(const QString& name);
  int SaveAsDialog();
  void AddRecentFile(const QString& name);
  void SetLayoutModeUI();
  void SetDesignModeUI();
  // Captions of the four recent-file items from the settings, up to the first gap.
  void ReadRecentFiles();
  void WriteRecentFiles();
  void ShowHelpMessage(int number);

  // The file dialogs as the program asks them: save or open, title and filter; the
  // chosen name, or empty when cancelled. Tests put their own answer in place.
  using FileDialog = std::function<QString(bool save, const QString& title, const QString& filter)>;
  void SetFileDialog(FileDialog dialog) { fileDialog_ = std::move(dialog); }

  static QString EnsureExtension(const QString& name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void InitMenus();
  void InitToolbar();
  void InitToolbox();
  void InitStatusBar();
  void InitView();
  void LayoutMainWindow();
  void ScrollChanged();
  long AdjustView();
  void UpdateStatus(int x, int y, int buttons);
  void UpdateToolboxForMode();
  void SetToolbarButtonEnabled(const QString& key, bool enabled);
  void SetToolboxButtonEnabled(int index, bool enabled);
  void ClearToolboxHover();
  void ToolHovered(int index);
  void ExitPath();
  QString AskFileName(bool save);

  PlanView* view_ = nullptr;
  QWidget* area_ = nullptr;
  QWidget* toolbox_ = nullptr;
  QWidget* selector_ = nullptr;
  QComboBox* zoom_ = nullptr;
  QScrollBar* hbar_ = nullptr;
  QScrollBar* vbar_ = nullptr;
  QToolBar* iconbar_ = nullptr;
  QAction* projectItems_[18] = {};
  QAction* editItems_[4] = {};
  QAction* viewItems_[8] = {};
  QAction* helpItems_[3] = {};
  ToolboxButton* tools_[10] = {};
  QLabel* lblLeft_ = nullptr;
  QLabel* lblTop_ = nullptr;
  QLabel* lblWidth_ = nullptr;
  QLabel* lblDepth_ = nullptr;
  QLabel* lblHeight_ = nullptr;
  QLabel* sbMsg_ = nullptr;
  KeySequence* keys_ = nullptr;
  FileDialog fileDialog_;
  QString currentFile_;
  int savedSerial_ = 0;
  int workMode_ = kLayoutMode;
  int hoverIndex_ = 10;
  int rulerWidth_ = 28;
  bool inResize_ = false;
  bool settingBars_ = false;
  bool exited_ = false;
  bool helpMode_ = false;
};

}  // namespace tessel
