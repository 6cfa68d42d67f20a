// The tool dialogs driven through their real widgets while they run modally: what each
// tool prepares, how every entry is brought into range and shown corrected, what OK
// and Cancel leave in the dialog results, and what a form keeps between showings. No
// language is open, so the forms show their design captions, except in the case that
// opens the shipped catalogue to see the forms in its languages.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>
#include <functional>

#include "dialogs/dialogs.h"
#include "language/language.h"
#include "shell/forms.h"

using namespace tessel;

namespace {

// Runs the steps once the modal form is up and active. A form that a failed step left
// open is cancelled, so that one failure does not hang the run.
void WhileShown(std::function<void(QDialog*)> steps) {
  QTimer::singleShot(0, [steps] {
    auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!form) return;
    if (QTest::qWaitForWindowActive(form)) steps(form);
    if (form->isVisible()) form->reject();
  });
}

QLineEdit* Box(QDialog* form, int index) {
  return form->findChild<QLineEdit*>(QString("Value%1").arg(index));
}

template <class Widget = QWidget>
Widget* Named(QDialog* form, const char* name) {
  return form->findChild<Widget*>(name);
}

// Replaces the whole text of the box by typing, as a user who clicked into it would.
void Type(QLineEdit* box, const QString& text) {
  box->setFocus(Qt::MouseFocusReason);
  box->selectAll();
  if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClicks(box, text);
}

