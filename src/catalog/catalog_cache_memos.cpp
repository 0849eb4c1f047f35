// What the cache remembers of each folder beside its proofs: the properties its files held (the
// knowledge a save plans with) and the memo of the tree-wide inputs its texts last matched, which
// lets a save pass a folder without rendering it.
#include "catalog/catalog_cache.h"

#include "platform/parallel_work.h"

#include <algorithm>

namespace lumivex {

CatalogCache::Knowledge CatalogCache::knowledgeIn(const FolderEntry& entry) {
    Knowledge result{entry.libraryCategories, entry.deletedCategories, {}, {}};
    if (entry.memo) {
        result.unchangedGeneration = entry.memo->generation;
        result.unchangedInputs = entry.memo->inputs;
    }
    return result;
}

CatalogCache::Knowledge CatalogCache::knowledge(const QString& folder) {
    const auto known = folders_.find(folder);
    if (known != folders_.end() && stillKnown(folder, *known)) {
        return knowledgeIn(*known);
    }
    const LibraryState state = loadFolder(folder);
    return {state.library.categories, state.deleted.categories, {}, {}};
}

std::vector<CatalogCache::Answer> CatalogCache::knowledgeOf(
    const std::vector<const QString*>& folders) {
    std::vector<Answer> answers(folders.size());
    std::vector<std::size_t> unknown;
    for (std::size_t index = 0; index < folders.size(); ++index) {
        const auto known = folders_.find(*folders[index]);
        if (known != folders_.end() && stillKnown(*folders[index], *known)) {
            answers[index].knowledge = knowledgeIn(*known);
        } else {
            unknown.push_back(index);
        }
    }
    std::vector<std::optional<FolderRead>> reads(unknown.size());
    ParallelWork::forEach(unknown.size(), [&](std::size_t at) {
        try {
            reads[at] = readFolder(*folders[unknown[at]]);
        } catch (...) {
            answers[unknown[at]].failure = std::current_exception();
        }
        return true;
    });
    for (std::size_t at = 0; at < unknown.size(); ++at) {
        if (reads[at]) {
            recordRead(*folders[unknown[at]], *reads[at], true);
            answers[unknown[at]].knowledge = {
                reads[at]->state.library.categories, reads[at]->state.deleted.categories, {}, {}};
        }
    }
    return answers;
}

namespace {

bool sameButOptions(const QList<Category>& a, const QList<Category>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const Category& x, const Category& y) {
            return x.id == y.id && x.name == y.name && x.kind == y.kind && x.iconName == y.iconName;
        });
}

}  // namespace

std::uint64_t CatalogCache::generation(const QString& root, const LibraryState& state) {
    TreeInputs& tree = trees_[root];
    const bool sameStructure = tree.generation != 0 &&
                               sameButOptions(tree.categories, state.library.categories) &&
                               tree.catalogProperties == state.library.catalogProperties &&
                               tree.deletedCategories == state.deleted.categories &&
                               tree.folderSchemas == state.library.folderSchemas;
    const bool same = sameStructure && tree.categories == state.library.categories;
    // Equal inputs are taken over too, so that the next state, which mostly shares them, compares
    // by address.
    tree = {state.library.categories,
            state.library.folderSchemas,
            state.library.catalogProperties,
            state.deleted.categories,
            same ? tree.generation : nextGeneration_++,
            sameStructure ? tree.structure : nextGeneration_++};
    return tree.generation;
}

std::uint64_t CatalogCache::structureGeneration(const QString& root) const {
    const auto tree = trees_.constFind(root);
    return tree == trees_.constEnd() ? 0 : tree->structure;
}

void CatalogCache::rememberUnchanged(const QString& folder, std::uint64_t generation,
                                     FolderInputs inputs) {
    const auto known = folders_.find(folder);
    if (known != folders_.end()) {
        known->memo = Memo{generation, std::move(inputs)};
    }
}

bool CatalogCache::vouchesAcrossOptions(const QString& folder, std::uint64_t structure) const {
    const auto known = folders_.constFind(folder);
    if (known == folders_.constEnd() || !known->memo) {
        return false;
    }
    const FolderInputs& inputs = known->memo->inputs;
    return inputs.shape && !inputs.shape->takesDisplayOptions && inputs.structure == structure;
}

bool CatalogCache::stillHolds(const QString& folder, std::uint64_t generation,
                              std::uint64_t structure, const Lists& lists) {
    const auto known = folders_.find(folder);
    if (known == folders_.end() || !known->memo ||
        !(stillKnown(folder, *known) || reprove(folder))) {
        return false;
    }
    const Memo& memo = *known->memo;
    const FolderInputs& inputs = memo.inputs;
    const bool sameInputs =
        memo.generation == generation ||
        (inputs.shape && !inputs.shape->takesDisplayOptions && inputs.structure == structure);
    if (!sameInputs || !inputs.basis || !inputs.basis->lists) {
        return false;
    }
    const Lists& made = *inputs.basis->lists;
    return made.items.sharesAllItemsWith(lists.items) &&
           (made.records.constData() == lists.records.constData() || made.records == lists.records);
}

void CatalogCache::forgetUnchanged(const QString& folder) {
    const auto known = folders_.find(folder);
    if (known != folders_.end()) {
        known->memo.reset();
    }
}

}  // namespace lumivex
