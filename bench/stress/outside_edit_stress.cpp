// Edits made outside beside the application's own: a real store (the real scanner and inotify
// watcher) on a generated tree, an outside writer that rewrites catalog rows' notes, atomically
// and in place, while the main thread rates items, writes notes and rescans. At the end every
// edit is accounted for: kept (or merged into a save), replaced by a later edit that had seen it,
// refused with a message, or lost. Run by hand, never by ctest:
//
//   lumivex_outside_edit_stress [seconds=60] [folders=300] [seed=1]
//
// Prints the counts and every loss with the row's history; exits with 1 when anything was lost.

#include "platform/atomic_file.h"
#include "platform/user_defaults.h"
#include "store/lumivex_store.h"
#include "support/fake_photo_library.h"
#include "support/fake_shell.h"
#include "support/fake_trash.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>

using namespace lumivex;

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point start = Clock::now();
double now() {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One edit of one row's field; `seen` is what the editor saw there before (the file's value for
// the outside writer, the store's for the app).
struct Edit {
    bool outside = false;
    bool notes = true;  // else the rating
    bool inPlace = false;
    QString file;  // root-relative
    QString value;
    QString seen;
    double began = 0;     // when the write or the call began
    double at = 0;        // when the write began (outside) or the call returned (app)
    double shownAt = -1;  // outside: when the store first showed it
    bool accepted = true;
    QString message;
};

QString folderOf(const QString& file) {
    const qsizetype slash = file.lastIndexOf(u'/');
    return slash < 0 ? QString() : file.left(slash);
}

QString catalogPath(const QString& root, const QString& key) {
    return (key.isEmpty() ? root : root + u'/' + key) + QStringLiteral("/.lumivex/lumivex.csv");
}

QStringList makeTree(const QString& root, int count, std::mt19937& random) {
    QStringList keys{QString()};
    while (keys.size() < count) {
        const QString parent = keys[qsizetype(random() % keys.size())];
        if (parent.count(u'/') < 2) {
            const QString name = QStringLiteral("f%1").arg(keys.size());
            keys.append(parent.isEmpty() ? name : parent + u'/' + name);
        }
    }
    for (const QString& key : keys) {
        for (const char* name : {"p0.png", "p1.png"}) {
            test::writeFile(QStringLiteral("%1/%2/%3").arg(root, key, QLatin1String(name)),
                            test::png({}));
        }
    }
    return keys;
}

// Rewrites the notes of random rows from another thread, as a spreadsheet or a sync tool would:
// read the catalog, change one row, and write it back by a rename or in place (in two halves, so
// that a reader may meet it half written). A file that changed since it was read is left.
class OutsideWriter {
public:
    OutsideWriter(QString root, QStringList hot, QStringList all, std::uint32_t seed)
        : root_(std::move(root)), hot_(std::move(hot)), all_(std::move(all)), random_(seed) {}
    void start() {
        thread_ = std::thread([this] {
            while (!stop_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10 + random_() % 70));
                editOnce();
            }
        });
    }
    void stop() {
        stop_ = true;
        thread_.join();
    }
    std::vector<Edit> edits() {
        std::lock_guard lock(mutex_);
        return edits_;
    }
    void markShown(const std::function<bool(const Edit&)>& shown) {
        std::lock_guard lock(mutex_);
        for (Edit& edit : edits_) {
            if (edit.shownAt < 0 && shown(edit)) {
                edit.shownAt = now();
            }
        }
    }

