#include <QPainter>
#include <cmath>
#include <numbers>

#include "dialogs/dialogs_p.h"

namespace tessel {

namespace {

// Line drawings that explain the numbers, drawn around the middle of the box so that
// a resize keeps them centred.
class Illustration : public QWidget {
 public:
  using Kind = IllustrationKind;
  Illustration(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const QPointF c = QRectF(rect()).center();
    switch (kind_) {
      case IllustrationKind::kRotatedRectangle:
        DrawRotation(p, ink, c);
        break;
      case IllustrationKind::kCornerLegs:
        DrawCorner(p, ink, c);
        break;
      case IllustrationKind::kCircle:
        DrawCircle(p, ink, c);
        break;
    }
  }

 private:
  static void Arrowhead(QPainter& p, QPointF tip, double angleDegrees) {
    const double a = angleDegrees * std::numbers::pi / 180.0;
    const double spread = 0.45, length = 7.0;
    const QPointF left(tip.x() - length * std::cos(a - spread),
                       tip.y() + length * std::sin(a - spread));
    const QPointF right(tip.x() - length * std::cos(a + spread),
                        tip.y() + length * std::sin(a + spread));
    p.drawLine(tip, left);
    p.drawLine(tip, right);
  }

  // A rectangle turned about its lower left corner, with the angle from the
  // unturned base line marked by an arc.
  static void DrawRotation(QPainter& p, const QColor& ink, QPointF c) {
    const QPointF pivot(c.x() - 70, c.y() + 40);
    const double angle = 25.0;
    QPen dashed(ink, 1.0, Qt::DashLine);
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawLine(pivot, QPointF(pivot.x() + 160, pivot.y()));
    p.drawRect(QRectF(pivot.x(), pivot.y() - 40, 120, 40));
    p.save();
    p.translate(pivot);
    p.rotate(-angle);
    p.setPen(QPen(ink, 2.0));
    p.drawRect(QRectF(0, -40, 120, 40));
    p.restore();
    p.setPen(QPen(ink, 1.0));
    const double radius = 140.0;
    p.drawArc(QRectF(pivot.x() - radius, pivot.y() - radius, 2 * radius, 2 * radius), 0,
              static_cast<int>(angle * 16));
    const double a = angle * std::numbers::pi / 180.0;
    Arrowhead(p, QPointF(pivot.x() + radius * std::cos(a), pivot.y() - radius * std::sin(a)),
              angle + 90);
  }

  // A room corner cut between a point on each wall; the two legs are measured along
  // the walls from the corner.
  static void DrawCorner(QPainter& p, const QColor& ink, QPointF c) {
    const QPointF corner(c.x() - 70, c.y() - 45);
    const double wall = 8.0, length = 150.0, leg = 60.0;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(corner.x() - wall, corner.y() - wall, length + wall, wall));
    p.drawRect(QRectF(corner.x() - wall, corner.y(), wall, length * 0.6));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 2.0));
    const QPointF onTop(corner.x() + leg, corner.y()), onSide(corner.x(), corner.y() + leg);
    p.drawLine(onTop, onSide);
    p.setPen(QPen(ink, 1.0));
    const double offset = -(wall + 8.0);  // outside the walls
    const QPointF a1(corner.x(), corner.y() + offset), a2(corner.x() + leg, corner.y() + offset);
    p.drawLine(a1, a2);
    Arrowhead(p, a1, 180);
    Arrowhead(p, a2, 0);
    const QPointF b1(corner.x() + offset, corner.y()), b2(corner.x() + offset, corner.y() + leg);
    p.drawLine(b1, b2);
    Arrowhead(p, b1, 90);
    Arrowhead(p, b2, -90);
  }

  // A circle with its diameter.
  static void DrawCircle(QPainter& p, const QColor& ink, QPointF c) {
    const double r = 30.0;
    p.setPen(QPen(ink, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(ink, 1.0));
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    Arrowhead(p, QPointF(c.x() + r, c.y()), 0);
    Arrowhead(p, QPointF(c.x() - r, c.y()), 180);
  }

  Kind kind_;
};

}  // namespace

QWidget* NewIllustration(IllustrationKind kind, QWidget* parent) {
  return new Illustration(kind, parent);
}

}  // namespace tessel
