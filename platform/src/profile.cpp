// Profile files in memory, and writing a file so that a failure never loses the old one.
#include "platform/profile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace plat {

namespace {

std::string Lower(const char* s) {
  std::string out(s ? s : "");
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trim(const char* begin, const char* end) {
  while (begin < end && Blank(*begin)) ++begin;
  while (end > begin && (Blank(end[-1]) || end[-1] == '\r')) --end;
  return std::string(begin, end);
}

long failAfter = -1;

// Permissions of a file made new; the process's umask still applies.
constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kPermissionBits = 07777;
// Links followed from one name before giving up, as the system itself does.
constexpr int kMaxLinkHops = 40;
// Attempts at a free temporary name before giving up.
constexpr int kTemporaryAttempts = 100;

void CloseKeepingErrno(int fd) {
  const int saved = errno;
  ::close(fd);
  errno = saved;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The file a name finally stands for, following links (a link's relative target counts
// from the link's folder). A link to nothing yet names the file a save would make.
bool ResolveLinks(const char* path, std::string* out) {
  std::string current = path;
  for (int hop = 0;; ++hop) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    if (hop == kMaxLinkHops) {
      errno = ELOOP;
      return false;
    }
    char link[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), link, sizeof link - 1);
    if (n < 0) return false;
    link[n] = '\0';
    if (link[0] == '/' || current.find('/') == std::string::npos)
      current = link;
    else
      current = FolderOf(current) + "/" + link;
  }
  *out = current;
  return true;
}

// A new file beside `target`, named after it with a random ending, made exclusively
// and never through a link: the descriptor, or -1 with errno.
int MakeTemporary(const std::string& target, mode_t mode, std::string* name) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const std::size_t slash = target.rfind('/');
  const std::string prefix = slash == std::string::npos
                                 ? "." + target
                                 : target.substr(0, slash + 1) + "." + target.substr(slash + 1);
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    unsigned char random[8];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
      const auto seed = static_cast<unsigned long long>(::getpid()) * 1000003ull +
                        static_cast<unsigned long long>(attempt) +
                        static_cast<unsigned long long>(::time(nullptr));
      for (std::size_t i = 0; i < sizeof random; ++i)
        random[i] = static_cast<unsigned char>(seed >> (8 * (i % 8)));
    }
    std::string candidate = prefix + ".~";
    for (unsigned char r : random) candidate += kLetters[r % (sizeof kLetters - 1)];
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
      *name = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot flush a folder and say so; the rename is then as durable
  // as they make it.
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
  CloseKeepingErrno(fd);
  return ok;
}

}  // namespace

Profile Profile::Parse(const char* data, std::size_t size) {
  return Parse(data, size, nullptr);
}

Profile Profile::Parse(const char* data, std::size_t size, KeyFilter keep) {
  Profile p;
  if (!data) return p;
  const char* end = data + size;
  Section* current = nullptr;
  std::string currentLower;  // of the current section, for the filter
  for (const char* line = data; line < end;) {
    const char* eol =
        static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
    if (!eol) eol = end;
    const std::string text = Trim(line, eol);
    line = eol + 1;
    if (text.empty() || text[0] == ';') continue;
    if (text[0] == '[') {
      const std::size_t close = text.find(']');
      const std::string name =
          Trim(text.data() + 1, text.data() + (close == std::string::npos ? text.size() : close));
      if (keep) {
        // A filtered read holds only the first of each section it wants: later ones
        // could never be found.
        currentLower = Lower(name.c_str());
        current = nullptr;
        if (!keep(currentLower, {}) || p.index_.count(currentLower)) continue;
      }
      p.sections_.push_back(Section{name, {}, {}});
      current = &p.sections_.back();
      p.index_.emplace(Lower(name.c_str()), p.sections_.size() - 1);
      continue;
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || !current) continue;
    Key k{Trim(text.data(), text.data() + eq),
          Trim(text.data() + eq + 1, text.data() + text.size())};
    std::string lower = Lower(k.name.c_str());
    if (keep && (lower.empty() || !keep(currentLower, lower) || current->index.count(lower)))
      continue;
    // A value in a matching pair of quotes is the text between them.
    if (k.value.size() >= 2 && (k.value[0] == '"' || k.value[0] == '\'') &&
        k.value.back() == k.value[0])
      k.value = k.value.substr(1, k.value.size() - 2);
    current->index.emplace(std::move(lower), current->keys.size());
    current->keys.push_back(std::move(k));
  }
  return p;
}

bool Profile::HasSection(const char* section) const {
  return index_.count(Lower(section)) > 0;
}

const Profile::Key* Profile::Find(const char* section, const char* key) const {
  const auto s = index_.find(Lower(section));
  if (s == index_.end()) return nullptr;
  const Section& sec = sections_[s->second];
  const auto k = sec.index.find(Lower(key));
  return k == sec.index.end() ? nullptr : &sec.keys[k->second];
}

std::size_t Profile::GetString(const char* section, const char* key, const char* fallback,
                               char* out, std::size_t size) const {
  if (!out || size == 0) return 0;
  const Key* k = Find(section, key);
  const std::string& value = k ? k->value : std::string(fallback ? fallback : "");
  const std::size_t n = std::min(value.size(), size - 1);
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  return n;
}

