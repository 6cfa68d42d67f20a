// What the status bar says about the object under the pointer or selected: the
// engine names a selected product by its catalogue number, and the catalogue turns
// that number into a description and sizes. Plain code, so that the rule can be read
// and tested without a window.
#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace tessel {

// What the catalogue knows of a product: its one-line description and its sizes in
// centimetres as the catalogue writes them (empty when it gives none).
struct ProductFacts {
  QString description;
  QString width, depth, height;
};
// Looks a catalogue number up; nothing when the catalogue does not have it. The product
// bar provides it; without one every product is unknown.
using ProductLookup = std::function<std::optional<ProductFacts>(int katalogId)>;

// The message line and the three size boxes; a size is shown only when it is not empty.
struct SelectionStatus {
  QString message;
  QString width, depth, height;
};

// The description the catalogue gives for a product it does not have.
inline const QString kUnknownProduct = QStringLiteral("<>");

// selectedProductId is the engine's iSelProdId: below 1 when the object under the
// pointer or selected is no product, or there is none.
SelectionStatus DescribeSelection(int selectedProductId, const ProductLookup& lookup);

}  // namespace tessel
