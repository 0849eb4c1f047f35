#pragma once

#include "model/library.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace lumivex {

class MediaItems;

// The option picker without its widgets: the options and how many selected items hold each, the
// search text and the keyboard highlight, the rows they give, what Enter and a tap on a row do,
// and the drag that reorders options. Rows are named "option:" + name and "create". Plain value
// logic; main thread.
class PropertyOptionPickerModel {
public:
    // How the selected items hold one property's values.
    struct Holdings {
        QHash<QString, int> counts;  // value → number of items holding it
        int total = 0;               // the selected items
        bool anyValue = false;       // some item holds a non-empty list for the property
    };
    // The holdings of every property the selected items have an entry for, by property key,
    // counted in one pass over them.
    static QHash<QString, Holdings> holdings(const MediaItems& selected);

    // What an input asks of the store.
    struct Action {
        enum class Kind { none, apply, remove };
        Kind kind = Kind::none;
        QString value;
        bool operator==(const Action&) const = default;
    };

    static const QString createRow;
    static QString optionRow(const QString& option);

    // The options in the store's order. `keepShownOrder`: those already shown stay in the order
    // they are shown in and only new ones take the store's places, so that a value applied in an
    // open list, which may give the folder a new order, never moves a row under the pointer.
    void setOptions(const QStringList& options, bool keepShownOrder = false);
    void setHoldings(Holdings holdings) { holdings_ = std::move(holdings); }
    const QStringList& options() const { return options_; }
    const Holdings& holdingsOf() const { return holdings_; }
    int count(const QString& option) const { return holdings_.counts.value(option); }

    // Typing drops the highlight.
    void setSearch(const QString& search);
    const QString& search() const { return search_; }
    // The search text trimmed: what the create row makes.
    QString createText() const;
    const std::optional<QString>& highlighted() const { return highlighted_; }
    void clearHighlight() { highlighted_.reset(); }
    // Empties the search and the highlight, as applying a value or closing does.
    void reset();

    const QStringList& matches() const { return matches_; }
    bool canCreate() const;
    QStringList rowIDs() const;
    qsizetype rowCount() const { return matches_.size() + (canCreate() ? 1 : 0); }
    // The options the selected items hold, in option order, with how many hold each.
    QList<std::pair<QString, int>> selectedLabels() const;

    // Arrow keys: wraps at both ends; with no highlight Down takes the first row, Up the last.
    void moveHighlight(int offset);
    // Enter: the highlighted option, else the first match for a blank field, else the option
    // equal to the text ignoring case, else the text itself.
    Action submit() const;
    // A click on an option: removes it from a multiple-choice property every item holds.
    Action tap(const QString& option, PropertyKind kind) const;

    // Reordering by drag: the drop moves the dragged option once, to the gap it falls in.
    struct Move {
        QString option;
        std::optional<QString> before;  // none: after every other option
        bool operator==(const Move&) const = default;
    };
    void startDrag(const QString& option) { dragged_ = option; }
    // The move a drop in the gap before match `gap` makes (the number of matches: after the
    // last); none when nothing is dragged or the option would stay where it is.
    std::optional<Move> dropAt(qsizetype gap) const;
    // However the drag ended, nothing stays dragged.
    void endDrag() { dragged_.reset(); }
    const std::optional<QString>& dragged() const { return dragged_; }

    // The list's height for `rows` rows: 38 a row and 12 more, within 48...280.
    static int listHeight(qsizetype rows);

private:
    QStringList inShownOrder(const QStringList& options) const;

    QStringList options_;
    Holdings holdings_;
    QString search_;
    QStringList matches_;
    std::optional<QString> highlighted_;
    std::optional<QString> dragged_;
};

}  // namespace lumivex
