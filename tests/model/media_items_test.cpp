#include "model/media_items.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lumivex;

namespace {

constexpr qsizetype chunk = MediaItems::chunkCapacity;

MediaItem numbered(qsizetype number) {
    MediaItem item;
    item.filename = QStringLiteral("f%1.jpg").arg(number, 6, 10, QLatin1Char('0'));
    item.rating = number % 6;
    return item;
}

MediaItems numberedItems(qsizetype count) {
    MediaItems items;
    for (qsizetype i = 0; i < count; ++i) {
        items.append(numbered(i));
    }
    return items;
}

QList<MediaItem> numberedList(qsizetype count) {
    QList<MediaItem> items;
    for (qsizetype i = 0; i < count; ++i) {
        items.append(numbered(i));
    }
    return items;
}

// How many positions of `a` and `b` hold the very same item object.
qsizetype sharedItems(const MediaItems& a, const MediaItems& b) {
    qsizetype shared = 0;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i) {
        shared += &a.at(i) == &b.at(i) ? 1 : 0;
    }
    return shared;
}

TEST(MediaItems, AnEditCopiesOnlyTheChunkOfTheEditedItem) {
    const MediaItems original = numberedItems(3 * chunk + 7);
    MediaItems edited = original;
    EXPECT_TRUE(edited.sharesAllItemsWith(original));
    edited[chunk + 3].rating = 42;

    EXPECT_EQ(original.at(chunk + 3).rating, (chunk + 3) % 6);
    EXPECT_EQ(edited.at(chunk + 3).rating, 42);
    EXPECT_EQ(sharedItems(original, edited), original.size() - chunk);
    EXPECT_NE(&edited.at(chunk), &original.at(chunk));
    EXPECT_EQ(&edited.at(2 * chunk), &original.at(2 * chunk));
    EXPECT_FALSE(edited.sharesAllItemsWith(original));
    EXPECT_NE(edited, original);

    edited[chunk + 3].rating = (chunk + 3) % 6;
    EXPECT_EQ(edited, original);  // equal again though the chunk is no longer shared
}

TEST(MediaItems, AppendsToACopyLeaveTheOriginalAsItWas) {
    const MediaItems original = numberedItems(chunk + 1);
    MediaItems longer = original;
    longer.append(numbered(999999));
    for (qsizetype i = 0; i < chunk; ++i) {
        longer.append(numbered(i));
    }
    EXPECT_EQ(original.size(), chunk + 1);
    EXPECT_EQ(original.last(), numbered(chunk));
    EXPECT_EQ(longer.size(), 2 * chunk + 2);
    EXPECT_EQ(longer.at(chunk + 1), numbered(999999));
    EXPECT_EQ(longer.last(), numbered(chunk - 1));
    EXPECT_EQ(sharedItems(original, longer), chunk);
}

TEST(MediaItems, RemovalsKeepOrderAndShareTheChunksBeforeTheFirstRemovedItem) {
    const MediaItems original = numberedItems(4 * chunk);
    MediaItems kept = original;
    qsizetype asked = 0;
    const qsizetype removed = kept.removeIf([&](const MediaItem& item) {
        return asked++ > 2 * chunk && item.filename.endsWith(u"3.jpg");
    });

    EXPECT_EQ(asked, original.size());
    QList<MediaItem> expected = original.toList();
    expected.erase(
        std::remove_if(expected.begin() + 2 * chunk + 1, expected.end(),
                       [](const MediaItem& item) { return item.filename.endsWith(u"3.jpg"); }),
        expected.end());
    EXPECT_EQ(removed, original.size() - expected.size());
    EXPECT_EQ(kept, MediaItems(expected));
    EXPECT_EQ(kept.toList(), expected);
    EXPECT_EQ(&kept.at(chunk), &original.at(chunk));

    EXPECT_EQ(kept.removeIf([](const MediaItem&) { return false; }), 0);
    kept.removeIf([](const MediaItem&) { return true; });
    EXPECT_TRUE(kept.isEmpty());
    EXPECT_EQ(kept, MediaItems());
}

TEST(MediaItems, EditsByPositionMatchAPlainList) {
    MediaItems items = numberedItems(2 * chunk + 5);
    QList<MediaItem> plain = numberedList(2 * chunk + 5);
    const MediaItems before = items;

    items.insert(chunk - 1, numbered(777777));
    plain.insert(chunk - 1, numbered(777777));
    items.removeAt(2 * chunk);
    plain.removeAt(2 * chunk);
    items.removeFirst();
    plain.removeFirst();
    items.removeLast();
    plain.removeLast();
    items.swapItemsAt(0, items.size() - 1);
    plain.swapItemsAt(0, plain.size() - 1);
    EXPECT_EQ(items.toList(), plain);
    EXPECT_EQ(items.mid(chunk - 3, 10).toList(), plain.mid(chunk - 3, 10));
    EXPECT_EQ(items.mid(0, chunk + 2).toList(), plain.mid(0, chunk + 2));
    EXPECT_EQ(items.mid(5).toList(), plain.mid(5));
    EXPECT_EQ(before, numberedItems(2 * chunk + 5));

    MediaItems emptied = items;
    emptied.clear();
    EXPECT_TRUE(emptied.isEmpty());
    EXPECT_EQ(items.size(), plain.size());
}

