#pragma once

#include "model/video_duration_range.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lumivex {

// The sheet that filters the browser by a length of the user's own: a minimum and a maximum,
// each as minutes and seconds. It checks the four fields as they change, names the first problem
// (only once something is typed), enables "적용" only for a valid range, and hands that range to
// `apply`; Return in a field applies too. Main thread.
class VideoDurationSheet final : public QWidget {
public:
    enum class Field { minimumMinutes, minimumSeconds, maximumMinutes, maximumSeconds };

    // `close` ends the sheet; it runs after a successful apply and for "취소".
    VideoDurationSheet(const std::optional<VideoDurationRange>& current,
                       std::function<void(const VideoDurationRange&)> apply,
                       std::function<void()> close, QWidget* parent = nullptr);

    // The fields' texts for a range in force: whole minutes and the rest, rounded to seconds.
    static std::array<QString, 4> prefill(const std::optional<VideoDurationRange>& current);

    QLineEdit* field(Field which) const { return fields_[static_cast<std::size_t>(which)]; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* cancelButton() const { return cancel_; }
    // The message line's text; empty while it is hidden.
    QString message() const;

    void applyInput();

private:
    QWidget* group(const QString& label, Field minutes, Field seconds, const QString& suffix);
    void validate();

    std::function<void(const VideoDurationRange&)> applyRange_;
    std::function<void()> close_;
    std::array<QLineEdit*, 4> fields_{};
    QLabel* message_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace lumivex
