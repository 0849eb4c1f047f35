// The merge of a scan (LibraryState::reconcileFolder, Library::merge) matches files through an
// index of its own, shares the old items it keeps and skips normalizing and hashing where it can;
// these tests hold it to the plain merge of tests/support/plain_reconcile on random libraries and
// scans, field by field, down to the bits of every date.

#include "catalog_fixtures.h"
#include "support/plain_reconcile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

using namespace lumivex;
using namespace lumivex::test;

namespace {

QString decomposed(const QString& text) {
    return text.normalized(QString::NormalizationForm_D);
}

bool sameBits(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() &&
           (!a || std::bit_cast<std::uint64_t>(*a) == std::bit_cast<std::uint64_t>(*b));
}

bool sameBits(const std::optional<Date>& a, const std::optional<Date>& b) {
    return sameBits(a ? std::optional(a->secondsSince1970) : std::nullopt,
                    b ? std::optional(b->secondsSince1970) : std::nullopt);
}

bool sameText(const QString& a, const QString& b) {
    return a == b && a.isNull() == b.isNull();
}

// The names of the fields in which two items differ, empty when they agree in every bit.
QStringList differences(const MediaItem& a, const MediaItem& b) {
    QStringList fields;
    const auto check = [&](bool same, const char* name) {
        if (!same) {
            fields.append(QString::fromUtf8(name));
        }
    };
    check(a.id == b.id, "id");
    check(sameText(a.filename, b.filename), "filename");
    check(sameText(a.fileIdentity, b.fileIdentity), "fileIdentity");
    check(a.kind == b.kind, "kind");
    check(a.size == b.size, "size");
    check(sameBits(a.modified, b.modified), "modified");
    check(sameBits(a.added, b.added), "added");
    check(sameBits(a.duration, b.duration), "duration");
    check(sameBits(a.capturedAt, b.capturedAt), "capturedAt");
    check(a.rating == b.rating, "rating");
    check(a.labels == b.labels, "labels");
    check(sameText(a.notes, b.notes), "notes");
    check(a.available == b.available, "available");
    return fields;
}

void expectSameState(const LibraryState& actual, const LibraryState& expected) {
    ASSERT_EQ(actual.library.items.size(), expected.library.items.size());
    for (qsizetype i = 0; i < actual.library.items.size(); ++i) {
        ASSERT_EQ(differences(actual.library.items.at(i), expected.library.items.at(i)),
                  QStringList())
            << "item " << i << ": " << expected.library.items.at(i).filename.toStdString();
    }
    ASSERT_EQ(actual.deleted.records.size(), expected.deleted.records.size());
    for (qsizetype i = 0; i < actual.deleted.records.size(); ++i) {
        const DeletedRecord& got = actual.deleted.records[i];
        const DeletedRecord& wanted = expected.deleted.records[i];
        ASSERT_EQ(differences(got.item, wanted.item), QStringList()) << "record " << i;
        ASSERT_TRUE(sameBits(got.deletedAt, wanted.deletedAt)) << "record " << i;
    }
    EXPECT_EQ(actual.library.categories, expected.library.categories);
    EXPECT_EQ(actual.library.catalogProperties, expected.library.catalogProperties);
    EXPECT_EQ(actual.deleted.categories, expected.deleted.categories);
    EXPECT_EQ(actual, expected);
}

constexpr double scanTime = 2'000'000;

// Random libraries and scans of them with every kind of change a scan meets, and the texts that
// make matching hard: names and identities repeated, empty, null, spelled composed and
// decomposed, and holding U+0000.
class RandomLibrary {
public:
    explicit RandomLibrary(unsigned seed) : random_(seed) {}

