#include "catalog/folder_catalog.h"
#include "catalog_fixtures.h"

#include "model/option_text.h"
#include "platform/error.h"

#include <gtest/gtest.h>

using namespace lumivex;
using namespace lumivex::test;
using namespace Qt::StringLiterals;

namespace {

// Folders "a" and "b" both declare Tag: single choice with x, y in a; multiple choice with
// y, z in b. Place is declared by a only, before its Tag.
class FolderShaping : public ::testing::Test {
protected:
    void SetUp() override {
        tag = property(QStringLiteral("Tag"), PropertyKind::multiSelect, texts({"x", "y", "z"}));
        place = property(QStringLiteral("Place"), PropertyKind::singleSelect, texts({"home"}));
        const Category aTag =
            property(QStringLiteral("Tag"), PropertyKind::singleSelect, texts({"x", "y"}));
        const Category aPlace =
            property(QStringLiteral("Place"), PropertyKind::singleSelect, texts({"home"}));
        const Category bTag =
            property(QStringLiteral("tag"), PropertyKind::multiSelect, texts({"y", "z"}));
        library = Library::withContents(
            {rating(), tag, place},
            {mediaItem(QStringLiteral("a/1.jpg")), mediaItem(QStringLiteral("b/2.jpg")),
             mediaItem(QStringLiteral("c/3.jpg")), mediaItem(QStringLiteral("root.jpg"))});
        library.catalogProperties = library.categories;
        library.folderSchemas[QStringLiteral("a")] = FolderPropertySchema{
            {aPlace, aTag}, {{aPlace.idText(), place.idText()}, {aTag.idText(), tag.idText()}}};
        library.folderSchemas[QStringLiteral("b")] =
            FolderPropertySchema{{bTag}, {{bTag.idText(), tag.idText()}}};
        library.folderSchemas[QStringLiteral("c")] = FolderPropertySchema{};
        library.folderSchemas[QString()] = FolderPropertySchema{};
    }

    const Category* shown(const Library& display, const Category& category) const {
        for (const Category& c : display.categories) {
            if (c.id == category.id) {
                return &c;
            }
        }
        return nullptr;
    }

    static QSet<QString> folders(std::initializer_list<const char*> names) {
        QSet<QString> result;
        for (const char* name : names) {
            result.insert(QString::fromUtf8(name));
        }
        return result;
    }

    Library library;
    Category tag;
    Category place;
};

}  // namespace

TEST_F(FolderShaping, WithoutSchemasTheLibraryIsShownAsItIsMissingItemsIncluded) {
    Library plain = Library::withContents({rating(), tag}, {mediaItem(QStringLiteral("a.jpg"))});
    plain.items[0].available = false;
    EXPECT_EQ(FolderCatalog::displayLibrary(plain, std::nullopt), plain);
}

TEST_F(FolderShaping, KindsAndOptionsComeFromTheChosenFolders) {
    MediaItem missing = mediaItem(QStringLiteral("a/missing.jpg"));
    missing.available = false;
    library.items.append(missing);
    const Library both = FolderCatalog::displayLibrary(library, folders({"a", "b"}));
    ASSERT_NE(shown(both, tag), nullptr);
    EXPECT_EQ(shown(both, tag)->kind, PropertyKind::multiSelect);
    EXPECT_EQ(shown(both, tag)->options, texts({"x", "y", "z"}));
    EXPECT_EQ(both.items.size(), 2);
    EXPECT_TRUE(both.folderSchemas.empty());
    EXPECT_TRUE(both.catalogProperties.isEmpty());

    const Library onlyA = FolderCatalog::displayLibrary(library, folders({"a"}));
    EXPECT_EQ(shown(onlyA, tag)->kind, PropertyKind::singleSelect);
    EXPECT_EQ(shown(onlyA, tag)->options, texts({"x", "y"}));

    library.items[0] = labelled(library.items[0], tag, texts({"x", "y"}));
    EXPECT_EQ(shown(FolderCatalog::displayLibrary(library, folders({"a"})), tag)->kind,
              PropertyKind::multiSelect);
}

TEST_F(FolderShaping, OneFolderListsItsOwnOrderThenUndeclaredValuesWithoutOptions) {
    const Category extra =
        property(QStringLiteral("Extra"), PropertyKind::multiSelect, texts({"e"}));
    library.categories.insert(1, extra);
    library.catalogProperties = library.categories;
    library.items[0] = labelled(library.items[0], extra, texts({"e"}));

    const Library onlyA = FolderCatalog::displayLibrary(library, folders({"a"}));

    ASSERT_EQ(onlyA.categories.size(), 3);
    EXPECT_EQ(onlyA.categories[0].id, place.id);
    EXPECT_EQ(onlyA.categories[1].id, tag.id);
    EXPECT_EQ(onlyA.categories[2].id, extra.id);
    EXPECT_TRUE(onlyA.categories[2].options.isEmpty());
}

