// What the planner was started with: a plan to open (what a file manager passes),
// options for the program ("--" and a name), and otherwise the language letter.
#pragma once

#include <QString>
#include <QStringList>

namespace tessel {

// The program's version as it is said on the terminal, in the splash and in the package.
inline constexpr char kProgramVersion[] = "2.0.0";

struct CommandLine {
  QString planFile;            // absolute, so a later change of folder does not lose it
  bool help = false;           // --help: say what the program takes, and end
  bool version = false;        // --version: say the program's name and version, and end
  QStringList unknownOptions;  // "--" arguments the program does not know
  // The rest, after the program's name, for the language rule.
  QStringList languageArguments;
};

// arguments[0] is the program. An argument that names an existing file, ends in ".tsd"
// or holds a folder separator is the plan: a path is never read as a language letter.
CommandLine ParseCommandLine(const QStringList& arguments);

// The text --help prints.
QString CommandLineUsage(const QString& program);
// The line --version prints.
QString VersionLine(const QString& program);

}  // namespace tessel
