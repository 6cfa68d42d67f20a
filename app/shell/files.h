// Files as the program meets them on disk: names that are bytes, not text; plans that
// may be anything a name can point at; and whole files written so that a failure at
// any step leaves the old file as it was.
#pragma once

#include <QByteArray>
#include <QString>

namespace tessel {

// A file name's bytes and back, without loss. The file system stores bytes: a name
// that is not UTF-8 (a Latin-1 "b\xe4d.tsd" from an old archive) keeps each byte that
// is no part of a UTF-8 character as one of the code points U+DC80..U+DCFF, which no
// UTF-8 text decodes to; FileNameBytes turns them back into the bytes. For every name
// that is UTF-8 both are QFile::encodeName and QFile::decodeName.
QByteArray FileNameBytes(const QString& name);
QString FileNameFromBytes(const QByteArray& bytes);

// The name of a file that exists as given; else the one entry of its folder that the
// name stands for: one whose odd bytes a dialog showed as U+FFFD, or one whose Latin-1
// bytes the user typed as letters ("bäd.tsd"); else the name unchanged.
QString LocateFileName(const QString& name);
// Whether anything is at the name (a link to nothing counts as nothing).
bool FileExists(const QString& name);

// What stands at the name of a plan before the engine reads it. Only a regular file is
// read: a FIFO or a device would keep the reader waiting for a writer forever, and a
// folder holds no plan.
enum class PlanFileKind {
  kRegular,
  kMissing,     // nothing there
  kNotAFile,    // a FIFO, a device, a socket or a folder
  kUnreadable,  // there, but it cannot be opened for reading
};
// Looks without waiting: the file is opened without blocking and asked what it is.
// `why` gets the system's reason for kUnreadable.
PlanFileKind CheckPlanFile(const QString& name, QString* why = nullptr);
// The refusal of a plan name that is no regular file, in the program's language; the
// window shows it and the window-less commands print it.
QString NotAPlanFileText(const QString& name);
// The title of the refusals of a plan that cannot be opened.
QString CannotOpenPlanTitle();

// Writes `bytes` as the whole of `file`: into a new file beside it, every write and
// the flush to disk checked, then renamed over it. On failure the old file is as it
// was and `why` says "<file>: <the system's reason>".
bool WriteWholeFile(const QString& file, const QByteArray& bytes, QString* why = nullptr);

// Opens a lock file, never through a link (made when missing and `create` says so),
// and takes its lock without waiting: the descriptor, held until closed, or -1 with
// errno saying why (EWOULDBLOCK: another process holds it).
int OpenLocked(const QString& file, bool create);

}  // namespace tessel
