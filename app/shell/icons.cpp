#include "shell/icons.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>
#include <functional>

namespace tessel {

namespace {

const QColor kInk(0x2b, 0x36, 0x45);
const QColor kAccent(0x1f, 0x66, 0xd1);
const QColor kAccentFill(0xd6, 0xe6, 0xfb);
const QColor kDanger(0xc8, 0x32, 0x2a);
const QColor kGreyInk(0xa3, 0xab, 0xb6);
const QColor kGreyFill(0xe4, 0xe7, 0xeb);

// One picture drawn in a square of `units` units into a pixmap of `pixels` pixels, so
// that the same strokes serve every size an icon is asked for.
QPixmap Draw(int pixels, qreal units, const std::function<void(QPainter&)>& paint) {
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(pixels / units, pixels / units);
  paint(p);
  return pixmap;
}

QPen Line(const QColor& colour, qreal width = 1.6) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// ---- toolbar, in a 24-unit square ----

void Magnifier(QPainter& p, bool plus) {
  p.setPen(Line(kInk));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
  p.setPen(Line(kInk, 3));
  p.drawLine(QPointF(15, 15), QPointF(20.5, 20.5));
  p.setPen(Line(kAccent, 1.8));
  p.drawLine(QPointF(7, 10), QPointF(13, 10));
  if (plus) p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void UndoArrow(QPainter& p) {
  QPainterPath path;
  path.moveTo(5, 9);
  path.lineTo(14, 9);
  path.cubicTo(21.5, 9, 21.5, 19.5, 14, 19.5);
  path.lineTo(9, 19.5);
  p.setPen(Line(kInk, 1.8));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Line(kAccent, 1.8));
  p.drawPolyline(QPolygonF({QPointF(9.5, 4.5), QPointF(5, 9), QPointF(9.5, 13.5)}));
}

void QuestionMark(QPainter& p, const QPointF& centre, qreal radius, const QPen& pen) {
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  QPainterPath hook;
  hook.arcMoveTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 160);
  hook.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 160, -250);
  hook.lineTo(centre.x(), centre.y() + 2 * radius);
  p.drawPath(hook);
  const qreal dot = pen.widthF() * 0.62;
  p.setPen(Qt::NoPen);
  p.setBrush(pen.color());
  p.drawEllipse(QPointF(centre.x(), centre.y() + 3.3 * radius), dot, dot);
}

QPolygonF Arrow(qreal x, qreal y, qreal s) {
  const QPointF points[] = {{0, 0},      {0, 16},     {4, 12.2}, {6.8, 18.4},
                            {9.4, 17.2}, {6.7, 11.2}, {12, 11.2}};
  QPolygonF arrow;
  for (const QPointF& q : points) arrow << QPointF(x + q.x() * s, y + q.y() * s);
  return arrow;
}

