#include "browser/sidebar_plan.h"

#include "browser/filter_bar_choices.h"
#include "browser/shown_library.h"
#include "browser/window_state.h"
#include "model/video_duration_preset.h"
#include "store/lumivex_store.h"

#include <algorithm>

namespace lumivex {

namespace {

template <typename Change>
void writeQuery(LumivexStore& store, Change change) {
    MediaQuery query = store.query();
    change(query);
    store.setQuery(query);
}

void addLengthRows(SidebarPlan::Section& section, LumivexStore& store, WindowState& state) {
    const MediaQuery& query = store.query();
    LumivexStore* s = &store;
    for (const VideoDurationPreset preset : allVideoDurationPresets) {
        const VideoDurationRange presetRange = range(preset);
        section.rows.push_back({title(preset), QStringLiteral("clock"), store.videoCount(preset),
                                query.videoDuration == presetRange, true,
                                [s, presetRange] { s->selectVideoDuration(presetRange); }});
    }
    WindowState* w = &state;
    section.rows.push_back({FilterBarChoices::customDurationTitle(query),
                            QStringLiteral("slider.horizontal.3"), std::nullopt,
                            FilterBarChoices::customDurationSelected(query), true,
                            [w] { w->setDurationSheet(true); }});
}

SidebarPlan::Section librarySection(LumivexStore& store, WindowState& state) {
    SidebarPlan::Section section;
    section.title = QStringLiteral("라이브러리");
    section.spacing = 5;
    const LibraryBrowseSnapshot& snapshot = store.browseSnapshot();
    const MediaQuery& query = store.query();
    LumivexStore* s = &store;
    const auto clearFlags = [s] {
        writeQuery(*s, [](MediaQuery& q) { q.unratedOnly = false; });
        writeQuery(*s, [](MediaQuery& q) { q.unclassifiedOnly = false; });
    };
    section.rows.push_back(
        {QStringLiteral("전체 미디어"), QStringLiteral("square.grid.2x2"), snapshot.items.size(),
         !query.kind && !query.unratedOnly && !query.unclassifiedOnly, false, [s, clearFlags] {
             s->selectMediaKind(std::nullopt);
             clearFlags();
         }});
    section.rows.push_back({QStringLiteral("사진"), QStringLiteral("photo"), snapshot.photoCount,
                            query.kind == MediaKind::photo, false, [s, clearFlags] {
                                s->selectMediaKind(MediaKind::photo);
                                clearFlags();
                            }});
    section.rows.push_back(
        {QStringLiteral("영상"), QStringLiteral("play.rectangle"), snapshot.videoCount,
         query.kind == MediaKind::video && !query.videoDuration, false, [s, clearFlags] {
             s->selectMediaKind(MediaKind::video);
             clearFlags();
         }});
    if (query.kind == MediaKind::video) {
        addLengthRows(section, store, state);
    }
    if (ShownLibrary::ratingProperty(store)) {
        section.rows.push_back({QStringLiteral("아직 별점 없음"), QStringLiteral("star"),
                                snapshot.unratedCount, query.unratedOnly, false, [s] {
                                    s->selectMediaKind(std::nullopt);
                                    writeQuery(*s, [](MediaQuery& q) { q.unratedOnly = true; });
                                    writeQuery(*s,
                                               [](MediaQuery& q) { q.unclassifiedOnly = false; });
                                    writeQuery(*s, [](MediaQuery& q) { q.minimumRating = 0; });
                                }});
    }
    section.rows.push_back({QStringLiteral("아직 분류 없음"), QStringLiteral("tag"),
                            snapshot.unclassifiedCount, query.unclassifiedOnly, false, [s] {
                                s->selectMediaKind(std::nullopt);
                                writeQuery(*s, [](MediaQuery& q) { q.unclassifiedOnly = true; });
                                writeQuery(*s, [](MediaQuery& q) { q.unratedOnly = false; });
                            }});
    return section;
}

SidebarPlan::Section propertySection(LumivexStore& store, const Category& property,
                                     const QList<Category>& editable) {
    SidebarPlan::Section section;
    section.title = property.name;
    section.property = property.id;
    section.spacing = 6;
    if (std::any_of(editable.begin(), editable.end(),
                    [&](const Category& c) { return c.id == property.id; })) {
        section.renamable = property;
    }
    const LumivexStore::FolderScope& scope = store.folderScope();
    const auto found = scope.snapshot.labels.find(property.id);
    if (found == scope.snapshot.labels.end() || found->second.isEmpty()) {
        section.hint = true;
        return section;
    }
    const MediaQuery& query = store.query();
    const QString key = property.idText();
    const auto current = query.facets.find(key);
    LumivexStore* s = &store;
    section.choose = [s, key](const QString& value) {
        writeQuery(*s, [&](MediaQuery& q) { q.emptyFacets.remove(key); });
        writeQuery(*s, [&](MediaQuery& q) {
            const auto chosen = q.facets.find(key);
            if (chosen != q.facets.end() && chosen->second == value) {
                q.facets.erase(chosen);
            } else {
                q.facets[key] = value;
            }
        });
    };
    section.values = found->second;
    if (current != query.facets.end()) {
        section.chosen = current->second;
    }
    section.symbol = property.symbol();
    return section;
}

}  // namespace

bool SidebarPlan::Row::sameShape(const Row& other) const {
    return title == other.title && icon == other.icon &&
           count.has_value() == other.count.has_value() && nested == other.nested;
}

qsizetype SidebarPlan::Section::rowCount() const {
    return static_cast<qsizetype>(rows.size()) + values.size();
}

SidebarPlan::Row SidebarPlan::Section::row(qsizetype index) const {
    const auto size = static_cast<qsizetype>(rows.size());
    if (index < size) {
        return rows[static_cast<std::size_t>(index)];
    }
    const auto& [value, count] = values[index - size];
    return {value, symbol, count, chosen == value, false, {}};
}

bool SidebarPlan::Section::sameRows(const Section& other) const {
    if (rows.empty() && other.rows.empty()) {
        return values == other.values && chosen == other.chosen && symbol == other.symbol;
    }
    return false;
}

bool SidebarPlan::Section::sameHeading(const Section& other) const {
    return title == other.title && property == other.property &&
           renamable.has_value() == other.renamable.has_value() && hint == other.hint &&
           spacing == other.spacing;
}

SidebarPlan SidebarPlan::of(LumivexStore& store, WindowState& state) {
    SidebarPlan plan;
    plan.sections.push_back(librarySection(store, state));
    const QList<Category> editable = store.editableProperties();
    for (const Category& property : ShownLibrary::tagProperties(store)) {
        plan.sections.push_back(propertySection(store, property, editable));
    }
    return plan;
}

}  // namespace lumivex