    LibraryState state(qsizetype itemCount, qsizetype recordCount) {
        LibraryState state;
        const Category star = rating();
        const Category person = property(QStringLiteral("사람"));
        const Category archivedPerson = property(QStringLiteral("사람"));
        archiveOnly_ = property(QStringLiteral("예전 속성"));
        state.library = Library::withContents({star, person}, {});
        state.library.includeSubfolders = chance(2);
        if (chance(2)) {
            state.library.folderSchemas[QString()] = FolderPropertySchema{{star, person}, {}};
            state.library.catalogProperties = {star, person};
        }
        state.deleted.categories = {star, chance(2) ? person : archivedPerson, archiveOnly_};
        if (chance(3)) {
            // A second archived property of one identifier, with options of its own.
            Category again = archiveOnly_;
            again.name = QStringLiteral("또 다른 이름");
            again.options = texts({"옛 값"});
            state.deleted.categories.append(again);
        }
        archiveOnly_.options = texts({"선언된 값"});
        state.deleted.categories[2] = archiveOnly_;
        keys_ = {person.idText(), archivedPerson.idText(), archiveOnly_.idText()};
        for (qsizetype i = 0; i < itemCount; ++i) {
            state.library.items.append(item(i));
        }
        for (qsizetype i = 0; i < recordCount; ++i) {
            state.deleted.records.append(archived(state));
        }
        return state;
    }

    // The files of the items and records as a scan lists them after random changes.
    QList<MediaItem> scanOf(const LibraryState& state) {
        QList<MediaItem> files;
        for (const MediaItem& item : state.library.items) {
            listChanged(item, files);
        }
        for (const DeletedRecord& record : state.deleted.records) {
            if (chance(2)) {
                listChanged(record.item, files);
            }
        }
        for (qsizetype i = 0; i < files.size() / 20; ++i) {
            files.insert(below(files.size() + 1), listed(item(below(4000))));
        }
        if (chance(3)) {
            const qsizetype start = below(files.size() + 1);
            std::shuffle(files.begin() + start,
                         files.begin() + std::min(files.size(), start + below(50)), random_);
        }
        return files;
    }

private:
    bool chance(unsigned inverse) { return random_() % inverse == 0; }
    qsizetype below(qsizetype bound) {
        return bound <= 0 ? 0 : static_cast<qsizetype>(random_() % static_cast<unsigned>(bound));
    }

    QString name(qsizetype number) {
        static const QStringList folders{QString(), QStringLiteral("a/"), QStringLiteral("a/b/"),
                                         QStringLiteral("사진/"), QStringLiteral("여행/사진/")};
        QString base;
        switch (random_() % 6) {
            case 0:
                base = QStringLiteral("사진%1.jpg").arg(number);
                break;
            case 1:
                base = QStringLiteral("café-%1.heic").arg(number);
                break;
            case 2:
                base = QStringLiteral("nul%1").arg(number) + QChar(u'\0') + QStringLiteral("x.jpg");
                break;
            default:
                base = QStringLiteral("IMG_%1.jpg").arg(number);
        }
        const QString whole = folders[below(folders.size())] + base;
        return chance(4) ? decomposed(whole) : whole;
    }

    QString identity(qsizetype number) {
        switch (random_() % 12) {
            case 0:
                return QString();
            case 1:
                return QStringLiteral("");
            case 2:
                return decomposed(QStringLiteral("photos:사진/%1").arg(number));
            case 3:
                return QStringLiteral("photos:사진/%1").arg(number);
            case 4:
                return QStringLiteral("2049:%1").arg(number) + QChar(u'\0') + QStringLiteral("0.5");
            default:
                return QStringLiteral("2049:%1:1600000000.25").arg(number);
        }
    }

    // Numbers from a narrow range, so that names and identities repeat among the items.
    MediaItem item(qsizetype number) {
        MediaItem item;
        item.id = QUuid::createUuid();
        item.filename = name(chance(8) ? below(20) : number);
        item.fileIdentity = identity(chance(8) ? below(20) : number);
        item.kind = chance(5) ? MediaKind::video : MediaKind::photo;
        item.size = static_cast<std::int64_t>(below(4));
        item.modified = Date{chance(10) ? -0.0 : 1000.0 + static_cast<double>(below(3))};
        item.added = Date{500.0 + static_cast<double>(number)};
        if (chance(3)) {
            item.duration = chance(10) ? -0.0 : static_cast<double>(below(3)) + 0.5;
        }
        if (chance(2)) {
            item.capturedAt = Date{static_cast<double>(below(3))};
        }
        item.rating = static_cast<std::int64_t>(below(6));
        if (chance(2)) {
            item.labels[keys_[below(keys_.size())]] =
                chance(2) ? texts({"민수", "지영"})
                          : QStringList{decomposed(QStringLiteral("민수"))};
        }
        item.notes = chance(5) ? QStringLiteral("메모") : QString();
        item.available = !chance(20);
        return item;
    }

