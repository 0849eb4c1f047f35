// A tree save that meets a full disk, a failed rename or a failed removal at any of its writes:
// the caller gets the system error with its Korean description, and the tree is left either
// exactly as it was or with a journal that the next load or save completes.

#include "catalog/folder_catalog.h"
#include "catalog_tree.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "support/child_process.h"
#include "support/child_step.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

using namespace lumivex;
namespace Tree = lumivex::test::CatalogTree;
using AtomicFile::Stage;

namespace {

constexpr std::uint32_t seed = 7;

// The failure a system would report at each stage of a write or removal.
int errorNumberAt(Stage stage) {
    switch (stage) {
        case Stage::beforeWrite:
            return ENOSPC;
        case Stage::beforeRename:
            return EXDEV;
        case Stage::afterRename:
        case Stage::afterRemove:
            return EIO;
        case Stage::beforeRemove:
            return EACCES;
    }
    return EIO;
}

struct Step {
    Stage stage;
    QString relativePath;

    bool operator==(const Step&) const = default;
};

// The edits every test saves: a batch with a deletion, which makes a folder journal its two files.
LibraryState editsTo(const LibraryState& state) {
    std::mt19937 random(seed);
    LibraryState after = Tree::edited(state, random);
    while (after.deleted.records.isEmpty()) {
        after = Tree::edited(state, random);
    }
    return after;
}

// A real short write in a fresh child: the system refuses to let any file grow past 4 KiB.
const test::ChildStep limitedSave("tree-save-file-size-limit", [](const QStringList& arguments) {
    const QString& root = arguments[0];
    const LibraryState after = editsTo(FolderCatalog::load(root, std::nullopt));
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
        FolderCatalog::save(after, root);
    } catch (const Error& error) {
        return error.description().toUtf8();
    }
    return QByteArrayLiteral("saved");
});

class TreeSaveFaultTest : public ::testing::Test {
protected:
    void TearDown() override { AtomicFile::setFaultHook({}); }

    // A small tree written and loaded back, and a batch of edits to it.
    void prepare(const QString& root) {
        Tree::write(Tree::syntheticState(Tree::folderKeys(8), 240, seed), root);
        state = FolderCatalog::load(root, std::nullopt);
        after = editsTo(state);
    }

    // Every write stage of the save of `after`, with paths relative to `root`.
    std::vector<Step> record(const QString& root) {
        std::vector<Step> steps;
        AtomicFile::setFaultHook([&](Stage stage, const QString& path) {
            steps.push_back({stage, path.mid(root.size() + 1)});
        });
        FolderCatalog::save(after, root);
        AtomicFile::setFaultHook({});
        return steps;
    }

    LibraryState state;
    LibraryState after;
};

TEST_F(TreeSaveFaultTest, AFailureAtAnyWriteKeepsTheTreeOrLeavesAJournalTheNextLoadCompletes) {
    QTemporaryDir probe{Tree::temporaryTemplate()};
    prepare(probe.path());
    const std::vector<Step> steps = record(probe.path());
    ASSERT_GT(steps.size(), 10u);
    // Nothing in the tree may change before the journal that can complete the save exists.
    EXPECT_EQ(steps.front(),
              (Step{Stage::beforeWrite, QStringLiteral(".lumivex/folders-pending.json")}));

    for (size_t failing = 0; failing < steps.size(); ++failing) {
        SCOPED_TRACE(testing::Message()
                     << "failing at stage " << static_cast<int>(steps[failing].stage) << " of "
                     << steps[failing].relativePath.toStdString());
        QTemporaryDir folder{Tree::temporaryTemplate()};
        const QString root = folder.path();
        prepare(root);
        const auto bytesBefore = Tree::treeBytes(root);
        // Folders of one depth are written side by side, in no fixed order: the step is found
        // by what it writes, and by how often the same was written before it.
        const auto occurrence =
            std::count(steps.begin(), steps.begin() + std::ptrdiff_t(failing), steps[failing]);
        std::ptrdiff_t seen = 0;
        std::optional<Error> injected;
        AtomicFile::setFaultHook([&](Stage stage, const QString& path) {
            if (!injected && Step{stage, path.mid(root.size() + 1)} == steps[failing] &&
                seen++ == occurrence) {
                injected = Error::fromErrno(errorNumberAt(stage), path);
                throw *injected;
            }
        });
        try {
            FolderCatalog::save(after, root);
            ADD_FAILURE() << "the save reported success";
        } catch (const Error& error) {
            ASSERT_TRUE(injected) << error.description().toStdString();
            EXPECT_EQ(error.domain(), injected->domain());
            EXPECT_EQ(error.code(), injected->code());
            EXPECT_EQ(error.description(), injected->description());
            EXPECT_TRUE(
                error.description().startsWith(QStringLiteral("파일 작업에 실패했습니다: ")));
        }
        AtomicFile::setFaultHook({});

        const bool beforeJournal = failing < 2;
        if (beforeJournal) {
            EXPECT_EQ(Tree::treeBytes(root), bytesBefore) << "the tree changed without a journal";
        }
        // Half the runs recover by loading, half by saving the same state again.
        if (failing % 2 == 1) {
            FolderCatalog::save(after, root);
        }
        const LibraryState loaded = FolderCatalog::load(root, std::nullopt);
        EXPECT_EQ(Tree::journalsUnder(root).join(u' ').toStdString(), "");
        const Tree::Values expected =
            Tree::valuesOf(beforeJournal && failing % 2 == 0 ? state : after);
        EXPECT_EQ(Tree::firstDifference(expected, Tree::valuesOf(loaded)).toStdString(), "");
    }
}

TEST_F(TreeSaveFaultTest, AWriteCutShortByTheFileSizeLimitKeepsEveryFileAsItWas) {
    QTemporaryDir folder{Tree::temporaryTemplate()};
    const QString root = folder.path();
    prepare(root);
    const auto bytesBefore = Tree::treeBytes(root);

    const QByteArray report = test::runChildStep(limitedSave, {root}).report;

    EXPECT_EQ(report.toStdString(),
              Error::fromErrno(EFBIG, root + QStringLiteral("/.lumivex/folders-pending.json"))
                  .description()
                  .toStdString());
    EXPECT_EQ(Tree::treeBytes(root), bytesBefore);
    const LibraryState loaded = FolderCatalog::load(root, std::nullopt);
    EXPECT_EQ(Tree::firstDifference(Tree::valuesOf(state), Tree::valuesOf(loaded)).toStdString(),
              "");
}

}  // namespace
