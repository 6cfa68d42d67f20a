// What the window-less commands share: the catalogue shipped beside the program, their
// messages on standard error, and the texts in the language a window would show.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace tessel {

// The catalogue shipped beside the program, with the language tables.
QString BatchCatalogueFile();

// Says `text` on standard error as the program's own line; returns `status`, so a
// failure is said and returned in one step.
int SayOnTerminal(int status, const QString& text);

// Opens the texts in the language a window would show: a language letter among the
// arguments after the program's name that are neither options nor one of the command's
// values (`isValue` tells those by their place), else the saved language; English when
// the catalogue lacks it. A catalogue another program holds locked has been waited for
// once already: that is said, not waited for again.
void OpenBatchTexts(const QStringList& arguments, const std::function<bool(qsizetype)>& isValue);

}  // namespace tessel
