#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace lumivex {

// One folder of the cascading folder menu with its subfolders, identified by its root-relative
// path. A plain value, built on the main thread with the browse snapshot.
struct FolderFilterNode {
    QString path;  // never empty: the root folder is no node
    // A std::vector: QList cannot hold its own enclosing type and still compare.
    std::vector<FolderFilterNode> children;

    // The top-level folders of the forest that the paths and all their ancestors form, each level
    // in the file-browser order of the whole paths.
    static std::vector<FolderFilterNode> tree(const QStringList& paths);

    bool operator==(const FolderFilterNode&) const = default;
};

}  // namespace lumivex
