// The inspector over the synthetic folder library of 100,000 items in 1,000 folders (catalogs
// only; the first scan is held), in the main window at 1280 x 840 on the offscreen platform.
//
// inspectorSelection: a selection change to the inspector rebuilt and painted, for one item and
// for 5,000 items across 50 folders. The reference is the store's own reads for that selection
// (its selected items, editor scope and common rating).
//
// inspectorPickerKeystroke2000: one character typed into the search field of a picker whose
// property has 2,000 options, to the list repainted. The reference filters the same options.
//
// inspectorAddValue5000: one new value applied through the tags' picker to 5,000 selected items in
// 50 folders, end to end with its save. The reference is a full load of the tree; the counter
// `folders_written` counts the catalogs the save replaced.

#include "bench_run.h"
#include "browser/lumivex_view.h"
#include "browser/store_region.h"
#include "catalog/folder_catalog.h"
#include "inspector/inspector_slots.h"
#include "inspector/inspector_view.h"
#include "inspector/label_editor.h"
#include "inspector/option_list.h"
#include "inspector/property_option_picker.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
#include "model/property_options.h"
#include "platform/file_status.h"
#include "store/lumivex_store.h"
#include "synthetic_library.h"
#include "synthetic_store.h"

#include <QApplication>
#include <QDirIterator>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

using namespace lumivex;
using lumivex::bench::millisecondsOf;

namespace {

const QString keywords = QStringLiteral("Keywords");
constexpr int keywordCount = 2000;

// Adds a multiple-choice property with 2,000 options, one value on each item.
void addKeywords(Library& library) {
    Category category{QUuid::createUuid(), keywords, PropertyKind::multiSelect, {}, std::nullopt};
    for (int i = 0; i < keywordCount; ++i) {
        category.options.append(QStringLiteral("keyword-%1").arg(i, 4, 10, QLatin1Char('0')));
    }
    qsizetype index = 0;
    for (MediaItem& item : library.items) {
        item.labels[category.idText()] = {category.options[index++ % keywordCount]};
    }
    library.categories.append(category);
}

struct Inspector : bench::SyntheticStore {
    ThumbnailCache thumbnails;
    PhotosThumbnailCache photosThumbnails;
    std::unique_ptr<LumivexView> view;
    InspectorView* inspector = nullptr;

    Inspector() : bench::SyntheticStore(addKeywords) {
        view = std::make_unique<LumivexView>(*store, defaults);
        InspectorSlots::install(*view, *store, {thumbnails, photosThumbnails, defaults});
        inspector = view->findChild<InspectorView*>();
        view->resize(1280, 840);
        view->show();
        open();
        drain();
    }

    void drain() {
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            for (StoreRegion* region : view->findChildren<StoreRegion*>()) {
                region->refreshIfStale();
            }
        }
    }

    Category property(const QString& name) const {
        for (const Category& category : store->library().categories) {
            if (category.name == name) {
                return category;
            }
        }
        return {};
    }

    PropertyOptionPicker& picker(const QString& name) const {
        return *inspector->labelEditor(property(name).id)->picker();
    }

    // `perFolder` items of each of the first `folders` folders.
    QSet<QUuid> selectionAcross(int folders, int perFolder) const {
        QHash<QString, int> taken;
        QSet<QUuid> ids;
        for (const MediaItem& item : store->library().items) {
            const QString key = item.folder();
            if ((taken.contains(key) || taken.size() < folders) && taken[key] < perFolder) {
                ++taken[key];
                ids.insert(item.id);
            }
        }
        return ids;
    }
};

std::unique_ptr<Inspector> shared;

Inspector& inspector() {
    if (!shared) {
        shared = std::make_unique<Inspector>();
    }
    return *shared;
}

