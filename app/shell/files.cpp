#include "shell/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "language/language.h"
#include "platform/profile.h"

namespace tessel {

namespace {

// A byte that is no part of a UTF-8 character stands for itself at this code point
// plus the byte; only bytes from 0x80 on can be such a byte.
constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

// Text caption numbers.
constexpr int kNotAFileCaption = 7100;
constexpr int kCannotOpenCaption = 7101;

bool Continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 character at `p` (at most `left` bytes), 0 when
// the byte there starts none: overlong forms, surrogates and values above U+10FFFF
// are no characters, so their bytes are kept as bytes.
int CharacterLength(const unsigned char* p, qsizetype left) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  int length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < length || p[1] < low || p[1] > high) return 0;
  for (int i = 2; i < length; ++i)
    if (!Continuation(p[i])) return 0;
  return length;
}

QString SystemReason(int error) {
  return error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                    : QStringLiteral("the file could not be written");
}

}  // namespace

QString FileNameFromBytes(const QByteArray& bytes) {
  QString name;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype size = bytes.size();
  qsizetype run = 0;  // start of the well-formed bytes not yet decoded
  for (qsizetype i = 0; i < size;) {
    const int length = CharacterLength(p + i, size - i);
    if (length > 0) {
      i += length;
      continue;
    }
    name += QString::fromUtf8(bytes.constData() + run, i - run);
    name += QChar(static_cast<char16_t>(kEscapeBase + p[i]));
    run = ++i;
  }
  name += QString::fromUtf8(bytes.constData() + run, size - run);
  return name;
}

QByteArray FileNameBytes(const QString& name) {
  QByteArray bytes;
  qsizetype run = 0;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t unit = name[i].unicode();
    if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
      ++i;  // a pair: one character of the text
      continue;
    }
    if (unit < kFirstEscape || unit > kLastEscape) continue;
    bytes += name.mid(run, i - run).toUtf8();
    bytes += static_cast<char>(unit - kEscapeBase);
    run = i + 1;
  }
  bytes += name.mid(run).toUtf8();
  return bytes;
}

bool FileExists(const QString& name) {
  struct stat st {};
  return !name.isEmpty() && ::stat(FileNameBytes(name).constData(), &st) == 0;
}

QString LocateFileName(const QString& name) {
  if (name.isEmpty() || FileExists(name)) return name;
  const qsizetype slash = name.lastIndexOf('/');
  const QString folder = slash < 0 ? QString() : name.left(slash + 1);
  const QString leaf = name.mid(slash + 1);
  // A name typed as it reads in Latin-1 ("bäd.tsd") names the Latin-1 bytes.
  const bool latin1 =
      std::all_of(leaf.begin(), leaf.end(), [](QChar c) { return c.unicode() <= 0xFF; });
  const QByteArray latin1Bytes = latin1 ? leaf.toLatin1() : QByteArray();
  DIR* dir = ::opendir(folder.isEmpty() ? "." : FileNameBytes(folder).constData());
  if (!dir) return name;
  QString found;
  int matches = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArray bytes(entry->d_name);
    if (QFile::decodeName(bytes) != leaf && (!latin1 || bytes != latin1Bytes)) continue;
    found = folder + FileNameFromBytes(bytes);
    ++matches;
  }
  ::closedir(dir);
  // Two names that read alike once their odd bytes are replaced cannot be told apart.
  return matches == 1 ? found : name;
}

PlanFileKind CheckPlanFile(const QString& name, QString* why) {
  // Without O_NONBLOCK, opening a FIFO waits until a writer opens it too.
  const int fd = ::open(FileNameBytes(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (why) *why = SystemReason(error);
    return error == ENOENT || error == ENOTDIR ? PlanFileKind::kMissing : PlanFileKind::kUnreadable;
  }
  struct stat st {};
  const bool statted = ::fstat(fd, &st) == 0;
  const int error = errno;
  ::close(fd);
  if (!statted) {
    if (why) *why = SystemReason(error);
    return PlanFileKind::kUnreadable;
  }
  return S_ISREG(st.st_mode) ? PlanFileKind::kRegular : PlanFileKind::kNotAFile;
}

QString NotAPlanFileText(const QString& name) {
  return CaptionOr(kNotAFileCaption,
                   "%1 is not a file but a folder, a pipe or a device. Only a plan file can be "
                   "opened.")
      .arg(name);
}

QString CannotOpenPlanTitle() {
  return CaptionOr(kCannotOpenCaption, "Cannot open plan");
}

bool WriteWholeFile(const QString& file, const QByteArray& bytes, QString* why) {
  errno = 0;
  if (plat::ReplaceFile(FileNameBytes(file).constData(),
                        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
    return true;
  const int error = errno;
  if (why) *why = file + ": " + SystemReason(error);
  return false;
}

int OpenLocked(const QString& file, bool create) {
  const int fd = ::open(QFile::encodeName(file).constData(),
                        O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
  const int why = errno;
  ::close(fd);
  errno = why;
  return -1;
}

}  // namespace tessel
