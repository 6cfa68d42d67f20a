// Plan files: a profile file with a "Layout" section (the room) and, for a whole
// design, a "Design" section (the furnishing), one line per record in list order.
//
// A file is read whole and checked whole before the plan changes, so a file that is
// damaged anywhere leaves the open plan as it was. A save builds the whole text first
// and replaces the old file only when the new one is complete.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "persistence/persistence.h"
#include "platform/profile.h"
#include "view/view.h"

namespace vrx {

namespace {

// The value a missing "count" reads as; a file that says 32767 counts as missing too.
constexpr int kMissingCount = 32767;
// Positions are stored less this offset.
constexpr int kPositionOffset = 120;
// Record lines of the room are read into a buffer of this size (longer ones are cut),
// those of the furnishing into a larger one.
constexpr std::size_t kLayoutLineSize = 80;
constexpr std::size_t kDesignLineSize = 512;

// Positions are written with two digits at least, so "00" to "99", then "100".
std::string KeyOf(int position) {
  char key[16];
  std::snprintf(key, sizeof key, "%2.2d", position);
  return key;
}

// A record line split at commas: runs of commas count as one, empty fields vanish.
struct Fields {
  char kind[kKindNameSize] = {};
  std::int32_t numbers[7] = {};  // x, y, p0, p1, p2, l0, l1 as written
  std::string name;              // field 7 of a product line: the bitmap file name
};

// Decimal after blanks and an optional sign, to the first other character; 32 bits.
std::int32_t Number(const char* p, const char* end) {
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::uint32_t v = 0;
  while (p < end && *p >= '0' && *p <= '9') v = v * 10u + static_cast<std::uint32_t>(*p++ - '0');
  return static_cast<std::int32_t>(negative ? 0u - v : v);
}

// Fields past which a product line's file name may not reach: kind, x, y, p0, p1, p2,
// name, l1.
constexpr std::size_t kProductNameToken = 6;
constexpr std::size_t kProductLineTokens = 8;

Fields Split(const char* line, bool productName) {
  Fields f;
  struct Token {
    const char* begin = nullptr;
    const char* end = nullptr;
  };
  // The fields a line has room for, and the last two wherever they are: a product's
  // name may hold commas of its own.
  Token tokens[kProductLineTokens];
  Token beforeLast, last;
  std::size_t count = 0;
  for (const char* p = line; *p;) {
    if (*p == ',') {
      ++p;
      continue;
    }
    const char* end = p;
    while (*end && *end != ',') ++end;
    if (count < kProductLineTokens) tokens[count] = Token{p, end};
    beforeLast = last;
    last = Token{p, end};
    ++count;
    p = end;
  }
  // The kind is the line's first field, and a plan file's values lose their leading
  // blanks when read; a kind that followed a comma with blanks would lose them only
  // on the next reading, so it loses them here, and a kind of blanks alone is none.
  while (count > 0 && tokens[0].begin < tokens[0].end &&
         (*tokens[0].begin == ' ' || *tokens[0].begin == '\t'))
    ++tokens[0].begin;
  if (count == 0 || tokens[0].begin == tokens[0].end) return f;
  std::memcpy(f.kind, tokens[0].begin,
              std::min<std::size_t>(static_cast<std::size_t>(tokens[0].end - tokens[0].begin),
                                    kKindNameSize - 1));
  const bool product = productName && KindCodeOf(f.kind) == kKindProduct;
  if (product && count > kProductLineTokens) {
    // More fields than a product line has: the name is everything between the sixth
    // field and the last one, commas included ("Bad, oben"). A line with no comma in
    // its name has no more fields than that, and reads as it always did.
    for (std::size_t i = 1; i < kProductNameToken; ++i)
      f.numbers[i - 1] = Number(tokens[i].begin, tokens[i].end);
    f.name.assign(tokens[kProductNameToken].begin, beforeLast.end);
    f.numbers[kProductNameToken] = Number(last.begin, last.end);
    return f;
  }
  for (std::size_t i = 1; i < count && i < kProductLineTokens; ++i) {
    if (product && i == kProductNameToken)
      f.name.assign(tokens[i].begin, tokens[i].end);
    else
      f.numbers[i - 1] = Number(tokens[i].begin, tokens[i].end);
  }
  // Fields missing at the end of a short line read as 0.
  return f;
}

std::string LineOf(const ObjectRecord& r) {
  // A record without a kind came from an empty or missing line, and goes back as one.
  if (r.kind[0] == '\0') return {};
  char line[kMaxFileName + 128];
  const bool product = KindCodeOf(r.kind) == kKindProduct;
  const int x = r.x - kPositionOffset, y = r.y - kPositionOffset;
  const auto p0 = static_cast<std::int32_t>(r.p0), p1 = static_cast<std::int32_t>(r.p1),
             p2 = static_cast<std::int32_t>(r.p2), l1 = static_cast<std::int32_t>(r.l1);
  // A product keeps its bitmap's file name in the file, in either section: its number
  // would mean nothing once the plan is closed.
  const char* name = product ? NameOf(r.l0) : nullptr;
  if (product && (!name || !*name)) {
    // A product line that had no file name had nothing after its angle either; an
    // empty field would vanish on reading and move the next value into the name.
    std::snprintf(line, sizeof line, "%.*s,%d,%d,%d,%d,%d", kKindNameSize, r.kind, x, y, p0, p1,
                  p2);
  } else if (product) {
    std::snprintf(line, sizeof line, "%.*s,%d,%d,%d,%d,%d,%s,%d", kKindNameSize, r.kind, x, y, p0,
                  p1, p2, name ? name : "", l1);
  } else {
    std::snprintf(line, sizeof line, "%.*s,%d,%d,%d,%d,%d,%d,%d", kKindNameSize, r.kind, x, y, p0,
                  p1, p2, static_cast<std::int32_t>(r.l0), l1);
  }
  return line;
}

// A section as the profile format writes it, "[name]" then "key=value" lines ending
// in CR LF. Written straight out: every key is new, so nothing needs looking up.
void WriteSection(std::string& out, const char* section, const ObjectList& list) {
  out += '[';
  out += section;
  out += "]\r\ncount=";
  out += std::to_string(list.count);
  out += "\r\n";
  for (int i = 0; i < list.count && i < kMaxListEntries; ++i) {
    out += KeyOf(i);
    out += '=';
    out += LineOf(core.table[list.entries[i]]);
    out += "\r\n";
  }
}

// The records of one section. Only the count decides whether a section can be read:
// it must be there and fit the lists. Every record line loads as it stands: a missing
// key is an empty line, missing numbers read as 0, a kind this engine does not know
// is kept (and draws nothing), and a position off the worksheet is kept in 16 bits,
// so opening and saving a plan never drops what the file held.
long ReadSection(const plat::Profile& file, const char* section, std::size_t lineSize,
                 std::vector<Fields>* out) {
  const int count = file.GetInt(section, "count", kMissingCount);
  if (count == kMissingCount || count < 0 || count > kMaxListEntries) return TR_NoCountKey;
  std::vector<char> line(kMaxFileName + 2);
  for (int i = 0; i < count; ++i) {
    const std::string key = KeyOf(i);
    file.GetString(section, key.c_str(), "", line.data(), lineSize);
    Fields f = Split(line.data(), false);
    if (KindCodeOf(f.kind) == kKindProduct) {
      // Product lines carry a file name and may be longer than any other.
      file.GetString(section, key.c_str(), "", line.data(), line.size());
      f = Split(line.data(), true);
    }
    out->push_back(std::move(f));
  }
  return TR_Done;
}

int FreeRecords() {
  int n = 0;
  for (const ObjectRecord& r : core.table) n += r.useCount < 1;
  return n;
}

// Fills a list from checked records; `next` is where the search for a free record
// goes on, since nothing is freed while a plan loads.
void FillList(ObjectList& list, const std::vector<Fields>& records, int* next) {
  list.count = 0;
  for (const Fields& f : records) {
    std::memset(&core.request, 0, sizeof core.request);
    std::memcpy(core.request.kind, f.kind, kKindNameSize);
    // Kept in 16 bits, as the record holds it: a value off the worksheet wraps, and
    // writes back as the same record.
    core.request.x =
        static_cast<std::uint16_t>(static_cast<std::uint32_t>(f.numbers[0]) + kPositionOffset);
    core.request.y =
        static_cast<std::uint16_t>(static_cast<std::uint32_t>(f.numbers[1]) + kPositionOffset);
    core.request.p0 = static_cast<std::uint32_t>(f.numbers[2]);
    core.request.p1 = static_cast<std::uint32_t>(f.numbers[3]);
    core.request.p2 = static_cast<std::uint32_t>(f.numbers[4]);
    core.request.l0 = static_cast<std::uint32_t>(f.numbers[5]);
    core.request.l1 = static_cast<std::uint32_t>(f.numbers[6]);
    if (KindCodeOf(f.kind) == kKindProduct) core.request.l0 = CopyName(f.name.c_str());
    const int record = AllocateRecord(*next);
    if (record < 0) break;  // not reached: the free records were counted first
    *next = record + 1;
    list.entries[list.count++] = static_cast<std::uint16_t>(record);
  }
}

}  // namespace

namespace {

// Only the two sections of a plan, their counts and the keys of list positions are
// held while a file is read; whatever else a file holds costs nothing.
bool PlanKey(std::string_view section, std::string_view key) {
  if (section != "layout" && section != "design") return false;
  if (key.empty() || key == "count") return true;
  if (key.size() > 3) return false;
  int position = 0;
  for (const char c : key) {
    if (c < '0' || c > '9') return false;
    position = position * 10 + (c - '0');
  }
  return position < kMaxListEntries;
}

// A plan that travelled through other editors may begin with a UTF-8 byte order mark
// and end its lines in CR, LF, CR LF or LF CR: the mark is skipped and every CR read
// as a line end (an empty line between two ends is no line of the plan).
plat::Profile ParsePlan(const char* data, std::size_t size) {
  constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
  constexpr std::size_t kMarkSize = sizeof kByteOrderMark - 1;
  if (data && size >= kMarkSize && std::memcmp(data, kByteOrderMark, kMarkSize) == 0) {
    data += kMarkSize;
    size -= kMarkSize;
  }
  if (!data || !std::memchr(data, '\r', size)) return plat::Profile::Parse(data, size, PlanKey);
  std::string text(data, size);
  std::replace(text.begin(), text.end(), '\r', '\n');
  return plat::Profile::Parse(text.data(), text.size(), PlanKey);
}

}  // namespace

long LoadPlanText(const char* data, std::size_t size, bool design) {
  const plat::Profile file = ParsePlan(data, size);
  std::vector<Fields> layout, furnishing;
  if (const long r = ReadSection(file, "Layout", kLayoutLineSize, &layout); r != TR_Done) return r;
  if (design) {
    if (const long r = ReadSection(file, "Design", kDesignLineSize, &furnishing); r != TR_Done)
      return r;
  }
  // The new records need room in the table. The history of the plan being replaced
  // goes first, then (only when both plans are too big to be held together) the plan
  // itself: the file has been checked, so nothing can fail from here on.
  const int needed = static_cast<int>(layout.size() + furnishing.size());
  if (FreeRecords() < needed) ClearHistory();
  if (FreeRecords() < needed) {
    core.layout.count = 0;
    core.design.count = 0;
    ClearHistory();
  }
  std::memset(&core.request, 0, sizeof core.request);
  int next = 0;
  FillList(core.layout, layout, &next);
  FillList(core.design, furnishing, &next);
  std::memset(&core.request, 0, sizeof core.request);
  return TR_Done;
}

namespace {

long Load(const char* name, bool design) {
  if (!name) return TR_Failed;
  std::string text;
  long long size = -1;
  if (!plat::ReadWholeFile(name, &text, kMaxPlanFileBytes, &size)) {
    const int error = errno;
    if (error == EFBIG)
      EngineTrace("Plan file too large: %s has %lld bytes, a plan at most %ld", name, size,
                  kMaxPlanFileBytes);
    else if (error == EINVAL || error == EISDIR)
      EngineTrace("Plan file %s is not a regular file", name);
    else
      EngineTrace("Can't read plan file %s: %s", name, std::strerror(error));
    return TR_FileUnreadable;
  }
  return LoadPlanText(text.data(), text.size(), design);
}

long Save(const char* name, bool design) {
  if (!name || !*name) return TR_Failed;
  return plat::ReplaceFile(name, SavePlanText(design)) ? TR_Done : TR_SaveFailed;
}

}  // namespace

std::string SavePlanText(bool design) {
  std::string text;
  WriteSection(text, "Layout", core.layout);
  if (design) WriteSection(text, "Design", core.design);
  return text;
}

long LoadLayoutFile(const char* name) {
  return Load(name, false);
}
long LoadDesignFile(const char* name) {
  return Load(name, true);
}
long SaveLayoutFile(const char* name) {
  return Save(name, false);
}
long SaveDesignFile(const char* name) {
  return Save(name, true);
}

}  // namespace vrx
