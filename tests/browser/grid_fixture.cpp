#include "browser/grid_fixture.h"

#include "browser/grid_thumbnails.h"
#include "browser/media_grid_model.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <cstdio>

namespace lumivex::test {

namespace {

QString numbered(const char* format, int number) {
    char name[32];
    std::snprintf(name, sizeof name, format, number);
    return QString::fromLatin1(name);
}

}  // namespace

GridTest::GridTest() = default;

GridTest::~GridTest() {
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void GridTest::openMedia(int photoCount, int videos, QSize pictureSize) {
    for (int number = 0; number < photoCount; ++number) {
        const QString path = at(numbered("p%02d.jpg", number));
        if (pictureSize.isEmpty()) {
            writeFile(path, plainJpeg());
        } else {
            writeFile(path, encodeImage(photoLikeImage(pictureSize, number + 1), "JPEG", 85));
        }
    }
    for (int number = 0; number < videos; ++number) {
        VideoClip clip;
        clip.frames = 10 + 5 * number;
        clip.width = 96;
        clip.height = 64;
        writeVideo(at(numbered("v%02d.mp4", number)), clip);
    }
    openLibrary();
    MediaQuery query = store->query();
    query.sort = SortOrder::name;
    query.ascending = true;
    store->setQuery(query);
}

MediaGridView& GridTest::showGrid(int viewportWidth, int viewportHeight) {
    window = std::make_unique<GridWindow>();
    grid = new MediaGridView({store.get(), defaults.get(), &shell, &thumbnails, &photosThumbnails},
                             window.get());
    grid->setGeometry(0, 0, viewportWidth, viewportHeight);
    window->resize(viewportWidth + 40, viewportHeight);
    window->show();
    grid->setGeometry(0, 0, 2 * viewportWidth - grid->viewport()->width(),
                      2 * viewportHeight - grid->viewport()->height());
    window->resize(grid->width(), grid->height());
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(grid->viewport()->width(), viewportWidth);
    EXPECT_EQ(grid->viewport()->height(), viewportHeight);
    return *grid;
}

QUuid GridTest::idAt(qsizetype position) const {
    return store->visibleOrder().at(position);
}

QSet<QUuid> GridTest::idsAt(std::initializer_list<qsizetype> positions) const {
    QSet<QUuid> result;
    for (const qsizetype position : positions) {
        result.insert(idAt(position));
    }
    return result;
}

QSet<QUuid> GridTest::idsFrom(qsizetype first, qsizetype last) const {
    QSet<QUuid> result;
    for (qsizetype position = first; position <= last; ++position) {
        result.insert(idAt(position));
    }
    return result;
}

QPointF GridTest::thumbnailPoint(qsizetype position) const {
    const QRectF frame =
        grid->gridLayout().frame(position).translated(0, -grid->verticalScrollBar()->value());
    return {frame.center().x(), frame.top() + frame.width() / 2};
}

QPointF GridTest::namePoint(qsizetype position) const {
    const QRectF frame =
        grid->gridLayout().frame(position).translated(0, -grid->verticalScrollBar()->value());
    return {frame.center().x(), frame.top() + frame.width() + 18};
}

namespace {

// Events 10 s apart unless `gap` says otherwise, so that no two presses make a double click.
void send(QWidget* target, QEvent::Type type, QPointF point, Qt::MouseButton button,
          Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, quint64 gap = 10000) {
    static quint64 time = 1000000000;
    time += gap;
    QMouseEvent event(type, point, target->mapToGlobal(point), button, buttons, modifiers);
    event.setTimestamp(time);
    QApplication::sendEvent(target, &event);
}

}  // namespace

void GridTest::press(QPointF point, Qt::KeyboardModifiers modifiers) {
    send(grid->viewport(), QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton,
         modifiers);
}

void GridTest::moveTo(QPointF point, Qt::KeyboardModifiers modifiers) {
    send(grid->viewport(), QEvent::MouseMove, point, Qt::NoButton, Qt::LeftButton, modifiers);
}

void GridTest::release(QPointF point, Qt::KeyboardModifiers modifiers) {
    send(grid->viewport(), QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::NoButton,
         modifiers);
}

void GridTest::doubleClick(QPointF point, Qt::KeyboardModifiers modifiers) {
    QWidget* target = grid->viewport();
    send(target, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton, modifiers);
    send(target, QEvent::MouseButtonRelease, point, Qt::LeftButton, {}, modifiers, 50);
    send(target, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton, modifiers, 50);
    send(target, QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton, modifiers, 0);
    send(target, QEvent::MouseButtonRelease, point, Qt::LeftButton, {}, modifiers, 50);
}

void GridTest::click(QPointF point, Qt::KeyboardModifiers modifiers) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, point.toPoint());
}

void GridTest::waitForThumbnails() {
    grid->requestThumbnails();
    const auto [first, end] =
        grid->gridLayout().rowSpan(grid->verticalScrollBar()->value(),
                                   grid->verticalScrollBar()->value() + grid->viewport()->height());
    const int side = qRound(qRound(grid->gridLayout().cardWidth()) * grid->devicePixelRatioF());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (qsizetype row = first; row < end; ++row) {
                const MediaItem& item = grid->gridModel().item(row);
                if (grid->thumbnails().square(item, store->root(), side).isNull() &&
                    !grid->thumbnails().failed(item, store->root())) {
                    return false;
                }
            }
            return true;
        },
        10000));
}

}  // namespace lumivex::test
