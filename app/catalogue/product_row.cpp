#include "catalogue/product_row.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>

#include "catalogue/catalogue.h"

namespace tessel {

namespace {

// Corner bathtubs and corner shower trays: they fit into a corner only one way round.
constexpr qint64 kCornerProducts[] = {139, 182, 183, 184, 210};
// The free-standing bathtub, the one product the user turns by a typed angle.
constexpr qint64 kRotatedProduct = 239;
// The toilet with lifting pump, which needs conditions checked with the dealer.
constexpr qint64 kCautionProduct = 492;
// Groups of bathtubs, shower trays, whirlpools and washing machines: they stand with
// one chosen side against a wall.
constexpr int kFirstSideGroup = 9, kEndSideGroup = 15;

int LeadingNumber(const QString& text) {
  int n = 0;
  for (QChar c : text.trimmed()) {
    if (!c.isDigit() || n > 3276) break;
    n = n * 10 + c.digitValue();
  }
  return n;
}

}  // namespace

int ProductButtonCount(int clientWidth, int leftScrollLeft, int leftScrollWidth,
                       int rightScrollWidth, int buttonWidth) {
  if (buttonWidth <= 0) return 0;
  const int free = clientWidth - rightScrollWidth - leftScrollLeft - leftScrollWidth;
  if (free <= 0) return 0;
  return std::min(free / buttonWidth, kMaxProductButtons);
}

void ProductRow::SetCount(int count) {
  count_ = std::clamp(count, 0, kMaxProductButtons);
}

bool ProductRow::FillSlot(int i, const RecordSet& set) {
  ProductSlot& slot = slots_[static_cast<std::size_t>(i)];
  slot.id = set.Field("KatalogID").toLongLong();
  slot.name = set.Field("BezeichnungL").toString();
  const QString plan = set.Field("Plangrafik").toString();
  const QString file = QDir(images_).filePath(SmallPictureName(plan));
  slot.picture = !plan.isEmpty() && QFileInfo(file).isFile() ? file : QString();
  return !slot.picture.isEmpty();
}

void ProductRow::Fill(RecordSet& set) {
  int i = 0;
  if (set.RecordCount() > 0) {
    for (set.MoveFirst(); i < count_ && !set.Eof(); set.MoveNext()) FillSlot(i++, set);
  }
  leftEnabled_ = false;
  rightEnabled_ = true;
  // A row with room left over has shown the last product: nothing follows.
  for (; i < kMaxProductButtons; ++i) {
    slots_[static_cast<std::size_t>(i)] = {};
    if (i < count_) rightEnabled_ = false;
  }
}

ProductRow::Scrolled ProductRow::Scroll(RecordSet& set, bool back) {
  if (set.RecordCount() == 0) return Scrolled::kEmpty;
  if (count_ == 0) return Scrolled::kAtEnd;
  const int reference = back ? 0 : count_ - 1;
  if (!set.FindFirst("KatalogID = " + QString::number(Slot(reference).id)))
    return Scrolled::kNotFound;
  if (!back) {
    set.MoveNext();
    leftEnabled_ = true;
    if (set.Eof()) {
      set.MoveLast();
      rightEnabled_ = false;
      return Scrolled::kAtEnd;
    }
    set.MoveNext();
    if (set.Eof()) rightEnabled_ = false;
    set.MovePrevious();
    for (int k = 1; k < count_; ++k)
      slots_[static_cast<std::size_t>(k - 1)] = slots_[static_cast<std::size_t>(k)];
    FillSlot(count_ - 1, set);
  } else {
    set.MovePrevious();
    rightEnabled_ = true;
    if (set.Bof()) {
      set.MoveFirst();
      leftEnabled_ = false;
      return Scrolled::kAtEnd;
    }
    set.MovePrevious();
    if (set.Bof()) leftEnabled_ = false;
    set.MoveNext();
    for (int k = count_ - 2; k >= 0; --k)
      slots_[static_cast<std::size_t>(k + 1)] = slots_[static_cast<std::size_t>(k)];
    FillSlot(0, set);
  }
  return Scrolled::kMoved;
}

Mounting MountFor(qint64 id, const QString& group) {
  for (qint64 corner : kCornerProducts)
    if (id == corner) return {MountQuestion::kNone, kMountCorner};
  if (id == kRotatedProduct) return {MountQuestion::kRotation, kMountRotated};
  const int g = LeadingNumber(group);
  if (g >= kFirstSideGroup && g < kEndSideGroup) return {MountQuestion::kSide, kMountAbove};
  return {MountQuestion::kNone, kMountFree};
}

bool HasPlacementCaution(qint64 id) {
  return id == kCautionProduct;
}

}  // namespace tessel
