#include "browser/filter_bar_choices.h"

#include "model/video_duration_preset.h"
#include "store/lumivex_store.h"

namespace lumivex::FilterBarChoices {

namespace {

const QString durationPrefix = QStringLiteral("duration:");
const QString customValue = QStringLiteral("duration:custom");
const QString emptyValue = QStringLiteral("empty");
const QString valuePrefix = QStringLiteral("value:");

template <typename Change>
void write(LumivexStore& store, Change change) {
    MediaQuery query = store.query();
    change(query);
    store.setQuery(query);
}

}  // namespace

bool customDurationSelected(const MediaQuery& query) {
    return query.videoDuration && !query.videoDuration->preset();
}

QString customDurationTitle(const MediaQuery& query) {
    return customDurationSelected(query)
               ? QStringLiteral("직접 지정: ") + query.videoDuration->title()
               : QStringLiteral("직접 지정…");
}

QString kindTitle(const MediaQuery& query) {
    if (query.kind == MediaKind::photo) {
        return QStringLiteral("사진");
    }
    if (query.kind == MediaKind::video) {
        return query.videoDuration ? QStringLiteral("영상 · ") + query.videoDuration->title()
                                   : QStringLiteral("영상");
    }
    return QStringLiteral("형식");
}

QString kindSymbol(const MediaQuery& query) {
    return query.kind == MediaKind::video ? QStringLiteral("play.rectangle")
                                          : QStringLiteral("photo.on.rectangle");
}

QList<FilterMenuOption> kindOptions(const MediaQuery& query) {
    QList<FilterMenuOption> options{
        {QStringLiteral("전체"), std::nullopt, QStringLiteral("square.grid.2x2"), 0},
        {QStringLiteral("사진"), QStringLiteral("photo"), QStringLiteral("photo"), 0},
        {QStringLiteral("영상"), QStringLiteral("video"), QStringLiteral("play.rectangle"), 0}};
    for (const VideoDurationPreset preset : allVideoDurationPresets) {
        options.append(
            {title(preset), durationPrefix + rawValue(preset), QStringLiteral("clock"), 1});
    }
    options.append(
        {customDurationTitle(query), customValue, QStringLiteral("slider.horizontal.3"), 1});
    return options;
}

std::optional<QString> kindSelection(const MediaQuery& query) {
    if (query.videoDuration) {
        const std::optional<VideoDurationPreset> preset = query.videoDuration->preset();
        return preset ? durationPrefix + rawValue(*preset) : customValue;
    }
    if (query.kind) {
        return rawValue(*query.kind);
    }
    return std::nullopt;
}

void chooseKind(LumivexStore& store, const std::optional<QString>& value,
                const std::function<void()>& openDurationSheet) {
    if (!value) {
        store.selectMediaKind(std::nullopt);
        return;
    }
    if (*value == customValue) {
        openDurationSheet();
        return;
    }
    if (value->startsWith(durationPrefix)) {
        if (const auto preset = videoDurationPresetFromRaw(value->mid(durationPrefix.size()))) {
            store.selectVideoDuration(range(*preset));
            return;
        }
    }
    store.selectMediaKind(mediaKindFromRaw(*value));
}

QString ratingTitle(const MediaQuery& query) {
    if (query.unratedOnly) {
        return QStringLiteral("별점 없음");
    }
    if (query.minimumRating == 0) {
        return QStringLiteral("별점 필터");
    }
    return QString::number(query.minimumRating) + QStringLiteral("점 이상");
}

QList<FilterMenuOption> ratingOptions() {
    QList<FilterMenuOption> options{
        {QStringLiteral("모든 별점"), std::nullopt, QStringLiteral("star"), 0},
        {QStringLiteral("별점 없음"), emptyValue, QStringLiteral("star.slash"), 0}};
    for (int n = 1; n <= 5; ++n) {
        options.append({QString::number(n) + QStringLiteral("점 이상"), QString::number(n),
                        QStringLiteral("star.fill"), 0});
    }
    return options;
}

std::optional<QString> ratingSelection(const MediaQuery& query) {
    if (query.unratedOnly) {
        return emptyValue;
    }
    if (query.minimumRating == 0) {
        return std::nullopt;
    }
    return QString::number(query.minimumRating);
}

void chooseRating(LumivexStore& store, const std::optional<QString>& value) {
    bool ok = false;
    const int minimum = value ? value->toInt(&ok) : 0;
    write(store, [&](MediaQuery& query) { query.minimumRating = ok ? minimum : 0; });
    write(store, [&](MediaQuery& query) { query.unratedOnly = value == emptyValue; });
}

QList<FilterMenuOption> propertyOptions(const Category& property,
                                        const QList<std::pair<QString, qsizetype>>& values) {
    QList<FilterMenuOption> options{
        {QStringLiteral("모든 ") + property.name, std::nullopt, property.symbol(), 0},
        {QStringLiteral("비어 있음"), emptyValue, QStringLiteral("minus.circle"), 0}};
    for (const auto& [value, count] : values) {
        options.append({value + QStringLiteral(" (") + QString::number(count) + QLatin1Char(')'),
                        valuePrefix + value, property.symbol(), 0});
    }
    return options;
}

std::optional<QString> propertySelection(const MediaQuery& query, const Category& property) {
    const QString key = property.idText();
    if (query.emptyFacets.contains(key)) {
        return emptyValue;
    }
    if (const auto found = query.facets.find(key); found != query.facets.end()) {
        return valuePrefix + found->second;
    }
    return std::nullopt;
}

void chooseProperty(LumivexStore& store, const Category& property,
                    const std::optional<QString>& value) {
    const QString key = property.idText();
    write(store, [&](MediaQuery& query) { query.facets.erase(key); });
    write(store, [&](MediaQuery& query) { query.emptyFacets.remove(key); });
    if (value == emptyValue) {
        write(store, [&](MediaQuery& query) { query.emptyFacets.insert(key); });
    } else if (value && value->startsWith(valuePrefix)) {
        write(store,
              [&](MediaQuery& query) { query.facets[key] = value->mid(valuePrefix.size()); });
    }
}

QList<Chip> chips(const MediaQuery& query, const QList<Category>& properties) {
    QList<Chip> result;
    if (query.unratedOnly) {
        result.append({QStringLiteral("별점 없음"), [](LumivexStore& store) {
                           write(store, [](MediaQuery& q) { q.unratedOnly = false; });
                       }});
    }
    if (query.unclassifiedOnly) {
        result.append({QStringLiteral("분류 없음"), [](LumivexStore& store) {
                           write(store, [](MediaQuery& q) { q.unclassifiedOnly = false; });
                       }});
    }
    if (query.folderPath) {
        result.append(
            {query.folderPath->isEmpty() ? QStringLiteral("선택한 폴더만") : *query.folderPath,
             [](LumivexStore& store) { store.selectFolderFilter(std::nullopt); }});
    }
    for (const Category& property : properties) {
        const QString key = property.idText();
        if (const auto found = query.facets.find(key); found != query.facets.end()) {
            result.append(
                {property.name + QStringLiteral(": ") + found->second, [key](LumivexStore& store) {
                     write(store, [&](MediaQuery& q) { q.facets.erase(key); });
                 }});
        }
        if (query.emptyFacets.contains(key)) {
            result.append(
                {property.name + QStringLiteral(": 비어 있음"), [key](LumivexStore& store) {
                     write(store, [&](MediaQuery& q) { q.emptyFacets.remove(key); });
                 }});
        }
    }
    return result;
}

bool anyFilter(const MediaQuery& query) {
    return query.kind || !query.facets.empty() || !query.emptyFacets.isEmpty() ||
           query.minimumRating >= 1 || query.unratedOnly || query.unclassifiedOnly ||
           query.folderPath;
}

void reset(LumivexStore& store) {
    write(store, [](MediaQuery& q) {
        q.kind.reset();
        q.videoDuration.reset();
    });
    write(store, [](MediaQuery& q) { q.facets.clear(); });
    write(store, [](MediaQuery& q) { q.minimumRating = 0; });
    write(store, [](MediaQuery& q) { q.unratedOnly = false; });
    write(store, [](MediaQuery& q) { q.unclassifiedOnly = false; });
    write(store, [](MediaQuery& q) { q.folderPath.reset(); });
    write(store, [](MediaQuery& q) { q.emptyFacets.clear(); });
}

}  // namespace lumivex::FilterBarChoices
