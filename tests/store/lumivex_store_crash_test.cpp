// Kills a child process at file writes throughout a run of edits, undo and redo, and during the
// save that follows a confirmed deletion, and checks that the next opening of the folder shows each
// edit whole or not at all and keeps every rating.

#include "store/store_fixture.h"

#include "platform/atomic_file.h"
#include "support/child_process.h"
#include "support/child_step.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace lumivex::test {
namespace {

// What a child run that was not killed reports: its fault hook calls in all, and those made
// before the deletion was confirmed.
struct ChildCalls {
    int total = 0;
    int beforeDeletion = 0;
};

class StoreCrashTest : public StoreTest {
protected:
    StoreCrashTest() = default;
    explicit StoreCrashTest(const QString& parentHome) : StoreTest(parentHome) {}

    // The edits the child makes: one rating over two folders, its undo and its redo, and a note.
    void edit() {
        store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("sub/c.png")}));
        store->setRating(5);
        store->undoMetadata();
        store->redoMetadata();
        store->setNotes(QStringLiteral("kept"), item(QStringLiteral("b.jpg")).id);
    }

    // The edits, then a.jpg moved to the trash folder and the deletion saved.
    void editAndDelete() {
        edit();
        beforeDeletion_ = calls_;
        store->setSelection(ids({QStringLiteral("a.jpg")}));
        store->requestDeletion(std::nullopt);
        store->confirmDeletion(*store->deletionRequest());
        settle();
    }

    // Runs `step` on this library in a fresh child that dies at fault hook call `killAt` (never
    // when 0); returns the calls of a run that was not killed and kept the store unlocked, zeros
    // otherwise.
    ChildCalls runChild(const ChildStep& step, int killAt) {
        const ChildEnd end = runChildStep(step, {home, QString::number(killAt)});
        const QList<QByteArray> numbers = end.report.split(' ');
        if (!end.finished || numbers.size() != 2) {
            return {};
        }
        return {numbers[0].toInt(), numbers[1].toInt()};
    }

    void expectNoJournal() {
        EXPECT_FALSE(QFile::exists(at(QStringLiteral(".lumivex/folders-pending.json"))));
        EXPECT_FALSE(QFile::exists(at(QStringLiteral(".lumivex/pending-write.json"))));
        EXPECT_FALSE(QFile::exists(at(QStringLiteral("sub/.lumivex/pending-write.json"))));
    }

    // A new tree, trash folder and store, opened, for a run that starts from nothing.
    void freshLibrary() {
        store.reset();
        ASSERT_TRUE(QDir(library).removeRecursively());
        QDir(trashFolder).removeRecursively();
        makeDirectories(library);
        makeDirectories(trashFolder);
        trash.folder = trashFolder;
        makeTree();
        makeStore();
        openLibrary();
        ASSERT_FALSE(store->locked());
    }

    // The rating of a.jpg, in the library or in the deleted records, where exactly one holds it.
    std::int64_t ratingOfDeletedCandidate() {
        const auto& items = store->library().items;
        const auto& records = store->deletedArchive().records;
        const auto present =
            std::find_if(items.begin(), items.end(), [](const MediaItem& candidate) {
                return candidate.filename == QStringLiteral("a.jpg");
            });
        const auto archived =
            std::find_if(records.begin(), records.end(), [](const DeletedRecord& record) {
                return record.item.filename == QStringLiteral("a.jpg");
            });
        EXPECT_NE(present == items.end(), archived == records.end())
            << "a.jpg must be either in the library or in the deleted records";
        if (present != items.end()) {
            EXPECT_TRUE(QFile::exists(at(QStringLiteral("a.jpg"))));
            return present->rating;
        }
        return archived != records.end() ? archived->item.rating : -1;
    }

    QString trashFolder = home + QStringLiteral("/Trash");
    int calls_ = 0;
    int beforeDeletion_ = 0;
};

// The child's side: the parent's library opened afresh, then the work up to its kill point.
class StoreCrashChild final : public StoreCrashTest {
public:
    explicit StoreCrashChild(const QString& parentHome) : StoreCrashTest(parentHome) {
        trash.folder = trashFolder;
    }

