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
#include <unordered_map>
#include <vector>

namespace plat {

class Profile {
 public:
  // Any bytes at all: lines that are neither a section header nor a key are skipped.
  static Profile Parse(const char* data, std::size_t size);

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

// The whole file; false when it cannot be opened or read (a directory included).
bool ReadWholeFile(const char* path, std::string* out);
// Writes `bytes` to a new file beside `path` and renames it over `path` only once it is
// complete and flushed, so a failure at any step leaves the old file as it was.
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
