// Product bitmaps: the reader of 8-bit bitmap files, which takes untrusted bytes, and
// the cache that keeps decoded bitmaps between redraws.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/profile.h"
#include "products/products_p.h"

namespace vrx {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;
constexpr std::uint16_t kMagic = 0x4D42;  // "BM"

std::uint32_t Read32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}
std::uint16_t Read16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

const char* BitmapResultText(BitmapResult result) {
  switch (result) {
    case BitmapResult::kOk:
      return "ok";
    case BitmapResult::kNotBitmap:
      return "not a bitmap file";
    case BitmapResult::kTruncated:
      return "header or colour table cut short";
    case BitmapResult::kBadSize:
      return "width or height out of range";
    case BitmapResult::kNotEightBit:
      return "not 8 bits per pixel";
    case BitmapResult::kCompressed:
      return "compressed rows";
    case BitmapResult::kPixelsPastEnd:
      return "pixel rows past the end of the file";
    case BitmapResult::kNoMemory:
      return "Not enough memory";
    case BitmapResult::kCannotOpen:
      return "Can't open BMP for product";
    case BitmapResult::kTooLarge:
      return "file too large for a product bitmap";
    case BitmapResult::kNotRegularFile:
      return "not a regular file";
  }
  return "unknown";
}

BitmapResult ReadProductBitmap(const std::uint8_t* data, std::size_t size, bool withPixels,
                               ProductBitmap* out) {
  *out = ProductBitmap{};
  if (!data || size < 2 || Read16(data) != kMagic) return BitmapResult::kNotBitmap;
  if (size < kFileHeader + kInfoHeader) return BitmapResult::kTruncated;
  const std::uint32_t offBits = Read32(data + 10);
  const std::uint32_t headerSize = Read32(data + 14);
  // The older 12-byte core header has no compression field; the newer ones extend
  // the 40-byte header, whose fields keep their places.
  if (headerSize < kInfoHeader || headerSize > size - kFileHeader) return BitmapResult::kTruncated;
  const auto width = static_cast<std::int32_t>(Read32(data + 18));
  const auto height = static_cast<std::int32_t>(Read32(data + 22));
  const std::uint16_t bits = Read16(data + 28);
  const std::uint32_t compression = Read32(data + 30);
  std::uint32_t colours = Read32(data + 46);
  // Bottom-up rows only: a negative height is refused like any other absurd size.
  if (width < 1 || height < 1 || width > kMaxProductSide || height > kMaxProductSide)
    return BitmapResult::kBadSize;
  if (bits != 8) return BitmapResult::kNotEightBit;
  if (compression != 0) return BitmapResult::kCompressed;
  if (colours == 0) colours = 256;
  if (colours > 256) return BitmapResult::kTruncated;
  const std::size_t tableEnd = kFileHeader + headerSize + std::size_t{colours} * 4;
  if (tableEnd > size) return BitmapResult::kTruncated;
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
  const std::size_t rows = stride * static_cast<std::size_t>(height);
  if (offBits < kFileHeader + headerSize || offBits > size || rows > size - offBits)
    return BitmapResult::kPixelsPastEnd;

  out->width = width;
  out->height = height;
  if (!withPixels) return BitmapResult::kOk;
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  auto* pixels = static_cast<std::uint8_t*>(std::malloc(bytes));
  if (!pixels) return BitmapResult::kNoMemory;
  // Stored bottom-up: the last row of the file is the top of the picture.
  for (std::int32_t row = 0; row < height; ++row)
    std::memcpy(pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(width),
                data + offBits + stride * static_cast<std::size_t>(height - 1 - row),
                static_cast<std::size_t>(width));
  out->pixels = pixels;
  return BitmapResult::kOk;
}

void FreeProductBitmap(ProductBitmap* bitmap) {
  if (!bitmap) return;
  std::free(bitmap->pixels);
  *bitmap = ProductBitmap{};
}

// --- The cache --------------------------------------------------------------------

