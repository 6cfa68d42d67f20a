// The engine bridge: loading the engine, the routing of every function code, and the
// display of engine failures.
#include "shell/engine_bridge.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <cmath>
#include <iterator>

#include "platform/window.h"
#include "shell/files.h"
#include "shell/message_box.h"

namespace tessel {

namespace {

EngineEntry loaded = nullptr;
bool triedLoading = false;
QString loadError;
ErrorLookup errorLookup = nullptr;

// The repaint after a failure, at the view as the program keeps it.
void RepaintView() {
  BridgeState& b = Bridge();
  EngineEntry engine = Engine();
  if (!engine || b.zoomIndex < 0 || b.zoomIndex >= static_cast<int>(std::size(b.zoomTable))) return;
  const auto zoom = static_cast<long>(std::lround(b.zoomTable[b.zoomIndex] * 100.0));
  engine(TC_AdjustWindowBuffer, static_cast<unsigned>(static_cast<std::int32_t>(b.viewCenterX)),
         static_cast<unsigned>(b.viewCenterY), static_cast<unsigned>(zoom), 0, 0);
}

QString Plain(const QVariant& v) {
  return v.isValid() ? v.toString() : QString();
}

}  // namespace

BridgeState& Bridge() {
  static BridgeState state;
  return state;
}

EngineEntry Engine() {
  if (loaded || triedLoading) return loaded;
  triedLoading = true;
  const QString path = QDir(QCoreApplication::applicationDirPath()).filePath("libvrx232.so");
  void* library = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    loadError = QString::fromLocal8Bit(dlerror());
    return nullptr;
  }
  loaded = reinterpret_cast<EngineEntry>(dlsym(library, "CallTessel"));
  if (!loaded) loadError = QString::fromLocal8Bit(dlerror());
  return loaded;
}

QString EngineLoadError() {
  return loadError;
}

void SetEngineForTesting(EngineEntry entry) {
  loaded = entry;
  triedLoading = true;
}

void SetErrorLookup(ErrorLookup lookup) {
  errorLookup = lookup;
}

long vCallTessel(std::int16_t code, std::int32_t p0, std::int32_t p1, std::int32_t p2,
                 const QVariant& lParam0, std::int32_t lParam1) {
  BridgeState& b = Bridge();
  const QVariant param = lParam0;
  if (b.workWindowHandle == 0) return -1;
  auto failed = [&] {
    ShowMessage(QString("Failed call to Function %1 with parameters %2, %3, %4, %5, %6")
                    .arg(code)
                    .arg(p0)
                    .arg(p1)
                    .arg(p2)
                    .arg(Plain(param))
                    .arg(lParam1),
                "vCallTessel Error", plat::MB_ICONERROR);
    return 0L;
  };
  long result = 0;
  // The later codes answer 1 for done and 0 for not done, never an error.
  const bool later = code >= TC_MoveSelectedBy && code <= TC_SelectByTag;
  if ((code >= 1 && code <= 42) || later) {
    EngineEntry engine = Engine();
    auto u = [](std::int32_t v) { return static_cast<unsigned>(v); };
    QByteArray ansi;  // lives for the duration of the call
    auto number = [&](bool* ok) { return static_cast<long>(param.toLongLong(ok)); };
    bool ok = true;
    bool call = true;
    unsigned w0 = 0, w1 = 0, w2 = 0;
    long l0 = 0;
    switch (code) {
      case 1:
      case 10:
      case 23:
      case 28:
      case 32:
      case 33:
      case 34:
      case TC_SelectByTag:
        w0 = u(p0);
        break;
      case 2:
      case 6:
        w0 = u(p0), w1 = u(p1), w2 = u(p2);
        l0 = param.isValid() ? number(&ok) : 0;
        break;
      case 3:
      case 7:
      case 8:
      case 9:
      case 26:
      case 27:
        w0 = u(p0), w1 = u(p1), w2 = u(p2);
        break;
      case 4:
      case 5:
      case 29:
      case TC_MoveSelectedBy:
      case TC_TurnSelectedBy:
        w0 = u(p0), w1 = u(p1);
        break;
      case TC_GetSelectionOutline:
        l0 = param.isValid() ? number(&ok) : 0;
        break;
      case 12:
        w0 = u(p0), w1 = u(p1), w2 = u(p2);
        ansi = param.toString().toLocal8Bit();
        l0 = reinterpret_cast<long>(ansi.constData());
        break;
      case 13:
      case 14:
      case 15:
      case 16:
      case 41:
        // The file system's own bytes, so a name that is not UTF-8 reaches its file.
        ansi = FileNameBytes(param.toString());
        l0 = reinterpret_cast<long>(ansi.constData());
        break;
      case 25:
        l0 = reinterpret_cast<long>(b.productListBuffer);
        break;
      case 40:
        l0 = param.isValid() ? number(&ok) : 0;
        break;
      case 11:
      case 35:
      case 36:
      case 37:
        call = false;
        break;
      default:
        break;  // 17-22, 24, 30, 31, 38, 39, 42: the code alone
    }
    if (!ok) return failed();
    if (call) {
      if (!engine) return failed();
      result = engine(static_cast<unsigned short>(code), w0, w1, w2, l0, 0);
    }
  }
  if (result < -32768 || result > 32767) return failed();
  b.lastEngineResult = static_cast<std::int16_t>(result);
  if (result != 0 && !later) {
    ShowEngineError(static_cast<std::int16_t>(result), param, 0);
    RepaintView();
  }
  return result;
}

