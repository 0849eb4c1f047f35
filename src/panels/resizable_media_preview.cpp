#include "panels/resizable_media_preview.h"

#include "media_views/view_style.h"
#include "panels/preview_sizing.h"
#include "panels/utility_palette.h"
#include "platform/lumivex_settings.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace lumivex {

namespace {

constexpr int edgeThickness = 8;
constexpr int cornerSide = 18;

struct EdgeFactors {
    double x;
    double y;
    Qt::CursorShape cursor;
};

EdgeFactors factors(PreviewResizeEdge edge) {
    switch (edge) {
        case PreviewResizeEdge::top:
            return {0, -1, Qt::SizeVerCursor};
        case PreviewResizeEdge::bottom:
            return {0, 1, Qt::SizeVerCursor};
        case PreviewResizeEdge::left:
            return {-1, 0, Qt::SizeHorCursor};
        case PreviewResizeEdge::right:
            return {1, 0, Qt::SizeHorCursor};
        case PreviewResizeEdge::topLeft:
            return {-1, -1, Qt::SizeFDiagCursor};
        case PreviewResizeEdge::topRight:
            return {1, -1, Qt::SizeBDiagCursor};
        case PreviewResizeEdge::bottomLeft:
            return {-1, 1, Qt::SizeBDiagCursor};
        case PreviewResizeEdge::bottomRight:
            return {1, 1, Qt::SizeFDiagCursor};
    }
    return {0, 0, Qt::ArrowCursor};
}

// An invisible strip or corner that resizes the card; the translation is measured in the
// parent's coordinates, which stay put while the card grows around its centre.
class ResizeHandle final : public QWidget {
public:
    ResizeHandle(ResizableMediaPreview* card, PreviewResizeEdge edge)
        : QWidget(card), card_(card), edge_(edge) {
        setCursor(factors(edge).cursor);
        setToolTip(QStringLiteral("드래그하여 미리보기 크기 조절 · 크기는 자동으로 기억합니다"));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        start_ = event->globalPosition();
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (start_) {
            card_->dragChanged(edge_, event->globalPosition() - *start_);
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (start_) {
            const QPointF translation = event->globalPosition() - *start_;
            start_.reset();
            card_->dragEnded(edge_, translation);
        }
    }

private:
    ResizableMediaPreview* card_;
    PreviewResizeEdge edge_;
    std::optional<QPointF> start_;
};

}  // namespace

ResizableMediaPreview::ResizableMediaPreview(UserDefaults& defaults,
                                             PreviewKeyboardMonitor::MoveAction onMove,
                                             PreviewKeyboardMonitor::RateAction onRate,
                                             QWidget* parent)
    : QWidget(parent),
      settings_(new LumivexSettings(defaults, this)),
      keyboard_(new PreviewKeyboardMonitor(this, std::move(onMove), std::move(onRate))) {
    setFocusPolicy(Qt::ClickFocus);
    for (std::size_t i = 0; i < handles_.size(); ++i) {
        handles_[i] = new ResizeHandle(this, static_cast<PreviewResizeEdge>(i));
    }
    corner_ = new QLabel(QStringLiteral("\u2921"), this);
    corner_->setFont(ViewStyle::systemFont(10));
    ViewStyle::setTextColour(corner_, UtilityPalette::secondaryText());
    corner_->setAttribute(Qt::WA_TransparentForMouseEvents);
    corner_->adjustSize();
    connect(settings_, &LumivexSettings::previewWidthChanged, this,
            &ResizableMediaPreview::relayout);
    connect(settings_, &LumivexSettings::previewHeightChanged, this,
            &ResizableMediaPreview::relayout);
    if (parent != nullptr) {
        parent->installEventFilter(this);
    }
}

void ResizableMediaPreview::setContent(QWidget* content) {
    delete content_;
    content_ = content;
    if (content_ != nullptr) {
        content_->setParent(this);
        content_->lower();
    }
    // Sized before it is shown: a pane asks for its picture at the size it first shows at, so the
    // next item's photo is asked for once, at the card's size.
    relayout();
    if (content_ != nullptr) {
        content_->show();
    }
}

QSizeF ResizableMediaPreview::available() const {
    return parentWidget() != nullptr ? QSizeF(parentWidget()->size()) : QSizeF(size());
}

QSizeF ResizableMediaPreview::cardSize() const {
    return PreviewSizing::fit(
        dragSize_.value_or(QSizeF(settings_->previewWidth(), settings_->previewHeight())),
        available());
}

QSize ResizableMediaPreview::sizeHint() const {
    return cardSize().toSize();
}

// The translation counts twice: the card stays centred, so the opposite edge moves as far.
QSizeF ResizableMediaPreview::requestedSize(PreviewResizeEdge edge, QPointF translation) {
    const QSizeF start = dragStart_.value_or(cardSize());
    const EdgeFactors f = factors(edge);
    return PreviewSizing::fit({std::max(start.width() + 2 * translation.x() * f.x, 1.0),
                               std::max(start.height() + 2 * translation.y() * f.y, 1.0)},
                              available());
}

void ResizableMediaPreview::dragChanged(PreviewResizeEdge edge, QPointF translation) {
    if (!dragStart_) {
        dragStart_ = cardSize();
    }
    dragSize_ = requestedSize(edge, translation);
    relayout();
}

void ResizableMediaPreview::dragEnded(PreviewResizeEdge edge, QPointF translation) {
    const QSizeF final = requestedSize(edge, translation);
    dragStart_.reset();
    dragSize_.reset();
    settings_->setPreviewSize(final.width(), final.height());
    relayout();
}

QWidget* ResizableMediaPreview::handle(PreviewResizeEdge edge) const {
    return handles_[static_cast<std::size_t>(edge)];
}

void ResizableMediaPreview::relayout() {
    const QSize card = cardSize().toSize();
    QRect frame(QPoint(0, 0), card);
    if (parentWidget() != nullptr) {
        frame.moveCenter(parentWidget()->rect().center());
    }
    setGeometry(frame);
    if (content_ != nullptr) {
        content_->setGeometry(rect());
    }
    const int w = card.width();
    const int h = card.height();
    const int across = std::max(w - 2 * cornerSide, 1);
    const int down = std::max(h - 2 * cornerSide, 1);
    auto place = [this](PreviewResizeEdge edge, QRect area) {
        handle(edge)->setGeometry(area);
        handle(edge)->raise();
    };
    place(PreviewResizeEdge::top, {(w - across) / 2, 0, across, edgeThickness});
    place(PreviewResizeEdge::bottom, {(w - across) / 2, h - edgeThickness, across, edgeThickness});
    place(PreviewResizeEdge::left, {0, (h - down) / 2, edgeThickness, down});
    place(PreviewResizeEdge::right, {w - edgeThickness, (h - down) / 2, edgeThickness, down});
    place(PreviewResizeEdge::topLeft, {0, 0, cornerSide, cornerSide});
    place(PreviewResizeEdge::topRight, {w - cornerSide, 0, cornerSide, cornerSide});
    place(PreviewResizeEdge::bottomLeft, {0, h - cornerSide, cornerSide, cornerSide});
    place(PreviewResizeEdge::bottomRight, {w - cornerSide, h - cornerSide, cornerSide, cornerSide});
    corner_->move(w - corner_->width() - 4, h - corner_->height() - 4);
    corner_->raise();
}

bool ResizableMediaPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        relayout();
    }
    return QWidget::eventFilter(watched, event);
}

void ResizableMediaPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(UtilityPalette::canvas());
    painter.drawRoundedRect(QRectF(rect()), 12, 12);
}

// A click on the card is the card's: it never reaches the backdrop behind it.
void ResizableMediaPreview::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void ResizableMediaPreview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    relayout();
    keyboard_->start();
}

void ResizableMediaPreview::hideEvent(QHideEvent* event) {
    keyboard_->stop();
    QWidget::hideEvent(event);
}

}  // namespace lumivex
