#pragma once

#include <QByteArray>
#include <QString>

// Small helpers for building fixture trees in temporary folders.
namespace lumivex::test {

// Writes `bytes` to `path`, creating missing parent folders; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
void makeDirectories(const QString& path);
void makeSymbolicLink(const QString& target, const QString& linkPath);

}  // namespace lumivex::test