void PaintToolbar(QPainter& p, const QString& key) {
  p.setPen(Line(kInk));
  p.setBrush(Qt::white);
  if (key == "new") {
    p.drawPolygon(QPolygonF({{6, 3}, {14, 3}, {19, 8}, {19, 21}, {6, 21}}));
    p.setBrush(kAccentFill);
    p.drawPolygon(QPolygonF({{14, 3}, {14, 8}, {19, 8}}));
    p.setPen(Line(kAccent, 1.8));
    p.drawLine(QPointF(9.5, 15), QPointF(15.5, 15));
    p.drawLine(QPointF(12.5, 12), QPointF(12.5, 18));
  } else if (key == "open") {
    p.drawPolygon(QPolygonF({{3, 5.5}, {9, 5.5}, {11, 7.5}, {18.5, 7.5}, {18.5, 20}, {3, 20}}));
    p.setBrush(kAccentFill);
    p.drawPolygon(QPolygonF({{3, 20}, {6.5, 11}, {22, 11}, {18.5, 20}}));
  } else if (key == "save") {
    p.setBrush(kAccentFill);
    p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 4, 8, 5));
    p.drawRect(QRectF(7, 13, 10, 7));
    p.setPen(Line(kInk, 1.4));
    p.drawLine(QPointF(13.5, 5.5), QPointF(13.5, 7.5));
  } else if (key == "print") {
    p.drawRect(QRectF(7, 3, 10, 6));
    p.setBrush(kAccentFill);
    p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 14, 10, 7));
    p.setPen(Line(kInk, 1.1));
    p.drawLine(QPointF(9, 17), QPointF(15, 17));
    p.drawLine(QPointF(9, 19), QPointF(13, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(18, 12), 1, 1);
  } else if (key == "rotateleft" || key == "rotateright") {
    // A product seen from above with the arrow it turns along; right is the mirror.
    if (key == "rotateright") {
      p.translate(24, 0);
      p.scale(-1, 1);
    }
    p.setBrush(kAccentFill);
    p.drawRoundedRect(QRectF(9, 9, 11, 11), 1.5, 1.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(Line(kAccent, 1.8));
    QPainterPath turn;
    turn.moveTo(15.5, 4.5);
    turn.arcTo(QRectF(4.5, 4.5, 14, 14), 60, 120);
    p.drawPath(turn);
    p.drawPolyline(QPolygonF({QPointF(2, 9), QPointF(4.5, 12.5), QPointF(7.5, 9.5)}));
  } else if (key == "undo") {
    UndoArrow(p);
  } else if (key == "redo") {
    p.translate(24, 0);
    p.scale(-1, 1);
    UndoArrow(p);
  } else if (key == "delete") {
    p.drawPolygon(QPolygonF({{6, 7}, {7.2, 21}, {16.8, 21}, {18, 7}}));
    p.drawLine(QPointF(10, 10.5), QPointF(10.3, 17.5));
    p.drawLine(QPointF(14, 10.5), QPointF(13.7, 17.5));
    p.setPen(Line(kDanger, 1.8));
    p.drawLine(QPointF(3.5, 6), QPointF(20.5, 6));
    p.drawPolyline(QPolygonF({{9, 6}, {9.5, 3}, {14.5, 3}, {15, 6}}));
  } else if (key == "zoomout") {
    Magnifier(p, false);
  } else if (key == "zoomin") {
    Magnifier(p, true);
  } else if (key == "base") {
    // The room's walls from above with a door, as layout mode draws them.
    QPainterPath walls;
    walls.setFillRule(Qt::OddEvenFill);
    walls.addRect(QRectF(3, 4, 18, 16));
    walls.addRect(QRectF(5.5, 6.5, 13, 11));
    p.fillPath(walls, kInk);
    p.fillRect(QRectF(12, 17.4, 5.2, 2.8), Qt::white);
    p.setPen(Line(kAccent, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(12, 18), QPointF(12, 12.5));
    p.drawArc(QRectF(6.5, 12.5, 11, 11), 0, 90 * 16);
  } else if (key == "design") {
    // A bath: what design mode furnishes the room with.
    p.setBrush(kAccentFill);
    QPainterPath tub;
    tub.moveTo(2.5, 11.5);
    tub.lineTo(21.5, 11.5);
    tub.lineTo(19.8, 17);
    tub.quadTo(19, 19, 16.5, 19);
    tub.lineTo(7.5, 19);
    tub.quadTo(5, 19, 4.2, 17);
    tub.closeSubpath();
    p.drawPath(tub);
    p.drawLine(QPointF(7.5, 19), QPointF(6.8, 21.5));
    p.drawLine(QPointF(16.5, 19), QPointF(17.2, 21.5));
    p.setBrush(Qt::NoBrush);
    QPainterPath tap;
    tap.moveTo(5, 11.5);
    tap.lineTo(5, 5);
    tap.quadTo(5, 3, 7, 3);
    tap.lineTo(9.5, 3);
    tap.lineTo(9.5, 5);
    p.drawPath(tap);
    p.setPen(Line(kAccent, 1.4));
    p.drawLine(QPointF(9.5, 7), QPointF(9.5, 8));
    p.drawLine(QPointF(12.5, 5.5), QPointF(14, 8));
  } else if (key == "list") {
    for (int row = 0; row < 3; ++row) {
      const qreal y = 6.5 + 5.5 * row;
      p.setPen(Qt::NoPen);
      p.setBrush(kAccent);
      p.drawRect(QRectF(3.5, y - 1.5, 3, 3));
      p.setPen(Line(kInk, 1.8));
      p.drawLine(QPointF(9.5, y), QPointF(20.5, y));
    }
  } else if (key == "info") {
    p.setBrush(kAccentFill);
    p.drawEllipse(QPointF(12, 12), 9, 9);
    p.setPen(Line(kAccent, 2.2));
    p.drawLine(QPointF(12, 11), QPointF(12, 16.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(12, 7.6), 1.4, 1.4);
  } else if (key == "helpon") {
    p.setPen(Line(kInk, 1.3));
    p.drawPolygon(Arrow(3, 3, 1.0));
    QuestionMark(p, QPointF(17.5, 7), 3.3, Line(kAccent, 2));
  }
}

const char* const kToolbarKeys[] = {
    "new",    "open", "save",   "print", "undo", "redo",   "delete",     "zoomout",
    "zoomin", "base", "design", "list",  "info", "helpon", "rotateleft", "rotateright"};

// ---- toolbox, in a 36-unit square ----

struct GlyphColours {
  QColor ink, accent, fill, danger;
};

void Hatch(QPainter& p, const QRectF& area, const QColor& colour) {
  p.save();
  p.setClipRect(area);
  p.setPen(QPen(colour, 1));
  for (qreal x = area.left() - area.height(); x < area.right(); x += 3.2)
    p.drawLine(QPointF(x, area.bottom()), QPointF(x + area.height(), area.top()));
  p.restore();
}

// A wall corner from above: the mass along the top and left walls, with the inner
// edge given by `inner`, which runs from the top wall to the left wall.
void Corner(QPainter& p, const GlyphColours& c, const std::function<void(QPainterPath&)>& inner) {
  QPainterPath wall;
  wall.moveTo(7, 7);
  wall.lineTo(29, 7);
  wall.lineTo(29, 11);
  inner(wall);
  wall.lineTo(11, 29);
  wall.lineTo(7, 29);
  wall.closeSubpath();
  p.fillPath(wall, c.ink);
  QPainterPath edge;
  edge.moveTo(29, 11);
  inner(edge);
  edge.lineTo(11, 29);
  p.setPen(Line(c.accent, 2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(edge);
}

void PaintTool(QPainter& p, int tool, const GlyphColours& c) {
  p.setPen(Line(c.ink, 1.6));
  p.setBrush(c.fill);
  switch (tool) {
    case 0:  // select
      p.setBrush(Qt::white);
      p.setPen(Line(c.ink, 1.4));
      p.drawPolygon(Arrow(12, 7, 1.25));
      break;
    case 1:  // delete selected
      p.setPen(QPen(c.ink, 1.3, Qt::DashLine));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(6.5, 8.5, 16, 16));
      p.setPen(Qt::NoPen);
      p.setBrush(c.fill);
      p.drawRect(QRectF(10, 12, 9, 9));
      p.setPen(Line(c.danger, 2.8));
      p.drawLine(QPointF(20, 18), QPointF(29, 27));
      p.drawLine(QPointF(29, 18), QPointF(20, 27));
      break;
    case 2:  // user rectangle
      p.drawRect(QRectF(7.5, 10.5, 21, 15));
      break;
    case 3:  // user circle
      p.drawEllipse(QPointF(18, 18), 10.5, 10.5);
      break;
    case 4: {  // free wall
      const QRectF wall(6, 14.5, 24, 7);
      p.setBrush(c.fill);
      p.drawRect(wall);
      Hatch(p, wall, c.ink);
      p.setPen(Line(c.ink, 1.6));
      p.setBrush(Qt::NoBrush);
      p.drawRect(wall);
      break;
    }
    case 5: {  // wall rectangle
      QPainterPath walls;
      walls.setFillRule(Qt::OddEvenFill);
      walls.addRect(QRectF(6, 8, 24, 20));
      walls.addRect(QRectF(9.5, 11.5, 17, 13));
      p.fillPath(walls, c.ink);
      p.fillRect(QRectF(9.5, 11.5, 17, 13), c.fill);
      break;
    }
    case 6:  // diagonal corner
      Corner(p, c, [](QPainterPath& path) {
        path.lineTo(20, 11);
        path.lineTo(11, 20);
      });
      break;
    case 7:  // round corner
      Corner(p, c, [](QPainterPath& path) {
        path.lineTo(21, 11);
        path.cubicTo(15.5, 11, 11, 15.5, 11, 21);
      });
      break;
    case 8:  // door
      p.fillRect(QRectF(4, 25, 6, 4), c.ink);
      p.fillRect(QRectF(28, 25, 4, 4), c.ink);
      p.setPen(QPen(c.accent, 1.2, Qt::DashLine));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(10 - 18, 25 - 18, 36, 36), 0, 90 * 16);
      p.setPen(Line(c.ink, 2.2));
      p.drawLine(QPointF(10, 25), QPointF(10, 7));
      break;
    case 9:  // window
      p.fillRect(QRectF(4, 15, 7, 6), c.ink);
      p.fillRect(QRectF(25, 15, 7, 6), c.ink);
      p.setBrush(Qt::white);
      p.setPen(Line(c.ink, 1.2));
      p.drawRect(QRectF(11, 15, 14, 6));
      p.setPen(Line(c.accent, 1.2));
      p.drawLine(QPointF(11, 17), QPointF(25, 17));
      p.drawLine(QPointF(11, 19), QPointF(25, 19));
      break;
    default:
      break;
  }
}

struct Face {
  QColor top, bottom, border, light, shade;
};

// Light from the top left: lit edges up and left, shaded ones down and right; pressed
// swaps them, disabled is flat.
const Face kFaces[kToolboxLists] = {
    {QColor(0xf8, 0xf9, 0xfb), QColor(0xdf, 0xe4, 0xea), QColor(0xa4, 0xae, 0xbb), Qt::white,
     QColor(0xb9, 0xc1, 0xcc)},
    {QColor(0xec, 0xf4, 0xff), QColor(0xcc, 0xe0, 0xfb), kAccent, Qt::white,
     QColor(0x7d, 0xa4, 0xdc)},
    {QColor(0xbf, 0xcb, 0xda), QColor(0xd2, 0xdb, 0xe6), QColor(0x6f, 0x7c, 0x8e),
     QColor(0x8d, 0x99, 0xaa), QColor(0xea, 0xee, 0xf3)},
    {QColor(0xef, 0xf1, 0xf3), QColor(0xef, 0xf1, 0xf3), QColor(0xcf, 0xd4, 0xda),
     QColor(0xef, 0xf1, 0xf3), QColor(0xef, 0xf1, 0xf3)},
};

// The button around the glyph: raised, lit, sunken or flat, so that the four lists
// differ even where the glyph looks alike.
void PaintFace(QPainter& p, int list) {
  const QRectF face(0.5, 0.5, 35, 35);
  const Face& look = kFaces[list];
  QLinearGradient fill(face.topLeft(), face.bottomLeft());
  fill.setColorAt(0, look.top);
  fill.setColorAt(1, look.bottom);
  p.setPen(QPen(look.border, 1));
  p.setBrush(fill);
  p.drawRoundedRect(face, 3, 3);
  p.setPen(QPen(look.light, 1));
  p.drawLine(QPointF(2.5, 1.5), QPointF(33.5, 1.5));
  p.drawLine(QPointF(1.5, 2.5), QPointF(1.5, 33.5));
  p.setPen(QPen(look.shade, 1));
  p.drawLine(QPointF(2.5, 34.5), QPointF(33.5, 34.5));
  p.drawLine(QPointF(34.5, 2.5), QPointF(34.5, 33.5));
}

QPixmap MakeToolboxPicture(int tool, int list) {
  return Draw(kToolboxPictureSize, kToolboxPictureSize, [tool, list](QPainter& p) {
    PaintFace(p, list);
    GlyphColours colours{kInk, kAccent, kAccentFill, kDanger};
    if (list == 1) colours = {kInk, kAccent, QColor(0xb8, 0xd4, 0xfa), kDanger};
    if (list == 2) p.translate(1, 1);
    if (list == 3) colours = {kGreyInk, kGreyInk, kGreyFill, kGreyInk};
    PaintTool(p, tool, colours);
  });
}

// Every picture once drawn. Pixmaps must go while the application still lives, so the
// store is emptied when the application ends rather than at the end of the process.
struct Store {
  QHash<QString, QIcon> toolbar;
  std::array<std::array<QPixmap, kToolboxLists>, kToolboxTools> toolbox;
  QIcon program;
  QPixmap helpPointer;
};
Store* store = nullptr;

Store& Pictures() {
  if (!store) {
    store = new Store;
    qAddPostRoutine([] {
      delete store;
      store = nullptr;
    });
  }
  return *store;
}

}  // namespace

QIcon ToolbarIcon(const QString& key) {
  QHash<QString, QIcon>& cache = Pictures().toolbar;
  if (const auto it = cache.constFind(key); it != cache.constEnd()) return *it;
  bool known = false;
  for (const char* k : kToolbarKeys) known = known || key == QLatin1String(k);
  if (!known) return QIcon();
  QIcon icon;
  // Twice the size as well, for screens that scale the toolbar.
  for (int size : {kToolbarIconSize, 2 * kToolbarIconSize})
    icon.addPixmap(Draw(size, kToolbarIconSize, [&key](QPainter& p) { PaintToolbar(p, key); }));
  cache.insert(key, icon);
  return icon;
}

QPixmap ToolboxPicture(int tool, int list) {
  if (tool < 0 || tool >= kToolboxTools || list < 0 || list >= kToolboxLists) return QPixmap();
  QPixmap& picture =
      Pictures().toolbox[static_cast<std::size_t>(tool)][static_cast<std::size_t>(list)];
  if (picture.isNull()) picture = MakeToolboxPicture(tool, list);
  return picture;
}

QIcon ProgramIcon() {
  QIcon& icon = Pictures().program;
  if (icon.isNull()) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
      icon.addPixmap(Draw(size, 64, [](QPainter& p) {
        QLinearGradient back(QPointF(0, 0), QPointF(0, 64));
        back.setColorAt(0, QColor(0x2f, 0x7b, 0xe6));
        back.setColorAt(1, QColor(0x12, 0x3f, 0x92));
        p.setPen(Qt::NoPen);
        p.setBrush(back);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
        // Three by three tiles with one set apart: a floor being laid.
        for (int row = 0; row < 3; ++row)
          for (int col = 0; col < 3; ++col) {
            const bool laid = row == 2 && col == 2;
            p.setBrush(laid ? QColor(Qt::white) : QColor(0xcf, 0xe3, 0xff));
            p.drawRoundedRect(QRectF(11 + col * 14.5, 11 + row * 14.5, 12.5, 12.5), 2, 2);
          }
      }));
    }
  }
  return icon;
}

QCursor HelpCursor() {
  QPixmap& picture = Pictures().helpPointer;
  if (picture.isNull())
    picture = Draw(32, 32, [](QPainter& p) {
      p.setPen(QPen(Qt::black, 1.1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
      p.setBrush(Qt::white);
      p.drawPolygon(Arrow(1.5, 1.5, 1.1));
      // A white outline under the mark keeps it readable on a dark plan.
      QuestionMark(p, QPointF(21, 10), 4, Line(Qt::white, 4.4));
      QuestionMark(p, QPointF(21, 10), 4, Line(Qt::black, 2.2));
    });
  return QCursor(picture, 1, 1);
}

}  // namespace tessel
