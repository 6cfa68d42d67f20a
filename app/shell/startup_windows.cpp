#include "shell/startup_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QVersionNumber>
#include <algorithm>

#include "language/language.h"
#include "shell/forms.h"
#include "shell/settings.h"

namespace tessel {

namespace {

const QColor kInk(0x1f, 0x33, 0x55);
const QColor kMuted(0x5a, 0x67, 0x78);
const QColor kTile(0xdc, 0xe9, 0xf7);
const QColor kGrout(0xf7, 0xfa, 0xfd);
// The line above the maker's name in the credits.
constexpr int kCreditsLineCaption = 7306;

QLabel* NewLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

// The band of picProcess: it shows the levels of the window's last tick.
class BandWidget : public QWidget {
 public:
  BandWidget(const std::array<int, BlueRamp::kStrips>& strips, QWidget* parent)
      : QWidget(parent), strips_(strips) {
    setObjectName("picProcess");
    setFixedSize(BlueRamp::kFirstX + BlueRamp::kStrips * BlueRamp::kStepX, BlueRamp::kStripHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    // Boxes one pixel narrower than the step leave a thin gap, so that the strips read
    // as segments moving along rather than as one smeared gradient.
    for (int i = 0; i < BlueRamp::kStrips; ++i)
      p.fillRect(BlueRamp::kFirstX + i * BlueRamp::kStepX, 0, BlueRamp::kStepX - 1,
                 BlueRamp::kStripHeight, QColor(0, 0, strips_[static_cast<std::size_t>(i)]));
  }

 private:
  const std::array<int, BlueRamp::kStrips>& strips_;
};

// A floor of square tiles with light grout, as the splash and the credits draw it.
void PaintTiles(QPainter& p, const QRectF& area, qreal tile, const QColor& colour) {
  p.save();
  p.setClipRect(area);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  for (qreal y = area.top(); y < area.bottom(); y += tile)
    for (qreal x = area.left(); x < area.right(); x += tile)
      p.drawRect(QRectF(x + 1, y + 1, tile - 2, tile - 2));
  p.restore();
}

}  // namespace

// ---- splash ----

std::array<int, BlueRamp::kStrips> BlueRamp::NextTick() {
  std::array<int, kStrips> levels{};
  for (int& level : levels) {
    level = level_;
    if (rising_) {
      level_ += 4;
      if (level_ >= 0xFB) rising_ = false;
    } else {
      level_ -= 4;
      if (level_ <= 0x64) rising_ = true;
    }
  }
  return levels;
}

QString VersionCaption(const QString& caption, const QString& version) {
  const auto mark = caption.indexOf(QLatin1String("0.0.0"));
  if (mark < 0) return caption;
  return caption.left(mark) + version + caption.mid(mark + 5);
}

QString ProgramVersion() {
  const QVersionNumber v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
  if (v.isNull()) return "2.0.0";
  return QString("%1.%2.%3").arg(v.majorVersion()).arg(v.minorVersion()).arg(v.microVersion());
}

IntroWindow::IntroWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("frmIntro");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedWidth(600);

  auto* lblApp = NewLabel("lblApp", GetCaption(5040), this);
  QFont titleFont = lblApp->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 2.6);
  titleFont.setBold(true);
  lblApp->setFont(titleFont);
  auto* label1 = NewLabel("Label1", GetCaption(5050), this);
  QFont subFont = label1->font();
  subFont.setPointSizeF(subFont.pointSizeF() * 1.25);
  label1->setFont(subFont);
  auto* label6 = NewLabel("Label6", VersionCaption(GetCaption(5030), ProgramVersion()), this);
  auto* lblLoading = NewLabel("lblLoading", GetCaption(5010), this);
  auto* label7 = NewLabel("Label7", GetCaption(5020), this);
  QFont smallFont = label7->font();
  smallFont.setPointSizeF(smallFont.pointSizeF() * 0.85);
  label7->setFont(smallFont);
  QPalette ink = palette();
  ink.setColor(QPalette::WindowText, kInk);
  lblApp->setPalette(ink);
  label1->setPalette(ink);
  QPalette muted = palette();
  muted.setColor(QPalette::WindowText, kMuted);
  for (QLabel* label : {label6, lblLoading, label7}) label->setPalette(muted);