private:
    void editOnce() {
        const QStringList& folders = random_() % 10 < 7 ? hot_ : all_;
        const QString key = folders[qsizetype(random_() % folders.size())];
        const QString path = catalogPath(root_, key);
        const std::optional<QByteArray> bytes = read(path);
        if (!bytes) {
            return;
        }
        Library library;
        try {
            library = Library::fromCatalogCSV(QString::fromUtf8(*bytes));
        } catch (const Error&) {
            return;  // caught between the app's rename and its folder's flush: try again later
        }
        if (library.items.isEmpty()) {
            return;
        }
        MediaItem& item = library.items[qsizetype(random_() % library.items.size())];
        Edit edit;
        edit.outside = true;
        edit.inPlace = random_() % 2 == 0;
        edit.file = (key.isEmpty() ? QString() : key + u'/') + item.filename;
        edit.value = QStringLiteral("o%1").arg(++count_);
        edit.seen = item.notes;
        item.notes = edit.value;
        const QByteArray written = library.catalogCSV().toUtf8();
        // Compared again as late as it can be, so that the writer itself seldom writes over a
        // save of the store's that came after its read: that loss would be the writer's own.
        const auto unchanged = [&] { return read(path) == bytes; };
        edit.began = edit.at = now();
        if (edit.inPlace ? unchanged() && writeInPlace(path, written)
                         : writeByRename(path, written, unchanged)) {
            std::lock_guard lock(mutex_);
            edits_.push_back(edit);
        }
    }
    static std::optional<QByteArray> read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? std::optional(file.readAll()) : std::nullopt;
    }
    static bool writeByRename(const QString& path, const QByteArray& bytes,
                              const std::function<bool()>& unchanged) {
        const QString temporary = path + QStringLiteral(".outside");
        {
            QFile file(temporary);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                return false;
            }
        }
        return unchanged() && ::rename(QFile::encodeName(temporary).constData(),
                                       QFile::encodeName(path).constData()) == 0;
    }
    bool writeInPlace(const QString& path, const QByteArray& bytes) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        const qsizetype half = bytes.size() / 2;
        bool whole = ::write(fd, bytes.constData(), size_t(half)) == half;
        std::this_thread::sleep_for(std::chrono::microseconds(random_() % 3000));
        whole = whole && ::write(fd, bytes.constData() + half, size_t(bytes.size() - half)) ==
                             bytes.size() - half;
        ::close(fd);
        return whole;
    }

    QString root_;
    QStringList hot_;
    QStringList all_;
    std::mt19937 random_;
    std::thread thread_;
    std::atomic<bool> stop_ = false;
    int count_ = 0;
    std::mutex mutex_;
    std::vector<Edit> edits_;
};

