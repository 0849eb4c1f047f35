#pragma once

#include "catalog/library_state.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <random>

// Folder libraries of known content on disk, and the comparisons that tell whether a tree lost
// or mixed anything, for the tests that interrupt and break tree saves.
namespace lumivex::test::CatalogTree {

// A QTemporaryDir template on a memory file system when there is one. A killed process loses
// nothing the kernel already holds, so crash tests need no disk, and the flushes of every write
// would otherwise dominate their run time.
QString temporaryTemplate();

// The folder keys of a tree with `count` folders at depths 0 to 3, the root first. Names carry
// spaces, Korean, commas and quotes so the catalog quoting is exercised on every save.
QStringList folderKeys(int count);

// A library of `itemCount` items spread over `folders` (round robin), with ratings, notes and
// values under the four default properties, and no per-folder schemas yet.
LibraryState syntheticState(const QStringList& folders, int itemCount, std::uint32_t seed);

// Creates the folders under `root` and writes `state` into every one of them.
void write(const LibraryState& state, const QString& root);

// A batch of user edits in about a third of the folders: a new rating for every edited item (so
// each edited folder really changes), new notes and values, and now and then a deletion, which
// changes both files of its folder.
LibraryState edited(const LibraryState& state, std::mt19937& random);

// What a user would lose: an item's rating, notes and values (by property name), and whether it
// lives on as a deleted record.
struct ItemValues {
    std::int64_t rating = 0;
    QString notes;
    std::map<QString, QStringList> labels;
    bool deleted = false;

    bool operator==(const ItemValues&) const = default;
};

// Keyed by root-relative file name.
using Values = std::map<QString, ItemValues>;
Values valuesOf(const LibraryState& state);
// The same values split by folder key.
std::map<QString, Values> byFolder(const Values& values);

// Describes the first item of `actual` that is neither `before` nor `after` in its folder, or
// returns an empty text when every folder holds one of its two states whole.
QString firstMixedFolder(const Values& before, const Values& after, const Values& actual);
// One line naming the first item where the two differ, for failure messages.
QString firstDifference(const Values& expected, const Values& actual);

// Journal files ("folders-pending.json", "pending-write.json") anywhere in the tree.
QStringList journalsUnder(const QString& root);
// Every file of the tree, hidden ones included, by relative path; folders map to "<folder>".
std::map<QString, QByteArray> treeBytes(const QString& root);

}  // namespace lumivex::test::CatalogTree
