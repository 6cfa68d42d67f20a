// The program's texts by number, in the language chosen at start-up: captions and help
// texts from the catalogue's table tStrings, error captions and texts from tError.
#pragma once

#include <QString>
#include <QStringList>

namespace tessel {

// The language suffix: the last character of a command line of two or more
// characters, otherwise the saved setting (empty: the unsuffixed, English columns).
QString LanguageSuffix(const QStringList& arguments, const QString& saved);

// Opens the catalogue file and reads both tables in that language. False, with the
// reason, when the file is missing or lacks the tables or the language's columns;
// `inUse` is set when another program held the file locked for longer than the
// catalogue's wait (kCatalogueBusyMilliseconds).
bool OpenLanguage(const QString& suffix, const QString& catalogueFile, QString* why = nullptr,
                  bool* inUse = nullptr);
bool LanguageOpen();
// The suffix of the language open now, for the catalogue's own language columns.
QString OpenLanguageSuffix();
void CloseLanguage();

QString GetCaption(int id);
// The caption of a number, or the window's design text where the table has none, so
// that nothing shows an empty caption.
QString CaptionOr(int id, const QString& design);
// The same for a design text written in the source (UTF-8).
QString CaptionOr(int id, const char* design);
QString GetHelp(int id);
// False (caption "Error", text "Unknown Error") for an unknown id; false and nothing
// written while no language is open. The start hands it to the engine bridge, which
// shows engine failures by these texts.
bool GetError(int id, QString* caption, QString* text);

}  // namespace tessel
