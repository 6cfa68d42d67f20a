// The windows of the program's start and of its hints: the splash frmIntro with its
// flowing blue band, the hint window frmStartuphelp with the three hint switches it
// controls, and the hidden key sequence that opens the credits window frmQuillon.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tessel {

// The colour ramp of the splash band: one blue level per strip, changing by 4 from
// strip to strip; it starts at 0x60, then swings between 0xFC and 0x64. Level and
// direction carry over from one tick to the next, so that the band seems to flow.
class BlueRamp {
 public:
  static constexpr int kStrips = 72;
  static constexpr int kFirstX = 1, kStepX = 8, kStripHeight = 16;

  // The blue components of the strips drawn by one tick, left to right.
  std::array<int, kStrips> NextTick();
  int Level() const { return level_; }
  bool Rising() const { return rising_; }

 private:
  int level_ = 0x60;
  bool rising_ = true;
};

// Caption 5030 with its first "0.0.0" replaced by the version; a caption without the
// mark is shown as it is.
QString VersionCaption(const QString& caption, const QString& version);
// The program's version as major.minor.revision: the application's own, "2.0.0" when
// it has none.
QString ProgramVersion();

// The splash, shown from the start until the main window has drawn its first view.
// Closing or destroying it ends it; it asks nothing of the user.
class IntroWindow : public QWidget {
  Q_OBJECT
 public:
  explicit IntroWindow(QWidget* parent = nullptr);

  // Centred, shown without waiting, in front of every other window and painted at once,
  // so that it is seen while the main window is still being built.
  void Present();
  // One step of the band: the next ramp levels, painted at the next chance.
  void Tick();
  const std::array<int, BlueRamp::kStrips>& Strips() const { return strips_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  BlueRamp ramp_;
  std::array<int, BlueRamp::kStrips> strips_{};
  QWidget* picProcess_ = nullptr;
  QTimer* timer_ = nullptr;
  bool centred_ = false;
};

// The three hint switches of the program: the start-up hint, the hint when a product
// hangs at the pointer and the hint about product heights.
struct HintSwitches {
  bool showHelp = true, showEsc = true, showHeight = true;
};
HintSwitches& Hints();
// Each switch is on exactly when its setting in "Startup" reads "1" (absent counts as
// "1"); any other text switches the hint off.
void ReadHintSwitches(HintSwitches& switches = Hints());
// Switches the hints shown while placing a product (at the pointer and about its
// height) on again, for this run and the runs to come. False when the settings could
// not keep them; the user has then been told why.
bool ShowPlacingHintsAgain(HintSwitches& switches = Hints());

// The hint window: one of three hints with a box that keeps it coming. Clearing the box
// and confirming switches that hint off for this run and for the runs to come.
class StartupHelpWindow : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kStartHint = 0, kEscHint = 1, kHeightHint = 2;

  explicit StartupHelpWindow(QWidget* parent = nullptr, HintSwitches* switches = &Hints());

  // Prepares the window for hint 0, 1 or 2 and remembers it; any other id leaves the
  // window and the remembered hint as they are.
  void setMode(int id);
  int Mode() const { return mode_; }
  // The OK button: a cleared box turns the remembered hint off, then the window closes.
  void Confirm();

  QCheckBox* ShowAgainBox() const { return chkStartup_; }
  QPlainTextEdit* HintText() const { return text1_; }
  QPushButton* OkButton() const { return cmdOK_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  HintSwitches* switches_;
  QCheckBox* chkStartup_ = nullptr;
  QPlainTextEdit* text1_ = nullptr;
  QPushButton* cmdOK_ = nullptr;
  // No hint until setMode chooses one, so that confirming an unprepared window
  // switches nothing off.
  int mode_ = -1;
  bool centred_ = false;
};

// The hidden key sequence of the main window, checked key by key. Seven letters typed
// in order with no other key between open the credits.
class KeySequence {
 public:
  static constexpr std::array<int, 7> kLetters = {Qt::Key_Q, Qt::Key_U, Qt::Key_I, Qt::Key_L,
                                                  Qt::Key_L, Qt::Key_O, Qt::Key_N};

  // Takes one key (a Qt key code); true when it completes the sequence.
  bool Feed(int qtKey);
  // How many letters of the sequence have been typed in order so far.
  int State() const { return state_; }

 private:
  int state_ = 0;
};

// The credits: the program title, who made it, and a bathroom floor whose tiles and
// fittings appear group by group and go again, one group per step of Timer1. It beeps
// whenever it is painted and closes on a click or any key.
class CreditsWindow : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kGroups = 8;
  static constexpr int kSteps = 2 * kGroups;

  explicit CreditsWindow(QWidget* parent = nullptr);

  // One step of the figure: the next group appears, or, once all are shown, the
  // first still shown goes.
  void Advance();
  int Step() const { return step_; }
  bool GroupShown(int group) const;
  int Paints() const { return paints_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QTimer* timer_ = nullptr;
  int step_ = 0;
  int paints_ = 0;
  bool centred_ = false;
};

}  // namespace tessel