// The items read one by one by position, which relies on every chunk but the last being full.
QList<MediaItem> byPosition(const MediaItems& items) {
    QList<MediaItem> list;
    for (qsizetype i = 0; i < items.size(); ++i) {
        list.append(items.at(i));
    }
    return list;
}

TEST(MediaItems, AppendedRangesShareOnlyChunksThatLineUp) {
    const MediaItems source = numberedItems(3 * chunk + 9);
    const QList<MediaItem> plain = source.toList();
    struct Case {
        qsizetype before, position, count, shared;
    };
    // Items already in the target, then the range appended from the source; `shared` counts the
    // items whose chunks the target takes over.
    for (const Case& range :
         {Case{0, 0, 3 * chunk + 9, 3 * chunk + 9}, Case{0, chunk, chunk + 4, chunk},
          Case{1, chunk, 2 * chunk, 0}, Case{0, 1, 2 * chunk, 0},
          Case{chunk, 2 * chunk, chunk + 9, chunk + 9}, Case{0, 5, 0, 0}}) {
        SCOPED_TRACE(range.position);
        MediaItems target = numberedItems(range.before);
        QList<MediaItem> expected = numberedList(range.before);
        target.append(source, range.position, range.count);
        expected.append(plain.mid(range.position, range.count));
        ASSERT_EQ(byPosition(target), expected);
        qsizetype shared = 0;
        for (qsizetype i = range.before; i < target.size(); ++i) {
            shared += &target.at(i) == &source.at(i - range.before + range.position) ? 1 : 0;
        }
        EXPECT_EQ(shared, range.shared);
        // The shared chunks stay the source's when the target grows on.
        target.append(numbered(123456));
        expected.append(numbered(123456));
        EXPECT_EQ(byPosition(target), expected);
        EXPECT_EQ(source.toList(), plain);
    }
}

TEST(MediaItems, IteratorsWorkWithStandardAlgorithms) {
    MediaItems items = numberedItems(chunk + 40);
    const MediaItems original = items;
    std::reverse(items.begin(), items.end());
    EXPECT_EQ(items.first(), original.last());
    std::sort(items.begin(), items.end(),
              [](const MediaItem& a, const MediaItem& b) { return a.filename < b.filename; });
    EXPECT_EQ(items, original);

    const auto found = std::find_if(original.cbegin(), original.cend(),
                                    [](const MediaItem& item) { return item.rating == 5; });
    EXPECT_EQ(found - original.cbegin(), 5);
    EXPECT_EQ(found->filename, QStringLiteral("f000005.jpg"));
    EXPECT_EQ(std::count_if(original.begin(), original.end(),
                            [](const MediaItem& item) { return item.rating == 0; }),
              (chunk + 40 + 5) / 6);
    EXPECT_TRUE(items.sharesAllItemsWith(items));
}

TEST(MediaItems, ListsAndInitializerListsConvertBothWays) {
    const QList<MediaItem> plain = numberedList(chunk + 1);
    const MediaItems items = plain;
    EXPECT_EQ(items.size(), plain.size());
    EXPECT_EQ(items.toList(), plain);
    const MediaItems two{numbered(1), numbered(2)};
    EXPECT_EQ(two.toList(), (QList<MediaItem>{numbered(1), numbered(2)}));
    EXPECT_NE(two, MediaItems({numbered(1)}));
    EXPECT_NE(two, MediaItems({numbered(1), numbered(3)}));
}

TEST(MediaItems, ACompactedListIsEqualAndSharesEqualValues) {
    MediaItems items = numberedItems(chunk + 3);
    const QString key = QStringLiteral("K");
    for (qsizetype i = 0; i < items.size(); ++i) {
        items[i].labels[key] =
            QStringList{QStringLiteral("서울"), QStringLiteral("v%1").arg(i % 2)};
        items[i].notes = i % 3 == 0 ? QStringLiteral("note") : QString();
    }
    items[1].labels[QString()] = QStringList{QString()};
    const MediaItems compacted = items.compacted();
    EXPECT_EQ(compacted, items);
    EXPECT_FALSE(compacted.sharesAllItemsWith(items));
    EXPECT_NE(compacted.at(0).filename.constData(), items.at(0).filename.constData());
    EXPECT_EQ(compacted.at(0).labels.at(key).front().constData(),
              compacted.at(chunk + 2).labels.at(key).front().constData());
    EXPECT_EQ(&compacted.at(2).labels.at(key), &compacted.at(chunk + 2).labels.at(key));
    EXPECT_TRUE(compacted.at(1).notes.isNull());
    EXPECT_EQ(compacted.at(1).labels, items.at(1).labels);
}

}  // namespace