// Clicks near the left edge, where option buttons have their circle.
void Click(QDialog* form, const char* name) {
  auto* button = Named<QAbstractButton>(form, name);
  QVERIFY2(button, name);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Confirms the tool's form with the given texts typed into its boxes, index by index.
bool ConfirmTool(int tool, bool room, const QList<QPair<int, QString>>& typed,
                 QStringList* shown = nullptr) {
  WhileShown([typed, shown](QDialog* form) {
    for (const auto& [index, text] : typed) Type(Box(form, index), text);
    Click(form, "cmdOK");
    if (shown)
      for (const auto& entry : typed) shown->append(Box(form, entry.first)->text());
  });
  return RunToolDialog(tool, room, nullptr);
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void theNumberRuleKeepsEveryTextInRange_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << "" << 1;
    QTest::newRow("letters") << "abc" << 1;
    QTest::newRow("negative") << "-5" << 1;
    QTest::newRow("half rounds to even, down") << "2.5" << 2;
    QTest::newRow("half rounds to even, up") << "3.5" << 4;
    QTest::newRow("digits then letters") << "12abc" << 1;
    QTest::newRow("twenty digits") << "99999999999999999999" << 600;
    QTest::newRow("blanks around") << " 42 " << 42;
  }
  void theNumberRuleKeepsEveryTextInRange() {
    QFETCH(QString, text);
    QTEST(int{CheckNumber(text, 1, 600)}, "expected");
  }

  // Which controls each tool shows, with which texts, and how tall the form is.
  void eachToolPreparesTheRectangleForm_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("room");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("thirdShown");
    QTest::addColumn<bool>("thirdEnabled");
    QTest::addColumn<int>("thirdLeft");
    QTest::addColumn<bool>("optionsShown");
    QTest::addColumn<bool>("rotationCaptionShown");
    QTest::addColumn<QString>("thirdUnit");
    QTest::addColumn<bool>("rotatePicture");
    QTest::addColumn<bool>("sizePicture");
    QTest::addColumn<bool>("dummy");
    QTest::addColumn<int>("buttonsTop");
    QTest::addColumn<int>("height");
    QTest::newRow("user rectangle") << 2 << false << "80"
                                    << "80" << true << true << 163 << false << true << " Degrees"
                                    << true << false << true << 250 << 308;
    QTest::newRow("free wall") << 4 << false << "116"
                               << "15" << true << true << 163 << false << true << " Degrees" << true
                               << false << true << 250 << 308;
    QTest::newRow("wall rectangle beside a room") << 5 << true << "450"
                                                  << "200" << true << false << 275 << true << false
                                                  << "cm" << false << false << false << 267 << 325;
    QTest::newRow("first wall rectangle") << 5 << false << "450"
                                          << "200" << false << false << -1 << false << false << ""
                                          << false << false << false << 79 << 137;
    QTest::newRow("diagonal corner") << 6 << true << "30"
                                     << "30" << false << false << -1 << false << false << ""
                                     << false << true << true << 223 << 281;
    QTest::newRow("round corner") << 7 << true << "30"
                                  << "30" << false << false << -1 << false << false << "" << false
                                  << true << true << 223 << 281;
  }
  void eachToolPreparesTheRectangleForm() {
    QFETCH(int, tool);
    QFETCH(bool, room);
    WhileShown([&](QDialog* form) {
      QCOMPARE(form->objectName(), QString("frmRectangle"));
      QCOMPARE(form->windowTitle(), QString("Optionsfenster"));
      QTEST(Box(form, 0)->text(), "first");
      QTEST(Box(form, 1)->text(), "second");
      QLineEdit* third = Box(form, 3);
      QTEST(third->isVisible(), "thirdShown");
      if (third->isVisible()) {
        QCOMPARE(third->text(), QString("0"));
        QTEST(third->isEnabled(), "thirdEnabled");
        QTEST(third->x(), "thirdLeft");
        QTEST(Named<QLabel>(form, "Label6")->text(), "thirdUnit");
      }
      QTEST(Named(form, "Option1")->isVisible(), "optionsShown");
      QTEST(Named(form, "Option2")->isVisible(), "optionsShown");
      if (Named(form, "Option2")->isVisible())
        QVERIFY(Named<QRadioButton>(form, "Option2")->isChecked());
      QTEST(Named(form, "Label2")->isVisible(), "rotationCaptionShown");
      QTEST(Named(form, "picRotate")->isVisible(), "rotatePicture");
      QTEST(Named(form, "picSize")->isVisible(), "sizePicture");
      QTEST(Named(form, "DummyButton1")->isVisible(), "dummy");
      QTEST(Named(form, "cmdOK")->y(), "buttonsTop");
      QTEST(Named(form, "cmdCancel")->y(), "buttonsTop");
      QTEST(form->height(), "height");
      Click(form, "cmdCancel");
    });
    QVERIFY(!RunToolDialog(tool, room, nullptr));
  }

  void theFormOpensWithItsTextsAndTheFirstValueSelected() {
    WhileShown([](QDialog* form) {
      QCOMPARE(Named<QLabel>(form, "lblInfo")->text(), QString("Wählen Sie die gewünschte Größe"));
      QCOMPARE(Named<QLabel>(form, "Label0")->text(), QString("Länge:"));
      QCOMPARE(Named<QLabel>(form, "Label1")->text(), QString("X"));
      QCOMPARE(Named<QAbstractButton>(form, "cmdOK")->text(), QString("&OK"));
      QCOMPARE(Named<QAbstractButton>(form, "cmdCancel")->text(), QString("A&bbruch"));
      QCOMPARE(Named<QAbstractButton>(form, "Option2")->text(), QString(" Frei platzierbar"));
      QCOMPARE(Named<QAbstractButton>(form, "Option1")->text(),
               QString(" Abstand zur nächsten Ecke:"));
      QCOMPARE(form->focusWidget(), Box(form, 0));
      QCOMPARE(Box(form, 0)->selectedText(), QString("80"));
      Box(form, 1)->setFocus(Qt::TabFocusReason);
      QCOMPARE(Box(form, 1)->selectedText(), QString("80"));
    });
    RunToolDialog(2, true, nullptr);
  }

  // Each value box shows its limited number as soon as the focus leaves it, and OK
  // sends the limited numbers.
  void enteredSizesAreBroughtIntoRange_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("sent");
    QTest::newRow("free wall thinner than 10") << 4 << 1 << "5"
                                               << "10" << 10;
    QTest::newRow("length over 600") << 2 << 0 << "1000"
                                     << "600" << 600;
    QTest::newRow("empty length") << 2 << 0 << ""
                                  << "10" << 10;
    QTest::newRow("letters") << 2 << 0 << "abc"
                             << "10" << 10;
    QTest::newRow("negative") << 2 << 0 << "-5"
                              << "10" << 10;
    QTest::newRow("absurdly long") << 2 << 0 << QString(300, '9') << "600" << 600;
    QTest::newRow("breadth over 400") << 2 << 1 << "401"
                                      << "400" << 400;
    QTest::newRow("rotation over 359") << 2 << 3 << "360"
                                       << "359" << 359;
    QTest::newRow("negative rotation") << 4 << 3 << "-90"
                                       << "0" << 0;
    QTest::newRow("corner leg over 400") << 6 << 1 << "900"
                                         << "400" << 400;
    QTest::newRow("corner leg over 600") << 7 << 0 << "900"
                                         << "600" << 600;
  }
  void enteredSizesAreBroughtIntoRange() {
    QFETCH(int, tool);
    QFETCH(int, index);
    QFETCH(QString, typed);
    QStringList boxes;
    QVERIFY(ConfirmTool(tool, true, {{index, typed}}, &boxes));
    QFETCH(QString, shown);
    QCOMPARE(boxes, QStringList{shown});
    const DialogResults& d = Dialog();
    QVERIFY(!d.cancelled);
    QFETCH(int, sent);
    const int values[] = {d.value1, d.value2, 0, d.value3};
    QCOMPARE(values[index], sent);
  }

  void freeWallSendsItsDefaults() {
    QVERIFY(ConfirmTool(4, false, {}));
    QCOMPARE(Dialog().value1, 116);
    QCOMPARE(Dialog().value2, 15);
    QCOMPARE(Dialog().value3, std::int16_t{0});
  }

  void wallRectangleBesideARoomAsksForItsPlace() {
    QVERIFY(ConfirmTool(5, true, {}));
    QCOMPARE(Dialog().value1, 450);
    QCOMPARE(Dialog().value2, 200);
    QCOMPARE(Dialog().value3, kFreePlacement);

    WhileShown([](QDialog* form) {
      Click(form, "Option1");
      QVERIFY(Box(form, 3)->isEnabled());
      QCOMPARE(form->focusWidget(), Box(form, 3));
      Type(Box(form, 3), "400");
      Click(form, "cmdOK");
      QCOMPARE(Box(form, 3)->text(), QString("359"));
    });
    QVERIFY(RunToolDialog(5, true, nullptr));
    QCOMPARE(Dialog().value3, std::int16_t{359});

    WhileShown([](QDialog* form) {
      Click(form, "Option1");
      Type(Box(form, 3), "120");
      Click(form, "Option2");
      QCOMPARE(Box(form, 3)->text(), QString("0"));
      QVERIFY(!Box(form, 3)->isEnabled());
      Click(form, "cmdOK");
    });
    QVERIFY(RunToolDialog(5, true, nullptr));
    QCOMPARE(Dialog().value3, kFreePlacement);
  }

  void firstWallRectangleSendsNoPlace() {
    WhileShown([](QDialog* form) {
      QCOMPARE(form->height(), 2055 / 15);
      Click(form, "cmdOK");
    });
    QVERIFY(RunToolDialog(5, false, nullptr));
    QCOMPARE(Dialog().value3, std::int16_t{0});
  }

  void circleDiameterIsBroughtIntoRange_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sent");
    QTest::newRow("untouched") << QString() << 80;
    QTest::newRow("zero") << "0" << 1;
    QTest::newRow("too wide") << "500" << 400;
    QTest::newRow("letters") << "x" << 1;
  }
  void circleDiameterIsBroughtIntoRange() {
    QFETCH(QString, typed);
    QFETCH(int, sent);
    QString shown;
    WhileShown([&](QDialog* form) {
      QCOMPARE(form->objectName(), QString("frmCircle"));
      QCOMPARE(Box(form, 0)->text(), QString("80"));
      if (!typed.isNull()) Type(Box(form, 0), typed);
      // Enter confirms without leaving the box: OK itself writes the number back.
      QTest::keyClick(Box(form, 0), Qt::Key_Return);
      shown = Box(form, 0)->text();
    });
    QVERIFY(RunToolDialog(3, true, nullptr));
    QCOMPARE(Dialog().value1, sent);
    QCOMPARE(shown, QString::number(sent));
  }

  void closingWithoutOkSendsNothing_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<QString>("way");
    for (int tool = 2; tool <= 9; ++tool) {
      QTest::addRow("tool %d, Cancel", tool) << tool << "cancel";
      QTest::addRow("tool %d, Escape", tool) << tool << "escape";
      QTest::addRow("tool %d, close box", tool) << tool << "close";
    }
  }
  void closingWithoutOkSendsNothing() {
    QFETCH(int, tool);
    QFETCH(QString, way);
    Dialog() = DialogResults{false, -1, -1, -1, -1};
    WhileShown([way](QDialog* form) {
      Type(Box(form, 0), "77");
      if (way == "cancel")
        Click(form, "cmdCancel");
      else if (way == "escape")
        QTest::keyClick(form, Qt::Key_Escape);
      else
        form->close();
      QVERIFY(form->isHidden());
    });
    QVERIFY(!RunToolDialog(tool, true, nullptr));
    QVERIFY(Dialog().cancelled);
    QCOMPARE(Dialog().value1, -1);
    QCOMPARE(Dialog().value3, std::int16_t{-1});
  }

  void toolsWithoutAFormReportCancelled() {
    for (int tool : {-1, 0, 1, 10}) {
      Dialog().cancelled = false;
      QVERIFY(!RunToolDialog(tool, true, nullptr));
      QVERIFY(Dialog().cancelled);
    }
  }

  // ---- doors and windows ----

  void doorAndWindowPrepareTheirForm_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<QString>("width");
    QTest::addColumn<bool>("door");
    QTest::newRow("door") << 8 << "80" << true;
    QTest::newRow("window") << 9 << "60" << false;
  }
  void doorAndWindowPrepareTheirForm() {
    QFETCH(int, tool);
    QFETCH(bool, door);
    WhileShown([&](QDialog* form) {
      QCOMPARE(form->objectName(), QString("frmDoor"));
      QTEST(Box(form, 0)->text(), "width");
      QCOMPARE(Box(form, 1)->text(), QString("90"));
      QCOMPARE(Box(form, 1)->isVisible(), door);
      QCOMPARE(Named(form, "Label1")->isVisible(), door);
      QCOMPARE(Named(form, "Label5")->isVisible(), door);
      QCOMPARE(Named(form, "Mounting")->isVisible(), door);
      for (const char* name : {"optMount0", "optMount1", "optMount2", "optMount3"})
        QCOMPARE(Named(form, name)->isVisible(), door);
      QCOMPARE(Named(form, "Label7")->isVisible(), !door);
      QVERIFY(Named(form, "optPlace0")->isVisible());
      QVERIFY(Named<QRadioButton>(form, "optPlace1")->isChecked());
      QCOMPARE(Named<QAbstractButton>(form, "optPlace1")->text(), QString(" Frei platzierbar"));
      QCOMPARE(Box(form, 2)->text(), QString("0"));
      QVERIFY(!Box(form, 2)->isEnabled());
      QCOMPARE(Named(form, "cmdOK")->y(), 247);
      QCOMPARE(form->height(), 309);
      Click(form, "cmdCancel");
    });
    QVERIFY(!RunToolDialog(tool, true, nullptr));
  }

  void doorNumbersAreBroughtIntoRange() {
    QStringList shown;
    QVERIFY(ConfirmTool(8, true, {{0, "1000"}, {1, "200"}}, &shown));
    QCOMPARE(shown, (QStringList{"600", "180"}));
    QCOMPARE(Dialog().value1, 600);
    QCOMPARE(Dialog().value2, 180);
    QCOMPARE(Dialog().value3, kFreePlacement);

    QVERIFY(ConfirmTool(8, true, {{0, ""}, {1, "2"}}));
    QCOMPARE(Dialog().value1, 10);
    QCOMPARE(Dialog().value2, 2);
  }

  // Leaving the distance limits it by what the width leaves of a 600 cm wall; OK
  // limits it by the wall alone.
  void doorDistanceAtACorner() {
    QString shown;
    WhileShown([&](QDialog* form) {
      Click(form, "optPlace0");
      QVERIFY(Box(form, 2)->isEnabled());
      QCOMPARE(form->focusWidget(), Box(form, 2));
      Type(Box(form, 2), "700");
      Type(Box(form, 0), "100");
      shown = Box(form, 2)->text();
      Click(form, "cmdOK");
    });
    QVERIFY(RunToolDialog(8, true, nullptr));
    QCOMPARE(shown, QString("520"));
    QCOMPARE(Dialog().value3, std::int16_t{520});

    WhileShown([](QDialog* form) {
      Click(form, "optPlace0");
      Type(Box(form, 2), "590");
      QTest::keyClick(Box(form, 2), Qt::Key_Return);
    });
    QVERIFY(RunToolDialog(8, true, nullptr));
    QCOMPARE(Dialog().value3, std::int16_t{590});

    WhileShown([](QDialog* form) {
      Click(form, "optPlace0");
      Type(Box(form, 2), "30");
      Click(form, "optPlace1");
      QCOMPARE(Box(form, 2)->text(), QString("0"));
      QVERIFY(!Box(form, 2)->isEnabled());
      Click(form, "cmdOK");
    });
    QVERIFY(RunToolDialog(9, true, nullptr));
    QCOMPARE(Dialog().value3, kFreePlacement);
  }

  void mountingGivesTheDoorFlags_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("flags");
    QTest::newRow("hinge left, outwards") << "optMount0" << 0;
    QTest::newRow("hinge left, inwards") << "optMount1" << 1;
    QTest::newRow("hinge right, outwards") << "optMount2" << 2;
    QTest::newRow("hinge right, inwards") << "optMount3" << 3;
  }
  void mountingGivesTheDoorFlags() {
    QFETCH(QString, option);
    WhileShown([option](QDialog* form) {
      Click(form, option.toUtf8().constData());
      Click(form, "cmdOK");
    });
    QVERIFY(RunToolDialog(8, true, nullptr));
    QTEST(Dialog().flags, "flags");
  }

  // The forms are hidden, not destroyed, so the mounting chosen last is still chosen;
  // the window tool hands it on too.
  void theMountingChosenLastIsKept() {
    WhileShown([](QDialog* form) {
      Click(form, "optMount3");
      // The placement is a choice of its own.
      Click(form, "optPlace0");
      QVERIFY(Named<QRadioButton>(form, "optMount3")->isChecked());
      Click(form, "cmdOK");
    });
    QVERIFY(RunToolDialog(8, true, nullptr));
    QCOMPARE(Dialog().flags, 3);
    DoorDialog* before = &DoorForm();
    QVERIFY(DoorForm().isHidden());

    WhileShown([](QDialog* form) {
      QVERIFY(Named<QRadioButton>(form, "optMount3")->isChecked());
      Click(form, "cmdOK");
    });
    QVERIFY(RunToolDialog(8, true, nullptr));
    QCOMPARE(Dialog().flags, 3);
    QCOMPARE(&DoorForm(), before);
    QVERIFY(ConfirmTool(9, true, {}));
    QCOMPARE(Dialog().flags, 3);
    QCOMPARE(Dialog().value1, 60);
  }

  void theRectangleKeepsTheOptionChosenLast() {
    WhileShown([](QDialog* form) {
      Click(form, "Option1");
      Click(form, "cmdOK");
    });
    QVERIFY(RunToolDialog(5, true, nullptr));
    QVERIFY(RectangleForm().Option1()->isChecked());
    QVERIFY(RectangleForm().isHidden());
    // Editing a placed object shows the form as it was left.
    WhileShown([](QDialog* form) {
      QVERIFY(Named<QRadioButton>(form, "Option1")->isChecked());
      Click(form, "cmdCancel");
    });
    QVERIFY(!RectangleForm().Run(nullptr));
  }

  void theIllustrationsAreDrawn() {
    for (QWidget* picture :
         {RectangleForm().RotatePicture(), RectangleForm().SizePicture(), CircleForm().Shape1()}) {
      const QImage image = picture->grab().toImage();
      const QRgb background = image.pixel(0, 0);
      bool drawn = false;
      for (int y = 0; y < image.height() && !drawn; ++y)
        for (int x = 0; x < image.width() && !drawn; ++x) drawn = image.pixel(x, y) != background;
      QVERIFY2(drawn, qPrintable(picture->objectName()));
    }
  }

  // ---- rotation ----

  void rotationIsAnAngleOfAWholeTurn_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sent");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("within") << "45" << 45;
    QTest::newRow("a whole turn and more") << "400" << 359;
    QTest::newRow("negative") << "-5" << 0;
  }
  void rotationIsAnAngleOfAWholeTurn() {
    QFETCH(QString, typed);
    QString shown;
    WhileShown([&](QDialog* form) {
      QCOMPARE(form->objectName(), QString("frmRotate"));
      QCOMPARE(form->windowTitle(), QString("Rotation eingeben"));
      QCOMPARE(Named<QLabel>(form, "Label1")->text(), QString("Grad"));
      Type(Box(form, 0), typed);
      Click(form, "cmdOK");
      shown = Box(form, 0)->text();
    });
    QVERIFY(RunRotateDialog(nullptr));
    QTEST(Dialog().value1, "sent");
    QTEST(shown.toInt(), "sent");

    WhileShown([](QDialog* form) { Click(form, "cmdCancel"); });
    QVERIFY(!RunRotateDialog(nullptr));
    QVERIFY(Dialog().cancelled);
  }
  // ---- the forms in the chosen language ----

  void theFormsSpeakTheChosenLanguage_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("tool");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("free");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("English wall rectangle") << "" << 5 << "Length:"
                                            << "Width:"
                                            << "Free placement"
                                            << "&Cancel";
    QTest::newRow("English installation wall") << "" << 4 << "Length:"
                                               << "Thickness:"
                                               << ""
                                               << "&Cancel";
    QTest::newRow("English corner") << "" << 6 << "Leg 1:"
                                    << "Leg 2:"
                                    << ""
                                    << "&Cancel";
    QTest::newRow("German wall rectangle") << "D" << 5 << "Länge:"
                                           << "Breite:"
                                           << "Frei platzierbar"
                                           << "A&bbrechen";
    QTest::newRow("German corner") << "D" << 7 << "Schenkel 1:"
                                   << "Schenkel 2:"
                                   << ""
                                   << "A&bbrechen";
  }
  void theFormsSpeakTheChosenLanguage() {
    QFETCH(QString, language);
    QFETCH(int, tool);
    QVERIFY(OpenLanguage(language, QCoreApplication::applicationDirPath() + "/katalog/katalog.db"));
    RectangleDialog& form = RectangleForm();
    WhileShown([&](QDialog* shown) {
      QTEST(form.Label(0)->text(), "first");
      QTEST(form.Label(1)->text(), "second");
      QFETCH(QString, free);
      if (!free.isEmpty()) {
        QCOMPARE(form.Option2()->text(), free);
        QCOMPARE(form.Option1()->text(), GetCaption(1911));
      }
      QTEST(Named<QAbstractButton>(shown, "cmdCancel")->text(), "cancel");
      QCOMPARE(Named<QAbstractButton>(shown, "cmdOK")->text(), GetCaption(2800));
      QCOMPARE(Named<QLabel>(shown, "lblInfo")->text(), GetCaption(1900));
      Click(shown, "cmdCancel");
    });
    RunToolDialog(tool, true, nullptr);
    CloseLanguage();
  }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
