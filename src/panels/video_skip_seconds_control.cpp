#include "panels/video_skip_seconds_control.h"

#include "media_views/view_style.h"
#include "platform/lumivex_settings.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>

namespace lumivex {

namespace {

std::optional<std::int64_t> plainInteger(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && (*begin == '-' || *begin == '+')) {
            return std::nullopt;
        }
    }
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || begin == end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

VideoSkipSecondsControl::VideoSkipSecondsControl(Binding seconds, QWidget* parent)
    : QWidget(parent), seconds_(std::move(seconds)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    value_ = new QPushButton(this);
    value_->setFlat(true);
    value_->setFocusPolicy(Qt::NoFocus);
    value_->setFixedWidth(62);
    value_->setToolTip(QStringLiteral("클릭하여 초수 입력"));
    value_->setAccessibleName(QStringLiteral("영상 건너뛰기 시간 (초)"));
    connect(value_, &QPushButton::clicked, this, &VideoSkipSecondsControl::beginEditing);
    row->addWidget(value_);
    field_ = new QLineEdit(this);
    field_->setFixedWidth(62);
    field_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field_->setAccessibleName(QStringLiteral("영상 건너뛰기 시간 (초)"));
    field_->installEventFilter(this);
    field_->hide();
    connect(field_, &QLineEdit::returnPressed, this, &VideoSkipSecondsControl::finishEditing);
    connect(field_, &QLineEdit::editingFinished, this, &VideoSkipSecondsControl::finishEditing);
    row->addWidget(field_);
    auto* unit = new QLabel(QStringLiteral("초"), this);
    ViewStyle::makeSecondary(unit);
    row->addWidget(unit);
    auto* stepper = new QVBoxLayout;
    stepper->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    up_->setAccessibleName(QStringLiteral("건너뛰기 시간"));
    up_->setFixedSize(18, 12);
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    down_->setAccessibleName(QStringLiteral("건너뛰기 시간"));
    down_->setFixedSize(18, 12);
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
    stepper->addWidget(up_);
    stepper->addWidget(down_);
    row->addLayout(stepper);
    refresh();
}

std::int64_t VideoSkipSecondsControl::enteredSeconds(bool editing, const QString& draft,
                                                     std::int64_t seconds) {
    if (!editing) {
        return seconds;
    }
    const QString trimmed = draft.trimmed();
    if (trimmed.isEmpty()) {
        return seconds;
    }
    const std::optional<std::int64_t> typed = plainInteger(trimmed);
    if (!typed) {
        return seconds;
    }
    return std::clamp(*typed, LumivexSettings::minimumSkipSeconds,
                      LumivexSettings::maximumSkipSeconds);
}

void VideoSkipSecondsControl::beginEditing() {
    field_->setText(QString::number(seconds_.read()));
    showEditing(true);
    field_->setFocus(Qt::OtherFocusReason);
    field_->selectAll();
}

// Return and the loss of focus may both arrive for one commit; the second finds nothing to do.
void VideoSkipSecondsControl::finishEditing() {
    if (!editing_) {
        return;
    }
    const std::int64_t value = enteredSeconds(true, field_->text(), seconds_.read());
    showEditing(false);
    seconds_.write(value);
    refresh();
}

void VideoSkipSecondsControl::cancelEditing() {
    showEditing(false);
}

void VideoSkipSecondsControl::step(int delta) {
    const std::int64_t from = enteredSeconds(editing_, field_->text(), seconds_.read());
    showEditing(false);
    seconds_.write(std::clamp(from + delta, LumivexSettings::minimumSkipSeconds,
                              LumivexSettings::maximumSkipSeconds));
    refresh();
}

void VideoSkipSecondsControl::showEditing(bool editing) {
    editing_ = editing;
    value_->setVisible(!editing);
    field_->setVisible(editing);
    if (!editing && field_->hasFocus()) {
        field_->clearFocus();
    }
}

void VideoSkipSecondsControl::refresh() {
    value_->setText(QString::number(seconds_.read()));
}

// Escape in the field drops the typed text and stays in this window.
bool VideoSkipSecondsControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (event->type() == QEvent::KeyPress) {
            cancelEditing();
        }
        event->accept();
        return event->type() == QEvent::KeyPress;
    }
    return QWidget::eventFilter(watched, event);
}

void VideoSkipSecondsControl::hideEvent(QHideEvent* event) {
    finishEditing();
    QWidget::hideEvent(event);
}

}  // namespace lumivex
