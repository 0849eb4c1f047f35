#include "platform/atomic_file.h"

#include "platform/error.h"
#include "support/child_step.h"
#include "support/test_files.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

using namespace lumivex;
using lumivex::test::readFile;
using lumivex::test::writeFile;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void TearDown() override { AtomicFile::setFaultHook({}); }

    QStringList entries() const {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    void failAt(AtomicFile::Stage failing, int errorNumber) {
        AtomicFile::setFaultHook(
            [failing, errorNumber](AtomicFile::Stage stage, const QString& path) {
                if (stage == failing) {
                    throw Error::fromErrno(errorNumber, path);
                }
            });
    }

    QTemporaryDir folder;
    QString target = folder.filePath(QStringLiteral("lumivex.csv"));
};

TEST_F(AtomicFileTest, ReplacesTheWholeContentAndLeavesNoTemporaryFile) {
    AtomicFile::write(target, QByteArray(10000, 'a'));
    AtomicFile::write(target, QByteArrayLiteral("short\n"));
    EXPECT_EQ(readFile(target), QByteArrayLiteral("short\n"));
    AtomicFile::write(target, {});
    EXPECT_EQ(QFileInfo(target).size(), 0);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("lumivex.csv")});
}

TEST_F(AtomicFileTest, CreatesMissingParentFolders) {
    const QString deep = folder.filePath(QStringLiteral("a/b/.lumivex/deleted.csv"));
    AtomicFile::write(deep, QByteArrayLiteral("x"));
    EXPECT_EQ(readFile(deep), QByteArrayLiteral("x"));
}

TEST_F(AtomicFileTest, RefusesAParentThatIsAFile) {
    writeFile(folder.filePath(QStringLiteral("plain")), QByteArrayLiteral("keep"));
    try {
        AtomicFile::write(folder.filePath(QStringLiteral("plain/inner/file")), "x");
        FAIL() << "a file on the way was accepted as a folder";
    } catch (const Error& error) {
        EXPECT_EQ(error.systemErrorNumber(), ENOTDIR);
    }
    EXPECT_EQ(readFile(folder.filePath(QStringLiteral("plain"))), QByteArrayLiteral("keep"));
}

TEST_F(AtomicFileTest, AFailureBeforeTheRenameKeepsTheOldFileAndNoTemporaryFile) {
    for (const auto stage : {AtomicFile::Stage::beforeWrite, AtomicFile::Stage::beforeRename}) {
        AtomicFile::setFaultHook({});
        AtomicFile::write(target, QByteArrayLiteral("old"));
        failAt(stage, ENOSPC);
        try {
            AtomicFile::write(target, QByteArrayLiteral("new"));
            FAIL() << "the injected failure was swallowed";
        } catch (const Error& error) {
            EXPECT_EQ(error.systemErrorNumber(), ENOSPC);
        }
        EXPECT_EQ(readFile(target), QByteArrayLiteral("old"));
        EXPECT_EQ(entries(), QStringList{QStringLiteral("lumivex.csv")});
    }
}

TEST_F(AtomicFileTest, AFailureAfterTheRenameReportsButTheNewContentIsInPlace) {
    AtomicFile::write(target, QByteArrayLiteral("old"));
    failAt(AtomicFile::Stage::afterRename, EIO);
    EXPECT_THROW(AtomicFile::write(target, QByteArrayLiteral("new")), Error);
    EXPECT_EQ(readFile(target), QByteArrayLiteral("new"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("lumivex.csv")});
}

TEST_F(AtomicFileTest, ACrashBeforeTheRenameLeavesTheOldContent) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    AtomicFile::write(target, QByteArrayLiteral("old"));
    EXPECT_EXIT(
        {
            AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString&) {
                if (stage == AtomicFile::Stage::beforeRename) {
                    std::_Exit(3);
                }
            });
            AtomicFile::write(target, QByteArrayLiteral("new"));
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(readFile(target), QByteArrayLiteral("old"));
}

TEST_F(AtomicFileTest, ReplacesASymbolicLinkAtTheTargetWithoutTouchingWhatItPointsTo) {
    const QString outside = folder.filePath(QStringLiteral("outside.csv"));
    writeFile(outside, QByteArrayLiteral("outside"));
    test::makeSymbolicLink(outside, target);
    AtomicFile::write(target, QByteArrayLiteral("inside"));
    EXPECT_FALSE(QFileInfo(target).isSymLink());
    EXPECT_EQ(readFile(target), QByteArrayLiteral("inside"));
    EXPECT_EQ(readFile(outside), QByteArrayLiteral("outside"));
}

