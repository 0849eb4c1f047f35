#include "media/thumbnail_cache.h"

#include "held_decoder.h"
#include "model/library.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace lumivex {
namespace {

using test::HeldDecoder;
using test::processEventsUntil;

MediaItem item(const QString& identity) {
    MediaItem made;
    made.filename = identity + QStringLiteral(".jpg");
    made.fileIdentity = identity;
    made.size = 1000;
    made.modified = Date{1700000000.5};
    return made;
}

QString pathOf(int index) {
    return QStringLiteral("/photos/%1.jpg").arg(index);
}

// A caller of the cache and what it got.
struct Caller {
    QObject context;
    std::optional<QImage> result;
    ThumbnailTicket ticket;

    void ask(ThumbnailCache& cache, const QString& path, int size = 360,
             ThumbnailCache::Turn turn = ThumbnailCache::Turn::queued) {
        ticket = cache.image(
            path, item(path), size, &context, [this](const QImage& image) { result = image; },
            turn);
    }
};

TEST(ThumbnailCacheKey, JoinsUrlIdentityDateSizeAndPixelsWithNul) {
    MediaItem photo = item(QStringLiteral("12:34:0.0"));
    const QString key = ThumbnailCache::key(QStringLiteral("/a b/é.jpg"), photo, 360);
    EXPECT_EQ(key, QStringLiteral("file:///a%20b/%C3%A9.jpg") + QChar(u'\0') +
                       QStringLiteral("12:34:0.0") + QChar(u'\0') + QStringLiteral("1700000000.5") +
                       QChar(u'\0') + QStringLiteral("1000") + QChar(u'\0') +
                       QStringLiteral("360"));

    const QString path = QStringLiteral("/p.jpg");
    const QString original = ThumbnailCache::key(path, photo, 360);
    EXPECT_NE(ThumbnailCache::key(path, photo, 600), original);
    MediaItem changed = photo;
    changed.modified = Date{1700000001};
    EXPECT_NE(ThumbnailCache::key(path, changed, 360), original);
    changed = photo;
    changed.size = 1001;
    EXPECT_NE(ThumbnailCache::key(path, changed, 360), original);
    changed = photo;
    changed.fileIdentity = QStringLiteral("other");
    EXPECT_NE(ThumbnailCache::key(path, changed, 360), original);
}

TEST(ThumbnailCache, RunsAtMostThreeDecodesStartedInRequestOrder) {
    HeldDecoder held;
    ThumbnailCache cache(held.decoder());
    std::array<Caller, 10> callers;
    QStringList paths;
    for (int index = 0; index < 10; ++index) {
        paths.append(pathOf(index));
        callers[index].ask(cache, paths.last());
    }
    ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == 3; }));
    EXPECT_EQ(cache.running(), 3);
    QStringList firstThree = held.started();
    firstThree.sort();
    EXPECT_EQ(firstThree, paths.mid(0, 3));

    // Each freed slot starts the oldest queued request.
    for (int index = 0; index < 7; ++index) {
        held.release(paths[index]);
        ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == index + 4; }));
        EXPECT_EQ(held.started().last(), paths[index + 3]);
    }
    for (int index = 7; index < 10; ++index) {
        held.release(paths[index]);
    }
    ASSERT_TRUE(processEventsUntil([&] { return cache.running() == 0; }));

    EXPECT_EQ(held.peak(), 3);
    EXPECT_EQ(cache.peakConcurrentLoads(), 3);
    EXPECT_EQ(cache.decodeCount(), 10);
    EXPECT_EQ(cache.running(), 0);
    EXPECT_EQ(cache.jobCount(), 0);
    for (const Caller& caller : callers) {
        ASSERT_TRUE(caller.result.has_value());
        EXPECT_EQ(caller.result->size(), QSize(360, 180));
    }
}

