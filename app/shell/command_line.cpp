#include "shell/command_line.h"

#include <QDir>
#include <QFileInfo>

#include "shell/files.h"

namespace tessel {

namespace {
const char kOptionMark[] = "--";
const char kPlanSuffix[] = ".tsd";

bool LooksLikePlan(const QString& argument) {
  // A FIFO counts as well, so that it is refused as a plan rather than read as a letter.
  return (FileExists(argument) && !QFileInfo(argument).isDir()) ||
         argument.endsWith(kPlanSuffix, Qt::CaseInsensitive) ||
         argument.contains(QDir::separator()) || argument.contains('/');
}
}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  CommandLine line;
  line.languageArguments << arguments.value(0);
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a.startsWith(kOptionMark)) {
      if (a == "--help")
        line.help = true;
      else if (a == "--version")
        line.version = true;
      else
        line.unknownOptions << a;
    } else if (line.planFile.isEmpty() && LooksLikePlan(a)) {
      // Made absolute as text, so a name that is not UTF-8 keeps its bytes.
      line.planFile = QDir::cleanPath(QDir::isAbsolutePath(a) ? a : QDir::currentPath() + '/' + a);
    } else {
      line.languageArguments << a;
    }
  }
  return line;
}

QString CommandLineUsage(const QString& program) {
  return QString(
             "Usage: %1 [PLAN.tsd] [-LANGUAGE]\n"
             "  PLAN.tsd    open this plan after the start\n"
             "  -LANGUAGE   the last letter chooses the language of the texts (D German)\n"
             "  --help      show this text\n"
             "  --version   show the program's name and version\n"
             "  --export PLAN.tsd OUT.png|OUT.bmp     write the plan as an image, no window\n"
             "  --export-list PLAN.tsd OUT.csv [-LANGUAGE]\n"
             "                                        write the placed products as a CSV list\n"
             "  --print-pdf PLAN.tsd OUT.pdf [--scale N]\n"
             "              [--free-areas [--barrier-free | --wheelchair]]\n"
             "                                        print the plan to a PDF file at 1:N\n"
             "                                        (the smallest scale that fits without N),\n"
             "                                        with the free areas if asked\n"
             "  --check PLAN.tsd [-LANGUAGE] [--barrier-free | --wheelchair]\n"
             "                                        list what a fitter would object to;\n"
             "                                        exit 0 none, 1 findings, 2 unreadable\n"
             "  --quantities PLAN.tsd OUT.csv [-LANGUAGE]\n"
             "                                        write floor, wall and tile quantities\n")
      .arg(program);
}

QString VersionLine(const QString& program) {
  return QString("%1 (Ostara Tessel) %2\n").arg(program, kProgramVersion);
}

}  // namespace tessel
