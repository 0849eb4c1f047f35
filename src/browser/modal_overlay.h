#pragma once

#include <QWidget>

#include <functional>

namespace lumivex {

// A surface laid over the whole window: a translucent black backdrop that closes it on a click,
// and a slot in the middle for the view it presents (the slot takes its content's size). Main
// thread.
class ModalOverlay : public QWidget {
    Q_OBJECT

public:
    ModalOverlay(double backdropOpacity, std::function<void()> dismiss, QWidget* parent);

    // The centred content; the overlay owns it. Nothing leaves the slot empty.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeContent();

    double backdropOpacity_;
    std::function<void()> dismiss_;
    QWidget* content_ = nullptr;
};

}  // namespace lumivex
