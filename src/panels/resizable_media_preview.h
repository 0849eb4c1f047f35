#pragma once

#include "panels/preview_keyboard_monitor.h"

#include <QSizeF>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;

namespace lumivex {

class LumivexSettings;
class UserDefaults;

// The edges and corners by which the preview card is resized, in the order of their handles.
enum class PreviewResizeEdge {
    top,
    bottom,
    left,
    right,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight
};

// The floating card that holds the preview, centred over its parent (the window's overlay): its
// size is the remembered one fitted to the parent, and any of eight invisible handles along its
// edges resizes it symmetrically, storing the new size only when the drag ends. Behind it the
// preview's keyboard monitor rates and moves. The content is replaced for each previewed item.
// Main thread.
class ResizableMediaPreview final : public QWidget {
public:
    // `defaults` must outlive the card.
    ResizableMediaPreview(UserDefaults& defaults, PreviewKeyboardMonitor::MoveAction onMove,
                          PreviewKeyboardMonitor::RateAction onRate, QWidget* parent = nullptr);

    // The previewed item's pane; the card owns it and deletes the one before.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    // The size shown: the live drag size or the stored one, fitted to the parent.
    QSizeF cardSize() const;
    QSize sizeHint() const override;

    // A handle's drag moved by `translation` (in the parent's coordinates) since it began; its end.
    void dragChanged(PreviewResizeEdge edge, QPointF translation);
    void dragEnded(PreviewResizeEdge edge, QPointF translation);
    QWidget* handle(PreviewResizeEdge edge) const;
    PreviewKeyboardMonitor& keyboard() const { return *keyboard_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QSizeF available() const;
    QSizeF requestedSize(PreviewResizeEdge edge, QPointF translation);
    void relayout();

    LumivexSettings* settings_;
    PreviewKeyboardMonitor* keyboard_;
    QWidget* content_ = nullptr;
    std::array<QWidget*, 8> handles_{};
    QLabel* corner_ = nullptr;
    std::optional<QSizeF> dragStart_;
    std::optional<QSizeF> dragSize_;
};

}  // namespace lumivex