TEST_F(FolderShaping, PropertiesNoFolderDeclaresBelongToTheRoot) {
    const Category fresh =
        property(QStringLiteral("New"), PropertyKind::singleSelect, texts({"n"}));
    library.categories.append(fresh);
    const Library rootOnly = FolderCatalog::displayLibrary(library, folders({""}));
    ASSERT_NE(shown(rootOnly, fresh), nullptr);
    EXPECT_EQ(shown(rootOnly, fresh)->options, texts({"n"}));
    EXPECT_EQ(shown(rootOnly, tag), nullptr);
    EXPECT_EQ(shown(FolderCatalog::displayLibrary(library, folders({"a"})), fresh), nullptr);
}

// Each canonically distinct option once, in the spelling met first, folders taken in plain order:
// what a look through the options gathered so far finds for each one.
TEST_F(FolderShaping, OptionsMergeOncePerCanonicalTextInTheSpellingMetFirst) {
    const QString composed = QStringLiteral("caf\u00e9");
    const QString decomposed = QStringLiteral("cafe\u0301");
    FolderPropertySchema& a = library.folderSchemas.at(QStringLiteral("a"));
    a.properties[1].options = QStringList{u"x"_s, u"y"_s, composed};
    FolderPropertySchema& b = library.folderSchemas.at(QStringLiteral("b"));
    b.properties[0].options = QStringList{u"x"_s, decomposed, u"z"_s, u"y"_s, u"z"_s};
    const Category cTag =
        property(QStringLiteral("Tag"), PropertyKind::multiSelect, texts({"y", "x", "w"}));
    library.folderSchemas.at(QStringLiteral("c")) =
        FolderPropertySchema{{cTag}, {{cTag.idText(), tag.idText()}}};

    EXPECT_EQ(shown(FolderCatalog::displayLibrary(library, folders({"c", "b", "a"})), tag)->options,
              (QStringList{u"x"_s, u"y"_s, composed, u"z"_s, u"w"_s}));
    EXPECT_EQ(shown(FolderCatalog::displayLibrary(library, folders({"b"})), tag)->options,
              (QStringList{u"x"_s, decomposed, u"z"_s, u"y"_s}));
    EXPECT_EQ(shown(FolderCatalog::displayLibrary(library, folders({"b", "c"})), tag)->options,
              (QStringList{u"x"_s, decomposed, u"z"_s, u"y"_s, u"w"_s}));
}

// The kept items given by a caller that found them without the walk give the walk's library.
TEST_F(FolderShaping, GivenKeptItemsGiveWhatTheWalkGives) {
    MediaItem missing = mediaItem(QStringLiteral("a/missing.jpg"));
    missing.available = false;
    library.items.append(missing);
    library.items.append(mediaItem(QStringLiteral("a/4.jpg")));
    library.items[0] = labelled(library.items[0], tag, texts({"x", "y"}));
    const Category fresh =
        property(QStringLiteral("New"), PropertyKind::singleSelect, texts({"n"}));
    library.categories.append(fresh);
    for (const auto& chosen : {folders({"a"}), folders({"a", "b"}), folders({"", "c"}),
                               folders({"b", "c", "nowhere"}), folders({})}) {
        MediaItems kept;
        for (const MediaItem& item : library.items) {
            if (item.available && chosen.contains(item.folder())) {
                kept.append(item);
            }
        }
        const QStringList list(chosen.cbegin(), chosen.cend());
        EXPECT_EQ(FolderCatalog::displayLibrary(library, list, kept),
                  FolderCatalog::displayLibrary(library, chosen))
            << list.join(u',').toStdString();
    }
}

TEST_F(FolderShaping, SelectionKindFollowsTheFoldersOwnCopy) {
    EXPECT_EQ(FolderCatalog::selectionKind(tag, QStringLiteral("a"), library),
              PropertyKind::singleSelect);
    EXPECT_EQ(FolderCatalog::selectionKind(tag, QStringLiteral("b"), library),
              PropertyKind::multiSelect);
    EXPECT_EQ(FolderCatalog::selectionKind(tag, QStringLiteral("c"), library), tag.kind);
    EXPECT_EQ(FolderCatalog::selectionKind(tag, QStringLiteral("nowhere"), library), tag.kind);
}

