// The engine bridge against an engine double that records every call: which arguments
// reach the engine for each function code, and what a failing result shows.
#include <QtTest>
#include <string>
#include <vector>

#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/single_instance.h"

using namespace tessel;

namespace {

struct Call {
  unsigned short code;
  unsigned w0, w1, w2;
  long l0, l1;
  std::string name;  // the string l0 addressed, for the codes that pass one
};
std::vector<Call> calls;
long answer = 0;

bool TakesName(unsigned short code) {
  return code == 12 || (code >= 13 && code <= 16) || code == 41;
}

long Double(unsigned short code, unsigned w0, unsigned w1, unsigned w2, long l0, long l1) {
  Call c{code, w0, w1, w2, l0, l1, {}};
  if (TakesName(code) && l0) c.name = reinterpret_cast<const char*>(l0);
  calls.push_back(c);
  return code == TC_AdjustWindowBuffer ? 0 : answer;
}

struct Shown {
  std::string text, caption;
  unsigned type;
};
std::vector<Shown> shown;
int Record(plat::HWND, const char* text, const char* caption, unsigned type, void*) {
  shown.push_back({text, caption, type});
  return plat::IDOK;
}

bool Lookup(int number, QString* caption, QString* text) {
  if (number != 10000 && number != 10701) return false;
  *caption = "Plan file";
  *text = QString("Error %1 for %x").arg(number);
  return true;
}

}  // namespace

class BridgeTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    calls.clear();
    shown.clear();
    answer = 0;
    SetEngineForTesting(&Double);
    SetErrorLookup(&Lookup);
    plat::SetMessageBoxHook(&Record, nullptr);
    Bridge() = BridgeState{};
    Bridge().workWindowHandle = 77;
  }

  void nothingReachesTheEngineBeforeTheViewIsBound() {
    Bridge().workWindowHandle = 0;
    Bridge().lastEngineResult = 5;
    QCOMPARE(vCallTessel(TC_Undo, 0, 0, 0), -1L);
    QVERIFY(calls.empty());
    QCOMPARE(Bridge().lastEngineResult, std::int16_t{5});
  }

  void everyCodeGetsTheArgumentsOfItsRow() {
    struct Row {
      std::vector<int> codes;
      bool p0, p1, p2;
      enum { None, Number, Name, ProductList } l0;
    };
    const Row rows[] = {
        {{1, 10, 23, 28, 32, 33, 34}, true, false, false, Row::None},
        {{2, 6}, true, true, true, Row::Number},
        {{3, 7, 8, 9, 26, 27}, true, true, true, Row::None},
        {{4, 5, 29}, true, true, false, Row::None},
        {{12}, true, true, true, Row::Name},
        {{13, 14, 15, 16, 41}, false, false, false, Row::Name},
        {{17, 18, 19, 20, 21, 22, 24, 30, 31, 38, 39, 42}, false, false, false, Row::None},
        {{25}, false, false, false, Row::ProductList},
        {{40}, false, false, false, Row::Number},
    };
    for (const Row& row : rows) {
      for (int code : row.codes) {
        calls.clear();
        const QVariant l0 = row.l0 == Row::Name ? QVariant("plan a.tsd") : QVariant(4242);
        QCOMPARE(vCallTessel(static_cast<std::int16_t>(code), 11, 22, 33, l0, 99), 0L);
        QVERIFY2(calls.size() == 1, qPrintable(QString::number(code)));
        const Call& c = calls[0];
        QCOMPARE(int{c.code}, code);
        QCOMPARE(c.w0, row.p0 ? 11u : 0u);
        QCOMPARE(c.w1, row.p1 ? 22u : 0u);
        QCOMPARE(c.w2, row.p2 ? 33u : 0u);
        QCOMPARE(c.l1, 0L);
        switch (row.l0) {
          case Row::None:
            QCOMPARE(c.l0, 0L);
            break;
          case Row::Number:
            QCOMPARE(c.l0, 4242L);
            break;
          case Row::Name:
            QCOMPARE(c.name, std::string("plan a.tsd"));
            break;
          case Row::ProductList:
            QCOMPARE(c.l0, reinterpret_cast<long>(Bridge().productListBuffer));
            break;
        }
      }
    }
    for (int code : {0, 11, 35, 36, 37, 43, -5}) {
      calls.clear();
      QCOMPARE(vCallTessel(static_cast<std::int16_t>(code), 1, 2, 3), 0L);
      QVERIFY(calls.empty());
    }
  }

  void aFailureShowsItsTextAndRepaintsTheView() {
    answer = TR_NoCountKey;
    Bridge().viewCenterX = 700;
    Bridge().viewCenterY = 500;
    Bridge().zoomIndex = 6;
    QCOMPARE(vCallTessel(TC_LoadDesignFile, 0, 0, 0, QVariant("old.tsd")), -101L);
    QCOMPARE(Bridge().lastEngineResult, std::int16_t{-101});
    QCOMPARE(shown.size(), size_t{1});
    QCOMPARE(shown[0].text, std::string("Error 10000 for old.tsd"));
    QCOMPARE(shown[0].caption, std::string("Plan file"));
    QCOMPARE(calls.size(), size_t{2});
    QCOMPARE(int{calls[1].code}, int{TC_AdjustWindowBuffer});
    QCOMPARE(calls[1].w0, 700u);
    QCOMPARE(calls[1].w1, 500u);
    QCOMPARE(calls[1].w2, 200u);
  }

  void resultsMapToTheirErrorNumbers() {
    QCOMPARE(ErrorNumberOf(-101), 10000);
    QCOMPARE(ErrorNumberOf(-104), 10003);
    QCOMPARE(ErrorNumberOf(-303), 10302);
    QCOMPARE(ErrorNumberOf(-606), 10701);
    QCOMPARE(ErrorNumberOf(-600), 0);
    QCOMPARE(ErrorNumberOf(7), 0);
    // No row for the number, or no table open: nothing is shown.
    QCOMPARE(ShowEngineError(-600), 1);
    SetErrorLookup(nullptr);
    QCOMPARE(ShowEngineError(-101), 1);
    QVERIFY(shown.empty());
  }

  void aSecondPlannerOfTheUserIsRefused() {
    QTemporaryDir dir;
    auto* first = new InstanceLock(dir.path());
    QVERIFY(first->Held());
    {
      InstanceLock second(dir.path());
      QVERIFY(!second.Held());
    }
    delete first;  // as when the first planner ends, in whatever way
    InstanceLock third(dir.path());
    QVERIFY(third.Held());
  }

  void aMissingEngineSaysSoOnEveryCall() {
    SetEngineForTesting(nullptr);
    QCOMPARE(vCallTessel(TC_Undo, 1, 2, 3, QVariant(4), 5), 0L);
    QCOMPARE(vCallTessel(TC_Redo, 0, 0, 0), 0L);
    QCOMPARE(shown.size(), size_t{2});
    QCOMPARE(shown[0].caption, std::string("vCallTessel Error"));
    QCOMPARE(shown[0].text,
             std::string("Failed call to Function 20 with parameters 1, 2, 3, 4, 5"));
    ReadInfo();
    QCOMPARE(shown.back().caption, std::string("DLL Communication Error"));
  }
};

QTEST_GUILESS_MAIN(BridgeTest)
#include "test_bridge.moc"
