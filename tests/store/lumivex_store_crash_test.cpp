// Kills the process at file writes throughout a run of edits, undo and redo, and checks that the
// next opening of the folder shows each edit whole or not at all.

#include "store/store_fixture.h"

#include "platform/atomic_file.h"

#include <QFile>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lumivex::test {
namespace {

class StoreCrashTest : public StoreTest {
protected:
    // The edits the child makes: one rating over two folders, its undo and its redo, and a note.
    void edit() {
        store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("sub/c.png")}));
        store->setRating(5);
        store->undoMetadata();
        store->redoMetadata();
        store->setNotes(QStringLiteral("kept"), item(QStringLiteral("b.jpg")).id);
    }

    // Runs the edits in a child that dies at fault hook call `killAt` (never when 0); returns the
    // number of hook calls of a run that was not killed.
    int runChild(int killAt) {
        int pipeEnds[2];
        EXPECT_EQ(::pipe(pipeEnds), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(pipeEnds[0]);
            int calls = 0;
            AtomicFile::setFaultHook([&calls, killAt](AtomicFile::Stage, const QString&) {
                if (++calls == killAt) {
                    ::kill(::getpid(), SIGKILL);
                }
            });
            edit();
            const bool clean = !store->locked();
            const int report = clean ? calls : -1;
            [[maybe_unused]] const auto written = ::write(pipeEnds[1], &report, sizeof report);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        int calls = 0;
        const bool reported = ::read(pipeEnds[0], &calls, sizeof calls) == sizeof calls;
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(pipeEnds[0]);
        return reported ? calls : 0;
    }
};

// Every write is a kill point worth trying, but each costs two openings with flushed writes;
// every third keeps each edit's writes covered within a few seconds.
#if defined(__SANITIZE_ADDRESS__)
constexpr int stride = 10;  // the sanitizers look for memory faults, not for every write
#else
constexpr int stride = 3;
#endif

TEST_F(StoreCrashTest, EveryKilledEditIsWholeOrAbsentAfterTheNextOpening) {
    makeTree();
    openLibrary();
    const int calls = runChild(0);
    ASSERT_GT(calls, 0) << "the edits ran without a lock in the child";
    for (int killAt = 1; killAt <= calls; killAt += stride) {
        SCOPED_TRACE(testing::Message() << "killed at write " << killAt << " of " << calls);
        runChild(killAt);
        makeStore();
        openLibrary();
        ASSERT_FALSE(store->locked()) << store->error().value_or(QString()).toStdString();
        const std::int64_t a = item(QStringLiteral("a.jpg")).rating;
        EXPECT_TRUE(a == 0 || a == 5);
        EXPECT_EQ(item(QStringLiteral("sub/c.png")).rating, a) << "one rating step, two folders";
        const QString notes = item(QStringLiteral("b.jpg")).notes;
        EXPECT_TRUE(notes.isEmpty() || notes == QStringLiteral("kept"));
        EXPECT_FALSE(QFile::exists(at(QStringLiteral(".lumivex/folders-pending.json"))));
        EXPECT_FALSE(QFile::exists(at(QStringLiteral(".lumivex/pending-write.json"))));
        EXPECT_FALSE(QFile::exists(at(QStringLiteral("sub/.lumivex/pending-write.json"))));

        // The next run starts from the state before the edits.
        store->setRating(0, item(QStringLiteral("a.jpg")).id);
        store->setRating(0, item(QStringLiteral("sub/c.png")).id);
        store->setNotes(QString(), item(QStringLiteral("b.jpg")).id);
        ASSERT_FALSE(store->locked());
    }
}

}  // namespace
}  // namespace lumivex::test
