// The project's data in the plan file: the "[Project]" section read and written into a
// plan's text with every other byte kept, "Project > Properties…" driven through its
// menu item, and the section across open and save in the window.
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

#include "app_fixture.h"
#include "file_bytes.h"
#include "shell/project_data.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

const QByteArray kRoom =
    "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n[Design]\r\ncount=0\r\n";

}  // namespace

class ProjectTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(SetUpProgram()); }

  void theSectionIsReadWithUnknownKeysKept() {
    const QByteArray text = kRoom +
                            "[Project]\r\nTitle=Bad M\xC3\xBCller\r\nRoomHeight=250\r\n"
                            "Notes=Line one\\nC:\\\\tiles\r\n[Other]\r\nTitle=not this\r\n";
    ProjectData data = ProjectData::FromPlanText(text);
    QCOMPARE(data.Value(ProjectData::kTitle), QString::fromUtf8("Bad Müller"));
    QCOMPARE(data.Value(ProjectData::kNotes), QString("Line one\nC:\\tiles"));
    QCOMPARE(data.Value("RoomHeight"), QString("250"));
    // Unchanged data writes the same text back, byte for byte.
    QCOMPARE(data.WriteInto(text), text);
    data.SetValue(ProjectData::kCustomer, "Anna");
    data.SetValue(ProjectData::kTitle, "");
    QCOMPARE(data.WriteInto(text),
             kRoom +
                 "[Project]\r\nRoomHeight=250\r\nNotes=Line one\\nC:\\\\tiles\r\n"
                 "Customer=Anna\r\n[Other]\r\nTitle=not this\r\n");
  }

  void aPlanWithoutTheSectionStaysAsItWasUntilThereIsData() {
    ProjectData data = ProjectData::FromPlanText(kRoom);
    QVERIFY(data.IsEmpty());
    QCOMPARE(data.WriteInto(kRoom), kRoom);
    data.SetValue(ProjectData::kRoom, "Bad OG");
    QCOMPARE(data.WriteInto(kRoom), kRoom + "[Project]\r\nRoom=Bad OG\r\n");
    // A text without a last line end gets one before the section.
    QCOMPARE(data.WriteInto("[Layout]\r\ncount=0"),
             QByteArray("[Layout]\r\ncount=0\r\n[Project]\r\nRoom=Bad OG\r\n"));
    // Emptied data takes its section out.
    ProjectData none = ProjectData::FromPlanText(kRoom + "[Project]\r\nRoom=x\r\n");
    none.SetValue(ProjectData::kRoom, "");
    QCOMPARE(none.WriteInto(kRoom + "[Project]\r\nRoom=x\r\n"), kRoom);
  }

  // The window: the menu item edits the data, the plan counts as changed, Save writes
  // the section beside the engine's and keeps another planner's keys, and opening the
  // file brings the data back into the dialog.
  void propertiesAreKeptAcrossSaveAndOpen() {
    QVERIFY(OpenWindow());
    const QString plan = FilePath("project.tsd");
    {
      QFile f(plan);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(kRoom + "[Project]\r\nRoomHeight=250\r\n");
    }
    nextFileName = plan;
    Press(window_.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(window_->CurrentFile(), plan);
    QVERIFY(!window_->PlanChanged());

    QAction* item = window_->ProjectItem(kProperties);
    QCOMPARE(item->text(), GetCaption(1420));
    auto* menu = window_->findChild<QMenu*>("mnProject");
    QCOMPARE(menu->actions().indexOf(item),
             menu->actions().indexOf(window_->ProjectItem(kExportImage)) + 1);
    AnswerDialog("frmProject", [](QDialog* d) {
      d->findChild<QLineEdit*>("txtTitle")->setText(QString::fromUtf8("Bad Müller"));
      QTest::keyClicks(d->findChild<QLineEdit*>("txtCustomer"), "Anna Meier");
      d->findChild<QLineEdit*>("txtSite")->setText(QString::fromUtf8("Lindenstraße 4"));
      d->findChild<QPlainTextEdit*>("txtNotes")->setPlainText("Tiles to 1.20 m\nWall-hung WC");
      // What the quantities are worked out from: the height the file holds is shown, an
      // empty field shows its default, and what is typed is kept.
      QCOMPARE(d->findChild<QLineEdit*>("txtRoomHeight")->text(), QString("250"));
      auto* tile = d->findChild<QLineEdit*>("txtFloorTile");
      QVERIFY(tile->text().isEmpty());
      QCOMPARE(tile->placeholderText(), QString("30x30"));
      QTest::keyClicks(tile, "30x60");
      // A letter is no size: the field does not take it.
      QTest::keyClicks(d->findChild<QLineEdit*>("txtTilingHeight"), "1a20");
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    item->trigger();
    QVERIFY(window_->PlanChanged());
    QVERIFY(window_->windowTitle().endsWith(" *"));
    // The recovery copy holds the data too, so a crash now loses none of it.
    const QByteArray copy = Read(window_->AutoSaver()->RecoveryFile());
    QVERIFY2(copy.contains("[Project]\r\nRoomHeight=250\r\nTitle=Bad M"), copy.constData());
    QVERIFY(copy.startsWith("[Layout]"));

    Press(window_.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!window_->PlanChanged());
    const QByteArray saved = Read(plan);
    QVERIFY2(saved.startsWith("[Layout]\r\ncount=1\r\n"), saved.constData());
    QVERIFY2(saved.contains(QString::fromUtf8("[Project]\r\nRoomHeight=250\r\nTitle=Bad Müller\r\n"
                                              "Customer=Anna Meier\r\nSite=Lindenstraße 4\r\n"
                                              "Notes=Tiles to 1.20 m\\nWall-hung WC\r\n"
                                              "TilingHeight=120\r\nFloorTile=30x60\r\n")
                                .toUtf8()),
             saved.constData());

    // A new plan forgets the data; opening the file brings it back.
    Press(window_.get(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(window_->Project().IsEmpty());
    nextFileName = plan;
    Press(window_.get(), Qt::Key_O, Qt::ControlModifier);
    QString shownTitle, shownNotes;
    AnswerDialog("frmProject", [&](QDialog* d) {
      shownTitle = d->findChild<QLineEdit*>("txtTitle")->text();
      shownNotes = d->findChild<QPlainTextEdit*>("txtNotes")->toPlainText();
      d->findChild<QPushButton*>("cmdCancel")->click();
    });
    item->trigger();
    QCOMPARE(shownTitle, QString::fromUtf8("Bad Müller"));
    QCOMPARE(shownNotes, QString("Tiles to 1.20 m\nWall-hung WC"));
    QVERIFY(!window_->PlanChanged());
    // A save without any change writes the same file again.
    Press(window_.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Read(plan), saved);
    QVERIFY(Messages::Shown().isEmpty());
    CloseWindow();
  }
};

QTEST_MAIN(ProjectTest)
#include "test_project.moc"
