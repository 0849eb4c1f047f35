#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace lumivex {

// The video skip interval as a number that turns into a text field when clicked, with a stepper
// beside it; it stores only 1 to 3600 seconds. Typed text is committed by Return, by losing the
// focus and by the control going away, and dropped only by Escape. Main thread.
class VideoSkipSecondsControl final : public QWidget {
public:
    struct Binding {
        std::function<std::int64_t()> read;
        std::function<void(std::int64_t)> write;
    };

    explicit VideoSkipSecondsControl(Binding seconds, QWidget* parent = nullptr);

    // The value a commit stores: the typed whole number clamped to 1 to 3600, or `seconds` when
    // the text is empty or not a plain decimal integer (one optional sign, ASCII digits).
    static std::int64_t enteredSeconds(bool editing, const QString& draft, std::int64_t seconds);

    bool isEditing() const { return editing_; }
    QLineEdit* field() const { return field_; }
    QPushButton* valueButton() const { return value_; }
    QToolButton* stepUp() const { return up_; }
    QToolButton* stepDown() const { return down_; }

    void beginEditing();
    void finishEditing();
    void cancelEditing();
    // The binding changed elsewhere.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void step(int delta);
    void showEditing(bool editing);

    Binding seconds_;
    bool editing_ = false;
    QPushButton* value_;
    QLineEdit* field_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace lumivex