void ReadInfo() {
  EngineEntry engine = Engine();
  if (!engine) {
    ShowMessage("Missing files. Please reinstall...\r\n" + EngineLoadError(),
                "DLL Communication Error", plat::MB_ICONERROR);
    return;
  }
  BridgeState& b = Bridge();
  b.lastEngineResult = static_cast<std::int16_t>(
      engine(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&b.infoRecord), 0));
}

std::int32_t ReadObjectData() {
  EngineEntry engine = Engine();
  BridgeState& b = Bridge();
  const long r =
      engine ? engine(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&b.objectDataRead), 0)
             : long{TR_NotInitialised};
  b.lastEngineResult = static_cast<std::int16_t>(r);
  return static_cast<std::int32_t>(r);
}

QVariant WriteObjectData() {
  EngineEntry engine = Engine();
  BridgeState& b = Bridge();
  const long r =
      engine ? engine(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&b.objectDataWrite), 0)
             : long{TR_NotInitialised};
  b.lastEngineResult = static_cast<std::int16_t>(r);
  return QVariant(static_cast<qint32>(r));
}

int ErrorNumberOf(long result) {
  struct Row {
    long result;
    int number;
  };
  static const Row rows[] = {
      {-101, 10000}, {-102, 10001}, {-103, 10002}, {-104, 10003}, {-105, 10100}, {-106, 10101},
      {-107, 10102}, {-108, 10103}, {-109, 10104}, {-201, 10200}, {-202, 10201}, {-301, 10300},
      {-302, 10301}, {-303, 10302}, {-401, 10400}, {-402, 10401}, {-403, 10402}, {-404, 10403},
      {-405, 10404}, {-406, 10405}, {-407, 10406}, {-501, 10500}, {-502, 10501}, {-503, 10502},
      {-504, 10503}, {-505, 10504}, {-506, 10505}, {-507, 10506}, {-601, 10600}, {-602, 10601},
      {-603, 10602}, {-604, 10603}, {-605, 10700}, {-606, 10701}};
  for (const Row& r : rows)
    if (r.result == result) return r.number;
  return 0;
}

bool EngineErrorText(long result, const QVariant& first, const QVariant& second, QString* caption,
                     QString* text) {
  *caption = "Error";
  *text = "Unknown Error";
  if (!errorLookup || !errorLookup(ErrorNumberOf(result), caption, text)) return false;
  // Up to two "%x" marks take the values handed in, the first mark the first value.
  const qsizetype at = text->indexOf("%x");
  if (at >= 0) {
    text->replace(at, 2, Plain(first));
    const qsizetype again = text->indexOf("%x", at + Plain(first).size());
    if (again >= 0) text->replace(again, 2, Plain(second));
  }
  return true;
}

int ShowEngineError(std::int16_t result, const QVariant& first, const QVariant& second) {
  QString caption, text;
  if (!EngineErrorText(result, first, second, &caption, &text)) return 1;
  return ShowMessage(text, caption, plat::MB_OK);
}

}  // namespace tessel
