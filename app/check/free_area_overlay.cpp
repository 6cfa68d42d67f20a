#include "check/free_area_overlay.h"

#include <QPainter>
#include <algorithm>
#include <iterator>

#include "shell/settings.h"

namespace tessel {

namespace {

// Translucent, so the plan stays readable under the zones.
const QColor kFreeTint(40, 160, 70, 70);
const QColor kFreeEdge(40, 140, 60, 200);
const QColor kBlockedTint(220, 30, 30, 90);
const QColor kBlockedEdge(200, 20, 20, 230);

// Where the setting is kept, by words rather than numbers, so the settings file reads
// plainly and a reordered enumeration never turns one setting into another.
const char kCheckSection[] = "Check";
const char kSettingName[] = "FreeAreaSetting";
constexpr struct {
  FreeAreaSetting setting;
  const char* word;
} kSettingWords[] = {{FreeAreaSetting::kPrivate, "Private"},
                     {FreeAreaSetting::kBarrierFree, "BarrierFree"},
                     {FreeAreaSetting::kWheelchair, "Wheelchair"}};

}  // namespace

FreeAreaSetting ReadFreeAreaSetting() {
  const QString word = ReadSetting(kCheckSection, kSettingName, "").trimmed();
  for (const auto& known : kSettingWords)
    if (word.compare(known.word, Qt::CaseInsensitive) == 0) return known.setting;
  // Nothing kept, or a word from elsewhere: a private bathroom, as the check starts.
  return FreeAreaSetting::kPrivate;
}

bool SaveFreeAreaSetting(FreeAreaSetting setting) {
  const auto known = std::find_if(std::begin(kSettingWords), std::end(kSettingWords),
                                  [setting](const auto& k) { return k.setting == setting; });
  if (known == std::end(kSettingWords)) return false;
  return SaveSetting(kCheckSection, kSettingName, known->word);
}

QList<FreeAreaShape> FreeAreaShapes(const PlanText& plan, const CheckCatalogue& catalogue,
                                    FreeAreaSetting setting) {
  const FloorMap floor(plan.layout);
  QList<int> blocked;
  for (const Finding& f : CheckPlan(plan, catalogue, setting))
    if (f.kind == FindingKind::kFreeAreaBlocked) blocked << f.product;
  QList<FreeAreaShape> shapes;
  for (const CheckProduct& p : ProductsOf(plan, floor, catalogue, setting)) {
    if (p.rule.width <= 0 || p.rule.depth <= 0) continue;
    const QPointF front = p.FrontMiddle();
    const QPointF side = p.across * (p.rule.width * kPixelsPerCm / 2.0);
    const QPointF reach = p.deep * (p.rule.depth * kPixelsPerCm);
    FreeAreaShape s;
    s.area << front - side << front + side << front + side + reach << front - side + reach;
    s.blocked = blocked.contains(p.position);
    shapes << s;
  }
  return shapes;
}

void PaintFreeAreas(QPainter& painter, const QList<FreeAreaShape>& shapes,
                    const QTransform& sheetToWidget) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  // Free zones first, so a blocked one lies on top where they overlap.
  for (bool blocked : {false, true})
    for (const FreeAreaShape& s : shapes) {
      if (s.blocked != blocked) continue;
      const QPolygonF area = sheetToWidget.map(s.area);
      const QRectF box = area.boundingRect();
      // Zones along the walls are upright rectangles: the painter's rectangle fill is
      // far quicker than its polygon scan.
      const bool upright = std::all_of(area.begin(), area.end(), [&](QPointF p) {
        return (p.x() == box.left() || p.x() == box.right()) &&
               (p.y() == box.top() || p.y() == box.bottom());
      });
      if (upright) {
        // The edge as four one-pixel fills as well: stroking is what costs here.
        const QRect r = box.toRect();
        const QColor edge = blocked ? kBlockedEdge : kFreeEdge;
        painter.fillRect(r.adjusted(1, 1, -1, -1), blocked ? kBlockedTint : kFreeTint);
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), edge);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), edge);
        painter.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), edge);
        painter.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), edge);
        continue;
      }
      painter.setPen(QPen(blocked ? kBlockedEdge : kFreeEdge, 0));
      painter.setBrush(blocked ? kBlockedTint : kFreeTint);
      painter.drawPolygon(area);
    }
  painter.restore();
}

}  // namespace tessel
