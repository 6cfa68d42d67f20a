// Product pictures of a plan that travels: a plan names each product's plan picture by
// the full path it had where the plan was made. On another installation, or after the
// catalogue moved, the picture is looked up by its file name in the running catalogue's
// picture folder; a picture found nowhere, or not readable, is named to the user.
// Plain text work without widgets, shared by the window and the window-less commands.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace tessel {

struct MissingPicture {
  QString file;            // the picture's file name, as the engine would open it
  QList<qint64> products;  // the catalogue numbers of the products drawn from it
};

struct PlanPictures {
  // The plan's text with every picture found elsewhere named where it was found; empty
  // when every picture is where the plan says (the plan is then read as it is).
  QByteArray located;
  QList<MissingPicture> missing;
};

// Looks at the furnishing of a plan file's text.
PlanPictures LocatePlanPictures(const QByteArray& plan, const QString& images);

// Looks at a plan file: only a regular file is read (a pipe would block), and a file
// that cannot be read is left to the engine's own refusal.
PlanPictures LocatePlanPicturesOf(const QString& planFile, const QString& images);

// The plan's text with the pictures of the catalogue below the program folder named
// from that folder ("katalog/images/li0101p2.bmp"): the names a reader of this format
// on any installation reads from its program folder, and that this program also finds
// by their file names. Other pictures keep their full paths.
QByteArray TravellingPictureNames(const QByteArray& plan, const QString& images,
                                  const QString& programFolder);

// The picture the engine draws for a product of `mounting`: the name's variant digit,
// five places from its end, is "3" for the mirrored mountings (7 on) and "2" below.
QString PictureVariant(QString name, unsigned mounting);

// Whether the engine draws the file: an uncompressed 8-bit bitmap stored bottom row
// first, at most 2048 pixels a side. It refuses anything else.
bool EngineDrawsPicture(const QString& file);

// The missing pictures, one line each with the products drawn from it, for a message.
QString MissingPicturesList(const QList<MissingPicture>& missing,
                            const std::function<QString(qint64)>& describe);

// The whole message: which pictures, which products, and where they were looked for.
QString MissingPicturesText(const QList<MissingPicture>& missing, const QString& images,
                            const std::function<QString(qint64)>& describe);

}  // namespace tessel