  // The splash asks nothing; the button is there for the caption table only.
  auto* cmdOK = new QPushButton(GetCaption(2800), this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->hide();

  picProcess_ = new BandWidget(strips_, this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(11, 28, 11, 14);
  layout->setSpacing(4);
  auto* heading = new QVBoxLayout;
  heading->setContentsMargins(17, 0, 17, 0);
  heading->setSpacing(2);
  heading->addWidget(lblApp);
  heading->addWidget(label1);
  heading->addSpacing(6);
  heading->addWidget(label6);
  layout->addLayout(heading);
  layout->addSpacing(34);
  lblLoading->setContentsMargins(1, 0, 0, 0);
  layout->addWidget(lblLoading);
  layout->addWidget(picProcess_);
  layout->addSpacing(14);
  label7->setContentsMargins(1, 0, 0, 0);
  layout->addWidget(label7);

  timer_ = new QTimer(this);
  timer_->setObjectName("Timer1");
  timer_->setInterval(1);
  connect(timer_, &QTimer::timeout, this, &IntroWindow::Tick);
  Tick();
  adjustSize();
}

void IntroWindow::Present() {
  show();
  raise();
  repaint();
}

void IntroWindow::Tick() {
  strips_ = ramp_.NextTick();
  picProcess_->update();
}

void IntroWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF all = rect();
  p.fillRect(all, Qt::white);
  // A corner of tiled wall behind the title, fading to the left, says what the program
  // plans before a word is read.
  const QRectF tiles(all.width() * 0.55, 0, all.width() * 0.45, all.height() * 0.62);
  PaintTiles(p, tiles, 26, kTile);
  QLinearGradient fade(tiles.topLeft(), tiles.topLeft() + QPointF(tiles.width() * 0.7, 0));
  fade.setColorAt(0, Qt::white);
  fade.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillRect(tiles, fade);
  QLinearGradient below(QPointF(0, tiles.bottom() - 40), QPointF(0, tiles.bottom()));
  below.setColorAt(0, QColor(255, 255, 255, 0));
  below.setColorAt(1, Qt::white);
  p.fillRect(tiles, below);
  p.setPen(QPen(kInk, 1));
  p.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));
  p.fillRect(QRectF(1, 1, all.width() - 2, 5), QColor(0, 0, 0xb0));
}

void IntroWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!centred_) {
    CenterForm(this);
    centred_ = true;
  }
  timer_->start();
}

void IntroWindow::hideEvent(QHideEvent* event) {
  timer_->stop();
  QWidget::hideEvent(event);
}

// ---- hint window ----

namespace {

struct HintMode {
  int caption;  // window caption and the help text of Text1, by number
  int help;
  bool HintSwitches::*hintSwitch;
  const char* settingName;
};

// Caption 101 is the program title; the start-up hint is help text 200.
constexpr std::array<HintMode, 3> kHintModes = {{
    {101, 200, &HintSwitches::showHelp, "ShowHelp"},
    {3201, 3201, &HintSwitches::showEsc, "ShowEsc"},
    {3202, 3202, &HintSwitches::showHeight, "ShowHeight"},
}};

}  // namespace

HintSwitches& Hints() {
  static HintSwitches switches;
  return switches;
}

void ReadHintSwitches(HintSwitches& switches) {
  for (const HintMode& mode : kHintModes)
    switches.*mode.hintSwitch = ReadSetting("Startup", mode.settingName, "1") == "1";
}

bool ShowPlacingHintsAgain(HintSwitches& switches) {
  QList<QPair<QString, QString>> values;
  for (const HintMode& mode : kHintModes) {
    if (mode.hintSwitch == &HintSwitches::showHelp) continue;
    switches.*mode.hintSwitch = true;
    values.append(qMakePair(QString(mode.settingName), QString("1")));
  }
  // Both at once: the settings keep both switches or neither.
  QString why;
  if (WriteSettings(kStartupSection, values, &why)) return true;
  SaySettingsNotSaved(why);
  return false;
}