    DeletedRecord archived(const LibraryState& state) {
        const double ages[] = {-50, 10, 86400, DeletedArchive::retentionSeconds - 0.5,
                               DeletedArchive::retentionSeconds};
        MediaItem gone = !state.library.items.isEmpty() && chance(4)
                             ? state.library.items.at(below(state.library.items.size()))
                             : item(below(4000));
        if (!state.deleted.records.isEmpty() && chance(5)) {
            gone.id = state.deleted.records[below(state.deleted.records.size())].item.id;
        }
        gone.available = false;
        return DeletedRecord{gone, Date{scanTime - ages[below(5)]}};
    }

    static MediaItem listed(const MediaItem& item) { return listedAgain(item, Date{scanTime}); }

    void listChanged(const MediaItem& item, QList<MediaItem>& files) {
        MediaItem fresh = listed(item);
        switch (random_() % 16) {
            case 0:  // gone
                return;
            case 1:  // renamed
                fresh.filename = name(4000 + below(100));
                break;
            case 2:  // replaced by another file of the same name
                fresh.fileIdentity = identity(4000 + below(100));
                break;
            case 3:  // the same name in the other normal form
                fresh.filename = fresh.filename == decomposed(fresh.filename)
                                     ? fresh.filename.normalized(QString::NormalizationForm_C)
                                     : decomposed(fresh.filename);
                break;
            case 4:  // rewritten in place
                fresh.size += 1;
                fresh.modified = Date{fresh.modified.secondsSince1970 + 1};
                break;
            case 5:  // a zero of the other sign, an empty text for a null one
                fresh.modified = Date{-fresh.modified.secondsSince1970};
                fresh.fileIdentity =
                    fresh.fileIdentity.isNull() ? QStringLiteral("") : fresh.fileIdentity;
                break;
            case 6:  // listed twice
                files.append(fresh);
                break;
            default:
                break;
        }
        files.append(fresh);
    }

    std::mt19937 random_;
    Category archiveOnly_;
    QStringList keys_;
};

LibraryState reconciled(LibraryState state, const QList<MediaItem>& scanned) {
    state.reconcileFolder(scanned, Date{scanTime});
    return state;
}

}  // namespace

