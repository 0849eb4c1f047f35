#include "app/lumivex_media_commands.h"

#include "app/native_editing_context.h"
#include "app/native_editing_state.h"
#include "store/lumivex_store.h"

#include <QAction>
#include <QMenu>

namespace lumivex {

namespace {

const std::array<Qt::Key, 6> digitKeys{Qt::Key_0, Qt::Key_1, Qt::Key_2,
                                       Qt::Key_3, Qt::Key_4, Qt::Key_5};

}  // namespace

LumivexMediaCommands::LumivexMediaCommands(LumivexStore& store,
                                           LumivexEditCommands::FocusedMetadata metadata,
                                           std::function<void()> preview, QMenu& menu,
                                           QObject* parent)
    : QObject(parent),
      store_(store),
      metadata_(std::move(metadata)),
      requestPreview_(std::move(preview)),
      native_(new NativeEditingState(this)) {
    addItems(menu);
    connect(native_, &NativeEditingState::changed, this, &LumivexMediaCommands::sync);
    connect(&menu, &QMenu::aboutToShow, this, [this] {
        native_->refresh();
        sync();
    });
    for (auto signal : {&LumivexStore::sourceChanged, &LumivexStore::lockedChanged,
                        &LumivexStore::deletingChanged, &LumivexStore::deletionRequestChanged,
                        &LumivexStore::selectionChanged, &LumivexStore::libraryChanged,
                        &LumivexStore::queryChanged, &LumivexStore::errorChanged,
                        &LumivexStore::showPhotosSetupChanged, &LumivexStore::derivedViewsReady}) {
        connect(&store_, signal, this, &LumivexMediaCommands::sync);
    }
    sync();
}

LumivexMediaCommands::~LumivexMediaCommands() = default;

void LumivexMediaCommands::addItems(QMenu& menu) {
    preview_ = menu.addAction(QStringLiteral("재생 / 미리보기"), this, [this] {
        performInLumivex([this] {
            if (!store_.selectedItems().isEmpty()) {
                requestPreview_();
            }
        });
    });
    preview_->setShortcut(QKeySequence(Qt::Key_Space));
    selectAll_ = menu.addAction(QString(), this, &LumivexMediaCommands::selectAll);
    selectAll_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    delete_ = menu.addAction(QStringLiteral("선택한 항목 삭제…"), this, [this] {
        performInLumivex([this] {
            if (!store_.selectedItems().isEmpty()) {
                store_.requestDeletion(std::nullopt);
            }
        });
    });
    menu.addSeparator();
    for (int rating = 0; rating <= 5; ++rating) {
        const QString title =
            rating == 0 ? QStringLiteral("별점 지우기") : QStringLiteral("%1점").arg(rating);
        QAction* action = menu.addAction(title, this, [this, rating] {
            performInLumivex([this, rating] {
                if (!store_.selection().isEmpty() && store_.library().ratingProperty()) {
                    store_.setRating(rating);
                }
            });
        });
        action->setShortcut(QKeySequence(Qt::CTRL | digitKeys[static_cast<std::size_t>(rating)]));
        ratings_.append(action);
    }
}

bool LumivexMediaCommands::storeAccepts() const {
    return store_.source() != LibrarySource::none && !store_.locked() && !store_.deleting() &&
           !store_.deletionRequest();
}

bool LumivexMediaCommands::lumivexEnabled() const {
    const NativeEditingState::Snapshot& snapshot = native_->snapshot();
    return metadata_().has_value() && snapshot.permitsMetadata && !snapshot.editingText &&
           storeAccepts();
}

void LumivexMediaCommands::performInLumivex(const std::function<void()>& action) {
    const NativeEditingContext context = NativeEditingContext::current();
    if (metadata_() && context.permitsMetadata && !context.editingText && storeAccepts()) {
        action();
    }
}

void LumivexMediaCommands::selectAll() {
    const NativeEditingContext context = NativeEditingContext::current();
    if (!context.editingText) {
        performInLumivex([this] { store_.selectAllVisible(); });
        return;
    }
    context.selectAll();
    native_->refresh();
}

void LumivexMediaCommands::sync() {
    const NativeEditingState::Snapshot& snapshot = native_->snapshot();
    const bool enabled = lumivexEnabled();
    const bool selected = enabled && !store_.selection().isEmpty();
    preview_->setEnabled(selected);
    delete_->setEnabled(selected);
    const bool rateable = selected && store_.library().ratingProperty().has_value();
    for (QAction* rating : ratings_) {
        rating->setEnabled(rateable);
    }
    if (snapshot.editingText) {
        selectAll_->setText(QStringLiteral("텍스트 전체 선택"));
        selectAll_->setEnabled(snapshot.canSelectAll);
    } else {
        selectAll_->setText(QStringLiteral("현재 목록 전체 선택"));
        // Views still built off the main thread are not waited for: they signal when ready.
        selectAll_->setEnabled(enabled && !store_.derivedViewsPending() &&
                               !store_.visibleOrder().isEmpty());
    }
}

}  // namespace lumivex
