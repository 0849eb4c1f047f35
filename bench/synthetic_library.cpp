#include "synthetic_library.h"

#include "platform/uuid_text.h"

#include <random>

namespace lumivex::bench {

namespace {

const QStringList people{QStringLiteral("엄마"), QStringLiteral("아빠"),  QStringLiteral("지민"),
                         QStringLiteral("Alex"), QStringLiteral("Sam"),   QStringLiteral("할머니"),
                         QStringLiteral("서연"), QStringLiteral("Jordan")};
const QStringList places{QStringLiteral("서울"),  QStringLiteral("부산"),  QStringLiteral("제주"),
                         QStringLiteral("Paris"), QStringLiteral("Tokyo"), QStringLiteral("집")};
const QStringList tags{QStringLiteral("여행"), QStringLiteral("가족"), QStringLiteral("음식"),
                       QStringLiteral("풍경"), QStringLiteral("best"), QStringLiteral("blurry")};

}  // namespace

QString syntheticFolder(int index, int itemCount, int folderCount) {
    const int perFolder = std::max(1, itemCount / std::max(1, folderCount));
    const int folder = std::min(index / perFolder, folderCount - 1);
    return QStringLiteral("set-%1/album-%2")
        .arg(folder / 100, 2, 10, QLatin1Char('0'))
        .arg(folder, 4, 10, QLatin1Char('0'));
}

Library syntheticLibrary(int itemCount, int folderCount) {
    std::mt19937 random(42);
    auto pick = [&](const QStringList& list) {
        return list[static_cast<qsizetype>(random() % static_cast<unsigned>(list.size()))];
    };
    Library library;
    library.includeSubfolders = true;
    const QString personKey = library.categories[1].idText();
    const QString placeKey = library.categories[2].idText();
    const QString tagKey = library.categories[3].idText();
    library.items.reserve(itemCount);
    for (int i = 0; i < itemCount; ++i) {
        MediaItem item;
        item.id = QUuid::createUuid();
        const bool video = i % 5 == 4;
        item.kind = video ? MediaKind::video : MediaKind::photo;
        item.filename = syntheticFolder(i, itemCount, folderCount) +
                        QStringLiteral("/IMG_%1.%2")
                            .arg(i, 6, 10, QLatin1Char('0'))
                            .arg(video ? QStringLiteral("mov") : QStringLiteral("jpg"));
        item.fileIdentity = QStringLiteral("2049:%1:1600000000.25").arg(1000000 + i);
        item.size = 1000000 + static_cast<std::int64_t>(random() % 9000000);
        item.modified = {1600000000.0 + i * 37.5};
        item.added = {1700000000.0 + i};
        item.capturedAt = Date{1500000000.0 + static_cast<double>(random() % 200000000) + 0.5};
        if (video) {
            item.duration = static_cast<double>(random() % 3000) + 0.25;
        }
        item.rating = static_cast<std::int64_t>(random() % 6);
        if (random() % 3 == 0) {
            item.labels[personKey] = QStringList{pick(people), pick(people)};
            item.labels[personKey].removeDuplicates();
        }
        if (random() % 2 == 0) {
            item.labels[placeKey] = QStringList{pick(places)};
        }
        if (random() % 4 == 0) {
            item.labels[tagKey] = QStringList{pick(tags)};
        }
        if (random() % 10 == 0) {
            item.notes = QStringLiteral("메모 %1, \"따옴표\"\n둘째 줄").arg(i);
        }
        library.items.append(item);
    }
    return library;
}

}  // namespace lumivex::bench
