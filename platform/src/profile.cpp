// Profile files in memory, and writing a file so that a failure never loses the old one.
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

}  // namespace

Profile Profile::Parse(const char* data, std::size_t size) {
  Profile p;
  if (!data) return p;
  const char* end = data + size;
  Section* current = nullptr;
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
      p.sections_.push_back(Section{name, {}, {}});
      current = &p.sections_.back();
      p.index_.emplace(Lower(name.c_str()), p.sections_.size() - 1);
      continue;
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || !current) continue;
    Key k{Trim(text.data(), text.data() + eq),
          Trim(text.data() + eq + 1, text.data() + text.size())};
    // A value in a matching pair of quotes is the text between them.
    if (k.value.size() >= 2 && (k.value[0] == '"' || k.value[0] == '\'') &&
        k.value.back() == k.value[0])
      k.value = k.value.substr(1, k.value.size() - 2);
    current->index.emplace(Lower(k.name.c_str()), current->keys.size());
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

bool ReadWholeFile(const char* path, std::string* out) {
  if (!path || !out) return false;
  const int fd = ::open(path, O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  out->clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    out->append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

void FailFileWritesAfter(long bytes) {
  failAfter = bytes;
}

bool ReplaceFile(const char* path, const std::string& bytes) {
  if (!path || !*path) return false;
  // The new text goes into a file of its own in the same folder, so the rename that
  // puts it in place is atomic; until then the old file is untouched.
  std::string temp = std::string(path) + ".~tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    std::size_t chunk = bytes.size() - done;
    if (failAfter >= 0) {
      if (static_cast<long>(done) >= failAfter) {
        ok = false;
        errno = ENOSPC;
        break;
      }
      chunk = std::min(chunk, static_cast<std::size_t>(failAfter) - done);
    }
    const ssize_t n = ::write(fd, bytes.data() + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), path) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
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