// Alternates between two selections so that every iteration is a change. The second starts
// half a keyword cycle later, so that the two hold their keywords in other counts and the chips
// are made again, as they are when a person selects other items.
void inspectorSelection(benchmark::State& state, int folders, int perFolder) {
    Inspector& w = inspector();
    const QSet<QUuid> first = w.selectionAcross(folders, perFolder);
    const qsizetype start = 50000 + keywordCount / 2;
    QSet<QUuid> second;
    for (const MediaItem& item : w.store->library().items.mid(start, first.size())) {
        second.insert(item.id);
    }
    if (folders == 1) {
        second = {w.store->library().items[start].id};
    }
    double referenceMs = 0;
    double inspectorMs = 0;
    qsizetype next = 0;
    for (auto _ : state) {
        const QSet<QUuid>& chosen = next++ % 2 == 0 ? first : second;
        state.PauseTiming();
        referenceMs += millisecondsOf([&] {
            w.store->setSelection(chosen);
            benchmark::DoNotOptimize(w.store->selectedItems().size());
            benchmark::DoNotOptimize(w.store->editorScope().categories.size());
            benchmark::DoNotOptimize(w.store->selectedRating());
        });
        w.store->setSelection({});
        w.drain();
        state.ResumeTiming();
        inspectorMs += millisecondsOf([&] {
            w.store->setSelection(chosen);
            w.inspector->refreshIfStale();
            w.inspector->repaint();
        });
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["selected"] = static_cast<double>(w.store->selectedItems().size());
    state.counters["inspector_ms"] = inspectorMs / n;
    state.counters["store_reads_reference_ms"] = referenceMs / n;
    state.counters["frame_share"] = inspectorMs / n / (1000.0 / 60.0);
}

void inspectorSelectOne100k(benchmark::State& state) {
    inspectorSelection(state, 1, 1);
}
BENCHMARK(inspectorSelectOne100k)->Iterations(20)->Unit(benchmark::kMillisecond);

void inspectorSelect5000In50Folders100k(benchmark::State& state) {
    inspectorSelection(state, 50, 100);
}
BENCHMARK(inspectorSelect5000In50Folders100k)->Iterations(20)->Unit(benchmark::kMillisecond);

void inspectorPickerKeystroke2000(benchmark::State& state) {
    Inspector& w = inspector();
    w.store->setSelection({w.store->library().items[7].id});
    w.drain();
    PropertyOptionPicker& picker = w.picker(keywords);
    picker.open(true);
    w.drain();
    const QStringList options = w.store->propertyOptions(w.property(keywords));
    const QList<Qt::Key> typing{Qt::Key_1, Qt::Key_2, Qt::Key_Backspace, Qt::Key_Backspace};
    const QStringList texts{QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("1"),
                            QString()};
    double keyMs = 0;
    double referenceMs = 0;
    qsizetype next = 0;
    for (auto _ : state) {
        keyMs += millisecondsOf([&] {
            QTest::keyClick(picker.searchField(), typing[next % typing.size()]);
            picker.list()->repaint();
        });
        referenceMs += millisecondsOf([&] {
            benchmark::DoNotOptimize(
                PropertyOptions::filtered(options, texts[next % texts.size()]));
        });
        ++next;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["options"] = static_cast<double>(options.size());
    state.counters["keystroke_ms"] = keyMs / n;
    state.counters["filter_reference_ms"] = referenceMs / n;
    picker.close();
    w.drain();
}
BENCHMARK(inspectorPickerKeystroke2000)->Iterations(40)->Unit(benchmark::kMillisecond);

// Every catalog under the root by its inode: an atomic write replaces the file with a new one.
QHash<QString, std::uint64_t> catalogInodes(const QString& root) {
    QHash<QString, std::uint64_t> inodes;
    QDirIterator files(root, {QStringLiteral("lumivex.csv")}, QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        inodes.insert(path, FileStatus::read(path).inode.value_or(0));
    }
    return inodes;
}

int catalogsReplaced(const QHash<QString, std::uint64_t>& before,
                     const QHash<QString, std::uint64_t>& after) {
    int replaced = 0;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        replaced += before.value(it.key()) != it.value() ? 1 : 0;
    }
    return replaced;
}

void inspectorAddValue5000(benchmark::State& state) {
    Inspector& w = inspector();
    // The reference loads come first: a load remembers its own lists as the ones the next save
    // compares with, lists the store never holds, so a load between two edits would cost the
    // second edit a comparison of every item that a user's edits never pay.
    constexpr int loads = 3;
    double loadMs = 0;
    for (int load = 0; load < loads; ++load) {
        loadMs += millisecondsOf(
            [&] { benchmark::DoNotOptimize(FolderCatalog::load(w.root, std::nullopt)); });
    }
    w.store->setSelection(w.selectionAcross(50, 100));
    w.drain();
    const Category tags = w.property(QStringLiteral("태그"));
    PropertyOptionPicker& picker = w.picker(QStringLiteral("태그"));
    picker.open(true);
    w.drain();
    // Removing a value from the items keeps its option, so each round adds a name of its own:
    // every add creates a new option, as the first one does. An untimed round comes first, so
    // that every timed add follows an edit of the store's own, as a user's adds do.
    int round = 0;
    double addMs = 0;
    double applyMs = 0;
    int written = 0;
    const auto addOne = [&](bool timed) {
        const QHash<QString, std::uint64_t> before = catalogInodes(w.root);
        const QString value = QStringLiteral("inspector-bench-%1").arg(++round);
        if (timed) {
            state.ResumeTiming();
        }
        const double ms = millisecondsOf([&] {
            applyMs += millisecondsOf([&] { picker.apply(value); });
            w.drain();
        });
        if (timed) {
            state.PauseTiming();
            addMs += ms;
        }
        written = catalogsReplaced(before, catalogInodes(w.root));
        w.store->removeLabel(value, tags);
        w.drain();
    };
    addOne(false);
    applyMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        addOne(true);
        state.ResumeTiming();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["add_ms"] = addMs / n;
    // The store's part: the edit, its save and the published state; the rest is the redraw.
    state.counters["apply_ms"] = applyMs / n;
    state.counters["tree_load_reference_ms"] = loadMs / loads;
    state.counters["share_of_load"] = (addMs / n) / (loadMs / loads);
    state.counters["folders_written"] = written;
    picker.close();
}
BENCHMARK(inspectorAddValue5000)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runInApplication<QApplication>(argc, argv, [] { shared.reset(); });
}
