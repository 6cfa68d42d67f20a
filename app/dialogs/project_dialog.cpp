#include "dialogs/project_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "language/language.h"
#include "shell/forms.h"

namespace tessel {

namespace {
// Long enough for any name or address; a title block shows less.
constexpr int kFieldLength = 200;
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
  return data;
}

}  // namespace tessel