int Profile::GetInt(const char* section, const char* key, int fallback) const {
  const Key* k = Find(section, key);
  if (!k || k->value.empty()) return fallback;
  const char* p = k->value.c_str();
  while (Blank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (*p++ - '0');
    if (v > 0xFFFFFFFFll) v = 0xFFFFFFFFll;  // wraps like the 32-bit conversion, never overflows
  }
  const auto bits = static_cast<std::uint32_t>(negative ? -v : v);
  return static_cast<int>(bits);
}

void Profile::SetString(const char* section, const char* key, const char* value) {
  const std::string s = Lower(section);
  auto found = index_.find(s);
  if (found == index_.end()) {
    sections_.push_back(Section{section ? section : "", {}, {}});
    found = index_.emplace(s, sections_.size() - 1).first;
  }
  Section& sec = sections_[found->second];
  const std::string k = Lower(key);
  const auto existing = sec.index.find(k);
  if (existing != sec.index.end()) {
    sec.keys[existing->second].value = value ? value : "";
    return;
  }
  sec.index.emplace(k, sec.keys.size());
  sec.keys.push_back(Key{key ? key : "", value ? value : ""});
}

std::string Profile::Serialize() const {
  std::string out;
  for (const Section& s : sections_) {
    out += "[" + s.name + "]\r\n";
    for (const Key& k : s.keys) out += k.name + "=" + k.value + "\r\n";
  }
  return out;
}

bool ReadWholeFile(const char* path, std::string* out, std::size_t limit, long long* size) {
  if (size) *size = -1;
  if (!path || !out) {
    errno = EINVAL;
    return false;
  }
  // Opened without waiting: a FIFO or a device named as a file would otherwise hold
  // the open (and the program) until something writes to it.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    CloseKeepingErrno(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return false;
  }
  if (size) *size = static_cast<long long>(st.st_size);
  if (static_cast<unsigned long long>(st.st_size) > limit) {
    ::close(fd);
    errno = EFBIG;
    return false;
  }
  out->clear();
  // Room for the whole file at once; the reads below still stop at the limit should
  // the file grow while it is read.
  out->reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      CloseKeepingErrno(fd);
      return false;
    }
    if (n == 0) break;
    if (out->size() + static_cast<std::size_t>(n) > limit) {
      ::close(fd);
      out->clear();
      if (size) *size = static_cast<long long>(limit) + 1;
      errno = EFBIG;
      return false;
    }
    out->append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

void FailFileWritesAfter(long bytes) {
  failAfter = bytes;
}

bool ReplaceFile(const char* path, const std::string& bytes) {
  if (!path || !*path) {
    errno = EINVAL;
    return false;
  }
  // A name that is a link is saved through: the file it names gets the new bytes and
  // the link stays a link.
  std::string target;
  if (!ResolveLinks(path, &target)) return false;
  // The new file takes the old one's permissions (a private file stays private) and,
  // where the user may, its group.
  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  const std::string folder = FolderOf(target);
  // The new text goes into a file of its own in the same folder, so the rename that
  // puts it in place is atomic; until then the old file is untouched. The name is new
  // each time and the file is made exclusively, so nothing planted beside the target
  // (a link above all) is ever opened or written through.
  std::string temp;
  const int fd = MakeTemporary(target, replacing ? 0600 : kNewFileMode, &temp);
  if (fd < 0) return false;
  bool ok = true;
  int failure = 0;
  auto fail = [&](int error) {
    if (ok) failure = error;
    ok = false;
  };
  if (replacing) {
    // Only an owner may give a file away; a group the user is in is theirs to keep, and
    // a refusal leaves the new file in the user's own group. The group comes first:
    // changing it may clear bits the mode then sets again.
    if (old.st_gid != ::getegid()) {
      [[maybe_unused]] const int kept = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    if (::fchmod(fd, old.st_mode & kPermissionBits) != 0) fail(errno);
  }
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    std::size_t chunk = bytes.size() - done;
    if (failAfter >= 0) {
      if (static_cast<long>(done) >= failAfter) {
        fail(ENOSPC);
        break;
      }
      chunk = std::min(chunk, static_cast<std::size_t>(failAfter) - done);
    }
    const ssize_t n = ::write(fd, bytes.data() + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      fail(errno);
    else if (n == 0)
      fail(ENOSPC);
    else
      done += static_cast<std::size_t>(n);
  }
  // A full disk or a lost server may show only here.
  if (ok && ::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) fail(errno);
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) fail(errno);
  if (!ok) {
    ::unlink(temp.c_str());
    errno = failure;
    return false;
  }
  // The rename lives in the folder: only its flush makes the new name last a crash.
  if (!SyncFolder(folder)) return false;
  return true;
}

std::size_t GetPrivateProfileString(const char* section, const char* key, const char* fallback,
                                    char* out, std::size_t size, const char* path) {
  std::string text;
  ReadWholeFile(path, &text);
  return Profile::Parse(text.data(), text.size()).GetString(section, key, fallback, out, size);
}

int GetPrivateProfileInt(const char* section, const char* key, int fallback, const char* path) {
  std::string text;
  ReadWholeFile(path, &text);
  return Profile::Parse(text.data(), text.size()).GetInt(section, key, fallback);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path) {
  std::string text;
  ReadWholeFile(path, &text);
  Profile p = Profile::Parse(text.data(), text.size());
  p.SetString(section, key, value);
  return ReplaceFile(path, p.Serialize());
}

}  // namespace plat
