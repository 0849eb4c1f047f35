#include "inspector/rating_editor.h"

#include "browser/browser_palette.h"
#include "inspector/inspector_style.h"
#include "store/lumivex_store.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivex {

RatingEditor::RatingEditor(LumivexStore& store, const Category& category, QWidget* parent)
    : QWidget(parent), store_(store) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    title_ = InspectorStyle::sectionTitle(category.name, this);
    column->addWidget(title_);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    for (int value = 1; value <= 5; ++value) {
        QToolButton* button = InspectorStyle::symbolButton(
            QStringLiteral("star"), 21, BrowserPalette::secondaryText(),
            QString::number(value) + QStringLiteral("점"), this);
        connect(button, &QToolButton::clicked, this, [this, value] { starClicked(value); });
        stars_[value - 1] = button;
        row->addWidget(button);
    }
    row->addStretch(1);
    column->addLayout(row);
    auto* status = new QHBoxLayout;
    status_ = InspectorStyle::label(QString(), 10, BrowserPalette::secondaryText(), this);
    status->addWidget(status_);
    status->addStretch(1);
    clear_ = InspectorStyle::textButton(QStringLiteral("지우기"), 10,
                                        BrowserPalette::secondaryText(), this);
    connect(clear_, &QToolButton::clicked, this, [this] { store_.setRating(0); });
    // Hidden, it keeps its room, so the sections below stay put when it comes and goes.
    QSizePolicy kept = clear_->sizePolicy();
    kept.setRetainSizeWhenHidden(true);
    clear_->setSizePolicy(kept);
    status->addWidget(clear_);
    column->addLayout(status);
    refresh();
}

void RatingEditor::setCategory(const Category& category) {
    title_->setText(category.name);
}

void RatingEditor::refresh() {
    const std::optional<std::int64_t> rating = store_.selectedRating();
    for (int value = 1; value <= 5; ++value) {
        const bool filled = rating && value <= *rating;
        InspectorStyle::setSymbol(
            stars_[value - 1], filled ? QStringLiteral("star.fill") : QStringLiteral("star"), 21,
            filled ? BrowserPalette::mint() : BrowserPalette::secondaryText());
    }
    if (!rating) {
        status_->setText(QStringLiteral("파일마다 별점이 다릅니다"));
    } else if (*rating == 0) {
        status_->setText(QStringLiteral("비어 있음"));
    } else {
        status_->setText(QString::number(*rating) + QStringLiteral(" / 5"));
    }
    clear_->setVisible(!rating || *rating != 0);
}

void RatingEditor::starClicked(int value) {
    const std::optional<std::int64_t> rating = store_.selectedRating();
    store_.setRating(rating && *rating == value ? 0 : value);
}

}  // namespace lumivex
