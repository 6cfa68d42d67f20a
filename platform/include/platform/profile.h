// Profile files: the sectioned "key=value" text files plans and settings are kept in.
//
// A Profile is the whole file in memory, read once and written once. Look-ups follow
// the rules of the Windows profile functions: section and key names match without
// regard to case, names and values lose surrounding blanks, a value in a matching
// pair of quotes loses the quotes, the first of duplicate sections or keys wins, and a
// string read is cut to the buffer it is read into.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plat {

class Profile {
 public:
  // Any bytes at all: lines that are neither a section header nor a key are skipped.
  static Profile Parse(const char* data, std::size_t size);
  // Asked with lower-case names: whether a section (key empty) or a key of it is wanted.
  using KeyFilter = bool (*)(std::string_view section, std::string_view key);
  // Holds only the wanted sections and keys, and only the first of each, so a file of
  // anything else costs no memory however much of it there is; look-ups answer as Parse's
  // would for the wanted keys.
  static Profile Parse(const char* data, std::size_t size, KeyFilter keep);

  bool HasSection(const char* section) const;
  // Copies the value (or `fallback` when the key is missing) into out, cut to size - 1
  // characters and terminated; the number of characters copied.
  std::size_t GetString(const char* section, const char* key, const char* fallback, char* out,
                        std::size_t size) const;
  // The decimal value after optional blanks and sign, to the first other character;
  // `fallback` when the key is missing or its value is empty, 0 when no digit follows.
  int GetInt(const char* section, const char* key, int fallback) const;

  // Replaces the first matching key, or appends the key to its section, appending the
  // section when it is new.
  void SetString(const char* section, const char* key, const char* value);
  // The file's text: "[section]" and "key=value" lines ending in CR LF.
  std::string Serialize() const;

 private:
  struct Key {
    std::string name, value;
  };
  struct Section {
    std::string name;
    std::vector<Key> keys;
    std::unordered_map<std::string, std::size_t> index;  // lower-case name -> first key
  };
  const Key* Find(const char* section, const char* key) const;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> index_;  // lower-case name -> first section
};

// Largest file ReadWholeFile takes unless told otherwise: far beyond any settings file.
inline constexpr std::size_t kMaxProfileFileBytes = std::size_t{16} << 20;
// The whole file; false with errno when it cannot be opened or read. Only a regular
// file is read (EISDIR, or EINVAL for a FIFO or a device, found without waiting on
// it), and only one of at most `limit` bytes (EFBIG, found before anything is read).
// `size`, when given, receives the file's size once known, else -1.
bool ReadWholeFile(const char* path, std::string* out, std::size_t limit = kMaxProfileFileBytes,
                   long long* size = nullptr);
// Writes `bytes` to a new file beside `path` and renames it over `path` only once it is
// complete and flushed, then flushes the folder, so a failure at any step leaves the old
// file as it was. The new file has a name of its own made exclusively (nothing planted
// beside `path` is written through); a `path` that is a link is saved through to the file
// it names; the old file's permissions are kept. False with errno on failure.
bool ReplaceFile(const char* path, const std::string& bytes);
// Makes the next write of ReplaceFile fail after `bytes` bytes (tests); -1 turns it off.
void FailFileWritesAfter(long bytes);

// The Windows profile functions over a file, for callers that read or write a key at a
// time; each call reads the file, and each write replaces it.
std::size_t GetPrivateProfileString(const char* section, const char* key, const char* fallback,
                                    char* out, std::size_t size, const char* path);
int GetPrivateProfileInt(const char* section, const char* key, int fallback, const char* path);
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path);

}  // namespace plat
