#pragma once

#include "catalog/library_state.h"

#include <QList>
#include <QString>

#include <cstdint>

namespace lumivex {

// The undo and redo memory of metadata edits: each step keeps the whole state before and after
// it. A plain value: copies are cheap, since the stacks and the states they hold are shared
// until one side changes.
class MetadataUndoHistory {
public:
    struct Entry {
        QString title;
        LibraryState before;
        LibraryState after;

        // Items and deleted records of both states: what bounds the memory a step may hold.
        std::int64_t retainedSize() const;

        bool operator==(const Entry&) const = default;
    };

    // The undo stack keeps at most this many steps and, in total, this many items and deleted
    // records; the newest step stays whatever its size.
    static constexpr std::int64_t maximumEntries = 20;
    static constexpr std::int64_t maximumRetainedItems = 200000;

    // Records one step unless it changes nothing; a recorded step empties the redo stack.
    void record(QString title, LibraryState before, LibraryState after);
    // Moves the newest undo step onto the redo stack; nothing when there is none.
    void didUndo();
    // Moves the newest redo step back onto the undo stack; nothing when there is none.
    void didRedo();
    // Empties both stacks at once.
    void clear();

    // Oldest first; the step undo or redo would replay is the last.
    const QList<Entry>& undo() const { return undo_; }
    const QList<Entry>& redo() const { return redo_; }
    bool canUndo() const { return !undo_.isEmpty(); }
    bool canRedo() const { return !redo_.isEmpty(); }

    bool operator==(const MetadataUndoHistory&) const = default;

private:
    void trim();

    QList<Entry> undo_;
    QList<Entry> redo_;
};

}  // namespace lumivex
