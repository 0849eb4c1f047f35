#include "panels/video_duration_sheet.h"

#include "media_views/view_style.h"
#include "model/video_duration_input_error.h"
#include "platform/error.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace lumivex {

namespace {

QLabel* secondary(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(ViewStyle::systemFont(11));
    ViewStyle::makeSecondary(label);
    return label;
}

// Minutes and seconds of a bound rounded to whole seconds, halves away from zero.
std::pair<QString, QString> minutesAndSeconds(double bound) {
    const double total = std::round(bound);
    const double minutes = std::floor(total / 60);
    const double seconds = total - minutes * 60;
    return {QString::number(minutes, 'f', 0), QString::number(seconds, 'f', 0)};
}

}  // namespace

VideoDurationSheet::VideoDurationSheet(const std::optional<VideoDurationRange>& current,
                                       std::function<void(const VideoDurationRange&)> apply,
                                       std::function<void()> close, QWidget* parent)
    : QWidget(parent), applyRange_(std::move(apply)), close_(std::move(close)) {
    setFixedWidth(390);
    setWindowTitle(QStringLiteral("영상 길이 직접 지정"));
    setPalette(ViewStyle::darkPalette(palette()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(18);
    auto* title = new QLabel(windowTitle(), this);
    title->setFont(ViewStyle::systemFont(20, QFont::DemiBold));
    column->addWidget(title);
    auto* groups = new QVBoxLayout;
    groups->setSpacing(14);
    groups->addWidget(group(QStringLiteral("최소 시간"), Field::minimumMinutes,
                            Field::minimumSeconds, QStringLiteral("초부터")));
    groups->addWidget(group(QStringLiteral("최대 시간"), Field::maximumMinutes,
                            Field::maximumSeconds, QStringLiteral("초까지")));
    column->addLayout(groups);
    QLabel* explanation = secondary(QStringLiteral("분과 초를 나누어 입력하세요. 초는 0~59입니다.\n"
                                                   "한쪽의 분·초를 모두 비우면 그쪽은 제한이 "
                                                   "없습니다.\n직접 지정한 최소·최대 시간은 모두 "
                                                   "포함합니다."),
                                    this);
    explanation->setWordWrap(true);
    column->addWidget(explanation);
    message_ = new QLabel(this);
    message_->setFont(ViewStyle::systemFont(11));
    message_->setWordWrap(true);
    ViewStyle::setTextColour(message_, QColor::fromRgb(255, 69, 58));
    column->addWidget(message_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancel_ = new QPushButton(QStringLiteral("취소"), this);
    // Focused, it is the button Return presses; the default goes back to "적용" when it leaves.
    cancel_->setAutoDefault(true);
    connect(cancel_, &QPushButton::clicked, this, [this] { close_(); });
    buttons->addWidget(cancel_);
    apply_ = new QPushButton(QStringLiteral("적용"), this);
    apply_->setDefault(true);
    ViewStyle::makeProminent(apply_);
    connect(apply_, &QPushButton::clicked, this, &VideoDurationSheet::applyInput);
    buttons->addWidget(apply_);
    column->addLayout(buttons);

    const std::array<QString, 4> texts = prefill(current);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->setText(texts[i]);
        connect(fields_[i], &QLineEdit::textChanged, this, &VideoDurationSheet::validate);
        connect(fields_[i], &QLineEdit::returnPressed, this, &VideoDurationSheet::applyInput);
    }
    fields_[0]->setFocus(Qt::OtherFocusReason);
    validate();
}

std::array<QString, 4> VideoDurationSheet::prefill(
    const std::optional<VideoDurationRange>& current) {
    std::array<QString, 4> texts;
    if (!current) {
        return texts;
    }
    std::tie(texts[0], texts[1]) = minutesAndSeconds(current->minimum);
    if (current->maximum) {
        std::tie(texts[2], texts[3]) = minutesAndSeconds(*current->maximum);
    }
    return texts;
}

QWidget* VideoDurationSheet::group(const QString& label, Field minutes, Field seconds,
                                   const QString& suffix) {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(7);
    column->addWidget(secondary(label, box));
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    auto makeField = [&](Field which, const QString& name) {
        auto* field = new QLineEdit(box);
        field->setPlaceholderText(QStringLiteral("0"));
        field->setAccessibleName(label + QStringLiteral("의 ") + name);
        field->setFixedWidth(72);
        fields_[static_cast<std::size_t>(which)] = field;
        row->addWidget(field);
    };
    makeField(minutes, QStringLiteral("분"));
    row->addWidget(new QLabel(QStringLiteral("분"), box));
    makeField(seconds, QStringLiteral("초"));
    row->addWidget(new QLabel(suffix, box));
    row->addStretch(1);
    column->addLayout(row);
    return box;
}

void VideoDurationSheet::validate() {
    bool anyText = false;
    for (const QLineEdit* field : fields_) {
        anyText = anyText || !field->text().isEmpty();
    }
    try {
        VideoDurationRange::custom(fields_[0]->text(), fields_[1]->text(), fields_[2]->text(),
                                   fields_[3]->text());
        message_->clear();
        message_->hide();
        apply_->setEnabled(true);
    } catch (const Error& error) {
        message_->setText(anyText ? error.description() : QString());
        message_->setVisible(anyText);
        apply_->setEnabled(false);
    }
}

QString VideoDurationSheet::message() const {
    return message_->isHidden() ? QString() : message_->text();
}

void VideoDurationSheet::applyInput() {
    VideoDurationRange range;
    try {
        range = VideoDurationRange::custom(fields_[0]->text(), fields_[1]->text(),
                                           fields_[2]->text(), fields_[3]->text());
    } catch (const Error&) {
        return;
    }
    applyRange_(range);
    close_();
}

}  // namespace lumivex
