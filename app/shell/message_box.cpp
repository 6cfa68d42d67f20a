#include "shell/message_box.h"

#include "language/language.h"
#include "platform/window.h"

namespace tessel {

int ShowMessage(const QString& text, const QString& title, unsigned style) {
  return plat::MessageBox(0, text.toLocal8Bit().constData(), title.toLocal8Bit().constData(),
                          style);
}

int MsgBoxCaption(int promptId, unsigned buttons, int titleId) {
  return ShowMessage(GetCaption(promptId), GetCaption(titleId), buttons);
}

int MsgBoxHelp(int promptId, unsigned buttons, int titleId) {
  return ShowMessage(GetHelp(promptId), GetCaption(titleId), buttons);
}

QString ProgramTitle() {
  return CaptionOr(101, "Ostara Tessel");
}

}  // namespace tessel
