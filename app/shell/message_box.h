// The one way the program shows a message box: through the drawing layer's message
// box, so that engine and program messages look alike and tests can answer them.
#pragma once

#include <QString>

namespace tessel {

// The button the user pressed (plat::IDOK, IDYES, IDNO, IDCANCEL).
int ShowMessage(const QString& text, const QString& title, unsigned style);
// Prompt and title from the caption table; MsgBoxHelp takes the prompt from the help texts.
int MsgBoxCaption(int promptId, unsigned buttons, int titleId);
int MsgBoxHelp(int promptId, unsigned buttons, int titleId);
// The program's title, for boxes that have no title of their own.
QString ProgramTitle();

}  // namespace tessel
