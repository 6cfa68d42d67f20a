#include "dialogs/project_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "check/quantities.h"
#include "language/language.h"
#include "shell/forms.h"

namespace tessel {

namespace {
// Long enough for any name or address; a title block shows less.
constexpr int kFieldLength = 200;

// What the quantities are worked out from, kept in the same section. An empty field
// means the default, shown greyed in it; what a field accepts is what the quantities
// read (whole centimetres, a tile as "width x height" in cm, the joint in mm, the waste
// in per cent).
struct MeasureField {
  const char* name;
  const char* key;
  int caption;
  const char* design;
  const char* pattern;
};
constexpr char kWholeCm[] = R"(\d{0,4})";
constexpr char kTileSize[] = R"(\d{1,3}([.,]\d)?\s*[xX×*]\s*\d{1,3}([.,]\d)?)";
constexpr char kDecimal[] = R"(\d{0,3}([.,]\d)?)";
constexpr MeasureField kMeasureFields[] = {
    {"txtRoomHeight", "RoomHeight", 7850, "Room &height (cm):", kWholeCm},
    {"txtTilingHeight", "TilingHeight", 7851, "T&iling height (cm):", kWholeCm},
    {"txtDoorHeight", "DoorHeight", 7852, "&Door height (cm):", kWholeCm},
    {"txtWindowSill", "WindowSill", 7853, "&Window sill (cm):", kWholeCm},
    {"txtWindowHeight", "WindowHeight", 7854, "Window hei&ght (cm):", kWholeCm},
    {"txtFloorTile", "FloorTile", 7855, "&Floor tile (cm):", kTileSize},
    {"txtWallTile", "WallTile", 7856, "W&all tile (cm):", kTileSize},
    {"txtJoint", "Joint", 7857, "&Joint (mm):", kDecimal},
    {"txtWaste", "Waste", 7858, "Wast&e (%):", kDecimal},
};

QString Defaulted(const char* key) {
  const QuantityInputs d;
  const QString name(key);
  auto tile = [](double w, double h) { return QString("%1x%2").arg(w).arg(h); };
  if (name == "RoomHeight") return QString::number(d.roomHeight);
  if (name == "TilingHeight") return QString::number(d.tilingHeight);
  if (name == "DoorHeight") return QString::number(d.doorHeight);
  if (name == "WindowSill") return QString::number(d.windowSill);
  if (name == "WindowHeight") return QString::number(d.windowHeight);
  if (name == "FloorTile") return tile(d.floorTileWidth, d.floorTileHeight);
  if (name == "WallTile") return tile(d.wallTileWidth, d.wallTileHeight);
  if (name == "Joint") return QString::number(d.jointMm);
  return QString::number(d.wastePercent);
}
}  // namespace

ProjectPropertiesDialog::ProjectPropertiesDialog(const ProjectData& data, QWidget* parent)
    : QDialog(parent), data_(data) {
  setObjectName("frmProject");
  setWindowTitle(CaptionOr(7500, "Project properties"));
  setModal(true);
  auto* form = new QFormLayout(this);
  auto field = [&](QLineEdit*& edit, const char* name, int caption, const char* design,
                   const char* key) {
    edit = new QLineEdit(data.Value(key), this);
    edit->setObjectName(name);
    edit->setMaxLength(kFieldLength);
    edit->setMinimumWidth(320);
    form->addRow(CaptionOr(caption, design), edit);
  };
  field(txtTitle, "txtTitle", 7501, "Project &title:", ProjectData::kTitle);
  field(txtCustomer, "txtCustomer", 7502, "&Customer:", ProjectData::kCustomer);
  field(txtSite, "txtSite", 7503, "&Site address:", ProjectData::kSite);
  field(txtRoom, "txtRoom", 7504, "&Room:", ProjectData::kRoom);
  field(txtPlanner, "txtPlanner", 7505, "&Planner:", ProjectData::kPlanner);
  txtNotes = new QPlainTextEdit(data.Value(ProjectData::kNotes), this);
  txtNotes->setObjectName("txtNotes");
  txtNotes->setTabChangesFocus(true);
  txtNotes->setFixedHeight(90);
  form->addRow(CaptionOr(7506, "&Notes:"), txtNotes);
  auto* measures = new QGroupBox(CaptionOr(7859, "For the quantities"), this);
  auto* measureForm = new QFormLayout(measures);
  for (const MeasureField& f : kMeasureFields) {
    auto* edit = new QLineEdit(data.Value(f.key), measures);
    edit->setObjectName(f.name);
    edit->setPlaceholderText(Defaulted(f.key));
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QString::fromUtf8(f.pattern)), edit));
    measureForm->addRow(CaptionOr(f.caption, f.design), edit);
    measureFields_.append(edit);
  }
  form->addRow(measures);
  auto* buttons = new QDialogButtonBox(this);
  cmdOK = buttons->addButton(CaptionOr(2800, "&OK"), QDialogButtonBox::AcceptRole);
  cmdCancel = buttons->addButton(CaptionOr(7526, "Cancel"), QDialogButtonBox::RejectRole);
  cmdOK->setObjectName("cmdOK");
  cmdCancel->setObjectName("cmdCancel");
  cmdOK->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  // Centred at its own size, which the layout knows only now.
  adjustSize();
  CenterForm(this);
}

ProjectData ProjectPropertiesDialog::Data() const {
  ProjectData data = data_;
  data.SetValue(ProjectData::kTitle, txtTitle->text().trimmed());
  data.SetValue(ProjectData::kCustomer, txtCustomer->text().trimmed());
  data.SetValue(ProjectData::kSite, txtSite->text().trimmed());
  data.SetValue(ProjectData::kRoom, txtRoom->text().trimmed());
  data.SetValue(ProjectData::kPlanner, txtPlanner->text().trimmed());
  // Trailing blank lines would only print as empty lines.
  QString notes = txtNotes->toPlainText();
  while (notes.endsWith('\n') || notes.endsWith(' ')) notes.chop(1);
  data.SetValue(ProjectData::kNotes, notes);
  for (qsizetype i = 0; i < measureFields_.size(); ++i)
    data.SetValue(kMeasureFields[i].key, measureFields_[i]->text().trimmed());
  return data;
}

}  // namespace tessel
