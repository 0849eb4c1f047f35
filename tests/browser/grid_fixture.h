#pragma once

#include "browser/media_grid_view.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
#include "store/store_fixture.h"

#include <QKeyEvent>
#include <QWidget>

#include <memory>

namespace lumivex::test {

// A top-level window for the grid that records the keys that reach it.
class GridWindow final : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.append(event->key()); }
};

// A store on a folder of generated photos (and videos), sorted by name, and a grid on it in an
// active window.
class GridTest : public StoreTest {
protected:
    GridTest();
    ~GridTest() override;

    // p00.jpg, p01.jpg, ... and v00.mp4, ...; pictures of `size` like camera photos when given.
    void openMedia(int photoCount, int videos = 0, QSize pictureSize = {});
    // Shows the grid with a viewport of this size, in an active window.
    MediaGridView& showGrid(int viewportWidth, int viewportHeight);

    QUuid idAt(qsizetype position) const;
    QSet<QUuid> idsAt(std::initializer_list<qsizetype> positions) const;
    QSet<QUuid> idsFrom(qsizetype first, qsizetype last) const;
    // The centre of a card's thumbnail, and a point on its name, in viewport coordinates.
    QPointF thumbnailPoint(qsizetype position) const;
    QPointF namePoint(qsizetype position) const;

    void press(QPointF point, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void moveTo(QPointF point, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void release(QPointF point, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void click(QPointF point, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Press, release, press, double click, release, as the platform delivers a double click.
    void doubleClick(QPointF point, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Runs posted events until the thumbnails of the cards on screen are drawn (10 s at most).
    void waitForThumbnails();

    ThumbnailCache thumbnails;
    PhotosThumbnailCache photosThumbnails;
    std::unique_ptr<GridWindow> window;
    MediaGridView* grid = nullptr;
};

}  // namespace lumivex::test