    QByteArray run(bool deleting, int killAt) {
        makeStore();
        openLibrary();
        AtomicFile::setFaultHook([this, killAt](AtomicFile::Stage, const QString&) {
            if (++calls_ == killAt) {
                ::kill(::getpid(), SIGKILL);
            }
        });
        deleting ? editAndDelete() : edit();
        if (store->locked()) {
            return {};
        }
        return QByteArray::number(calls_) + ' ' + QByteArray::number(beforeDeletion_);
    }

private:
    void TestBody() override {}
};

const ChildStep editing("store-crash-edit", [](const QStringList& arguments) {
    return StoreCrashChild(arguments[0]).run(false, arguments[1].toInt());
});

const ChildStep deleting("store-crash-delete", [](const QStringList& arguments) {
    return StoreCrashChild(arguments[0]).run(true, arguments[1].toInt());
});

// Every write is a kill point worth trying, but each costs two openings with flushed writes;
// every third keeps each edit's writes covered within a few seconds.
#if defined(__SANITIZE_ADDRESS__)
constexpr int stride = 10;  // the sanitizers look for memory faults, not for every write
constexpr int deletionKillPointsByDefault = 3;
#else
constexpr int stride = 3;
constexpr int deletionKillPointsByDefault = 6;
#endif

TEST_F(StoreCrashTest, EveryKilledEditIsWholeOrAbsentAfterTheNextOpening) {
    makeTree();
    openLibrary();
    const int calls = runChild(editing, 0).total;
    ASSERT_GT(calls, 0) << "the edits ran without a lock in the child";
    for (int killAt = 1; killAt <= calls; killAt += stride) {
        SCOPED_TRACE(testing::Message() << "killed at write " << killAt << " of " << calls);
        runChild(editing, killAt);
        makeStore();
        openLibrary();
        ASSERT_FALSE(store->locked()) << store->error().value_or(QString()).toStdString();
        const std::int64_t a = item(QStringLiteral("a.jpg")).rating;
        EXPECT_TRUE(a == 0 || a == 5);
        EXPECT_EQ(item(QStringLiteral("sub/c.png")).rating, a) << "one rating step, two folders";
        const QString notes = item(QStringLiteral("b.jpg")).notes;
        EXPECT_TRUE(notes.isEmpty() || notes == QStringLiteral("kept"));
        expectNoJournal();

        // The next run starts from the state before the edits.
        store->setRating(0, item(QStringLiteral("a.jpg")).id);
        store->setRating(0, item(QStringLiteral("sub/c.png")).id);
        store->setNotes(QString(), item(QStringLiteral("b.jpg")).id);
        ASSERT_FALSE(store->locked());
    }
}

// How many of the kill points from the deletion's save on a run tries, spread evenly over them;
// LUMIVEX_CRASH_ITERATIONS raises it up to every one.
int deletionKillPoints() {
    const char* text = std::getenv("LUMIVEX_CRASH_ITERATIONS");
    return text != nullptr && *text != 0 ? std::atoi(text) : deletionKillPointsByDefault;
}

// The file is already in the trash when the save is killed: the next opening finds it gone and
// keeps its metadata in the deleted records, or the save went through and put it there itself.
TEST_F(StoreCrashTest, AKilledSaveAfterADeletionKeepsTheDeletedItemsMetadata) {
    freshLibrary();
    const ChildCalls calls = runChild(deleting, 0);
    ASSERT_GT(calls.total, calls.beforeDeletion) << "the deletion saved nothing in the child";
    const int points = calls.total - calls.beforeDeletion;
    const int step = std::max(1, points / std::max(1, deletionKillPoints()));
    for (int killAt = calls.beforeDeletion + 1; killAt <= calls.total; killAt += step) {
        SCOPED_TRACE(testing::Message() << "killed at write " << killAt << " of " << calls.total
                                        << ", the deletion's from " << calls.beforeDeletion + 1);
        freshLibrary();
        runChild(deleting, killAt);
        EXPECT_FALSE(QFile::exists(at(QStringLiteral("a.jpg"))));
        makeStore();
        openLibrary();
        ASSERT_FALSE(store->locked()) << store->error().value_or(QString()).toStdString();
        EXPECT_EQ(ratingOfDeletedCandidate(), 5);
        EXPECT_EQ(item(QStringLiteral("sub/c.png")).rating, 5);
        EXPECT_EQ(item(QStringLiteral("b.jpg")).notes, QStringLiteral("kept"));
        EXPECT_EQ(store->library().items.size(), 2);
        expectNoJournal();
    }
}

}  // namespace
}  // namespace lumivex::test
