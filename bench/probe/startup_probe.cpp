// The application's start in a process of its own, on the offscreen platform.
//
// "startup_probe paint HOME": starts the application as main() does, with HOME's configuration
// (a remembered library or none), its scans held so that every start finds the catalogs as
// written, and automatic update checks on; exits at once after the main window's first paint,
// printing where the update check came ("after" the paint, "before" it, or "none") and the
// milliseconds spent putting the application together.
//
// "startup_probe load ROOT": loads the folder tree at ROOT once, as the store's open does, and
// prints the milliseconds the load took.

#include "application_run.h"
#include "browser/browser_palette.h"
#include "catalog/folder_catalog.h"
#include "catalog/library_state.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace lumivex;

// What the start did before it ended.
struct StartRecord {
    double constructionMs = 0;
    bool painted = false;
    bool checked = false;
    bool checkedBeforePaint = false;
};

// Ends the process after the window's first paint has been handled; nothing is torn down.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(StartRecord& record) : record_(record) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !record_.painted) {
            record_.painted = true;
            // Posted behind whatever the paint itself posted, the launch step among it.
            QTimer::singleShot(0, [this] {
                const char* check = record_.checkedBeforePaint ? "before"
                                    : record_.checked          ? "after"
                                                               : "none";
                std::printf("%s %.3f\n", check, record_.constructionMs);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    StartRecord& record_;
};

int paint(const QString& home) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(BrowserPalette::applicationPalette());
    StartRecord record;
    FirstPaint first(record);
    test::ApplicationRun::Options options;
    options.home = home;
    options.holdScans = true;
    options.packaged = true;
    options.onFetch = [&record] {
        record.checked = true;
        record.checkedBeforePaint = record.checkedBeforePaint || !record.painted;
    };
    QElapsedTimer construction;
    construction.start();
    test::ApplicationRun run(options);
    record.constructionMs = static_cast<double>(construction.nsecsElapsed()) / 1e6;
    // Every start is one whose automatic check is due.
    run.defaults.remove(QStringLiteral("Lumivex.updates.lastAttempt"));
    run.app->mainWindow().installEventFilter(&first);
    run.launch();
    return QApplication::exec();
}

int load(const QString& root) {
    QElapsedTimer timer;
    timer.start();
    const LibraryState state = FolderCatalog::load(root, std::nullopt);
    std::printf("%.3f %lld\n", static_cast<double>(timer.nsecsElapsed()) / 1e6,
                static_cast<long long>(state.library.items.size()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s paint HOME | load ROOT\n", argv[0]);
        return 2;
    }
    const QByteArray mode = argv[1];
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (mode == "load") {
        return load(path);
    }
    QApplication app(argc, argv);
    return paint(path);
}