TEST(ReconcileEquivalence, RandomLibrariesAndScansMergeAsThePlainMerge) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        RandomLibrary random(seed);
        const LibraryState before = random.state(seed % 4 == 0 ? 1300 : seed * 5, seed % 7 * 3);
        const QList<MediaItem> scanned = random.scanOf(before);
        expectSameState(reconciled(before, scanned),
                        plainReconcileFolder(before, scanned, Date{scanTime}));
        if (testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

TEST(ReconcileEquivalence, MergeOfALibraryAloneAgreesWithThePlainMerge) {
    for (unsigned seed = 100; seed < 130; ++seed) {
        SCOPED_TRACE(seed);
        RandomLibrary random(seed);
        const LibraryState before = random.state(seed % 3 == 0 ? 1100 : 60, 0);
        const QList<MediaItem> scanned = random.scanOf(before);
        Library merged = before.library;
        merged.merge(scanned);
        const QList<MediaItem> expected = plainMerge(before.library.items.toList(), scanned);
        ASSERT_EQ(merged.items.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(differences(merged.items.at(i), expected[i]), QStringList()) << i;
        }
    }
}

TEST(ReconcileEquivalence, UnchangedRescanMergesAsThePlainMergeAndSharesEveryItem) {
    LibraryState before;
    before.library = Library::withContents({rating()}, {});
    before.library.includeSubfolders = true;
    for (int i = 0; i < 1300; ++i) {
        MediaItem item = mediaItem(QStringLiteral("사진/%1/IMG_%2.jpg").arg(i / 100).arg(i));
        item.rating = i % 6;
        before.library.items.append(item);
    }
    before.deleted.categories = before.library.categories;
    QList<MediaItem> scanned;
    for (const MediaItem& item : before.library.items) {
        MediaItem fresh = mediaItem(item.filename, item.fileIdentity);
        fresh.added = Date{scanTime};
        scanned.append(fresh);
    }

    const LibraryState after = reconciled(before, scanned);

    expectSameState(after, plainReconcileFolder(before, scanned, Date{scanTime}));
    EXPECT_TRUE(after.library.items.sharesAllItemsWith(before.library.items));
}

TEST(ReconcileEquivalence, ComposedAndDecomposedKoreanNamesAreOneFile) {
    const QString composedName = QStringLiteral("사진/여름.jpg");
    const QString decomposedName = decomposed(composedName);
    ASSERT_NE(composedName, decomposedName);
    MediaItem old = mediaItem(composedName, QStringLiteral("7:1:0.5"));
    old.rating = 5;
    LibraryState before;
    before.library = Library::withContents({rating()}, {old});
    before.library.includeSubfolders = true;
    before.deleted.categories = before.library.categories;
    // Another file under the decomposed name, and the old file under it too.
    const QList<MediaItem> scanned{mediaItem(decomposedName, QStringLiteral("7:2:0.5")),
                                   mediaItem(decomposedName, QStringLiteral("7:1:0.5"))};

    const LibraryState after = reconciled(before, scanned);

    expectSameState(after, plainReconcileFolder(before, scanned, Date{scanTime}));
    ASSERT_EQ(after.library.items.size(), 2);
    EXPECT_EQ(after.library.items[1].id, old.id);
    EXPECT_EQ(after.library.items[1].filename, decomposedName);
    EXPECT_EQ(after.library.items[1].rating, 5);
}

TEST(ReconcileEquivalence, RescansWithFilesAddedOrRemovedBeforeLongUnchangedRunsAgree) {
    LibraryState before;
    before.library = Library::withContents({rating()}, {});
    before.library.includeSubfolders = true;
    for (int i = 0; i < 1600; ++i) {
        before.library.items.append(mediaItem(QStringLiteral("a/IMG_%1.jpg").arg(i)));
    }
    before.deleted.categories = before.library.categories;
    QList<MediaItem> unchanged;
    for (const MediaItem& item : before.library.items) {
        unchanged.append(mediaItem(item.filename, item.fileIdentity));
    }
    // Shifted by one either way the old chunks no longer line up with the new ones; shifted by
    // a whole chunk they do again.
    for (const qsizetype added : {qsizetype{-1}, qsizetype{1}, MediaItems::chunkCapacity}) {
        SCOPED_TRACE(added);
        QList<MediaItem> scanned = unchanged;
        if (added < 0) {
            scanned.removeFirst();
        }
        for (qsizetype i = 0; i < added; ++i) {
            scanned.prepend(mediaItem(QStringLiteral("new/%1.jpg").arg(i)));
        }
        expectSameState(reconciled(before, scanned),
                        plainReconcileFolder(before, scanned, Date{scanTime}));
    }
}

TEST(ReconcileEquivalence, PairKeysCompareAsWholeTextsAcrossAZeroCharacter) {
    // "a", U+0000, "b", U+0000, "c" either way: the same pair key, so the first pass matches.
    const QString zero(QChar(u'\0'));
    const MediaItem old =
        mediaItem(QStringLiteral("a") + zero + QStringLiteral("b"), QStringLiteral("c"));
    MediaItem decoy =
        mediaItem(QStringLiteral("other.jpg"), QStringLiteral("b") + zero + QStringLiteral("c"));
    LibraryState before;
    before.library = Library::withContents({rating()}, {decoy, old});
    before.library.includeSubfolders = true;
    before.deleted.categories = before.library.categories;
    const QList<MediaItem> scanned{
        mediaItem(QStringLiteral("a"), QStringLiteral("b") + zero + QStringLiteral("c"))};

    const LibraryState after = reconciled(before, scanned);

    expectSameState(after, plainReconcileFolder(before, scanned, Date{scanTime}));
    ASSERT_EQ(after.library.items.size(), 1);
    EXPECT_EQ(after.library.items[0].id, old.id);
}