TEST_F(AtomicFileTest, RemoveUnlinksAndReportsAMissingFile) {
    AtomicFile::write(target, QByteArrayLiteral("x"));
    AtomicFile::remove(target);
    EXPECT_FALSE(QFileInfo::exists(target));
    try {
        AtomicFile::remove(target);
        FAIL() << "removing a missing file succeeded";
    } catch (const Error& error) {
        EXPECT_EQ(error.systemErrorNumber(), ENOENT);
    }
    AtomicFile::write(target, QByteArrayLiteral("x"));
    failAt(AtomicFile::Stage::beforeRemove, EIO);
    EXPECT_THROW(AtomicFile::remove(target), Error);
    EXPECT_TRUE(QFileInfo::exists(target));
}

namespace {

// Trials of writes to the file of the first argument, without the superuser's rights: one in its
// read-only folder, then two past and within a file size limit with the folder writable.
const test::ChildStep trials("atomic-file-trials", [](const QStringList& arguments) {
    return test::withoutRights([&] {
        const QString& path = arguments[0];
        QStringList results;
        const auto tryWrite = [&](qint64 bytes) {
            try {
                const AtomicFile::Trial trial(path, bytes);
                results.append(QStringLiteral("tried"));
            } catch (const Error& error) {
                results.append(error.description());
            }
        };
        tryWrite(10);
        // The file size limit stands in for a full disk.
        ::chmod(QFile::encodeName(QFileInfo(path).path()).constData(), 0755);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        tryWrite(1 << 16);
        tryWrite(1024);
        return results.join(u'|');
    });
});

}  // namespace

// A trial takes the room a write would take, where the write would take it, and leaves nothing
// behind; a folder that would refuse the write refuses the trial alike, naming the target.
TEST_F(AtomicFileTest, ATrialHoldsTheRoomOfAWriteAndLeavesNothingBehind) {
    AtomicFile::write(target, QByteArrayLiteral("old"));
    {
        const AtomicFile::Trial trial(target, 1 << 20);
        const QStringList held = entries().filter(QStringLiteral(".lumivex.csv.tmp-"));
        ASSERT_EQ(held.size(), 1);
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(folder.filePath(held.first())).constData(), &info), 0);
        EXPECT_GE(info.st_blocks * 512, 1 << 20);
    }
    EXPECT_EQ(entries(), QStringList{QStringLiteral("lumivex.csv")});

    test::handOver(folder.path());
    test::setMode(folder.path(), 0555);
    const QString report = test::asUnprivilegedUser(trials, {target});
    test::setMode(folder.path(), 0755);
    EXPECT_EQ(report.toStdString(),
              (Error::fromErrno(EACCES, target).description() + u'|' +
               Error::fromErrno(EFBIG, target).description() + QStringLiteral("|tried"))
                  .toStdString());
    EXPECT_EQ(entries(), QStringList{QStringLiteral("lumivex.csv")});
    EXPECT_EQ(readFile(target), QByteArrayLiteral("old"));
}

// The rule by which the catalog tells a temporary file left behind from anyone else's file.
TEST_F(AtomicFileTest, TheNamesOfTemporaryFilesFollowOneRule) {
    QStringList seen;
    AtomicFile::setFaultHook([&](AtomicFile::Stage stage, const QString&) {
        if (stage == AtomicFile::Stage::beforeRename) {
            seen = entries();
        }
    });
    for (int write = 0; write < 20; ++write) {
        AtomicFile::write(target, QByteArrayLiteral("x"));
        seen.removeAll(QStringLiteral("lumivex.csv"));
        ASSERT_EQ(seen.size(), 1);
        EXPECT_TRUE(AtomicFile::isTemporaryName(seen[0], u"lumivex.csv")) << seen[0].toStdString();
        EXPECT_FALSE(AtomicFile::isTemporaryName(seen[0], u"deleted.csv"));
        EXPECT_FALSE(AtomicFile::isTemporaryName(seen[0], u"vex.csv"));
    }
    for (const char* name : {"lumivex.csv.tmp-abc", ".lumivex.csv.tmp-", ".lumivex.csv.tmp-Abc",
                             ".lumivex.csv.tmp-abc.txt", ".lumivex.csv.tmp-abcdefghijklmn",
                             ".lumivex.csv-tmp-abc", "..lumivex.csv.tmp-abc"}) {
        EXPECT_FALSE(AtomicFile::isTemporaryName(QString::fromUtf8(name), u"lumivex.csv")) << name;
    }
    EXPECT_TRUE(AtomicFile::isTemporaryName(u".lumivex.csv.tmp-3w5e11264sgsf", u"lumivex.csv"));
}

}  // namespace
