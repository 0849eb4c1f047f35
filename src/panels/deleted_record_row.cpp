#include "panels/deleted_record_row.h"

#include "media_views/view_style.h"
#include "panels/panel_symbol.h"
#include "panels/utility_palette.h"

#include <QDateTime>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

const QString separator = QStringLiteral(" \u00B7 ");

// The summary line: a button with no look of its own, pressed anywhere over its rectangle.
class SummaryButton final : public QWidget {
public:
    SummaryButton(std::function<void()> toggle, QWidget* parent)
        : QWidget(parent), toggle_(std::move(toggle)) {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            toggle_();
        }
    }

private:
    std::function<void()> toggle_;
};

QLabel* text(const QString& value, double size, QWidget* parent,
             QFont::Weight weight = QFont::Normal) {
    auto* label = new QLabel(value, parent);
    label->setFont(ViewStyle::systemFont(size, weight));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString lastComponent(const QString& filename) {
    return filename.section(QLatin1Char('/'), -1);
}

QDateTime dateTime(Date date) {
    return QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(std::llround(date.secondsSince1970 * 1000.0)));
}

QLocale koreanLocale() {
    return QLocale(QLocale::Korean, QLocale::SouthKorea);
}

// A title with its symbol, 92 pixels wide, in the secondary colour.
QWidget* fieldLabel(const QString& title, const QString& symbol, QWidget* parent) {
    auto* box = new QWidget(parent);
    box->setFixedWidth(92);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    row->addWidget(PanelSymbol::label(symbol, 11, UtilityPalette::secondaryText(), box));
    QLabel* label = text(title, 12, box);
    ViewStyle::setTextColour(label, UtilityPalette::secondaryText());
    row->addWidget(label);
    row->addStretch(1);
    return box;
}

QLabel* selectableValue(const QString& value, QWidget* parent) {
    QLabel* label = text(value, 12, parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

DeletedRecordRow::DeletedRecordRow(const DeletedRecord& record, const QList<Category>& categories,
                                   bool isPhotos, Date now, QWidget* parent)
    : RoundedPanel(UtilityPalette::panel(), UtilityPalette::white(0.045), 10, parent),
      record_(record),
      categories_(categories),
      isPhotos_(isPhotos),
      now_(now) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    summary_ = buildSummary();
    column->addWidget(summary_);
    refreshClock();
}

int DeletedRecordRow::remainingDays(const DeletedRecord& record, Date now) {
    const double remaining =
        record.deletedAt.secondsSince1970 + DeletedArchive::retentionSeconds - now.secondsSince1970;
    const double days = std::ceil(remaining / 86400.0);
    if (!(days >= 1)) {
        return 1;
    }
    return days > 7 ? 7 : static_cast<int>(days);
}

QList<Category> DeletedRecordRow::properties(const MediaItem& item,
                                             const QList<Category>& categories) {
    QList<Category> shown;
    for (const Category& category : categories) {
        if (category.kind == PropertyKind::rating) {
            continue;
        }
        const auto found = item.labels.find(category.idText());
        if (found != item.labels.end() && !found->second.isEmpty()) {
            shown.append(category);
        }
    }
    return shown;
}

QString DeletedRecordRow::compactLabels(const MediaItem& item, const QList<Category>& categories) {
    QStringList values;
    for (const Category& category : properties(item, categories)) {
        for (const QString& value : item.labels.at(category.idText())) {
            if (values.size() == 4) {
                return values.join(separator);
            }
            values.append(value);
        }
    }
    return values.join(separator);
}

QString DeletedRecordRow::locationText(const MediaItem& item, bool isPhotos) {
    if (isPhotos) {
        return QStringLiteral("사진 보관함");
    }
    const qsizetype slash = item.filename.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) {
        return QStringLiteral("선택한 폴더");
    }
    return item.filename.left(slash).replace(QLatin1Char('/'), QStringLiteral(" \u203A "));
}

// The interface is Korean whatever the system's locale, and so are its dates.
QString DeletedRecordRow::dayText(Date date) {
    return koreanLocale().toString(dateTime(date).date(), QStringLiteral("M월 d일"));
}

QString DeletedRecordRow::momentText(Date date) {
    return koreanLocale().toString(dateTime(date), QStringLiteral("yyyy년 M월 d일 a h:mm"));
}

QWidget* DeletedRecordRow::buildSummary() {
    auto* button = new SummaryButton([this] { setExpanded(!expanded_); }, this);
    button->setAccessibleDescription(QStringLiteral("접힘"));
    auto* row = new QHBoxLayout(button);
    row->setContentsMargins(13, 13, 13, 13);
    row->setSpacing(12);
    auto* kind = new RoundedPanel(
        [] {
            QColor tint = UtilityPalette::mint();
            tint.setAlphaF(0.075f);
            return tint;
        }(),
        Qt::transparent, 8, button);
    kind->setFixedSize(34, 34);
    auto* kindLayout = new QHBoxLayout(kind);
    kindLayout->setContentsMargins(0, 0, 0, 0);
    kindLayout->addWidget(PanelSymbol::label(
        record_.item.kind == MediaKind::video ? QStringLiteral("film") : QStringLiteral("photo"),
        17, UtilityPalette::mint(), kind));
    row->addWidget(kind, 0, Qt::AlignTop);
    row->addWidget(textColumn(button), 1, Qt::AlignTop);

    auto* trailing = new QVBoxLayout;
    trailing->setSpacing(7);
    auto* capsule = new RoundedPanel(UtilityPalette::white(0.045), Qt::transparent, 9, button);
    auto* capsuleLayout = new QHBoxLayout(capsule);
    capsuleLayout->setContentsMargins(7, 4, 7, 4);
    badge_ = text(QString(), 10, capsule, QFont::Medium);
    capsuleLayout->addWidget(badge_);
    trailing->addWidget(capsule, 0, Qt::AlignRight);
    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(4);
    QLabel* day = text(dayText(record_.deletedAt), 10, button);
    ViewStyle::setTextColour(day, UtilityPalette::secondaryText());
    dateRow->addWidget(day);
    chevron_ = PanelSymbol::label(QStringLiteral("chevron.down"), 9,
                                  UtilityPalette::secondaryText(), button);
    dateRow->addWidget(chevron_);
    trailing->addLayout(dateRow);
    trailing->addStretch(1);
    row->addLayout(trailing);
    return button;
}

