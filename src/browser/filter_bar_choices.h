#pragma once

#include "browser/filter_menu_option.h"
#include "model/media_query.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace lumivex {

class LumivexStore;

// What the filter bar's pickers and chips show for a query and what each choice writes into it.
// The choice values ("photo", "duration:oneToThree", "empty", "3", "value:가족") are the bar's
// own encoding; the store only ever sees query fields. Main thread.
namespace FilterBarChoices {

// "직접 지정: " and the range's title while a length range that is no preset is set, else
// "직접 지정…"; shared with the sidebar's custom length row.
bool customDurationSelected(const MediaQuery& query);
QString customDurationTitle(const MediaQuery& query);

QString kindTitle(const MediaQuery& query);
QString kindSymbol(const MediaQuery& query);
QList<FilterMenuOption> kindOptions(const MediaQuery& query);
std::optional<QString> kindSelection(const MediaQuery& query);
// Applies a kind choice; "duration:custom" only calls `openDurationSheet`.
void chooseKind(LumivexStore& store, const std::optional<QString>& value,
                const std::function<void()>& openDurationSheet);

QString ratingTitle(const MediaQuery& query);
QList<FilterMenuOption> ratingOptions();
std::optional<QString> ratingSelection(const MediaQuery& query);
void chooseRating(LumivexStore& store, const std::optional<QString>& value);

QList<FilterMenuOption> propertyOptions(const Category& property,
                                        const QList<std::pair<QString, qsizetype>>& values);
std::optional<QString> propertySelection(const MediaQuery& query, const Category& property);
void chooseProperty(LumivexStore& store, const Category& property,
                    const std::optional<QString>& value);

// The titles of the removable chips, in the bar's order, each with its remove action.
struct Chip {
    QString title;
    std::function<void(LumivexStore&)> remove;
};
QList<Chip> chips(const MediaQuery& query, const QList<Category>& properties);

// Whether the reset button shows: any filter but the length range and the search is set.
bool anyFilter(const MediaQuery& query);
// Clears every filter but the search text and the sort, one field at a time.
void reset(LumivexStore& store);

}  // namespace FilterBarChoices
}  // namespace lumivex