StartupHelpWindow::StartupHelpWindow(QWidget* parent, HintSwitches* switches)
    : QDialog(parent), switches_(switches) {
  setObjectName("frmStartuphelp");
  setModal(true);
  if (parent && !parent->window()->windowIcon().isNull())
    setWindowIcon(parent->window()->windowIcon());

  text1_ = new QPlainTextEdit(this);
  text1_->setObjectName("Text1");
  text1_->setReadOnly(true);
  text1_->setMinimumSize(440, 220);
  chkStartup_ = new QCheckBox(this);
  chkStartup_->setObjectName("chkStartup");
  chkStartup_->setChecked(true);
  cmdOK_ = new QPushButton(CaptionOr(2800, "&OK"), this);
  cmdOK_->setObjectName("cmdOK");
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &StartupHelpWindow::Confirm);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text1_);
  auto* row = new QHBoxLayout;
  row->addWidget(chkStartup_);
  row->addStretch();
  row->addWidget(cmdOK_);
  layout->addLayout(row);
}

void StartupHelpWindow::setMode(int id) {
  if (id < 0 || id >= static_cast<int>(kHintModes.size())) return;
  const HintMode& mode = kHintModes[static_cast<std::size_t>(id)];
  mode_ = id;
  setWindowTitle(GetCaption(mode.caption));
  chkStartup_->setText(GetCaption(200));
  // The hints while placing a product are seen once: they come again only when the
  // user ticks the box (or sets them on again in the settings).
  chkStartup_->setChecked(id == kStartHint);
  text1_->setPlainText(GetHelp(mode.help));
}

void StartupHelpWindow::Confirm() {
  if (!chkStartup_->isChecked() && mode_ >= 0) {
    const HintMode& mode = kHintModes[static_cast<std::size_t>(mode_)];
    switches_->*mode.hintSwitch = false;
    SaveSetting("Startup", mode.settingName, "0");
  }
  accept();
}

void StartupHelpWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!centred_) {
    CenterForm(this);
    centred_ = true;
  }
}

// ---- hidden key sequence and credits ----

bool KeySequence::Feed(int qtKey) {
  constexpr std::size_t last = kLetters.size() - 1;
  if (qtKey == kLetters[0]) {
    state_ = 1;
    return false;
  }
  if (qtKey == kLetters[last]) {
    const bool complete = state_ == static_cast<int>(last);
    state_ = 0;
    return complete;
  }
  // A letter found at several places advances from whichever of them the state expects.
  for (std::size_t n = 1; n < last; ++n) {
    if (kLetters[n] == qtKey && state_ == static_cast<int>(n)) {
      state_ = static_cast<int>(n) + 1;
      return false;
    }
  }
  state_ = 0;
  return false;
}

namespace {

// The credits' bathroom, in a 220 x 150 field: the room's walls, four rows of floor
// tiles, then the bath, the basin and the toilet, in the order they appear.
constexpr qreal kFieldW = 220, kFieldH = 150, kWall = 6, kTileSize = 23;
constexpr int kTileRows = 4;

void PaintGroup(QPainter& p, int group) {
  const QRectF floor(kWall, kWall, kFieldW - 2 * kWall, kFieldH - 2 * kWall);
  const QColor fitting(0xf4, 0xf6, 0xf9);
  const QPen fittingPen(kInk, 1.6);
  if (group == 0) {
    QPainterPath walls;
    walls.addRect(QRectF(0, 0, kFieldW, kFieldH));
    walls.addRect(floor);
    // The door gap in the bottom wall.
    walls.addRect(QRectF(kFieldW - 70, kFieldH - kWall, 44, kWall));
    p.fillPath(walls, kInk);
    return;
  }
  if (group <= kTileRows) {
    const qreal rowHeight = floor.height() / kTileRows;
    const QRectF row(floor.left(), floor.top() + (group - 1) * rowHeight, floor.width(), rowHeight);
    PaintTiles(p, row, kTileSize, group % 2 ? kTile : kTile.darker(106));
    return;
  }
  p.setPen(fittingPen);
  p.setBrush(fitting);
  switch (group) {
    case kTileRows + 1: {  // bath along the top wall
      const QRectF bath(floor.left() + 4, floor.top() + 4, 110, 50);
      p.drawRoundedRect(bath, 8, 8);
      p.drawRoundedRect(bath.adjusted(7, 7, -7, -7), 14, 14);
      p.drawEllipse(QPointF(bath.left() + 18, bath.center().y()), 3, 3);
      break;
    }
    case kTileRows + 2: {  // basin on the right wall
      const QRectF basin(floor.right() - 40, floor.top() + 10, 36, 44);
      p.drawRect(basin);
      p.drawEllipse(basin.adjusted(5, 6, -7, -6));
      break;
    }
    case kTileRows + 3: {  // toilet on the left wall below the bath
      const QRectF cistern(floor.left() + 2, floor.bottom() - 56, 12, 38);
      const QRectF bowl(cistern.right(), cistern.top() + 4, 40, 30);
      p.drawEllipse(bowl);
      p.drawRect(cistern);
      break;
    }
    default:
      break;
  }
}

}  // namespace

