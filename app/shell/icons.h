// The program's pictures, drawn at run time so that no image file has to travel with it:
// the toolbar buttons, the four pictures of each toolbox button, the program icon and
// the pointer of help mode. Each picture is drawn once and then kept.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tessel {

constexpr int kToolbarIconSize = 24;
constexpr int kToolboxPictureSize = 36;
constexpr int kToolboxTools = 10;
// The four picture lists of the toolbox, as ToolboxButton counts them.
constexpr int kToolboxLists = 4;

// The picture of a toolbar key ("new", "open", "save", "print", "undo", "redo",
// "delete", "zoomout", "zoomin", "base", "design", "list", "info", "helpon"); a null
// icon for any other key.
QIcon ToolbarIcon(const QString& key);

// The picture of toolbox tool 0-9 (select, delete selected, user rectangle, user
// circle, free wall, wall rectangle, diagonal corner, round corner, door, window) from
// list 0 normal, 1 under the mouse, 2 pressed or 3 disabled; null outside those.
QPixmap ToolboxPicture(int tool, int list);

QIcon ProgramIcon();

// An arrow with a question mark: the pointer while a click asks what a button does.
QCursor HelpCursor();

}  // namespace tessel
