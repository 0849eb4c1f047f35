#include "catalog/library_disk.h"
#include "model/catalog_error.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "support/child_process.h"
#include "support/child_step.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivex {
namespace {

using test::readFile;
using test::writeFile;

const QUuid ratingID = QUuid::fromString(QStringLiteral("11111111-2222-3333-4444-555555555555"));
const QUuid tagsID = QUuid::fromString(QStringLiteral("66666666-7777-4888-9999-AAAAAAAAAAAA"));

QList<Category> categories() {
    return {Category{
                ratingID, QStringLiteral("별점"), PropertyKind::rating, {}, QStringLiteral("star")},
            Category{tagsID,
                     QStringLiteral("태그"),
                     PropertyKind::multiSelect,
                     {QStringLiteral("바다"), QStringLiteral("산")},
                     QStringLiteral("tag")}};
}

MediaItem item(const QString& name, int number, bool available = true) {
    MediaItem result;
    result.id = QUuid::fromString(
        QStringLiteral("AAAAAAAA-0000-4000-8000-%1").arg(number, 12, 10, QLatin1Char('0')));
    result.filename = name;
    result.fileIdentity = QStringLiteral("1:%1:0.0").arg(number);
    result.size = 100 + number;
    result.modified = Date{1700000000.0 + number};
    result.added = Date{1700000100.5};
    result.rating = number % 6;
    result.labels[tagsID.toString(QUuid::WithoutBraces).toUpper()] = {QStringLiteral("바다")};
    result.available = available;
    return result;
}

LibraryState sampleState() {
    LibraryState state;
    state.library = Library::withContents(
        categories(), {item(QStringLiteral("a.jpg"), 1), item(QStringLiteral("b.jpg"), 2)});
    state.deleted = DeletedArchive{categories(), {{item(QStringLiteral("c.jpg"), 3, false), {5}}}};
    return state;
}

// Records every file the atomic writer replaces or removes, in order, and can fail one of them.
struct WriteLog {
    QStringList written;
    QStringList removed;
    QString failing;

    WriteLog() {
        AtomicFile::setFaultHook([this](AtomicFile::Stage stage, const QString& path) {
            if (stage == AtomicFile::Stage::beforeRename) {
                if (path == failing) {
                    throw Error::fromErrno(ENOSPC, path);
                }
                written.append(QFileInfo(path).fileName());
            } else if (stage == AtomicFile::Stage::beforeRemove) {
                removed.append(QFileInfo(path).fileName());
            }
        });
    }
    ~WriteLog() { AtomicFile::setFaultHook({}); }
    void clear() { written.clear(), removed.clear(); }
};

class LibraryDiskTest : public ::testing::Test {
protected:
    QTemporaryDir temporary;
    QString root = temporary.path() + QStringLiteral("/library");
    WriteLog log;

    QString file(const QString& relative) const { return root + u'/' + relative; }
    bool exists(const QString& relative) const { return QFileInfo::exists(file(relative)); }