TEST_F(FolderShaping, ApplyingReplacesInSingleChoiceFoldersAndAddsInMultipleChoiceOnes) {
    library.items[0] = labelled(library.items[0], tag, texts({"x"}));
    library.items[1] = labelled(library.items[1], tag, texts({"y", "red"}));
    library.categories[1].options = texts({"x", "y"});

    const Library result = FolderCatalog::applyingLabel(
        QStringLiteral("red"), {library.items[0].id, library.items[1].id}, tag, library);

    EXPECT_EQ(result.items[0].labels.at(tag.idText()), texts({"red"}));
    EXPECT_EQ(result.items[1].labels.at(tag.idText()), texts({"y", "red"}));
    EXPECT_EQ(result.categories[1].options, texts({"x", "y", "red"}));
    EXPECT_EQ(result.folderSchemas, library.folderSchemas);
}

// Many items in runs of folders, sharing one labels map, chosen across the whole list: each
// chosen item gets the value by its own folder's kind, every other item and the library it was
// applied to stay as they were.
TEST_F(FolderShaping, ApplyingToManyItemsChangesExactlyTheChosenOnes) {
    const Labels shared{{tag.idText(), texts({"y"})}};
    MediaItems items;
    QSet<QUuid> chosen;
    const char* folderNames[] = {"a", "b", "c"};
    for (int index = 0; index < 12000; ++index) {
        MediaItem item = mediaItem(QStringLiteral("%1/%2.jpg")
                                       .arg(QLatin1StringView(folderNames[index / 1000 % 3]))
                                       .arg(index));
        item.labels = shared;
        if (index % 7 == 0) {
            chosen.insert(item.id);
        }
        items.append(item);
    }
    library.items = items;
    const Library before = library;

    const Library result =
        FolderCatalog::applyingLabel(QStringLiteral("red"), chosen, tag, library);

    EXPECT_EQ(library, before);
    ASSERT_EQ(result.items.size(), items.size());
    for (qsizetype index = 0; index < items.size(); ++index) {
        const MediaItem& item = result.items.at(index);
        const QString folder = item.folder();
        const QStringList expected = !chosen.contains(item.id) ? texts({"y"})
                                     : folder == u"a"          ? texts({"red"})
                                                               : texts({"y", "red"});
        ASSERT_EQ(item.labels.at(tag.idText()), expected) << item.filename.toStdString();
    }
    EXPECT_EQ(result.folderSchemas.at(QStringLiteral("c")).properties.size(), 1);
}

TEST_F(FolderShaping, ApplyingInAFolderWithoutTheCategoryAddsAFolderLocalCopy) {
    const QUuid target = library.items[2].id;
    const Library result =
        FolderCatalog::applyingLabel(QStringLiteral("v"), {target}, tag, library);

    const FolderPropertySchema& c = result.folderSchemas.at(QStringLiteral("c"));
    ASSERT_EQ(c.properties.size(), 1);
    EXPECT_EQ(c.properties[0].name, tag.name);
    EXPECT_EQ(c.properties[0].kind, tag.kind);
    EXPECT_TRUE(c.properties[0].options.isEmpty());
    EXPECT_NE(c.properties[0].id, tag.id);
    EXPECT_EQ(c.displayIDs.at(c.properties[0].idText()), tag.idText());
    EXPECT_EQ(result.items[2].labels.at(tag.idText()), texts({"v"}));
}

TEST_F(FolderShaping, ApplyingNothingUsableChangesNothing) {
    const QSet<QUuid> first{library.items[0].id};
    EXPECT_EQ(FolderCatalog::applyingLabel(QString(), first, tag, library), library);
    EXPECT_EQ(
        FolderCatalog::applyingLabel(QStringLiteral("3"), first, library.categories[0], library),
        library);
    EXPECT_EQ(
        FolderCatalog::applyingLabel(QStringLiteral("v"), {QUuid::createUuid()}, tag, library),
        library);
    EXPECT_EQ(FolderCatalog::applyingLabel(QStringLiteral("v"), first,
                                           property(QStringLiteral("Tag")), library),
              library);
}

TEST_F(FolderShaping, ApplyingAValueWithALineBreakIsRefused) {
    const QSet<QUuid> first{library.items[0].id};
    for (const QString& bad : {QStringLiteral("red\n"), QStringLiteral("r\red")}) {
        try {
            FolderCatalog::applyingLabel(bad, first, tag, library);
            ADD_FAILURE() << "accepted a line break";
        } catch (const Error& error) {
            EXPECT_EQ(error.domain(), QStringLiteral("Lumivex"));
            EXPECT_EQ(error.description(), OptionText::lineBreakMessage);
        }
    }
}
