#include "browser/modal_overlay.h"

#include "browser/browser_palette.h"

#include <QMouseEvent>
#include <QPainter>

namespace lumivex {

ModalOverlay::ModalOverlay(double backdropOpacity, std::function<void()> dismiss, QWidget* parent)
    : QWidget(parent), backdropOpacity_(backdropOpacity), dismiss_(std::move(dismiss)) {
    hide();
}

void ModalOverlay::setContent(QWidget* content) {
    delete content_;
    content_ = content;
    if (content_) {
        content_->setParent(this);
        placeContent();
    }
}

void ModalOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrowserPalette::black(backdropOpacity_));
}

void ModalOverlay::mousePressEvent(QMouseEvent* event) {
    if (!content_ || !content_->geometry().contains(event->position().toPoint())) {
        dismiss_();
    }
    event->accept();
}

void ModalOverlay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeContent();
}

void ModalOverlay::placeContent() {
    if (content_) {
        QRect frame(QPoint(0, 0), content_->sizeHint().boundedTo(size()));
        frame.moveCenter(rect().center());
        content_->setGeometry(frame);
    }
}

}  // namespace lumivex
