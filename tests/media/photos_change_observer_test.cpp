#include "media/photos_change_observer.h"

#include "support/fake_photo_library.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace lumivex {
namespace {

using test::FakePhotoLibrary;

void deliverPosted() {
    QCoreApplication::sendPostedEvents();
}

TEST(PhotosChangeObserverTest, EveryNoticeGivesOneCallOnTheMainThread) {
    FakePhotoLibrary photos;
    PhotosChangeObserver observer(photos);
    int calls = 0;
    bool allOnMain = true;
    observer.onChange = [&] {
        ++calls;
        allOnMain = allOnMain && QThread::currentThread() == qApp->thread();
    };
    std::thread library([&] {
        for (int i = 0; i < 3; ++i) {
            photos.triggerChange();
        }
    });
    library.join();
    EXPECT_EQ(calls, 0);
    deliverPosted();
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(allOnMain);
}

TEST(PhotosChangeObserverTest, WithoutAHandlerOrAfterDestructionNoticesDoNothing) {
    FakePhotoLibrary photos;
    int calls = 0;
    {
        PhotosChangeObserver observer(photos);
        EXPECT_EQ(photos.observerCount(), 1);
        photos.triggerChange();
        deliverPosted();

        observer.onChange = [&] { ++calls; };
        photos.triggerChange();
    }
    EXPECT_EQ(photos.observerCount(), 0);
    deliverPosted();
    photos.triggerChange();
    deliverPosted();
    EXPECT_EQ(calls, 0);
}

TEST(PhotosChangeObserverTest, AHandlerMayDestroyItsObserver) {
    FakePhotoLibrary photos;
    auto observer = std::make_unique<PhotosChangeObserver>(photos);
    int calls = 0;
    observer->onChange = [&] {
        ++calls;
        observer.reset();
    };
    photos.triggerChange();
    photos.triggerChange();
    deliverPosted();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(photos.observerCount(), 0);
}

}  // namespace
}  // namespace lumivex