// The preview's picture neither waits for the three running grid decodes nor for those queued.
TEST(ThumbnailCache, AFirstRequestStartsAtOnceAndPassesTheQueue) {
    using Turn = ThumbnailCache::Turn;
    HeldDecoder held;
    ThumbnailCache cache(held.decoder());
    std::array<Caller, 5> grid;
    for (int index = 0; index < 5; ++index) {
        grid[index].ask(cache, pathOf(index));
    }
    ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == 3; }));

    Caller preview;
    preview.ask(cache, pathOf(9), 1200, Turn::first);
    ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == 4; }));
    EXPECT_EQ(held.started().last(), pathOf(9));
    EXPECT_EQ(cache.running(), 4);

    // A second first request waits for a free thread, then passes the queue (and takes the
    // queued grid request of its key along); a queued one never takes the fourth thread.
    Caller next;
    next.ask(cache, pathOf(4), 360, Turn::first);
    Caller later;
    later.ask(cache, pathOf(5));
    held.release(pathOf(9));
    ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == 5; }));
    EXPECT_EQ(held.started().last(), pathOf(4));
    held.release(pathOf(4));
    ASSERT_TRUE(processEventsUntil([&] { return next.result && grid[4].result; }));
    EXPECT_EQ(cache.running(), 3);  // the grid's three again; the fourth stays free
    EXPECT_EQ(held.started().size(), 5);
    held.release(pathOf(0));
    ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == 6; }));
    EXPECT_EQ(held.started().last(), pathOf(3));

    for (int index = 0; index < 6; ++index) {
        held.release(pathOf(index));
    }
    ASSERT_TRUE(processEventsUntil([&] { return cache.running() == 0; }));
    EXPECT_EQ(held.peak(), 4);
    EXPECT_EQ(cache.decodeCount(), 7);
    EXPECT_TRUE(preview.result && later.result);
}

TEST(ThumbnailCache, SharesOneDecodeAmongCallersOfOneKeyAndCachesIt) {
    HeldDecoder held;
    ThumbnailCache cache(held.decoder());
    Caller first;
    Caller second;
    first.ask(cache, pathOf(1));
    second.ask(cache, pathOf(1));
    held.release(pathOf(1));
    ASSERT_TRUE(processEventsUntil([&] { return first.result && second.result; }));

    EXPECT_EQ(cache.decodeCount(), 1);
    EXPECT_EQ(first.result->cacheKey(), second.result->cacheKey());
    const QImage cached = cache.cachedImage(pathOf(1), item(pathOf(1)), 360);
    EXPECT_EQ(cached.cacheKey(), first.result->cacheKey());
    EXPECT_EQ(cache.memoryCache().totalCost(), cached.sizeInBytes());

    // Asked again, the cached thumbnail comes at once, without a decode.
    Caller later;
    later.ask(cache, pathOf(1));
    ASSERT_TRUE(later.result.has_value());
    EXPECT_EQ(later.result->cacheKey(), first.result->cacheKey());
    EXPECT_EQ(cache.jobCount(), 0);

    // Another pixel size is another thumbnail.
    Caller larger;
    larger.ask(cache, pathOf(1), 600);
    ASSERT_TRUE(processEventsUntil([&] { return larger.result.has_value(); }));
    EXPECT_EQ(cache.decodeCount(), 2);
    EXPECT_EQ(larger.result->width(), 600);
}

TEST(ThumbnailCache, AQueuedJobWhoseCallersLeaveIsNeverDecoded) {
    HeldDecoder held;
    ThumbnailCache cache(held.decoder());
    std::array<Caller, 5> callers;
    for (int index = 0; index < 4; ++index) {
        callers[index].ask(cache, pathOf(index));
    }
    {
        Caller gone;  // destroyed while queued: counts as leaving
        gone.ask(cache, pathOf(9));
    }
    cache.cancel(callers[3].ticket);
    cache.cancel(callers[3].ticket);  // a second withdrawal does nothing

    for (int index = 0; index < 3; ++index) {
        held.release(pathOf(index));
    }
    callers[4].ask(cache, pathOf(4));
    held.release(pathOf(4));
    ASSERT_TRUE(processEventsUntil([&] { return cache.running() == 0 && callers[4].result; }));

    QStringList started = held.started();
    started.sort();
    EXPECT_EQ(started, QStringList({pathOf(0), pathOf(1), pathOf(2), pathOf(4)}));
    EXPECT_FALSE(callers[3].result.has_value());
    EXPECT_EQ(cache.decodeCount(), 4);
    EXPECT_EQ(cache.jobCount(), 0);
}

TEST(ThumbnailCache, ARunningDecodeGoesOnForTheRemainingCaller) {
    HeldDecoder held;
    ThumbnailCache cache(held.decoder());
    Caller leaving;
    Caller staying;
    leaving.ask(cache, pathOf(1));
    staying.ask(cache, pathOf(1));
    ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == 1; }));
    cache.cancel(leaving.ticket);
    held.release(pathOf(1));
    ASSERT_TRUE(processEventsUntil([&] { return staying.result.has_value(); }));

    EXPECT_FALSE(leaving.result.has_value());
    EXPECT_FALSE(staying.result->isNull());
    EXPECT_FALSE(cache.cachedImage(pathOf(1), item(pathOf(1)), 360).isNull());
    EXPECT_TRUE(held.abandoned().isEmpty());
}