namespace {

struct FileStamp {
  long long size, seconds, nanoseconds;
  unsigned long long inode;
  bool operator==(const FileStamp&) const = default;
};

struct CachedBitmap {
  char* path;  // heap copy; nullptr for an empty entry
  std::uint64_t hash;
  FileStamp stamp;
  std::uint32_t checked;  // generation of the last check against the file
  std::uint32_t used;     // for choosing the entry to reuse
  BitmapResult result;
  ProductBitmap bitmap;
};

constinit CachedBitmap cache[kBitmapCacheEntries] = {};
constinit std::uint32_t generation = 1;
constinit std::uint32_t useClock = 0;
constinit std::uint32_t bitmapSerial = 0;

std::uint64_t HashPath(const char* path) {
  std::uint64_t h = 1469598103934665603ull;
  for (const char* p = path; *p; ++p) h = (h ^ static_cast<std::uint8_t>(*p)) * 1099511628211ull;
  return h;
}

bool StampOf(const char* path, FileStamp* stamp) {
  struct stat st {};
  if (::stat(path, &st) != 0) return false;
  *stamp = FileStamp{static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                     static_cast<long long>(st.st_mtim.tv_nsec),
                     static_cast<unsigned long long>(st.st_ino)};
  return true;
}

void Empty(CachedBitmap& entry) {
  std::free(entry.path);
  FreeProductBitmap(&entry.bitmap);
  entry = CachedBitmap{};
}

// Reads the whole file, bounded by the largest product bitmap there can be. Only a
// regular file is read, and a FIFO or a device is refused without waiting on it.
BitmapResult ReadFile(const char* path, ProductBitmap* out) {
  std::string data;
  if (!plat::ReadWholeFile(path, &data, static_cast<std::size_t>(kMaxProductFileBytes))) {
    switch (errno) {
      case EFBIG:
        return BitmapResult::kTooLarge;
      case EINVAL:
      case EISDIR:
        return BitmapResult::kNotRegularFile;
      default:
        return BitmapResult::kCannotOpen;
    }
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
  BitmapResult result = ReadProductBitmap(bytes, data.size(), true, out);
  // The size alone still places the product; only its drawing is lost.
  if (result == BitmapResult::kNoMemory) result = ReadProductBitmap(bytes, data.size(), false, out);
  return result;
}

}  // namespace

const ProductBitmap* LookUpProductBitmap(const char* path, BitmapResult* result) {
  *result = BitmapResult::kCannotOpen;
  if (!path || !*path) return nullptr;
  const std::uint64_t hash = HashPath(path);
  CachedBitmap* entry = nullptr;
  for (CachedBitmap& e : cache)
    if (e.path && e.hash == hash && std::strcmp(e.path, path) == 0) entry = &e;
  if (entry && entry->checked != generation) {
    FileStamp now{};
    if (!StampOf(path, &now) || !(now == entry->stamp)) {
      Empty(*entry);
      entry = nullptr;
    } else {
      entry->checked = generation;
    }
  }
  if (!entry) {
    FileStamp stamp{};
    if (!StampOf(path, &stamp)) return nullptr;
    // The least recently used entry makes room.
    entry = &cache[0];
    for (CachedBitmap& e : cache) {
      if (!e.path) {
        entry = &e;
        break;
      }
      if (e.used < entry->used) entry = &e;
    }
    Empty(*entry);
    const std::size_t length = std::strlen(path);
    entry->path = static_cast<char*>(std::malloc(length + 1));
    if (!entry->path) {
      *result = BitmapResult::kNoMemory;
      return nullptr;
    }
    std::memcpy(entry->path, path, length + 1);
    entry->hash = hash;
    entry->stamp = stamp;
    entry->checked = generation;
    entry->result = ReadFile(path, &entry->bitmap);
    if (++bitmapSerial == 0) ++bitmapSerial;  // 0 means "not from the cache"
    entry->bitmap.serial = bitmapSerial;
  }
  entry->used = ++useClock;
  *result = entry->result;
  return entry->result == BitmapResult::kOk ? &entry->bitmap : nullptr;
}

void NextBitmapGeneration() {
  ++generation;
}

void ReleaseProductBitmaps() {
  for (CachedBitmap& e : cache) Empty(e);
  useClock = 0;
  ReleaseTurnedSprites();
}

}  // namespace vrx