// Runs the event loop until `done` holds or `seconds` passed; whether it held.
bool runUntil(const std::function<bool()>& done, double seconds) {
    const double end = now() + seconds;
    while (!done()) {
        if (now() > end) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void runFor(double seconds) {
    runUntil([] { return false; }, seconds);
}

// The store on a real scanner, a real watcher and the system clock, with fakes for the rest.
struct StoreHome {
    QTemporaryDir folder;
    UserDefaults defaults{folder.path() + QStringLiteral("/defaults.json")};
    test::FakePhotoLibrary photos;
    test::FakeTrash trash;
    test::FakeShell shell;

    std::unique_ptr<LumivexStore> make() {
        LumivexStore::Services services;
        services.defaults = &defaults;
        services.photos = &photos;
        services.trash = &trash;
        services.shell = &shell;
        services.homeFolder = folder.path();
        services.photosMetadataFolder = folder.path() + QStringLiteral("/photos");
        services.photosLegacyFolders = QStringList();
        services.photosFolder = folder.path() + QStringLiteral("/Pictures");
        return std::make_unique<LumivexStore>(std::move(services));
    }
};

const MediaItem* itemOf(const LumivexStore& store, const QString& file) {
    for (const MediaItem& item : store.library().items) {
        if (item.filename == file && item.available) {
            return &item;
        }
    }
    return nullptr;
}

// One rating or notes edit through the store, as the inspector makes it.
std::optional<Edit> appEdit(LumivexStore& store, const QString& file, bool notes, int serial,
                            std::mt19937& random) {
    const MediaItem* item = itemOf(store, file);
    if (!item) {
        return std::nullopt;
    }
    Edit edit;
    edit.notes = notes;
    edit.file = file;
    const QUuid id = item->id;
    edit.seen = notes ? item->notes : QString::number(item->rating);
    edit.value = notes ? QStringLiteral("a%1").arg(serial)
                       : QString::number((item->rating + 1 + random() % 4) % 6);
    store.setError(std::nullopt);
    edit.began = now();
    if (notes) {
        store.setNotes(edit.value, id);
    } else {
        store.setRating(edit.value.toInt(), id);
    }
    const MediaItem* after = itemOf(store, file);
    edit.at = now();
    edit.accepted = after && (notes ? after->notes : QString::number(after->rating)) == edit.value;
    edit.message = store.error().value_or(QString());
    return edit;
}

// Every catalog the store wrote, with its rows' notes, so that a loss can be traced to the write
// that made it: a save of an app edit when it fell within the edit's call, else a rescan's.
class StoreWrites {
public:
    struct Write {
        double at;
        QHash<QString, QString> notes;  // by root-relative file
    };
    explicit StoreWrites(const QString& root) {
        AtomicFile::setFaultHook([this, root](AtomicFile::Stage stage, const QString& path) {
            const QLatin1StringView suffix("/.lumivex/lumivex.csv");
            if (stage != AtomicFile::Stage::afterRename || !path.endsWith(suffix)) {
                return;
            }
            const QString folder = path.chopped(suffix.size()).mid(root.size() + 1);
            Write write{now(), {}};
            try {
                QFile file(path);
                file.open(QIODevice::ReadOnly);
                const QByteArray bytes = file.readAll();
                for (const MediaItem& item :
                     Library::fromCatalogCSV(QString::fromUtf8(bytes)).items) {
                    write.notes[(folder.isEmpty() ? QString() : folder + u'/') + item.filename] =
                        item.notes;
                }
            } catch (const Error&) {
                return;  // replaced from outside at once: the hook must not fail the store's write
            }
            std::lock_guard lock(mutex_);
            writes_[folder].push_back(std::move(write));
        });
    }
    ~StoreWrites() { AtomicFile::setFaultHook({}); }
    // The first write of the lost edit's folder after it that does not hold it.
    std::optional<Write> overwriting(const Edit& lost) {
        std::lock_guard lock(mutex_);
        for (const Write& write : writes_[folderOf(lost.file)]) {
            if (write.at > lost.at && write.notes.value(lost.file) != lost.value) {
                return write;
            }
        }
        return std::nullopt;
    }

private:
    std::mutex mutex_;
    std::map<QString, std::vector<Write>> writes_;
};

struct Row {
    QString notes;
    QString rating;
};

std::map<QString, Row> rowsOnDisk(const QString& root, const QStringList& keys) {
    std::map<QString, Row> rows;
    for (const QString& key : keys) {
        QFile file(catalogPath(root, key));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        for (const MediaItem& item :
             Library::fromCatalogCSV(QString::fromUtf8(file.readAll())).items) {
            rows[(key.isEmpty() ? QString() : key + u'/') + item.filename] = {
                item.notes, QString::number(item.rating)};
        }
    }
    return rows;
}

QString fieldOf(const Row& row, const Edit& edit) {
    return edit.notes ? row.notes : row.rating;
}

// An edit replaced by a later one made by whoever had seen it.
bool replacedBySomeoneWhoSawIt(const Edit& edit, const std::vector<Edit>& all) {
    return std::any_of(all.begin(), all.end(), [&](const Edit& later) {
        return later.accepted && &later != &edit && later.file == edit.file &&
               later.notes == edit.notes && later.seen == edit.value &&
               (edit.notes || later.at > edit.at);  // notes are never written twice
    });
}

// Why an outside edit that stayed may have met an app edit of its folder before the store showed
// it: "merged" when the store saved that folder meanwhile, "refused" when it refused an edit.
QString outsideOutcome(const Edit& edit, const std::vector<Edit>& app) {
    const double shown = edit.shownAt < 0 ? now() : edit.shownAt;
    QString outcome = QStringLiteral("kept");
    for (const Edit& other : app) {
        if (folderOf(other.file) == folderOf(edit.file) && other.at > edit.at && other.at < shown) {
            if (other.accepted) {
                return QStringLiteral("merged");
            }
            if (!other.message.isEmpty()) {
                outcome = QStringLiteral("refused with a message");
            }
        }
    }
    return outcome;
}

void printHistory(const Edit& lost, const std::vector<Edit>& all, const Row& final,
                  StoreWrites& writes) {
    std::printf("  LOST %s %s of %s = %s (seen %s) at %.3f; final %s\n",
                lost.outside ? (lost.inPlace ? "outside in-place" : "outside rename") : "app",
                lost.notes ? "notes" : "rating", qPrintable(lost.file), qPrintable(lost.value),
                qPrintable(lost.seen), lost.at, qPrintable(fieldOf(final, lost)));
    for (const Edit& edit : all) {
        if (folderOf(edit.file) == folderOf(lost.file) && std::abs(edit.at - lost.at) < 3) {
            std::printf("    %.3f-%.3f %s %s %s=%s seen=%s shown=%.3f %s %s\n", edit.began, edit.at,
                        edit.outside ? "outside" : "app", qPrintable(edit.file),
                        edit.notes ? "notes" : "rating", qPrintable(edit.value),
                        qPrintable(edit.seen), edit.shownAt, edit.accepted ? "accepted" : "refused",
                        qPrintable(edit.message.simplified().left(60)));
        }
    }
    if (const std::optional<StoreWrites::Write> write = writes.overwriting(lost)) {
        const auto during = std::find_if(all.begin(), all.end(), [&](const Edit& edit) {
            return !edit.outside && edit.began <= write->at && write->at <= edit.at;
        });
        std::printf("    overwritten by the store at %.3f with %s, %s\n", write->at,
                    qPrintable(write->notes.value(lost.file)),
                    during == all.end() ? "outside any app edit (a rescan or an open)"
                                        : qPrintable(QStringLiteral("saving the app edit of %1 "
                                                                    "begun at %2")
                                                         .arg(during->file)
                                                         .arg(during->began, 0, 'f', 3)));
    }
}

// The store, its library, the outside writer and the record of every edit of one run.
class StressRun {
public:
    explicit StressRun(std::uint32_t seed) : random_(seed) {}

    bool open(int folders) {
        keys_ = makeTree(root_, folders, random_);
        hot_ = keys_.mid(0, 16);
        store_ = home_.make();
        store_->openLibrary(root_, true, false);
        const bool opened = runUntil(
            [&] {
                return !store_->scanning() &&
                       std::all_of(keys_.begin(), keys_.end(), [&](const QString& key) {
                           return QFile::exists(catalogPath(root_, key));
                       });
            },
            120);
        if (!opened || store_->locked()) {
            std::printf("the library did not open: %s\n",
                        qPrintable(store_->error().value_or(QString()).simplified()));
        }
        return opened && !store_->locked();
    }

    // App edits and rescans beside the outside writer; a locked store is counted and reopened.
    void drive(double seconds) {
        OutsideWriter writer(root_, hot_, keys_, random_());
        const double end = now() + seconds;
        writer.start();
        while (now() < end) {
            runFor(0.02 + double(random_() % 130) / 1000);
            markShown(writer);
            if (store_->locked()) {
                ++locks_;
                std::printf("locked at %.3f: %s\n", now(),
                            qPrintable(store_->error().value_or(QString()).simplified()));
                store_->openLibrary(root_, true, false);
                runUntil([&] { return !store_->scanning(); }, 60);
                continue;
            }
            const int choice = int(random_() % 20);
            if (choice == 0) {
                store_->rescan(false);
                continue;
            }
            const QStringList& pool = random_() % 10 < 7 ? hot_ : keys_;
            const QString key = pool[qsizetype(random_() % pool.size())];
            const QString file = (key.isEmpty() ? QString() : key + u'/') +
                                 QStringLiteral("p%1.png").arg(random_() % 2);
            if (std::optional<Edit> edit =
                    appEdit(*store_, file, choice % 2 == 0, int(app_.size()), random_)) {
                app_.push_back(*edit);
            }
        }
        writer.stop();
        // The watcher's last rescans, then one more, so that the store shows what the disk holds.
        runFor(3);
        store_->rescan(false);
        runUntil([&] { return !store_->scanning(); }, 60);
        runFor(2);
        runUntil([&] { return !store_->scanning(); }, 60);
        markShown(writer);
        outside_ = writer.edits();
    }

    // Prints the counts and every loss; whether nothing was lost.
    bool report(double seconds) {
        const std::map<QString, Row> rows = rowsOnDisk(root_, keys_);
        std::vector<Edit> all = outside_;
        all.insert(all.end(), app_.begin(), app_.end());
        std::map<QString, int> counts;
        std::vector<const Edit*> lost;
        for (const Edit& edit : all) {
            const QString outcome = outcomeOf(edit, rows, all);
            if (outcome == u"lost") {
                lost.push_back(&edit);
            }
            ++counts[(!edit.outside  ? QStringLiteral("app ")
                      : edit.inPlace ? QStringLiteral("outside in place ")
                                     : QStringLiteral("outside by rename ")) +
                     outcome];
        }
        // A refusal should name the folder of the edit it refuses, never another.
        int refused = 0;
        int elsewhere = 0;
        for (const Edit& edit : app_) {
            if (!edit.accepted && !edit.message.isEmpty()) {
                ++refused;
                const QString key = folderOf(edit.file);
                const QString folder = key.isEmpty() ? root_ : root_ + u'/' + key;
                elsewhere += edit.message.contains(u'‘') &&
                             !edit.message.contains(QStringLiteral("‘%1’").arg(folder));
            }
        }
        int differing = 0;
        for (const auto& [file, row] : rows) {
            const MediaItem* item = itemOf(*store_, file);
            differing +=
                !item || item->notes != row.notes || QString::number(item->rating) != row.rating;
        }
        std::printf(
            "%.0f s, %lld folders: %zu outside edits, %zu app edits, %d locks, %d rows "
            "where the store differs from the disk at the end\n",
            seconds, static_cast<long long>(keys_.size()), outside_.size(), app_.size(), locks_,
            differing);
        for (const auto& [name, count] : counts) {
            std::printf("  %-40s %d\n", qPrintable(name), count);
        }
        std::printf(
            "  app edits refused: %d of %zu (%.1f %%), %d naming a folder the edit did not "
            "touch\n",
            refused, app_.size(), app_.empty() ? 0.0 : 100.0 * refused / double(app_.size()),
            elsewhere);
        for (const Edit* edit : lost) {
            printHistory(*edit, all, rows.count(edit->file) ? rows.at(edit->file) : Row{}, writes_);
        }
        return lost.empty() && locks_ == 0 && differing == 0;
    }

private:
    void markShown(OutsideWriter& writer) {
        writer.markShown([&](const Edit& edit) {
            const MediaItem* item = itemOf(*store_, edit.file);
            return item && item->notes == edit.value;
        });
    }

    QString outcomeOf(const Edit& edit, const std::map<QString, Row>& rows,
                      const std::vector<Edit>& all) const {
        if (!edit.accepted) {
            return edit.message.isEmpty() ? QStringLiteral("refused silently")
                                          : QStringLiteral("refused with a message");
        }
        const auto row = rows.find(edit.file);
        if (row != rows.end() && fieldOf(row->second, edit) == edit.value) {
            return edit.outside ? outsideOutcome(edit, app_) : QStringLiteral("kept");
        }
        return replacedBySomeoneWhoSawIt(edit, all) ? QStringLiteral("replaced later")
                                                    : QStringLiteral("lost");
    }

    std::mt19937 random_;
    StoreHome home_;
    QString root_ = home_.folder.path() + QStringLiteral("/library");
    StoreWrites writes_{root_};
    QStringList keys_;
    QStringList hot_;  // where most edits of either side go, so that they meet
    std::unique_ptr<LumivexStore> store_;
    std::vector<Edit> app_;
    std::vector<Edit> outside_;
    int locks_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const double seconds = arguments.size() > 1 ? arguments[1].toDouble() : 60;
    const int folders = arguments.size() > 2 ? arguments[2].toInt() : 300;
    StressRun run(arguments.size() > 3 ? arguments[3].toUInt() : 1);
    if (!run.open(folders)) {
        return 2;
    }
    run.drive(seconds);
    return run.report(seconds) ? 0 : 1;
}
