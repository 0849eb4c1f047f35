#pragma once

#include "model/library_source.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace lumivex {

class MediaItems;

// Where the selected items' classification data is kept: each folder of a folder library has its
// own catalog. The folders, their titles and what the location button shows. Plain logic; main
// thread.
namespace StorageLocations {

struct Folder {
    QString path;  // relative to the root, "" for the root itself
    int items = 0;
    bool operator==(const Folder&) const = default;
};

// The selected items' folders, each once, the root first, then in the localized standard order.
QList<Folder> folders(const MediaItems& selected);
// The root's name, then " › " and the folder's components.
QString rowTitle(const QString& rootName, const QString& folder);
// The button's title: one folder by its row title, else the folder count.
QString title(LibrarySource source, const QString& rootName, const QStringList& folders);
// "N개 폴더에 나누어 저장".
QString popoverHeading(qsizetype folders);

struct Icons {
    QString leading;
    QString trailing;
    bool operator==(const Icons&) const = default;
};
Icons icons(LibrarySource source, qsizetype folders);

}  // namespace StorageLocations
}  // namespace lumivex
