#include "shell/project_data.h"

#include <QFile>

namespace tessel {

namespace {

// The plan file's line end, as the engine writes it.
constexpr const char kLineEnd[] = "\r\n";

// One line of the text: where it starts, where its content ends (before CR LF) and
// where the next line starts.
struct Line {
  qsizetype start, contentEnd, next;
};

QList<Line> Lines(const QByteArray& text) {
  QList<Line> lines;
  qsizetype at = 0;
  while (at < text.size()) {
    qsizetype lf = text.indexOf('\n', at);
    const qsizetype next = lf < 0 ? text.size() : lf + 1;
    qsizetype end = lf < 0 ? text.size() : lf;
    if (end > at && text[end - 1] == '\r') --end;
    lines.append({at, end, next});
    at = next;
  }
  return lines;
}

// The name of a section header line ("[Name]"), or a null array for any other line.
QByteArray SectionName(const QByteArray& line) {
  const QByteArray t = line.trimmed();
  if (!t.startsWith('[')) return {};
  const qsizetype close = t.indexOf(']');
  if (close < 0) return {};
  return t.mid(1, close - 1).trimmed();
}

bool IsProjectSection(const QByteArray& name) {
  return !name.isNull() && name.compare(ProjectData::kSection, Qt::CaseInsensitive) == 0;
}

QString Escape(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value[i];
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      // CR LF and a lone CR are one line break each.
      if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
      out += "\\n";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

QString Unescape(const QString& stored) {
  QString out;
  out.reserve(stored.size());
  for (qsizetype i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\\' && i + 1 < stored.size() &&
        (stored[i + 1] == 'n' || stored[i + 1] == '\\')) {
      out += stored[i + 1] == 'n' ? QChar('\n') : QChar('\\');
      ++i;
    } else {
      out += stored[i];
    }
  }
  return out;
}

}  // namespace

ProjectData ProjectData::FromPlanText(const QByteArray& text) {
  ProjectData data;
  bool inside = false, seen = false;
  for (const Line& l : Lines(text)) {
    const QByteArray line = text.mid(l.start, l.contentEnd - l.start);
    const QByteArray section = SectionName(line);
    if (!section.isNull()) {
      // The first section of the name counts, as the engine's reader takes it.
      inside = !seen && IsProjectSection(section);
      seen = seen || inside;
      continue;
    }
    if (!inside) continue;
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0) continue;
    const QString key = QString::fromUtf8(line.left(equals)).trimmed();
    if (key.isEmpty()) continue;
    bool known = false;
    for (const auto& entry : data.entries_) known = known || entry.first == key;
    if (!known) data.entries_.append({key, QString::fromUtf8(line.mid(equals + 1))});
  }
  return data;
}

ProjectData ProjectData::FromFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return FromPlanText(file.readAll());
}

QString ProjectData::Value(const QString& key) const {
  for (const auto& entry : entries_)
    if (entry.first == key) return Unescape(entry.second);
  return {};
}

void ProjectData::SetValue(const QString& key, const QString& value) {
  for (qsizetype i = 0; i < entries_.size(); ++i) {
    if (entries_[i].first != key) continue;
    if (value.isEmpty())
      entries_.removeAt(i);
    else
      entries_[i].second = Escape(value);
    return;
  }
  if (!value.isEmpty()) entries_.append({key, Escape(value)});
}

QByteArray ProjectData::WriteInto(const QByteArray& planText) const {
  QByteArray section;
  if (!entries_.isEmpty()) {
    section = QByteArray("[") + kSection + "]" + kLineEnd;
    for (const auto& [key, value] : entries_) section += (key + "=" + value).toUtf8() + kLineEnd;
  }
  const QList<Line> lines = Lines(planText);
  qsizetype from = -1, to = planText.size();
  for (const Line& l : lines) {
    const QByteArray name = SectionName(planText.mid(l.start, l.contentEnd - l.start));
    if (name.isNull()) continue;
    if (from >= 0) {
      to = l.start;
      break;
    }
    if (IsProjectSection(name)) from = l.start;
  }
  if (from >= 0) return planText.left(from) + section + planText.mid(to);
  if (section.isEmpty()) return planText;
  QByteArray out = planText;
  if (!out.isEmpty() && !out.endsWith('\n')) out += kLineEnd;
  return out + section;
}

}  // namespace tessel
