#include "model/shared_map.h"
#include "model/library.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using Schemas = SharedMap<QString, FolderPropertySchema>;

FolderPropertySchema schemaNamed(const QString& name) {
    Category category;
    category.name = name;
    return FolderPropertySchema{{category}, {{category.idText(), category.idText()}}};
}

// Every way of changing a copy (operator[], the non-const at, iteration by reference, clear)
// parts it from its original first; the original never sees the change.
TEST(SharedMap, ACopyPartsFromItsOriginalOnTheFirstChangeOnly) {
    const Schemas original{{QString(), schemaNamed(QStringLiteral("인물"))},
                           {QStringLiteral("a"), schemaNamed(QStringLiteral("장소"))}};
    const FolderPropertySchema root = original.at(QString());

    Schemas indexed = original;
    EXPECT_EQ(indexed, original);
    indexed[QStringLiteral("b")] = schemaNamed(QStringLiteral("태그"));
    EXPECT_FALSE(original.contains(QStringLiteral("b")));
    EXPECT_EQ(indexed.size(), 3u);

    Schemas changed = original;
    changed.at(QString()).properties.clear();
    EXPECT_EQ(original.at(QString()), root);
    EXPECT_FALSE(changed == original);

    Schemas iterated = original;
    for (auto& [folder, schema] : iterated) {
        schema.displayIDs.clear();
    }
    EXPECT_EQ(original.at(QString()), root);
    EXPECT_TRUE(iterated.at(QStringLiteral("a")).displayIDs.empty());

    Schemas cleared = original;
    cleared.clear();
    EXPECT_TRUE(cleared.empty());
    EXPECT_EQ(original.size(), 2u);
    EXPECT_THROW(static_cast<void>(original.at(QStringLiteral("none"))), std::out_of_range);
}

// Equality looks at the values, not at how the maps came about, and holds against the plain map.
TEST(SharedMap, EqualityComparesValuesAndTreatsNoMapAsEmpty) {
    Schemas built;
    built[QStringLiteral("a")] = schemaNamed(QStringLiteral("장소"));
    const std::map<QString, FolderPropertySchema> plain = built;
    const Schemas fromPlain = plain;
    EXPECT_EQ(fromPlain, built);
    EXPECT_TRUE(built == plain);
    EXPECT_FALSE(plain != built);

    Schemas emptied = built;
    emptied[QStringLiteral("a")];
    emptied.clear();
    EXPECT_EQ(emptied, Schemas());
    EXPECT_EQ(Schemas(std::map<QString, FolderPropertySchema>()), Schemas());

    // Iterators of one map, const or not, shared or not, compare with that map's own end.
    Schemas none;
    EXPECT_TRUE(none.find(QStringLiteral("a")) == none.end());
    EXPECT_TRUE(std::as_const(none).find(QStringLiteral("a")) == std::as_const(none).end());
    Schemas shared = built;
    EXPECT_TRUE(shared.find(QStringLiteral("b")) == shared.end());
    EXPECT_TRUE(shared.find(QStringLiteral("a")) != shared.end());
}

}  // namespace
}  // namespace lumivex
