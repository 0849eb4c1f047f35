#include "model/search_text_index.h"
#include "model/library_browse_snapshot.h"
#include "model/media_query.h"
#include "platform/text_order.h"

#include "query_fixtures.h"

#include <gtest/gtest.h>

#include <random>

using namespace lumivex;
using lumivex::test::filenames;
using lumivex::test::photo;

namespace {

const QString tagKey = QStringLiteral("A0000000-0000-0000-0000-000000000001");

// The plain rule, text by text: what every fast search must agree with.
bool plainMatch(const MediaItem& item, const QString& search) {
    const QString needle = TextOrder::trimmed(search);
    const auto holds = [&](const QString& text) {
        return TextOrder::localizedCaseInsensitiveContains(text, needle);
    };
    if (holds(item.filename) || holds(item.notes)) {
        return true;
    }
    for (const auto& [key, values] : item.labels) {
        if (std::any_of(values.begin(), values.end(), holds)) {
            return true;
        }
    }
    return false;
}

QStringList plainShown(const MediaItems& items, const QString& search) {
    QStringList names;
    for (const MediaItem& item : items) {
        if (plainMatch(item, search)) {
            names.append(item.filename);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

QStringList sorted(QStringList names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Every search goes three ways: through a snapshot, through apply(library) and by the plain rule.
void expectAgreement(const Library& library, const QString& search) {
    MediaQuery query;
    query.search = search;
    const LibraryBrowseSnapshot snapshot(library, false);
    const QStringList expected = plainShown(library.items, search);
    EXPECT_EQ(sorted(filenames(query.apply(snapshot))), expected) << search.toStdString();
    EXPECT_EQ(sorted(filenames(query.apply(library))), expected) << search.toStdString();
}

MediaItem item(const QString& filename, const QString& notes, QStringList values = {}) {
    MediaItem made = photo(filename);
    made.notes = notes;
    if (!values.isEmpty()) {
        made.labels[tagKey] = std::move(values);
    }
    return made;
}

// Texts chosen where a fast search could part from the plain one: folding that changes lengths,
// characters outside the basic plane, U+0000, long texts and texts at the ends of the buffer.
Library trickyLibrary() {
    QList<MediaItem> items{
        item(QStringLiteral("Stra\u00dfe.jpg"), QStringLiteral("GROSSE Reise")),
        item(QStringLiteral("\U0001D49C\U00010400.jpg"), QString(), {QStringLiteral("\U00010428")}),
        item(QStringLiteral("a\u0000b.jpg"), QStringLiteral("x\u0000y")),
        item(QStringLiteral("\uFB01le.jpg"), QStringLiteral("\u01F0 caron")),
        item(QStringLiteral("서울 여행.jpg"), QStringLiteral("가족"), {QStringLiteral("부산")}),
        item(QStringLiteral("z.jpg"), QString(), {QStringLiteral("ab"), QStringLiteral("cd")})};
    for (int i = 0; i < 2 * MediaItems::chunkCapacity + 3; ++i) {
        items.append(item(QStringLiteral("f/%1.jpg").arg(i, 5, 10, QLatin1Char('0')),
                          i % 97 == 0 ? QStringLiteral("needle %1").arg(i) : QString()));
    }
    items.append(item(QStringLiteral("last.jpg"), QStringLiteral("the very end")));
    return Library::withContents({}, items);
}

TEST(SearchTextIndex, FastSearchesAgreeWithThePlainRule) {
    const Library library = trickyLibrary();
    for (const QString& search : {QStringLiteral("strasse"),
                                  QStringLiteral("STRA\u00dfE"),
                                  QStringLiteral("gro\u00df"),
                                  QStringLiteral("ss"),
                                  QStringLiteral("\U00010400"),
                                  QStringLiteral("\U00010428"),
                                  QStringLiteral("\U0001D49C"),
                                  QString(QChar(0xDC00)),
                                  QStringLiteral("a\u0000b"),
                                  QStringLiteral("x\u0000y"),
                                  QStringLiteral("\u0000"),
                                  QStringLiteral("b\u0000c"),
                                  QStringLiteral("FILE"),
                                  QStringLiteral("j\u030C"),
                                  QStringLiteral("서울"),
                                  QStringLiteral("부산"),
                                  QStringLiteral("bc"),
                                  QStringLiteral("jpggrosse"),
                                  QStringLiteral("needle 00097"),
                                  QStringLiteral("needle"),
                                  QStringLiteral("f/00511.jpg"),
                                  QStringLiteral("f/00512.jpg"),
                                  QStringLiteral("the very end"),
                                  QStringLiteral("the very end and more"),
                                  QStringLiteral("e"),
                                  QStringLiteral("q"),
                                  QString(300, QChar(u'x')),
                                  QStringLiteral("  FILE \n")}) {
        expectAgreement(library, search);
    }
}

TEST(SearchTextIndex, SearchesWithoutASnapshotSeeEveryChange) {
    Library library = trickyLibrary();
    MediaQuery query;
    query.search = QStringLiteral("fresh words");
    EXPECT_TRUE(query.apply(library).isEmpty());

    const Library before = library;
    library.items[MediaItems::chunkCapacity + 5].notes = QStringLiteral("Fresh Words");
    EXPECT_EQ(filenames(query.apply(library)), QStringList{QStringLiteral("f/00511.jpg")});
    EXPECT_TRUE(query.apply(before).isEmpty());  // the copy kept its own texts

    library.items.append(item(QStringLiteral("appended.jpg"), QStringLiteral("fresh words!")));
    EXPECT_EQ(sorted(filenames(query.apply(library))),
              (QStringList{QStringLiteral("appended.jpg"), QStringLiteral("f/00511.jpg")}));
    library.items.removeIf(
        [](const MediaItem& shown) { return shown.filename == QStringLiteral("f/00511.jpg"); });
    EXPECT_EQ(filenames(query.apply(library)), QStringList{QStringLiteral("appended.jpg")});

    for (MediaItem& changed : library.items) {
        changed.notes.clear();
    }
    EXPECT_TRUE(query.apply(library).isEmpty());
}

TEST(SearchTextIndex, EntriesHoldTheirTextsEachEndedByAZero) {
    SearchTextIndex index;
    index.addItem(item(QStringLiteral("A.jpg"), QStringLiteral("Note"), {QStringLiteral("X")}));
    index.addItem(item(QStringLiteral("b.jpg"), QString()));
    index.finish();
    ASSERT_EQ(index.entryCount(), 2);
    EXPECT_EQ(index.entryTexts(0), QStringView(u"a.jpg\u0000note\u0000x\u0000", 13));
    EXPECT_EQ(index.entryTexts(1), QStringView(u"b.jpg\u0000\u0000", 7));
    std::vector<char> hits;
    index.markMatches(u"jpg", hits);
    EXPECT_EQ(hits, (std::vector<char>{1, 1}));
    index.markMatches(u"ote", hits);
    EXPECT_EQ(hits, (std::vector<char>{1, 0}));
    index.markMatches(u"", hits);
    EXPECT_EQ(hits, (std::vector<char>{1, 1}));
}

// Values are kept once per combination: an entry given other values is found by those alone,
// entries left on its old combination still by theirs, exactly as in a fresh build.
TEST(SearchTextIndex, ReplacedEntriesAreFoundByTheirNewValuesOnly) {
    const QString sea = QStringLiteral("바다");
    const QString hill = QStringLiteral("산");
    const QList<MediaItem> items{item(QStringLiteral("a.jpg"), QString(), {sea, hill}),
                                 item(QStringLiteral("b.jpg"), QString(), {sea, hill}),
                                 item(QStringLiteral("c.jpg"), QStringLiteral("메모")),
                                 item(QStringLiteral("d.jpg"), QString(), {hill})};
    SearchTextIndex index;
    for (const MediaItem& each : items) {
        index.addItem(each);
    }
    index.finish();
    const MediaItem a = item(QStringLiteral("a.jpg"), QString(), {QStringLiteral("하늘")});
    const MediaItem c = item(QStringLiteral("c.jpg"), QString(), {sea, hill});
    const MediaItem d = item(QStringLiteral("d.jpg"), QString(), {QStringLiteral("새 값")});
    index.replaceEntries({{0, &items[0], &a}, {2, &items[2], &c}, {3, &items[3], &d}});

    SearchTextIndex built;
    for (const MediaItem* each : {&a, &items[1], &c, &d}) {
        built.addItem(*each);
    }
    built.finish();
    EXPECT_TRUE(index == built);
    EXPECT_EQ(index.entryTexts(2), QStringView(u"c.jpg\u0000\u0000바다\u0000산\u0000", 12));
    const auto hitsOf = [](const SearchTextIndex& searched, QStringView needle) {
        std::vector<char> hits;
        searched.markMatches(needle, hits);
        return hits;
    };
    EXPECT_EQ(hitsOf(index, sea), (std::vector<char>{0, 1, 1, 0}));
    EXPECT_EQ(hitsOf(index, hill), (std::vector<char>{0, 1, 1, 0}));
    EXPECT_EQ(hitsOf(index, u"하늘"), (std::vector<char>{1, 0, 0, 0}));
    EXPECT_EQ(hitsOf(index, u"메모"), (std::vector<char>{0, 0, 0, 0}));
    for (const QStringView needle : {QStringView(u"새"), QStringView(u"jpg"), QStringView(u"d.j"),
                                     QStringView(u"값"), QStringView(u"x")}) {
        EXPECT_EQ(hitsOf(index, needle), hitsOf(built, needle)) << needle.toString().toStdString();
    }
}

// Round after round of replacements, as edits make them: values given that no entry held (in a
// text whose units occur nowhere else), taken away again so that entries return to combinations
// held before, and notes changed beside them. Properties an edit leaves alone keep values before
// and after the changed ones, some folded to another length, some holding U+0000. After each
// round the index holds what a build holds and finds what a build finds, the new values at once,
// and the combinations no entry holds any more never take more room than those held.
TEST(SearchTextIndex, RepeatedReplacementsSearchAsABuildDoes) {
    std::mt19937 random(13);
    const QString first = QStringLiteral("0A000000-0000-0000-0000-000000000001");
    const QString last = QStringLiteral("F0000000-0000-0000-0000-000000000001");
    const QStringList kept{QStringLiteral("Stra\u00dfe"), QStringLiteral("x\u0000Y"),
                           QStringLiteral("\U00010400"), QString()};
    QList<MediaItem> items;
    for (int i = 0; i < 300; ++i) {
        MediaItem made =
            item(QStringLiteral("f%1.jpg").arg(i), i % 9 == 0 ? QStringLiteral("메모") : QString(),
                 {QStringLiteral("v%1").arg(i % 40)});
        if (i % 3 != 0) {
            made.labels[first] = {kept[i % 4], kept[(i / 4) % 4]};
        }
        if (i % 5 != 0) {
            made.labels[last] = {kept[(i / 2) % 4]};
        }
        items.append(made);
    }
    SearchTextIndex index;
    for (const MediaItem& each : items) {
        index.addItem(each);
    }
    index.finish();
    const auto hitsOf = [](const SearchTextIndex& searched, QStringView needle) {
        std::vector<char> hits;
        searched.markMatches(needle, hits);
        return hits;
    };
    for (int round = 0; round < 40 && !HasFailure(); ++round) {
        const QString given = QStringLiteral("Ω%1").arg(round);  // Ω: in no other text
        const QList<MediaItem> before = items;
        std::vector<SearchTextIndex::Replacement> replacements;
        for (qsizetype at = static_cast<qsizetype>(random() % 7); at < items.size();
             at += 1 + static_cast<qsizetype>(random() % 13)) {
            MediaItem& changed = items[at];
            switch (random() % 3) {
                case 0:
                    changed.labels[tagKey].append(given);
                    break;
                case 1:
                    changed.labels[tagKey] = {QStringLiteral("v%1").arg(random() % 40)};
                    break;
                default:
                    changed.notes = QStringLiteral("메모 %1").arg(random() % 5);
                    break;
            }
            replacements.push_back({at, &before[at], &items[at]});
        }
        index.replaceEntries(replacements);
        SearchTextIndex built;
        for (const MediaItem& each : items) {
            built.addItem(each);
        }
        built.finish();
        EXPECT_TRUE(index == built) << "round " << round;
        EXPECT_LE(index.combinationUnits(), 2 * built.combinationUnits()) << "round " << round;
        for (const QString& needle :
             {given.toLower(), QStringLiteral("\u03c9"), QStringLiteral("v1"),
              QStringLiteral("메모 3"), QStringLiteral("f29"), QStringLiteral("strasse"),
              QStringLiteral("x\u0000y"), QStringLiteral("\U00010428"),
              QStringLiteral("y\u0000")}) {
            EXPECT_EQ(hitsOf(index, needle), hitsOf(built, needle))
                << "round " << round << ": " << needle.toStdString();
        }
    }
}

}  // namespace