CreditsWindow::CreditsWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("frmQuillon");
  setModal(true);
  setWindowTitle(CaptionOr(101, "Ostara Tessel"));
  setFixedSize(340, 330);
  setAttribute(Qt::WA_OpaquePaintEvent);
  timer_ = new QTimer(this);
  timer_->setObjectName("Timer1");
  timer_->setInterval(350);
  connect(timer_, &QTimer::timeout, this, &CreditsWindow::Advance);
}

void CreditsWindow::Advance() {
  step_ = (step_ + 1) % kSteps;
  update();
}

bool CreditsWindow::GroupShown(int group) const {
  if (group < 0 || group >= kGroups) return false;
  // Steps up to kGroups bring one group more each; the steps after take one away each,
  // the first brought first taken.
  return step_ <= kGroups ? group < step_ : group >= step_ - kGroups;
}

void CreditsWindow::paintEvent(QPaintEvent*) {
  ++paints_;
  QApplication::beep();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), Qt::white);

  QFont title = font();
  title.setPointSizeF(title.pointSizeF() * 1.8);
  title.setBold(true);
  p.setFont(title);
  p.setPen(kInk);
  p.drawText(QRectF(0, 14, width(), 34), Qt::AlignCenter, CaptionOr(101, "Ostara Tessel"));

  p.save();
  p.translate((width() - kFieldW) / 2, 60);
  for (int g = 0; g < kGroups; ++g)
    if (GroupShown(g)) PaintGroup(p, g);
  p.setPen(QPen(kMuted, 1, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0, 0, kFieldW, kFieldH));
  p.restore();

  QFont text = font();
  p.setFont(text);
  p.setPen(kMuted);
  p.drawText(QRectF(0, 222, width(), 20), Qt::AlignCenter,
             CaptionOr(kCreditsLineCaption, "Planned, drawn and built by"));
  QFont maker = font();
  maker.setPointSizeF(maker.pointSizeF() * 1.5);
  maker.setBold(true);
  p.setFont(maker);
  p.setPen(QColor(0, 0, 0xb0));
  p.drawText(QRectF(0, 242, width(), 30), Qt::AlignCenter, "Quillon");
  p.setFont(text);
  p.setPen(kMuted);
  p.drawText(QRectF(0, 280, width(), 20), Qt::AlignCenter,
             VersionCaption(CaptionOr(5030, "Version 0.0.0"), ProgramVersion()));
}

void CreditsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!centred_) {
    CenterForm(this);
    centred_ = true;
  }
  timer_->start();
}

void CreditsWindow::hideEvent(QHideEvent* event) {
  timer_->stop();
  QDialog::hideEvent(event);
}

void CreditsWindow::mousePressEvent(QMouseEvent*) {
  accept();
}

void CreditsWindow::keyPressEvent(QKeyEvent*) {
  accept();
}

}  // namespace tessel
