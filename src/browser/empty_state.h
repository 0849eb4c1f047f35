#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QPushButton;
class QVBoxLayout;

namespace lumivex {

class LumivexStore;

// One message in place of the grid: a large symbol, a title, an explanation and the buttons that
// lead out of the state (or a progress indicator). Main thread.
class EmptyState : public QWidget {
    Q_OBJECT

public:
    enum class ButtonStyle { plain, bordered, prominent };

    EmptyState(const QString& icon, const QString& title, const QString& detail,
               QWidget* parent = nullptr);

    QPushButton* addButton(const QString& title, const QString& symbol, ButtonStyle style,
                           std::function<void()> action);
    void addProgress();

    const QString& icon() const { return icon_; }
    const QString& title() const { return title_; }
    const QString& detail() const { return detail_; }

private:
    QString icon_;
    QString title_;
    QString detail_;
    QVBoxLayout* actions_ = nullptr;
};

// Which of the browser's contents shows, in the order the conditions are tried.
enum class BrowserContent {
    error,
    loading,
    photosAccess,
    noLibrary,
    photosEmpty,
    emptyFolder,
    noMatch,
    grid
};

// The content for the store's state.
BrowserContent browserContent(LumivexStore& store);
// The content while the store builds the views of a library just opened: until they tell
// whether it holds items, it is loading.
BrowserContent loadingContent(const LumivexStore& store);

// The empty state of `content` (never the grid), with its buttons wired to the store.
EmptyState* makeEmptyState(BrowserContent content, LumivexStore& store, QWidget* parent);

}  // namespace lumivex
