#pragma once

#include <QObject>
#include <QString>

namespace lumivex {

// A published snapshot of the active window's editing state, from which the Edit and media menus
// draw their titles and enabled states. It refreshes on the events after which the state can
// differ (focus, activation, windows shown or hidden, keys, clicks) and, before a shortcut is
// matched, on the key's shortcut check, so an action's enabled state is current when its key is
// tried. It signals only when the snapshot changes. Main thread.
class NativeEditingState final : public QObject {
    Q_OBJECT

public:
    struct Snapshot {
        bool editingText = false;
        bool canUndo = false;
        bool canRedo = false;
        bool canSelectAll = false;
        QString undoTitle = QStringLiteral("실행 취소");
        QString redoTitle = QStringLiteral("다시 실행");
        bool permitsMetadata = false;

        bool operator==(const Snapshot&) const = default;
    };

    explicit NativeEditingState(QObject* parent = nullptr);
    ~NativeEditingState() override;

    const Snapshot& snapshot() const { return snapshot_; }
    void refresh();

Q_SIGNALS:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Snapshot snapshot_;
    bool refreshing_ = false;
};

}  // namespace lumivex
