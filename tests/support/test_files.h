#pragma once

#include <QByteArray>
#include <QString>

// Small helpers for building fixture trees in temporary folders.
namespace lumivex::test {

// Writes `bytes` to `path`, creating missing parent folders; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// Rewrites the file in place and puts its access and modification times back, so that only its
// change time tells, as for an outside edit within one time stamp step.
void rewriteKeepingTimes(const QString& path, const QByteArray& bytes);
void makeDirectories(const QString& path);
void makeSymbolicLink(const QString& target, const QString& linkPath);

// An empty file whose name is raw bytes (not necessarily UTF-8), removed when this goes away,
// since Qt cannot name such a file to delete it.
class RawNamedFile {
public:
    RawNamedFile(const QString& folder, const QByteArray& name);
    ~RawNamedFile();
    RawNamedFile(const RawNamedFile&) = delete;
    RawNamedFile& operator=(const RawNamedFile&) = delete;

private:
    QByteArray path_;
};

}  // namespace lumivex::test
