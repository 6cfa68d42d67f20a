// A whole file's bytes for the program tests, read and written as they are: the tests
// compare what the program wrote byte for byte and plant plans exactly as given.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

// The file's bytes; empty when it cannot be opened, so a missing file fails the
// comparison that follows.
inline QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  QCOMPARE(f.write(bytes), bytes.size());
}
