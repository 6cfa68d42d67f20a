#include "catalogue/plan_pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string>

#include "language/language.h"
#include "platform/profile.h"

namespace tessel {

namespace {

constexpr char kDesign[] = "Design";
constexpr char kCount[] = "count";
constexpr char kProduct[] = "PRODUCT";
// The fields of a product record: kind, x, y, number, mounting, angle, picture, height.
constexpr int kNumberField = 3;
constexpr int kMountingField = 4;
constexpr int kPictureField = 6;
constexpr int kProductFields = 8;
// The engine reads a record of the furnishing into this many characters, and keeps at
// most this many records in a list.
constexpr std::size_t kRecordLength = 512;
constexpr int kMostRecords = 511;
// The mounting in the low bits of its field; from this mounting on the picture's
// variant is "3", below it "2" (the digit five places from the end of the name).
constexpr unsigned kMountingBits = 0xF;
constexpr unsigned kSecondVariantFrom = 7;
constexpr int kVariantFromEnd = 5;
// What a picture the engine draws starts with: "BM", an information header of at least
// 40 bytes with its size, 8 bits per pixel, no compression; rows stored bottom first
// (a positive height), at most this many pixels a side.
constexpr qint64 kHeaderBytes = 54;
constexpr int kWidthAt = 18, kHeightAt = 22, kBitsAt = 28, kCompressionAt = 30;
constexpr int kBitsPerPixel = 8;
constexpr int kMaxPictureSide = 2048;
// The last part of a name written on any system: "C:\\Tessel\\katalog\\images\\a2.bmp" too.
QString FileNameOf(const QString& path) {
  const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
  return path.mid(slash + 1);
}

// The fields of a record as the engine reads them: runs of commas are one separator.
QStringList Fields(const QString& value) {
  return value.split(',', Qt::SkipEmptyParts);
}

// Walks the product records of a plan text's furnishing, split into their fields;
// `visit` may change a record's fields and says whether it did. The text with the
// changed records, or an empty array when none changed.
QByteArray RewriteProductRecords(const QByteArray& plan,
                                 const std::function<bool(QStringList&)>& visit) {
  plat::Profile profile =
      plat::Profile::Parse(plan.constData(), static_cast<std::size_t>(plan.size()));
  const int count = std::min(profile.GetInt(kDesign, kCount, 0), kMostRecords);
  bool changed = false;
  for (int i = 0; i < count; ++i) {
    const QByteArray key = QString::asprintf("%2.2d", i).toLatin1();
    char buffer[kRecordLength] = {};
    profile.GetString(kDesign, key.constData(), "", buffer, sizeof buffer);
    QStringList fields = Fields(QFile::decodeName(buffer));
    if (fields.size() <= kPictureField || fields[0].trimmed() != kProduct || !visit(fields))
      continue;
    profile.SetString(kDesign, key.constData(), QFile::encodeName(fields.join(',')).constData());
    changed = true;
  }
  if (!changed) return {};
  const std::string text = profile.Serialize();
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString PictureVariant(QString name, unsigned mounting) {
  if (name.size() >= kVariantFromEnd)
    name[name.size() - kVariantFromEnd] =
        (mounting & kMountingBits) >= kSecondVariantFrom ? '3' : '2';
  return name;
}

bool EngineDrawsPicture(const QString& file) {
  if (!QFileInfo(file).isFile()) return false;
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = in.read(kHeaderBytes);
  if (head.size() < kHeaderBytes || !head.startsWith("BM")) return false;
  auto field = [&head](int at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(head[at + i]);
    return v;
  };
  const auto width = static_cast<std::int32_t>(field(kWidthAt, 4));
  const auto height = static_cast<std::int32_t>(field(kHeightAt, 4));
  return field(kBitsAt, 2) == kBitsPerPixel && field(kCompressionAt, 4) == 0 && width >= 1 &&
         height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

PlanPictures LocatePlanPictures(const QByteArray& plan, const QString& images) {
  PlanPictures result;
  result.located = RewriteProductRecords(plan, [&](QStringList& fields) {
    // A picture name with commas in it spans the fields up to the last one.
    const qsizetype last = fields.size() >= kProductFields ? fields.size() - 1 : fields.size();
    const QString picture = fields.mid(kPictureField, last - kPictureField).join(',');
    const unsigned mounting = fields[kMountingField].trimmed().toUInt();
    if (EngineDrawsPicture(PictureVariant(picture, mounting))) return false;
    const QString there = QDir(images).filePath(FileNameOf(picture));
    if (!images.isEmpty() && EngineDrawsPicture(PictureVariant(there, mounting))) {
      fields = fields.mid(0, kPictureField) << there << fields.mid(last);
      return true;
    }
    const QString name = FileNameOf(PictureVariant(picture, mounting));
    const qint64 number = fields[kNumberField].trimmed().toLongLong();
    auto known = std::find_if(result.missing.begin(), result.missing.end(),
                              [&name](const MissingPicture& m) { return m.file == name; });
    if (known == result.missing.end()) {
      result.missing.append({name, {}});
      known = result.missing.end() - 1;
    }
    if (!known->products.contains(number)) known->products.append(number);
    return false;
  });
  return result;
}

QByteArray TravellingPictureNames(const QByteArray& plan, const QString& images,
                                  const QString& programFolder) {
  const QString folder = QFileInfo(images).canonicalFilePath();
  const QString program = QFileInfo(programFolder).canonicalFilePath();
  if (folder.isEmpty() || program.isEmpty() || !folder.startsWith(program + '/')) return plan;
  const QString relative = QDir(program).relativeFilePath(folder);
  const QByteArray renamed = RewriteProductRecords(plan, [&](QStringList& fields) {
    // Only the plain form: a name with commas in it stays as the engine wrote it.
    if (fields.size() != kProductFields) return false;
    const QFileInfo picture(fields[kPictureField]);
    if (!picture.isAbsolute() || QFileInfo(picture.absolutePath()).canonicalFilePath() != folder)
      return false;
    fields[kPictureField] = relative + '/' + picture.fileName();
    return true;
  });
  return renamed.isEmpty() ? plan : renamed;
}

PlanPictures LocatePlanPicturesOf(const QString& planFile, const QString& images) {
  if (!QFileInfo(planFile).isFile()) return {};
  std::string text;
  if (!plat::ReadWholeFile(QFile::encodeName(planFile).constData(), &text)) return {};
  return LocatePlanPictures(QByteArray(text.data(), static_cast<qsizetype>(text.size())), images);
}

QString MissingPicturesList(const QList<MissingPicture>& missing,
                            const std::function<QString(qint64)>& describe) {
  QStringList lines;
  for (const MissingPicture& m : missing) {
    QStringList products;
    for (qint64 id : m.products) {
      const QString text = describe ? describe(id).simplified() : QString();
      products << (text.isEmpty() ? QString::number(id) : text);
    }
    lines << m.file + "  \u2013  " + products.join(", ");
  }
  return lines.join('\n');
}

QString MissingPicturesText(const QList<MissingPicture>& missing, const QString& images,
                            const std::function<QString(qint64)>& describe) {
  return CaptionOr(7220,
                   "The pictures of these products were found neither where the plan names "
                   "them nor in the catalogue's picture folder %1. The products stay in the "
                   "plan, but they are not drawn and not listed:\n\n%2")
      .arg(QDir::toNativeSeparators(images), MissingPicturesList(missing, describe));
}

}  // namespace tessel