TEST(ThumbnailCache, ARunningDecodeNobodyWaitsForStopsCachesNothingAndFreesItsSlot) {
    HeldDecoder held;
    ThumbnailCache cache(held.decoder());
    std::array<Caller, 4> callers;
    for (int index = 0; index < 4; ++index) {
        callers[index].ask(cache, pathOf(index));
    }
    ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == 3; }));
    cache.cancel(callers[0].ticket);
    ASSERT_TRUE(processEventsUntil([&] { return held.started().size() == 4; }));

    EXPECT_EQ(held.abandoned(), QStringList{pathOf(0)});
    EXPECT_EQ(held.started().last(), pathOf(3));
    EXPECT_FALSE(callers[0].result.has_value());
    EXPECT_TRUE(cache.cachedImage(pathOf(0), item(pathOf(0)), 360).isNull());
    for (int index = 1; index < 4; ++index) {
        held.release(pathOf(index));
    }
    ASSERT_TRUE(processEventsUntil([&] { return cache.running() == 0; }));
}

TEST(ThumbnailCache, AFailedDecodeGivesNothingCachesNothingAndIsTriedAgain) {
    HeldDecoder held;
    ThumbnailCache cache(held.decoder());
    Caller first;
    Caller second;
    first.ask(cache, pathOf(1));
    second.ask(cache, pathOf(1));
    held.fail(pathOf(1));
    ASSERT_TRUE(processEventsUntil([&] { return first.result && second.result; }));
    EXPECT_TRUE(first.result->isNull());
    EXPECT_TRUE(second.result->isNull());
    EXPECT_EQ(cache.memoryCache().count(), 0);

    Caller again;
    again.ask(cache, pathOf(1));
    ASSERT_TRUE(processEventsUntil([&] { return again.result.has_value(); }));
    EXPECT_EQ(cache.decodeCount(), 2);
}

// A decoder that answers at once with a size x size/2 picture.
QImage instantDecode(const ThumbnailSource& source, const std::atomic<bool>&) {
    QImage image(source.size, source.size / 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Asks for the paths in `indexes` at `size` and waits for all of them.
void decodeAll(ThumbnailCache& cache, const QList<int>& indexes, int size) {
    std::vector<std::unique_ptr<Caller>> callers;
    for (const int index : indexes) {
        callers.push_back(std::make_unique<Caller>());
        callers.back()->ask(cache, pathOf(index), size);
    }
    ASSERT_TRUE(processEventsUntil([&] { return cache.running() == 0 && cache.jobCount() == 0; }));
}

TEST(ThumbnailCache, KeepsAThousandThumbnailsTheLeastRecentlyUsedLeavingFirst) {
    ThumbnailCache cache(instantDecode);
    decodeAll(cache, {0}, 8);
    decodeAll(cache, {1}, 8);
    EXPECT_FALSE(cache.cachedImage(pathOf(0), item(pathOf(0)), 8).isNull());  // 1 is now oldest
    QList<int> more;
    for (int index = 2; index <= 1000; ++index) {
        more.append(index);
    }
    decodeAll(cache, more, 8);

    EXPECT_EQ(cache.memoryCache().count(), 1000);
    EXPECT_TRUE(cache.cachedImage(pathOf(1), item(pathOf(1)), 8).isNull());
    EXPECT_FALSE(cache.cachedImage(pathOf(0), item(pathOf(0)), 8).isNull());
    EXPECT_FALSE(cache.cachedImage(pathOf(1000), item(pathOf(1000)), 8).isNull());
}

TEST(ThumbnailCache, KeepsAtMost128MiBOfBitmaps) {
    ThumbnailCache cache(instantDecode);
    decodeAll(cache, {0}, 4096);  // 4096 x 2048 x 4 bytes: 32 MiB each
    decodeAll(cache, {1, 2, 3, 4}, 4096);

    EXPECT_EQ(cache.memoryCache().count(), 4);
    EXPECT_EQ(cache.memoryCache().totalCost(), 134217728);
    EXPECT_TRUE(cache.cachedImage(pathOf(0), item(pathOf(0)), 4096).isNull());
}

TEST(ThumbnailCache, AHandlerMayAskForAnotherThumbnail) {
    HeldDecoder held;
    ThumbnailCache cache(held.decoder());
    Caller outer;
    Caller inner;
    outer.ticket =
        cache.image(pathOf(1), item(pathOf(1)), 360, &outer.context, [&](const QImage& image) {
            outer.result = image;
            inner.ask(cache, pathOf(2));
        });
    held.release(pathOf(1));
    held.release(pathOf(2));
    ASSERT_TRUE(processEventsUntil([&] { return inner.result.has_value(); }));
    EXPECT_EQ(cache.decodeCount(), 2);
    EXPECT_EQ(cache.running(), 0);
}

}  // namespace
}  // namespace lumivex
