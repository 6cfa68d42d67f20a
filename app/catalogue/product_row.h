// The product bar's row of buttons as plain data: which product each button shows, how
// many buttons fit, how the row pages through its result set, and how a product is
// mounted when it is placed. The bar's widgets only mirror this, so tests drive it
// with data rows.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "catalogue/record_set.h"

namespace tessel {

constexpr int kMaxProductButtons = 16;
constexpr int kNoSelectedButton = kMaxProductButtons;

// How many picture buttons fit between the left scroll button and the right one in a
// window of that inner width: 0 to kMaxProductButtons.
int ProductButtonCount(int clientWidth, int leftScrollLeft, int leftScrollWidth,
                       int rightScrollWidth, int buttonWidth);

struct ProductSlot {
  qint64 id = 0;    // KatalogID; 0 for an empty button
  QString name;     // BezeichnungL
  QString picture;  // the small picture's file; empty when there is none on disk
};

// The products on the buttons, always consecutive records of the set in its order.
class ProductRow {
 public:
  explicit ProductRow(QString imagesFolder = {}) : images_(std::move(imagesFolder)) {}
  void SetImagesFolder(const QString& folder) { images_ = folder; }

  // The number of buttons that show products; the others stay empty.
  void SetCount(int count);
  int Count() const { return count_; }

  // Restarts the row at the first record.
  void Fill(RecordSet& set);

  enum class Scrolled {
    kMoved,    // one product further, the row shifted
    kAtEnd,    // nothing further that way: the scroll button goes off, the row stays
    kEmpty,    // the set has no products
    kNotFound  // the product at the row's end is not in the set
  };
  // One product forward (back false) or back.
  Scrolled Scroll(RecordSet& set, bool back);

  const ProductSlot& Slot(int i) const { return slots_[static_cast<std::size_t>(i)]; }
  bool LeftEnabled() const { return leftEnabled_; }
  bool RightEnabled() const { return rightEnabled_; }

 private:
  // The current record onto button i; false when its small picture is missing.
  bool FillSlot(int i, const RecordSet& set);

  QString images_;
  int count_ = 0;
  std::array<ProductSlot, kMaxProductButtons> slots_{};
  bool leftEnabled_ = false;
  bool rightEnabled_ = false;
};

// The mount code PutProduct takes.
enum MountCode : std::int16_t {
  kMountRotated = 0,  // free-standing at the angle the user types
  kMountAbove = 1,    // 1-4: the side of the picture that stands against the wall
  kMountLeft = 4,
  kMountFree = 5,    // where the pointer puts it
  kMountCorner = 6,  // into a room corner
};
// Rotation that means "none" to the engine.
constexpr std::int16_t kNoRotation = 32767;

// What placing a product needs from the user before PutProduct.
enum class MountQuestion {
  kNone,      // the mount code is fixed
  kSide,      // the mounting dialog asks for the wall side
  kRotation,  // the product dialog asks for the angle
};
struct Mounting {
  MountQuestion ask;
  std::int16_t mount;  // the code when nothing is asked; the starting side otherwise
};
// By product number and its group (the leading number of Produktgruppe).
Mounting MountFor(qint64 id, const QString& group);

// Products that come with a caution the user confirms before placing.
bool HasPlacementCaution(qint64 id);

}  // namespace tessel