QWidget* DeletedRecordRow::textColumn(QWidget* parent) {
    const MediaItem& item = record_.item;
    auto* box = new QWidget(parent);
    box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(text(lastComponent(item.filename), 13, box, QFont::Medium));

    auto* location = new QHBoxLayout;
    location->setSpacing(5);
    location->addWidget(
        PanelSymbol::label(isPhotos_ ? QStringLiteral("icloud") : QStringLiteral("folder"), 10,
                           UtilityPalette::secondaryText(), box));
    QLabel* where = text(locationText(item, isPhotos_), 11, box);
    ViewStyle::setTextColour(where, UtilityPalette::secondaryText());
    location->addWidget(where, 1);
    column->addLayout(location);

    const QString labels = compactLabels(item, categories_);
    if (item.rating >= 1 || !labels.isEmpty()) {
        auto* values = new QHBoxLayout;
        values->setSpacing(8);
        if (item.rating >= 1) {
            QLabel* stars = text(PanelSymbol::glyph(QStringLiteral("star.fill")) +
                                     QLatin1Char(' ') + QString::number(item.rating),
                                 11, box);
            stars->setObjectName(QStringLiteral("rating"));
            ViewStyle::setTextColour(stars, UtilityPalette::mint());
            values->addWidget(stars);
        }
        if (!labels.isEmpty()) {
            QLabel* compact = text(labels, 11, box);
            compact->setObjectName(QStringLiteral("compactLabels"));
            ViewStyle::setTextColour(compact, UtilityPalette::secondaryText());
            values->addWidget(compact, 1);
        }
        values->addStretch(1);
        column->addLayout(values);
    }
    return box;
}

QWidget* DeletedRecordRow::buildDetails() {
    const MediaItem& item = record_.item;
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(14, 0, 14, 14);
    column->setSpacing(10);
    auto* divider = new RoundedPanel(UtilityPalette::white(0.04), Qt::transparent, 0, box);
    divider->setFixedHeight(1);
    column->addWidget(divider);

    auto addLine = [&](const QString& title, const QString& symbol, const QString& value) {
        auto* line = new QHBoxLayout;
        line->setSpacing(8);
        line->addWidget(fieldLabel(title, symbol, box), 0, Qt::AlignTop);
        line->addWidget(selectableValue(value, box), 1);
        column->addLayout(line);
    };
    addLine(QStringLiteral("별점"), QStringLiteral("star"),
            item.rating == 0 ? QStringLiteral("없음")
                             : QString::number(item.rating) + QStringLiteral("점"));
    for (const Category& category : properties(item, categories_)) {
        addLine(category.name, category.symbol(),
                item.labels.at(category.idText()).join(separator));
    }
    if (!item.notes.isEmpty()) {
        addLine(QStringLiteral("메모"), QStringLiteral("text.alignleft"), item.notes);
    }
    QLabel* expiry = text(QString(), 10, box);
    expiry->setObjectName(QStringLiteral("expiry"));
    expiry->setContentsMargins(0, 2, 0, 0);
    ViewStyle::setTextColour(expiry, UtilityPalette::tertiaryText());
    const Date expires{record_.deletedAt.secondsSince1970 + DeletedArchive::retentionSeconds};
    expiry->setText(QStringLiteral("기록 삭제 예정 · ") + momentText(expires));
    column->addWidget(expiry);
    return box;
}

// The details are made at the first expansion: most rows are never opened.
void DeletedRecordRow::setExpanded(bool expanded) {
    expanded_ = expanded;
    if (expanded && details_ == nullptr) {
        details_ = buildDetails();
        layout()->addWidget(details_);
    }
    if (details_ != nullptr) {
        details_->setVisible(expanded);
    }
    PanelSymbol::set(chevron_,
                     expanded ? QStringLiteral("chevron.up") : QStringLiteral("chevron.down"));
    summary_->setAccessibleDescription(expanded ? QStringLiteral("펼침") : QStringLiteral("접힘"));
}

void DeletedRecordRow::setNow(Date now) {
    now_ = now;
    refreshClock();
}

QString DeletedRecordRow::badgeText() const {
    return badge_->text();
}

bool DeletedRecordRow::badgeIsUrgent() const {
    return remainingDays(record_, now_) == 1;
}

void DeletedRecordRow::refreshClock() {
    const int days = remainingDays(record_, now_);
    badge_->setText(QString::number(days) + QStringLiteral("일 남음"));
    QColor colour = days == 1 ? ViewStyle::orange() : UtilityPalette::mint();
    if (days == 1) {
        colour.setAlphaF(0.9f);
    }
    ViewStyle::setTextColour(badge_, colour);
    const QString name = lastComponent(record_.item.filename);
    const Date expires{record_.deletedAt.secondsSince1970 + DeletedArchive::retentionSeconds};
    summary_->setToolTip(QStringLiteral("분류 기록 보기 · 보관 기한 ") + momentText(expires));
    summary_->setAccessibleName(name + QStringLiteral(", 분류 기록 ") + QString::number(days) +
                                QStringLiteral("일 남음"));
}

}  // namespace lumivex