    // Every metadata file's bytes, to prove a failure changed nothing.
    std::map<QString, QByteArray> snapshot() const {
        std::map<QString, QByteArray> files;
        for (const char* name : {".lumivex/lumivex.csv", ".lumivex/deleted.csv",
                                 ".lumivex/pending-write.json", ".lumivex/lumivex.backup.csv"}) {
            const QString relative = QString::fromUtf8(name);
            if (exists(relative)) {
                files[relative] = readFile(file(relative));
            }
        }
        return files;
    }
};

template <typename Call>
Error thrownBy(Call call) {
    try {
        call();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "no error";
    return Error(QString(), 0, QString());
}

TEST_F(LibraryDiskTest, FolderWithoutMetadataLoadsTheNewLibraryAndWritesNothing) {
    test::makeDirectories(root);
    const LibraryState state = LibraryDisk::loadState(root);
    EXPECT_EQ(state.library.categories.size(), Library().categories.size());
    EXPECT_TRUE(state.library.items.isEmpty());
    EXPECT_EQ(state.deleted, (DeletedArchive{state.library.categories, {}}));
    EXPECT_FALSE(exists(QStringLiteral(".lumivex")));
}

TEST_F(LibraryDiskTest, FirstSaveGoesThroughTheJournal) {
    const LibraryState state = sampleState();
    LibraryDisk::saveState(state, root);
    EXPECT_EQ(log.written,
              (QStringList{QStringLiteral("pending-write.json"), QStringLiteral("deleted.csv"),
                           QStringLiteral("lumivex.csv")}));
    EXPECT_EQ(log.removed, QStringList{QStringLiteral("pending-write.json")});
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/pending-write.json")));
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/lumivex.backup.csv")));
    EXPECT_EQ(readFile(file(QStringLiteral(".lumivex/lumivex.csv"))),
              state.library.catalogCSV().toUtf8());
    EXPECT_EQ(readFile(file(QStringLiteral(".lumivex/deleted.csv"))), state.deleted.csv().toUtf8());
    EXPECT_EQ(LibraryDisk::loadState(root), state);
}

TEST_F(LibraryDiskTest, SavingAnEqualStateWritesNothing) {
    LibraryDisk::saveState(sampleState(), root);
    log.clear();
    LibraryDisk::saveState(sampleState(), root);
    EXPECT_TRUE(log.written.isEmpty());
    EXPECT_TRUE(log.removed.isEmpty());
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/lumivex.backup.csv")));
}

TEST_F(LibraryDiskTest, ChangedRecordsAloneRewriteOnlyTheDeletedRecords) {
    LibraryDisk::saveState(sampleState(), root);
    log.clear();
    LibraryState state = sampleState();
    state.deleted.records[0].deletedAt = Date{6};
    LibraryDisk::saveState(state, root);
    EXPECT_EQ(log.written, QStringList{QStringLiteral("deleted.csv")});
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/lumivex.backup.csv")));
    EXPECT_EQ(LibraryDisk::loadState(root), state);
}

TEST_F(LibraryDiskTest, BackupKeepsStoredItemsStillPresentAndInTheNewLibrary) {
    LibraryState stored = sampleState();
    stored.library.items.append(item(QStringLiteral("d.jpg"), 4, false));
    stored.library.categories[1].options.append(QStringLiteral("강"));
    LibraryDisk::saveState(stored, root);
    log.clear();

    LibraryState next = sampleState();
    next.library.items.removeAt(1);  // b.jpg leaves
    next.library.items.append(item(QStringLiteral("d.jpg"), 4, false));
    LibraryDisk::saveState(next, root);
    EXPECT_EQ(log.written,
              (QStringList{QStringLiteral("lumivex.backup.csv"), QStringLiteral("lumivex.csv")}));

    Library expected = stored.library;
    expected.items = {stored.library.items[0]};
    EXPECT_EQ(readFile(file(QStringLiteral(".lumivex/lumivex.backup.csv"))),
              expected.catalogCSV().toUtf8());
}

TEST_F(LibraryDiskTest, JournalLeftOnDiskIsCompletedByTheNextLoad) {
    LibraryDisk::saveState(sampleState(), root);
    LibraryState next = sampleState();
    next.library.items[0].rating = 5;
    next.deleted.records.clear();
    writeFile(file(QStringLiteral(".lumivex/pending-write.json")),
              LibraryDisk::encodePendingWrite({next.library.catalogCSV(), next.deleted.csv()}));

    EXPECT_EQ(LibraryDisk::loadState(root), next);
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/pending-write.json")));
    EXPECT_EQ(readFile(file(QStringLiteral(".lumivex/lumivex.csv"))),
              next.library.catalogCSV().toUtf8());
    EXPECT_EQ(readFile(file(QStringLiteral(".lumivex/deleted.csv"))), next.deleted.csv().toUtf8());
}

TEST_F(LibraryDiskTest, SaveStoppedBeforeTheCatalogIsFinishedLater) {
    LibraryDisk::saveState(sampleState(), root);
    LibraryState next = sampleState();
    next.library.items[1].notes = QStringLiteral("메모 \"1\"\n둘째 줄");
    next.deleted.records[0].deletedAt = Date{7.5};
    log.failing = file(QStringLiteral(".lumivex/lumivex.csv"));
    EXPECT_EQ(thrownBy([&] { LibraryDisk::saveState(next, root); }).systemErrorNumber(), ENOSPC);
    EXPECT_TRUE(exists(QStringLiteral(".lumivex/pending-write.json")));
    EXPECT_EQ(readFile(file(QStringLiteral(".lumivex/lumivex.csv"))),
              sampleState().library.catalogCSV().toUtf8());

    log.failing.clear();
    EXPECT_EQ(LibraryDisk::loadState(root), next);
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/pending-write.json")));
}

TEST_F(LibraryDiskTest, JournalIsCompletedBeforeTheNextSaveCompares) {
    const LibraryState first = sampleState();
    LibraryDisk::saveState(first, root);
    LibraryState journalled = first;
    journalled.library.items[0].rating = 0;
    journalled.deleted.records.clear();
    writeFile(file(QStringLiteral(".lumivex/pending-write.json")),
              LibraryDisk::encodePendingWrite(
                  {journalled.library.catalogCSV(), journalled.deleted.csv()}));

    // The disk still holds `first`; only completing the journal first shows both files differ.
    LibraryDisk::saveState(first, root);
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/pending-write.json")));
    EXPECT_EQ(LibraryDisk::loadState(root), first);
}

TEST_F(LibraryDiskTest, JournalIsWrittenAsSortedJson) {
    EXPECT_EQ(LibraryDisk::encodePendingWrite({QStringLiteral("a/b"), QStringLiteral("\"별\"")}),
              QByteArray("{\"catalog\":\"a\\/b\",\"deleted\":\"\\\"별\\\"\"}"));
}

TEST_F(LibraryDiskTest, CorruptJournalStopsLoadAndSaveAndStays) {
    LibraryDisk::saveState(sampleState(), root);
    const QByteArray journals[] = {
        "",
        "not json",
        "[]",
        "{\"catalog\":\"x\"}",
        "{\"catalog\":1,\"deleted\":\"x\"}",
        "{\"catalog\":\"x\",\"deleted\":null}",
        "{\"catalog\":\"x\",\"deleted\":\"\x01\\udc00\"}",
    };
    for (const QByteArray& journal : journals) {
        EXPECT_THROW(LibraryDisk::decodePendingWrite(journal), Error) << journal.constData();
    }
    writeFile(file(QStringLiteral(".lumivex/pending-write.json")), journals[3]);
    const auto before = snapshot();
    EXPECT_THROW(LibraryDisk::loadState(root), Error);
    EXPECT_THROW(LibraryDisk::saveState(sampleState(), root), Error);
    EXPECT_EQ(snapshot(), before);

    // Well-formed JSON holding text that does not parse stays as well.
    writeFile(file(QStringLiteral(".lumivex/pending-write.json")),
              LibraryDisk::encodePendingWrite({QStringLiteral("x"), QStringLiteral("y")}));
    const auto unreadable = snapshot();
    EXPECT_TRUE(CatalogError::isInvalidCSV(thrownBy([&] { LibraryDisk::loadState(root); })));
    EXPECT_EQ(snapshot(), unreadable);
}

// Qt's UTF-8 and JSON readers drop a U+FEFF that opens a text; every text here must come back.
TEST_F(LibraryDiskTest, TextsBeginningWithAByteOrderMarkSurviveEverySaveAndLoad) {
    const QString mark(QChar(0xFEFF));
    LibraryState state = sampleState();
    state.library.categories[1].name = mark + QStringLiteral("태그");
    state.library.categories[1].options.append(mark + QStringLiteral("new"));
    state.library.categories[1].options.append(mark + mark);
    state.library.items[0].notes = mark + QStringLiteral("메모");
    state.deleted.categories = state.library.categories;
    LibraryDisk::saveState(state, root);
    EXPECT_EQ(LibraryDisk::loadState(root), state);

    state.library.items[1].rating = 4;
    state.deleted.records.clear();
    LibraryDisk::saveState(state, root);
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/pending-write.json")));
    EXPECT_EQ(LibraryDisk::loadState(root), state);

    for (const LibraryDisk::PendingWrite& write :
         {LibraryDisk::PendingWrite{mark + QStringLiteral("x"), mark + mark},
          LibraryDisk::PendingWrite{mark, QStringLiteral("\\") + mark}}) {
        EXPECT_EQ(LibraryDisk::decodePendingWrite(LibraryDisk::encodePendingWrite(write)), write);
    }
    // A mark escaped by a lone backslash is not JSON; read naively it would become "\\ufeff".
    EXPECT_THROW(
        LibraryDisk::decodePendingWrite("{\"catalog\":\"\\\xEF\xBB\xBF\",\"deleted\":\"\"}"),
        Error);
}

// Opening a FIFO for reading waits for a writer that never comes; a device would be read
// forever. Anything but a regular file in a metadata file's place is refused like a folder.
TEST_F(LibraryDiskTest, AnythingButARegularFileInPlaceOfAMetadataFileIsRefused) {
    for (const char* name :
         {".lumivex/lumivex.csv", ".lumivex/deleted.csv", ".lumivex/pending-write.json"}) {
        LibraryDisk::saveState(sampleState(), root);
        const QString path = file(QString::fromUtf8(name));
        QFile::remove(path);
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        const QString refusal =
            QStringLiteral("파일 작업에 실패했습니다: %1 (일반 파일이 아닙니다)").arg(path);
        EXPECT_TRUE(thrownBy([&] { LibraryDisk::loadState(root); }).description().contains(refusal))
            << name;
        EXPECT_TRUE(thrownBy([&] { LibraryDisk::saveState(sampleState(), root); })
                        .description()
                        .contains(refusal));

        ASSERT_TRUE(QFile::remove(path));
        test::makeDirectories(path);
        EXPECT_TRUE(thrownBy([&] { LibraryDisk::loadState(root); })
                        .description()
                        .contains(QStringLiteral("파일 작업에 실패했습니다: %1 (").arg(path)))
            << name;
        ASSERT_TRUE(QDir(path).removeRecursively());
    }
}

TEST_F(LibraryDiskTest, FailedWriteLeavesEveryFileAsItWas) {
    LibraryDisk::saveState(sampleState(), root);
    const auto before = snapshot();
    LibraryState next = sampleState();
    next.deleted.records.clear();
    log.failing = file(QStringLiteral(".lumivex/deleted.csv"));
    EXPECT_EQ(thrownBy([&] { LibraryDisk::saveState(next, root); }).systemErrorNumber(), ENOSPC);
    EXPECT_EQ(snapshot(), before);

    next.library.items[0].rating = 4;
    log.failing = file(QStringLiteral(".lumivex/pending-write.json"));
    EXPECT_EQ(thrownBy([&] { LibraryDisk::saveState(next, root); }).systemErrorNumber(), ENOSPC);
    EXPECT_EQ(snapshot(), before);
}

// The state a killed save was writing over sampleState(): both files change, so the save goes
// through the journal, and a stored item leaves the catalog, so the backup is written too.
LibraryState killedSaveTarget() {
    LibraryState next = sampleState();
    next.library.items[0].rating = 5;
    next.library.items.removeLast();
    next.deleted.records[0].deletedAt = Date{7.5};
    return next;
}

// The save of killedSaveTarget() into the folder of the first argument, in a fresh child that
// dies by SIGKILL at fault hook call number the second argument (never when 0); reports its
// hook calls.
const test::ChildStep killedSave("library-disk-killed-save", [](const QStringList& arguments) {
    const int killAt = arguments[1].toInt();
    int calls = 0;
    AtomicFile::setFaultHook([&](AtomicFile::Stage, const QString&) {
        if (++calls == killAt) {
            ::kill(::getpid(), SIGKILL);
        }
    });
    LibraryDisk::saveState(killedSaveTarget(), arguments[0]);
    return QByteArray::number(calls);
});

// A folder of its own with no tree journal over it (the photo library's metadata): a save
// killed at any write leaves the next load the state before or after it, never one file of each.
TEST_F(LibraryDiskTest, ASaveKilledAtAnyWriteLoadsWholeBeforeOrAfter) {
    const LibraryState before = sampleState();
    const LibraryState after = killedSaveTarget();
    LibraryDisk::saveState(before, root);
    const test::ChildEnd whole = test::runChildStep(killedSave, {root, QStringLiteral("0")});
    ASSERT_TRUE(whole.finished);
    ASSERT_EQ(LibraryDisk::loadState(root), after);
    const int calls = whole.report.toInt();
    ASSERT_GE(calls, 10) << "a journal, two files, a backup and the journal's removal";

    int foundBefore = 0;
    for (int killAt = 1; killAt <= calls; ++killAt) {
        SCOPED_TRACE(testing::Message() << "killed at write stage " << killAt << " of " << calls);
        ASSERT_TRUE(QDir(root).removeRecursively());
        LibraryDisk::saveState(before, root);
        EXPECT_TRUE(test::runChildStep(killedSave, {root, QString::number(killAt)}).killed);
        const LibraryState loaded = LibraryDisk::loadState(root);
        EXPECT_TRUE(loaded == before || loaded == after)
            << "the catalog holds " << loaded.library.items.size() << " items and the deleted "
            << "records " << loaded.deleted.records.size();
        EXPECT_FALSE(exists(QStringLiteral(".lumivex/pending-write.json")));
        foundBefore += loaded == before ? 1 : 0;
    }
    EXPECT_GT(foundBefore, 0) << "no kill came before the journal";
    EXPECT_LT(foundBefore, calls) << "no kill came after the journal";
}

TEST_F(LibraryDiskTest, UnreadableCatalogIsRefusedAndNeverReplaced) {
    LibraryDisk::saveState(sampleState(), root);
    QByteArray badRow = readFile(file(QStringLiteral(".lumivex/lumivex.csv")));
    badRow.replace("\"photo\",\"1\"", "\"photo\",\"9\"");
    for (const QByteArray& catalog : {QByteArray("\xEF\xBB\xBF\"\xFF\xFE\"\r\n"), badRow}) {
        writeFile(file(QStringLiteral(".lumivex/lumivex.csv")), catalog);
        const auto before = snapshot();
        EXPECT_TRUE(CatalogError::isInvalidCSV(thrownBy([&] { LibraryDisk::load(root); })));
        LibraryState next = sampleState();
        next.library.items[0].rating = 0;
        EXPECT_TRUE(
            CatalogError::isInvalidCSV(thrownBy([&] { LibraryDisk::saveState(next, root); })));
        EXPECT_TRUE(CatalogError::isInvalidCSV(
            thrownBy([&] { LibraryDisk::save(next.library, root, std::nullopt); })));
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(LibraryDiskTest, UnreadableDeletedRecordsAreReportedAndKept) {
    LibraryDisk::saveState(sampleState(), root);
    const QString path = file(QStringLiteral(".lumivex/deleted.csv"));
    writeFile(path, sampleState().library.catalogCSV().toUtf8());
    const auto before = snapshot();
    const Error error = thrownBy([&] { LibraryDisk::loadState(root); });
    EXPECT_EQ(error.domain(), QStringLiteral("Lumivex"));
    EXPECT_EQ(error.code(), 2);
    EXPECT_EQ(error.description(),
              QStringLiteral("삭제 기록 CSV를 읽지 못했습니다. 기존 파일을 보존했습니다.\n") +
                  path + u'\n' + CatalogError::invalidCSV().description());
    EXPECT_EQ(thrownBy([&] { LibraryDisk::saveState(sampleState(), root); }).code(), 2);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(LibraryDiskTest, OlderCatalogsBesideTheMediaMoveIntoTheMetadataFolder) {
    const QByteArray catalog = sampleState().library.catalogCSV().toUtf8();
    writeFile(file(QStringLiteral(".lumivex.csv")), catalog);
    writeFile(file(QStringLiteral("lumivex.csv")), catalog);
    EXPECT_EQ(LibraryDisk::load(root), sampleState().library);
    EXPECT_FALSE(exists(QStringLiteral(".lumivex.csv")));
    EXPECT_FALSE(exists(QStringLiteral("lumivex.csv")));
    EXPECT_EQ(readFile(file(QStringLiteral(".lumivex/lumivex.csv"))), catalog);
}

TEST_F(LibraryDiskTest, DifferentOlderCatalogStopsAndBothStay) {
    const QByteArray stored = sampleState().library.catalogCSV().toUtf8();
    LibraryState other = sampleState();
    other.library.items.removeLast();
    const QByteArray older = other.library.catalogCSV().toUtf8();
    writeFile(file(QStringLiteral(".lumivex/lumivex.csv")), stored);
    writeFile(file(QStringLiteral("lumivex.csv")), older);

    const Error error = thrownBy([&] { LibraryDisk::loadState(root); });
    EXPECT_EQ(error.domain(), QStringLiteral("Lumivex"));
    EXPECT_EQ(error.code(), 3);
    EXPECT_EQ(error.description(),
              QStringLiteral("이전 CSV와 새 CSV의 내용이 달라 자동 이전하지 않았습니다. 두 파일을 "
                             "보존했습니다.\n") +
                  file(QStringLiteral("lumivex.csv")) + u'\n' +
                  file(QStringLiteral(".lumivex/lumivex.csv")));
    EXPECT_EQ(thrownBy([&] { LibraryDisk::saveState(sampleState(), root); }).code(), 3);
    EXPECT_EQ(readFile(file(QStringLiteral("lumivex.csv"))), older);
    EXPECT_EQ(readFile(file(QStringLiteral(".lumivex/lumivex.csv"))), stored);
}

TEST_F(LibraryDiskTest, OlderFilesAreValidatedBeforeTheyMove) {
    writeFile(file(QStringLiteral(".lumivex.csv")), QByteArray("\"\xC3\x28\"\r\n"));
    EXPECT_TRUE(CatalogError::isInvalidCSV(thrownBy([&] { LibraryDisk::migrateCatalog(root); })));
    EXPECT_TRUE(exists(QStringLiteral(".lumivex.csv")));
    EXPECT_FALSE(exists(QStringLiteral(".lumivex")));

    writeFile(file(QStringLiteral(".lumivex.csv")), QByteArray("a,b\r\n"));
    EXPECT_TRUE(CatalogError::isInvalidCSV(thrownBy([&] { LibraryDisk::migrateCatalog(root); })));
    EXPECT_TRUE(exists(QStringLiteral(".lumivex.csv")));
}

TEST_F(LibraryDiskTest, OlderDeletedRecordsMoveOnLoad) {
    const LibraryState state = sampleState();
    writeFile(file(QStringLiteral(".lumivex/lumivex.csv")), state.library.catalogCSV().toUtf8());
    writeFile(file(QStringLiteral(".deleted.csv")), state.deleted.csv().toUtf8());
    EXPECT_EQ(LibraryDisk::loadState(root), state);
    EXPECT_FALSE(exists(QStringLiteral(".deleted.csv")));

    writeFile(file(QStringLiteral(".deleted.csv")),
              DeletedArchive{categories(), {}}.csv().toUtf8());
    EXPECT_EQ(thrownBy([&] { LibraryDisk::loadState(root); }).code(), 3);
    EXPECT_TRUE(exists(QStringLiteral(".deleted.csv")));

    writeFile(file(QStringLiteral(".deleted.csv")), state.deleted.csv().toUtf8());
    EXPECT_EQ(LibraryDisk::loadState(root), state);
    EXPECT_FALSE(exists(QStringLiteral(".deleted.csv")));
}

TEST_F(LibraryDiskTest, MigratingAFileOntoItselfDoesNothing) {
    writeFile(file(QStringLiteral("x.csv")), "x");
    LibraryDisk::migrateCSV(file(QStringLiteral("x.csv")), root + QStringLiteral("/./x.csv"),
                            [](const QString&) { FAIL() << "validated"; });
    EXPECT_TRUE(exists(QStringLiteral("x.csv")));
}

QByteArray olderJson(const QString& categoriesJson, int version = 1) {
    return QStringLiteral("{\"version\":%1,\"categories\":[%2],\"items\":[]}")
        .arg(version)
        .arg(categoriesJson)
        .toUtf8();
}

TEST_F(LibraryDiskTest, OlderJsonLibraryGainsARatingProperty) {
    writeFile(file(QStringLiteral(".lumivex/library.json")),
              olderJson(QStringLiteral("{\"id\":\"%1\",\"name\":\"사람\"},{\"id\":\"%2\",\"name\":"
                                       "\"위치\",\"kind\":\"singleSelect\"}")
                            .arg(QUuid::createUuid().toString(QUuid::WithoutBraces),
                                 QUuid::createUuid().toString(QUuid::WithoutBraces))));
    const Library library = LibraryDisk::load(root);
    ASSERT_EQ(library.categories.size(), 3);
    EXPECT_EQ(library.categories[1].name, QStringLiteral("별점"));
    EXPECT_EQ(library.categories[1].kind, PropertyKind::rating);
    EXPECT_EQ(library.categories[1].iconName, QStringLiteral("list.bullet"));
    EXPECT_EQ(library.categories[2].name, QStringLiteral("위치"));
    EXPECT_FALSE(exists(QStringLiteral(".lumivex/lumivex.csv")));

    writeFile(file(QStringLiteral(".lumivex/library.json")), olderJson(QString()));
    const Library empty = LibraryDisk::load(root);
    ASSERT_EQ(empty.categories.size(), 1);
    EXPECT_EQ(empty.categories[0].name, QStringLiteral("별점"));
}

TEST_F(LibraryDiskTest, OlderJsonLibraryKeepsTextsBeginningWithAByteOrderMark) {
    writeFile(file(QStringLiteral(".lumivex/library.json")),
              olderJson(QStringLiteral("{\"id\":\"%1\",\"name\":\"\uFEFF사람\"}")
                            .arg(QUuid::createUuid().toString(QUuid::WithoutBraces))));
    const Library library = LibraryDisk::load(root);
    ASSERT_EQ(library.categories.size(), 2);
    EXPECT_EQ(library.categories[0].name, QChar(0xFEFF) + QStringLiteral("사람"));
}

TEST_F(LibraryDiskTest, OlderJsonLibraryOfAnotherVersionIsRefused) {
    writeFile(file(QStringLiteral(".lumivex/library.json")), olderJson(QString(), 2));
    const Error error = thrownBy([&] { LibraryDisk::load(root); });
    EXPECT_EQ(error.domain(), QStringLiteral("Lumivex"));
    EXPECT_EQ(error.code(), 4);
    EXPECT_TRUE(exists(QStringLiteral(".lumivex/library.json")));
}

TEST_F(LibraryDiskTest, FilesFolderFindsTheOlderJsonOneLevelUp) {
    writeFile(file(QStringLiteral(".lumivex/library.json")), olderJson(QString()));
    const QString files = root + QStringLiteral("/files");
    EXPECT_EQ(LibraryDisk::load(files).categories.size(), 1);
    EXPECT_EQ(LibraryDisk::load(root + QStringLiteral("/Files")).categories.size(),
              Library().categories.size());
}

}  // namespace
}  // namespace lumivex
